// vxVPorts: the view operations of VPORT entries (TvxDXFVport, vxTables.h) and of the
// drawing's active view: the view matrix of a direction and twist, the active "*ACTIVE" entry
// and its view twist matrix, dropping a degenerate active entry, and the user coordinate
// system of a layout.
#pragma once

#include "database/core/vxTables.h"

namespace vx {

class TvxDXFLayout;

// World directions to view coordinates for view direction d and twist (degrees). A zero
// direction is taken as (0, 0, 1).
TFMatrix ViewMatrix(const TFPoint& d, double twistDeg);

// Writes the entry's view direction; a zero vector stores (0, 0, 1).
void SetVPortViewDirection(TvxDXFVport* vport, const TFPoint& d);

// The active VPORT entry: the one set, else "*ACTIVE", found or created (nil without a VPORT
// table).
TvxDXFVport* ActiveVPortOf(TvxDXFConverter* conv);
// The view twist matrix of an entry: its view matrix (identity for nil), mirrored in Y unless
// the drawing uses the crossover matrix.
TFMatrix ViewTwistMatrixOf(const TvxDXFVport* vport, bool isCrossoverMatrix);
// Sets the active entry and the drawing's view twist matrix, and answers that matrix.
TFMatrix SetActiveVPort(TvxDXFConverter* conv, TvxDXFVport* vport);
// The drawing's view twist (the active entry's, degrees; 0 without a VPORT table). Writing
// stores it reduced to one turn and is ignored for angles too large to reduce.
double DrawingAngle(TvxDXFConverter* conv);
void SetDrawingAngle(TvxDXFConverter* conv, double a);
// Drops the active entry when its view height is 0 or tiny against the drawing's absolute
// height h; true when dropped.
bool DropDegenerateActiveVPort(TvxDXFConverter* conv, double h);

// The world-to-UCS matrix of the layout: identity axes for a paper sheet; for model space the
// active entry's UCS when it uses its own, else the header's $UCSORG, $UCSXDIR and $UCSYDIR.
TFMatrix GetUCS(TvxDXFConverter* conv, const TvxDXFLayout* layout);

}  // namespace vx
