// The header variables of a DXF file, as rows.
#include "readers/dxf/vxDXFHeader.h"

#include "database/core/vxNames.h"
#include "readers/dxf/vxCodePage.h"

#include <algorithm>
#include <cstring>

namespace vx {

namespace {

using enum TdxfHeadTarget;

// Sorted by name (checked by the tests).
constexpr TdxfHeaderRow cnstRows[] = {
    {"$ACADVER", 1, hvNone, htVersion},
    {"$ATTMODE", 70, hvAttMode},
    {"$CECOLOR", 62, hvCEColor},
    {"$CELTSCALE", 40, hvCELTScale},
    {"$CELTYPE", 6, hvCELType},
    {"$CELWEIGHT", 370, hvCELWeight},
    {"$CLAYER", 8, hvCLayer},
    {"$DIMALT", 70, hvDimAlt},
    {"$DIMALTF", 40, hvDimAltF},
    {"$DIMAPOST", 1, hvDimAPost},
    {"$DIMASZ", 40, hvDimAsz},
    {"$DIMBLK", 1, hvDimBlk},
    {"$DIMBLK1", 1, hvDimBlk1},
    {"$DIMBLK2", 1, hvDimBlk2},
    {"$DIMCEN", 40, hvDimCen},
    {"$DIMCLRD", 70, hvDimClrD},
    {"$DIMCLRE", 70, hvDimClrE},
    {"$DIMCLRT", 70, hvDimClrT},
    {"$DIMDEC", 70, hvDimDec},
    {"$DIMEXE", 40, hvDimExe},
    {"$DIMEXO", 40, hvDimExo},
    {"$DIMGAP", 40, hvDimGap},
    {"$DIMLDRBLK", 1, hvDimLdrBlk},
    {"$DIMLFAC", 40, hvDimLFac},
    {"$DIMLWD", 70, hvDimLwD},
    {"$DIMLWE", 70, hvDimLwE},
    {"$DIMPOST", 1, hvDimPost},
    {"$DIMSAH", 70, hvDimSah},
    {"$DIMSCALE", 40, hvDimScale},
    {"$DIMSD1", 70, hvDimSD1},
    {"$DIMSD2", 70, hvDimSD2},
    {"$DIMSE1", 70, hvDimSE1},
    {"$DIMSE2", 70, hvDimSE2},
    {"$DIMSTYLE", 2, hvDimStyle},
    {"$DIMTAD", 70, hvDimTad},
    {"$DIMTIH", 70, hvDimTih},
    {"$DIMTIX", 70, hvDimTix},
    {"$DIMTOH", 70, hvDimToh},
    {"$DIMTXSTY", 7, hvDimTextStyle},
    {"$DIMTXT", 40, hvDimTxt},
    {"$DWGCODEPAGE", 3, hvNone, htCodePage},
    {"$EXTMAX", 10, hvExtMax},
    {"$EXTMIN", 10, hvExtMin},
    {"$FILLETRAD", 40, hvFilletRadius},
    {"$HANDSEED", 5, hvNone, htHandSeed},
    {"$INSBASE", 10, hvInsBase},
    {"$INSUNITS", 70, hvInsUnits},
    {"$LTSCALE", 40, hvLTScale},
    {"$LWDISPLAY", 290, hvLwDisplay},
    {"$MEASUREMENT", 70, hvMeasurement},
    {"$PDMODE", 70, hvPDMode},
    {"$PDSIZE", 40, hvPDSize},
    {"$TEXTSIZE", 40, hvTextSize},
    {"$TEXTSTYLE", 7, hvTextStyle},
    {"$TILEMODE", 70, hvTileMode},
    {"$UCSORG", 10, hvUCSOrg},
    {"$UCSXDIR", 10, hvUCSXDir},
    {"$UCSYDIR", 10, hvUCSYDir},
    // Written with 290 by some programs and 280 by others.
    {"$XCLIPFRAME", 280, hvXClipFrame},
};

bool CodeFits(int want, int code) {
  if (want == 10) return code == 10 || code == 20 || code == 30;
  if (want == 280) return code == 280 || code == 290;
  return code == want;
}

}  // namespace

std::span<const TdxfHeaderRow> DXFHeaderRows() { return cnstRows; }

const TdxfHeaderRow* DXFHeaderVariable(std::string_view name) {
  const auto* end = std::end(cnstRows);
  const auto* it = std::lower_bound(std::begin(cnstRows), end, name,
                                    [](const TdxfHeaderRow& row, std::string_view n) { return row.Name < n; });
  return it != end && name == it->Name ? it : nullptr;
}

void TdxfHeader::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  const int code = t.Code();
  if (code == 9) {
    FRow = DXFHeaderVariable(UpperName(DXFTrim(t.Value())));
    FPoints[0] = {};  // a 2D variable does not inherit the Z of the previous one
    return;
  }
  if (code == 0) return;
  TdxfEntity::ReadProperty(r);
  if (FRow && CodeFits(FRow->Code, code)) Apply(r, code);
}

void TdxfHeader::Apply(TdxfLoader& r, int code) {
  TdxfReader& t = r.Tok;
  switch (FRow->Target) {
    case htVersion: {
      r.VersionText = DXFTrim(t.Value());
      TvxDWGVersion v;
      if (DXFVersionByName(r.VersionText, v)) r.SetVersion(v);
      return;
    }
    case htCodePage: {
      const std::string text = DXFTrim(t.Value());
      if (!text.empty()) r.SetCodePage(CodePageByName(text));
      return;
    }
    case htHandSeed: {
      const uint64_t h = t.HandleValue();
      if (h > r.Conv->MaxHandle()) r.Conv->ReserveHandle(h);
      return;
    }
    case htField: break;
  }
  TvxHeadValue v;
  if (code == 10 || code == 20 || code == 30) {
    v.P = FPoints[0];  // complete after the last of its pairs
  } else if (code < 10) {
    v.S = DXFTrim(t.Value());
  } else if (code >= 40 && code < 60) {
    v.D = t.FloatValue();
  } else {
    v.I = t.IntValue();
    v.C = TvxColorCAD{acIndexColor, static_cast<uint32_t>(std::abs(v.I)), {}};
  }
  SetHeadField(r.Conv->HeadVarStruct(), FRow->Field, v);
}

void TdxfHeader::Commit(TdxfLoader& r) {
  TdxfObject::Commit(r);
  FComplex = true;  // its "ENDSEC" follows as a child whatever the variables said
}

}  // namespace vx
