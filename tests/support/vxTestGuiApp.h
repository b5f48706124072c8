// EnsureGuiApp: the one Qt application of a test program, made on first use and only when no one
// made one. Painting and fonts need a QGuiApplication; widget tests ask for QApplication
// (EnsureGuiApp<QApplication>()). Headless unless QT_QPA_PLATFORM says otherwise.
#pragma once

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace vx::test {

// Ends the application when the tests are over, before the exit handlers: Qt's own statics made
// while the tests ran (input devices, font caches) go before those, and the leak check comes
// after them.
class TvxGuiAppEnvironment : public ::testing::Environment {
 public:
  explicit TvxGuiAppEnvironment(QCoreApplication*& app) : FApp(app) {}
  void TearDown() override {
    delete FApp;
    FApp = nullptr;
  }

 private:
  QCoreApplication*& FApp;
};

template <class TApp = QGuiApplication>
inline void EnsureGuiApp() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "vx_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QCoreApplication* app = new TApp(argc, argv);
  ::testing::AddGlobalTestEnvironment(new TvxGuiAppEnvironment(app));
}

}  // namespace vx::test
