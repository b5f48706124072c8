// TfmBlockInsert: the dialog's layout, its list and the checks of Insert.
#include "app/vxBlockInsert.h"

#include "app/vxBlockLibrary.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>

namespace vx {

TfmBlockInsert::TfmBlockInsert(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Block insertion");
  setObjectName("fmBlockInsert");
  setFixedSize(242, 342);
  QFont f = font();
  f.setPixelSize(11);
  setFont(f);
  auto* label = new QLabel("Block list", this);
  label->move(16, 8);
  FList = new QListWidget(this);
  FList->setObjectName("lsbBlockName");
  FList->setGeometry(16, 24, 209, 217);
  auto* lx = new QLabel("X:", this);
  lx->move(20, 276);
  FX = new QLineEdit("0", this);
  FX->setObjectName("lbeX");
  FX->setGeometry(39, 273, 79, 21);
  auto* ly = new QLabel("Y:", this);
  ly->move(20, 315);
  FY = new QLineEdit("0", this);
  FY->setObjectName("lbeY");
  FY->setGeometry(39, 312, 79, 21);
  FInsert = new QPushButton("Insert", this);
  FInsert->setGeometry(152, 264, 75, 25);
  FInsert->setDefault(true);
  FCancel = new QPushButton("Cancel", this);
  FCancel->setGeometry(152, 304, 75, 25);
  QObject::connect(FInsert, &QPushButton::clicked, this, [this] { Button1Click(); });
  QObject::connect(FCancel, &QPushButton::clicked, this, [this] { Button2Click(); });
  SetNumberLocale(QLocale());
}

void TfmBlockInsert::SetNumberLocale(const QLocale& locale) {
  FLocale = locale;
  // "1,5" is not one and a half where the separator is a point (nor a thousand and five)
  FLocale.setNumberOptions(FLocale.numberOptions() | QLocale::RejectGroupSeparator);
}

void TfmBlockInsert::showEvent(QShowEvent* e) {
  FormShow();
  QDialog::showEvent(e);
}

void TfmBlockInsert::FormShow() {
  FList->clear();
  if (!FLibrary) return;
  for (const std::string& name : FLibrary->BlockNames()) FList->addItem(QString::fromStdString(name));
}

bool TfmBlockInsert::ReadCoordinate(const QString& text, double& value) const {
  bool ok = false;
  const double v = FLocale.toDouble(text.trimmed(), &ok);
  const float single = static_cast<float>(v);
  if (!ok || !std::isfinite(v) || !std::isfinite(single)) return false;
  value = single;
  return true;
}

void TfmBlockInsert::Button1Click() {
  if (FX->text().isEmpty() || FY->text().isEmpty()) {
    Message("Indicate a point");
    return;
  }
  double x = 0, y = 0;
  if (!ReadCoordinate(FX->text(), x) || !ReadCoordinate(FY->text(), y)) {
    Message("Point is incorrect");
    return;
  }
  const int index = FList->currentRow();
  if (index < 0 || !FList->currentItem() || !FList->currentItem()->isSelected()) {
    Message("Select block");
    return;
  }
  if (!OnInsert || !OnInsert(index, x, y)) {
    // the library changed under the dialog: show what it holds now
    FormShow();
    Message("Select block");
    return;
  }
  accept();
}

void TfmBlockInsert::Message(const QString& text) {
  if (OnMessage)
    OnMessage(text);
  else
    QMessageBox::information(this, windowTitle(), text);
}

}  // namespace vx
