/*
 * Layout.h - the reference host's own layout of its three records: the
 * service table, the state record and the drawing tables.  This is the host's
 * side of the interface, written from the host's table of offsets and never
 * from the module's header, so that a wrong offset on either side shows up as
 * a failing test instead of cancelling out.
 *
 * Each field says who writes it.  Host: the host fills it and the module may
 * only read it.  Module: the module may write it (the host may write it too,
 * as a service result).  Every byte of a record that is not a Module field,
 * and every byte of a Module text beyond kModuleTextLimit, is a guard zone
 * (Records::checkGuards).
 */
#ifndef NEROLIT_HOST_LAYOUT_H
#define NEROLIT_HOST_LAYOUT_H

#include <cstdint>

namespace host {

enum class FieldType { I32, F64, Text, Addr };
enum class Access { Host, Module };

/* X(name, offset, type, size in bytes, who writes) */
#define NEROLIT_HOST_STATE_FIELDS(X) \
    X(viewContext,         0x0000, I32,     4, Host) \
    X(charHeight,          0x0040, I32,     4, Host) \
    X(charWidth,           0x0088, I32,     4, Host) \
    X(snapMode,            0x1900, I32,     4, Host) \
    X(pickX,               0x1A10, F64,     8, Host) \
    X(pickY,               0x1A18, F64,     8, Host) \
    X(pointX,              0x1A20, F64,     8, Module) \
    X(pointY,              0x1A28, F64,     8, Module) \
    X(cursorX,             0x1A48, F64,     8, Host) \
    X(cursorY,             0x1A50, F64,     8, Host) \
    X(inputStatus,         0x1A68, I32,     4, Host) \
    X(orthoMode,           0x1A90, I32,     4, Host) \
    X(previewUpdate,       0x1BA0, I32,     4, Host) \
    X(drawIndex,           0x1BB0, I32,     4, Module) \
    X(drawMode,            0x1BB4, I32,     4, Module) \
    X(drawFlag,            0x1BB8, I32,     4, Module) \
    X(panelEvent,          0x1BC4, I32,     4, Host) \
    X(scanIndex,           0x1BC8, I32,     4, Module) \
    X(argAx,               0x1C30, F64,     8, Module) \
    X(argAy,               0x1C38, F64,     8, Module) \
    X(argBx,               0x1C40, F64,     8, Module) \
    X(argBy,               0x1C48, F64,     8, Module) \
    X(argCx,               0x1C50, F64,     8, Module) \
    X(argCy,               0x1C58, F64,     8, Module) \
    X(argDx,               0x1C70, F64,     8, Module) \
    X(argDy,               0x1C78, F64,     8, Module) \
    X(argEx,               0x1C80, F64,     8, Module) \
    X(argEy,               0x1C88, F64,     8, Module) \
    X(argFx,               0x1C90, F64,     8, Module) \
    X(argFy,               0x1C98, F64,     8, Module) \
    X(boxAnchorX,          0x1CD0, F64,     8, Module) \
    X(boxAnchorY,          0x1CD8, F64,     8, Module) \
    X(lineAnchorX,         0x1CF0, F64,     8, Module) \
    X(lineAnchorY,         0x1CF8, F64,     8, Module) \
    X(inputMode,           0x1D68, I32,     4, Module) \
    X(inputOption,         0x1D6C, I32,     4, Module) \
    X(bandKind,            0x1D74, I32,     4, Module) \
    X(bandOption,          0x1D78, I32,     4, Module) \
    X(circleX,             0x1D90, F64,     8, Module) \
    X(circleY,             0x1D98, F64,     8, Module) \
    X(circleR,             0x1DB0, F64,     8, Module) \
    X(groupNumberResult,   0x1DB8, F64,     8, Host) \
    X(promptText,          0x21F0, Text,  1024, Module) \
    X(selectPromptText,    0x25F0, Text,  1024, Module) \
    X(linkRefresh,         0x2BF0, I32,     4, Module) \
    X(panelRows,           0x2BF4, I32,     4, Module) \
    X(panelWidth,          0x2BF8, I32,     4, Module) \
    X(panelColumn,         0x2BFC, I32,     4, Module) \
    X(panelRow,            0x2C00, I32,     4, Module) \
    X(attrContext,         0x2C14, Addr,     4, Host) \
    X(panelSurface,        0x2C18, Addr,     4, Host) \
    X(storeFailed,         0x2C54, I32,     4, Host) \
    X(storeLayer,          0x2C5C, I32,     4, Module) \
    X(storeGroup,          0x2C60, I32,     4, Module) \
    X(storeColor,          0x2C64, I32,     4, Module) \
    X(storeLineType,       0x2C68, I32,     4, Module) \
    X(tables,              0x2C70, Addr,     4, Host) \
    X(arcStartAngle,       0x7078, F64,     8, Module) \
    X(arcEndAngle,         0x7080, F64,     8, Module) \
    X(vectorAngle,         0x70C0, F64,     8, Host) \
    X(workValueA,          0x70F8, F64,     8, Module) \
    X(workValueB,          0x7100, F64,     8, Module) \
    X(currentCommand,      0x7BA8, Text,  1024, Host) \
    X(pluginGroupName,     0x8438, Text,   512, Module) \
    X(pluginDescription,   0x8638, Text,  1024, Module) \
    X(pluginVersion,       0x8A40, F64,     8, Module) \
    X(pluginFlagA,         0x8A48, I32,     4, Module) \
    X(pluginFlagB,         0x8A4C, I32,     4, Module) \
    X(pluginInterfaceDate, 0x8A50, I32,     4, Module) \
    X(pluginFlagC,         0x8A54, I32,     4, Module) \
    X(selectMode,          0x8C5C, I32,     4, Host) \
    X(rangeFirst,          0x8C6C, I32,     4, Module) \
    X(rangeSecond,         0x8C70, I32,     4, Module) \
    X(rangeLast,           0x8C74, I32,     4, Module) \
    X(windowX1,            0x8C7C, I32,     4, Module) \
    X(windowY1,            0x8C80, I32,     4, Module) \
    X(windowX2,            0x8C84, I32,     4, Module) \
    X(windowY2,            0x8C88, I32,     4, Module) \
    X(rangeX1,             0x8CA0, F64,     8, Module) \
    X(rangeY1,             0x8CA8, F64,     8, Module) \
    X(rangeX2,             0x8CB0, F64,     8, Module) \
    X(rangeY2,             0x8CB8, F64,     8, Module) \
    X(groupArgA,           0x8CC4, I32,     4, Module) \
    X(groupArgB,           0x8CC8, I32,     4, Module) \
    X(groupArgC,           0x8CCC, I32,     4, Module) \
    X(groupNumber,         0x8CD0, I32,     4, Module) \
    X(groupFirst,          0x8CD4, I32,     4, Module) \
    X(drawShiftX,          0x8CE8, I32,     4, Module) \
    X(drawShiftY,          0x8CEC, I32,     4, Module) \
    X(refPointX,           0x8CF0, I32,     4, Module) \
    X(refPointY,           0x8CF4, I32,     4, Module) \
    X(selFirst,            0x8D08, I32,     4, Module) \
    X(selEnd,              0x8D0C, I32,     4, Module) \
    X(copyEnd,             0x8D10, I32,     4, Module) \
    X(drawingModified,     0xBF70, I32,     4, Module) \
    X(pi,                  0xE400, F64,     8, Host)

#define NEROLIT_HOST_TABLE_FIELDS(X) \
    X(drawContext,         0x0AE4, I32,     4, Module) \
    X(currentLayer,        0x0FC4, I32,     4, Host) \
    X(currentGroup,        0x0FC8, I32,     4, Host) \
    X(currentColor,        0x0FCC, I32,     4, Host) \
    X(currentLineType,     0x0FD0, I32,     4, Host) \
    X(drawingEnd,          0x1018, I32,     4, Module) \
    X(previewColorA,       0x1178, I32,     4, Host) \
    X(previewColorB,       0x117C, I32,     4, Host) \
    X(figureLimit,         0x20B0, I32,     4, Host) \
    X(workBase,            0x20B4, I32,     4, Host) \
    X(workEnd,             0x20B8, I32,     4, Host) \
    X(unitFactor,          0x30D0, F64,     8, Host) \
    X(viewRefX,            0x3208, F64,     8, Host) \
    X(viewRefY,            0x3210, F64,     8, Host) \
    X(figureTableDirtyA,   0x3228, I32,     4, Module) \
    X(figureTableDirtyB,   0x3624, I32,     4, Module) \
    X(drawingScale,        0x3628, F64,     8, Host) \
    X(figureType,          0x3C18, Addr,     4, Host) \
    X(figureW,             0x3C1C, Addr,     4, Host) \
    X(figureAttr,          0x3C20, Addr,     4, Host) \
    X(figureX1,            0x3C24, Addr,     4, Host) \
    X(figureY1,            0x3C28, Addr,     4, Host) \
    X(figureX2,            0x3C2C, Addr,     4, Host) \
    X(figureY2,            0x3C30, Addr,     4, Host)

#define NEROLIT_HOST_SERVICES(X) \
    X(UpdateLinkedFigures,   0x270) \
    X(ProjectPointOnLine,    0x284) \
    X(ClosePanel,            0x288) \
    X(OpenPanel,             0x28C) \
    X(OpenPanelByLayout,     0x290) \
    X(GetCursorPoint,        0x2A0) \
    X(GetPoint,              0x2A8) \
    X(GetPointOrFigure,      0x2AC) \
    X(HighlightPoint,        0x2BC) \
    X(StoreLine,             0x2E0) \
    X(DrawFigure,            0x308) \
    X(SignalError,           0x30C) \
    X(BeginProgress,         0x320) \
    X(EndProgress,           0x324) \
    X(RefreshPanel,          0x344) \
    X(ConfirmPoint,          0x35C) \
    X(StoreArc,              0x370) \
    X(ShowPanel,             0x3A8) \
    X(PanelResult,           0x3B0) \
    X(ClearPanel,            0x3B4) \
    X(AddPanelItem,          0x3C4) \
    X(AddPanelNumber,        0x3C8) \
    X(AddPanelList,          0x3D4) \
    X(VectorAngle,           0x3E4) \
    X(ScreenToDrawingX,      0x3EC) \
    X(ScreenToDrawingY,      0x3F0) \
    X(MeasureDistance,       0x3FC) \
    X(SnapDragPoint,         0x400) \
    X(IntersectLines,        0x424) \
    X(IntersectionX,         0x42C) \
    X(IntersectionY,         0x430) \
    X(GetFigureKind,         0x438) \
    X(GetTextOrigin,         0x43C) \
    X(SetTextOrigin,         0x440) \
    X(ClearHighlight,        0x464) \
    X(ClearMarks,            0x468) \
    X(ReadSetting,           0x494) \
    X(WriteSetting,          0x4A0) \
    X(AddPanelHeader,        0x4A8) \
    X(SelectFigures,         0x4B0) \
    X(AddPanelGroupChoice,   0x4B8) \
    X(GetGroupNumber,        0x4D4) \
    X(DrawXorLine,           0x4E8) \
    X(AssignGroup,           0x4F0) \
    X(DrawFiguresFrom,       0x4F8) \
    X(ScaleFigures,          0x500) \
    X(CollectWindowFigures,  0x504) \
    X(MeasureExtent,         0x508) \
    X(CopyFigureRange,       0x50C) \
    X(CommitNewFigures,      0x510) \
    X(ShowMessage,           0x530) \
    X(RegisterCommand,       0x54C) \
    X(CloseRegionTest,       0x570) \
    X(OpenRegionTest,        0x574) \
    X(CloseRegionHandle,     0x578) \
    X(AbsValue,              0x5E8) \
    X(EncodeCoordinate,      0x60C) \
    X(PanelCircle,           0x614) \
    X(PollKey,               0x64C) \
    X(PanelBox,              0x684) \
    X(SetProgressPause,      0x698) \
    X(ShowStatusText,        0x6D0) \
    X(Random,                0x700) \
    X(FindMarker,            0x708) \
    X(FormatNumber,          0x718) \
    X(SwapInts,              0x728) \
    X(SwapDoubles,           0x72C) \
    X(UngroupRange,          0x744) \
    X(BeginCommand,          0x75C) \
    X(UpdateLinks,           0x760) \
    X(WaitPanelEvent,        0x76C) \
    X(NewGroupNumber,        0x774) \
    X(AddLine,               0x778) \
    X(AddArc,                0x77C) \
    X(FinishGroup,           0x7A0) \
    X(AddPanelLayer,         0x850) \
    X(AddPanelGroup,         0x854) \
    X(AddPanelColor,         0x858) \
    X(AddPanelLineType,      0x85C) \
    X(CursorToDrawingX,      0x8D8) \
    X(CursorToDrawingY,      0x8DC) \
    X(StretchFigures,        0x8E0)

/* The fields by name: rec.i32(StateField::bandKind) reads the state
   record's, rec.put(TableField::currentLayer, 1) writes the drawing
   tables'. */
enum class StateField : int {
#define X(name, offset, type, size, access) name,
    NEROLIT_HOST_STATE_FIELDS(X)
#undef X
    Count
};

enum class TableField : int {
#define X(name, offset, type, size, access) name,
    NEROLIT_HOST_TABLE_FIELDS(X)
#undef X
    Count
};

enum class Svc : int {
#define X(name, offset) name,
    NEROLIT_HOST_SERVICES(X)
#undef X
    Count
};

struct FieldInfo {
    const char *name;
    uint32_t offset;
    FieldType type;
    uint32_t size;
    Access access;
};

struct ServiceInfo {
    const char *name;
    uint32_t offset;
};

const FieldInfo &fieldInfo(StateField f);
const FieldInfo &fieldInfo(TableField f);
const ServiceInfo &serviceInfo(Svc s);

/* Record sizes as the host allocates them: every named field fits, the rest
   is the host's own (and guarded). */
constexpr uint32_t kServiceTableSize = 0x900; /* 576 slots */
constexpr uint32_t kStateRecordSize = 0xE800;
constexpr uint32_t kTablesRecordSize = 0x4000;

/* The longest text the module writes into a host text buffer is the 69-byte
   hatch limit message; with its terminator it needs 70 bytes. */
constexpr uint32_t kModuleTextLimit = 70;

/* Values of bandKind, the rubber band the module asks for at a point
   request: none; from the last point given (pointX, pointY: the hatch
   region's next point); a box from boxAnchor; a line from lineAnchor; the
   stretch's drag, the only band at whose mouse events the host calls USSR
   after USA. */
constexpr int32_t kBandNone = 0, kBandFromLast = 1, kBandBox = 2, kBandLine = 6, kBandDrag = 13;

/* The records that attrContext and panelSurface point to. */
constexpr uint32_t kAttrContextSize = 0x20, kAttrContextValueOffset = 0x14;
constexpr uint32_t kPanelSurfaceSize = 0x10, kPanelSurfaceValueOffset = 0x4;

} // namespace host

#endif
