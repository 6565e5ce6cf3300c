/*
 * Figures.h - how the reference host encodes figures in the per-figure
 * arrays (the figure list, its text form, is formats/FigureList.h).
 *
 * Type word (figureType): low 16 bits the figure type, high 16 bits the
 * layer (0..65535).  Types: 0x0000 empty, 0x0100 continuation (the second
 * entry of an arc, circle or text), 0x0200 line, 0x0300 arc or circle, 0x0400
 * point, 0x0500 text, 0x0600 text of the second kind, 0xFFFF end marker.
 * GetFigureKind of a type value is its bits 8..15, so the kinds are 0 empty,
 * 1 continuation, 2 line, 3 arc, 4 point, 5 and 6 text, and -1 an end marker
 * (any negative value); the continuation's kind 1 is none of 2, 3, 5 and 6.
 *
 * First entry of every figure: figureW = group number; figureAttr = link
 * number in its high 16 bits (arithmetic), colour in bits 8..15 and line
 * type in bits 0..7 (the hatch region edges' 0x701 are colour 7, type 1).
 *   line   X1 Y1 X2 Y2 = its two end points
 *   arc    X1 Y1 = centre, X2 = radius; second entry X2 = start angle and
 *          Y2 = end angle in millionths of a degree, turning from +x toward
 *          -y; start 0 with end 360000000 is a full circle
 *   point  X1 Y1
 *   text   X1 Y1 = insertion point, X2 = length in half-width cells (bytes of
 *          its Shift-JIS form), Y2 = the host's id of its characters; second
 *          entry W = character width, X1 = spacing, Attr = character height,
 *          Y1 = direction angle and X2 = slant angle (millionths of a degree),
 *          Y2 = attribute word: style in bits 8..15, origin code in bits 0..3
 *          (4 x vertical + horizontal; vertical 0 top, 2 bottom; horizontal
 *          0 left, 2 right).  GetFigureKind of an attribute word is its style,
 *          SetTextOrigin(style, v) = style << 8 | v, GetTextOrigin = bits 0..3.
 * Because the characters are referred to by id from inside the entry, a
 * text keeps them through every copy, whoever makes it.
 */
#ifndef NEROLIT_HOST_FIGURES_H
#define NEROLIT_HOST_FIGURES_H

#include "host/records/Records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

constexpr int32_t kTypeEmpty = 0x0000, kTypeCont = 0x0100, kTypeLine = 0x0200, kTypeArc = 0x0300,
                  kTypePoint = 0x0400, kTypeText = 0x0500, kTypeText6 = 0x0600, kTypeEnd = -1;
constexpr int32_t kFullTurn = 360000000; /* millionths of a degree */
/* Figure kinds (GetFigureKind of the type): the Figure struct's `kind`. */
constexpr int32_t kKindLine = 2, kKindArc = 3, kKindPoint = 4, kKindText = 5, kKindText6 = 6;

/* Sign-extended low 16 bits of a type word. */
inline int32_t lowType(int32_t word) { return static_cast<int16_t>(word & 0xFFFF); }

/* GetFigureKind: bits 8..15 of a type value or attribute word, -1 when
   negative (an end marker). */
inline int32_t figureKind(int32_t value) { return value < 0 ? -1 : (value >> 8) & 0xFF; }

/* Sweep of an arc in millionths: end - start brought into (0, 360]; equal
   angles therefore sweep a full turn. */
long long sweepOf(int32_t start, int32_t end);

/* Number of entries of a figure of this kind; 0 for kinds the host does not
   know (empty entries, continuations, markers, garbage). */
int entriesOfKind(int32_t kind);

enum class Display : uint8_t { Hidden, Drawn, Erased, Preview };

struct Figure {
    int32_t kind = kKindLine;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0; /* see the header comment */
    int32_t start = 0, end = kFullTurn;     /* arc angles, millionths */
    int32_t layer = 0, group = 0, color = 0, ltype = 0, link = 0;
    std::string text; /* UTF-8 */
    int32_t height = 0, width = 0, spacing = 0, angle = 0, angle2 = 0, style = 0, origin = 0;
    bool isCircle() const { return kind == kKindArc && start == 0 && end == kFullTurn; }
};

/* Axis-aligned box of doubles. */
struct Box {
    double x1, y1, x2, y2;
};

class FigureTable {
public:
    explicit FigureTable(Records &r) : r_(r) {}

    int32_t type(int i) const { return lowType(r_.at(ArrType, i)); }
    int32_t kindAt(int i) const { return figureKind(type(i)); }
    bool isFigureStart(int i) const;
    void setType(int i, int32_t low16);

    /* First entry at or after `from` whose low 16 bits are 0xFFFF; -1 when
       there is none before the end of the arrays. */
    int findMarker(int from) const;
    int drawingEnd() const { return findMarker(0); }
    /* Where the drawing's figures end: its end marker, or figureLimit while
       the table has none (a pass that is writing). */
    int figuresEnd() const;
    /* Calls visit(i) with the first entry of each figure before `end`, in
       order; entries that start no figure are passed over. */
    template <class Visit> void eachFigure(int end, Visit visit) const
    {
        for (int i = 0; i < end;) {
            int n = entriesOfKind(kindAt(i));
            if (n > 0)
                visit(i);
            i += n > 0 ? n : 1;
        }
    }

    Figure read(int i) const;
    /* Writes the figure's entries from i on (1 or 2); the caller has checked
       the room.  Attributes out of their packed range are clamped. */
    void write(int i, const Figure &f);
    void clearEntry(int i);
    void copyEntry(int from, int to);

    Display display(int i) const;
    void setDisplay(int i, Display d);

    /* Exact bounding box of figure i (arc extremes included). */
    Box box(int i) const;
    /* Whether any point of figure i lies in the closed window. */
    bool touchesWindow(int i, const Box &w) const;

    /* Replaces the drawing by these figures, one after the other; nothing
       changes (and the reason is returned) when they do not fit. */
    std::optional<std::string> replace(const std::vector<Figure> &figures);

    Records &records() { return r_; }
    const Records &records() const { return r_; }

private:
    int textId(const std::string &utf8);
    const std::string &textOf(int32_t id) const;

    Records &r_;
    std::vector<std::string> texts_;
    std::vector<Display> display_;
};

} // namespace host

#endif
