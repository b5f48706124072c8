// vxCADImageRender: a drawing file to a picture file, the work of the vxrender tool.
//
// RunVxRender takes the tool's arguments (without the program name), writes PNG (QImage), PDF
// (QPdfWriter) or SVG (QSvgGenerator) by the output's extension, and answers the exit code:
// 0 done, 1 the drawing could not be read (the reader's message on err, after the file name),
// 2 a usage error. A QGuiApplication must exist.
#pragma once

#include "render/vxCADImage.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vx {

struct TvxRenderOptions {
  std::string Input, Output;
  int Width = 1024, Height = 768;
  TColor Background = 0xFFFFFF;
  std::string Layout;                // name or index; empty: the layout the image shows
  std::optional<TFRect> Window;      // drawing rectangle mapped onto the whole output
  bool Antialias = true;             // smooth canvas (--antialias off: whole pixels)
};

// Parses the arguments; false with a message in error on a usage error.
bool ParseRenderOptions(const std::vector<std::string>& args, TvxRenderOptions& options,
                        std::string& error, bool& help);

// Sets up image for the options (layout, window, background) and draws it into a picture of
// options.Width x options.Height; false with a message when the layout is unknown.
bool PrepareRenderImage(TvxCADImage& image, const TvxRenderOptions& options, std::string& error);
QImage RenderToImage(TvxCADImage& image, int width, int height);

int RunVxRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const cnstVxRenderUsage;

}  // namespace vx
