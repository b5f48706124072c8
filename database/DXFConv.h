// DXFConv: the public header of the drawing database core.
//
// Including it gives the whole class tree of the core: the entity base and its virtual
// interface (DXFConvBase.h), the object entities and containers (DXFConvObjects.h), table items
// and tables (vxTables.h), sections (vxSections.h), blocks (vxBlocks.h), layouts and plot settings
// (vxLayouts.h, vxPlotSettings.h), viewports (vxViewports.h) and VPORT view operations (vxVPorts.h),
// the handle queue (vxMapEntities.h) and the drawing itself, TvxDXFConverter (vxConverter.h);
// then the text entities: single-line text, shapes and attributes (vxText.h, vxShape.h,
// vxAttribs.h). Multi-line text is a block reference: include vxMText.h for it.
#pragma once

#include "database/DXFConvBase.h"
#include "database/DXFConvHeader.h"
#include "database/DXFConvObjects.h"
#include "database/vxBlocks.h"
#include "database/vxConverter.h"
#include "database/vxLayouts.h"
#include "database/vxMapEntities.h"
#include "database/vxNames.h"
#include "database/vxSections.h"
#include "database/vxSettings.h"
#include "database/vxTables.h"
#include "database/vxViewports.h"
#include "database/vxVPorts.h"

// Text entities (they build on the tables above).
#include "database/vxAttribs.h"
#include "database/vxShape.h"
#include "database/vxText.h"
