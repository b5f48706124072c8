#!/usr/bin/python3
"""Writes a large mixed DXF drawing for the read/load benchmarks (needs Debian's python3-ezdxf).

usage: /usr/bin/python3 bench/make_big_dxf.py OUT.dxf [ENTITIES] [--binary]
"""
import math
import random
import sys

import ezdxf


def main():
    if len(sys.argv) < 2 or sys.argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        return 0 if len(sys.argv) >= 2 else 2
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 and not sys.argv[2].startswith("-") else 300000
    binary = "--binary" in sys.argv

    rnd = random.Random(12345)
    doc = ezdxf.new("R2013")
    for i in range(20):
        doc.layers.add(f"LAYER_{i}", color=1 + i % 250)
    blk = doc.blocks.new("SYMBOL")
    blk.add_circle((0, 0), 1)
    blk.add_line((-1, 0), (1, 0))
    msp = doc.modelspace()
    for i in range(count):
        x, y = rnd.uniform(0, 10000), rnd.uniform(0, 10000)
        attribs = {"layer": f"LAYER_{i % 20}"}
        kind = i % 10
        if kind < 4:
            msp.add_line((x, y), (x + rnd.uniform(-50, 50), y + rnd.uniform(-50, 50)), dxfattribs=attribs)
        elif kind == 4:
            msp.add_circle((x, y), rnd.uniform(0.5, 20), dxfattribs=attribs)
        elif kind == 5:
            msp.add_arc((x, y), rnd.uniform(0.5, 20), rnd.uniform(0, 360), rnd.uniform(0, 360), dxfattribs=attribs)
        elif kind == 6:
            pts = [(x + 10 * math.cos(a / 3), y + 10 * math.sin(a / 3), 0, 0, rnd.choice((0, 0, 0.5)))
                   for a in range(8)]
            msp.add_lwpolyline(pts, format="xyseb", close=bool(i % 2), dxfattribs=attribs)
        elif kind == 7:
            msp.add_text(f"T{i}", height=2.5, dxfattribs=attribs).set_placement((x, y))
        elif kind == 8:
            msp.add_blockref("SYMBOL", (x, y), dxfattribs=attribs)
        else:
            msp.add_point((x, y), dxfattribs=attribs)
    if binary:
        doc.saveas(out, fmt="bin")
    else:
        doc.saveas(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
