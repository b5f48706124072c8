// vxDWGHeader: the header variables of a DWG R13+ file.
//
// The variables are rows in the published order (DWGHeaderRows): name, bit code, versions, and the
// field that keeps the value. ReadDWGHeader walks the rows for the file's version, decodes every
// variable and keeps the ones the drawing needs: header values, the handles of the table
// controls, dictionaries, space block records and standard line types, and the handles named by
// header variables (current layer, styles, arrow blocks).
#pragma once

#include "readers/dwg/vxDWGFields.h"

#include <span>
#include <string>

namespace vx {

// What a header row keeps: a field of the drawing's header record (its TvxHeadField id, through
// Var), or from hfHandSeed on a value the reader keeps for itself. A handle row with a field id
// names the item whose name (or arrow kind) the field takes once the objects are loaded.
enum class THeadField : uint8_t {
  hfNone = 0,
  hfHandSeed = uint8_t(TvxHeadField::hvCount), hfCMLStyle,
  hfBlockControl, hfLayerControl, hfStyleControl, hfLTypeControl, hfVPortControl, hfAppIDControl,
  hfDimStyleControl, hfMLStylesDict, hfNamedObjects, hfLayoutsDict, hfPlotSettingsDict,
  hfMaterialDict, hfColorsDict, hfFlags, hfPaperBlockRecord,
  hfModelBlockRecord, hfLTByLayer, hfLTByBlock, hfLTContinuous,
};
constexpr THeadField Var(TvxHeadField f) { return THeadField(uint8_t(f)); }
using enum THeadField;

struct TdwgHeaderRow {
  const char* Name;  // the DXF variable name; "" for variables without one
  TdwgCode Code;
  TdwgVersions Versions;
  THeadField Field;
};

// The rows in the order of the file, for every version.
std::span<const TdwgHeaderRow> DWGHeaderRows();

// Handles named by header variables, in this order.
struct TdwgHeaderHandles {
  uint64_t CLAYER = 0, CELTYPE = 0, CMLSTYLE = 0, DIMSTYLE = 0, DIMBLK = 0, DIMBLK1 = 0, DIMBLK2 = 0,
           DIMLDRBLK = 0, DIMTXTSTY = 0, TEXTSTYLE = 0;
  // The handle kept for a header field given by handle; nullptr for the others.
  uint64_t* Slot(TvxHeadField f);
};

struct TdwgHeaderData {
  TvxHeadVarStruct Vars;  // starts as given; kept values overwrite it
  TdwgHeaderHandles Handles;
  uint64_t HandSeed = 0;
  uint64_t BlockControl = 0, LayerControl = 0, StyleControl = 0, LTypeControl = 0, VPortControl = 0,
           AppIDControl = 0, DimStyleControl = 0;
  uint64_t MLStylesDict = 0, NamedObjects = 0, LayoutsDict = 0, PlotSettingsDict = 0, MaterialDict = 0,
           ColorsDict = 0;
  uint64_t PaperBlockRecord = 0, ModelBlockRecord = 0;
  uint64_t LTByLayer = 0, LTByBlock = 0, LTContinuous = 0;
  bool Found = false;  // the section had its sentinel and was read
  bool Complete = false;  // every row was read inside the section
};

// Reads the header section. A section without its sentinel leaves out as it is.
void ReadDWGHeader(TvxBitCursor section, TvxDWGVersion version, uint8_t maintenance, int codePage,
                   TdwgHeaderData& out);

}  // namespace vx
