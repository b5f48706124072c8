#!/usr/bin/python3
"""Reference counts for the DXF loading tests: model-space entity kinds of each file, by ezdxf.

Prints one JSON object per file: {"file": path, "types": {kind: count}} with the kind names the
library's dump uses, for the kinds its DXF reader loads so far; {"file": path, "error": text}
when ezdxf cannot read the file.
"""
import json
import sys

import ezdxf
from ezdxf import recover

KINDS = {
    "LINE": "Line", "3DLINE": "Line", "POINT": "Point", "SOLID": "Solid", "TRACE": "Trace",
    "3DFACE": "3dFace", "CIRCLE": "Circle", "ARC": "Arc", "ELLIPSE": "Ellipse",
    "POLYLINE": "Polyline", "LWPOLYLINE": "LWPolyline", "SPLINE": "Spline", "HELIX": "Helix",
    "RAY": "Ray", "XLINE": "Xline", "INSERT": "Insert", "ATTDEF": "Attdef",
    "TEXT": "Text", "MTEXT": "MText", "SHAPE": "Shape", "MPOLYGON": "MPolygon",
    "WIPEOUT": "Wipeout",
    "DIMENSION": "Dimension", "ACAD_TABLE": "ACADTable", "ACAD_PROXY_ENTITY": "Proxy", "MESH": "Proxy",
    "REGION": "Region", "3DSOLID": "3DSolid", "BODY": "Body", "SURFACE": "Region",
    "PLANESURFACE": "Region", "EXTRUDEDSURFACE": "Region", "LOFTEDSURFACE": "Region",
    "REVOLVEDSURFACE": "Region", "SWEPTSURFACE": "Region", "NURBSURFACE": "Region",
}

for path in sys.argv[1:]:
    try:
        try:
            doc = ezdxf.readfile(path)  # also reads binary files
        except Exception:
            doc, _ = recover.readfile(path)
        counts = {}
        for e in doc.modelspace():
            kind = KINDS.get(e.dxftype())
            if e.dxftype() == "HATCH":  # a solid hatch is loaded as a curve polygon
                kind = "CurvePolygon" if e.dxf.solid_fill else "Hatch"
            if kind:
                counts[kind] = counts.get(kind, 0) + 1
        print(json.dumps({"file": path, "types": counts}, sort_keys=True))
    except Exception as exc:  # a reference that cannot be made is reported, not fatal
        print(json.dumps({"file": path, "error": str(exc)}))
