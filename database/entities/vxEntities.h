// vxEntities: the basic drawable entities of the drawing database.
//
// Lines, rays, construction lines and points (vxEntLines.h), solids, traces and 3D faces
// (vxEntSolids.h), and the polyline base with circles, arcs and ellipses (vxEntCurves.h). Each
// computes its drawable points and box in LoadData (run by TvxDXFConverter::Loads).
#pragma once

#include "database/entities/vxEntCurves.h"
#include "database/entities/vxEntGeometry.h"
#include "database/entities/vxEntLines.h"
#include "database/entities/vxEntSolids.h"
