// vxDXFRecordsObjects: the paper-space records of the DXF reader.
//
//  - TdxfViewport: "VIEWPORT" entities (sheet centre and size, model-space view, frozen layers,
//    clip boundary).
//  - TdxfLayout: "LAYOUT" objects with their plot settings; the objects section keeps them and,
//    at its end, adds them to the drawing in tab order (model first), each bound to the block of
//    its block record.
//  - TdxfObjectsSection: the objects section: layouts are read, every other object is read and
//    dropped for now.
#pragma once

#include "readers/dxf/vxDXFRecords.h"
#include "readers/dxf/vxDXFSections.h"

#include <vector>

namespace vx {

class TdxfViewport : public TdxfEntity {
 public:
  TdxfViewport();
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  void ReadMView(TdxfLoader& r);

  int FStatusFlags = 0;         // 90
  uint64_t FBoundary = 0;       // 340
  std::vector<uint64_t> FFrozen;  // 331, 341
  // The view data older files keep in the "ACAD" extended data ("MVIEW").
  struct TMView {
    int Stage = 0;  // 0 none, 1 inside "ACAD", 2 after "MVIEW"
    int Points = 0, Reals = 0, Depth = 0;
    TFPoint Target, Direction = cnstExtrusion;
    double Twist = 0, Height = 0, CenterX = 0, CenterY = 0, Front = 0, Back = 0;
    std::vector<std::string> FrozenNames;
  } FMView;
};

class TdxfLayout : public TdxfEntity {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

  int TabOrder() const { return FTabOrder; }
  uint64_t BlockRecordHandle() const { return FSoftOwnerRecord; }

 private:
  bool FInPlotSettings = false;
  TvxPlotSettingsData FPlot;
  std::array<double, 10> FMore{};  // 140..149
  int FTabOrder = 0;
  uint64_t FSoftOwnerRecord = 0;   // the last 330: the layout's block record
};

class TdxfObjectsSection : public TdxfObjects {
 public:
  TdxfObject* NewChild(TdxfLoader& r, const std::string& name) override;
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;
  void ReadChildren(TdxfLoader& r) override;
  ~TdxfObjectsSection() override;

 private:
  struct TPending {
    TvxDXFLayout* Layout;
    uint64_t Record;
    int TabOrder;
  };
  std::vector<TPending> FLayouts;  // owned until placed
};

// Binds the layouts of the drawing to the space blocks after reading: the model layout first,
// then the layout of the first paper space; layouts that the file did not describe are made
// ("Layout1" for the first paper space).
void DXFArrangeLayouts(TdxfLoader& r);

}  // namespace vx
