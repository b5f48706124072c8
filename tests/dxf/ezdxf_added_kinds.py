#!/usr/bin/python3
"""Writes the fixture ezdxf_added_kinds.txt: for every DXF file of the corpus, the model-space
counts ezdxf finds of the kinds that draw through parts or blocks of their own (dimensions,
tables, proxies and meshes, solid-model bodies), with the kind names the library's dump uses.

    tests/dxf/ezdxf_added_kinds.py CORPUS > tests/dxf/ezdxf_added_kinds.txt

One line per file: the path relative to the corpus, then "kind=count" pairs (none: no such
entity); files ezdxf cannot read are left out.
"""
import pathlib
import sys

import ezdxf
from ezdxf import recover

KINDS = {
    "DIMENSION": "Dimension", "ACAD_TABLE": "ACADTable", "ACAD_PROXY_ENTITY": "Proxy", "MESH": "Proxy",
    "REGION": "Region", "3DSOLID": "3DSolid", "BODY": "Body", "SURFACE": "Region",
    "PLANESURFACE": "Region", "EXTRUDEDSURFACE": "Region", "LOFTEDSURFACE": "Region",
    "REVOLVEDSURFACE": "Region", "SWEPTSURFACE": "Region", "NURBSURFACE": "Region",
}

root = pathlib.Path(sys.argv[1])
for path in sorted(p for p in root.rglob("*") if p.suffix in (".dxf", ".dxfb")):
    try:
        try:
            doc = ezdxf.readfile(path)
        except Exception:
            doc, _ = recover.readfile(path)
    except Exception:
        continue
    counts = {}
    for e in doc.modelspace():
        kind = KINDS.get(e.dxftype())
        if kind:
            counts[kind] = counts.get(kind, 0) + 1
    print(" ".join([str(path.relative_to(root))] + [f"{k}={v}" for k, v in sorted(counts.items())]))
