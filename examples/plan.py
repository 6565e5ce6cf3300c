#!/usr/bin/python3
"""plan.py - writes examples/plan-revision.dxf, a small floor plan in
millimetres as a Japanese CAD program would save it: DXF 2000 in code page
932, with room names in Japanese (ソ and 表 have 0x5C, the backslash, as
their second byte), walls as polylines, doors and windows as blocks (one
door mirrored), a dimension and an MTEXT title.  ezdxf writes it, so the
host reads a drawing that it did not write itself.

    /usr/bin/python3 examples/plan.py      (Debian's python3-ezdxf)

Layers, in the order the host numbers them: 0, Defpoints 1, 壁 2, 建具 3,
文字 4, 寸法 5, 改訂 6, ハッチ 7.
"""
import os

import ezdxf
from ezdxf.enums import TextEntityAlignment as Align

ezdxf.options.write_fixed_meta_data_for_testing = True  # the same bytes on every run

doc = ezdxf.new("R2000", units=4)
doc.encoding = "cp932"
doc.linetypes.new("一点鎖線", dxfattribs={"description": "一点鎖線 __ . __", "pattern": [18.0, 12.0, -3.0, 0.0, -3.0]})
doc.styles.new("ゴシック", dxfattribs={"font": "msgothic.ttc"})
for name, color, ltype in (("壁", 7, "Continuous"), ("建具", 3, "Continuous"), ("文字", 2, "Continuous"),
                           ("寸法", 4, "Continuous"), ("改訂", 1, "Continuous"), ("ハッチ", 8, "Continuous")):
    doc.layers.new(name, dxfattribs={"color": color, "linetype": ltype})
doc.layers.new("通り芯", dxfattribs={"color": 6, "linetype": "一点鎖線"})
doc.header["$CLAYER"] = "壁"
msp = doc.modelspace()

# Walls: the outline and three inner walls (910 mm module).
msp.add_lwpolyline([(0, 0), (9100, 0), (9100, 6370), (0, 6370)], close=True, dxfattribs={"layer": "壁"})
for a, b in (((5460, 0), (5460, 6370)), ((5460, 3640), (9100, 3640)), ((7280, 0), (7280, 3640))):
    msp.add_line(a, b, dxfattribs={"layer": "壁"})
msp.add_line((-500, 3185), (9600, 3185), dxfattribs={"layer": "通り芯"})

# A door: its leaf and its swing; a window: three lines in the wall.
door = doc.blocks.new("片開き戸")
door.add_line((0, 0), (0, 800))
door.add_arc((0, 0), 800, 0, 90)
window = doc.blocks.new("窓")
for y in (-60, 0, 60):
    window.add_line((0, y), (1690, y), dxfattribs={"color": 0})  # BYBLOCK: the insert's colour
msp.add_blockref("片開き戸", (5460, 1000), dxfattribs={"layer": "建具"})
msp.add_blockref("片開き戸", (5460, 4500), dxfattribs={"layer": "建具", "xscale": -1})  # opens into the LDK
msp.add_blockref("片開き戸", (8000, 3640), dxfattribs={"layer": "建具", "rotation": 90})
msp.add_blockref("窓", (1000, 0), dxfattribs={"layer": "建具", "color": 5})
msp.add_blockref("窓", (1000, 6370), dxfattribs={"layer": "建具", "color": 5})
msp.add_blockref("窓", (9100, 4000), dxfattribs={"layer": "建具", "rotation": 90})

# Room names, a furniture label and the title.
for text, x, y in (("ＬＤＫ", 2730, 3185), ("寝室", 7280, 5005), ("洗面所", 6370, 1820), ("浴室", 8190, 1820)):
    msp.add_text(text, dxfattribs={"layer": "文字", "height": 300, "style": "ゴシック"}).set_placement(
        (x, y), align=Align.MIDDLE_CENTER)
msp.add_text("ソファ", dxfattribs={"layer": "文字", "height": 200}).set_placement((1200, 1500))
msp.add_mtext("{\\fMS Gothic;平面図}\\P縮尺 1/100　表示単位 mm", dxfattribs={
    "layer": "文字", "char_height": 250, "insert": (0, -900), "attachment_point": 1})

dim = msp.add_linear_dim(base=(0, -400), p1=(0, 0), p2=(9100, 0), dxfattribs={"layer": "寸法"}, override={
    "dimtxt": 250, "dimasz": 150, "dimexo": 100, "dimexe": 100, "dimgap": 60, "dimblk": "OBLIQUE"})
dim.render()

doc.saveas(os.path.join(os.path.dirname(os.path.abspath(__file__)), "plan-revision.dxf"))
