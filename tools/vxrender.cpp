// vxrender: draws a drawing file into a PNG, PDF or SVG picture (see --help).
#include "render/vxCADImageRender.h"

#include <QGuiApplication>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  // Headless by default: no display is needed to draw into a picture.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return vx::RunVxRender(args, std::cout, std::cerr);
}
