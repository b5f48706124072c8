# Glyphs of SHX fonts as ezdxf renders them, one line per shape for the SHX tests:
#   <number> <end x> <end y> <left> <bottom> <right> <top>
# (the pen position after the shape and the box of its drawn strokes; a shape without strokes
# has the box 0 0 0 0). Horizontal text only. Usage: ezdxf_shx_fixture.py FONT.shx OUT.txt
import sys

from ezdxf import shapefile


def main(font, out):
    sf = shapefile.readfile(font)
    with open(out, "w") as f:
        for num in sorted(sf.shapes.keys()):
            if num == 0:
                continue
            p = shapefile.render_shapes([num], sf.get_codes, stacked=False)
            pts = []
            for sp in p.sub_paths():
                if len(sp):
                    pts.extend(sp.flattening(0.001))
            box = (min(q.x for q in pts), min(q.y for q in pts), max(q.x for q in pts),
                   max(q.y for q in pts)) if pts else (0, 0, 0, 0)
            f.write("%d %.6f %.6f %.6f %.6f %.6f %.6f\n" % ((num, p.end.x, p.end.y) + box))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
