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

#include "database/core/DXFConvBase.h"
#include "database/core/DXFConvHeader.h"
#include "database/objects/DXFConvObjects.h"
#include "database/blocks/vxBlocks.h"
#include "database/core/vxConverter.h"
#include "database/layouts/vxLayouts.h"
#include "database/core/vxMapEntities.h"
#include "database/core/vxNames.h"
#include "database/core/vxSections.h"
#include "database/core/vxSettings.h"
#include "database/core/vxTables.h"
#include "database/layouts/vxViewports.h"
#include "database/layouts/vxVPorts.h"

// Text entities (they build on the tables above).
#include "database/blocks/vxAttribs.h"
#include "database/text/vxShape.h"
#include "database/text/vxText.h"
