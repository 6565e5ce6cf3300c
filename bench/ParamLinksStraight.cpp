// ParamLinksStraight.cpp - the stretch's linked-text pass done the
// straightforward way, for param_bench_straight: in the order of the work
// area, every linked text looks at every entry of the work area (asking its
// kind first) to tally its lines, and every linked line looks at every
// figure below N for its texts.  The rule is that of
// parametric/ParamLinks.cpp, so both write the same figures and take the
// texts below N off the display in the same order; only the time differs.
// This copy is never shipped, so it keeps the work-area amounts for after
// the stretch in a vector.
#include "parametric/Param.h"

#include <vector>

namespace {

int32_t wx1, wy1, wx2, wy2;
int64_t ix, iy, hx, hy;

struct Held {
    int32_t index;
    int64_t x, y; // taken off after the stretch
};
std::vector<Held> held;

int32_t saturated(int64_t v) { return v > 2147483647 ? 2147483647 : v < -2147483647 - 1 ? -2147483647 - 1 : (int32_t)v; }

DrawingTables *tables() { return gHostState->tables; }
int32_t linkOf(int32_t i) { return tables()->figureAttr[i] >> 16; }
int32_t kindOf(int32_t i) { return gHostServices->GetFigureKind(FrameFigureType(i)); }
int32_t centred(int32_t i)
{
    int32_t o = gHostServices->GetTextOrigin(tables()->figureY2[i + 1]);
    return o == 1 || o == 5 || o == 9;
}
int32_t endsInside(int32_t i)
{
    DrawingTables *t = tables();
    return 2 - ParamPointOutside(wx1, wy1, wx2, wy2, t->figureX1[i], t->figureY1[i]) -
           ParamPointOutside(wx1, wy1, wx2, wy2, t->figureX2[i], t->figureY2[i]);
}

void tallyText(int32_t i, int32_t link, int32_t n, int32_t m)
{
    int64_t lines = 0, offX = 0, offY = 0;
    for (int32_t j = n + 1; j < m; ++j) {
        if (kindOf(j) != 2 || linkOf(j) != link)
            continue;
        ++lines;
        int32_t inside = endsInside(j);
        if (inside < 2 && centred(i)) {
            offX += inside == 0 ? ix : hx;
            offY += inside == 0 ? iy : hy;
        }
    }
    if (lines == 0) {
        offX = ix;
        offY = iy;
    }
    if (offX != 0 || offY != 0)
        held.push_back({i, offX, offY});
}

void moveOutsideTexts(int32_t i, int32_t link, int32_t n)
{
    int32_t inside = endsInside(i);
    int64_t mx = inside == 2 ? ix : inside == 1 ? hx : 0, my = inside == 2 ? iy : inside == 1 ? hy : 0;
    for (int32_t j = 0; j < n; ++j) {
        if (linkOf(j) != link)
            continue;
        int32_t k = kindOf(j);
        if ((k != 5 && k != 6) || !centred(j))
            continue;
        gHostState->drawIndex = j;
        gHostState->drawMode = 2;
        gHostState->drawFlag = 0;
        gHostServices->DrawFigure();
        tables()->figureX1[j] = saturated((int64_t)tables()->figureX1[j] + mx);
        tables()->figureY1[j] = saturated((int64_t)tables()->figureY1[j] + my);
    }
}

} // namespace

void ParamLinksBeforeStretch(double dx, double dy)
{
    HostState *st = gHostState;
    int32_t n = st->selFirst, m = st->selEnd;
    wx1 = FrameTruncate(st->rangeX1);
    wx2 = FrameTruncate(st->rangeX2);
    wy1 = FrameTruncate(st->rangeY1);
    wy2 = FrameTruncate(st->rangeY2);
    ix = FrameTruncate(dx);
    iy = FrameTruncate(dy);
    hx = ix / 2;
    hy = iy / 2;
    held.clear();
    for (int32_t i = n + 1; i < m; ++i) {
        int32_t link = linkOf(i);
        if (link <= 0)
            continue;
        int32_t k = kindOf(i);
        if (k == 5)
            tallyText(i, link, n, m);
        else if (k == 2)
            moveOutsideTexts(i, link, n);
    }
}

void ParamLinksAfterStretch(void)
{
    for (const Held &t : held) {
        tables()->figureX1[t.index] = saturated(tables()->figureX1[t.index] - t.x);
        tables()->figureY1[t.index] = saturated(tables()->figureY1[t.index] - t.y);
    }
    held.clear();
}
