// vxrender: draws a drawing file into a PNG, PDF or SVG picture (see --help).
#include "foundation/vxProcess.h"
#include "render/vxCADImageRender.h"
#include "text/vxTextFonts.h"

#include <QGuiApplication>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  vx::UseHugePageHeap(argv);
  // Texts are laid out with the installed fonts while the drawing loads.
  vx::InstallTextFonts();
  // Headless by default: no display is needed to draw into a picture.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt warns on stderr when the session has no private runtime folder; give it one.
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0 && st.st_uid == getuid() && (st.st_mode & 077) == 0)
      setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return vx::RunVxRender(args, std::cout, std::cerr);
}
