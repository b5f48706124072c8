// vxBlockInsert: TfmBlockInsert, the "Block insertion" dialog: the list of the blocks waiting in
// the block library, in copy order, and the X and Y of the new reference. Insert checks the
// input and stays open with a message when it is missing or wrong ("Indicate a point", "Point
// is incorrect", "Select block"); otherwise it hands the chosen index and the point, through
// single precision, to OnInsert and closes.
#pragma once

#include <QDialog>
#include <QLocale>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vx {

class TvxBlockLibrary;

class TfmBlockInsert : public QDialog {
 public:
  explicit TfmBlockInsert(QWidget* parent = nullptr);

  // The library whose waiting blocks are listed (read each time the dialog shows).
  void SetBlockLibrary(TvxBlockLibrary* library) { FLibrary = library; }
  // Refills the list from the library (the dialog does it whenever it is shown).
  void FormShow();
  // Insert: checks the point and the choice, then OnInsert and close.
  void Button1Click();
  // Cancel: closes.
  void Button2Click() { reject(); }

  // Reads the typed numbers (the user's number format by default).
  void SetNumberLocale(const QLocale& locale);

  // The insertion itself: (index, x, y); false when the block can no longer be inserted (the
  // dialog then says so and stays open).
  std::function<bool(int, double, double)> OnInsert;
  // Messages go here when set (else a message box): the text.
  std::function<void(const QString&)> OnMessage;

  QListWidget* lsbBlockName() const { return FList; }
  QLineEdit* lbeX() const { return FX; }
  QLineEdit* lbeY() const { return FY; }
  QPushButton* Button1() const { return FInsert; }
  QPushButton* Button2() const { return FCancel; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void Message(const QString& text);
  // The typed coordinate through single precision; false when it is not a finite number.
  bool ReadCoordinate(const QString& text, double& value) const;

  TvxBlockLibrary* FLibrary = nullptr;
  QLocale FLocale;
  QListWidget* FList = nullptr;
  QLineEdit *FX = nullptr, *FY = nullptr;
  QPushButton *FInsert = nullptr, *FCancel = nullptr;
};

}  // namespace vx
