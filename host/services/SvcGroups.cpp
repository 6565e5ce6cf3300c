/*
 * SvcGroups.cpp - groups and links of figures.  A figure's group number is
 * the figureW word of its first entry; its link number the high half of
 * figureAttr (host/records/Figures.h).
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

#include <algorithm>

namespace host {

namespace {

void checkTables(const char *service, const void *tables)
{
    if (tables != runningHost().rec.tables())
        runningHost().fail(kExitModuleFault, std::string(service) + ": the tables argument is not the host's drawing tables");
}

/* groupNumber to every figure from groupFirst up to the next end marker. */
void HOST_STDCALL AssignGroup()
{
    ServiceCall c(Svc::AssignGroup);
    Records &r = runningHost().rec;
    int32_t first = r.i32(StateField::groupFirst), group = r.i32(StateField::groupNumber);
    TraceLine(runningHost().trace, "AssignGroup").field("groupFirst", first).field("groupArgA", r.i32(StateField::groupArgA))
        .field("groupArgB", r.i32(StateField::groupArgB)).field("groupArgC", r.i32(StateField::groupArgC)).field("groupNumber", group);
    requireIndex("AssignGroup", "groupFirst", first);
    for (int i : figuresFrom(first))
        r.at(ArrW, i) = group;
}

/* `wanted` when it is above 0 and no figure of the drawing uses it, else one
   more than the largest group number in use. */
int32_t HOST_STDCALL NewGroupNumber(int32_t wanted)
{
    ServiceCall c(Svc::NewGroupNumber);
    Host &h = runningHost();
    int32_t largest = 0;
    bool used = false;
    for (int i : figuresFrom(0)) {
        int32_t g = h.rec.at(ArrW, i);
        largest = std::max(largest, g);
        used = used || g == wanted;
    }
    int32_t g = wanted > 0 && !used ? wanted : (largest < INT32_MAX ? largest + 1 : largest);
    TraceLine(h.trace, "NewGroupNumber").arg(wanted).resultInt(g);
    return g;
}

/* Group 0 for every figure from `first` up to the next end marker. */
void HOST_STDCALL UngroupRange(int32_t first)
{
    ServiceCall c(Svc::UngroupRange);
    TraceLine(runningHost().trace, "UngroupRange").arg(first);
    requireIndex("UngroupRange", "first", first);
    for (int i : figuresFrom(first))
        runningHost().rec.at(ArrW, i) = 0;
}

void HOST_STDCALL FinishGroup(void *tables, int32_t first)
{
    ServiceCall c(Svc::FinishGroup);
    checkTables("FinishGroup", tables);
    TraceLine(runningHost().trace, "FinishGroup").argPtr(tables).arg(first);
}

/* Redraws the figures below `first` that share a link number above 0 with
   a figure of first..last: a command that moved a linked figure outside its
   range took it off the display first (the stretch's linked texts).  The
   link numbers of the range are marked in a table of all 32,768, so that
   the time grows with the drawing, not with the drawing times the range. */
void redrawLinkedBelow(int32_t first, int32_t last)
{
    Host &h = runningHost();
    auto linkAt = [&](int i) { return h.rec.at(ArrAttr, i) >> 16; };
    std::vector<bool> inRange(32768, false);
    for (int i = std::max(first, 0); i <= last && i < h.rec.capacity(); ++i)
        if (h.fig.isFigureStart(i) && linkAt(i) > 0)
            inRange[static_cast<size_t>(linkAt(i))] = true;
    for (int i = 0; i < first && i < h.rec.capacity(); ++i)
        if (h.fig.isFigureStart(i) && linkAt(i) > 0 && inRange[static_cast<size_t>(linkAt(i))])
            for (int k = 0; k < entriesOfKind(h.fig.kindAt(i)); ++k)
                h.fig.setDisplay(i + k, Display::Drawn);
}

/* The reference host keeps every link as it is; with `confirm` non-zero it
   first asks the user, as a message answered like ShowMessage's (either
   answer keeps them).  Then it redraws the figures linked to the range that
   lie below it. */
void HOST_STDCALL UpdateLinks(void *tables, int32_t first, int32_t last, int32_t mode, int32_t confirm)
{
    ServiceCall c(Svc::UpdateLinks);
    Host &h = runningHost();
    checkTables("UpdateLinks", tables);
    TraceLine(h.trace, "UpdateLinks").argPtr(tables).arg(first).arg(last).arg(mode).arg(confirm);
    requireIndex("UpdateLinks", "first", first);
    if (confirm != 0) {
        h.messages.push_back("リンクを更新しますか？");
        std::optional<ScriptLine> l = h.player.answer(h.ask(Request::Message, h.messages.back()));
        h.traceAnswer(l ? l->source : "cancel (the command's lines ran out)");
    }
    redrawLinkedBelow(first, last);
}

void HOST_STDCALL UpdateLinkedFigures()
{
    ServiceCall c(Svc::UpdateLinkedFigures);
    TraceLine(runningHost().trace, "UpdateLinkedFigures").field("linkRefresh", runningHost().rec.i32(StateField::linkRefresh));
}

} // namespace

void registerGroupServices(Records &r)
{
    putService(r, Svc::AssignGroup, slot(&AssignGroup));
    putService(r, Svc::NewGroupNumber, slot(&NewGroupNumber));
    putService(r, Svc::UngroupRange, slot(&UngroupRange));
    putService(r, Svc::FinishGroup, slot(&FinishGroup));
    putService(r, Svc::UpdateLinks, slot(&UpdateLinks));
    putService(r, Svc::UpdateLinkedFigures, slot(&UpdateLinkedFigures));
}

} // namespace host
