/*
 * HostRecords.h - the three records through which the CAD host and the
 * module talk: the host service table, the host state record and the
 * drawing tables that the state record points to.
 *
 * The host owns and lays out all three.  This header is the module's one
 * description of them: every slot and field the module touches, at its byte
 * offset and width, each checked by HOST_CHECK_OFFSET right after the
 * struct.  Bytes between the listed fields belong to the host and are named
 * reserved_0xOFFSET; the module neither reads nor writes them.  Nothing else
 * in the module hard-codes an offset.
 *
 * The records hold 32-bit addresses, so the module exists only as a 32-bit
 * build (Windows DLL, and 32-bit Linux for the tests).
 *
 * Every service is a stdcall function (HOST_API): arguments pushed right to
 * left, a double takes two stack words, the callee pops them, an int or
 * pointer result comes back in eax and a double result in st(0).  Most
 * services take no stack arguments and exchange data through state-record
 * fields that the caller fills first; the comment on each slot says what it
 * does.  Texts are zero-terminated Shift-JIS (code page 932).  The drawing
 * tables are reached through HostState::tables at every use, never cached.
 */
#ifndef NEROLIT_FRAME_HOSTRECORDS_H
#define NEROLIT_FRAME_HOSTRECORDS_H

#include <stddef.h>
#include <stdint.h>

static_assert(sizeof(void *) == 4, "the host records hold 32-bit addresses: build with -m32");
static_assert(sizeof(double) == 8 && sizeof(int32_t) == 4, "host numbers are IEEE doubles and 32-bit ints");

/* The calling convention of every host service, stated once. */
#define HOST_API __attribute__((stdcall))

/* One slot of the service table: a typed stdcall function pointer. */
#define HOST_API_SLOT(ret, name, args) ret(HOST_API *name) args

/* One line per field: the field sits at exactly this byte offset. */
#define HOST_CHECK_OFFSET(record, field, offset) \
    static_assert(offsetof(record, field) == (offset), #record "::" #field " must be at " #offset)

typedef void *HostSlot; /* a slot the module never calls */

struct DrawingTables;

/* The record behind HostState::attrContext: its 32-bit member at 0x14 is
   passed on to AddLine and AddArc. */
struct HostAttrContext {
    uint8_t reserved_0x00[0x14];
    int32_t value; /* 0x14 4 bytes: passed as the second word of AddLine / AddArc */
};
HOST_CHECK_OFFSET(HostAttrContext, value, 0x14);

/* The record behind HostState::panelSurface: its member at 4 is the drawing
   surface of PanelBox and PanelCircle. */
struct HostPanelSurface {
    uint8_t reserved_0x00[0x4];
    int32_t surface; /* 0x4 4 bytes: first word of PanelBox / PanelCircle */
};
HOST_CHECK_OFFSET(HostPanelSurface, surface, 0x4);

/*
 * The host service table.  Called only from inside a command or hook call,
 * on the host's thread.  A text returned by a service (FormatNumber) lives in
 * a host buffer that stays valid until the next call of that service.
 */
struct HostServices {
    HostSlot reserved_0x000[156]; /* 0x000: not used by the module */
    HOST_API_SLOT(void, UpdateLinkedFigures, (void));  /* 0x270, 0 words: none: redraws the figures linked to the last stretch (reads linkRefresh) */
    HostSlot reserved_0x274[4]; /* 0x274: not used by the module */
    HOST_API_SLOT(void, ProjectPointOnLine, (void));  /* 0x284, 0 words: foot of (circleX, circleY) on the line argC-argD, into circleX, circleY */
    HOST_API_SLOT(void, ClosePanel, (void));  /* 0x288, 0 words: closes the open panel */
    HOST_API_SLOT(void, OpenPanel, (int32_t rows, int32_t columns, int32_t x, int32_t y));  /* 0x28C, 4 words: opens an empty panel; -1 = host's choice */
    HOST_API_SLOT(void, OpenPanelByLayout, (void));  /* 0x290, 0 words: opens a panel from panelRows, panelWidth, panelColumn, panelRow */
    HostSlot reserved_0x294[3]; /* 0x294: not used by the module */
    HOST_API_SLOT(void, GetCursorPoint, (void));  /* 0x2A0, 0 words: point request during which the host calls USA on mouse events */
    HostSlot reserved_0x2A4[1]; /* 0x2A4: not used by the module */
    HOST_API_SLOT(void, GetPoint, (void));  /* 0x2A8, 0 words: point request (prompt, inputMode, inputOption, bandKind, anchors) */
    HOST_API_SLOT(void, GetPointOrFigure, (void));  /* 0x2AC, 0 words: point request with a rubber line from pointX, pointY */
    HostSlot reserved_0x2B0[3]; /* 0x2B0: not used by the module */
    HOST_API_SLOT(void, HighlightPoint, (void));  /* 0x2BC, 0 words: marks (pointX, pointY) */
    HostSlot reserved_0x2C0[8]; /* 0x2C0: not used by the module */
    HOST_API_SLOT(void, StoreLine, (void));  /* 0x2E0, 0 words: stores the line argC-argD at drawIndex; writes storeFailed */
    HostSlot reserved_0x2E4[9]; /* 0x2E4: not used by the module */
    HOST_API_SLOT(void, DrawFigure, (void));  /* 0x308, 0 words: draws entry drawIndex in drawMode */
    HOST_API_SLOT(void, SignalError, (void));  /* 0x30C, 0 words: signals a refused input */
    HostSlot reserved_0x310[4]; /* 0x310: not used by the module */
    HOST_API_SLOT(void, BeginProgress, (void));  /* 0x320, 0 words: shows promptText as a progress display */
    HOST_API_SLOT(void, EndProgress, (void));  /* 0x324, 0 words: closes the progress display */
    HostSlot reserved_0x328[7]; /* 0x328: not used by the module */
    HOST_API_SLOT(void, RefreshPanel, (int32_t what));  /* 0x344, 1 words: repaints the panel (-1) */
    HostSlot reserved_0x348[5]; /* 0x348: not used by the module */
    HOST_API_SLOT(void, ConfirmPoint, (void));  /* 0x35C, 0 words: accepts the picked point: pointX, pointY = pickX, pickY */
    HostSlot reserved_0x360[4]; /* 0x360: not used by the module */
    HOST_API_SLOT(void, StoreArc, (void));  /* 0x370, 0 words: stores the arc circleX, circleY, circleR, arcStartAngle, arcEndAngle at drawIndex; writes storeFailed */
    HostSlot reserved_0x374[13]; /* 0x374: not used by the module */
    HOST_API_SLOT(void, ShowPanel, (void));  /* 0x3A8, 0 words: shows the panel built so far */
    HostSlot reserved_0x3AC[1]; /* 0x3AC: not used by the module */
    HOST_API_SLOT(int32_t, PanelResult, (void));  /* 0x3B0, 0 words: 1 while the panel stays open */
    HOST_API_SLOT(void, ClearPanel, (void));  /* 0x3B4, 0 words: removes every item of the open panel */
    HostSlot reserved_0x3B8[3]; /* 0x3B8: not used by the module */
    HOST_API_SLOT(void, AddPanelItem, (int32_t row, int32_t firstColumn, int32_t lastColumn, int32_t kind, int32_t style, const char *text, double a, double b, double c, double d, int32_t *bound, int32_t zero1, int32_t zero2, int32_t zero3, int32_t zero4, int32_t eventId, double m1, double m2, double m3, double m4));  /* 0x3C4, 28 words: check box (6), radio button (7), caption (15) or selector (1) */
    HOST_API_SLOT(void, AddPanelNumber, (int32_t row, const char *text, double step, int32_t zero1, int32_t zero2, int32_t zero3, double *bound, int32_t zero4, double lowest, double highest, double e, double f, int32_t decimals, int32_t firstColumn, int32_t lastColumn));  /* 0x3C8, 20 words: number field bound to a double */
    HostSlot reserved_0x3CC[2]; /* 0x3CC: not used by the module */
    HOST_API_SLOT(void, AddPanelList, (int32_t row, int32_t firstColumn, int32_t lastColumn, int32_t *bound, int32_t firstValue, int32_t eventId, const char *t0, const char *t1, const char *t2, const char *t3, const char *t4, const char *t5, const char *t6, const char *t7, const char *t8, const char *t9, const char *t10, const char *t11, const char *t12, const char *t13, const char *t14, const char *t15, const char *t16, const char *t17, const char *t18, const char *t19));  /* 0x3D4, 26 words: drop-down list of up to 20 texts */
    HostSlot reserved_0x3D8[3]; /* 0x3D8: not used by the module */
    HOST_API_SLOT(double, VectorAngle, (void));  /* 0x3E4, 0 words: direction of (argBx, argBy) into vectorAngle; the result is not used */
    HostSlot reserved_0x3E8[1]; /* 0x3E8: not used by the module */
    HOST_API_SLOT(double, ScreenToDrawingX, (double x));  /* 0x3EC, 2 words: screen pixel x to drawing x */
    HOST_API_SLOT(double, ScreenToDrawingY, (double y));  /* 0x3F0, 2 words: screen pixel y to drawing y */
    HostSlot reserved_0x3F4[2]; /* 0x3F4: not used by the module */
    HOST_API_SLOT(double, MeasureDistance, (double a, double b));  /* 0x3FC, 4 words: distance for the drag display */
    HOST_API_SLOT(double, SnapDragPoint, (double y, double cursorX, double cursorY, int32_t zero, int32_t snapMode, int32_t seven));  /* 0x400, 9 words: snapped drag coordinate */
    HostSlot reserved_0x404[8]; /* 0x404: not used by the module */
    HOST_API_SLOT(int32_t, IntersectLines, (void));  /* 0x424, 0 words: non-zero when segment argC-argD meets segment argE-argF */
    HostSlot reserved_0x428[1]; /* 0x428: not used by the module */
    HOST_API_SLOT(double, IntersectionX, (void));  /* 0x42C, 0 words: x of the last intersection */
    HOST_API_SLOT(double, IntersectionY, (void));  /* 0x430, 0 words: y of the last intersection */
    HostSlot reserved_0x434[1]; /* 0x434: not used by the module */
    HOST_API_SLOT(int32_t, GetFigureKind, (int32_t typeValue));  /* 0x438, 1 words: kind of a figure-type value or a text attribute word */
    HOST_API_SLOT(int32_t, GetTextOrigin, (int32_t attributeWord));  /* 0x43C, 1 words: origin code 0..10 of a text attribute word */
    HOST_API_SLOT(int32_t, SetTextOrigin, (int32_t kindPart, int32_t origin));  /* 0x440, 2 words: new text attribute word */
    HostSlot reserved_0x444[8]; /* 0x444: not used by the module */
    HOST_API_SLOT(void, ClearHighlight, (int32_t a, int32_t b));  /* 0x464, 2 words: (0, 0) */
    HOST_API_SLOT(void, ClearMarks, (int32_t a, int32_t b));  /* 0x468, 2 words: (0, 0) */
    HostSlot reserved_0x46C[10]; /* 0x46C: not used by the module */
    HOST_API_SLOT(double, ReadSetting, (const char *key, int32_t zero, const char *section, double fallback));  /* 0x494, 5 words: stored value or fallback; null section = running command */
    HostSlot reserved_0x498[2]; /* 0x498: not used by the module */
    HOST_API_SLOT(void, WriteSetting, (const char *key, double value, int32_t zero, const char *section));  /* 0x4A0, 5 words: stores value; null section = running command */
    HostSlot reserved_0x4A4[1]; /* 0x4A4: not used by the module */
    HOST_API_SLOT(void, AddPanelHeader, (int32_t row));  /* 0x4A8, 1 words: the host's first panel row */
    HostSlot reserved_0x4AC[1]; /* 0x4AC: not used by the module */
    HOST_API_SLOT(void, SelectFigures, (void));  /* 0x4B0, 0 words: selection; leaves it between the markers selFirst and selEnd */
    HostSlot reserved_0x4B4[1]; /* 0x4B4: not used by the module */
    HOST_API_SLOT(void, AddPanelGroupChoice, (int32_t row, int32_t *number, int32_t *mode, int32_t modes));  /* 0x4B8, 4 words: group choice item (mirror) */
    HostSlot reserved_0x4BC[6]; /* 0x4BC: not used by the module */
    HOST_API_SLOT(void, GetGroupNumber, (void));  /* 0x4D4, 0 words: asks a group number into groupNumberResult */
    HostSlot reserved_0x4D8[4]; /* 0x4D8: not used by the module */
    HOST_API_SLOT(void, DrawXorLine, (int32_t a, int32_t b, int32_t colour, double value));  /* 0x4E8, 5 words: drag display of the host */
    HostSlot reserved_0x4EC[1]; /* 0x4EC: not used by the module */
    HOST_API_SLOT(void, AssignGroup, (void));  /* 0x4F0, 0 words: groupNumber to the figures from groupFirst */
    HostSlot reserved_0x4F4[1]; /* 0x4F4: not used by the module */
    HOST_API_SLOT(void, DrawFiguresFrom, (void));  /* 0x4F8, 0 words: draws from drawIndex up to the next end marker in drawMode */
    HostSlot reserved_0x4FC[1]; /* 0x4FC: not used by the module */
    HOST_API_SLOT(void, ScaleFigures, (void));  /* 0x500, 0 words: scales from drawIndex by (argBx, argBy) about (refPointX, refPointY) */
    HOST_API_SLOT(void, CollectWindowFigures, (void));  /* 0x504, 0 words: moves the figures in or crossing window* behind the drawing */
    HOST_API_SLOT(void, MeasureExtent, (void));  /* 0x508, 0 words: integer extent of the figures from rangeFirst into window* */
    HOST_API_SLOT(void, CopyFigureRange, (void));  /* 0x50C, 0 words: copies rangeFirst..rangeSecond-1 to rangeLast, then an end marker */
    HOST_API_SLOT(void, CommitNewFigures, (void));  /* 0x510, 0 words: registers the figures from rangeFirst as new */
    HostSlot reserved_0x514[7]; /* 0x514: not used by the module */
    HOST_API_SLOT(void, ShowMessage, (void));  /* 0x530, 0 words: shows promptText and waits */
    HostSlot reserved_0x534[6]; /* 0x534: not used by the module */
    HOST_API_SLOT(int32_t, RegisterCommand, (const char *name, int32_t zero1, const char *caption, const char *secondName, int32_t zero2, int32_t zero3, int32_t zero4, int32_t zero5));  /* 0x54C, 8 words: registers a command; the result is not used */
    HostSlot reserved_0x550[8]; /* 0x550: not used by the module */
    HOST_API_SLOT(int32_t, CloseRegionTest, (int32_t handle, double x, double y, int32_t zero));  /* 0x570, 6 words: 1 for the click that completes a region */
    HOST_API_SLOT(int32_t, OpenRegionTest, (int32_t handle, int32_t one, int32_t zero1, int32_t low, int32_t zero2, int32_t m1, int32_t m2, int32_t m3, int32_t m4));  /* 0x574, 9 words: opens a region test; returns its handle */
    HOST_API_SLOT(int32_t, CloseRegionHandle, (int32_t handle));  /* 0x578, 1 words: closes a region test handle */
    HostSlot reserved_0x57C[27]; /* 0x57C: not used by the module */
    HOST_API_SLOT(double, AbsValue, (double value));  /* 0x5E8, 2 words: magnitude */
    HostSlot reserved_0x5EC[8]; /* 0x5EC: not used by the module */
    HOST_API_SLOT(int32_t, EncodeCoordinate, (double value));  /* 0x60C, 2 words: stored 32-bit value of a coordinate */
    HostSlot reserved_0x610[1]; /* 0x610: not used by the module */
    HOST_API_SLOT(void, PanelCircle, (int32_t surface, double x, double y, double r, int32_t colour, int32_t zero1, int32_t zero2, int32_t zero3, int32_t zero4, int32_t zero5, int32_t minusOne));  /* 0x614, 14 words: circle on a panel surface */
    HostSlot reserved_0x618[13]; /* 0x618: not used by the module */
    HOST_API_SLOT(int32_t, PollKey, (void));  /* 0x64C, 0 words: pending key code (27 = Escape) or 0 */
    HostSlot reserved_0x650[13]; /* 0x650: not used by the module */
    HOST_API_SLOT(void, PanelBox, (int32_t surface, double x1, double y1, double x2, double y2, int32_t colour, const char *option, int32_t m1, int32_t m2));  /* 0x684, 13 words: line (null option), box (\"B\") or filled box (\"BF\") on a panel surface */
    HostSlot reserved_0x688[4]; /* 0x688: not used by the module */
    HOST_API_SLOT(void, SetProgressPause, (double seconds, int32_t a, int32_t b));  /* 0x698, 4 words: (30.0, 0, 0) */
    HostSlot reserved_0x69C[13]; /* 0x69C: not used by the module */
    HOST_API_SLOT(void, ShowStatusText, (const char *text, int32_t zero, int32_t minusOne));  /* 0x6D0, 3 words: text in the status area */
    HostSlot reserved_0x6D4[11]; /* 0x6D4: not used by the module */
    HOST_API_SLOT(double, Random, (int32_t zero));  /* 0x700, 1 words: next number in [0, 1) */
    HostSlot reserved_0x704[1]; /* 0x704: not used by the module */
    HOST_API_SLOT(int32_t, FindMarker, (int32_t *typeArray, int32_t value, int32_t start));  /* 0x708, 3 words: first index at or after start whose low 16 bits are value */
    HostSlot reserved_0x70C[3]; /* 0x70C: not used by the module */
    HOST_API_SLOT(const char *, FormatNumber, (double value, int32_t decimals));  /* 0x718, 3 words: text of a number, in a host buffer */
    HostSlot reserved_0x71C[3]; /* 0x71C: not used by the module */
    HOST_API_SLOT(void, SwapInts, (int32_t *a, int32_t *b));  /* 0x728, 2 words: exchanges two integers */
    HOST_API_SLOT(void, SwapDoubles, (double *a, double *b));  /* 0x72C, 2 words: exchanges two doubles */
    HostSlot reserved_0x730[5]; /* 0x730: not used by the module */
    HOST_API_SLOT(void, UngroupRange, (int32_t first));  /* 0x744, 1 words: takes the figures from first out of their groups */
    HostSlot reserved_0x748[5]; /* 0x748: not used by the module */
    HOST_API_SLOT(void, BeginCommand, (int32_t one));  /* 0x75C, 1 words: start or end of a pass of work (1) */
    HOST_API_SLOT(void, UpdateLinks, (struct DrawingTables *tables, int32_t first, int32_t last, int32_t mode, int32_t confirm));  /* 0x760, 5 words: updates the links among first..last */
    HostSlot reserved_0x764[2]; /* 0x764: not used by the module */
    HOST_API_SLOT(void, WaitPanelEvent, (const char *caption));  /* 0x76C, 1 words: one panel event */
    HostSlot reserved_0x770[1]; /* 0x770: not used by the module */
    HOST_API_SLOT(int32_t, NewGroupNumber, (int32_t wanted));  /* 0x774, 1 words: a group number for new figures */
    HOST_API_SLOT(int32_t, AddLine, (struct DrawingTables *tables, int32_t context, int32_t position, double x1, double y1, double x2, double y2, int32_t layer, int32_t group, int32_t colour, int32_t lineType));  /* 0x778, 15 words: writes a line at position; its index or negative */
    HOST_API_SLOT(int32_t, AddArc, (struct DrawingTables *tables, int32_t context, int32_t position, double cx, double cy, double r, double startDegrees, double endDegrees, int32_t layer, int32_t group, int32_t colour, int32_t lineType));  /* 0x77C, 17 words: writes an arc at position; its index or negative */
    HostSlot reserved_0x780[8]; /* 0x780: not used by the module */
    HOST_API_SLOT(void, FinishGroup, (struct DrawingTables *tables, int32_t first));  /* 0x7A0, 2 words: ends a group step */
    HostSlot reserved_0x7A4[43]; /* 0x7A4: not used by the module */
    HOST_API_SLOT(void, AddPanelLayer, (int32_t row, int32_t *bound, int32_t zero1, int32_t zero2, int32_t firstColumn, int32_t lastColumn, int32_t id));  /* 0x850, 7 words: layer item */
    HOST_API_SLOT(void, AddPanelGroup, (int32_t row, int32_t *number, int32_t *mode, int32_t modes, int32_t firstColumn, int32_t lastColumn, int32_t id));  /* 0x854, 7 words: group item (number and mode) */
    HOST_API_SLOT(void, AddPanelColor, (int32_t row, int32_t *bound, int32_t zero1, int32_t zero2, int32_t firstColumn, int32_t lastColumn, int32_t id));  /* 0x858, 7 words: colour item */
    HOST_API_SLOT(void, AddPanelLineType, (int32_t row, int32_t *bound, int32_t zero1, int32_t zero2, int32_t firstColumn, int32_t lastColumn, int32_t id));  /* 0x85C, 7 words: line type item */
    HostSlot reserved_0x860[30]; /* 0x860: not used by the module */
    HOST_API_SLOT(double, CursorToDrawingX, (double x));  /* 0x8D8, 2 words: cursor x to drawing x */
    HOST_API_SLOT(double, CursorToDrawingY, (double y));  /* 0x8DC, 2 words: cursor y to drawing y */
    HOST_API_SLOT(void, StretchFigures, (void));  /* 0x8E0, 0 words: moves the points inside window* of the figures from drawIndex by (argBx, argBy) */
};
HOST_CHECK_OFFSET(HostServices, UpdateLinkedFigures, 0x270);
HOST_CHECK_OFFSET(HostServices, ProjectPointOnLine, 0x284);
HOST_CHECK_OFFSET(HostServices, ClosePanel, 0x288);
HOST_CHECK_OFFSET(HostServices, OpenPanel, 0x28C);
HOST_CHECK_OFFSET(HostServices, OpenPanelByLayout, 0x290);
HOST_CHECK_OFFSET(HostServices, GetCursorPoint, 0x2A0);
HOST_CHECK_OFFSET(HostServices, GetPoint, 0x2A8);
HOST_CHECK_OFFSET(HostServices, GetPointOrFigure, 0x2AC);
HOST_CHECK_OFFSET(HostServices, HighlightPoint, 0x2BC);
HOST_CHECK_OFFSET(HostServices, StoreLine, 0x2E0);
HOST_CHECK_OFFSET(HostServices, DrawFigure, 0x308);
HOST_CHECK_OFFSET(HostServices, SignalError, 0x30C);
HOST_CHECK_OFFSET(HostServices, BeginProgress, 0x320);
HOST_CHECK_OFFSET(HostServices, EndProgress, 0x324);
HOST_CHECK_OFFSET(HostServices, RefreshPanel, 0x344);
HOST_CHECK_OFFSET(HostServices, ConfirmPoint, 0x35C);
HOST_CHECK_OFFSET(HostServices, StoreArc, 0x370);
HOST_CHECK_OFFSET(HostServices, ShowPanel, 0x3A8);
HOST_CHECK_OFFSET(HostServices, PanelResult, 0x3B0);
HOST_CHECK_OFFSET(HostServices, ClearPanel, 0x3B4);
HOST_CHECK_OFFSET(HostServices, AddPanelItem, 0x3C4);
HOST_CHECK_OFFSET(HostServices, AddPanelNumber, 0x3C8);
HOST_CHECK_OFFSET(HostServices, AddPanelList, 0x3D4);
HOST_CHECK_OFFSET(HostServices, VectorAngle, 0x3E4);
HOST_CHECK_OFFSET(HostServices, ScreenToDrawingX, 0x3EC);
HOST_CHECK_OFFSET(HostServices, ScreenToDrawingY, 0x3F0);
HOST_CHECK_OFFSET(HostServices, MeasureDistance, 0x3FC);
HOST_CHECK_OFFSET(HostServices, SnapDragPoint, 0x400);
HOST_CHECK_OFFSET(HostServices, IntersectLines, 0x424);
HOST_CHECK_OFFSET(HostServices, IntersectionX, 0x42C);
HOST_CHECK_OFFSET(HostServices, IntersectionY, 0x430);
HOST_CHECK_OFFSET(HostServices, GetFigureKind, 0x438);
HOST_CHECK_OFFSET(HostServices, GetTextOrigin, 0x43C);
HOST_CHECK_OFFSET(HostServices, SetTextOrigin, 0x440);
HOST_CHECK_OFFSET(HostServices, ClearHighlight, 0x464);
HOST_CHECK_OFFSET(HostServices, ClearMarks, 0x468);
HOST_CHECK_OFFSET(HostServices, ReadSetting, 0x494);
HOST_CHECK_OFFSET(HostServices, WriteSetting, 0x4A0);
HOST_CHECK_OFFSET(HostServices, AddPanelHeader, 0x4A8);
HOST_CHECK_OFFSET(HostServices, SelectFigures, 0x4B0);
HOST_CHECK_OFFSET(HostServices, AddPanelGroupChoice, 0x4B8);
HOST_CHECK_OFFSET(HostServices, GetGroupNumber, 0x4D4);
HOST_CHECK_OFFSET(HostServices, DrawXorLine, 0x4E8);
HOST_CHECK_OFFSET(HostServices, AssignGroup, 0x4F0);
HOST_CHECK_OFFSET(HostServices, DrawFiguresFrom, 0x4F8);
HOST_CHECK_OFFSET(HostServices, ScaleFigures, 0x500);
HOST_CHECK_OFFSET(HostServices, CollectWindowFigures, 0x504);
HOST_CHECK_OFFSET(HostServices, MeasureExtent, 0x508);
HOST_CHECK_OFFSET(HostServices, CopyFigureRange, 0x50C);
HOST_CHECK_OFFSET(HostServices, CommitNewFigures, 0x510);
HOST_CHECK_OFFSET(HostServices, ShowMessage, 0x530);
HOST_CHECK_OFFSET(HostServices, RegisterCommand, 0x54C);
HOST_CHECK_OFFSET(HostServices, CloseRegionTest, 0x570);
HOST_CHECK_OFFSET(HostServices, OpenRegionTest, 0x574);
HOST_CHECK_OFFSET(HostServices, CloseRegionHandle, 0x578);
HOST_CHECK_OFFSET(HostServices, AbsValue, 0x5E8);
HOST_CHECK_OFFSET(HostServices, EncodeCoordinate, 0x60C);
HOST_CHECK_OFFSET(HostServices, PanelCircle, 0x614);
HOST_CHECK_OFFSET(HostServices, PollKey, 0x64C);
HOST_CHECK_OFFSET(HostServices, PanelBox, 0x684);
HOST_CHECK_OFFSET(HostServices, SetProgressPause, 0x698);
HOST_CHECK_OFFSET(HostServices, ShowStatusText, 0x6D0);
HOST_CHECK_OFFSET(HostServices, Random, 0x700);
HOST_CHECK_OFFSET(HostServices, FindMarker, 0x708);
HOST_CHECK_OFFSET(HostServices, FormatNumber, 0x718);
HOST_CHECK_OFFSET(HostServices, SwapInts, 0x728);
HOST_CHECK_OFFSET(HostServices, SwapDoubles, 0x72C);
HOST_CHECK_OFFSET(HostServices, UngroupRange, 0x744);
HOST_CHECK_OFFSET(HostServices, BeginCommand, 0x75C);
HOST_CHECK_OFFSET(HostServices, UpdateLinks, 0x760);
HOST_CHECK_OFFSET(HostServices, WaitPanelEvent, 0x76C);
HOST_CHECK_OFFSET(HostServices, NewGroupNumber, 0x774);
HOST_CHECK_OFFSET(HostServices, AddLine, 0x778);
HOST_CHECK_OFFSET(HostServices, AddArc, 0x77C);
HOST_CHECK_OFFSET(HostServices, FinishGroup, 0x7A0);
HOST_CHECK_OFFSET(HostServices, AddPanelLayer, 0x850);
HOST_CHECK_OFFSET(HostServices, AddPanelGroup, 0x854);
HOST_CHECK_OFFSET(HostServices, AddPanelColor, 0x858);
HOST_CHECK_OFFSET(HostServices, AddPanelLineType, 0x85C);
HOST_CHECK_OFFSET(HostServices, CursorToDrawingX, 0x8D8);
HOST_CHECK_OFFSET(HostServices, CursorToDrawingY, 0x8DC);
HOST_CHECK_OFFSET(HostServices, StretchFigures, 0x8E0);


/*
 * The host state record: prompts, picked points, input status, argument
 * fields of the services and selection indices.  The module writes only the
 * fields that its commands set before a service call; the host fills the rest.
 */
struct HostState {
    int32_t viewContext;                     /* 0x0000 4 bytes: view handle the drag preview copies into drawContext */
    uint8_t reserved_0x0004[0x3C];
    int32_t charHeight;                      /* 0x0040 4 bytes: height of a panel text row, pixels */
    uint8_t reserved_0x0044[0x44];
    int32_t charWidth;                       /* 0x0088 4 bytes: width of a panel text column, pixels */
    uint8_t reserved_0x008C[0x1874];
    int32_t snapMode;                        /* 0x1900 4 bytes: passed to SnapDragPoint */
    uint8_t reserved_0x1904[0x10C];
    double pickX;                            /* 0x1A10 8 bytes: x of the point of the last point request */
    double pickY;                            /* 0x1A18 8 bytes: y of that point */
    double pointX;                           /* 0x1A20 8 bytes: confirmed point x (after ConfirmPoint); rubber-line start of GetPointOrFigure */
    double pointY;                           /* 0x1A28 8 bytes: confirmed point y */
    uint8_t reserved_0x1A30[0x18];
    double cursorX;                          /* 0x1A48 8 bytes: cursor x, screen pixels */
    double cursorY;                          /* 0x1A50 8 bytes: cursor y, screen pixels */
    uint8_t reserved_0x1A58[0x10];
    int32_t inputStatus;                     /* 0x1A68 4 bytes: outcome of the last request or panel: 2 = cancelled */
    uint8_t reserved_0x1A6C[0x24];
    int32_t orthoMode;                       /* 0x1A90 4 bytes: non-zero: drag keeps only the dominant axis */
    uint8_t reserved_0x1A94[0x10C];
    int32_t previewUpdate;                   /* 0x1BA0 4 bytes: 1: rebuild the preview for the present cursor */
    uint8_t reserved_0x1BA4[0xC];
    int32_t drawIndex;                       /* 0x1BB0 4 bytes: figure index argument of drawing and storing */
    int32_t drawMode;                        /* 0x1BB4 4 bytes: 1 preview, 2 erase/temporary, 3 final */
    int32_t drawFlag;                        /* 0x1BB8 4 bytes: drawing flag (1 for StoreLine and StoreArc) */
    uint8_t reserved_0x1BBC[0x8];
    int32_t panelEvent;                      /* 0x1BC4 4 bytes: id of the last panel event (901: a list changed) */
    int32_t scanIndex;                       /* 0x1BC8 4 bytes: scratch index of the hatch span scan */
    uint8_t reserved_0x1BCC[0x64];
    double argAx;                            /* 0x1C30 8 bytes: argument point A */
    double argAy;                            /* 0x1C38 8 bytes */
    double argBx;                            /* 0x1C40 8 bytes: argument point or vector B */
    double argBy;                            /* 0x1C48 8 bytes */
    double argCx;                            /* 0x1C50 8 bytes: argument point C: first end of a line */
    double argCy;                            /* 0x1C58 8 bytes */
    uint8_t reserved_0x1C60[0x10];
    double argDx;                            /* 0x1C70 8 bytes: argument point D: second end of a line */
    double argDy;                            /* 0x1C78 8 bytes */
    double argEx;                            /* 0x1C80 8 bytes: argument point E: first end of a second line */
    double argEy;                            /* 0x1C88 8 bytes */
    double argFx;                            /* 0x1C90 8 bytes: argument point F: second end of a second line */
    double argFy;                            /* 0x1C98 8 bytes */
    uint8_t reserved_0x1CA0[0x30];
    double boxAnchorX;                       /* 0x1CD0 8 bytes: fixed corner of a rubber box (band kind 2) */
    double boxAnchorY;                       /* 0x1CD8 8 bytes */
    uint8_t reserved_0x1CE0[0x10];
    double lineAnchorX;                      /* 0x1CF0 8 bytes: fixed end of a rubber line (band kind 6) */
    double lineAnchorY;                      /* 0x1CF8 8 bytes */
    uint8_t reserved_0x1D00[0x68];
    int32_t inputMode;                       /* 0x1D68 4 bytes: point-input mode of the next request */
    int32_t inputOption;                     /* 0x1D6C 4 bytes: second input parameter */
    uint8_t reserved_0x1D70[0x4];
    int32_t bandKind;                        /* 0x1D74 4 bytes: rubber band: 0 none, 1, 2 box, 6 line, 13 drag */
    int32_t bandOption;                      /* 0x1D78 4 bytes: rubber band option */
    uint8_t reserved_0x1D7C[0x14];
    double circleX;                          /* 0x1D90 8 bytes: centre argument; point and result of ProjectPointOnLine */
    double circleY;                          /* 0x1D98 8 bytes */
    uint8_t reserved_0x1DA0[0x10];
    double circleR;                          /* 0x1DB0 8 bytes: radius argument of StoreArc */
    double groupNumberResult;                /* 0x1DB8 8 bytes: group number delivered by GetGroupNumber */
    uint8_t reserved_0x1DC0[0x430];
    char promptText[0x100];                  /* 0x21F0 text: prompt, progress and message text */
    uint8_t reserved_0x22F0[0x300];
    char selectPromptText[0x100];            /* 0x25F0 text: prompt of SelectFigures */
    uint8_t reserved_0x26F0[0x500];
    int32_t linkRefresh;                     /* 0x2BF0 4 bytes: 1 before UpdateLinkedFigures */
    int32_t panelRows;                       /* 0x2BF4 4 bytes: rows for OpenPanelByLayout */
    int32_t panelWidth;                      /* 0x2BF8 4 bytes: columns for OpenPanelByLayout; width of the open panel */
    int32_t panelColumn;                     /* 0x2BFC 4 bytes: left position for OpenPanelByLayout, text columns */
    int32_t panelRow;                        /* 0x2C00 4 bytes: top position for OpenPanelByLayout, text rows */
    uint8_t reserved_0x2C04[0x10];
    const struct HostAttrContext *attrContext; /* 0x2C14 4 bytes: its member at 0x14 goes to AddLine and AddArc */
    const struct HostPanelSurface *panelSurface; /* 0x2C18 4 bytes: its member at 4 is the surface of PanelBox and PanelCircle */
    uint8_t reserved_0x2C1C[0x38];
    int32_t storeFailed;                     /* 0x2C54 4 bytes: after StoreLine / StoreArc: 0 = stored */
    uint8_t reserved_0x2C58[0x4];
    int32_t storeLayer;                      /* 0x2C5C 4 bytes: attributes for StoreLine and StoreArc */
    int32_t storeGroup;                      /* 0x2C60 4 bytes */
    int32_t storeColor;                      /* 0x2C64 4 bytes */
    int32_t storeLineType;                   /* 0x2C68 4 bytes */
    uint8_t reserved_0x2C6C[0x4];
    struct DrawingTables *tables;            /* 0x2C70 4 bytes: the drawing tables; read afresh at every use */
    uint8_t reserved_0x2C74[0x4404];
    double arcStartAngle;                    /* 0x7078 8 bytes: start angle of StoreArc, degrees */
    double arcEndAngle;                      /* 0x7080 8 bytes: end angle of StoreArc, degrees */
    uint8_t reserved_0x7088[0x38];
    double vectorAngle;                      /* 0x70C0 8 bytes: direction of (argBx, argBy), radians, written by VectorAngle */
    uint8_t reserved_0x70C8[0x30];
    double workValueA;                       /* 0x70F8 8 bytes: scratch values of the mirror room check */
    double workValueB;                       /* 0x7100 8 bytes */
    uint8_t reserved_0x7108[0xAA0];
    char currentCommand[0x100];              /* 0x7BA8 text: name of the command the host is running */
    uint8_t reserved_0x7CA8[0x790];
    char pluginGroupName[0x100];             /* 0x8438 text: written by StartDLL */
    uint8_t reserved_0x8538[0x100];
    char pluginDescription[0x100];           /* 0x8638 text: written by StartDLL */
    uint8_t reserved_0x8738[0x308];
    double pluginVersion;                    /* 0x8A40 8 bytes: written by StartDLL */
    int32_t pluginFlagA;                     /* 0x8A48 4 bytes: written by StartDLL */
    int32_t pluginFlagB;                     /* 0x8A4C 4 bytes: written by StartDLL */
    int32_t pluginInterfaceDate;             /* 0x8A50 4 bytes: written by StartDLL */
    int32_t pluginFlagC;                     /* 0x8A54 4 bytes: written by StartDLL */
    uint8_t reserved_0x8A58[0x204];
    int32_t selectMode;                      /* 0x8C5C 4 bytes: host's selection mode */
    uint8_t reserved_0x8C60[0xC];
    int32_t rangeFirst;                      /* 0x8C6C 4 bytes: index arguments of the range operations */
    int32_t rangeSecond;                     /* 0x8C70 4 bytes */
    int32_t rangeLast;                       /* 0x8C74 4 bytes */
    uint8_t reserved_0x8C78[0x4];
    int32_t windowX1;                        /* 0x8C7C 4 bytes: integer window or extent: xmin */
    int32_t windowY1;                        /* 0x8C80 4 bytes: ymin */
    int32_t windowX2;                        /* 0x8C84 4 bytes: xmax */
    int32_t windowY2;                        /* 0x8C88 4 bytes: ymax */
    uint8_t reserved_0x8C8C[0x14];
    double rangeX1;                          /* 0x8CA0 8 bytes: range or selection box corners */
    double rangeY1;                          /* 0x8CA8 8 bytes */
    double rangeX2;                          /* 0x8CB0 8 bytes */
    double rangeY2;                          /* 0x8CB8 8 bytes */
    uint8_t reserved_0x8CC0[0x4];
    int32_t groupArgA;                       /* 0x8CC4 4 bytes: arguments of AssignGroup */
    int32_t groupArgB;                       /* 0x8CC8 4 bytes */
    int32_t groupArgC;                       /* 0x8CCC 4 bytes */
    int32_t groupNumber;                     /* 0x8CD0 4 bytes: group number for AssignGroup */
    int32_t groupFirst;                      /* 0x8CD4 4 bytes: first figure index for AssignGroup */
    uint8_t reserved_0x8CD8[0x10];
    int32_t drawShiftX;                      /* 0x8CE8 4 bytes: 0 before DrawFiguresFrom */
    int32_t drawShiftY;                      /* 0x8CEC 4 bytes */
    int32_t refPointX;                       /* 0x8CF0 4 bytes: integer reference point */
    int32_t refPointY;                       /* 0x8CF4 4 bytes */
    uint8_t reserved_0x8CF8[0x10];
    int32_t selFirst;                        /* 0x8D08 4 bytes: end marker before the work section */
    int32_t selEnd;                          /* 0x8D0C 4 bytes: end marker after the work section */
    int32_t copyEnd;                         /* 0x8D10 4 bytes: end marker after the preview copy */
    uint8_t reserved_0x8D14[0x325C];
    int32_t drawingModified;                 /* 0xBF70 4 bytes: 1 when a command changed the drawing */
    uint8_t reserved_0xBF74[0x248C];
    double pi;                               /* 0xE400 8 bytes: the constant pi as the host keeps it */
};
HOST_CHECK_OFFSET(HostState, viewContext, 0x0000);
HOST_CHECK_OFFSET(HostState, charHeight, 0x0040);
HOST_CHECK_OFFSET(HostState, charWidth, 0x0088);
HOST_CHECK_OFFSET(HostState, snapMode, 0x1900);
HOST_CHECK_OFFSET(HostState, pickX, 0x1A10);
HOST_CHECK_OFFSET(HostState, pickY, 0x1A18);
HOST_CHECK_OFFSET(HostState, pointX, 0x1A20);
HOST_CHECK_OFFSET(HostState, pointY, 0x1A28);
HOST_CHECK_OFFSET(HostState, cursorX, 0x1A48);
HOST_CHECK_OFFSET(HostState, cursorY, 0x1A50);
HOST_CHECK_OFFSET(HostState, inputStatus, 0x1A68);
HOST_CHECK_OFFSET(HostState, orthoMode, 0x1A90);
HOST_CHECK_OFFSET(HostState, previewUpdate, 0x1BA0);
HOST_CHECK_OFFSET(HostState, drawIndex, 0x1BB0);
HOST_CHECK_OFFSET(HostState, drawMode, 0x1BB4);
HOST_CHECK_OFFSET(HostState, drawFlag, 0x1BB8);
HOST_CHECK_OFFSET(HostState, panelEvent, 0x1BC4);
HOST_CHECK_OFFSET(HostState, scanIndex, 0x1BC8);
HOST_CHECK_OFFSET(HostState, argAx, 0x1C30);
HOST_CHECK_OFFSET(HostState, argAy, 0x1C38);
HOST_CHECK_OFFSET(HostState, argBx, 0x1C40);
HOST_CHECK_OFFSET(HostState, argBy, 0x1C48);
HOST_CHECK_OFFSET(HostState, argCx, 0x1C50);
HOST_CHECK_OFFSET(HostState, argCy, 0x1C58);
HOST_CHECK_OFFSET(HostState, argDx, 0x1C70);
HOST_CHECK_OFFSET(HostState, argDy, 0x1C78);
HOST_CHECK_OFFSET(HostState, argEx, 0x1C80);
HOST_CHECK_OFFSET(HostState, argEy, 0x1C88);
HOST_CHECK_OFFSET(HostState, argFx, 0x1C90);
HOST_CHECK_OFFSET(HostState, argFy, 0x1C98);
HOST_CHECK_OFFSET(HostState, boxAnchorX, 0x1CD0);
HOST_CHECK_OFFSET(HostState, boxAnchorY, 0x1CD8);
HOST_CHECK_OFFSET(HostState, lineAnchorX, 0x1CF0);
HOST_CHECK_OFFSET(HostState, lineAnchorY, 0x1CF8);
HOST_CHECK_OFFSET(HostState, inputMode, 0x1D68);
HOST_CHECK_OFFSET(HostState, inputOption, 0x1D6C);
HOST_CHECK_OFFSET(HostState, bandKind, 0x1D74);
HOST_CHECK_OFFSET(HostState, bandOption, 0x1D78);
HOST_CHECK_OFFSET(HostState, circleX, 0x1D90);
HOST_CHECK_OFFSET(HostState, circleY, 0x1D98);
HOST_CHECK_OFFSET(HostState, circleR, 0x1DB0);
HOST_CHECK_OFFSET(HostState, groupNumberResult, 0x1DB8);
HOST_CHECK_OFFSET(HostState, promptText, 0x21F0);
HOST_CHECK_OFFSET(HostState, selectPromptText, 0x25F0);
HOST_CHECK_OFFSET(HostState, linkRefresh, 0x2BF0);
HOST_CHECK_OFFSET(HostState, panelRows, 0x2BF4);
HOST_CHECK_OFFSET(HostState, panelWidth, 0x2BF8);
HOST_CHECK_OFFSET(HostState, panelColumn, 0x2BFC);
HOST_CHECK_OFFSET(HostState, panelRow, 0x2C00);
HOST_CHECK_OFFSET(HostState, attrContext, 0x2C14);
HOST_CHECK_OFFSET(HostState, panelSurface, 0x2C18);
HOST_CHECK_OFFSET(HostState, storeFailed, 0x2C54);
HOST_CHECK_OFFSET(HostState, storeLayer, 0x2C5C);
HOST_CHECK_OFFSET(HostState, storeGroup, 0x2C60);
HOST_CHECK_OFFSET(HostState, storeColor, 0x2C64);
HOST_CHECK_OFFSET(HostState, storeLineType, 0x2C68);
HOST_CHECK_OFFSET(HostState, tables, 0x2C70);
HOST_CHECK_OFFSET(HostState, arcStartAngle, 0x7078);
HOST_CHECK_OFFSET(HostState, arcEndAngle, 0x7080);
HOST_CHECK_OFFSET(HostState, vectorAngle, 0x70C0);
HOST_CHECK_OFFSET(HostState, workValueA, 0x70F8);
HOST_CHECK_OFFSET(HostState, workValueB, 0x7100);
HOST_CHECK_OFFSET(HostState, currentCommand, 0x7BA8);
HOST_CHECK_OFFSET(HostState, pluginGroupName, 0x8438);
HOST_CHECK_OFFSET(HostState, pluginDescription, 0x8638);
HOST_CHECK_OFFSET(HostState, pluginVersion, 0x8A40);
HOST_CHECK_OFFSET(HostState, pluginFlagA, 0x8A48);
HOST_CHECK_OFFSET(HostState, pluginFlagB, 0x8A4C);
HOST_CHECK_OFFSET(HostState, pluginInterfaceDate, 0x8A50);
HOST_CHECK_OFFSET(HostState, pluginFlagC, 0x8A54);
HOST_CHECK_OFFSET(HostState, selectMode, 0x8C5C);
HOST_CHECK_OFFSET(HostState, rangeFirst, 0x8C6C);
HOST_CHECK_OFFSET(HostState, rangeSecond, 0x8C70);
HOST_CHECK_OFFSET(HostState, rangeLast, 0x8C74);
HOST_CHECK_OFFSET(HostState, windowX1, 0x8C7C);
HOST_CHECK_OFFSET(HostState, windowY1, 0x8C80);
HOST_CHECK_OFFSET(HostState, windowX2, 0x8C84);
HOST_CHECK_OFFSET(HostState, windowY2, 0x8C88);
HOST_CHECK_OFFSET(HostState, rangeX1, 0x8CA0);
HOST_CHECK_OFFSET(HostState, rangeY1, 0x8CA8);
HOST_CHECK_OFFSET(HostState, rangeX2, 0x8CB0);
HOST_CHECK_OFFSET(HostState, rangeY2, 0x8CB8);
HOST_CHECK_OFFSET(HostState, groupArgA, 0x8CC4);
HOST_CHECK_OFFSET(HostState, groupArgB, 0x8CC8);
HOST_CHECK_OFFSET(HostState, groupArgC, 0x8CCC);
HOST_CHECK_OFFSET(HostState, groupNumber, 0x8CD0);
HOST_CHECK_OFFSET(HostState, groupFirst, 0x8CD4);
HOST_CHECK_OFFSET(HostState, drawShiftX, 0x8CE8);
HOST_CHECK_OFFSET(HostState, drawShiftY, 0x8CEC);
HOST_CHECK_OFFSET(HostState, refPointX, 0x8CF0);
HOST_CHECK_OFFSET(HostState, refPointY, 0x8CF4);
HOST_CHECK_OFFSET(HostState, selFirst, 0x8D08);
HOST_CHECK_OFFSET(HostState, selEnd, 0x8D0C);
HOST_CHECK_OFFSET(HostState, copyEnd, 0x8D10);
HOST_CHECK_OFFSET(HostState, drawingModified, 0xBF70);
HOST_CHECK_OFFSET(HostState, pi, 0xE400);

/*
 * The drawing tables (HostState::tables).  Per-figure words live in seven
 * parallel arrays; a line takes one entry, an arc, circle or text two.
 */
struct DrawingTables {
    uint8_t reserved_0x0000[0xAE4];
    int32_t drawContext;                     /* 0x0AE4 4 bytes: set by the drag preview from viewContext */
    uint8_t reserved_0x0AE8[0x4DC];
    int32_t currentLayer;                    /* 0x0FC4 4 bytes: the drawing's current write attributes */
    int32_t currentGroup;                    /* 0x0FC8 4 bytes */
    int32_t currentColor;                    /* 0x0FCC 4 bytes */
    int32_t currentLineType;                 /* 0x0FD0 4 bytes */
    uint8_t reserved_0x0FD4[0x44];
    int32_t drawingEnd;                      /* 0x1018 4 bytes: index of the drawing's end marker (parametric command) */
    uint8_t reserved_0x101C[0x15C];
    int32_t previewColorA;                   /* 0x1178 4 bytes: hatch panel preview: elements */
    int32_t previewColorB;                   /* 0x117C 4 bytes: hatch panel preview: frame */
    uint8_t reserved_0x1180[0xF30];
    int32_t figureLimit;                     /* 0x20B0 4 bytes: entries the drawing may use; none at or beyond it is written */
    int32_t workBase;                        /* 0x20B4 4 bytes: start of the host's work area */
    int32_t workEnd;                         /* 0x20B8 4 bytes: end of the work area */
    uint8_t reserved_0x20BC[0x1014];
    double unitFactor;                       /* 0x30D0 8 bytes: user units per drawing unit */
    uint8_t reserved_0x30D8[0x130];
    double viewRefX;                         /* 0x3208 8 bytes: view reference point */
    double viewRefY;                         /* 0x3210 8 bytes */
    uint8_t reserved_0x3218[0x10];
    int32_t figureTableDirtyA;               /* 0x3228 4 bytes: 1 before the module stores an entry itself */
    uint8_t reserved_0x322C[0x3F8];
    int32_t figureTableDirtyB;               /* 0x3624 4 bytes */
    double drawingScale;                     /* 0x3628 8 bytes: scale of the drawing; print sizes are multiplied by it */
    uint8_t reserved_0x3630[0x5E8];
    int32_t *figureType;                     /* 0x3C18 4 bytes: per-figure word; low 16 bits: type, 0xFFFF end marker */
    int32_t *figureW;                        /* 0x3C1C 4 bytes: per-figure word */
    int32_t *figureAttr;                     /* 0x3C20 4 bytes: per-figure word; >> 16 = link number */
    int32_t *figureX1;                       /* 0x3C24 4 bytes: stored numbers of the figure */
    int32_t *figureY1;                       /* 0x3C28 4 bytes */
    int32_t *figureX2;                       /* 0x3C2C 4 bytes */
    int32_t *figureY2;                       /* 0x3C30 4 bytes */
    uint8_t reserved_0x3C34[0x4];
};
HOST_CHECK_OFFSET(DrawingTables, drawContext, 0x0AE4);
HOST_CHECK_OFFSET(DrawingTables, currentLayer, 0x0FC4);
HOST_CHECK_OFFSET(DrawingTables, currentGroup, 0x0FC8);
HOST_CHECK_OFFSET(DrawingTables, currentColor, 0x0FCC);
HOST_CHECK_OFFSET(DrawingTables, currentLineType, 0x0FD0);
HOST_CHECK_OFFSET(DrawingTables, drawingEnd, 0x1018);
HOST_CHECK_OFFSET(DrawingTables, previewColorA, 0x1178);
HOST_CHECK_OFFSET(DrawingTables, previewColorB, 0x117C);
HOST_CHECK_OFFSET(DrawingTables, figureLimit, 0x20B0);
HOST_CHECK_OFFSET(DrawingTables, workBase, 0x20B4);
HOST_CHECK_OFFSET(DrawingTables, workEnd, 0x20B8);
HOST_CHECK_OFFSET(DrawingTables, unitFactor, 0x30D0);
HOST_CHECK_OFFSET(DrawingTables, viewRefX, 0x3208);
HOST_CHECK_OFFSET(DrawingTables, viewRefY, 0x3210);
HOST_CHECK_OFFSET(DrawingTables, figureTableDirtyA, 0x3228);
HOST_CHECK_OFFSET(DrawingTables, figureTableDirtyB, 0x3624);
HOST_CHECK_OFFSET(DrawingTables, drawingScale, 0x3628);
HOST_CHECK_OFFSET(DrawingTables, figureType, 0x3C18);
HOST_CHECK_OFFSET(DrawingTables, figureW, 0x3C1C);
HOST_CHECK_OFFSET(DrawingTables, figureAttr, 0x3C20);
HOST_CHECK_OFFSET(DrawingTables, figureX1, 0x3C24);
HOST_CHECK_OFFSET(DrawingTables, figureY1, 0x3C28);
HOST_CHECK_OFFSET(DrawingTables, figureX2, 0x3C2C);
HOST_CHECK_OFFSET(DrawingTables, figureY2, 0x3C30);

static_assert(sizeof(HostState) == 0xE408, "HostState covers every field up to pi");
static_assert(sizeof(DrawingTables) == 0x3C38, "DrawingTables covers every field up to figureY2");

/* Low 16 bits of a figureType word: the figure type; 0xFFFF is an end marker. */
#define HOST_TYPE_MASK 0xFFFF
#define HOST_END_MARKER (-1)

#endif /* NEROLIT_FRAME_HOSTRECORDS_H */
