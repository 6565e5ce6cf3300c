// param_links_test.cpp - the stretch's linked-text pass against a model of
// its rule written here: random drawings of linked lines and labels, every
// label's end position and the order in which the labels outside the window
// are taken off the display, with the pass's slots at full size and lowered
// so far that it must work in batches or line by line.
#include "parametric/Param.h"
#include "host/services/Services.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using testing_support::play;
using testing_support::traceLines;

namespace {

// Window (0,0)-(1000,1000); the move is a whole number of units, so that the
// host's stretch moves by exactly that much.
enum class Place { Inside, Crossing, Through, Away }; // of a line: end points inside 2, 1, 0; not collected

struct ModelLine {
    int index, link;
    Place place;
};

struct ModelText {
    int index, link, x, y, kind, origin;
    bool collected;
    std::string name;
};

struct Model {
    std::string drawing;
    std::vector<ModelLine> lines;
    std::vector<ModelText> texts;
    int entries = 0;
};

Model randomDrawing(std::mt19937 &rng, int figures)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int origins[] = {0, 1, 2, 4, 5, 6, 9, 10};
    Model m;
    for (int f = 0; f < figures; ++f) {
        int link = pick(-1, 6);
        std::string tail = link ? " link=" + std::to_string(link) + "\n" : "\n";
        if (pick(0, 1)) {
            Place p = static_cast<Place>(pick(0, 3));
            int y = pick(100, 900), x = pick(100, 900);
            std::string l = p == Place::Inside     ? std::to_string(x) + " " + std::to_string(y) + " " +
                                                         std::to_string(pick(100, 900)) + " " + std::to_string(pick(100, 900))
                            : p == Place::Crossing ? std::to_string(x) + " " + std::to_string(y) + " " +
                                                         std::to_string(pick(1200, 1500)) + " " + std::to_string(pick(-300, 1300))
                            : p == Place::Through  ? "-500 " + std::to_string(y) + " 1500 " + std::to_string(pick(100, 900))
                                                   : "-900 " + std::to_string(y) + " -600 " + std::to_string(y);
            m.drawing += "line " + l + tail;
            m.lines.push_back({m.entries, link, p});
            m.entries += 1;
        } else {
            bool in = pick(0, 1);
            ModelText t{m.entries, link, in ? pick(100, 900) : pick(2000, 3000), pick(100, 900), pick(5, 6),
                        origins[pick(0, 7)], in, "t" + std::to_string(f)};
            m.drawing += "text " + std::to_string(t.x) + " " + std::to_string(t.y) + " \"" + t.name +
                         "\" origin=" + std::to_string(t.origin) + " kind=" + std::to_string(t.kind) + tail;
            m.texts.push_back(t);
            m.entries += 2;
        }
    }
    return m;
}

bool centred(int origin) { return origin == 1 || origin == 5 || origin == 9; }

// Where each text ends, by name, and the texts below N taken off the display,
// in order, for a move by (dx, dy): the rule as the command states it.
void expected(const Model &m, int dx, int dy, std::map<std::string, std::pair<int, int>> &at, std::vector<int> &drawn)
{
    int hx = dx / 2, hy = dy / 2;
    for (const ModelText &t : m.texts) {
        int x = t.x, y = t.y;
        std::vector<const ModelLine *> mine;
        for (const ModelLine &l : m.lines)
            if (l.place != Place::Away && t.link > 0 && l.link == t.link)
                mine.push_back(&l);
        if (t.collected) {
            x += dx; // the host's stretch
            y += dy;
            if (t.kind == 5 && t.link > 0) {
                if (mine.empty()) {
                    x -= dx;
                    y -= dy;
                }
                for (const ModelLine *l : mine)
                    if (centred(t.origin) && l->place != Place::Inside) {
                        x -= l->place == Place::Through ? dx : hx;
                        y -= l->place == Place::Through ? dy : hy;
                    }
            }
        } else if (t.link > 0 && centred(t.origin)) {
            for (const ModelLine *l : mine) {
                x += l->place == Place::Inside ? dx : l->place == Place::Crossing ? hx : 0;
                y += l->place == Place::Inside ? dy : l->place == Place::Crossing ? hy : 0;
            }
        }
        at[t.name] = {x, y};
    }
    for (const ModelLine &l : m.lines)
        if (l.place != Place::Away && l.link > 0)
            for (const ModelText &t : m.texts)
                if (!t.collected && t.link == l.link && centred(t.origin))
                    drawn.push_back(t.index);
}

} // namespace

TEST(ParamLinkPass, MatchesTheRuleInBatchesAndLineByLine)
{
    std::mt19937 rng(92);
    const int rooms[] = {PARAM_TEXT_SLOTS, 7, 1, 0};
    for (int round = 0; round < 12; ++round) {
        Model m = randomDrawing(rng, 60 + 10 * round);
        int dx = round % 2 ? 100 : -37, dy = round % 3 ? 60 : -41;
        std::map<std::string, std::pair<int, int>> want;
        std::vector<int> wantDrawn;
        expected(m, dx, dy, want, wantDrawn);
        for (int room : rooms) {
            paramTextRoom = room;
            auto h = play("run VeC92\npanel choose \"リンクを更新する\"\npanel ok\npoint 0 0\npoint 1000 1000\n"
                          "point 0 0\npoint " + std::to_string(dx) + " " + std::to_string(dy) + "\n",
                          m.drawing);
            paramTextRoom = PARAM_TEXT_SLOTS;
            std::string where = "round " + std::to_string(round) + ", room " + std::to_string(room);
            int misplaced = 0;
            for (int i = 0; i < h->fig.drawingEnd(); ++i) {
                if (h->fig.kindAt(i) != 5 && h->fig.kindAt(i) != 6)
                    continue;
                host::Figure f = h->fig.read(i);
                std::pair<int, int> w = want.at(f.text);
                if (f.x1 != w.first || f.y1 != w.second)
                    ADD_FAILURE() << where << ": " << f.text << " at " << f.x1 << " " << f.y1 << ", not " << w.first
                                  << " " << w.second << (++misplaced > 5 ? " (and maybe more)" : "");
                if (misplaced > 5)
                    break;
            }
            std::vector<int> drawn;
            for (const std::string &l : traceLines(*h, "DrawFigure drawIndex="))
                drawn.push_back(std::stoi(l.substr(l.find('=') + 1)));
            EXPECT_EQ(drawn, wantDrawn) << where;
            // The pass is linear: a few host calls per figure, not one per pair.
            if (room == PARAM_TEXT_SLOTS)
                EXPECT_LE(traceLines(*h, "GetFigureKind").size() + traceLines(*h, "GetTextOrigin").size(),
                          static_cast<size_t>(6 * m.entries))
                    << where;
        }
    }
}

TEST(ParamLinkPass, SlotsBoundEachBatchAndARoomBelowZeroIsNone)
{
    // Three collected lines whose link numbers carry 2, 1 and 2 centred
    // texts outside the window.  Every look through the figures below N asks
    // each of the five following texts for its origin once: the tally before
    // the pass is one look, each batch one more; a line whose texts alone
    // exceed the slots asks only for its own.  So the slots decide the number
    // of origin requests, never where the texts end or the order in which
    // they leave the display.
    const std::string drawing = "line 100 100 200 100 link=1\nline 100 200 200 200 link=2\nline 100 300 200 300 link=3\n"
                                "text 2000 100 \"a1\" origin=5 link=1\ntext 2000 150 \"a2\" origin=9 link=1\n"
                                "text 2000 200 \"b\" origin=1 link=2\ntext 2000 300 \"c1\" origin=5 link=3\n"
                                "text 2000 350 \"c2\" origin=5 link=3\n";
    const std::pair<int, size_t> rooms[] = {
        {PARAM_TEXT_SLOTS, 5 + 5},  // one batch
        {3, 5 + 2 * 5},             // lines 1 and 2, then line 3
        {2, 5 + 3 * 5},             // one line per batch
        {1, 5 + 2 + 5 + 2},         // line 1 alone, line 2 in a batch, line 3 alone
        {0, 5 + 2 + 1 + 2},         // every line alone
        {-1, 5 + 2 + 1 + 2},        // below zero: no slots, as 0
        {-2147483647 - 1, 5 + 2 + 1 + 2}};
    const char *names[] = {"a1", "a2", "b", "c1", "c2"};
    const int ys[] = {100, 150, 200, 300, 350};
    for (const auto &room : rooms) {
        paramTextRoom = room.first;
        auto h = play("run VeC92\npanel choose \"リンクを更新する\"\npanel ok\npoint 0 0\npoint 1000 1000\n"
                      "point 0 0\npoint 30 40\n",
                      drawing);
        paramTextRoom = PARAM_TEXT_SLOTS;
        std::string where = "room " + std::to_string(room.first);
        EXPECT_EQ(traceLines(*h, "GetTextOrigin").size(), room.second) << where;
        std::vector<std::string> drawn;
        for (const std::string &l : traceLines(*h, "DrawFigure drawIndex="))
            drawn.push_back(h->fig.read(std::stoi(l.substr(l.find('=') + 1))).text);
        EXPECT_EQ(drawn, std::vector<std::string>(names, names + 5)) << where; // line by line
        std::map<std::string, std::pair<int, int>> at;
        for (int i = 0; i < h->fig.drawingEnd(); ++i)
            if (h->fig.kindAt(i) == 5)
                at[h->fig.read(i).text] = {h->fig.read(i).x1, h->fig.read(i).y1};
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(at[names[k]], std::make_pair(2030, ys[k] + 40)) << where << " " << names[k];
    }
}

// The pass's tallies are told apart from those of earlier passes by a pass
// number that wraps only after 2^32 passes.  To reach the wrap, the test
// compiles the pass's source a second time into a namespace of its own,
// whose counter it can set; the copy works on the same host state.
namespace wrapped_pass {
#include "parametric/ParamLinks.cpp"
} // namespace wrapped_pass

TEST(ParamLinkPass, TalliesOfThePassBeforeTheCounterWrappedAreStale)
{
    // A line of link 1 at 0, a centred text of link 1 at 1-2.
    auto h = play("", "line 100 100 200 100 link=1\ntext 150 100 \"t\" origin=5 link=1\n");
    HostState *st = gHostState;
    st->rangeX1 = 0, st->rangeY1 = 0, st->rangeX2 = 1000, st->rangeY2 = 1000;
    // The last pass before the wrap collects the line: link 1 has a line.
    wrapped_pass::linkPass = 0xFFFFFFFEu;
    st->selFirst = -1, st->selEnd = 1;
    wrapped_pass::ParamLinksBeforeStretch(30, 40);
    wrapped_pass::ParamLinksAfterStretch();
    EXPECT_EQ(wrapped_pass::links[1].lines, 1);
    // The first pass after it collects only the text: no line of its link
    // was collected in this pass, so the whole move is taken off what the
    // stretch (left out here) would add.
    st->selFirst = 0, st->selEnd = 3;
    wrapped_pass::ParamLinksBeforeStretch(30, 40);
    wrapped_pass::ParamLinksAfterStretch();
    EXPECT_EQ(h->fig.read(1).x1, 120);
    EXPECT_EQ(h->fig.read(1).y1, 60);
}
