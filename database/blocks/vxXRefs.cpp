// External references: loader registry, file search, loading with cycle guards, the walk into
// an external drawing, and attaching a drawing as a reference.
#include "database/blocks/vxXRefs.h"

#include "database/core/vxNames.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <unordered_map>

namespace fs = std::filesystem;

namespace vx {

namespace {

// ---- loader registry ------------------------------------------------------------------------

std::mutex& LoadersLock() {
  static std::mutex m;
  return m;
}

std::map<std::string, TvxXrefLoader>& Loaders() {
  static std::map<std::string, TvxXrefLoader> m;
  return m;
}

std::string ExtKey(std::string ext) {
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  return FoldName(ext);
}

TvxXrefLoader FindLoader(const std::string& ext) {
  std::lock_guard lock(LoadersLock());
  auto it = Loaders().find(ExtKey(ext));
  return it == Loaders().end() ? TvxXrefLoader{} : it->second;
}

// ---- the drawings loaded as references, and the files being loaded --------------------------

std::mutex& ContainersLock() {
  static std::mutex m;
  return m;
}

// A drawing shared by several references stands for the first of them.
std::unordered_map<const TvxDXFConverter*, std::vector<TvxDXFXref*>>& Containers() {
  static std::unordered_map<const TvxDXFConverter*, std::vector<TvxDXFXref*>> m;
  return m;
}

// Loading a reference loads its own references while the lock is held: it must be re-entrant.
std::recursive_mutex& LoadingLock() {
  static std::recursive_mutex m;
  return m;
}

std::vector<std::string>& LoadingFiles() {
  static std::vector<std::string> files;
  return files;
}

// ---- paths ----------------------------------------------------------------------------------

bool IsNetworkPath(const std::string& p) {
  return p.size() >= 2 && ((p[0] == '/' && p[1] == '/') || (p[0] == '\\' && p[1] == '\\'));
}

std::string Slashes(std::string p) {
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

bool HasDrive(const std::string& p) {
  return p.size() >= 2 && p[1] == ':' &&
         ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

std::string Canonical(const fs::path& p) {
  std::error_code ec;
  fs::path c = fs::weakly_canonical(p, ec);
  return ec ? fs::absolute(p, ec).lexically_normal().string() : c.string();
}

// The existing regular file at p, matching each name regardless of case; empty when none.
fs::path FindFileCaseBlind(const fs::path& p) {
  std::error_code ec;
  if (fs::is_regular_file(p, ec)) return p;
  if (!p.is_absolute()) return {};
  fs::path cur = p.root_path();
  for (const fs::path& part : p.relative_path()) {
    fs::path next = cur / part;
    const std::string name = part.string();
    if (name.empty() || name == "." || name == ".." || fs::exists(next, ec)) {
      cur = next;
      continue;
    }
    bool found = false;
    for (fs::directory_iterator it(cur, ec), end; !ec && it != end; it.increment(ec)) {
      if (SameName(it->path().filename().string(), name)) {
        cur = it->path();
        found = true;
        break;
      }
    }
    if (!found) return {};
  }
  return fs::is_regular_file(cur, ec) ? cur : fs::path{};
}

// The candidates of one path: as it is, or, without an extension, with the registered drawing
// extensions in this order.
std::vector<std::string> WithExtensions(const std::string& p) {
  const std::string name = XrefFileName(p);
  if (name.find('.') != std::string::npos) return {p};
  std::vector<std::string> r;
  for (const char* ext : {"dwg", "dxf"})
    if (IsXrefFormatRegistered(ext)) r.push_back(p + "." + ext);
  return r;
}

std::string TryFile(const std::string& p, const fs::path& base, bool extensions) {
  const std::vector<std::string> candidates = extensions ? WithExtensions(p) : std::vector{p};
  for (const std::string& c : candidates) {
    if (c.empty() || HasDrive(c)) continue;  // drive letters name nothing here
    fs::path path(c);
    if (path.is_relative()) {
      if (base.empty()) continue;
      path = base / path;
    }
    fs::path found = FindFileCaseBlind(path.lexically_normal());
    if (!found.empty()) return Canonical(found);
  }
  return {};
}

// The folder of the drawing's own file; the current folder only for a drawing without a file.
fs::path BaseFolderOf(const TvxDXFConverter* conv) {
  std::error_code ec;
  if (conv && !conv->FileName().empty()) {
    fs::path f(Slashes(conv->FileName()));
    return fs::absolute(f, ec).parent_path();
  }
  return fs::current_path(ec);
}

// The drawing and the drawings it is an external reference of, innermost first.
std::vector<TvxDXFConverter*> ChainOf(TvxDXFConverter* conv) {
  std::vector<TvxDXFConverter*> chain;
  for (; conv && static_cast<int>(chain.size()) <= cnstMaxXrefNesting; conv = conv->OwnerConverter()) {
    if (std::find(chain.begin(), chain.end(), conv) != chain.end()) break;
    chain.push_back(conv);
  }
  return chain;
}

// A file that is the drawing itself, one it is loaded into, or one being loaded right now
// would close a cycle.
bool WouldCycle(const std::string& full, TvxDXFConverter* host) {
  for (TvxDXFConverter* c : ChainOf(host))
    if (!c->FileName().empty() && Canonical(fs::path(Slashes(c->FileName()))) == full) return true;
  const auto& loading = LoadingFiles();
  return std::find(loading.begin(), loading.end(), full) != loading.end();
}

void AddContainer(const TvxDXFConverter* drawing, TvxDXFXref* xref) {
  std::lock_guard lock(ContainersLock());
  auto& list = Containers()[drawing];
  if (std::find(list.begin(), list.end(), xref) == list.end()) list.push_back(xref);
}

void RemoveContainer(const TvxDXFConverter* drawing, TvxDXFXref* xref) {
  std::lock_guard lock(ContainersLock());
  auto it = Containers().find(drawing);
  if (it == Containers().end()) return;
  auto& list = it->second;
  list.erase(std::remove(list.begin(), list.end(), xref), list.end());
  if (list.empty()) Containers().erase(it);
}

}  // namespace

// ---- registry -------------------------------------------------------------------------------

void RegisterXrefLoader(const std::string& ext, TvxXrefLoader loader) {
  std::lock_guard lock(LoadersLock());
  Loaders()[ExtKey(ext)] = std::move(loader);
}

void UnregisterXrefLoader(const std::string& ext) {
  std::lock_guard lock(LoadersLock());
  Loaders().erase(ExtKey(ext));
}

bool IsXrefFormatRegistered(const std::string& ext) { return static_cast<bool>(FindLoader(ext)); }

// ---- names and search -----------------------------------------------------------------------

std::string XrefFileName(const std::string& path) {
  const size_t i = path.find_last_of("\\/:");
  return i == std::string::npos ? path : path.substr(i + 1);
}

std::string XrefFileTitle(const std::string& path) {
  std::string name = XrefFileName(path);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::string FindXrefFile(const std::string& stored, const std::string& baseDir,
                         const std::vector<std::string>& searchPaths) {
  if (stored.empty() || IsNetworkPath(stored)) return {};
  const std::string path = Slashes(stored);
  const fs::path base(Slashes(baseDir));
  if (std::string f = TryFile(path, base, true); !f.empty()) return f;
  const std::string name = XrefFileName(path);
  if (name.empty()) return {};
  if (name != path)
    if (std::string f = TryFile(name, base, true); !f.empty()) return f;
  for (const std::string& folder : searchPaths) {
    if (folder.empty() || IsNetworkPath(folder)) continue;
    if (std::string f = TryFile(name, fs::path(Slashes(folder)), false); !f.empty()) return f;
  }
  return {};
}

bool LoadXrefFile(TvxDXFXref* xref, TvxDXFConverter* host, const std::string& path,
                  const std::vector<std::string>& searchPaths) {
  if (!xref || !host) return false;
  xref->SetDrawing(nullptr);
  xref->SetPath(path);
  const fs::path base = BaseFolderOf(host);
  const std::vector<std::string>& folders = searchPaths.empty() ? host->XRefSearchPaths() : searchPaths;
  std::string full = FindXrefFile(path, base.string(), folders);
  if (full.empty()) {
    // The first drawing up the chain with a resolver may name the file.
    for (TvxDXFConverter* c : ChainOf(host)) {
      if (!c->OnXRefResolve) continue;
      std::string fileName = path;
      if (c->OnXRefResolve(host, path, fileName) && !fileName.empty())
        full = FindXrefFile(fileName, base.string(), {});
      break;
    }
  }
  bool loaded = false;
  if (!full.empty()) {
    xref->SetPath(full);
    std::lock_guard lock(LoadingLock());
    const TvxXrefLoader loader = FindLoader(fs::path(full).extension().string());
    const bool deep = static_cast<int>(ChainOf(host).size()) > cnstMaxXrefNesting;
    if (loader && !deep && !WouldCycle(full, host)) {
      TvxDXFConverter* drawing = TvxDXFConverter::CreateFromFile(full);
      drawing->SetOwnerConverter(host);
      AddContainer(drawing, xref);
      LoadingFiles().push_back(full);
      try {
        loader(drawing, full);
        loaded = true;
      } catch (...) {
        loaded = false;  // a drawing that fails to load counts as not found
      }
      LoadingFiles().pop_back();
      if (loaded) xref->SetDrawing(drawing);
      RemoveContainer(drawing, xref);
      if (loaded) AddContainer(drawing, xref);
      // A loader that failed half-way may leave the drawing loading; it must end now.
      drawing->SetStatus(stDefault);
      drawing->Release();
    }
  }
  xref->SetName(XrefFileTitle(xref->Path()));
  return loaded;
}

// ---- blocks ---------------------------------------------------------------------------------

TvxDXFXref* XrefOfBlock(const TvxDXFBlock* block) {
  if (!block) return nullptr;
  for (TvxDXFEntity* e : block->Entities())
    if (auto* x = dynamic_cast<TvxDXFXref*>(e)) return x;
  return nullptr;
}

TvxDXFConverter* XrefDrawingOfBlock(const TvxDXFBlock* block) {
  const TvxDXFXref* x = XrefOfBlock(block);
  return x ? x->Drawing() : nullptr;
}

std::string XrefBlockName(const TvxDXFXref* xref) {
  const TvxDXFEntity* owner = xref ? xref->GetOwner() : nullptr;
  return owner ? owner->GetName() : std::string();
}

TvxDXFXref* ContainerXrefOf(const TvxDXFConverter* conv) {
  std::lock_guard lock(ContainersLock());
  auto it = Containers().find(conv);
  return it == Containers().end() || it->second.empty() ? nullptr : it->second.front();
}

bool XrefPending(const TvxDXFBlock* block) {
  return block && !block->XrefPath().empty() && block->IsBlockByXRef() &&
         (block->GetInternalFlags() & cnstBlockXrefTried) == 0 && !XrefOfBlock(block);
}

void PrepareXrefBlock(TvxDXFBlock* block, TvxDXFConverter* conv) {
  if (!XrefPending(block)) return;
  block->SetInternalFlags(block->GetInternalFlags() | cnstBlockXrefTried);
  if (!conv) conv = block->GetConverter();
  if (!conv) return;
  // An overlay shows only in the drawing that attaches it, never in one that is itself attached.
  if (block->IsBlockXrefOverlay() && ContainerXrefOf(conv)) return;
  std::lock_guard lock(LoadingLock());
  const std::string full =
      FindXrefFile(block->XrefPath(), BaseFolderOf(conv).string(), conv->XRefSearchPaths());
  if (!full.empty()) {
    if (WouldCycle(full, conv)) return;
    // A drawing already loaded for the same file up the chain is shared.
    for (TvxDXFConverter* c : ChainOf(conv)) {
      for (TvxDXFEntity* e : c->XRefs()) {
        auto* match = dynamic_cast<TvxDXFXref*>(e);
        if (!match || !match->Drawing() || match->Path() != full) continue;
        block->Clear(true);
        auto* xref = new TvxDXFXref();
        if (block->AddEntity(xref) < 0) {
          xref->Free();
          return;
        }
        xref->SetDrawing(match->Drawing());
        xref->SetPath(full);
        xref->SetName(match->GetName());
        block->SetOffset(cnstFPointZero);
        conv->Loads(xref);
        return;
      }
    }
  }
  LoadXref(block, conv);
}

bool LoadXref(TvxDXFBlock* block, TvxDXFConverter* conv) {
  if (!block || !conv) return false;
  block->Clear(true);
  TvxDXFXref* xref = XrefOfBlock(block);
  if (!xref) {
    xref = new TvxDXFXref();
    if (block->AddEntity(xref) < 0) {
      xref->Free();
      return false;
    }
  }
  block->SetOffset(cnstFPointZero);
  if (!LoadXrefFile(xref, conv, block->XrefPath(), conv->XRefSearchPaths())) {
    xref->Free();  // leaves the block; the block loads empty
    return false;
  }
  conv->Loads(xref);
  return true;
}

// ---- TvxDXFXref -----------------------------------------------------------------------------

TvxDXFLayer* TvxDXFXref::GetLayer() const {
  const TvxDXFEntity* owner = GetOwner();
  return owner ? owner->GetLayer() : nullptr;
}

void TvxDXFXref::SetDrawing(TvxDXFConverter* drawing) {
  if (drawing == FDrawing) return;
  if (drawing) {
    drawing->Reference();
    AddContainer(drawing, this);
  }
  TvxDXFConverter* old = FDrawing;
  FDrawing = drawing;
  if (old) {
    RemoveContainer(old, this);
    old->Release();
  }
}

void TvxDXFXref::Register(TvxDXFConverter* conv) {
  if (conv == FRegisteredIn) return;
  Unregister();
  if (!conv) return;
  conv->XRefs().push_back(this);
  FRegisteredIn = conv;
}

void TvxDXFXref::Unregister() {
  if (!FRegisteredIn) return;
  auto& list = FRegisteredIn->XRefs();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  FRegisteredIn = nullptr;
}

void TvxDXFXref::SetOwner(TvxDXFEntity* owner) {
  TvxDXFOwneredItem::SetOwner(owner);
  Register(owner ? owner->GetConverter() : nullptr);
}

void TvxDXFXref::LoadData(TvxDXFConverter* conv) {
  TvxDXFOwneredItem::LoadData(conv);
  FBox = BadBox;
  if (!FRegisteredIn && GetOwner()) Register(GetOwner()->GetConverter());
  if (!FDrawing || !conv) return;
  // The drawing now hangs below this host (never below one of its own references).
  const std::vector<TvxDXFConverter*> chain = ChainOf(conv);
  if (std::find(chain.begin(), chain.end(), FDrawing) == chain.end()) FDrawing->SetOwnerConverter(conv);
  if (FDrawing->LayoutsCount() > 0)
    if (TvxDXFLayout* model = FDrawing->Layouts(0)) FBox = model->GetBox();
  FDrawing->SetNumberOfPartsInCircle(conv->NumberOfPartsInCircle());
  FDrawing->SetNumberOfPartsInSpline(conv->NumberOfPartsInSpline());
}

void TvxDXFXref::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                           const TvxEntityProc& proc) {
  TvxDXFOwneredItem::DoIterate(conv, finishProc, proc);
  TvxDXFConverter* d = FDrawing;
  if (d && conv && conv->Params() &&
      std::find(FInvokeConverters.begin(), FInvokeConverters.end(), d) == FInvokeConverters.end()) {
    // Everything changed for the walk is put back, also when a step fails.
    struct TvxRestore {
      TvxDXFXref* Self;
      TvxDXFConverter* Host;
      TvxDXFConverter* Drawing;
      TvxCADIterate Params;
      TFRect Rect;
      bool Cut;
      bool Auto;
      ~TvxRestore() {
        *Host->Params() = std::move(Params);
        Drawing->SetViewPortRect(Rect);
        Drawing->SetViewPortCut(Cut);
        Drawing->SetAutoInsert(Auto);
        auto& list = Self->FInvokeConverters;
        auto it = std::find(list.rbegin(), list.rend(), Drawing);
        if (it != list.rend()) list.erase(std::next(it).base());
      }
    };
    FInvokeConverters.push_back(d);
    TvxRestore restore{this, conv, d, *conv->Params(), d->ViewPortRect(), d->ViewPortCut(),
                       d->AutoInsert()};
    d->SetViewPortRect(conv->ViewPortRect());
    d->SetViewPortCut(conv->ViewPortCut());
    d->SetAutoInsert(conv->AutoInsert());
    conv->Params()->Color = clByLayer;
    conv->Params()->XScale = 0;
    conv->Params()->YScale = 0;
    if (TvxDXFBlock* model = d->ModelSpaceBlock()) model->Iterate(conv, finishProc, proc);
  }
  if (finishProc) finishProc(this);
}

void TvxDXFXref::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFOwneredItem::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFXref*>(source);
  if (!src || src == this) return;
  SetDrawing(src->FDrawing);
  FPath = src->FPath;
  FBox = src->FBox;
}

void TvxDXFXref::UnlinkReferences() {
  Unregister();
  SetDrawing(nullptr);
  FInvokeConverters.clear();
  TvxDXFOwneredItem::UnlinkReferences();
}

// ---- attaching ------------------------------------------------------------------------------

TvxDXFInsert* AddXRef(TvxDXFConverter* host, TvxDXFConverter* drawing, const std::string& name,
                      TvxDXFLayout* layout, double rotation, const TFPoint& scale,
                      const TFPoint& pos) {
  if (!host || !host->BlocksSection()) return nullptr;
  auto* xref = new TvxDXFXref();
  auto* insert = new TvxDXFInsert();
  auto* block = new TvxDXFBlock();
  xref->SetConverter(host);
  insert->SetConverter(host);
  block->SetConverter(host);
  insert->SetLayer(host->LayerByName(host->HeadVarStruct().CLayer));
  block->SetLayer(insert->GetLayer());
  if (host->OnCreate) {
    host->OnCreate(insert);
    host->OnCreate(block);
    host->OnCreate(xref);
  }
  if (drawing) {
    xref->SetDrawing(drawing);
    drawing->SetOwnerConverter(host);
    xref->SetPath(name);
    xref->SetName(XrefFileTitle(name));
  } else {
    LoadXrefFile(xref, host, name, {});
  }
  block->SetName(XrefFileTitle(name));
  insert->SetPoint(pos);
  insert->SetScale(scale);
  insert->SetAngle(rotation);
  block->AddEntity(xref);
  host->Loads(xref);
  host->Loads(block);
  block->SetXrefPath(name);
  block->SetFlags(cnstBlockXref);
  host->BlocksSection()->AddEntity(block);
  insert->SetBlock(block);
  host->Loads(insert);
  if (layout) {
    layout->AddEntity(insert);
    host->Loads(layout);
  } else if (TvxDXFBlock* model = host->ModelSpaceBlock()) {
    model->AddEntity(insert);
  }
  return insert;
}

// ---- TvxDXFInsertXRef -----------------------------------------------------------------------

void TvxDXFInsertXRef::LoadData(TvxDXFConverter* conv) {
  TvxDXFInsert::LoadData(conv);
  if (!conv || !FAttachLayout || FRealInsert || FNameFile.empty()) return;
  auto* probe = new TvxDXFXref();
  if (LoadXrefFile(probe, conv, FNameFile, {}))
    FRealInsert = AddXRef(conv, probe->Drawing(), probe->Path(), FAttachLayout, FAngle, FScale, FPoint);
  probe->Free();
}

void TvxDXFInsertXRef::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFInsert::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFInsertXRef*>(source)) {
    FNameFile = src->FNameFile;
    FAttachLayout = src->FAttachLayout;
  }
}

void TvxDXFInsertXRef::UnlinkReferences() {
  FAttachLayout = nullptr;
  FRealInsert = nullptr;
  TvxDXFInsert::UnlinkReferences();
}

}  // namespace vx
