// vxeditor [FILE]: the Editor. Opens FILE at start when given; keeps the recent files between
// runs.
#include "foundation/vxProcess.h"
#include "app/vxMainWindow.h"
#include "text/vxTextFonts.h"

#include <QApplication>
#include <QSettings>
#include <QStringList>
#include <QTimer>

#include <string>
#include <vector>

int main(int argc, char** argv) {
  vx::UseHugePageHeap(argv);
  vx::InstallTextFonts();
  QApplication app(argc, argv);
  QApplication::setApplicationName("vxeditor");
  QApplication::setOrganizationName("vx");
  vx::TfmMain window;
  QSettings settings;
  std::vector<std::string> recent;
  for (const QString& f : settings.value("recentFiles").toStringList()) recent.push_back(f.toStdString());
  window.SetRecentFiles(recent);
  window.OnRecentFilesChanged = [&settings](const std::vector<std::string>& files) {
    QStringList list;
    for (const std::string& f : files) list << QString::fromStdString(f);
    settings.setValue("recentFiles", list);
  };
  window.show();
  if (argc > 1) {
    const std::string file = argv[1];
    QTimer::singleShot(0, &window, [&window, file] { window.OpenFile(file); });
  }
  return app.exec();
}
