#!/usr/bin/python3
"""Writes samples/sample.dxf: a small drawing that shows what the library draws.

Layers with colours and line weights, lines, circles, arcs, an ellipse, lightweight polylines
with bulges and widths, a spline, a solid, a dashed line type, a block inserted three times with
an attribute, texts, and a paper layout whose viewport shows model space.
Run with Debian's python (ezdxf): /usr/bin/python3 samples/make_sample.py
"""
import math
import os

import ezdxf
from ezdxf.enums import TextEntityAlignment

doc = ezdxf.new("R2010", setup=["linetypes"])
doc.header["$INSUNITS"] = 4  # millimetres
msp = doc.modelspace()

doc.layers.add("Outline", color=7, lineweight=50)
doc.layers.add("Axes", color=1, linetype="DASHDOT")
doc.layers.add("Parts", color=5, lineweight=25)
doc.layers.add("Notes", color=3)
doc.layers.add("Fill", color=8)

# A plate with rounded corners, holes and centre lines.
w, h, r = 200.0, 120.0, 10.0
plate = msp.add_lwpolyline(
    [(r, 0, 0), (w - r, 0, 0.41421356), (w, r, 0), (w, h - r, 0.41421356), (w - r, h, 0),
     (r, h, 0.41421356), (0, h - r, 0), (0, r, 0.41421356)],
    format="xyb", close=True, dxfattribs={"layer": "Outline"})
for cx, cy in ((30, 30), (170, 30), (170, 90), (30, 90)):
    msp.add_circle((cx, cy), 8, dxfattribs={"layer": "Parts"})
    msp.add_line((cx - 12, cy), (cx + 12, cy), dxfattribs={"layer": "Axes"})
    msp.add_line((cx, cy - 12), (cx, cy + 12), dxfattribs={"layer": "Axes"})
msp.add_circle((100, 60), 30, dxfattribs={"layer": "Parts"})
msp.add_arc((100, 60), 38, 20, 160, dxfattribs={"layer": "Parts", "color": 6})
msp.add_ellipse((100, 60), major_axis=(22, 0), ratio=0.5, dxfattribs={"layer": "Parts", "color": 4})
msp.add_line((-10, 60), (w + 10, 60), dxfattribs={"layer": "Axes"})
msp.add_line((100, -10), (100, h + 10), dxfattribs={"layer": "Axes"})

# A wide polyline, a spline and a solid.
msp.add_lwpolyline([(10, 140, 2, 2), (60, 140, 2, 0), (90, 150, 0, 0)], format="xyse",
                   dxfattribs={"layer": "Parts", "color": 2})
msp.add_spline([(110, 135), (130, 155), (150, 130), (170, 150), (190, 140)],
               dxfattribs={"layer": "Parts", "color": 30})
msp.add_solid([(205, 10), (225, 10), (205, 30), (225, 30)], dxfattribs={"layer": "Fill"})

# A block with an attribute, inserted three times.
mark = doc.blocks.new("MARK")
mark.add_circle((0, 0), 4)
mark.add_line((-4, -4), (4, 4))
mark.add_line((-4, 4), (4, -4))
mark.add_attdef("TAG", (5, 2), dxfattribs={"height": 3})
for i, (x, y) in enumerate(((215, 60), (215, 80), (215, 100))):
    ref = msp.add_blockref("MARK", (x, y), dxfattribs={"layer": "Parts", "rotation": 15 * i})
    ref.add_attrib("TAG", f"M{i + 1}", (x + 5, y + 2), dxfattribs={"height": 3})

msp.add_text("VX SAMPLE PLATE", height=6, dxfattribs={"layer": "Notes"}).set_placement(
    (100, -20), align=TextEntityAlignment.CENTER)
msp.add_mtext("Thickness 4 mm\\PAll holes through", dxfattribs={
    "layer": "Notes", "char_height": 3.5, "insert": (0, -30), "width": 80})

# A paper sheet with a frame and one viewport onto the plate.
sheet = doc.layouts.get("Layout1")
sheet.page_setup(size=(297, 210), margins=(10, 10, 10, 10), units="mm")
sheet.add_lwpolyline([(0, 0), (277, 0), (277, 190), (0, 190)], close=True)
sheet.add_viewport(center=(138, 100), size=(250, 160), view_center_point=(115, 65), view_height=200)

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.dxf")
doc.saveas(out)
print(out)
