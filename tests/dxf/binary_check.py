#!/usr/bin/python3
"""binary_check.py HOST SCRATCH_DIR

Binary DXF and damaged DXF, read by nerolit-host, checked against files
ezdxf writes here.

Binary: one drawing (lines, arcs, circles, points, Japanese texts in code
page 932 or UTF-8, MTEXT, polylines with bulges, nested and mirrored
inserts, a dimension, XDATA with every value type including a binary
chunk, and entities the host skips) is saved by ezdxf in every version it
writes, each as ASCII and as binary DXF.  The host must read the two forms
to the same figure list, byte for byte, and report the same skipped and
not-kept counts; R12 binary has one-byte group codes, the later versions
two-byte ones.

Damaged: the ASCII form of one drawing is damaged as files are damaged in
practice (junk after 0/EOF, a header variable outside the HEADER section,
a missing LAYER table, a section or table without its end marker, an
entity with a broken number, 0/EOF missing) and must still be read, with
every repair listed in one notice (file:line), to the figures the sound
file gives (less the entity that was broken); a file cut inside a section
must still be refused with its line, and nothing written.
"""
import os
import re
import subprocess
import sys

import ezdxf

HOST, SCRATCH = sys.argv[1], sys.argv[2]
os.makedirs(SCRATCH, exist_ok=True)
VERSIONS = ["R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"]
JP = "表ソ能十"  # Shift-JIS second bytes 0x5C, the backslash
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run_host(drawing, out):
    session = os.path.join(SCRATCH, "empty.session")
    open(session, "w").close()
    if os.path.exists(out):
        os.remove(out)
    p = subprocess.run([HOST, "--drawing", drawing, "--dump", out, session], capture_output=True)
    dump = open(out, encoding="utf-8").read() if os.path.exists(out) else None
    return p.returncode, p.stderr.decode("utf-8", "replace"), dump


def figures(dump):
    """The figures of a figure list without their entry numbers."""
    return [l.split(" ", 1)[1] for l in dump.splitlines() if l and not l.startswith("#")] if dump else []


def counts(err):
    """The skipped and not-kept lines without their file name."""
    return sorted(l.split(": ", 2)[2] for l in err.splitlines() if ": skipped: " in l or ": not kept: " in l)


def make_drawing(version, units=4):
    doc = ezdxf.new(version, units=units)
    if version < "R2007":
        doc.encoding = "cp932"
    doc.appids.new("NEROLIT")
    doc.appids.new("OTHERAPP")
    doc.layers.new("壁", dxfattribs={"color": 3})
    doc.layers.new("建具", dxfattribs={"color": 5, "linetype": "DASHED"})
    msp = doc.modelspace()
    msp.add_line((1234.56, -7.89), (98765.43, 21.01), dxfattribs={"layer": "壁"})
    msp.add_line((0.125, 1e-3), (-1e5 / 3, 2 / 3), dxfattribs={"color": 200, "linetype": "DASHED"})
    msp.add_arc((50.5, 60.25), 12.34, 15.5, 290.25)
    msp.add_circle((200, 100), 25.5, dxfattribs={"color": 140})
    msp.add_point((5.01, 5.02), dxfattribs={"layer": "壁"})
    msp.add_text(JP + "の部屋", dxfattribs={"height": 2.5, "rotation": 30, "insert": (300, 50), "layer": "建具"})
    x = msp.add_line((7, 7), (8, 8))
    x.set_xdata("NEROLIT", [(1000, "group"), (1071, 70000), (1000, "link"), (1070, 3)])
    x = msp.add_line((9, 9), (10, 10))
    x.set_xdata("OTHERAPP", [(1000, "something"), (1004, bytes(range(200))), (1040, 2.5), (1010, (1, 2, 3))])
    msp.add_polyline2d([(0, 0, 0, 0, 0.5), (10, 0, 0, 0, -1), (20, 0, 0, 0, 0), (20, 10, 0, 0, 0)],
                       format="xyseb", close=True, dxfattribs={"layer": "壁"})
    window = doc.blocks.new("窓")
    window.add_line((0, 0), (10, 0), dxfattribs={"color": 0})
    window.add_arc((0, 0), 10, 0, 90, dxfattribs={"layer": "建具"})
    window.add_text("窓" + JP, dxfattribs={"height": 1, "insert": (1, 2)})
    door = doc.blocks.new("DOOR", base_point=(5, 5))
    door.add_line((5, 5), (15, 5))
    door.add_blockref("窓", (20, 5), dxfattribs={"rotation": 30, "xscale": 2, "yscale": 2})
    msp.add_blockref("DOOR", (1000, 1000), dxfattribs={"rotation": 45, "layer": "建具", "color": 2})
    msp.add_blockref("DOOR", (2000, 1000), dxfattribs={"xscale": -1, "yscale": 1, "rotation": 10})
    room = msp.add_blockref("窓", (6000, 1000))
    room.add_attrib("ROOM", "居間" + JP, (6001, 1001), dxfattribs={"height": 3})
    dim = msp.add_linear_dim(base=(0, -20), p1=(0, 0), p2=(123.45, 0))
    dim.render()
    msp.add_solid([(0, 0), (1, 0), (1, 1)])
    if version != "R12":
        msp.add_lwpolyline([(100, 0, 0, 0, 0.25), (110, 5, 0, 0, 0), (100, 10, 0, 0, -0.4142)], format="xyseb",
                           close=True, dxfattribs={"color": 6, "const_width": 0.5})
        msp.add_spline([(0, 0), (1, 1), (2, 0), (3, 1)])
        hatch = msp.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10)], is_closed=True)
        msp.add_mtext("一行目\\P{\\C1;表ソ}\\P\\S1/2; \\U+2460", dxfattribs={
            "char_height": 3, "insert": (500, 500), "attachment_point": 7, "rotation": 30})
        image_def = doc.add_image_def(filename="photo.png", size_in_pixel=(640, 480))
        for i in range(3):
            msp.add_image(image_def, insert=(i * 10, 0), size_in_units=(6.4, 4.8))
    return doc


def binary_forms():
    for version in VERSIONS:
        doc = make_drawing(version)
        asc, binary = (os.path.join(SCRATCH, f"{version}-{form}.dxf") for form in ("asc", "bin"))
        doc.saveas(asc)
        doc.saveas(binary, fmt="bin")
        raw = open(binary, "rb").read()
        check(raw.startswith(b"AutoCAD Binary DXF\r\n\x1a\x00"), f"{version}: ezdxf wrote a binary DXF")
        width = 1 if raw[22:24] == b"\x00S" else 2 if raw[22:25] == b"\x00\x00S" else 0
        check(width == (1 if version == "R12" else 2), f"{version}: group codes of {width} bytes")
        rc_a, err_a, dump_a = run_host(asc, asc + ".txt")
        rc_b, err_b, dump_b = run_host(binary, binary + ".txt")
        check(rc_a == 0 and rc_b == 0, f"{version}: both forms read (exit {rc_a}, {rc_b}): {err_a}{err_b}")
        check(len(figures(dump_a)) >= 30, f"{version}: the drawing has its figures ({len(figures(dump_a))})")
        check(dump_a == dump_b, f"{version}: the binary form reads to the same figure list as the ASCII form")
        check(counts(err_a) == counts(err_b) and counts(err_a),
              f"{version}: the same skipped and not-kept counts\n{err_a}\n{err_b}")
        check("repaired" not in err_a + err_b, f"{version}: nothing to repair in a sound file\n{err_a}{err_b}")
        if version != "R12":
            check("3 IMAGE" in err_b, f"{version}: the skipped images are counted\n{err_b}")
        if version == "R2018":
            # Cut inside the ENTITIES section: refused at the byte where it ends.
            cut = os.path.join(SCRATCH, "cut-bin.dxf")
            at = raw.index(b"ENTITIES\x00") + 400
            open(cut, "wb").write(raw[:at])
            rc, err, dump = run_host(cut, cut + ".txt")
            check(rc == 2 and dump is None and re.search(r"cut-bin\.dxf:byte \d+: .*truncated", err),
                  f"binary cut inside a section refused with its byte offset: {rc} {err}")
            junk = os.path.join(SCRATCH, "junk-bin.dxf")
            open(junk, "wb").write(raw + b"\x00\x01garbage")
            rc, err, dump = run_host(junk, junk + ".txt")
            check(rc == 0 and dump == dump_b and f"junk-bin.dxf:byte {len(raw)}: 9 bytes after 0/EOF ignored" in err,
                  f"binary junk after 0/EOF ignored and reported: {rc} {err}")


def damaged():
    doc = make_drawing("R2000")
    sound = os.path.join(SCRATCH, "sound.dxf")
    doc.saveas(sound)
    text = open(sound, encoding="cp932").read()
    rc, err, good = run_host(sound, sound + ".txt")
    check(rc == 0, f"the sound file reads: {err}")
    good_figures = figures(good)

    def damage(name, new_text, want_figures, *wanted):
        path = os.path.join(SCRATCH, name + ".dxf")
        open(path, "w", encoding="cp932", newline="\n").write(new_text)
        rc, err, dump = run_host(path, path + ".txt")
        check(rc == 0, f"{name}: read (exit {rc}): {err}")
        got = figures(dump)
        if isinstance(want_figures, int):
            check(len(got) == want_figures, f"{name}: {len(got)} figures, {want_figures} wanted")
        else:
            check(got == want_figures, f"{name}: {len(got)} figures, {len(want_figures)} wanted")
        repairs = [l for l in err.splitlines() if "repaired" in l]
        check(len(repairs) == 1 and repairs[0] == f"nerolit-host: {path}: repaired {len(wanted)} "
              f"fault{'s' if len(wanted) > 1 else ''} (the drawing is read as far as it is sound):",
              f"{name}: one notice counts the repairs\n{err}")
        for w in wanted:
            check(re.search(r"^  " + re.escape(path) + r":\d+: " + w, err, re.M), f"{name}: repair {w!r} listed\n{err}")
        return err

    lines = text.split("\n")

    def pair_index(code, value, start=0):
        for k in range(start, len(lines) - 1, 2):
            if lines[k].strip() == str(code) and lines[k + 1].strip() == value:
                return k
        raise ValueError(f"{code}/{value}")

    damage("junk-after-eof", text + "garbage that a mailer added\n\x1a\nmore\n", good_figures,
           "3 lines after 0/EOF ignored")
    no_eof = text[:text.rindex("  0\nEOF")]
    damage("no-eof", no_eof, good_figures, "the file ends without 0/EOF after its last section")

    # $INSUNITS 5 (centimetres) moved out of the HEADER into the space between two sections: read all the same.
    metres = make_drawing("R2000", units=5)
    metres_path = os.path.join(SCRATCH, "metres.dxf")
    metres.saveas(metres_path)
    rc, err, in_metres = run_host(metres_path, metres_path + ".txt")
    m_lines = open(metres_path, encoding="cp932").read().split("\n")
    k = next(i for i in range(0, len(m_lines), 2) if m_lines[i + 1] == "$INSUNITS")
    var = m_lines[k:k + 4]
    del m_lines[k:k + 4]
    e = next(i for i in range(0, len(m_lines), 2) if m_lines[i + 1] == "ENTITIES") - 2
    m_lines[e:e] = var
    damage("misplaced-header-variable", "\n".join(m_lines), figures(in_metres),
           r"header variable \$INSUNITS between sections: read as a header variable")

    # The LAYER table gone: layers made from the names the figures use.
    t = pair_index(2, "LAYER") - 2
    end = pair_index(0, "ENDTAB", t) + 2
    damage("no-layer-table", "\n".join(lines[:t] + lines[end:]), len(good_figures),
           "the TABLES section has no LAYER table: layers are made from the names the figures use")

    # No ENDTAB after the LTYPE table, no ENDSEC after the ENTITIES section.
    t = pair_index(0, "ENDTAB", pair_index(2, "LTYPE"))
    e = pair_index(0, "ENDSEC", pair_index(2, "ENTITIES"))
    broken = lines[:t] + lines[t + 2:e] + lines[e + 2:]
    damage("no-end-markers", "\n".join(broken), good_figures, "the LTYPE table has no 0/ENDTAB: closed at 0/TABLE",
           "the ENTITIES section has no 0/ENDSEC: closed at 0/SECTION")

    # A broken number in the first line: that line is dropped, the rest read.
    k = pair_index(0, "LINE", pair_index(2, "ENTITIES"))
    x = pair_index(10, "1234.56", k)
    broken = lines[:]
    broken[x + 1] = "1234,56"
    want = [f for f in good_figures if not f.startswith("line 123456 ")]
    check(len(want) == len(good_figures) - 1, "the first line is one figure")
    damage("broken-number", "\n".join(broken), want,
           r"LINE at line \d+: group code 10 needs a finite number, found \"1234,56\": the entity is dropped")

    # Cut inside the ENTITIES section: still refused, with its line, and nothing written.
    cut = os.path.join(SCRATCH, "cut.dxf")
    open(cut, "w", encoding="cp932", newline="\n").write("\n".join(lines[:pair_index(0, "CIRCLE") + 6]) + "\n")
    rc, err, dump = run_host(cut, cut + ".txt")
    check(rc == 2 and dump is None and
          re.search(re.escape(cut) + r":\d+: the file ends inside the ENTITIES section without 0/EOF", err),
          f"a file cut inside a section is refused: {rc} {err}")


binary_forms()
damaged()
print(f"{len(failures)} failures" if failures else "binary and damaged DXF: all checks passed")
sys.exit(1 if failures else 0)
