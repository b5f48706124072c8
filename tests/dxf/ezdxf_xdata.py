#!/usr/bin/python3
"""Reference extended data for the DXF loading tests, by ezdxf.

For each file given prints one line per record and application:
  file <TAB> handle (hex) <TAB> record name <TAB> application <TAB> group codes after the 1001, blank-separated
Points count once (1010, 1011, ...).
"""
import sys

import ezdxf

for path in sys.argv[1:]:
    doc = ezdxf.readfile(path)
    for e in doc.entitydb.values():
        xdata = getattr(e, "xdata", None)
        if not xdata:
            continue
        for app, tags in xdata.data.items():
            codes = [str(t.code) for t in tags if t.code != 1001]
            print("\t".join([path, e.dxf.handle, e.dxftype(), app, " ".join(codes)]))
