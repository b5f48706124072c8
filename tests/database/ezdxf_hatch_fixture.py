#!/usr/bin/python3
"""Hatch pattern cases with ezdxf's own pattern lines, for the generator tests.

Usage: ezdxf_hatch_fixture.py OUT.txt [OUT.dxf]
For each case: a boundary of straight loops (an outer one with islands), a predefined pattern
set through ezdxf at some scale and angle, and the segments ezdxf.render.hatching makes of it.
Lines of OUT.txt:
  case NAME STYLE        (STYLE: the island style, 0 nested, 1 outermost, 2 ignore)
  loop FLAGS N x0 y0 ... (path flags, N points, not repeated at the end)
  pattern ANGLE BX BY OX OY N d1 .. dN   (lines as ezdxf stores them: turned and scaled)
  seg X0 Y0 X1 Y1
  end
The DXF holds the same hatches, one per case, for reading them through the DXF reader.
"""
import math
import sys

import ezdxf
from ezdxf.render.hatching import hatch_entity

out = sys.argv[1]
doc = ezdxf.new("R2010")
msp = doc.modelspace()

rect = [(0, 0), (40, 0), (40, 25), (0, 25)]
square = [(10, 8), (18, 8), (18, 16), (10, 16)]
triangle = [(25, 5), (35, 5), (30, 20)]


def moved(points, dx, dy):
    return [(x + dx, y + dy) for x, y in points]


def pentagon(cx, cy, r, turn):
    return [(cx + r * math.cos(math.radians(turn + 72 * i)), cy + r * math.sin(math.radians(turn + 72 * i)))
            for i in range(5)]


inner = [(12, 10), (16, 10), (16, 14), (12, 14)]
OUTER = ezdxf.const.BOUNDARY_PATH_OUTERMOST

# (pattern, scale, angle, loops, island style, flags of the loops after the first)
cases = [
    ("ANSI31", 1.0, 0.0, [rect, square, triangle]),
    ("NET", 2.0, 0.0, [rect, square, triangle]),
    ("NET", 1.5, 30.0, [pentagon(5, 5, 20, 10), moved(square, -8, -8)]),
    ("ANSI33", 1.0, 15.0, [rect, square, triangle]),
    ("BRICK", 1.0, 0.0, [rect, triangle]),
    ("DOTS", 2.0, 0.0, [rect, square]),
    ("ANSI31", 0.5, 0.0, [moved(rect, 1e6, 2e6), moved(square, 1e6, 2e6)]),
    ("HONEY", 1.0, 45.0, [pentagon(0, 0, 15, 0)]),
    ("ANSI31", 1.0, 0.0, [rect, square, inner, triangle], 1, [OUTER, 0, OUTER]),
    ("ANSI31", 1.0, 0.0, [rect, square, inner], 2, [OUTER, 0]),
]

with open(out, "w") as f:
    for case in cases:
        name, scale, angle, loops = case[:4]
        style = case[4] if len(case) > 4 else 0
        flags = [ezdxf.const.BOUNDARY_PATH_EXTERNAL] + (case[5] if len(case) > 5 else [0] * (len(loops) - 1))
        hatch = msp.add_hatch(color=1)
        for loop, flag in zip(loops, flags):
            hatch.paths.add_polyline_path(loop, is_closed=True, flags=flag)
        hatch.set_pattern_fill(name, scale=scale, angle=angle, style=style)
        f.write(f"case {name}_{scale}_{angle}_{style} {style}\n")
        for loop, flag in zip(loops, flags):
            f.write("loop %d %d %s\n" % (flag, len(loop), " ".join("%.17g %.17g" % p for p in loop)))
        for line in hatch.pattern.lines:
            dashes = list(line.dash_length_items)
            f.write("pattern %.17g %.17g %.17g %.17g %.17g %d %s\n" % (
                line.angle, line.base_point[0], line.base_point[1], line.offset[0], line.offset[1],
                len(dashes), " ".join("%.17g" % d for d in dashes)))
        for s, e in hatch_entity(hatch):
            f.write("seg %.17g %.17g %.17g %.17g\n" % (s.x, s.y, e.x, e.y))
        f.write("end\n")

if len(sys.argv) > 2:
    doc.saveas(sys.argv[2])
