// The entity inspector: the texts of its grid (names, colours, numbers, points), the rows of a
// line, a text, a reference with two attributes, an attribute definition, an entity without a
// layer and one without a box; the sorted list; the edit rules (Enter and moving to another cell
// commit, leaving the grid abandons, rows without an object take no edits, 255 characters); an
// attribute edit that reloads and redraws; clearing when the drawing goes away; the window's
// stay-on-top toggle and its shortcut.
#include "test_app_fixture.h"

#include "database/blocks/vxAttribs.h"
#include "database/blocks/vxInserts.h"
#include "database/entities/vxEntLines.h"
#include "database/hatches/vxHatches.h"
#include "database/text/vxText.h"
#include "text/vxTextFonts.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

namespace vx::test {
namespace {

// A block B1 of a line and two attribute definitions; in the entities: a red slanted line, a
// by-layer text at (1, 2, 0), a reference of B1 at (50, 50) with two attributes, a by-block
// line and an attribute definition.
std::string InspectorDxf() {
  return "0\nSECTION\n2\nBLOCKS\n"
         "0\nBLOCK\n8\n0\n2\nB1\n70\n2\n10\n0\n20\n0\n30\n0\n3\nB1\n"
         "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n"
         "0\nATTDEF\n8\n0\n10\n0\n20\n1\n30\n0\n40\n1\n1\nd1\n3\nFirst?\n2\nTAG1\n70\n0\n"
         "0\nATTDEF\n8\n0\n10\n0\n20\n3\n30\n0\n40\n1\n1\nd2\n3\nSecond?\n2\nTAG2\n70\n0\n"
         "0\nENDBLK\n8\n0\n0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n"
         "0\nLINE\n8\n0\n62\n1\n10\n1.5\n20\n2\n30\n0\n11\n100\n21\n50\n31\n0\n"
         "0\nTEXT\n8\n0\n10\n1\n20\n2\n30\n0\n40\n2\n1\nHello\n"
         "0\nINSERT\n8\n0\n66\n1\n2\nB1\n10\n50\n20\n50\n30\n0\n"
         "0\nATTRIB\n8\n0\n10\n50\n20\n51\n30\n0\n40\n1\n1\nfirst\n2\nTAG1\n70\n0\n"
         "0\nATTRIB\n8\n0\n10\n50\n20\n53\n30\n0\n40\n1\n1\nsecond\n2\nTAG2\n70\n0\n"
         "0\nSEQEND\n8\n0\n"
         "0\nLINE\n8\n0\n62\n0\n10\n0\n20\n-10\n30\n0\n11\n20\n21\n-10\n31\n0\n"
         "0\nATTDEF\n8\n0\n10\n0\n20\n-20\n30\n0\n40\n1\n1\nv\n3\nPrompt\n2\nLOOSE\n70\n0\n"
         "0\nENDSEC\n0\nEOF\n";
}

using Rows = std::vector<std::pair<std::string, std::string>>;

class InspectorTest : public AppTest {
 protected:
  void OpenFixture() {
    ASSERT_TRUE(Open(Write("inspector.dxf", InspectorDxf())))
        << (messages.empty() ? "" : messages.front().second);
    const auto top = win->Manager().TopLevelEntities();
    ASSERT_EQ(top.size(), 5u);
    line = dynamic_cast<TvxDXFLine*>(top[0]);
    text = dynamic_cast<TvxDXFText*>(top[1]);
    insert = dynamic_cast<TvxDXFInsert*>(top[2]);
    byBlock = top[3];
    attdef = dynamic_cast<TvxDXFAttdef*>(top[4]);
    ASSERT_TRUE(line && text && insert && attdef);
    ASSERT_EQ(insert->Attribs().size(), 2u);
  }
  TvxEntityInspector& Ins() { return *win->Inspector(); }
  QTableWidget& Grid() { return *Ins().StringGridObject(); }
  Rows GridRows() {
    Rows out;
    for (int r = 0; r < Grid().rowCount(); ++r)
      out.emplace_back(Ins().CellText(r, 0).toStdString(), Ins().CellText(r, 1).toStdString());
    return out;
  }
  // Opens the cell's editor; nil when the cell takes no edits.
  QLineEdit* StartEdit(int row) {
    // the editors closed before are gone
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Grid().setCurrentCell(row, 1);
    Grid().editItem(Grid().item(row, 1));
    return Grid().findChild<QLineEdit*>();
  }
  void Key(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::processEvents();
  }
  // The inspector shown and active, the grid focused (focus moves only in an active window).
  void ActivateInspector() {
    win->ShowInspector();
    Ins().activateWindow();
    for (int i = 0; i < 100 && !Ins().isActiveWindow(); ++i)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    Grid().setFocus();
    QApplication::processEvents();
  }
  TvxDXFLine* line = nullptr;
  TvxDXFText* text = nullptr;
  TvxDXFInsert* insert = nullptr;
  TvxDXFEntity* byBlock = nullptr;
  TvxDXFAttdef* attdef = nullptr;
};

TEST(InspectorTexts, ColoursNumbersPointsAndNames) {
  struct ColorCase { uint32_t in; const char* want; };
  for (const ColorCase& c : std::initializer_list<ColorCase>{
           {0x000000FF, "(255, 0, 0)"}, {0x00FF8000, "(0, 128, 255)"}, {0, "(0, 0, 0)"},
           {clByLayer, "clByLayer"}, {clByBlock, "clByBlock"}, {0x00FFFFFF, "(255, 255, 255)"}})
    EXPECT_EQ(InspectorColorText(c.in), c.want) << std::hex << c.in;
  struct NumCase { double in; char sep; const char* want; };
  for (const NumCase& c : std::initializer_list<NumCase>{
           {100, '.', "100"}, {1.5, ',', "1,5"}, {-0.25, '.', "-0.25"},
           {0.1, '.', "0.1"}, {1.0 / 3, '.', "0.333333333333333"}, {123456789012345678.0, '.', "1.23456789012346e+17"},
           {std::nan(""), '.', ""}, {1e300 * 1e10, '.', ""}})
    EXPECT_EQ(InspectorNumberText(c.in, c.sep), c.want) << c.in;
  EXPECT_EQ(InspectorPointText(1, 2, 0, '.'), "(1.0000; 2.0000; 0.0000)");
  EXPECT_EQ(InspectorPointText(-1.23456, 2, 0.5, ','), "(-1,2346; 2,0000; 0,5000)");
  // class names without the library prefix, in upper case
  TvxEntityPtr<TvxDXFLine> l(new TvxDXFLine());
  TvxEntityPtr<TvxCADHatch> h(new TvxCADHatch());
  TvxEntityPtr<TvxDXFText> t(new TvxDXFText());
  EXPECT_EQ(InspectorEntName(l.get()), "LINE");
  EXPECT_EQ(InspectorEntName(h.get()), "HATCH");
  EXPECT_EQ(InspectorEntName(t.get()), "TEXT");
}

TEST_F(InspectorTest, GridRowsOfALineATextAndAReferenceWithTwoAttributes) {
  OpenFixture();
  EXPECT_EQ(Ins().windowTitle(), QString::fromUtf8("Entités sélectionnées"));
  EXPECT_EQ(Grid().rowCount(), 1);  // nothing shown: the header only
  EXPECT_EQ(GridRows(), (Rows{{" Propriétés ", " Valeur "}}));

  Ins().RefreshGrid(line);
  EXPECT_EQ(Ins().Shown(), line);
  EXPECT_EQ(GridRows(), (Rows{{" Propriétés ", " Valeur "},
                              {" Nom ", "LINE"},
                              {" Calc ", "0"},
                              {" Couleur (RGB)", "(255, 0, 0)"},
                              {" Rect.gauche ", "1.5"},
                              {" Rect.haut ", "50"},
                              {" Rect.droit ", "100"},
                              {" Rect.bas ", "2"},
                              {" Centre ", "(1.5000; 2.0000; 0.0000)"}}));

  Ins().RefreshGrid(text);
  Rows rows = GridRows();
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[1].second, "TEXT");
  EXPECT_EQ(rows[3].second, "clByLayer");
  EXPECT_EQ(rows[8], (std::pair<std::string, std::string>{" Centre ", "(1.0000; 2.0000; 0.0000)"}));
  EXPECT_EQ(rows[9], (std::pair<std::string, std::string>{" Text ", "Hello"}));
  EXPECT_EQ(Ins().RowObject(9), text);
  EXPECT_EQ(Ins().RowObject(8), nullptr);

  Ins().RefreshGrid(insert);
  rows = GridRows();
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[1].second, "INSERT B1");
  EXPECT_EQ(rows[8].second, "(50.0000; 50.0000; 0.0000)");
  EXPECT_EQ(rows[9], (std::pair<std::string, std::string>{" Attrib [0]", "first"}));
  EXPECT_EQ(rows[10], (std::pair<std::string, std::string>{" Attrib [1]", "second"}));
  EXPECT_EQ(Ins().RowObject(9), insert->Attribs()[0]);
  EXPECT_EQ(Ins().RowObject(10), insert->Attribs()[1]);

  Ins().RefreshGrid(byBlock);
  EXPECT_EQ(Ins().CellText(3, 1), "clByBlock");
  Ins().RefreshGrid(attdef);
  ASSERT_EQ(Grid().rowCount(), 10);
  EXPECT_EQ(Ins().CellText(9, 0), " Tag ");
  EXPECT_EQ(Ins().CellText(9, 1), "LOOSE");

  // an entity that is not listed (an attribute inside a reference): no item, the header only
  Ins().RefreshGrid(insert->Attribs()[0]);
  EXPECT_EQ(Ins().Shown(), nullptr);
  EXPECT_EQ(Ins().ComboBox()->currentIndex(), -1);
  EXPECT_EQ(Grid().rowCount(), 1);
}

TEST_F(InspectorTest, AnEntityWithoutLayerOrBoxAndTheUsersDecimalSeparator) {
  OpenFixture();
  // made by the program, never loaded: no layer and a bad box
  TvxCADHatch* hatch = new TvxCADHatch();
  TvxDXFEntity* section = Nav()->Image()->Converter()->Sections(csEntities);
  ASSERT_GE(section->AddEntity(hatch), 0);
  Ins().AddEntity(hatch, true);
  EXPECT_EQ(Ins().Shown(), hatch);
  EXPECT_EQ(GridRows(), (Rows{{" Propriétés ", " Valeur "},
                              {" Nom ", "HATCH"},
                              {" Calc ", "not set"},
                              {" Couleur (RGB)", "clByLayer"},
                              {" Rect.gauche ", ""},
                              {" Rect.haut ", ""},
                              {" Rect.droit ", ""},
                              {" Rect.bas ", ""}}));
  // numbers follow the user's decimal separator
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  Ins().RefreshGrid(line);
  EXPECT_EQ(Ins().CellText(4, 1), "1,5");
  EXPECT_EQ(Ins().CellText(8, 1), "(1,5000; 2,0000; 0,0000)");
  QLocale::setDefault(saved);
}

TEST_F(InspectorTest, TheListIsSortedAndFollowsTheDrawing) {
  OpenFixture();
  std::vector<std::string> names;
  for (int i = 0; i < Ins().ComboBox()->count(); ++i)
    names.push_back(Ins().ComboBox()->itemText(i).toStdString());
  EXPECT_EQ(names, (std::vector<std::string>{"ATTDEF", "INSERT B1", "LINE", "LINE", "TEXT"}));
  // choosing an item shows its entity
  Ins().ComboBox()->setCurrentIndex(1);
  EXPECT_EQ(Ins().Shown(), insert);
  EXPECT_EQ(Grid().rowCount(), 11);
  // a drawing that goes away takes the list and the grid with it
  Ins().RefreshGrid(line);
  EXPECT_FALSE(win->OpenFile(Write("broken.dxf", BrokenDxf())));
  EXPECT_EQ(Ins().ComboBox()->count(), 0);
  EXPECT_EQ(Grid().rowCount(), 1);
  EXPECT_EQ(Ins().Shown(), nullptr);
  EXPECT_EQ(Ins().Navigator(), nullptr);
  OpenFixture();
  Ins().RefreshGrid(line);
  win->FileClose();
  EXPECT_EQ(Ins().ComboBox()->count(), 0);
  EXPECT_EQ(Grid().rowCount(), 1);
}

TEST_F(InspectorTest, EnterCommitsAnAttributeEditReloadsAndRedraws) {
  OpenFixture();
  win->Manager().SetSelection({insert});
  Ins().RefreshGrid(insert);
  TvxDXFAttrib* a = insert->Attribs()[0];
  const TFRect attribBefore = a->GetBox();
  const int drawn = Nav()->FullPaintCount();
  QLineEdit* editor = StartEdit(9);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(Ins().IsEditing());
  EXPECT_EQ(editor->text(), "first");
  editor->setText("a much longer first value");
  Key(editor, Qt::Key_Return);
  EXPECT_FALSE(Ins().IsEditing());
  EXPECT_EQ(a->Text(), "a much longer first value");
  EXPECT_EQ(a->Value(), "a much longer first value");
  EXPECT_EQ(Ins().CellText(9, 1), "a much longer first value");
  // reloaded: a longer text reaches further right, and the reference's box follows
  EXPECT_GT(a->GetBox().Right, attribBefore.Right);
  EXPECT_GE(insert->GetBox().Right, a->GetBox().Right);
  EXPECT_EQ(Ins().CellText(6, 1).toStdString(), InspectorNumberText(insert->GetBox().Right, '.'));
  EXPECT_GT(Nav()->FullPaintCount(), drawn);  // drawn again
  EXPECT_EQ(insert->Attribs()[1]->Text(), "second");
}

TEST_F(InspectorTest, MovingToAnotherCellCommitsAndLeavingTheGridAbandons) {
  OpenFixture();
  ActivateInspector();
  Ins().RefreshGrid(insert);
  TvxDXFAttrib* second = insert->Attribs()[1];
  QLineEdit* editor = StartEdit(10);
  ASSERT_NE(editor, nullptr);
  editor->setText("moved on");
  Grid().setCurrentCell(9, 1);  // another cell: committed
  QApplication::processEvents();
  EXPECT_EQ(second->Text(), "moved on");
  EXPECT_EQ(Ins().CellText(10, 1), "moved on");

  TvxDXFAttrib* first = insert->Attribs()[0];
  editor = StartEdit(9);
  ASSERT_NE(editor, nullptr);
  editor->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(editor->hasFocus()) << "the inspector window could not take the focus";
  editor->setText("never committed");
  Ins().ComboBox()->setFocus();  // out of the grid: abandoned
  QApplication::processEvents();
  EXPECT_FALSE(Ins().IsEditing());
  EXPECT_EQ(first->Text(), "first");
  EXPECT_EQ(Ins().CellText(9, 1), "first");

  // Escape abandons as well
  editor = StartEdit(9);
  ASSERT_NE(editor, nullptr);
  editor->setText("escaped");
  Key(editor, Qt::Key_Escape);
  EXPECT_EQ(first->Text(), "first");
  EXPECT_EQ(Ins().CellText(9, 1), "first");
}

TEST_F(InspectorTest, RowsWithoutAnObjectTakeNoEditsAndEditsStopAt255Characters) {
  OpenFixture();
  Ins().RefreshGrid(insert);
  for (int row = 0; row < 9; ++row) EXPECT_FALSE(Grid().item(row, 1)->flags() & Qt::ItemIsEditable) << row;
  EXPECT_EQ(StartEdit(1), nullptr);
  EXPECT_FALSE(Ins().IsEditing());
  EXPECT_EQ(Ins().CellText(1, 1), "INSERT B1");
  QLineEdit* editor = StartEdit(9);
  ASSERT_NE(editor, nullptr);
  editor->setText(QString(300, 'w'));
  EXPECT_EQ(editor->text().size(), 255);
  Key(editor, Qt::Key_Return);
  EXPECT_EQ(insert->Attribs()[0]->Text(), std::string(255, 'w'));
}

TEST_F(InspectorTest, EditingATextOrADefinitionSetsItsText) {
  OpenFixture();
  Ins().RefreshGrid(text);
  QLineEdit* editor = StartEdit(9);
  ASSERT_NE(editor, nullptr);
  editor->setText("World");
  Key(editor, Qt::Key_Return);
  EXPECT_EQ(text->Text(), "World");
  // a definition's row sets its tag and the text it shows
  Ins().RefreshGrid(attdef);
  editor = StartEdit(9);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "LOOSE");
  editor->setText("NEWTAG");
  Key(editor, Qt::Key_Return);
  EXPECT_EQ(attdef->Tag(), "NEWTAG");
  EXPECT_EQ(attdef->Text(), "NEWTAG");
}

// The drawing changes where the attribute is: its glyphs are drawn again from the new text.
TEST_F(InspectorTest, AnAttributeEditChangesThePixelsWhereTheTextIs) {
  InstallTextFonts();
  OpenFixture();
  Ins().RefreshGrid(insert);
  TvxDXFAttrib* a = insert->Attribs()[0];
  auto area = [&] {
    const TFRect b = a->GetBox();
    return QRect(Pixel({b.Left, b.Top, 0}), Pixel({b.Right, b.Bottom, 0})).normalized().adjusted(-2, -2, 2, 2);
  };
  const QRect before = area();
  const QImage was = Nav()->grab().toImage();
  QLineEdit* editor = StartEdit(9);
  ASSERT_NE(editor, nullptr);
  editor->setText("XXXXXXXX");
  Key(editor, Qt::Key_Return);
  const QImage now = Nav()->grab().toImage();
  const QRect r = before.united(area()).intersected(now.rect());
  int changed = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) changed += was.pixel(x, y) != now.pixel(x, y);
  EXPECT_GT(changed, 10);
}

TEST_F(InspectorTest, StayOnTopToggleAndTheShortcut) {
  OpenFixture();
  EXPECT_FALSE(Ins().isVisible());
  QAction* act = win->ActionNamed("actInspector");
  ASSERT_NE(act, nullptr);
  EXPECT_EQ(act->shortcut(), QKeySequence(Qt::Key_F4));
  act->trigger();
  EXPECT_TRUE(Ins().isVisible());
  EXPECT_TRUE(Ins().StayOnTop());
  EXPECT_TRUE(Ins().SpeedButtonStayOnTop()->isChecked());
  const QPoint at = Ins().pos();
  Ins().SpeedButtonStayOnTop()->click();
  EXPECT_FALSE(Ins().StayOnTop());
  EXPECT_TRUE(Ins().isVisible());
  EXPECT_EQ(Ins().pos(), at);
  Ins().SpeedButtonStayOnTop()->click();
  EXPECT_TRUE(Ins().StayOnTop());
  // the grid's columns share its width
  Ins().resize(300, 237);
  QApplication::processEvents();
  const int w = Grid().viewport()->width();
  EXPECT_EQ(Grid().columnWidth(1), (w + 1) / 2 - 2);
}

}  // namespace
}  // namespace vx::test
