#!/usr/bin/python3
"""studio_fixtures.py OUT_DIR

Two drawings for the Studio's browser test of the reader's notices, written
by ezdxf: plan-binary.dxf, a small plan saved as binary DXF 2018 with eight
IMAGE entities (which the host skips) beside its walls and room names, the
same drawing as plan-ascii.dxf; and plan-damaged.dxf, the ASCII plan with
three kinds of damage: no 0/ENDTAB after the LAYER table, a wall whose x
is "12,5" (a decimal comma), and a mail footer after 0/EOF.
"""
import os
import sys

import ezdxf

ezdxf.options.write_fixed_meta_data_for_testing = True
out = sys.argv[1]
os.makedirs(out, exist_ok=True)

doc = ezdxf.new("R2018", units=4)
doc.layers.new("壁", dxfattribs={"color": 1})
doc.layers.new("文字", dxfattribs={"color": 5})
msp = doc.modelspace()
for (x1, y1), (x2, y2) in [((0, 0), (6000, 0)), ((6000, 0), (6000, 4000)), ((6000, 4000), (0, 4000)),
                           ((0, 4000), (0, 0)), ((3500, 0), (3500, 4000))]:
    msp.add_line((x1, y1), (x2, y2), dxfattribs={"layer": "壁"})
msp.add_arc((3500, 1000), 800, 90, 180, dxfattribs={"layer": "壁"})
msp.add_text("居間", dxfattribs={"height": 300, "insert": (1200, 2000), "layer": "文字"})
msp.add_text("寝室", dxfattribs={"height": 300, "insert": (4300, 2000), "layer": "文字"})
photo = doc.add_image_def(filename="photo.jpg", size_in_pixel=(640, 480))
for i in range(8):
    msp.add_image(photo, insert=(i * 700, -1200), size_in_units=(640, 480))
doc.saveas(os.path.join(out, "plan-binary.dxf"), fmt="bin")
doc.saveas(os.path.join(out, "plan-ascii.dxf"))

lines = open(os.path.join(out, "plan-ascii.dxf"), encoding="utf-8").read().split("\n")
pairs = [(lines[k].strip(), lines[k + 1]) for k in range(0, len(lines) - 1, 2)]
layer = next(k for k, p in enumerate(pairs) if p == ("2", "LAYER"))
endtab = next(k for k in range(layer, len(pairs)) if pairs[k] == ("0", "ENDTAB"))
del pairs[endtab]
line = next(k for k, p in enumerate(pairs) if p == ("0", "LINE"))
x = next(k for k in range(line, len(pairs)) if pairs[k][0] == "10")
pairs[x] = ("10", "12,5")
text = "".join(f"{c}\n{v}\n" for c, v in pairs) + "-- \nSent from my phone\n"
open(os.path.join(out, "plan-damaged.dxf"), "w", encoding="utf-8").write(text)
