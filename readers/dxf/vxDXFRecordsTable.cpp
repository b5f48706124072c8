// The record table: every DXF record name with its reader and database class, and the table
// names. Rows whose database class is not part of the drawing database yet have no item: the
// record is read and dropped until its class exists (then the row names it).
#include "database/blocks/vxAttribs.h"
#include "database/blocks/vxDimTables.h"
#include "database/entities/vxEntBodies.h"
#include "database/images/vxWipeouts.h"
#include "database/entities/vxEntities.h"
#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSplines.h"
#include "database/blocks/vxInserts.h"
#include "database/core/vxNames.h"
#include "database/layouts/vxViewports.h"
#include "readers/dxf/vxDXFRecordsEntities.h"
#include "readers/dxf/vxDXFRecordsFills.h"
#include "readers/dxf/vxDXFRecordsInserts.h"
#include "readers/dxf/vxDXFRecordsObjects.h"
#include "readers/dxf/vxDXFRecordsProxy.h"
#include "readers/dxf/vxDXFRecordsTables.h"
#include "readers/dxf/vxDXFSections.h"

#include <algorithm>

namespace vx {

namespace {

template <class R>
constexpr TdxfReaderFactory Rd = &MakeDXFReader<R>;
template <class E>
constexpr TdxfItemFactory It = &MakeDXFItem<E>;
constexpr TdxfItemFactory None = nullptr;
// Records read and dropped for now.
constexpr TdxfReaderFactory Drop = &MakeDXFReader<TdxfSkip>;

std::vector<TdxfRecordRow> BuildRecordTable() {
  std::vector<TdxfRecordRow> rows = {
      {"SEQEND", Rd<TdxfSeqend>, None},
      {"VERTEX", Rd<TdxfVertex>, It<TvxDXFVertex>},
      {"LINE", Rd<TdxfLine>, It<TvxDXFLine>},
      {"SOLID", Rd<TdxfSolid>, It<TvxDXFSolid>},
      {"CIRCLE", Rd<TdxfCircle>, It<TvxDXFCircle>},
      {"ARC", Rd<TdxfArc>, It<TvxDXFArc>},
      {"ELLIPSE", Rd<TdxfEllipse>, It<TvxDXFEllipse>},
      {"DIMENSION", Rd<TdxfDimension>, It<TvxDXFDimension>},
      {"LEADER", Drop, None},
      {"LTYPE", Rd<TdxfLType>, It<TvxDXFLineType>},
      {"LAYER", Rd<TdxfLayer>, It<TvxDXFLayer>},
      {"BLOCK_RECORD", Rd<TdxfBlockRecord>, It<TvxDXFBlockRecord>},
      {"POLYLINE", Rd<TdxfPolyLine>, It<TvxDXFPolyline>},
      {"LWPOLYLINE", Rd<TdxfLWPline>, It<TvxDXFLWPolyline>},
      {"SPLINE", Rd<TdxfSpline>, It<TvxDXFSpline>},
      {"HATCH", Rd<TdxfHatch>, It<TvxCADHatch>},
      {"INSERT", Rd<TdxfInsert>, It<TvxDXFInsert>},
      {"TEXT", Rd<TdxfText>, It<TvxDXFText>},
      {"MTEXT", Rd<TdxfMText>, It<TvxDXFMText>},
      {"ATTDEF", Rd<TdxfAttdef>, It<TvxDXFAttdef>},
      {"VIEWPORT", Rd<TdxfViewport>, It<TvxDXFViewport>},
      {"TABLE", Rd<TdxfTable>, It<TvxDXFTable>},
      {"BLOCK", Rd<TdxfBlock>, It<TvxDXFBlock>},
      {"VPORT", Rd<TdxfVport>, It<TvxDXFVport>},
      {"3DFACE", Rd<TdxfSolid>, It<TvxDXF3dFace>},
      {"POINT", Rd<TdxfPoint>, It<TvxDXFPoint>},
      {"ATTRIB", Rd<TdxfAttdef>, It<TvxDXFAttrib>},
      // A section record met inside another section: a missing "ENDSEC"; dropped.
      {"SECTION", Drop, None},
      {"LAYOUT", Rd<TdxfLayout>, It<TvxDXFLayout>},
      {"ENDSEC", Rd<TdxfEndSeq>, None},
      {"ENDTAB", Rd<TdxfEndTab>, None},
      {"ENDBLK", Rd<TdxfEndBlock>, None},
      {"EOF", Rd<TdxfSeqend>, None},
      {"IMAGE", Drop, None},
      {"IMAGEDEF", Drop, None},
      {"STYLE", Rd<TdxfStyle>, It<TvxDXFStyle>},
      {"DIMSTYLE", Rd<TdxfDimStyle>, It<TvxDXFDimensionStyle>},
      {"REGION", Rd<TdxfACIS>, It<TvxDXFRegion>},
      {"3DSOLID", Rd<TdxfACIS>, It<TvxDXF3dSolid>},
      {"BODY", Rd<TdxfACIS>, It<TvxDXFBody>},
      {"SORTENTSTABLE", Drop, None},
      {"ACAD_TABLE", Rd<TdxfAcadTable>, It<TvxDXFAcadTable>},
      {"OLEFRAME", Drop, None},
      {"OLE2FRAME", Drop, None},
      {"DIMASSOC", Drop, None},
      {"3DLINE", Rd<TdxfLine>, It<TvxDXFLine>},
      {"ACAD_PROXY_ENTITY", Rd<TdxfProxy>, It<TvxDXFProxy>},
      {"TOLERANCE", Drop, None},
      {"TRACE", Rd<TdxfSolid>, It<TvxDXFTrace>},
      {"SHAPE", Rd<TdxfShape>, It<TvxDXFShape>},
      {"WIPEOUT", Rd<TdxfWipeout>, It<TvxCADWipeout>},
      {"WIPEOUTVARIABLES", Drop, None},
      {"HELIX", Rd<TdxfHelix>, It<TvxCADHelix>},
      {"MLINE", Drop, None},
      {"MLINESTYLE", Drop, None},
      {"MPOLYGON", Rd<TdxfHatch>, It<TvxCADMPolygon>},
      {"TABLESTYLE", Drop, None},
      {"DICTIONARY", Drop, None},
      {"", Rd<TdxfSkip>, None},
      {"MESH", Rd<TdxfMesh>, It<TvxDXFProxy>},
      {"PLANESURFACE", Rd<TdxfACIS>, It<TvxDXFRegion>},
      {"FIELD", Drop, None},
      {"FIELDLIST", Drop, None},
      {"RASTERVARIABLES", Drop, None},
      {"PLOTSETTINGS", Drop, None},
      {"DICTIONARYVAR", Drop, None},
      {"SURFACE", Rd<TdxfACIS>, It<TvxDXFRegion>},
      {"SWEPTSURFACE", Rd<TdxfACIS>, It<TvxDXFRegion>},
      {"REVOLVEDSURFACE", Rd<TdxfACIS>, It<TvxDXFRegion>},
      {"EXTRUDEDSURFACE", Rd<TdxfACIS>, It<TvxDXFRegion>},
      {"LOFTEDSURFACE", Rd<TdxfACIS>, It<TvxDXFRegion>},
      {"NURBSURFACE", Rd<TdxfACIS>, It<TvxDXFRegion>},
      // Section names: the section driver makes and wires these readers itself; met as records
      // elsewhere they are dropped.
      {"TABLES", Drop, None},
      {"BLOCKS", Drop, None},
      {"ENTITIES", Drop, None},
      {"OBJECTS", Drop, None},
      {"CLASSES", Drop, None},
      {"HEADER", Drop, None},
      {"THUMBNAILIMAGE", Drop, None},
      {"XRECORD", Drop, None},
      {"RAY", Rd<TdxfRay>, It<TvxDXFRay>},
      {"XLINE", Rd<TdxfRay>, It<TvxDXFXline>},
      {"SPATIAL_FILTER", Drop, None},
      {"APPID", Rd<TdxfAppID>, It<TvxDXFAppID>},
  };
  std::sort(rows.begin(), rows.end(),
            [](const TdxfRecordRow& a, const TdxfRecordRow& b) { return NameLess(a.Name, b.Name); });
  return rows;
}

}  // namespace

const std::vector<TdxfRecordRow>& DXFRecordTable() {
  static const std::vector<TdxfRecordRow> table = BuildRecordTable();
  return table;
}

const TdxfRecordRow* FindDXFRecord(std::string_view name) {
  const std::vector<TdxfRecordRow>& t = DXFRecordTable();
  auto it = std::lower_bound(t.begin(), t.end(), name, [](const TdxfRecordRow& row, std::string_view n) {
    return CompareNames(row.Name, n) < 0;
  });
  if (it == t.end() || CompareNames(it->Name, name) != 0) return nullptr;
  return &*it;
}

bool DXFTableSection(std::string_view name, TConvSection& section) {
  struct Row {
    const char* Name;
    TConvSection Section;
  };
  static constexpr Row rows[] = {{"BLOCK_RECORD", csBlockRecords}, {"DIMSTYLE", csDimStyles},
                                 {"LTYPE", csLTypes},            {"LAYER", csLayers},
                                 {"STYLE", csStyles},            {"VPORT", csVPorts},
                                 {"APPID", csAppID}};
  for (const Row& row : rows)
    if (SameName(row.Name, name)) {
      section = row.Section;
      return true;
    }
  return false;
}

}  // namespace vx
