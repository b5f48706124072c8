// Block copy and paste, the block insertion dialog and the preview: a paste adds one block and
// one reference and grows the extents; names are unique and in copy order; the dialog's three
// messages leave it open; single precision; indexes checked again; copies never outlive their
// drawing; the preview shows only the copies; and, on a corpus drawing, a reference and two
// lines copied, another drawing opened, then pasted in the original at a new place.
#include "test_app_fixture.h"

#include "database/blocks/vxBlocks.h"
#include "database/blocks/vxInserts.h"
#include "database/entities/vxEntLines.h"
#include "render/vxSelectionMatrix.h"
#include "support/vxTestPaths.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <array>
#include <regex>
#include <set>

namespace vx::test {
namespace {

// Red, green and blue lines.
const std::vector<DxfLine> kLines{{0, 0, 100, 0, 1}, {0, 50, 100, 50, 3}, {200, 0, 200, 80, 5}};

class BlocksTest : public AppTest {
 protected:
  void OpenLines() {
    ASSERT_TRUE(Open(Write("lines.dxf", DxfWithLines(kLines))));
    all = win->Manager().TopLevelEntities();
    ASSERT_EQ(all.size(), 3u);
  }
  TvxBlockLibrary& Lib() { return win->BlockLibrary(); }
  TvxDXFConverter* Conv() { return Nav()->Image()->Converter(); }
  TfmBlockInsert& Dlg() { return *win->BlockInsertDialog(); }
  int BlockCount() { return Conv()->BlocksSection()->Count(); }
  int EntityCount() { return Conv()->Sections(csEntities)->Count(); }
  std::vector<TvxDXFEntity*> all;
};

TEST_F(BlocksTest, CopyingTwoEntitiesAndPastingAddsOneBlockAndOneReference) {
  ASSERT_TRUE(Open(Write("two.dxf", DxfWithLines({kLines[0], kLines[1]}))));
  all = win->Manager().TopLevelEntities();
  ASSERT_EQ(all.size(), 2u);
  win->Manager().SetSelection({all[0], all[1]});
  win->CopyAsBlock();
  ASSERT_EQ(Lib().Count(), 1);
  TvxDXFBlock* block = Lib().Blocks(0);
  ASSERT_EQ(block->Count(), 2);
  EXPECT_NE(block->GetEntity(0), all[0]);  // copies, in selection order
  EXPECT_EQ(dynamic_cast<TvxDXFLine*>(block->GetEntity(1))->GetPoint1().Y, 50);
  // waiting: not part of the drawing yet
  const int blocks = BlockCount(), entities = EntityCount();
  EXPECT_EQ(Conv()->BlockByName(block->GetName()), nullptr);
  const TFRect before = Nav()->Image()->Extents();
  const QPoint origin = Pixel({0, 0, 0}), corner = Pixel({100, 50, 0});

  ASSERT_TRUE(win->InsertBlock(0, 10, 20));
  EXPECT_EQ(Lib().Count(), 0);
  EXPECT_EQ(BlockCount(), blocks + 1);
  EXPECT_EQ(EntityCount(), entities + 1);
  EXPECT_EQ(Conv()->BlockByName(block->GetName()), block);
  auto* ref = dynamic_cast<TvxDXFInsert*>(Conv()->Sections(csEntities)->GetEntity(entities));
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->GetBlock(), block);
  EXPECT_EQ(ref->GetPoint().X, 10);
  EXPECT_EQ(ref->GetPoint().Y, 20);
  EXPECT_EQ(ref->GetPoint().Z, 0);
  EXPECT_NE(ref->GetHandle(), 0u);
  const TFRect box = ref->GetBox();
  EXPECT_DOUBLE_EQ(box.Left, 10);
  EXPECT_DOUBLE_EQ(box.Right, 110);
  EXPECT_DOUBLE_EQ(box.Bottom, 20);
  EXPECT_DOUBLE_EQ(box.Top, 70);
  // the extents grew to hold it
  const TFRect after = Nav()->Image()->PureExtents();
  EXPECT_DOUBLE_EQ(after.Top, 70);
  EXPECT_DOUBLE_EQ(after.Right, 110);
  EXPECT_GT(Nav()->Image()->Extents().Top, before.Top);
  EXPECT_GT(Nav()->Image()->Extents().Right, before.Right);
  // the inspector lists and shows the new reference
  EXPECT_EQ(win->Inspector()->Shown(), ref);
  EXPECT_EQ(win->Inspector()->List().size(), 3u);
  // the drawing stayed where it was on the screen; the reference is drawn and picked
  Nav()->repaint();
  EXPECT_LE((Pixel({0, 0, 0}) - origin).manhattanLength(), 2);
  EXPECT_LE((Pixel({100, 50, 0}) - corner).manhattanLength(), 2);
  Nav()->FitToSize();
  Nav()->repaint();
  EXPECT_EQ(win->Manager().FindEntity(Pixel({60, 70, 0})), ref);
}

TEST_F(BlocksTest, TwoCopiesGetTwoNamesInCopyOrderSkippingNamesInUse) {
  const std::string taken =
      "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\n$00000001\n70\n0\n10\n0\n20\n0\n30\n0\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n1\n31\n0\n0\nENDBLK\n8\n0\n0\nENDSEC\n";
  const std::string lines = DxfWithLines(kLines);
  ASSERT_TRUE(Open(Write("taken.dxf", taken + lines)));
  ASSERT_NE(Conv()->BlockByName("$00000001"), nullptr);
  all = win->Manager().TopLevelEntities();
  win->Manager().SetSelection({all[0]});
  win->CopyAsBlock();
  win->Manager().SetSelection({all[1], all[2]});
  win->CopyAsBlock();
  const std::vector<std::string> names = Lib().BlockNames();
  ASSERT_EQ(names.size(), 2u);
  for (const std::string& n : names) EXPECT_TRUE(std::regex_match(n, std::regex(R"(\$[0-9A-F]{8})"))) << n;
  EXPECT_EQ(names[0], "$00000002");  // $00000001 is a block of the drawing
  EXPECT_NE(names[0], names[1]);
  EXPECT_EQ(Lib().Blocks(0)->Count(), 1);
  EXPECT_EQ(Lib().Blocks(1)->Count(), 2);
  // the dialog lists them in copy order; after pasting the first only the second is left
  Dlg().FormShow();
  ASSERT_EQ(Dlg().lsbBlockName()->count(), 2);
  EXPECT_EQ(Dlg().lsbBlockName()->item(0)->text().toStdString(), names[0]);
  EXPECT_EQ(Dlg().lsbBlockName()->item(1)->text().toStdString(), names[1]);
  ASSERT_TRUE(win->InsertBlock(0, 0, 0));
  Dlg().FormShow();
  ASSERT_EQ(Dlg().lsbBlockName()->count(), 1);
  EXPECT_EQ(Dlg().lsbBlockName()->item(0)->text().toStdString(), names[1]);
  // a pasted name stays taken
  win->CopyAsBlock();
  EXPECT_NE(Lib().BlockNames().back(), names[0]);
}

TEST_F(BlocksTest, TheDialogsMessagesLeaveItOpen) {
  OpenLines();
  win->Manager().SetSelection({all[0]});
  win->CopyAsBlock();
  Dlg().SetNumberLocale(QLocale::c());
  Dlg().show();
  ASSERT_EQ(Dlg().lsbBlockName()->count(), 1);  // filled when shown
  EXPECT_EQ(Dlg().lbeX()->text(), "0");
  EXPECT_EQ(Dlg().lbeY()->text(), "0");
  struct Case { const char* x; const char* y; bool choose; const char* want; };
  for (const Case& c : std::initializer_list<Case>{
           {"", "1", true, "Indicate a point"},
           {"1", "", true, "Indicate a point"},
           {"1,5", "2", true, "Point is incorrect"},  // a comma where the separator is a point
           {"abc", "2", true, "Point is incorrect"},
           {"1", "2x", true, "Point is incorrect"},
           {"1e39", "2", true, "Point is incorrect"},  // beyond single precision
           {"inf", "2", true, "Point is incorrect"},
           {"nan", "2", true, "Point is incorrect"},
           {"1", "2", false, "Select block"}}) {
    Dlg().lbeX()->setText(c.x);
    Dlg().lbeY()->setText(c.y);
    Dlg().lsbBlockName()->clearSelection();
    Dlg().lsbBlockName()->setCurrentRow(c.choose ? 0 : -1);
    messages.clear();
    Dlg().Button1Click();
    ASSERT_EQ(messages.size(), 1u) << c.x << " " << c.y;
    EXPECT_EQ(messages[0].second, c.want) << c.x << " " << c.y;
    EXPECT_TRUE(Dlg().isVisible()) << c.x << " " << c.y;
    EXPECT_EQ(Lib().Count(), 1);
  }
  // a point and a block: inserted, the dialog closes
  messages.clear();
  Dlg().lbeX()->setText("0.1");
  Dlg().lbeY()->setText(" -2.5 ");
  Dlg().lsbBlockName()->setCurrentRow(0);
  Dlg().Button1Click();
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(Dlg().isVisible());
  EXPECT_EQ(Lib().Count(), 0);
  auto* ref = dynamic_cast<TvxDXFInsert*>(win->Inspector()->Shown());
  ASSERT_NE(ref, nullptr);
  // 0.1 went through single precision
  EXPECT_EQ(ref->GetPoint().X, static_cast<double>(0.1f));
  EXPECT_NE(ref->GetPoint().X, 0.1);
  EXPECT_EQ(ref->GetPoint().Y, -2.5);
}

TEST_F(BlocksTest, ACommaReadsWhereTheLocaleWritesOne) {
  OpenLines();
  win->Manager().SetSelection({all[0]});
  win->CopyAsBlock();
  Dlg().SetNumberLocale(QLocale(QLocale::German, QLocale::Germany));
  Dlg().FormShow();
  Dlg().lbeX()->setText("1,5");
  Dlg().lbeY()->setText("2");
  Dlg().lsbBlockName()->setCurrentRow(0);
  Dlg().Button1Click();
  EXPECT_TRUE(messages.empty());
  auto* ref = dynamic_cast<TvxDXFInsert*>(win->Inspector()->Shown());
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->GetPoint().X, 1.5);
}

TEST_F(BlocksTest, TheChosenIndexIsCheckedAgainWhenPasting) {
  OpenLines();
  win->Manager().SetSelection({all[0]});
  win->CopyAsBlock();
  Dlg().SetNumberLocale(QLocale::c());
  Dlg().show();
  Dlg().lsbBlockName()->setCurrentRow(0);
  // the block goes from the library while the dialog still lists it
  ASSERT_TRUE(win->InsertBlock(0, 1, 1));
  messages.clear();
  Dlg().Button1Click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].second, "Select block");
  EXPECT_TRUE(Dlg().isVisible());
  EXPECT_EQ(Dlg().lsbBlockName()->count(), 0);  // refilled with what is left
  // the library refuses what it does not hold, and points that are not finite
  win->CopyAsBlock();
  const int entities = EntityCount();
  EXPECT_EQ(Lib().PasteAsBlock(-1, 0, 0), nullptr);
  EXPECT_EQ(Lib().PasteAsBlock(1, 0, 0), nullptr);
  EXPECT_EQ(Lib().PasteAsBlock(0, std::nan(""), 0), nullptr);
  EXPECT_EQ(Lib().PasteAsBlock(0, 0, HUGE_VAL), nullptr);
  EXPECT_EQ(Lib().Count(), 1);
  EXPECT_EQ(EntityCount(), entities);
  Dlg().hide();
}

TEST_F(BlocksTest, CopiesNeverOutliveTheirDrawing) {
  OpenLines();
  TvxDXFConverter* conv = Conv();
  const int refs = conv->RefCount();
  win->Manager().SelectAll();
  win->CopyAsBlock();
  win->CopyAsBlock();
  EXPECT_EQ(conv->RefCount(), refs + 1);  // the waiting copies keep their drawing
  // another drawing: the copies go (the sanitizers watch the old drawing's end)
  ASSERT_TRUE(Open(Write("other.dxf", DxfWithLines({{5, 5, 6, 6, 2}}))));
  EXPECT_EQ(Lib().Count(), 0);
  EXPECT_EQ(Dlg().lsbBlockName()->count(), 0);
  win->Manager().SelectAll();
  win->CopyAsBlock();
  EXPECT_EQ(Lib().Count(), 1);
  // a failed open and a closed file free them as well
  EXPECT_FALSE(win->OpenFile(Write("broken.dxf", BrokenDxf())));
  EXPECT_EQ(Lib().Count(), 0);
  ASSERT_TRUE(Open(Write("other.dxf", DxfWithLines({{5, 5, 6, 6, 2}}))));
  win->Manager().SelectAll();
  win->CopyAsBlock();
  win->FileClose();
  EXPECT_EQ(Lib().Count(), 0);
  // and nothing to copy or paste without a drawing
  win->CopyAsBlock();
  EXPECT_EQ(Lib().Count(), 0);
  EXPECT_FALSE(win->InsertBlock(0, 0, 0));
}

TEST_F(BlocksTest, ButtonsAndMenuEntries) {
  EXPECT_FALSE(win->BtnCopy()->isHidden());
  EXPECT_FALSE(win->BtnPaste()->isHidden());
  EXPECT_FALSE(win->SbPreviewSelection()->isHidden());
  EXPECT_EQ(win->BtnCopy()->toolTip(), "Copy block");
  EXPECT_EQ(win->BtnPaste()->toolTip(), "Paste block");
  EXPECT_EQ(win->SbPreviewSelection()->text(), "Preview selection");
  ASSERT_NE(win->ActionNamed("actCopyBlock"), nullptr);
  ASSERT_NE(win->ActionNamed("actInsertBlock"), nullptr);
  ASSERT_NE(win->ActionNamed("actPreview"), nullptr);
  EXPECT_EQ(win->ActionNamed("actCopyBlock")->shortcut(), QKeySequence("Ctrl+C"));
  EXPECT_EQ(win->ActionNamed("actInsertBlock")->shortcut(), QKeySequence("Ctrl+V"));
  OpenLines();
  win->Manager().SetSelection({all[2]});
  win->ActionNamed("actCopyBlock")->trigger();
  EXPECT_EQ(Lib().Count(), 1);
  win->BtnCopy()->click();
  EXPECT_EQ(Lib().Count(), 2);
}

// How many pixels of a picture lean clearly to red, green and blue (antialiased lines blend
// with the background).
std::array<int, 3> Leanings(const QImage& img) {
  std::array<int, 3> out{};
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c = img.pixelColor(x, y);
      const int ch[3] = {c.red(), c.green(), c.blue()};
      for (int i = 0; i < 3; ++i) out[size_t(i)] += ch[i] - std::max(ch[(i + 1) % 3], ch[(i + 2) % 3]) > 60;
    }
  return out;
}

TEST_F(BlocksTest, ThePreviewShowsOnlyTheCopies) {
  OpenLines();
  int shown = 0;
  win->OnPreviewShown = [&](TfmPreview& p) {
    ++shown;
    EXPECT_EQ(p.windowTitle(), "Preview selected entities");
    TvxCADImage* img = p.DNavigator()->Image();
    ASSERT_NE(img, nullptr);
    ASSERT_NE(img->Converter(), Conv());
    TvxDXFEntity* section = img->Converter()->Sections(csEntities);
    ASSERT_EQ(section->Count(), 2);
    EXPECT_NE(section->GetEntity(0), all[0]);
    // fitted to the two copies: the blue line at X 200 is not part of it
    const TFRect box = img->PureExtents();
    EXPECT_DOUBLE_EQ(box.Right, 100);
    EXPECT_DOUBLE_EQ(box.Top, 50);
    p.DNavigator()->repaint();
    const std::array<int, 3> lean = Leanings(p.DNavigator()->grab().toImage());
    EXPECT_GT(lean[0], 50) << "the red copy is drawn";
    EXPECT_GT(lean[1], 50) << "the green copy is drawn";
    EXPECT_EQ(lean[2], 0) << "the blue line was not selected";
    // the close button stays centred
    p.resize(400, 349);
    EXPECT_EQ(p.BtnCancel()->x(), 400 / 2 - 75 / 2);
  };
  win->Manager().SetSelection({all[0], all[1]});
  win->SbPreviewSelection()->click();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(EntityCount(), 3);  // the drawing itself is unchanged
  // nothing selected: a message, no window
  win->Manager().DeselectAll();
  win->ActionNamed("actPreview")->trigger();
  EXPECT_EQ(shown, 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].second, "There are no selected entities");
}

// On a real drawing: a block reference and two lines copied; another drawing opened frees the
// copies; in the original again, the same three pasted beside the drawing draw the same shapes
// there, and nothing else does.
TEST_F(BlocksTest, CorpusReferenceAndLinesPastedAtANewPlace) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus (set VX_CORPUS)";
  const std::string path = corpus + "/same-drawing/sample_AC1015_ascii.dxf";
  const std::string other = corpus + "/ezdxf/colors.dxf";
  auto pick = [&] {
    std::vector<TvxDXFEntity*> chosen;
    TvxDXFEntity* ref = nullptr;
    for (TvxDXFEntity* e : win->Manager().TopLevelEntities()) {
      if (!ref && e->EntType() == ceInsert && e->GetBlock() && !IsBadBox(e->GetBox())) ref = e;
    }
    if (ref) chosen.push_back(ref);
    for (TvxDXFEntity* e : win->Manager().TopLevelEntities())
      if (chosen.size() < 3 && e->EntType() == ceLine && !IsBadBox(e->GetBox())) chosen.push_back(e);
    return chosen;
  };
  ASSERT_TRUE(Open(path));
  std::vector<TvxDXFEntity*> chosen = pick();
  ASSERT_EQ(chosen.size(), 3u);
  win->Manager().SetSelection(chosen);
  win->CopyAsBlock();
  ASSERT_EQ(Lib().Count(), 1);
  ASSERT_TRUE(Open(other));
  EXPECT_EQ(Lib().Count(), 0);
  win->Manager().SelectAll();
  Nav()->repaint();

  ASSERT_TRUE(Open(path));
  chosen = pick();
  ASSERT_EQ(chosen.size(), 3u);
  TFRect from = BadBox;
  for (TvxDXFEntity* e : chosen) UnionBox(from, e->GetBox());
  const TFRect ext = Nav()->Image()->PureExtents();
  win->Manager().SetSelection(chosen);
  win->CopyAsBlock();
  win->Manager().DeselectAll();
  // beside the drawing, to the right of its extents
  const double dx = ext.Right - from.Left + (ext.Right - ext.Left) * 0.1, dy = 0;
  ASSERT_TRUE(win->InsertBlock(0, static_cast<float>(dx), static_cast<float>(dy)));
  auto* ref = dynamic_cast<TvxDXFInsert*>(win->Inspector()->Shown());
  ASSERT_NE(ref, nullptr);
  Nav()->FitToSize();  // both places in view
  const TFRect to = ref->GetBox();
  EXPECT_NEAR(to.Left, from.Left + dx, 1e-3 * (ext.Right - ext.Left));
  EXPECT_NEAR(to.Right, from.Right + dx, 1e-3 * (ext.Right - ext.Left));
  EXPECT_NEAR(to.Top, from.Top + dy, 1e-3 * (ext.Top - ext.Bottom));
  Nav()->repaint();
  // every pixel the originals claim in the picking matrix has its twin at the new place,
  // claimed by the new reference (within a pixel: the shift is not a whole number of pixels)
  const QPoint shift = Pixel({dx, dy, 0}) - Pixel({0, 0, 0});
  const QRect src = QRect(Pixel({from.Left, from.Top, 0}), Pixel({from.Right, from.Bottom, 0})).normalized();
  const std::set<TvxDXFEntity*> originals(chosen.begin(), chosen.end());
  int claimed = 0, twins = 0;
  for (int y = src.top(); y <= src.bottom(); ++y)
    for (int x = src.left(); x <= src.right(); ++x) {
      if (!originals.count(win->Manager().FindEntity(QPoint(x, y)))) continue;
      ++claimed;
      bool found = false;
      for (int oy = -1; oy <= 1 && !found; ++oy)
        for (int ox = -1; ox <= 1 && !found; ++ox)
          found = win->Manager().FindEntity(QPoint(x, y) + shift + QPoint(ox, oy)) == ref;
      twins += found;
    }
  ASSERT_GT(claimed, 20);
  EXPECT_GE(twins * 100, claimed * 95) << twins << " of " << claimed;
  // nothing else is drawn at the new place
  const QRect dst = src.translated(shift).adjusted(-3, -3, 3, 3).intersected(QRect(QPoint(0, 0), Nav()->ClientSize()));
  int foreign = 0;
  for (int y = dst.top(); y <= dst.bottom(); ++y)
    for (int x = dst.left(); x <= dst.right(); ++x) {
      TvxDXFEntity* at = win->Manager().FindEntity(QPoint(x, y));
      // rays and construction lines cross the whole plane
      if (at && at != ref && at->EntType() != ceRay && at->EntType() != ceXline) ++foreign;
    }
  EXPECT_EQ(foreign, 0);
}

}  // namespace
}  // namespace vx::test

namespace vx::test {
namespace {

// Every corpus drawing: all of its top-level entities copied as one block, pasted, shown in the
// inspector and previewed, then the next drawing opened (the sanitizers watch the copies of
// every kind: texts, multi-line texts, dimensions, references with attributes, tables, hatches).
TEST_F(BlocksTest, EveryCorpusDrawingCopiesPastesAndPreviews) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus (set VX_CORPUS)";
  const std::vector<TCorpusDrawing> files = CorpusDrawings(corpus);
  ASSERT_FALSE(files.empty());
  int previews = 0, pasted = 0;
  win->OnPreviewShown = [&](TfmPreview& p) {
    ++previews;
    p.DNavigator()->repaint();
  };
  for (const TCorpusDrawing& drawing : files) {
    const std::string& f = drawing.Path;
    SCOPED_TRACE(f);
    if (!Open(f)) continue;
    win->Manager().SelectAll();
    const size_t selected = win->Manager().Entities().size();
    if (selected == 0) continue;
    win->CopyAsBlock();
    win->CopyAsBlock();  // a second one waits while the drawing changes
    ASSERT_EQ(Lib().Count(), 2);
    EXPECT_EQ(Lib().Blocks(0)->Count(), static_cast<int>(selected));
    const TFRect ext = Nav()->Image()->PureExtents();
    const double x = IsBadBox(ext) ? 0 : ext.Right + (ext.Right - ext.Left);
    pasted += win->InsertBlock(0, static_cast<float>(x), 0);
    Nav()->repaint();
    for (TvxDXFEntity* e : win->Inspector()->List()) win->Inspector()->RefreshGrid(e);
    win->PreviewSelection();
  }
  win->FileClose();
  EXPECT_GT(previews, static_cast<int>(files.size()) / 2);
  EXPECT_EQ(pasted, previews);
}

}  // namespace
}  // namespace vx::test
