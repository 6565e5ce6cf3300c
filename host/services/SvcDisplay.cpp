/*
 * SvcDisplay.cpp - what the host shows: figures drawn, erased or shown as a
 * preview (the display state of each entry, which snapshots picture), the
 * drag line, the progress display and the status text.
 *
 * drawMode 1 shows figures as a preview, 2 takes them off the display, 3
 * (and any other value) draws them for good.
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

#include <algorithm>
#include <cstdio>

namespace host {

namespace {

Display displayFor(int32_t mode) { return mode == 1 ? Display::Preview : mode == 2 ? Display::Erased : Display::Drawn; }

void HOST_STDCALL DrawFigure()
{
    ServiceCall c(Svc::DrawFigure);
    Host &h = runningHost();
    int32_t i = h.rec.i32(StateField::drawIndex), mode = h.rec.i32(StateField::drawMode);
    TraceLine(h.trace, "DrawFigure").field("drawIndex", i).field("drawMode", mode).field("drawFlag", h.rec.i32(StateField::drawFlag));
    requireIndex("DrawFigure", "drawIndex", i);
    int n = std::max(1, entriesOfKind(h.fig.kindAt(i)));
    for (int k = 0; k < n && i + k < h.rec.capacity(); ++k)
        h.fig.setDisplay(i + k, displayFor(mode));
}

void HOST_STDCALL DrawFiguresFrom()
{
    ServiceCall c(Svc::DrawFiguresFrom);
    Host &h = runningHost();
    Records &r = h.rec;
    int32_t first = r.i32(StateField::drawIndex), mode = r.i32(StateField::drawMode);
    TraceLine(h.trace, "DrawFiguresFrom")
        .field("drawIndex", first).field("drawMode", mode)
        .field("drawShiftX", r.i32(StateField::drawShiftX)).field("drawShiftY", r.i32(StateField::drawShiftY))
        .field("refPointX", r.i32(StateField::refPointX)).field("refPointY", r.i32(StateField::refPointY))
        .field("circleX", r.f64(StateField::circleX)).field("circleY", r.f64(StateField::circleY))
        .field("argBx", r.f64(StateField::argBx)).field("argBy", r.f64(StateField::argBy));
    requireIndex("DrawFiguresFrom", "drawIndex", first);
    int end = h.fig.findMarker(first);
    for (int i = first; i < (end < 0 ? r.capacity() : end); ++i)
        if (h.fig.type(i) != kTypeEmpty)
            h.fig.setDisplay(i, displayFor(mode));
}

/* The host's drag line: from the confirmed point to the cursor. */
void HOST_STDCALL DrawXorLine(int32_t a, int32_t b, int32_t colour, double value)
{
    ServiceCall c(Svc::DrawXorLine);
    Host &h = runningHost();
    Records &r = h.rec;
    TraceLine(h.trace, "DrawXorLine").arg(a).arg(b).arg(colour).arg(value);
    h.xorLines.assign(1, XorLine{r.f64(StateField::pointX), r.f64(StateField::pointY), Host::toDrawingX(r.f64(StateField::cursorX)),
                                 Host::toDrawingY(r.f64(StateField::cursorY))});
}

void HOST_STDCALL ClearHighlight(int32_t a, int32_t b)
{
    ServiceCall c(Svc::ClearHighlight);
    runningHost().highlightOn = false;
    TraceLine(runningHost().trace, "ClearHighlight").arg(a).arg(b);
}

void HOST_STDCALL ClearMarks(int32_t a, int32_t b)
{
    ServiceCall c(Svc::ClearMarks);
    runningHost().xorLines.clear();
    TraceLine(runningHost().trace, "ClearMarks").arg(a).arg(b);
}

void HOST_STDCALL BeginProgress()
{
    ServiceCall c(Svc::BeginProgress);
    if (runningHost().trace.enabled())
        TraceLine(runningHost().trace, "BeginProgress").fieldText("promptText", runningHost().rec.text(StateField::promptText));
}

void HOST_STDCALL EndProgress()
{
    ServiceCall c(Svc::EndProgress);
    TraceLine(runningHost().trace, "EndProgress");
}

void HOST_STDCALL SetProgressPause(double seconds, int32_t a, int32_t b)
{
    ServiceCall c(Svc::SetProgressPause);
    TraceLine(runningHost().trace, "SetProgressPause").arg(seconds).arg(a).arg(b);
}

void HOST_STDCALL ShowStatusText(const char *text, int32_t a, int32_t b)
{
    ServiceCall c(Svc::ShowStatusText);
    runningHost().statusText = text ? cp932ToUtf8(text) : std::string();
    TraceLine(runningHost().trace, "ShowStatusText").argText(text).arg(a).arg(b);
}

/* The value with `decimals` decimals (0..15); the text stays valid until the
   next FormatNumber. */
const char *HOST_STDCALL FormatNumber(double value, int32_t decimals)
{
    ServiceCall c(Svc::FormatNumber);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", std::max(0, std::min(15, decimals)), value);
    runningHost().formatBuffer = buf;
    TraceLine(runningHost().trace, "FormatNumber").arg(value).arg(decimals).resultQuoted(buf);
    return runningHost().formatBuffer.c_str();
}

} // namespace

void registerDisplayServices(Records &r)
{
    putService(r, Svc::DrawFigure, slot(&DrawFigure));
    putService(r, Svc::DrawFiguresFrom, slot(&DrawFiguresFrom));
    putService(r, Svc::DrawXorLine, slot(&DrawXorLine));
    putService(r, Svc::ClearHighlight, slot(&ClearHighlight));
    putService(r, Svc::ClearMarks, slot(&ClearMarks));
    putService(r, Svc::BeginProgress, slot(&BeginProgress));
    putService(r, Svc::EndProgress, slot(&EndProgress));
    putService(r, Svc::SetProgressPause, slot(&SetProgressPause));
    putService(r, Svc::ShowStatusText, slot(&ShowStatusText));
    putService(r, Svc::FormatNumber, slot(&FormatNumber));
}

} // namespace host
