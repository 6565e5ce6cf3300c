// param_test.cpp - the stretch command VeC92: linked-text compensation,
// move range checks, distance settings, cancel paths and the drag preview.
#include "parametric/Param.h"
#include "host/services/Services.h"
#include "host/Svg.h"
#include "host/text/Text.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using host::StateField;
using testing_support::play;
using testing_support::traceLine;
using testing_support::traceLines;

namespace {

const char *const kLinkUpdate = "run VeC92\npanel choose \"リンクを更新する\"\npanel ok\n";

// The text called `t` in the drawing (up to its first end marker).
host::Figure textNamed(const host::Host &h, const std::string &t)
{
    for (int i = 0; i < h.fig.drawingEnd(); ++i)
        if ((h.fig.kindAt(i) == 5 || h.fig.kindAt(i) == 6) && h.fig.read(i).text == t)
            return h.fig.read(i);
    ADD_FAILURE() << "no text " << t;
    return host::Figure();
}

#define EXPECT_AT(h, name, x, y)                                                 \
    do {                                                                         \
        host::Figure f_ = textNamed(*(h), name);                                  \
        EXPECT_EQ(f_.x1, (x)) << name;                                            \
        EXPECT_EQ(f_.y1, (y)) << name;                                            \
    } while (0)

// The host calls made inside each USSR call, one list per call.
std::vector<std::vector<std::string>> ussrCalls(const host::Host &h)
{
    std::vector<std::vector<std::string>> out;
    bool inside = false;
    for (const std::string &l : h.trace.lines()) {
        std::string s = l.substr(l.find_first_not_of(' '));
        if (s == "USSR") {
            out.emplace_back();
            inside = true;
        } else if (s.rfind("USSR -> ", 0) == 0) {
            inside = false;
        } else if (inside) {
            out.back().push_back(s);
        }
    }
    return out;
}

bool hasCall(const std::vector<std::string> &calls, const std::string &prefix)
{
    for (const std::string &c : calls)
        if (c.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// A host with the drawing and session loaded but not yet played, so that a
// test can put a spy into a service slot first.
std::unique_ptr<host::Host> prepare(const std::string &script, const std::string &drawing)
{
    auto h = std::make_unique<host::Host>(host::nativeModule());
    h->loadDrawing(drawing, "drawing");
    h->loadScript(script, "session");
    return h;
}

// GetPoint spy: notes the prompt and the type of entry selFirst at each
// request and, like a host that calls the hook at any time, calls USSR first.
void(HOST_STDCALL *realGetPoint)();
std::vector<std::pair<std::string, int32_t>> getPointSeen;
void HOST_STDCALL spyGetPoint()
{
    host::Host &h = *host::gHost;
    getPointSeen.emplace_back(host::cp932ToUtf8(h.rec.text(StateField::promptText)), h.fig.type(h.rec.i32(StateField::selFirst)));
    h.rec.put(StateField::previewUpdate, 1);
    h.callUssr();
    realGetPoint();
}

void installGetPointSpy(host::Host &h)
{
    uint32_t *slots = static_cast<uint32_t *>(h.rec.services());
    realGetPoint = reinterpret_cast<void(HOST_STDCALL *)()>(slots[0x2A8 / 4]);
    h.rec.putSlot(0x2A8, reinterpret_cast<void *>(&spyGetPoint));
    getPointSeen.clear();
}

// Window (0,0)-(1000,1000), moved by (100, 40): hx = 50, hy = 20.
const char *const kTable = "line 100 100 900 100 link=1\n"      // wholly inside
                           "text 500 150 \"whole\" origin=5 link=1\n"
                           "line 500 500 1500 500 link=2\n"     // crosses the border
                           "text 600 550 \"half\" origin=5 link=2\n"
                           "text 600 450 \"full\" origin=2 link=2\n"
                           "text 700 600 \"half9\" origin=9 link=2\n"
                           "line -500 300 -100 300 link=3\n"    // not collected
                           "text 300 300 \"stay\" origin=5 link=3\n"
                           "line 200 800 1200 800 link=4\n"     // two crossing lines
                           "line 200 900 1300 900 link=4\n"
                           "text 400 850 \"twice\" origin=5 link=4\n"
                           "line 0 700 1000 700 link=6\n"       // ends on the border
                           "text 500 720 \"border\" origin=5 link=6\n"
                           "text 2000 2000 \"out5\" origin=5 link=2\n"
                           "text 2000 2200 \"out0\" origin=0 link=2\n"
                           "text 2000 2400 \"out1\" origin=1 link=2 kind=6\n"
                           "line 3000 3000 3100 3000 link=2\n"  // a linked line below N ...
                           "line 3000 3100 3100 5\n";           // ... whose next entry reads as origin 5
const char *const kTableMove = "point 0 0\npoint 1000 1000\npoint 0 0\npoint 100 40\n";

} // namespace

TEST(ParamCompensation, FollowsTheTableInLinkUpdateModeOnly)
{
    auto h = play(std::string(kLinkUpdate) + kTableMove, kTable);
    EXPECT_AT(h, "whole", 600, 190);  // line wholly inside: with it
    EXPECT_AT(h, "half", 650, 570);   // crossing line, origin 5: half
    EXPECT_AT(h, "half9", 750, 620);  // origin 9 too
    EXPECT_AT(h, "full", 700, 490);   // origin 2: full
    EXPECT_AT(h, "stay", 300, 300);   // its line was not collected
    EXPECT_AT(h, "twice", 400, 850);  // two crossing lines: 100 - 2 * 50
    EXPECT_AT(h, "border", 600, 760); // an end on the border is inside
    EXPECT_AT(h, "out5", 2050, 2020); // below N, centred: half, added directly
    EXPECT_AT(h, "out1", 2050, 2420); // the second text kind as well
    EXPECT_AT(h, "out0", 2000, 2200);
    // Only texts below N are compensated: the linked line stays put.
    EXPECT_NE(host::figureList(h->fig).find(" line 3000 3000 3100 3000 "), std::string::npos);
    EXPECT_EQ(traceLines(*h, "DrawFigure drawIndex=").size(), 2u);
    int32_t n = h->rec.i32(StateField::selFirst), m = h->rec.i32(StateField::selEnd);
    ASSERT_EQ(traceLines(*h, "UpdateLinks").size(), 1u);
    EXPECT_EQ(traceLine(*h, "UpdateLinks", 0),
              "UpdateLinks & " + std::to_string(n + 1) + " " + std::to_string(m - 1) + " 1 0");
    EXPECT_EQ(h->rec.i32(StateField::drawingModified), 1);
    EXPECT_EQ(h->fig.type(n), 0);
    // The host's UpdateLinks draws again the texts below N taken off the display.
    for (int i = 0; i < n; ++i)
        if (h->fig.isFigureStart(i))
            EXPECT_EQ(h->fig.display(i), host::Display::Drawn) << host::figureLine(h->fig, i);

    auto plain = play("run VeC92\npanel ok\n" + std::string(kTableMove), kTable);
    EXPECT_AT(plain, "half", 700, 590);
    EXPECT_AT(plain, "stay", 400, 340);
    EXPECT_AT(plain, "twice", 500, 890);
    EXPECT_AT(plain, "out5", 2000, 2000);
    EXPECT_TRUE(traceLines(*plain, "UpdateLinks").empty());
    EXPECT_TRUE(traceLines(*plain, "GetFigureKind").empty());
}

TEST(ParamCompensation, TruncatesTheDisplacementTowardZero)
{
    const char *drawing = "line 0 50 200 50 link=8\n"
                          "text 50 60 \"h\" origin=5 link=8\n"
                          "text 50 40 \"n\" origin=5 link=9\n"
                          "line 300 300 400 300 link=9\n"
                          "text 500 500 \"o\" origin=5 link=8\n";
    for (double dx : {7.9, -7.9}) {
        auto h = play(std::string(kLinkUpdate) + "point 0 0\npoint 100 100\npoint 0 0\npoint " +
                          host::formatDouble(dx) + " 0\n", drawing);
        bool right = dx > 0; // ix = +-7, hx = +-3, the stretch by +-7.9 rounded
        EXPECT_AT(h, "h", right ? 55 : 45, 60);
        EXPECT_AT(h, "n", right ? 51 : 49, 40);
        EXPECT_AT(h, "o", right ? 503 : 497, 500);
        EXPECT_NE(traceLine(*h, "StretchFigures", 0).find(right ? "argBx=7.9 " : "argBx=-7.9 "), std::string::npos);
    }
}

TEST(ParamCompensation, TextsNearTheBorderAreStretchedAtTheirOwnPosition)
{
    // Taking 100 (or 200) off first would carry these texts out of the
    // window, where the stretch would no longer move them.
    auto h = play(std::string(kLinkUpdate) + "point 450 -100\npoint 1100 100\npoint 0 0\npoint 200 0\n",
                  "line 0 0 1000 0 link=1\ntext 500 20 \"mid\" origin=5 link=1\n"
                  "text 460 -20 \"free\" origin=5 link=7\nline -900 -900 -800 -900 link=7\n");
    EXPECT_AT(h, "mid", 600, 20);   // half of 200
    EXPECT_AT(h, "free", 460, -20); // its line was not collected
}

TEST(ParamCompensation, EveryTextNearTheBorderIsHandledHoweverMany)
{
    // Window x 0..1000, moved 200 to the right (hx = 100).  Taking the
    // compensation off first would carry each of these texts out over the
    // left border: 300 centred labels of a crossing line must end 100 to the
    // right, then 60 texts whose line was not collected must stay.
    std::string drawing = "line 500 0 1500 0 link=1\nline -900 -900 -800 -900 link=2\n";
    for (int k = 0; k < 360; ++k)
        drawing += "text " + std::to_string(10 + k % 80) + " " + std::to_string(1 + k) + " \"t" + std::to_string(k) +
                   "\" origin=5 link=" + (k < 300 ? "1" : "2") + "\n";
    auto h = play(std::string(kLinkUpdate) + "point 0 -10\npoint 1000 400\npoint 0 0\npoint 200 0\n", drawing);
    std::vector<std::string> misplaced;
    for (int k = 0; k < 360; ++k) {
        host::Figure f = textNamed(*h, "t" + std::to_string(k));
        if (f.x1 != 10 + k % 80 + (k < 300 ? 100 : 0) || f.y1 != 1 + k)
            misplaced.push_back(f.text + " at " + std::to_string(f.x1));
    }
    EXPECT_EQ(misplaced, std::vector<std::string>());
}

TEST(ParamCompensation, ALabelFollowsTheMiddleOfItsLine)
{
    // Window (0,0)-(1000,1000) moved by (100, 40): a line's middle moves not
    // at all (both end points outside), by half (50, 20: one inside) or fully
    // (both inside), and its centred labels with it, in the window or not.
    const char *drawing = "line -500 500 1500 500 link=1\n"   // passes through: unchanged
                          "text 300 520 \"through\" origin=5 link=1\n"
                          "text 2000 520 \"through-out\" origin=5 link=1\n"
                          "text 300 480 \"through-6\" origin=5 kind=6 link=1\n" // kind 6: only stretched
                          "line 100 100 900 100 link=2\n"     // wholly inside: moves whole
                          "text 500 150 \"inside\" origin=5 link=2\n"
                          "text 2000 100 \"inside-out\" origin=1 link=2\n"
                          "text 2000 150 \"inside-out0\" origin=0 link=2\n" // not centred: stays
                          "line 500 300 1500 300 link=3\n"    // one end inside: half
                          "text 600 320 \"half\" origin=5 link=3\n"
                          "text 2000 300 \"half-out\" origin=9 link=3\n"
                          "line 100 700 900 700 link=4\n"     // two lines: once per line
                          "line 500 800 1500 800 link=4\n"
                          "text 400 750 \"two\" origin=5 link=4\n"
                          "text 2000 800 \"two-out\" origin=5 link=4\n"
                          "line -500 950 -100 950 link=5\n"   // not collected
                          "text 2000 950 \"none-out\" origin=5 link=5\n";
    auto h = play(std::string(kLinkUpdate) + "point 0 0\npoint 1000 1000\npoint 0 0\npoint 100 40\n", drawing);
    EXPECT_AT(h, "through", 300, 520);
    EXPECT_AT(h, "through-out", 2000, 520);
    EXPECT_AT(h, "through-6", 400, 520);
    EXPECT_AT(h, "inside", 600, 190);
    EXPECT_AT(h, "inside-out", 2100, 140);
    EXPECT_AT(h, "inside-out0", 2000, 150);
    EXPECT_AT(h, "half", 650, 340);
    EXPECT_AT(h, "half-out", 2050, 320);
    EXPECT_AT(h, "two", 450, 770);      // 100 - 0 - 50, 40 - 0 - 20
    EXPECT_AT(h, "two-out", 2150, 860); // 100 + 50, 40 + 20
    EXPECT_AT(h, "none-out", 2000, 950);
    EXPECT_NE(host::figureList(h->fig).find(" line -500 500 1500 500 "), std::string::npos);
    // Every text below N that carries a collected line's link number and is
    // centred is taken off the display once per such line, before it moves.
    std::vector<std::string> drawn = traceLines(*h, "DrawFigure drawIndex=");
    EXPECT_EQ(drawn.size(), 5u);
    for (const std::string &l : drawn)
        EXPECT_NE(l.find(" drawMode=2 drawFlag=0"), std::string::npos) << l;
}

TEST(ParamMove, RefusesMovesThatLeaveTheCoordinateRange)
{
    // rangeX2 = 2147483000: +647 reaches the limit, +648 passes it; rangeY1 =
    // -2147483000: -649 passes the lower limit.
    auto h = play("run VeC92\npanel ok\npoint 2147482000 -2147483000\npoint 2147483000 200\npoint 0 0\n"
                  "point 648 0\npoint 0 -649\npoint 647 -648\n",
                  "line 2147483000 0 2147483000 100\n");
    EXPECT_EQ(h->signalErrors, 2);
    EXPECT_EQ(traceLines(*h, "GetPoint promptText=\"移動 終点\"").size(), 3u);
    EXPECT_NE(host::figureList(h->fig).find(" line 2147483647 -648 2147483647 -548 "), std::string::npos);

    // A displacement the host cannot store in 32 bits (or none at all) is
    // refused although its clamped encoding would fit.
    const char *left = "line -2147483600 10 -2147483000 10\n";
    auto far = play("run VeC92\npanel ok\npoint -2147483648 0\npoint -2147483000 100\npoint 0 0\n"
                    "point 4000000000 0\npoint nan 0\n", left);
    EXPECT_EQ(far->signalErrors, 2);
    EXPECT_EQ(far->rec.i32(StateField::drawingModified), 0);
    EXPECT_NE(host::figureList(far->fig).find(" line -2147483600 10 -2147483000 10 "), std::string::npos);

    // A displacement exactly one unit beyond the 32-bit distances (its
    // encoding is clamped one unit short) is refused, up and down; the
    // largest one is taken.  The window lies at the far end of the range so
    // that the clamped move would keep it inside.
    auto up = play("run VeC92\npanel ok\npoint -10 -2147483648\npoint 100 -2147483000\npoint 0 0\n"
                   "point 0 2147483648\npoint 0 2147483647\n",
                   "line 0 -2147483600 10 -2147483600\n");
    EXPECT_EQ(up->signalErrors, 1);
    EXPECT_EQ(traceLines(*up, "GetPoint promptText=\"移動 終点\"").size(), 2u);
    EXPECT_NE(host::figureList(up->fig).find(" line 0 47 10 47 "), std::string::npos) << host::figureList(up->fig);
    auto down = play("run VeC92\npanel ok\npoint -10 2147483000\npoint 100 2147483647\npoint 0 0\n"
                     "point 0 -2147483649\npoint 0 -2147483648\n",
                     "line 0 2147483600 10 2147483600\n");
    EXPECT_EQ(down->signalErrors, 1);
    EXPECT_NE(host::figureList(down->fig).find(" line 0 -48 10 -48 "), std::string::npos) << host::figureList(down->fig);

    // A compensation beyond the range stops at its end.
    auto edge = play(std::string(kLinkUpdate) + "point 0 0\npoint 100 100\npoint 0 0\npoint 2000 0\n",
                     "line 0 10 200 10 link=5\ntext 2147483000 50 \"edge\" origin=5 link=5\n");
    EXPECT_AT(edge, "edge", 2147483647, 50);
}

TEST(ParamSettings, ReadsSafelyAndOffersTheDistanceToThreeCommands)
{
    auto h = play("setting VeC92 c92_drag_sw nan\nsetting VeC92 c251_mode 1e12\nsetting VeC92 c251_kakunin -7.9\n"
                  "set unitFactor 0.5\nrun VeC92\npanel ok\npoint 0 0\npoint 100 100\npoint 0 0\npoint 10.4 -3\n",
                  "line 10 10 20 20\n");
    const char *keys[6][2] = {{"C72", "c72_DistX-0"}, {"C72", "c72_DistY-0"}, {"C75", "c75_DistanceX-0"},
                              {"C75", "c75_DistanceY-0"}, {"C80", "c80_DistX-0"}, {"C80", "c80_DistY-0"}};
    std::vector<std::string> writes = traceLines(*h, "WriteSetting");
    ASSERT_EQ(writes.size(), 9u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_DOUBLE_EQ(*h->settings.get(keys[k][0], keys[k][1]), k % 2 ? 1.5 : 5.2) << keys[k][1];
        EXPECT_NE(writes[k].find(std::string("\"") + keys[k][1] + "\""), std::string::npos);
        EXPECT_NE(writes[k].find(std::string("\"") + keys[k][0] + "\""), std::string::npos);
    }
    // NaN reads as the default, 1e12 saturates (and is no link-update mode),
    // -7.9 truncates toward zero; all are written back as read.
    EXPECT_EQ(*h->settings.get("VeC92", "c92_drag_sw"), 0.0);
    EXPECT_EQ(*h->settings.get("VeC92", "c251_mode"), 2147483647.0);
    EXPECT_EQ(*h->settings.get("VeC92", "c251_kakunin"), -7.0);
    EXPECT_TRUE(traceLines(*h, "UpdateLinks").empty());
}

TEST(ParamFlow, EveryCancelStepsBackOneStage)
{
    auto h = prepare("run VeC92\npanel ok\ncancel\npanel ok\npoint 0 0\ncancel\npoint 0 0\npoint 100 100\n"
                     "cancel\npoint 0 0\npoint 100 100\npoint 0 0\ncancel\npoint 0 0\npoint 5 5\n"
                     "point 1000 1000\npoint 1100 1100\npanel cancel\n",
                     "line 10 10 20 20\nline 500 500 600 600\n");
    installGetPointSpy(*h);
    h->runScript();
    std::vector<std::string> asked;
    for (const std::string &l : h->trace.lines())
        if (l.find("Point promptText=\"") != std::string::npos)
            asked.push_back(l.substr(l.find('"') + 1, l.find('"', l.find('"') + 1) - l.find('"') - 1));
    const std::vector<std::string> expected = {
        "パラメトリック範囲 始点", "パラメトリック範囲 始点", "パラメトリック範囲 終点", "パラメトリック範囲 始点",
        "パラメトリック範囲 終点", "移動 始点", "パラメトリック範囲 始点", "パラメトリック範囲 終点", "移動 始点",
        "移動 終点", "移動 始点", "移動 終点", "パラメトリック範囲 始点", "パラメトリック範囲 終点"};
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(traceLines(*h, "OpenPanel").size(), 3u);
    size_t copies = 0; // made by the command itself, not by the preview
    for (const std::string &l : h->trace.lines())
        copies += l.rfind("  CopyFigureRange", 0) == 0;
    EXPECT_EQ(copies, 2u);
    EXPECT_EQ(h->beginCommandCalls, 2);
    // Entry N is -2 exactly while the end point is asked.
    ASSERT_EQ(getPointSeen.size(), 5u);
    for (const auto &seen : getPointSeen)
        EXPECT_EQ(seen.second, seen.first == "移動 終点" ? -2 : 0) << seen.first;
    for (const std::string &l : traceLines(*h, "GetPoint promptText=\"移動 終点\""))
        EXPECT_NE(l.find("inputMode=2 inputOption=1 bandKind=1 bandOption=1"), std::string::npos);
    // The base point is asked as the window's first corner is: mode 2,
    // option 2, no band.
    std::vector<std::string> bases = traceLines(*h, "GetPoint promptText=\"移動 始点\"");
    EXPECT_EQ(bases.size(), 3u);
    for (const std::string &l : bases)
        EXPECT_EQ(l, "GetPoint promptText=\"移動 始点\" inputMode=2 inputOption=2 bandKind=0");
    // The last window collected nothing: N and M are left set around it.
    int32_t n = h->rec.i32(StateField::selFirst);
    EXPECT_EQ(h->rec.i32(StateField::selEnd), n + 1);
    EXPECT_EQ(h->fig.type(n), 0);
    EXPECT_EQ(h->fig.drawingEnd(), n + 1);
    EXPECT_NE(host::figureList(h->fig).find(" line 15 15 25 25 "), std::string::npos);
    // USSR before the preview copy exists does nothing; after it, it previews.
    std::vector<std::vector<std::string>> calls = ussrCalls(*h);
    ASSERT_EQ(calls.size(), 5u);
    for (size_t k = 0; k < calls.size(); ++k)
        EXPECT_EQ(calls[k].empty(), getPointSeen[k].first == "移動 始点") << k;
}

TEST(ParamPreview, RebuildsOnMovesRedrawsOnRepaintsAndKeepsTheDrawing)
{
    const char *drawing = "line 10 10 200 10\nline 50 50 60 60\ntext 80 80 \"t\" link=3\nline 500 500 600 600\n";
    std::string start = "set snapMode 3\nrun VeC92\npanel set \"ドラッグ\" 1\npanel ok\n"
                        "point 0 0\npoint 100 100\npoint 0 0\n";
    host::HostOptions options;
    options.snapshotDir = "scratch";
    std::string picture = testing_support::scratchFile("param_preview.svg", "");
    auto h = play(start + "move 3 5\nrepaint\nset orthoMode 1\nmove 3 5\nmove 5 -5\nmove -2 0.5\n"
                          "set orthoMode 0\nmove 41 0\nsnapshot param_preview.svg\ncancel\n",
                  drawing, options);
    // The host shows the preview in blue while the request lasts, and takes
    // it off the display when the request ends.
    std::ifstream svg(picture);
    std::string shown((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
    EXPECT_NE(shown.find("stroke=\"blue\""), std::string::npos);
    EXPECT_NE(shown.find("stroke=\"red\""), std::string::npos);
    EXPECT_TRUE(h->xorLines.empty());
    for (int i = 0; i < h->rec.capacity(); ++i)
        ASSERT_NE(h->fig.display(i), host::Display::Preview) << i;
    int32_t n = h->rec.i32(StateField::selFirst), m = h->rec.i32(StateField::selEnd), p = h->rec.i32(StateField::copyEnd);
    std::string copyCall = "CopyFigureRange rangeFirst=" + std::to_string(n + 1) + " rangeSecond=" +
                           std::to_string(p) + " rangeLast=" + std::to_string(m + 1);
    std::string draw = "DrawFiguresFrom drawIndex=" + std::to_string(m + 1) + " drawMode=1 ";
    std::vector<std::vector<std::string>> calls = ussrCalls(*h);
    ASSERT_EQ(calls.size(), 6u);
    const char *stretched[6] = {"argBx=3 argBy=5 ", nullptr, "argBx=0 argBy=5 ", "argBx=5 argBy=0 ",
                                "argBx=-2 argBy=0 ", "argBx=41 argBy=0 "};
    for (size_t k = 0; k < calls.size(); ++k) {
        bool rebuild = stretched[k] != nullptr;
        EXPECT_EQ(hasCall(calls[k], copyCall), rebuild) << k;
        EXPECT_EQ(hasCall(calls[k], "ClearHighlight 0 0"), rebuild) << k;
        EXPECT_EQ(hasCall(calls[k], "UpdateLinkedFigures linkRefresh=1"), rebuild) << k;
        EXPECT_EQ(hasCall(calls[k], "ClearMarks 0 0"), rebuild) << k;
        if (rebuild)
            EXPECT_TRUE(hasCall(calls[k], "StretchFigures windowX1=0 windowY1=0 windowX2=100 windowY2=100 " +
                                              std::string(stretched[k]) + "drawIndex=" + std::to_string(m + 1)))
                << k;
        else
            EXPECT_FALSE(hasCall(calls[k], "StretchFigures")) << k;
        EXPECT_TRUE(hasCall(calls[k], "SnapDragPoint 0 ")) << k;
        EXPECT_NE(calls[k][calls[k].size() - 4].find(" 0 3 7 -> "), std::string::npos) << k;
        EXPECT_TRUE(hasCall(calls[k], "MeasureDistance 0 ")) << k;
        EXPECT_TRUE(hasCall(calls[k], "DrawXorLine 0 1 16777215 ")) << k;
        EXPECT_TRUE(hasCall(calls[k], draw)) << k;
    }
    // The hook's name check (while this host is the module's); outside the
    // end-point request it draws nothing.
    size_t before = h->trace.lines().size();
    h->rec.putText(StateField::currentCommand, "vec92");
    EXPECT_EQ(h->callUssr(), 1);
    EXPECT_EQ(h->trace.lines().size(), before + 2);
    h->rec.putText(StateField::currentCommand, "VeC92x");
    EXPECT_NE(h->callUssr(), 1);

    // Against the same session without mouse events: the drawing, the work
    // area and the markers (0 .. M) are the same, and nothing is modified.
    auto still = play(start + "cancel\n", drawing);
    for (int a = 0; a < host::ArrCount; ++a)
        for (int i = 0; i <= m; ++i)
            ASSERT_EQ(h->rec.at(static_cast<host::Arr>(a), i), still->rec.at(static_cast<host::Arr>(a), i)) << i;
    EXPECT_EQ(h->rec.i32(StateField::drawingModified), 0);
    // The copy is restored before each stretch: the last rebuild alone counts.
    auto once = play(start + "move 41 0\ncancel\n", drawing);
    for (int a = 0; a < host::ArrCount; ++a)
        for (int i = m + 1; i < p; ++i)
            ASSERT_EQ(h->rec.at(static_cast<host::Arr>(a), i), once->rec.at(static_cast<host::Arr>(a), i)) << i;
    EXPECT_NE(host::figureLine(once->fig, m + 1).find("line 51 10 200 10 "), std::string::npos);
    // In orthogonal mode the host keeps the end point on the base point's axis.
    auto ortho = play(start + "set orthoMode 1\nmove 30 10\npoint 30 10\n", drawing);
    EXPECT_NE(host::figureList(ortho->fig).find(" line 40 10 200 10 "), std::string::npos);

}

TEST(ParamFlow, AFullDrawingIsRefusedAndATightOneStretchesWithoutPreview)
{
    host::HostOptions full;
    full.figureLimit = 4;
    auto h = play("run VeC92\npanel ok\npoint -1 -1\npoint 100 100\n", "line 0 0 10 10\nline 1 1 2 2\nline 3 3 4 4\n",
                  full);
    EXPECT_EQ(h->signalErrors, 1);
    EXPECT_TRUE(traceLines(*h, "CollectWindowFigures").empty());
    EXPECT_EQ(h->fig.drawingEnd(), 3);

    host::HostOptions tight;
    tight.figureLimit = 8; // the work area fits, its copy does not
    auto t = play("run VeC92\npanel set \"ドラッグ\" 1\npanel ok\npoint 0 0\npoint 5 5\npoint 0 0\nmove 1 1\npoint 2 0\n",
                  "line 1 1 2 2\nline 3 3 4 4\nline 90 90 91 91\n", tight);
    EXPECT_TRUE(traceLines(*t, "CopyFigureRange").empty());
    EXPECT_NE(traceLine(*t, "GetPoint promptText=\"移動 終点\"", 0).find("bandKind=1 "), std::string::npos);
    EXPECT_NE(host::figureList(t->fig).find(" line 3 1 4 2 "), std::string::npos);
}

TEST(ParamPanel, OffersItsFourItemsAndTexts)
{
    auto h = play("run VeC92\npanel set \"ドラッグ\" 1\npanel cancel\n");
    const std::vector<std::string> items = {
        "AddPanelItem 0 0 9 6 1 \"ドラッグ\" 0 0 0 1 & 0 0 0 0 0 -1 -1 -1 -1",
        "AddPanelItem 0 20 23 6 1 \"確認\" 1 0 0 1 & 0 0 0 0 0 -1 -1 -1 -1",
        "AddPanelItem 1 0 19 7 1 \"リンクを解除する\" 0 0 0 4 & 0 0 0 0 0 -1 -1 -1 -1",
        "AddPanelItem 2 0 19 7 1 \"リンクを更新する\" 1 0 0 4 & 0 0 0 0 0 -1 -1 -1 -1"};
    EXPECT_EQ(traceLines(*h, "AddPanelItem"), items);
    EXPECT_EQ(traceLines(*h, "OpenPanel"), std::vector<std::string>{"OpenPanel 3 24 -1 -1"});
    EXPECT_EQ(h->panel.caption, "パラメトリック変形");
    EXPECT_EQ(paramDragSwitch, 1); // the check box is bound to it
    EXPECT_EQ(h->panel.items[2].boundInt, h->panel.items[3].boundInt);
    // The link items are bound to the command's locals: the picture of the
    // closed panel shows the values they had when it closed.
    h = play("run VeC92\npanel choose \"リンクを更新する\"\npanel set \"確認\" 1\npanel cancel\n");
    std::string picture = host::panelSvg(*h);
    EXPECT_NE(picture.find("[x] 確認"), std::string::npos) << picture;
    EXPECT_NE(picture.find("[ ] リンクを解除する"), std::string::npos) << picture;
    EXPECT_NE(picture.find("[x] リンクを更新する"), std::string::npos) << picture;
    EXPECT_EQ(host::cp932ToUtf8(paramRangeStartPrompt), "パラメトリック範囲 始点");
    EXPECT_EQ(host::cp932ToUtf8(paramRangeEndPrompt), "パラメトリック範囲 終点");
    EXPECT_EQ(host::cp932ToUtf8(paramMoveStartPrompt), "移動 始点");
    EXPECT_EQ(host::cp932ToUtf8(paramMoveEndPrompt), "移動 終点");
}
