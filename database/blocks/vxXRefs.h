// vxXRefs: external references, blocks whose content is another drawing file.
//
// Offers TvxDXFXref (the child of an external-reference block that carries the loaded drawing),
// the process-wide registry of drawing loaders keyed by file extension (each reader registers
// itself; the database cannot create reader classes), the search for the referenced file
// (Windows paths, relative to the referring drawing's folder, case-blind file names, search
// folders, the converter's resolver), the block's loading of its external drawing, the walk
// into the external drawing, AddXRef, and the reference that attaches a file when it loads
// (TvxDXFInsertXRef).
//
// Cycles stop: a drawing never loads a file that is being loaded further up its chain (files are
// compared by full canonical path, so two files of one name in different folders are distinct),
// nor the top drawing itself, and chains deeper than cnstMaxXrefNesting are cut. The process's
// current folder is never read for a drawing that has a file, and never changed.
#pragma once

#include "database/core/DXFConv.h"
#include "database/blocks/vxInserts.h"

#include <functional>
#include <string>
#include <vector>

namespace vx {

// External drawings nested deeper than this are not loaded.
constexpr int cnstMaxXrefNesting = 16;

// Fills an empty drawing from a file; throws on failure. The drawing is already bound to its
// host (owner converter and container reference) when the loader runs, so nested references see
// the whole chain.
using TvxXrefLoader = std::function<void(TvxDXFConverter* drawing, const std::string& path)>;

// Extensions are given without the dot and compare case-insensitively.
void RegisterXrefLoader(const std::string& ext, TvxXrefLoader loader);
void UnregisterXrefLoader(const std::string& ext);
bool IsXrefFormatRegistered(const std::string& ext);

class TvxDXFXref : public TvxDXFOwneredItem {
  VX_ENTITY_CLASS(TvxDXFXref)
 public:
  TvxCADEntities EntType() const override { return ceXRef; }
  // Its owner's layer.
  TvxDXFLayer* GetLayer() const override;
  TFRect GetBox() override { return FBox; }
  // The file found (full path); empty when none.
  const std::string& Path() const { return FPath; }
  void SetPath(const std::string& p) { FPath = p; }
  // The loaded drawing (counted: this reference holds one reference to it), nil when none.
  TvxDXFConverter* Drawing() const { return FDrawing; }
  // Takes a reference to the drawing (nil releases the one held).
  void SetDrawing(TvxDXFConverter* drawing);
  const std::vector<TvxDXFConverter*>& InvokeConverters() const { return FInvokeConverters; }

  // Joins the external-reference list of its block's drawing.
  void SetOwner(TvxDXFEntity* owner) override;
  // The box of the drawing's model layout; the drawing takes the host's segment counts.
  void LoadData(TvxDXFConverter* conv) override;
  // Walks the external drawing's model space under the host's walk state (once per nesting).
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  void Register(TvxDXFConverter* conv);
  void Unregister();

  std::vector<TvxDXFConverter*> FInvokeConverters;
  TvxDXFConverter* FDrawing = nullptr;  // counted
  TFRect FBox = BadBox;
  std::string FPath;
  TvxDXFConverter* FRegisteredIn = nullptr;  // whose external-reference list holds this
};

// ---- blocks and their external drawings ----------------------------------------------------

// The block's external-reference child; nil when none.
TvxDXFXref* XrefOfBlock(const TvxDXFBlock* block);
// The block's loaded external drawing; nil when none.
TvxDXFConverter* XrefDrawingOfBlock(const TvxDXFBlock* block);
// The name of the block that holds the reference (the prefix of its dependent layers).
std::string XrefBlockName(const TvxDXFXref* xref);
// The reference whose drawing conv is; nil for a drawing of its own.
TvxDXFXref* ContainerXrefOf(const TvxDXFConverter* conv);
// True when the block names an external file that it has not tried to load yet.
bool XrefPending(const TvxDXFBlock* block);
// Loads (or shares) the block's external drawing once, before the block itself loads.
void PrepareXrefBlock(TvxDXFBlock* block, TvxDXFConverter* conv);
// Clears the block and loads XrefPath into a new reference child; false when nothing loaded.
bool LoadXref(TvxDXFBlock* block, TvxDXFConverter* conv);

// ---- file search ---------------------------------------------------------------------------

// The text after the last "\", "/" or ":".
std::string XrefFileName(const std::string& path);
// The file name without its extension.
std::string XrefFileTitle(const std::string& path);
// Finds the file of a stored path: as given (relative paths against baseDir), then its file
// name alone in baseDir, then in each search folder. "\" separators are accepted, file names
// match regardless of case, a path without extension tries ".dwg" then ".dxf" when those formats
// are registered, and paths beginning with "//" or "\\" are never opened. Returns the canonical
// path, or empty.
std::string FindXrefFile(const std::string& stored, const std::string& baseDir,
                         const std::vector<std::string>& searchPaths);
// Reads the file into a new drawing for xref (bound to host); false when not found or the load
// failed (the drawing is then freed).
bool LoadXrefFile(TvxDXFXref* xref, TvxDXFConverter* host, const std::string& path,
                  const std::vector<std::string>& searchPaths);

// ---- attaching -----------------------------------------------------------------------------

// A reference that attaches a drawing file to a layout when it loads: the file is read once and
// attached with AddXRef at this reference's point, scale and angle; the result is RealInsert.
class TvxDXFInsertXRef : public TvxDXFInsert {
  VX_ENTITY_CLASS(TvxDXFInsertXRef)
 public:
  const std::string& NameFile() const { return FNameFile; }
  void SetNameFile(const std::string& f) { FNameFile = f; }
  // The layout to attach to (nil: nothing is attached).
  TvxDXFLayout* AttachLayout() const { return FAttachLayout; }
  void SetAttachLayout(TvxDXFLayout* layout) { FAttachLayout = layout; }
  // The reference the attachment made; nil before (non-owning: the layout owns it).
  TvxDXFInsert* RealInsert() const { return FRealInsert; }

  // Attaches once: later loads (every Update) leave the attachment as it is.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  std::string FNameFile;
  TvxDXFLayout* FAttachLayout = nullptr;
  TvxDXFInsert* FRealInsert = nullptr;
};

// Attaches a loaded drawing (or, when drawing is nil, the file name) as an external reference:
// a new block with the reference, added to BLOCKS, and a new insert at pos placed in layout
// (model space when nil). Returns the insert.
TvxDXFInsert* AddXRef(TvxDXFConverter* host, TvxDXFConverter* drawing, const std::string& name,
                      TvxDXFLayout* layout, double rotation, const TFPoint& scale,
                      const TFPoint& pos);

}  // namespace vx
