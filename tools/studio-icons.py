#!/usr/bin/env python3
"""studio-icons.py - the module's toolbar bitmaps as PNG pictures for the
studio page's command bar.

    studio-icons.py OUTDIR BMP...

Each BMP of resources/ is a 16x16 picture with 4 bits a pixel and the
standard 16-colour palette (Nerolit.rc).  The PNG keeps its pixels and size;
palette entry 7 (silver, the toolbar's button face in the CAD host) becomes
transparent, so that the icon sits on the page's button as it does on the
host's.  Python's standard library only.  A file that is not such a bitmap
stops the build with its name and what is wrong.
"""
import os
import struct
import sys
import zlib

BUTTON_FACE = 7


def fail(path, why):
    sys.exit(f"studio-icons.py: {path}: {why}")


def read_bmp(path):
    """Rows of RGBA tuples, top row first."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 54 or data[:2] != b"BM":
        fail(path, "not a Windows bitmap")
    offset = struct.unpack_from("<I", data, 10)[0]
    header, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if bits not in (4, 8) or compression != 0 or width <= 0 or height == 0:
        fail(path, f"unsupported bitmap ({bits} bits a pixel, compression {compression}, {width}x{height})")
    colours = 1 << bits
    palette = []
    for i in range(colours):
        pos = 14 + header + 4 * i
        if pos + 4 > len(data):
            fail(path, "palette cut short")
        b, g, r, _ = data[pos:pos + 4]
        palette.append((r, g, b))
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        row_bytes = data[start:start + stride]
        if len(row_bytes) < stride:
            fail(path, "pixels cut short")
        row = []
        for x in range(width):
            if bits == 8:
                index = row_bytes[x]
            else:
                byte = row_bytes[x // 2]
                index = byte >> 4 if x % 2 == 0 else byte & 15
            r, g, b = palette[index]
            row.append((r, g, b, 0 if index == BUTTON_FACE else 255))
        rows.append(row)
    if height > 0:  # bottom-up
        rows.reverse()
    return rows


def png(rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: studio-icons.py OUTDIR BMP...")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for path in sys.argv[2:]:
        name = os.path.splitext(os.path.basename(path))[0].lower() + ".png"
        with open(os.path.join(out, name), "wb") as f:
            f.write(png(read_bmp(path)))


if __name__ == "__main__":
    main()
