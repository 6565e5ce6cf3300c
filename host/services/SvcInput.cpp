/*
 * SvcInput.cpp - the user's side of the host: point requests with their
 * mouse events, group numbers, messages, the Escape key and the region test
 * of the hatch polygon.  Every request is answered by the host's user
 * (Player::answer); when the user has no more to say, it is cancelled.
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

#include <cmath>

namespace host {

namespace {

void tracePointRequest(const char *name, Request req)
{
    if (!runningHost().trace.enabled())
        return;
    Records &r = runningHost().rec;
    TraceLine t(runningHost().trace, name);
    t.fieldText("promptText", r.text(StateField::promptText))
        .field("inputMode", r.i32(StateField::inputMode))
        .field("inputOption", r.i32(StateField::inputOption))
        .field("bandKind", r.i32(StateField::bandKind));
    int band = r.i32(StateField::bandKind);
    if (band == kBandBox)
        t.field("boxAnchorX", r.f64(StateField::boxAnchorX)).field("boxAnchorY", r.f64(StateField::boxAnchorY));
    if (band == kBandLine)
        t.field("lineAnchorX", r.f64(StateField::lineAnchorX)).field("lineAnchorY", r.f64(StateField::lineAnchorY));
    if (band != kBandNone)
        t.field("bandOption", r.i32(StateField::bandOption));
    if (req == Request::GetPointOrFigure)
        t.field("pointX", r.f64(StateField::pointX)).field("pointY", r.f64(StateField::pointY));
}

/* A point request: mouse events go to the hooks until the user gives a
   point, confirms, closes the region or cancels. */
void pointRequest(Request req, const char *name)
{
    Host &h = runningHost();
    Records &r = h.rec;
    tracePointRequest(name, req);
    std::string prompt = cp932ToUtf8(r.text(StateField::promptText));
    for (;;) {
        std::optional<ScriptLine> l = h.player.answer(h.ask(req, prompt));
        if (!l) {
            r.put(StateField::inputStatus, 2);
            h.traceAnswer("cancel (the command's lines ran out)");
            return;
        }
        h.traceAnswer(l->source);
        double cx = Host::toDrawingX(r.f64(StateField::cursorX)), cy = Host::toDrawingY(r.f64(StateField::cursorY));
        switch (l->verb) {
        case Verb::Move:
            h.mouseEvent(req, l->x, l->y, true);
            continue;
        case Verb::Repaint:
            h.mouseEvent(req, cx, cy, false);
            continue;
        case Verb::Point:
            r.put(StateField::cursorX, Host::toScreenX(l->x));
            r.put(StateField::cursorY, Host::toScreenY(l->y));
            r.put(StateField::pickX, l->x);
            r.put(StateField::pickY, l->y);
            h.regionClosed = false;
            r.put(StateField::inputStatus, 1);
            return;
        case Verb::Confirm:
        case Verb::Close:
            r.put(StateField::pickX, cx);
            r.put(StateField::pickY, cy);
            h.regionClosed = l->verb == Verb::Close;
            r.put(StateField::inputStatus, 1);
            return;
        default: /* cancel */
            r.put(StateField::inputStatus, 2);
            return;
        }
    }
}

/* Orthogonal mode (orthoMode non-zero) acts on the points given to a
   GetPoint with a rubber line from (pointX, pointY) (band kinds 1 and 13):
   the offset from that point keeps only its larger component, the
   horizontal one when both are equal, as the CAD host's own orthogonal mode
   does.  Mouse events are passed on unchanged: a drag preview applies the
   mode itself. */
void orthogonalPick()
{
    Host &h = runningHost();
    Records &r = h.rec;
    int band = r.i32(StateField::bandKind);
    if (r.i32(StateField::orthoMode) == 0 || (band != kBandFromLast && band != kBandDrag) || r.i32(StateField::inputStatus) != 1)
        return;
    double dx = r.f64(StateField::pickX) - r.f64(StateField::pointX), dy = r.f64(StateField::pickY) - r.f64(StateField::pointY);
    if (std::fabs(dy) > std::fabs(dx))
        r.put(StateField::pickX, r.f64(StateField::pointX));
    else
        r.put(StateField::pickY, r.f64(StateField::pointY));
    if (h.trace.enabled())
        h.traceAnswer("orthogonal mode: the point is " + formatDouble(r.f64(StateField::pickX)) + " " +
                      formatDouble(r.f64(StateField::pickY)));
}

/* When a request with the drag band ends, the host takes its picture
   off the display, as the CAD host erases its XOR drawing: the figures
   shown as a preview and the drag line.  So a later picture never shows a
   stale preview. */
void endDragPicture()
{
    Host &h = runningHost();
    if (h.rec.i32(StateField::bandKind) != kBandDrag)
        return;
    for (int i = 0; i < h.rec.capacity(); ++i)
        if (h.fig.display(i) == Display::Preview)
            h.fig.setDisplay(i, Display::Hidden);
    h.xorLines.clear();
}

void HOST_STDCALL GetPoint()
{
    ServiceCall c(Svc::GetPoint);
    pointRequest(Request::GetPoint, "GetPoint");
    orthogonalPick();
    endDragPicture();
}

void HOST_STDCALL GetCursorPoint()
{
    ServiceCall c(Svc::GetCursorPoint);
    pointRequest(Request::GetCursorPoint, "GetCursorPoint");
}

void HOST_STDCALL GetPointOrFigure()
{
    ServiceCall c(Svc::GetPointOrFigure);
    pointRequest(Request::GetPointOrFigure, "GetPointOrFigure");
}

void HOST_STDCALL ConfirmPoint()
{
    ServiceCall c(Svc::ConfirmPoint);
    Records &r = runningHost().rec;
    r.put(StateField::pointX, r.f64(StateField::pickX));
    r.put(StateField::pointY, r.f64(StateField::pickY));
    TraceLine(runningHost().trace, "ConfirmPoint").field("pointX", r.f64(StateField::pointX)).field("pointY", r.f64(StateField::pointY));
}

void HOST_STDCALL HighlightPoint()
{
    ServiceCall c(Svc::HighlightPoint);
    Records &r = runningHost().rec;
    runningHost().highlightOn = true;
    runningHost().highlightX = r.f64(StateField::pointX);
    runningHost().highlightY = r.f64(StateField::pointY);
    TraceLine(runningHost().trace, "HighlightPoint").field("pointX", r.f64(StateField::pointX)).field("pointY", r.f64(StateField::pointY));
}

void HOST_STDCALL SignalError()
{
    ServiceCall c(Svc::SignalError);
    ++runningHost().signalErrors;
    TraceLine(runningHost().trace, "SignalError");
}

/* GetGroupNumber: `group N` puts N into groupNumberResult; a cancel leaves
   the field as it was and inputStatus at 2. */
void HOST_STDCALL GetGroupNumber()
{
    ServiceCall c(Svc::GetGroupNumber);
    Host &h = runningHost();
    if (h.trace.enabled()) /* the line is written here, before the answer */
        TraceLine(h.trace, "GetGroupNumber").fieldText("promptText", h.rec.text(StateField::promptText));
    std::optional<ScriptLine> l = h.player.answer(h.ask(Request::Group, cp932ToUtf8(h.rec.text(StateField::promptText))));
    if (!l || l->verb == Verb::Cancel) {
        h.rec.put(StateField::inputStatus, 2);
        h.traceAnswer(l ? "cancel" : "cancel (the command's lines ran out)");
        return;
    }
    h.rec.put(StateField::groupNumberResult, l->number);
    h.rec.put(StateField::inputStatus, 1);
    h.traceAnswer(l->source);
}

/* ShowMessage: `message ok` or `message cancel` (or cancel) answers it; the
   session file's user answers ok when no such line is next (ScriptUser.h). */
void HOST_STDCALL ShowMessage()
{
    ServiceCall c(Svc::ShowMessage);
    Host &h = runningHost();
    std::string text = h.rec.text(StateField::promptText);
    TraceLine(h.trace, "ShowMessage").fieldText("promptText", text);
    h.messages.push_back(cp932ToUtf8(text));
    std::optional<ScriptLine> l = h.player.answer(h.ask(Request::Message, h.messages.back()));
    h.rec.put(StateField::inputStatus, l && l->verb == Verb::Message && l->ok ? 1 : 2);
    h.traceAnswer(l ? l->source : "cancel (the command's lines ran out)");
}

/* PollKey: 0, or 27 once a `key esc [after N]` line has counted down, or
   when the user presses Escape at this poll. */
int32_t HOST_STDCALL PollKey()
{
    ServiceCall c(Svc::PollKey);
    Host &h = runningHost();
    int32_t key = h.player.pollKey();
    TraceLine(h.trace, "PollKey").resultInt(key);
    return key;
}

int32_t HOST_STDCALL OpenRegionTest(int32_t handle, int32_t a, int32_t b, int32_t low, int32_t c2, int32_t m1,
                                    int32_t m2, int32_t m3, int32_t m4)
{
    ServiceCall c(Svc::OpenRegionTest);
    int32_t h2 = ++runningHost().regionHandles;
    TraceLine(runningHost().trace, "OpenRegionTest").arg(handle).arg(a).arg(b).arg(low).arg(c2).arg(m1).arg(m2).arg(m3).arg(m4)
        .resultInt(h2);
    return h2;
}

/* 1 for the click that the session answered with `close`. */
int32_t HOST_STDCALL CloseRegionTest(int32_t handle, double x, double y, int32_t zero)
{
    ServiceCall c(Svc::CloseRegionTest);
    int32_t closed = runningHost().regionClosed ? 1 : 0;
    TraceLine(runningHost().trace, "CloseRegionTest").arg(handle).arg(x).arg(y).arg(zero).resultInt(closed);
    return closed;
}

int32_t HOST_STDCALL CloseRegionHandle(int32_t handle)
{
    ServiceCall c(Svc::CloseRegionHandle);
    TraceLine(runningHost().trace, "CloseRegionHandle").arg(handle).result("0");
    return 0;
}

double HOST_STDCALL ScreenToDrawingX(double x)
{
    ServiceCall c(Svc::ScreenToDrawingX);
    double v = Host::toDrawingX(x);
    TraceLine(runningHost().trace, "ScreenToDrawingX").arg(x).resultNumber(v);
    return v;
}

double HOST_STDCALL ScreenToDrawingY(double y)
{
    ServiceCall c(Svc::ScreenToDrawingY);
    double v = Host::toDrawingY(y);
    TraceLine(runningHost().trace, "ScreenToDrawingY").arg(y).resultNumber(v);
    return v;
}

double HOST_STDCALL CursorToDrawingX(double x)
{
    ServiceCall c(Svc::CursorToDrawingX);
    double v = Host::toDrawingX(x);
    TraceLine(runningHost().trace, "CursorToDrawingX").arg(x).resultNumber(v);
    return v;
}

double HOST_STDCALL CursorToDrawingY(double y)
{
    ServiceCall c(Svc::CursorToDrawingY);
    double v = Host::toDrawingY(y);
    TraceLine(runningHost().trace, "CursorToDrawingY").arg(y).resultNumber(v);
    return v;
}

/* The reference host has no snap grid: the cursor's drawing x. */
double HOST_STDCALL SnapDragPoint(double y, double cursorX, double cursorY, int32_t zero, int32_t snapMode,
                                  int32_t seven)
{
    ServiceCall c(Svc::SnapDragPoint);
    double v = Host::toDrawingX(cursorX);
    TraceLine(runningHost().trace, "SnapDragPoint").arg(y).arg(cursorX).arg(cursorY).arg(zero).arg(snapMode).arg(seven)
        .resultNumber(v);
    return v;
}

/* |b - a| in user units (times unitFactor), for the drag display. */
double HOST_STDCALL MeasureDistance(double a, double b)
{
    ServiceCall c(Svc::MeasureDistance);
    double v = std::fabs(b - a) * runningHost().rec.f64(TableField::unitFactor);
    TraceLine(runningHost().trace, "MeasureDistance").arg(a).arg(b).resultNumber(v);
    return v;
}

} // namespace

void registerInputServices(Records &r)
{
    putService(r, Svc::GetPoint, slot(&GetPoint));
    putService(r, Svc::GetCursorPoint, slot(&GetCursorPoint));
    putService(r, Svc::GetPointOrFigure, slot(&GetPointOrFigure));
    putService(r, Svc::ConfirmPoint, slot(&ConfirmPoint));
    putService(r, Svc::HighlightPoint, slot(&HighlightPoint));
    putService(r, Svc::SignalError, slot(&SignalError));
    putService(r, Svc::GetGroupNumber, slot(&GetGroupNumber));
    putService(r, Svc::ShowMessage, slot(&ShowMessage));
    putService(r, Svc::PollKey, slot(&PollKey));
    putService(r, Svc::OpenRegionTest, slot(&OpenRegionTest));
    putService(r, Svc::CloseRegionTest, slot(&CloseRegionTest));
    putService(r, Svc::CloseRegionHandle, slot(&CloseRegionHandle));
    putService(r, Svc::ScreenToDrawingX, slot(&ScreenToDrawingX));
    putService(r, Svc::ScreenToDrawingY, slot(&ScreenToDrawingY));
    putService(r, Svc::CursorToDrawingX, slot(&CursorToDrawingX));
    putService(r, Svc::CursorToDrawingY, slot(&CursorToDrawingY));
    putService(r, Svc::SnapDragPoint, slot(&SnapDragPoint));
    putService(r, Svc::MeasureDistance, slot(&MeasureDistance));
}

} // namespace host
