#!/usr/bin/python3
"""ezdxf_check.py HOST SCRATCH_DIR SOURCE_DIR

The host's DXF reader and writer checked against ezdxf, an independent and
well-kept implementation.  ezdxf writes drawings in R12, R2000 and R2018
(every entity the host reads, nested, mirrored and unequally scaled
inserts, polylines with bulges, MTEXT with formatting codes, Japanese texts
in code page 932 and UTF-8 with 0x5C second bytes, layers, colours, line
types, XDATA); nerolit-host reads each and writes it back as DXF; ezdxf
reads the result with ezdxf.readfile, and every entity is compared with
what the input shows once its inserts, polylines and dimensions are
exploded by ezdxf: geometry within a stored unit, texts exactly, the
colour, layer and line type a viewer shows.  Then the example plan is
clouded and hatched through the commands and saved as DXF: the new arcs
and lines must be there on the right layer in the right colour, and the
plan unchanged.
"""
import math
import os
import re
import subprocess
import sys
from collections import Counter

import ezdxf
from ezdxf.enums import TextEntityAlignment as Align

HOST, SCRATCH, SOURCE = sys.argv[1], sys.argv[2], sys.argv[3]
os.makedirs(SCRATCH, exist_ok=True)
TOL = 0.01  # one stored unit: the host keeps 1/100 mm
JP = "表ソ能十"  # Shift-JIS second bytes 0x5C, the backslash
failures = []


def uni(s):
    """\\U+XXXX escapes decoded (ezdxf keeps them as they are)."""
    return re.sub(r"\\U\+([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), s)


def reported(err, line):
    """The counts of the host's "skipped:" or "not kept:" line."""
    for l in err.splitlines():
        if line + ": " in l:
            return Counter({w.split(" ", 1)[1]: int(w.split(" ", 1)[0]) for w in l.split(line + ": ", 1)[1].split(", ")})
    return Counter()


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run_host(drawing, out, session="", settings=None, svg=None):
    session_file = os.path.join(SCRATCH, "session.txt")
    with open(session_file, "w", encoding="utf-8") as f:
        f.write(session)
    cmd = [HOST, "--drawing", drawing, "--dump", out]
    if settings:
        cmd += ["--settings", settings]
    if svg:
        cmd += ["--svg", svg]
    p = subprocess.run(cmd + [session_file], capture_output=True)
    return p.returncode, p.stderr.decode("utf-8", "replace")


# --- inputs ---------------------------------------------------------------

def make_drawing(version, path):
    doc = ezdxf.new(version, units=4)  # millimetres
    if version != "R2018":
        doc.encoding = "cp932"  # Shift-JIS bytes; 2018 files are UTF-8
    doc.appids.new("NEROLIT")
    doc.appids.new("OTHERAPP")
    doc.linetypes.new("破線", dxfattribs={"description": "破線 __ __", "pattern": [6.0, 4.0, -2.0]})
    doc.styles.new("ゴシック", dxfattribs={"font": "msgothic.ttc"})
    doc.layers.new("壁", dxfattribs={"color": 3, "linetype": "破線"})
    doc.layers.new("建具", dxfattribs={"color": 5})
    doc.layers.new("消灯", dxfattribs={"color": -4})  # switched off
    doc.header["$CLAYER"] = "建具"
    msp = doc.modelspace()

    msp.add_line((1234.56, -7.89), (98765.43, 21.01), dxfattribs={"layer": "壁"})
    msp.add_line((0, 0), (100, 0), dxfattribs={"color": 1, "linetype": "破線"})
    msp.add_line((0, 0), (0, 100), dxfattribs={"layer": "消灯", "color": 0})  # BYBLOCK outside a block
    msp.add_arc((50.5, 60.25), 12.34, 15.5, 290.25)
    msp.add_arc((-30, 40), 5, 10, 80, dxfattribs={"extrusion": (0, 0, -1)})  # seen from below: mirrored
    msp.add_circle((200, 100), 25.5, dxfattribs={"color": 140})
    msp.add_point((5.01, 5.02), dxfattribs={"layer": "壁"})
    aligns = [Align.LEFT, Align.CENTER, Align.RIGHT, Align.MIDDLE, Align.TOP_LEFT, Align.TOP_CENTER,
              Align.TOP_RIGHT, Align.MIDDLE_LEFT, Align.MIDDLE_CENTER, Align.MIDDLE_RIGHT, Align.BOTTOM_LEFT,
              Align.BOTTOM_CENTER, Align.BOTTOM_RIGHT]
    for i, align in enumerate(aligns):
        t = msp.add_text(JP + str(i), dxfattribs={
            "height": 2.5, "rotation": 15 * i, "width": 0.8, "oblique": 10 if i % 2 else 0,
            "style": "ゴシック" if i % 3 == 0 else "Standard", "layer": "壁"})
        t.set_placement((300 + 10 * i, 50), align=align)
    msp.add_text("25%%d 雪\u2603", dxfattribs={"height": 3.5, "insert": (10, 400)})  # U+2603: no Shift-JIS form
    t = msp.add_text("揃え", dxfattribs={"height": 2})
    t.set_placement((10, 300), (40, 330), align=Align.ALIGNED)
    x = msp.add_line((7, 7), (8, 8))
    x.set_xdata("NEROLIT", [(1000, "group"), (1071, 5), (1000, "link"), (1070, 3)])
    x = msp.add_text("リンク", dxfattribs={"height": 2, "insert": (10, 500)})
    x.set_xdata("NEROLIT", [(1000, "group"), (1071, 70000), (1000, "spacing"), (1071, 20), (1000, "kind"),
                            (1070, 6)])
    x = msp.add_line((9, 9), (10, 10))
    x.set_xdata("OTHERAPP", [(1000, "something")])

    msp.add_polyline2d([(0, 0, 0, 0, 0.5), (10, 0, 0, 0, -1), (20, 0, 0, 0, 0), (20, 10, 0, 0, 0)],
                       format="xyseb", close=True, dxfattribs={"layer": "壁"})
    if version != "R12":
        msp.add_lwpolyline([(100, 0, 0, 0, 0.25), (110, 5, 0, 0, 0), (100, 10, 0, 0, -0.4142)], format="xyseb",
                           close=True, dxfattribs={"color": 6})
        msp.add_lwpolyline([(200, 0), (210, 0), (210, 5)])

    window = doc.blocks.new("窓")
    window.add_line((0, 0), (10, 0), dxfattribs={"color": 0})  # BYBLOCK on layer 0: the insert's
    window.add_arc((0, 0), 10, 0, 90, dxfattribs={"layer": "建具", "linetype": "BYBLOCK"})
    window.add_circle((5, 5), 1)
    window.add_text("窓" + JP, dxfattribs={"height": 1, "insert": (1, 2)})
    door = doc.blocks.new("DOOR", base_point=(5, 5))
    door.add_line((5, 5), (15, 5))
    door.add_blockref("窓", (20, 5), dxfattribs={"rotation": 30, "xscale": 2, "yscale": 2})
    msp.add_blockref("DOOR", (1000, 1000), dxfattribs={"rotation": 45, "xscale": 1.5, "yscale": 1.5,
                                                        "layer": "建具", "color": 2, "linetype": "破線"})
    msp.add_blockref("DOOR", (2000, 1000), dxfattribs={"xscale": -1, "yscale": 1, "rotation": 10})  # mirrored
    msp.add_blockref("窓", (3000, 1000), dxfattribs={"xscale": 1, "yscale": -1})  # mirrored upside down
    msp.add_blockref("窓", (4000, 1000), dxfattribs={"xscale": 2, "yscale": 1})  # arcs cannot follow
    grid = msp.add_blockref("窓", (5000, 1000), dxfattribs={"layer": "壁"})
    grid.dxf.column_count, grid.dxf.row_count = 2, 3
    grid.dxf.column_spacing, grid.dxf.row_spacing = 20, 30
    room = msp.add_blockref("窓", (6000, 1000))
    room.add_attrib("ROOM", "居間" + JP, (6001, 1001), dxfattribs={"height": 3})

    dim = msp.add_linear_dim(base=(0, -20), p1=(0, 0), p2=(123.45, 0))
    dim.render()
    msp.add_solid([(0, 0), (1, 0), (1, 1)])
    if version != "R12":
        msp.add_spline([(0, 0), (1, 1), (2, 0), (3, 1)])
        msp.add_ellipse((0, 0), major_axis=(10, 0), ratio=0.5)
        hatch = msp.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10)], is_closed=True)
        msp.add_mtext("一行目\\P{\\C1;表ソ}\\P\\S1/2; \\U+2460\\~x\\\\y", dxfattribs={
            "char_height": 3, "insert": (500, 500), "attachment_point": 7, "rotation": 30, "style": "ゴシック"})
        msp.add_mtext("中央\\P揃え", dxfattribs={"char_height": 2, "insert": (600, 500), "attachment_point": 5,
                                               "line_spacing_factor": 1.5})
    doc.layout("Layout1").add_line((0, 0), (1, 1))  # paper space
    doc.saveas(path)


# --- what a drawing shows ------------------------------------------------------

def layer_of(doc, name):
    return doc.layers.get(name) if doc.layers.has_entry(name) else None


def shown(doc, e, ctx):
    """Layer, colour and line type as a viewer shows the entity."""
    layer = e.dxf.get("layer", "0")
    if ctx and layer == "0":
        layer = ctx[0]
    entry = layer_of(doc, layer)
    color = e.dxf.get("color", 256)
    if color == 0:
        color = ctx[1] if ctx else 7
    if color == 256:
        color = abs(entry.dxf.color) if entry else 7
    lt = e.dxf.get("linetype", "BYLAYER").upper()
    if lt == "BYBLOCK":
        lt = ctx[2] if ctx else "CONTINUOUS"
    if lt == "BYLAYER":
        lt = entry.dxf.get("linetype", "Continuous").upper() if entry else "CONTINUOUS"
    return layer, color, lt


def text_box(anchor, angle_deg, height, width_factor, halign, valign, count, mirror_flags=0):
    """Corners of a text's nominal box (count characters, each height x
    width factor wide) placed by its alignment."""
    u = (math.cos(math.radians(angle_deg)), math.sin(math.radians(angle_deg)))
    v = (-u[1], u[0])
    length = count * height * width_factor
    hf = {0: 0, 1: 0.5, 2: 1, 4: 0.5}.get(halign, 0)
    vf = {0: 0, 1: 0, 2: 0.5, 3: 1}.get(valign, 0) if halign != 4 else 0.5
    base = (anchor[0] - hf * length * u[0] - vf * height * v[0], anchor[1] - hf * length * u[1] - vf * height * v[1])
    return [(base[0] + a * length * u[0] + b * height * v[0], base[1] + a * length * u[1] + b * height * v[1])
            for a in (0, 1) for b in (0, 1)]


def text_prim(doc, e, ctx, matrix=None):
    d = e.dxf
    halign, valign = d.get("halign", 0), d.get("valign", 0)
    anchor, angle = d.insert, d.get("rotation", 0)
    if halign in (3, 5):  # aligned and fit: left on the baseline, along the two points
        p, q = d.insert, d.get("align_point", d.insert)
        angle = math.degrees(math.atan2(q.y - p.y, q.x - p.x))
        halign = valign = 0
    elif halign != 0 or valign != 0:
        anchor = d.get("align_point", d.insert)
    ocs = e.ocs()
    text = uni(d.text)
    box = text_box(anchor, angle, d.height, d.get("width", 1), halign, valign, len(text))
    box = [tuple(ocs.to_wcs((x, y, 0)))[:2] for x, y in box]
    height = d.height
    if matrix is not None:
        box = [tuple(matrix.transform((x, y, 0)))[:2] for x, y in box]
        u = matrix.transform_direction(ocs.to_wcs((math.cos(math.radians(angle)), math.sin(math.radians(angle)), 0)))
        m = matrix
        det = abs(m[0, 0] * m[1, 1] - m[0, 1] * m[1, 0])
        height *= det / math.hypot(u.x, u.y)  # the scale across the text's direction
    return {"type": "TEXT", "text": text, "style": d.get("style", "Standard").upper(), "box": box,
            "attr": shown(doc, e, ctx), "xdata": xdata_of(e), "height": height, "line": e.dxf.handle}


def mtext_prims(doc, e, ctx):
    """One text per MTEXT paragraph, placed 5/3 x height x spacing apart."""
    lines = [uni(line) for line in e.plain_text(split=True, fast=False)]
    a = e.dxf.get("attachment_point", 1)
    vpos, hpos = (a - 1) // 3, (a - 1) % 3
    h = e.dxf.char_height
    pitch = 5 / 3 * h * e.dxf.get("line_spacing_factor", 1)
    rot = e.get_rotation()
    u = (math.cos(math.radians(rot)), math.sin(math.radians(rot)))
    v = (-u[1], u[0])
    n = len(lines)
    out = []
    for i, line in enumerate(lines):
        if not line:
            continue
        k = i if vpos == 0 else i - (n - 1) / 2 if vpos == 1 else i - (n - 1)
        anchor = (e.dxf.insert.x - k * pitch * v[0], e.dxf.insert.y - k * pitch * v[1])
        box = text_box(anchor, rot, h, 1, hpos, {0: 3, 1: 2, 2: 0}[vpos], len(line))
        out.append({"type": "TEXT", "text": line, "style": e.dxf.get("style", "Standard").upper(), "box": box,
                    "attr": shown(doc, e, ctx), "xdata": xdata_of(e), "height": h, "line": e.dxf.handle})
    return out


def xdata_of(e):
    if not e.has_xdata("NEROLIT"):
        return {}
    tags = list(e.get_xdata("NEROLIT"))
    return {tags[i].value: tags[i + 1].value for i in range(0, len(tags) - 1, 2)}


def prim(doc, e, ctx):
    t = e.dxftype()
    base = {"type": t, "attr": shown(doc, e, ctx), "xdata": xdata_of(e), "line": e.dxf.get("handle")}
    if t == "LINE":
        base["pts"] = [tuple(e.dxf.start)[:2], tuple(e.dxf.end)[:2]]
    elif t == "POINT":
        base["pts"] = [tuple(e.dxf.location)[:2]]
    elif t == "CIRCLE":
        base["pts"] = [tuple(e.ocs().to_wcs(e.dxf.center))[:2]]
        base["r"] = e.dxf.radius
    elif t == "ARC":
        s, f = tuple(e.start_point)[:2], tuple(e.end_point)[:2]
        if e.dxf.extrusion.z < 0:  # counter-clockwise seen from below
            s, f = f, s
        base["pts"] = [tuple(e.ocs().to_wcs(e.dxf.center))[:2], s, f]
        base["r"] = e.dxf.radius
    return base


def flatten(doc, entities, ctx, out, skipped, matrix=None):
    """The entities as primitives: inserts, polylines and dimensions
    exploded by ezdxf; ctx is the holding insert's (layer, colour, line
    type) as shown."""
    for e in entities:
        t = e.dxftype()
        if ctx is None and e.dxf.get("paperspace", 0):
            skipped["paper"] += 1
        elif t == "INSERT" and e.mcount > 1:
            flatten(doc, e.multi_insert(), ctx, out, skipped, matrix)
        elif t == "INSERT":
            for a in e.attribs:
                out.append(text_prim(doc, a, ctx))
            inner = shown(doc, e, ctx)
            m = e.matrix44()
            for be in doc.blocks.get(e.dxf.name):
                if be.dxftype() == "TEXT":  # placed through the insert: the box shows where it lies
                    out.append(text_prim(doc, be, inner, m))
            flatten(doc, [v for v in e.virtual_entities() if v.dxftype() != "TEXT"], inner, out, skipped, m)
        elif t == "DIMENSION":
            flatten(doc, e.virtual_entities(), shown(doc, e, ctx), out, skipped)
        elif t in ("LWPOLYLINE", "POLYLINE"):
            flatten(doc, e.virtual_entities(), ctx, out, skipped)
        elif t in ("LINE", "ARC", "CIRCLE", "POINT"):
            out.append(prim(doc, e, ctx))
        elif t in ("TEXT", "ATTRIB"):
            out.append(text_prim(doc, e, ctx))
        elif t == "MTEXT":
            out.extend(mtext_prims(doc, e, ctx))
        elif t == "ELLIPSE" and ctx is not None:
            skipped["unequal"] += 1  # an arc or circle of an unequally scaled insert
        elif t != "ATTDEF":
            skipped[t] += 1


def close(p, q, tol=TOL):
    return math.hypot(p[0] - q[0], p[1] - q[1]) <= tol


def same(a, b):
    if a["type"] != b["type"] or a["attr"] != b["attr"] or a["xdata"] != b["xdata"]:
        return False
    if a["type"] == "TEXT":
        tol = TOL * (len(a["text"]) + 2)
        return (a["text"] == b["text"] and a["style"] == b["style"] and abs(a["height"] - b["height"]) <= TOL
                and all(any(close(p, q, tol) for q in b["box"]) for p in a["box"]))
    if "r" in a and abs(a["r"] - b["r"]) > TOL:
        return False
    return len(a["pts"]) == len(b["pts"]) and all(close(p, q) for p, q in zip(a["pts"], b["pts"]))


def compare(name, want, got):
    left = list(got)
    for w in want:
        match = next((g for g in left if same(w, g)), None)
        if match is None:
            near = [g for g in left if g["type"] == w["type"]][:3]
            check(False, f"{name}: no output entity matches {w}; nearest of that type: {near}")
        else:
            left.remove(match)
    check(not left, f"{name}: output entities that the input does not have: {left[:3]}")


# --- the round trips ---------------------------------------------------------

def round_trip(version):
    src = os.path.join(SCRATCH, f"input-{version}.dxf")
    out = os.path.join(SCRATCH, f"output-{version}.dxf")
    make_drawing(version, src)
    code, err = run_host(src, out)
    check(code == 0, f"{version}: nerolit-host exit {code}: {err}")
    if code != 0:
        return
    doc_in, doc_out = ezdxf.readfile(src), ezdxf.readfile(out)
    check(doc_out.dxfversion == "AC1015", f"{version}: written as {doc_out.dxfversion}")
    check(doc_out.header["$DWGCODEPAGE"] == "ANSI_932", f"{version}: code page {doc_out.header['$DWGCODEPAGE']}")
    check(doc_out.header["$CLAYER"] == "建具", f"{version}: current layer {doc_out.header['$CLAYER']}")
    units = 0 if version == "R12" else 4  # R12 has no units: kept unitless (read as millimetres)
    check(doc_out.header["$INSUNITS"] == units, f"{version}: units {doc_out.header['$INSUNITS']}")
    for l in doc_in.layers:
        o = layer_of(doc_out, l.dxf.name)
        check(o is not None and o.dxf.color == l.dxf.color and o.dxf.linetype.upper() == l.dxf.linetype.upper(),
              f"{version}: layer {l.dxf.name} not kept")
    lt = doc_out.linetypes.get("破線")
    check(lt is not None and [t.value for t in lt.pattern_tags.tags if t.code == 49] == [4.0, -2.0],
          f"{version}: the line type 破線 lost its pattern")
    check(doc_out.styles.has_entry("ゴシック") and doc_out.styles.get("ゴシック").dxf.font == "msgothic.ttc",
          f"{version}: the text style ゴシック not kept")

    want, got, skipped_in, skipped_out = [], [], Counter(), Counter()
    flatten(doc_in, doc_in.modelspace(), None, want, skipped_in)
    flatten(doc_in, doc_in.layout("Layout1"), None, want, skipped_in)
    flatten(doc_out, doc_out.modelspace(), None, got, skipped_out)
    check(not skipped_out and not list(doc_out.layout("Layout1")), f"{version}: the output has {skipped_out}")
    check(len(want) > 60, f"{version}: only {len(want)} entities to compare")
    compare(version, want, got)

    # Everything the host could not represent was named on standard error.
    skipped, not_kept = reported(err, "skipped"), reported(err, "not kept")
    for kind in ("SOLID", "SPLINE", "ELLIPSE", "HATCH"):
        check(skipped[kind] == skipped_in[kind], f"{version}: {skipped_in[kind]} {kind} skipped, reported: {err}")
    check(skipped["in paper space"] == skipped_in["paper"] == 1, f"{version}: paper space not reported: {err}")
    unequal = sum(n for k, n in skipped.items() if "scaled unequally" in k)
    check(unequal == skipped_in["unequal"] == 2, f"{version}: {skipped_in['unequal']} unequally scaled arcs, "
                                                 f"reported {unequal}: {err}")
    check(re.search(r"input-R\w+\.dxf:\d+: TEXT .*U\+2603 has no Shift-JIS form", err), f"{version}: ☃ not reported")
    check(not_kept["XDATA of other applications"] == 1, f"{version}: foreign XDATA not reported: {err}")

    # Read back again: the host's own output round-trips to the same bytes.
    again = os.path.join(SCRATCH, f"again-{version}.dxf")
    code, err2 = run_host(out, again)
    check(code == 0 and open(out, "rb").read() == open(again, "rb").read(),
          f"{version}: a second round trip changed the file ({code}: {err2})")


def commands_on_plan():
    """kumo1 and Hatch on the example plan; the plan itself stays as it was."""
    src = os.path.join(SOURCE, "examples", "plan-revision.dxf")
    session = open(os.path.join(SOURCE, "examples", "plan-revision.session"), encoding="utf-8").read()
    settings = os.path.join(SCRATCH, "plan.ini")
    with open(os.path.join(SOURCE, "examples", "plan-revision.ini"), "rb") as f:
        open(settings, "wb").write(f.read())
    out = os.path.join(SCRATCH, "plan-out.dxf")
    code, err = run_host(src, out, session, settings)
    check(code == 0, f"plan: exit {code}: {err}")
    if code != 0:
        return
    doc_in, doc_out = ezdxf.readfile(src), ezdxf.readfile(out)
    want, got, s1, s2 = [], [], Counter(), Counter()
    flatten(doc_in, doc_in.modelspace(), None, want, s1)
    flatten(doc_out, doc_out.modelspace(), None, got, s2)
    plan_out = [g for g in got if g["attr"][0] not in ("改訂", "ハッチ")]
    compare("plan", want, plan_out)
    cloud = [g for g in got if g["attr"][0] == "改訂"]
    hatch = [g for g in got if g["attr"][0] == "ハッチ"]
    check(len(cloud) == 12 and all(g["type"] == "ARC" and g["attr"][1] == 1 for g in cloud),
          f"plan: the cloud should be 12 red arcs on 改訂: {cloud[:2]}")
    starts = [g["pts"][1] for g in cloud]
    joined = all(sum(close(g["pts"][2], p, 3 * TOL) for p in starts) == 1 for g in cloud)
    check(joined, "plan: the cloud's arcs do not make one closed chain")  # each ends where one starts
    check(len(hatch) > 10 and all(g["type"] == "LINE" and g["attr"][1] == 8 for g in hatch),
          f"plan: the hatch should be grey lines on ハッチ: {len(hatch)} {hatch[:2]}")
    for e in doc_out.modelspace().query("ARC[layer=='改訂']"):
        check(e.dxf.get("color") == 1 and e.dxf.get("linetype", "BYLAYER").upper() == "BYLAYER",
              "plan: a cloud arc's own colour is not red")


for version in ("R12", "R2000", "R2018"):
    round_trip(version)
commands_on_plan()
if failures:
    print(f"{len(failures)} ezdxf checks failed")
    sys.exit(1)
print("ezdxf checks: all passed")
