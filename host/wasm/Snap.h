/*
 * Snap.h - object snaps for the page's point requests: the point of a
 * figure of the host's drawing nearest to the cursor of the kinds asked
 * (end, middle, centre, nearest, intersection).  It reads the figure
 * tables the module works on, so what the page snaps to is exactly what
 * the commands will see; a snapped point is a stored coordinate (or one
 * computed from stored ones), given to the session as it is.
 */
#pragma once

#include "host/records/Figures.h"

#include <optional>
#include <string>

namespace host {

enum SnapKind : int {
    SnapEnd = 1,
    SnapMiddle = 2,
    SnapCentre = 4,
    SnapNearest = 8,
    SnapIntersection = 16,
};

struct SnapHit {
    int kind = 0;   /* one SnapKind */
    double x = 0, y = 0;
    int index = -1; /* the figure's first entry (the first of two for an intersection) */
    int other = -1; /* the second figure of an intersection */
};

/* The snap for the cursor (x, y) within `aperture` drawing units among the
   `kinds` (a SnapKind mask), figures before the drawing's end marker only;
   none when nothing of those kinds is near. */
std::optional<SnapHit> findSnap(const FigureTable &fig, int end, double x, double y, double aperture, int kinds);

const char *snapKindName(int kind);

} // namespace host
