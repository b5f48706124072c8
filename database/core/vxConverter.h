// vxConverter: TvxDXFConverter, the in-memory drawing.
//
// One converter per open drawing owns every section, table, block, layout and entity. Readers
// fill it (named lookups, NewNamedEntity, Loads, the handle numbering), then run
// ResolveDrawingLinks and LoadDrawing, which compute each item's geometry and the extents; the
// renderer walks the layouts; the editor adds and changes entities. The converter is reference
// counted by the images that share it (Reference / Release).
#pragma once

#include "database/layouts/vxLayouts.h"
#include "database/core/vxMapEntities.h"
#include "database/core/vxSections.h"
#include "database/extdata/vxExtData.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vx {

// Every top-level container of a drawing.
enum class TConvSection : uint8_t {
  csTables, csBlocks, csEntities, csAppID, csLTypes, csLayers, csStyles, csDimStyles,
  csBlockRecords, csVPorts, csMLineStyles, csImageDefs, csLayouts, csTableStyles, csObjects
};
using enum TConvSection;
constexpr int cnstSectionCount = 15;

enum class TConvStatus : uint8_t {
  stDefault, stLoading, stEditing, stClearing, stDestroying, stReading
};
using enum TConvStatus;

enum class TvxImportMode : uint8_t { imView, imImport };
using enum TvxImportMode;

// A class of the tree as a value: a way to make one, and an instance test.
struct TvxEntityClassInfo {
  TvxDXFEntity* (*Create)();
  bool (*IsInstance)(const TvxDXFEntity*);
};

template <class T>
const TvxEntityClassInfo* ClassOf() {
  static const TvxEntityClassInfo info{
      []() -> TvxDXFEntity* { return new T(); },
      [](const TvxDXFEntity* e) { return dynamic_cast<const T*>(e) != nullptr; }};
  return &info;
}

// Name and container class of each section index.
struct TvxSectionInfo {
  const char* Name;
  const TvxEntityClassInfo* (*ContainerClass)();
  const TvxEntityClassInfo* (*ItemClass)();
};
const TvxSectionInfo& SectionInfo(TConvSection s);

struct TvxConverterParams {
  bool CheckHandles = false;
  std::string FileName;
};

// Keeps up to 200 handles by index for the XML layer.
class TvxConverterExtented {
 public:
  static constexpr int cnstMaxSaved = 200;
  // Raises "Does not have owner!" without an owner.
  explicit TvxConverterExtented(TvxDXFConverter* owner);
  bool SaveHandle(int index, uint64_t handle);
  uint64_t SavedHandle(int index) const;

 private:
  TvxDXFConverter* FOwner;
  std::array<uint64_t, cnstMaxSaved> FHandles{};
};

using TvxConverterEvent = std::function<void(TvxDXFConverter*)>;
using TvxEntityEvent = std::function<void(TvxDXFEntity*)>;
using TvxBlockLoader = std::function<void(TvxDXFEntity*)>;
using TvxResolveEvent = std::function<bool(TvxDXFConverter*, const std::string&, std::string&)>;

class TvxDXFConverter : public TvxListObject {
 public:
  // Create is CreateEx with empty parameters; CreateFromFile stores the file name only.
  static TvxDXFConverter* Create();
  static TvxDXFConverter* CreateEx(const TvxConverterParams& params);
  static TvxDXFConverter* CreateFromFile(const std::string& fileName);
  explicit TvxDXFConverter(const TvxConverterParams& params = {});
  TvxDXFConverter(const TvxDXFConverter&) = delete;
  TvxDXFConverter& operator=(const TvxDXFConverter&) = delete;
  const char* ClassName() const override { return "TvxDXFConverter"; }

  // ---- lifetime ----
  // A reference taken while a release is pending keeps the converter alive after the load.
  int Reference() {
    FReleasePending = false;
    return ++FRefs;
  }
  // At 0 the converter is destroyed, except while loading: then loading stops, the status
  // returns to stDefault, and the reader's end step destroys it. Returns the new count.
  int Release();
  int RefCount() const { return FRefs; }
  // Empties the drawing but keeps a usable skeleton.
  void Clear();
  TConvStatus Status() const { return FStatus; }
  void SetStatus(TConvStatus s) { FStatus = s; }
  // A Release took the count to 0 during loading; the end step destroys the converter.
  bool ReleasePending() const { return FReleasePending; }

  // ---- reading ----
  // Reader start step: status stLoading (renumbering the drawing when handles are generated).
  void BeginReading();
  // Reader end step: status stDefault, InitializeSectionsEnd(true). Returns false when the
  // converter was released during loading and has now been destroyed: the caller must not
  // touch it again.
  bool EndReading();
  void StopLoading();
  bool LoadingStopped() const { return FStopped; }
  // The source buffer and the read position in it.
  void SetSource(std::vector<uint8_t> data);
  const std::vector<uint8_t>& Source() const { return FSource; }
  size_t Pos() const { return FPos; }
  void SetPos(size_t p) { FPos = p; }
  size_t HeadEnd() const { return FHeadEnd; }
  void SetHeadEnd(size_t p) { FHeadEnd = p; }
  // Never 0: the source size while loading, else the Loads count.
  int Count() const;
  int LoadsCount() const { return FCount; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& f) { FFileName = f; }

  // ---- sections ----
  TvxDXFSection* Main() const { return FMain; }
  TvxDXFEntity* Sections(TConvSection s) const;
  // Type-checks against the section's class family (EvxInvalidCast, nothing stored); writing
  // csEntities or csMLineStyles does nothing.
  void SetSection(TConvSection s, TvxDXFEntity* e);
  int Counts(TConvSection s) const;
  TvxDXFTable* Table(TConvSection s) const;
  TvxDXFTable* Tables(const std::string& name) const;
  TvxDXFTable* Layers() const { return FLayers; }
  TvxDXFTable* LTypes() const { return FLTypes; }
  TvxDXFTable* Styles() const { return FStyles; }
  TvxDXFTable* DimStyles() const { return FDimStyles; }
  TvxDXFTable* AppIDs() const { return FAppIDs; }
  TvxDXFTable* VPorts() const { return FVPorts; }
  TvxDXFTable* BlockRecords() const { return FBlockRecords; }
  TvxDXFTable* LayoutsDictionary() const { return FLayouts; }
  TvxDXFTable* ImageDefs() const { return FImageDefs; }
  TvxDXFTable* MLineStyles() const { return FMStyles; }
  TvxDXFTable* TableStyles() const { return FTableStyles; }
  TvxDXFTable* FieldList() const { return FFieldList; }
  TvxDXFSection* BlocksSection() const { return FBlocksSection; }
  TvxDXFSection* TablesSection() const { return FTablesSection; }
  TvxDXFSection* ObjectsSection() const { return FObjectsSection; }
  TvxDXFSection* HeaderSection() const { return FHeaderSection; }
  TvxDXFSection* EntitiesSection() const { return FEntitiesSection; }

  // ---- layouts ----
  int LayoutsCount() const;
  TvxDXFLayout* Layouts(int i) const;
  // Binds the layout to the converter and adds it to LAYOUTS; returns its index.
  int AddLayout(TvxDXFLayout* layout);
  // Removes the layouts from index 2 on that have no entities (with their blocks); with
  // removeLayout1 also layout 1.
  void CleaningLayouts(bool removeLayout1);
  int DefaultLayoutIndex() const { return FDefaultLayoutIndex; }
  void SetDefaultLayoutIndex(int i) { FDefaultLayoutIndex = i; }
  // The model-space block (layout 0's paper-space block).
  TvxDXFBlock* ModelSpaceBlock() const;
  TvxDXFEntity* Entities(int i) const;

  // ---- named lookups (names compare case-insensitively; only items of the fitting class) ----
  TvxDXFLayer* LayerByName(const std::string& name);
  TvxDXFLineType* LTypeByName(const std::string& name) const;
  TvxDXFStyle* StyleByName(const std::string& name);
  TvxDXFDimensionStyle* DimensionStyleByName(const std::string& name);
  TvxDXFBlock* BlockByName(const std::string& name) const;
  TvxDXFEntity* FindOrCreateItem(const std::string& name, TConvSection section, bool create);
  // The container of a section, created when missing (csEntities: the model-space block).
  TvxDXFEntity* SectionContainer(TConvSection section);
  // The existing child of that name and class, or a new one bound, named and added; nil when
  // the owner refuses it.
  TvxDXFEntity* NewNamedEntity(TvxDXFEntity* owner, const TvxEntityClassInfo* cls,
                               const std::string& name);
  template <class T>
  T* NewNamed(TvxDXFEntity* owner, const std::string& name) {
    return static_cast<T*>(NewNamedEntity(owner, ClassOf<T>(), name));
  }
  TvxDXFTable* NewNamedTable(const std::string& name,
                             const TvxEntityClassInfo* cls = ClassOf<TvxDXFTable>());
  // Removes every occurrence without freeing; the entity, or nil when not there.
  TvxDXFEntity* ExtractFromTable(TvxDXFEntity* table, TvxDXFEntity* entity);
  bool DeleteBlock(TvxDXFBlock* block, bool freeBlock);
  // Names of generated blocks: "*vxDim<n>" and "*TvxTbl<n>", skipping existing names.
  std::string NewDimensionBlockName();
  std::string NewTableBlockName();

  // ---- handles ----
  uint64_t MaxHandle() const { return FMaxHandle; }
  // 0 gives the next handle (0 again once the counter is exhausted, never a wrapped one);
  // a larger handle raises the maximum and is kept.
  uint64_t ReserveHandle(uint64_t h);
  void RegisterHandle(TvxDXFEntity* e);
  TvxMapEntities& MapEntities() { return *FMapEntities; }
  bool HasGeneratedHandles() const { return FMapEntities->HasGeneratedList(); }

  // ---- loading ----
  void Loads(TvxDXFEntity* e);
  void LoadsGroup(TvxDXFEntity* e);
  void InitializeSectionsBegin();
  void FillMainSection();
  void InitializeSectionsEnd(bool finalizing);
  void LoadDrawing();
  void ResolveDrawingLinks();
  // Registered by readers: the extension dictionary of the item with ownerHandle (the first
  // registration of an owner counts). Only handles are kept: the registry never points at an
  // item, so an item freed before the pass below leaves nothing behind that could be read.
  void RegisterEntityDictionary(uint64_t ownerHandle, uint64_t dictionaryHandle);
  int EntityDictionaryCount() const { return static_cast<int>(FEntityDictionaries.size()); }
  // The extended data of every entity: entity handle -> application handle -> data (owned).
  TvxEEDStore& EntityEEDItems() { return FEntityEEDItems; }
  const TvxEEDStore& EntityEEDItems() const { return FEntityEEDItems; }
  // Gives layers their registered extension dictionaries; drops the other entries.
  void ApplyLayerDictionaries();
  void DoExtents();
  TFRect Extents() const;
  void SortEntities();
  bool SortEntitiesInZDepth();
  // The block loader while LoadDrawing runs (inserts ask it for their block); nil otherwise.
  const TvxBlockLoader& OnLoad() const { return FOnLoad; }

  // ---- walking ----
  TvxCADIterate* Params() const { return FParams; }
  void SetParams(TvxCADIterate* p) { FParams = p ? p : &FOwnParams; }
  TvxImportMode ImportMode() const { return FImportMode; }
  void SetImportMode(TvxImportMode m) { FImportMode = m; }
  TFRect ViewPortRect() const { return FViewPortRect; }
  void SetViewPortRect(const TFRect& r) { FViewPortRect = r; }
  bool ViewPortCut() const { return FViewPortCut; }
  void SetViewPortCut(bool v) { FViewPortCut = v; }
  bool AutoInsert() const { return FAutoInsert; }
  void SetAutoInsert(bool v) { FAutoInsert = v; }
  // The drawing's wipeout variables: whether wipeout frames are hidden (shown by default).
  bool HideWipeouts() const { return FHideWipeouts; }
  void SetHideWipeouts(bool v) { FHideWipeouts = v; }
  TFMatrix Transform3D() const { return FTransform3D; }
  void SetTransform3D(const TFMatrix& m) { FTransform3D = m; }
  TFMatrix ViewTwistMatrix() const { return FViewTwistMatrix; }
  void SetViewTwistMatrix(const TFMatrix& m) { FViewTwistMatrix = m; }

  // ---- header and settings ----
  TvxHeadVarStruct& HeadVarStruct() { return FHeadVarStruct; }
  const TvxHeadVarStruct& HeadVarStruct() const { return FHeadVarStruct; }
  int PointDisplayMode() const { return FHeadVarStruct.PointDisplayMode; }
  double LTScale() const { return FHeadVarStruct.LTScale; }
  int CodePage() const { return FHeadVarStruct.CodePage; }
  // 255 while the process-wide merge angle is above 0.
  int NumberOfPartsInCircle() const;
  void SetNumberOfPartsInCircle(int n) { FNumberOfPartsInCircle = n; }
  int NumberOfPartsInSpline() const;
  void SetNumberOfPartsInSpline(int n) { FNumberOfPartsInSpline = n; }
  bool AllArcsAsCurves() const { return FAllArcsAsCurves; }
  void SetAllArcsAsCurves(bool v) { FAllArcsAsCurves = v; }
  bool IsCrossoverMatrix() const { return FIsCrossoverMatrix; }
  double MeshQuality() const { return FMeshQuality; }
  bool UseSHXFonts() const { return FUseSHXFonts; }
  const std::string& SHXSearchPath() const { return FSHXSearchPath; }
  const std::string& SHXDefaultFont() const { return FSHXDefaultFont; }
  int MaxEntities() const { return FMaxEntities; }
  void SetMaxEntities(int n) { FMaxEntities = n; }
  TvxDXFVport* ActiveVPort() const { return FActiveVPort; }
  void SetActiveVPortItem(TvxDXFVport* v) { FActiveVPort = v; }
  bool IsHaveActiveVPort() const { return FIsHaveActiveVPort; }
  void SetIsHaveActiveVPort(bool v) { FIsHaveActiveVPort = v; }
  std::vector<std::string>& XRefSearchPaths() { return FXRefSearchPaths; }
  std::string XRefSearchPath() const;
  std::vector<TvxDXFEntity*>& XRefs() { return FXRefs; }
  TvxDXFConverter* OwnerConverter() const { return FOwnerConverter; }
  void SetOwnerConverter(TvxDXFConverter* c) { FOwnerConverter = c; }
  TvxConverterExtented& ConvExtended() { return *FConvExtended; }

  // ---- drawing properties ----
  // Stamps title, comments and the empty creator fields.
  virtual void SetDefaultDrawingProp();
  void ClearDrawingProp();
  std::string DrwProp(int key) const;
  void SetDrwProp(int key, const std::string& value);
  std::vector<std::string>& DrwPropCustomSummaryInfo() { return FDrwPropCustomSummaryInfo; }
  double DrwPropCreatedDateTime() const { return FDrwPropCreatedDateTime; }
  double DrwPropModifiedDateTime() const { return FDrwPropModifiedDateTime; }
  double DrwPropTotalEditingTime() const { return FDrwPropTotalEditingTime; }

  // ---- events ----
  TvxEntityEvent OnCreate;
  TvxEntityEvent OnLayoutAdd;
  TvxEntityEvent OnLayoutRemove;
  TvxConverterEvent OnRead;
  TvxConverterEvent BeforeRead;
  TvxConverterEvent AfterRead;
  TvxResolveEvent OnSHXResolve;
  TvxResolveEvent OnXRefResolve;
  TvxResolveEvent OnFindFont;
  // Process-wide default resolvers taken by new converters.
  static inline TvxResolveEvent DefaultSHXResolve;
  static inline TvxResolveEvent DefaultXRefResolve;
  static inline TvxResolveEvent DefaultFindFont;

  // The support folders of installed CAD programs (empty on this platform).
  static std::vector<std::string> InstalledSupportPaths();

 protected:
  // Destroy: Clear, then every section and owned object; reached through Release.
  virtual ~TvxDXFConverter();

 private:
  void CreateSkeleton();
  void MainNotify(TvxDXFEntity* e, TvxListNotification action);
  void TablesNotify(TvxDXFEntity* e, TvxListNotification action);
  void ObjectsNotify(TvxDXFEntity* e, TvxListNotification action);
  void LayoutsNotify(TvxDXFEntity* e, TvxListNotification action);
  void WireObjectsContainer(TvxDXFEntity* e, bool add);
  void BuildSHXSearchPath();
  void ResetHandles(TvxDXFEntity* e, int depth);
  void LoadSubtree(TvxDXFEntity* e, int depth);
  void ResolveSubtree(TvxDXFEntity* e, int depth);
  void LoadBlockOnce(TvxDXFEntity* block);
  void SortBlockByTable(TvxDXFBlock* block, const TvxDXFSortEntsTable* table);
  void FreeEntityDictionaries();
  void RemoveLayoutWithBlock(TvxDXFLayout* layout);
  void CreateObjectsDictionaries();
  bool IsValidTableName(const std::string& name) const;

  std::unique_ptr<TvxConverterExtented> FConvExtended;
  TvxDXFVport* FActiveVPort = nullptr;
  int FAddedDimensionsCount = 0;
  int FAddedTablesCount = 0;
  bool FAllArcsAsCurves = true;
  bool FAutoInsert = false;
  bool FHideWipeouts = false;
  TvxDXFSection* FBlocksSection = nullptr;
  TvxDXFTable* FBlockRecords = nullptr;
  int FCount = 0;
  TvxDXFEntity* FContainerXref = nullptr;
  int FDefaultLayoutIndex = -1;
  TvxDXFTable* FDimStyles = nullptr;
  TFRect FExtents = BadBox;
  TvxDXFTable* FFieldList = nullptr;
  std::string FFileName;
  size_t FHeadEnd = 0;
  TvxHeadVarStruct FHeadVarStruct;
  TvxImportMode FImportMode = imView;
  TvxDXFTable* FImageDefs = nullptr;
  bool FIsCrossoverMatrix = true;
  bool FIsHaveActiveVPort = false;
  TvxDXFTable* FLayers = nullptr;
  TvxDXFTable* FLayouts = nullptr;
  TvxDXFTable* FLTypes = nullptr;
  size_t FLimit = 0;
  TvxDXFSection* FMain = nullptr;  // owned
  int FMaxEntities = 0;
  TvxDXFTable* FMStyles = nullptr;
  TvxBlockLoader FOnLoad;
  TvxDXFConverter* FOwnerConverter = nullptr;
  TvxCADIterate FOwnParams;
  TvxCADIterate* FParams = &FOwnParams;
  size_t FPos = 0;
  int FRefs = 1;
  std::string FSHXSearchPath;
  std::string FSHXDefaultFont = "simplex.shx";
  std::vector<uint8_t> FSource;
  TConvStatus FStatus = stDefault;
  TvxDXFTable* FStyles = nullptr;
  TvxDXFTable* FTableStyles = nullptr;
  TvxDXFSection* FTablesSection = nullptr;
  TvxDXFSection* FHeaderSection = nullptr;
  TvxDXFSection* FObjectsSection = nullptr;
  TvxDXFSection* FEntitiesSection = nullptr;
  TFMatrix FTransform3D = cnstIdentityMat;
  TFRect FViewPortRect = BadBox;
  bool FViewPortCut = false;
  TFMatrix FViewTwistMatrix = cnstIdentityMat;
  bool FUseSHXFonts = true;
  TvxDXFTable* FVPorts = nullptr;
  TvxDXFTable* FAppIDs = nullptr;
  std::vector<TvxDXFEntity*> FXRefs;  // non-owning: the blocks own their references
  std::vector<std::string> FXRefSearchPaths;
  uint64_t FMaxHandle = 0;
  std::vector<std::string> FDrwPropInfo;  // "key=value" lines
  std::vector<std::string> FDrwPropCustomSummaryInfo;
  double FDrwPropCreatedDateTime = 0;     // days since 1899-12-30
  double FDrwPropModifiedDateTime = 0;
  double FDrwPropTotalEditingTime = 0;
  std::unique_ptr<TvxMapEntities> FMapEntities;
  unsigned FTotalACISLoading = 0;
  double FMeshQuality = 0.01;
  std::unordered_map<uint64_t, uint64_t> FEntityDictionaries;  // owner handle -> dictionary handle
  TvxEEDStore FEntityEEDItems;
  int FNumberOfPartsInSpline = 24;
  int FNumberOfPartsInCircle = 48;
  bool FStopped = false;
  bool FReleasePending = false;
  std::vector<TvxDXFEntity*> FBlocksBeingLoaded;
};

}  // namespace vx
