/*
 * Dxf.h - a user's DXF drawing read into the host's figures, and the
 * drawing written back as DXF 2000.  The reader and the writer are the
 * host's own (no DXF library fits every build: 32-bit Linux, MinGW and
 * WebAssembly) and make no platform calls: bytes in, bytes out, texts
 * through the host's code page 932 conversion (host/text/Text.h).
 *
 * Units.  The host stores integers; the reader makes a drawing unit 1/100
 * of a millimetre for drawings in millimetres, centimetres, decimetres or
 * metres ($INSUNITS 4, 5, 14, 6) and for unitless ones (0: taken as
 * millimetres), and 1/100 of the drawing's own unit for every other unit.
 * unitFactor becomes 0.01, so lengths in settings are millimetres (or the
 * drawing's own unit) and a plan in millimetres keeps 0.01 mm exactly.
 * The writer divides by the same scale: a DXF coordinate is the stored
 * integer times unitFactor, in millimetres turned into the drawing's unit.
 *
 * Attributes.  Host layer n is the n-th layer of the DXF's LAYER table,
 * with "0" always 0 (names met only on entities follow the table); host
 * colour 1..255 is the ACI colour, 0 is BYLAYER; host line type 0 is
 * BYLAYER, 1 Continuous, 2 onwards the LTYPE table in order; host text
 * style 0 is Standard, then the STYLE table.  BYBLOCK takes the colour or
 * line type of the insert that holds the figure.  Group and link numbers
 * (and what else the host keeps that DXF has no field for: a text's
 * spacing, second kind, and an origin code that is no position) travel as
 * XDATA of the application "NEROLIT": 1000 "group" 1071 N, 1000 "link"
 * 1070 K, 1000 "spacing" 1071 S, 1000 "kind" 1070 6, 1000 "origin" 1070 O.  Groups are XDATA, not DXF GROUP objects, because
 * the host's group is a number that commands give and compare, and XDATA
 * keeps it exactly in every DXF version.
 */
#ifndef NEROLIT_HOST_DXF_H
#define NEROLIT_HOST_DXF_H

#include "host/records/Figures.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace host {

/* What the drawing's tables say about a name, kept to write it back. */
struct DxfLayer {
    std::string name;                   /* UTF-8, as the file spells it */
    int color = 7;                      /* ACI; negative: the layer is off */
    std::string lineType = "Continuous";
    int flags = 0;                      /* 1 frozen, 4 locked, ... */
    int lineWeight = -3;                /* hundredths of a mm; -3 default */
    bool plot = true;
};

struct DxfLineType {
    std::string name, description;
    std::vector<double> dashes;         /* in the drawing's unit; negative = gap, 0 = dot */
};

struct DxfStyle {
    std::string name, font = "msgothic.ttc", bigFont;
    double fixedHeight = 0, widthFactor = 1, oblique = 0;
};

/* The names behind the host's attribute numbers, and the drawing's unit. */
struct DxfNames {
    std::vector<DxfLayer> layers;       /* index = host layer */
    std::vector<DxfLineType> lineTypes; /* index = host line type (0 ByLayer, 1 Continuous) */
    std::vector<DxfStyle> styles;       /* index = host text style */
    int insUnits = 4;                   /* $INSUNITS of the drawing (4 millimetres) */
};

/* A DXF drawing as the host holds it. */
struct DxfDrawing {
    std::vector<Figure> figures;        /* in file order, inserts exploded */
    DxfNames names;
    int32_t currentLayer = 0, currentColor = 0, currentLineType = 0; /* $CLAYER, $CECOLOR, $CELTYPE */
    double unitFactor = 0.01;
    /* Notices for standard error (and the Studio): first, when the file
       was damaged, one notice listing every repair (a line that counts
       them, then "file:line: what" each), then texts with characters the
       module cannot show (file:line), then one line of what was skipped
       and one of what was not kept. */
    std::vector<std::string> notices;
};

/* How far a read has come: the share of the file's bytes read into pairs
   (the most of a read's time), then, with all of them read, the figures
   made so far. */
struct DxfProgress {
    double read = 0;         /* 0 to 1 */
    std::size_t figures = 0;
};

/* Told every few thousand pairs and entities while a file is read (a page
   shows it and lets its user stop); returning false stops the read, which
   then fails with "file: reading stopped" and leaves the drawing as it
   was. */
using DxfTell = std::function<bool(const DxfProgress &)>;

/* Is this file name a DXF one (".dxf" in any case)? */
bool isDxfName(const std::string &path);

/* Reads an ASCII or binary DXF (R12 to 2018); places in a binary file are
   byte offsets ("file:byte N").  Damage a careful reader can mend (a
   missing end marker, an entity with a broken number, a header variable
   out of place, a DXF 2007 text in the file's code page instead of UTF-8,
   junk after 0/EOF) is mended and listed in the notices.
   On a fault (a truncated file, a group code that is not a number, a
   coordinate beyond the stored range, more than maxEntries figure
   entries) returns "file:line: what" and leaves `out` as it was.  `tell`,
   when given, hears how far the read has come and may stop it. */
std::optional<std::string> readDxf(const std::string &bytes, const std::string &fileName, std::size_t maxEntries,
                                   DxfDrawing &out, const DxfTell &tell = DxfTell());

/* The drawing part of the tables (figures before the first end marker)
   as a DXF 2000 file with code page 932. */
struct DxfCurrent {
    int32_t layer = 0, color = 0, lineType = 0;
};
std::string writeDxf(const FigureTable &fig, const DxfNames &names, double unitFactor, const DxfCurrent &current);

/* Millimetres per unit of $INSUNITS for the metric units, 1 for the
   unitless drawing (taken as millimetres) and for every other unit. */
double dxfUnitLength(int insUnits);

} // namespace host

#endif
