#!/usr/bin/python3
"""Writes a drawing with text records through ezdxf, for the text-record tests.

Usage: ezdxf_text_fixture.py OUT.dxf VERSION [bin]
Writes model-space entities: a long MTEXT (ezdxf cuts it into code-3 pieces), a TEXT with
alignment, a SHAPE, and a STYLE with a TrueType face. The MTEXT holds "Grüße ± ", ten
letters "abcdefghij" forty times and " Ende".
"""
import sys

import ezdxf

out, version = sys.argv[1], sys.argv[2]
doc = ezdxf.new(version)
style = doc.styles.new("Face", dxfattribs={"font": "arial.ttf"})
# No bold or italic: ezdxf writes those bits the other way round from the reader (bold 1 << 24).
style.set_extended_font_data("Arial")
msp = doc.modelspace()
long_text = "Grüße \u00b1 " + "abcdefghij" * 40 + " Ende"
msp.add_mtext(long_text, dxfattribs={"char_height": 2.5, "width": 50, "attachment_point": 5,
                                     "insert": (1, 2), "style": "Face"})
msp.add_text("Aligned", dxfattribs={"height": 2, "style": "Face", "rotation": 30}).set_placement(
    (10, 20), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
msp.add_shape("BOX", insert=(5, 5), size=3)
doc.saveas(out, fmt="bin" if len(sys.argv) > 3 and sys.argv[3] == "bin" else "asc")
