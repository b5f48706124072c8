// EnsureGuiApp: the one Qt application of a test program, made on first use and only when no one
// made one. Painting and fonts need a QGuiApplication; widget tests ask for QApplication
// (EnsureGuiApp<QApplication>()). Headless unless QT_QPA_PLATFORM says otherwise.
#pragma once

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdlib>

namespace vx::test {

template <class TApp = QGuiApplication>
inline void EnsureGuiApp() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "vx_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static TApp* app = new TApp(argc, argv);
  // Ended before the leak check, so that the font caches it set up are released.
  std::atexit([] { delete app; });
}

}  // namespace vx::test
