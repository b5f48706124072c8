// vxSettings: process-wide settings of the drawing database, read when a converter is created.
//
// There is no configuration file: the application (or a test) writes these plain variables
// before it creates a drawing.
#pragma once

#include <string>

namespace vx {

struct TvxGlobalSettings {
  // Segments per full circle and per spline span; a value below 5 means the default (48, 24).
  int NumberOfPartsInCircle = 48;
  int NumberOfPartsInSpline = 24;
  // Above 0, curves are tessellated finely (255 segments) and thinned by this angle (degrees).
  double MergeAngle = 0;
  bool UseSHXFonts = true;
  // Extra folders for SHX fonts, ";"-separated, appended to the discovered support paths.
  std::string SHXSearchPath;
  // Whether the support folders of installed CAD programs are searched for SHX fonts.
  bool UseACADPaths = true;
  // Layer names are checked on rename ("Incorrect Layer Name") only when this is set.
  bool CheckLayerNames = false;
  // Points that line-type patterns may insert into one curve.
  int PatternPointBudget = 8000;
  // Border around the drawing, as a ratio of its size.
  double BorderRatio = 0.125;
};

inline TvxGlobalSettings GlobalSettings;

// Segment counts as a new converter takes them: the setting when it is 5 or more.
inline int DefaultPartsInCircle() {
  return GlobalSettings.NumberOfPartsInCircle >= 5 ? GlobalSettings.NumberOfPartsInCircle : 48;
}
inline int DefaultPartsInSpline() {
  return GlobalSettings.NumberOfPartsInSpline >= 5 ? GlobalSettings.NumberOfPartsInSpline : 24;
}

}  // namespace vx
