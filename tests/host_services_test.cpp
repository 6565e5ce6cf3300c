// The reference host's services where they carry logic, called through the
// module's own view of the service table (frame/HostRecords.h), as the
// module calls them.
#include "frame/HostRecords.h"
#include "host/Host.h"
#include "host/text/Text.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

using testing_support::play;
using testing_support::traceLines;

namespace {

struct Bound {
    std::unique_ptr<host::Host> h;
    HostServices *svc;
    HostState *st;
    DrawingTables *t;
};

Bound hostFor(const std::string &drawing = "", const std::string &script = "")
{
    Bound b;
    b.h = play(script, drawing);
    b.svc = static_cast<HostServices *>(b.h->rec.services());
    b.st = static_cast<HostState *>(b.h->rec.state());
    b.t = b.st->tables;
    return b;
}

const double kPi = 3.14159265358979323846;

} // namespace

TEST(HostGeometry, AnglesProjectionsAndIntersectionsAreExact)
{
    Bound b = hostFor();
    struct {
        double x, y, angle;
    } angles[] = {{1, 0, 0}, {0, 1, kPi / 2}, {-1, 0, kPi}, {0, -1, 3 * kPi / 2}, {0, 0, 0}, {1, -1e-300, 0}};
    for (auto &a : angles) {
        b.st->argBx = a.x;
        b.st->argBy = a.y;
        double r = b.svc->VectorAngle();
        EXPECT_EQ(b.st->vectorAngle, r);
        EXPECT_GE(r, 0.0);
        EXPECT_LT(r, 2 * kPi);
        if (a.angle != 0.0 || a.x != 1)
            EXPECT_DOUBLE_EQ(r, a.angle) << a.x << "," << a.y;
    }
    // Foot of the perpendicular; a zero-length line gives its first point.
    b.st->argCx = 0, b.st->argCy = 0, b.st->argDx = 10, b.st->argDy = 10;
    b.st->circleX = 0, b.st->circleY = 10;
    b.svc->ProjectPointOnLine();
    EXPECT_DOUBLE_EQ(b.st->circleX, 5);
    EXPECT_DOUBLE_EQ(b.st->circleY, 5);
    b.st->argDx = 0, b.st->argDy = 0, b.st->circleX = 7, b.st->circleY = 8;
    b.svc->ProjectPointOnLine();
    EXPECT_EQ(b.st->circleX, 0);
    EXPECT_EQ(b.st->circleY, 0);
    // Segments: crossing, touching at an end point, apart, parallel, collinear.
    auto meet = [&](double cx, double cy, double dx, double dy, double ex, double ey, double fx, double fy) {
        b.st->argCx = cx, b.st->argCy = cy, b.st->argDx = dx, b.st->argDy = dy;
        b.st->argEx = ex, b.st->argEy = ey, b.st->argFx = fx, b.st->argFy = fy;
        return b.svc->IntersectLines();
    };
    EXPECT_EQ(meet(0, 0, 10, 10, 0, 10, 10, 0), 1);
    EXPECT_EQ(b.svc->IntersectionX(), 5);
    EXPECT_EQ(b.svc->IntersectionY(), 5);
    EXPECT_EQ(meet(0, 0, 10, 0, 10, -5, 10, 5), 1);
    EXPECT_EQ(b.svc->IntersectionX(), 10);
    EXPECT_EQ(meet(0, 0, 10, 0, 11, -5, 11, 5), 0);
    EXPECT_EQ(meet(0, 0, 10, 0, 0, 1, 10, 1), 0);
    EXPECT_EQ(meet(0, 0, 10, 0, 5, 0, 15, 0), 0);
    // Rounding to nearest, halves away from zero, clamped at the range.
    EXPECT_EQ(b.svc->EncodeCoordinate(2.5), 3);
    EXPECT_EQ(b.svc->EncodeCoordinate(-2.5), -3);
    EXPECT_EQ(b.svc->EncodeCoordinate(2.4999), 2);
    EXPECT_EQ(b.svc->EncodeCoordinate(-0.4), 0);
    EXPECT_EQ(b.svc->EncodeCoordinate(2147483647.4), 2147483647);
    EXPECT_EQ(b.svc->EncodeCoordinate(5e9), 2147483647);
    EXPECT_EQ(b.svc->EncodeCoordinate(-5e9), INT32_MIN);
    EXPECT_EQ(b.svc->EncodeCoordinate(std::nan("")), 0);
    EXPECT_EQ(b.svc->AbsValue(-3.25), 3.25);
    // Kinds and text origins as host/records/Figures.h encodes them.
    EXPECT_EQ(b.svc->GetFigureKind(0x200), 2);
    EXPECT_EQ(b.svc->GetFigureKind(0x300), 3);
    EXPECT_EQ(b.svc->GetFigureKind(0x100), 1);
    EXPECT_EQ(b.svc->GetFigureKind(-1), -1);
    EXPECT_EQ(b.svc->GetTextOrigin(0x305), 5);
    int32_t word = 0x30A;
    EXPECT_EQ(b.svc->SetTextOrigin(b.svc->GetFigureKind(word), 8), 0x308);
}

TEST(HostRandom, IsRepeatableFromItsSeedAndStaysInTheUnitInterval)
{
    Bound a = hostFor("", "seed 42\n");
    std::vector<double> first;
    for (int i = 0; i < 1000; ++i)
        first.push_back(a.svc->Random(0));
    Bound b = hostFor("", "seed 42\n");
    for (int i = 0; i < 1000; ++i) {
        double v = b.svc->Random(0);
        EXPECT_EQ(v, first[static_cast<size_t>(i)]);
        EXPECT_GE(v, 0.0);
        EXPECT_LT(v, 1.0);
    }
    Bound d = hostFor("", "seed 43\n");
    EXPECT_NE(d.svc->Random(0), first[0]);
}

TEST(HostWriters, RefuseRatherThanWriteOutsideTheDrawingOrTheWorkArea)
{
    Bound b = hostFor("", "set figureLimit 100\nset workBase 200\nset workEnd 300\n");
    auto storeLineAt = [&](int i) {
        b.st->drawIndex = i;
        b.st->argCx = 1, b.st->argCy = 2, b.st->argDx = 3.5, b.st->argDy = -4.5;
        b.svc->StoreLine();
        return b.st->storeFailed == 0;
    };
    EXPECT_TRUE(storeLineAt(99));
    EXPECT_FALSE(storeLineAt(100));
    EXPECT_FALSE(storeLineAt(199));
    EXPECT_TRUE(storeLineAt(200));
    EXPECT_TRUE(storeLineAt(300));
    EXPECT_FALSE(storeLineAt(301));
    EXPECT_EQ(b.t->figureX2[99], 4);  // 3.5 rounds away from zero
    EXPECT_EQ(b.t->figureY2[99], -5);
    // An arc takes two entries, and AddArc keeps room for the caller's end
    // marker after it: at 98 the marker would fall on figureLimit.
    auto arcAt = [&](int n) {
        return b.svc->AddArc(b.t, b.st->attrContext->value, n, 0, 0, 5, 225, 315, 1, 2, 3, 4);
    };
    EXPECT_EQ(arcAt(97), 97);
    EXPECT_EQ(arcAt(98), -1);
    EXPECT_EQ(arcAt(-1), -1);
    EXPECT_EQ(arcAt(298), 298);
    EXPECT_EQ(arcAt(299), -1);
    host::Figure arc = b.h->fig.read(97);
    EXPECT_EQ(arc.start, 225000000);
    EXPECT_EQ(arc.end, 315000000);
    EXPECT_EQ(arc.layer, 1);
    EXPECT_EQ(arc.group, 2);
    EXPECT_EQ(b.t->figureType[98] & 0xFFFF, 0x100); // its continuation
    // Angles are brought into [0, 360); one full turn is the full circle.
    EXPECT_EQ(b.svc->AddArc(b.t, 0, 10, 0, 0, 5, 360, 450, 0, 0, 0, 0), 10);
    EXPECT_EQ(b.h->fig.read(10).start, 0);
    EXPECT_EQ(b.h->fig.read(10).end, 90000000);
    EXPECT_EQ(b.svc->AddArc(b.t, 0, 10, 0, 0, 5, -90, 270, 0, 0, 0, 0), 10);
    EXPECT_TRUE(b.h->fig.read(10).isCircle());
    // Numbers that are not 32-bit coordinates are not stored.
    EXPECT_EQ(b.svc->AddLine(b.t, 0, 20, 0, 0, 3e9, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(b.svc->AddLine(b.t, 0, 20, 0, 0, 1, 1, 0, 0, 0, 0), 20);
}

TEST(HostRanges, CopyStopsAtTheFirstMarkerAndRefusesWhatDoesNotFit)
{
    Bound b = hostFor("line 0 0 1 1\ncircle 5 5 2\nline 2 2 3 3\n", "set figureLimit 12\n");
    // The drawing: 0 line, 1-2 circle, 3 line, 4 end marker.
    EXPECT_EQ(b.svc->FindMarker(b.t->figureType, -1, 0), 4);
    b.st->rangeFirst = 0, b.st->rangeSecond = 100, b.st->rangeLast = 5;
    b.svc->CopyFigureRange();
    EXPECT_EQ(b.svc->FindMarker(b.t->figureType, -1, 5), 9);
    EXPECT_EQ(host::figureLine(b.h->fig, 6), host::figureLine(b.h->fig, 1));
    // 8 entries from 5 on would need entries up to 13: refused whole.
    b.st->rangeFirst = 0, b.st->rangeSecond = 4, b.st->rangeLast = 9;
    b.svc->CopyFigureRange();
    EXPECT_EQ(b.t->figureType[10], 0);
    EXPECT_EQ(traceLines(*b.h, "CopyFigureRange").back().find("refused") != std::string::npos, true);
    // Extent of everything from 0 to the marker: the circle reaches 3..7.
    b.st->rangeFirst = 0;
    b.svc->MeasureExtent();
    EXPECT_EQ(b.st->windowX1, 0);
    EXPECT_EQ(b.st->windowY1, 0);
    EXPECT_EQ(b.st->windowX2, 7);
    EXPECT_EQ(b.st->windowY2, 7);
}

TEST(HostSelection, MovesTheChosenFiguresBehindTheDrawingAndBack)
{
    const std::string drawing = "line 0 0 10 0\narc 0 0 10 0 90\ntext 5 5 \"A\"\nline 20 20 30 30\n";
    // Indices 0 line, 1 arc, 3 text, 5 line; end marker at 6.
    auto b = hostFor(drawing);
    b.h->loadScript("select 1 5\n", "sel.session");
    b.h->rec.putText(host::StateField::selectPromptText, "");
    b.svc->SelectFigures();
    EXPECT_EQ(b.st->inputStatus, 1);
    EXPECT_EQ(b.st->selFirst, 6);
    EXPECT_EQ(b.st->selEnd, 10);
    EXPECT_EQ(b.t->figureType[1] & 0xFFFF, 0); // left empty in the body
    EXPECT_EQ(b.t->figureType[5] & 0xFFFF, 0);
    EXPECT_EQ(host::figureLine(b.h->fig, 7), "arc 0 0 10 0 90 layer=0 group=0 color=1 ltype=1");
    EXPECT_EQ(host::figureLine(b.h->fig, 9), "line 20 20 30 30 layer=0 group=0 color=1 ltype=1");
    // The box of the arc 0..90 (turning toward -y) and the line.
    EXPECT_EQ(b.st->rangeX1, 0);
    EXPECT_EQ(b.st->rangeY1, -10);
    EXPECT_EQ(b.st->rangeX2, 30);
    EXPECT_EQ(b.st->rangeY2, 30);
    // Joining the selection back restores every figure.
    b.t->figureType[6] &= ~0xFFFF;
    EXPECT_EQ(host::figureList(b.h->fig),
              "0 line 0 0 10 0 layer=0 group=0 color=1 ltype=1\n"
              "3 text 5 5 \"A\" origin=0 height=100 width=50 spacing=0 angle=0 slant=0 style=0 layer=0 group=0 color=1 ltype=1\n"
              "7 arc 0 0 10 0 90 layer=0 group=0 color=1 ltype=1\n"
              "9 line 20 20 30 30 layer=0 group=0 color=1 ltype=1\n");
}

TEST(HostSelection, RefusesASelectionThatDoesNotFitAndTakesWindowsWhole)
{
    const std::string drawing = "line 0 0 10 0\nline 0 5 10 5\nline 0 0 100 100\n";
    auto b = hostFor(drawing, "set figureLimit 7\n");
    b.h->loadScript("select all\nselect window -1 -1 11 6\n", "sel.session");
    b.svc->SelectFigures(); // 3 entries behind the marker at 3 need entries up to 7
    EXPECT_EQ(b.st->inputStatus, 2);
    EXPECT_EQ(host::figureList(b.h->fig).size(), std::string("0 line 0 0 10 0 layer=0 group=0 color=1 ltype=1\n").size() * 2 +
                                          std::string("2 line 0 0 100 100 layer=0 group=0 color=1 ltype=1\n").size());
    b.svc->SelectFigures(); // two lines lie wholly inside the window
    EXPECT_EQ(b.st->inputStatus, 1);
    EXPECT_EQ(b.st->selEnd - b.st->selFirst - 1, 2);
}

TEST(HostFigureLists, ReadBackWhatTheyWrite)
{
    const std::string list =
        "0 line -5 7 2147483647 -2147483648 layer=3 group=12 color=4 ltype=2 link=5\n"
        "1 arc 100 200 50 270 0.000001 layer=0 group=0 color=1 ltype=1\n"
        "3 circle 0 0 25 layer=0 group=1 color=1 ltype=1\n"
        "6 point 1 2 layer=0 group=0 color=1 ltype=1\n"
        "7 text 10 20 \"ミラー 1\" origin=9 height=30 width=20 spacing=2 angle=45.5 slant=-10 style=3 kind=6 layer=1 group=0 color=2 ltype=1 link=-2\n";
    auto h = play("", list);
    EXPECT_EQ(host::figureList(h->fig), list);
    EXPECT_EQ(h->fig.read(7).x2, 8); // length in half-width cells: 3 x 2 + 2
    EXPECT_EQ(h->fig.drawingEnd(), 9);

    // Attributes come in any order: kind=6 first reads as the same text.
    h = play("", "text 10 20 \"A\" kind=6 origin=5 angle=30 slant=2 style=1 spacing=3 width=4 height=5 link=7\n");
    EXPECT_EQ(host::figureList(h->fig), "0 text 10 20 \"A\" origin=5 height=5 width=4 spacing=3 angle=30 slant=2 style=1 kind=6 "
                             "layer=0 group=0 color=1 ltype=1 link=7\n");
    // A text with characters that have no Shift-JIS form (as a DXF drawing
    // gives them) reads back too; bytes that are not UTF-8 are refused.
    const std::string foreign = "0 text 0 0 \"café ☃\" origin=0 height=100 width=50 spacing=0 angle=0 slant=0 "
                                "style=0 layer=0 group=0 color=1 ltype=1\n";
    EXPECT_EQ(host::figureList(play("", foreign)->fig), foreign);
    host::Host bad(host::nativeModule());
    EXPECT_EQ(*host::loadFigureList(bad.fig, "text 0 0 \"\xE3\x81\"\n", "bad.drawing"), "bad.drawing:1: the text is not UTF-8");
}

TEST(HostSettings, KeepEveryNumberExactlyThroughTheFile)
{
    host::SettingsStore s;
    s.set("kumo1", "KumoGen", 2.75);
    s.set("KUMO1", "KumoMode", 3);
    s.set("C72", "c72_DistY-0", -0.1);
    s.set("Hatch", "HatchPx[7]", 1e300);
    s.set("Hatch", "Weird", std::nan(""));
    host::SettingsStore t;
    ASSERT_FALSE(t.load(s.text(), "mem").has_value());
    EXPECT_EQ(t.get("Kumo1", "KumoGen"), 2.75);
    EXPECT_EQ(t.get("kumo1", "KumoMode"), 3.0);
    EXPECT_EQ(t.get("c72", "c72_DistY-0"), -0.1);
    EXPECT_EQ(t.get("Hatch", "HatchPx[7]"), 1e300);
    EXPECT_TRUE(std::isnan(*t.get("Hatch", "Weird")));
    EXPECT_FALSE(t.get("Hatch", "kumoGen").has_value());
    EXPECT_EQ(t.text(), s.text());
    EXPECT_EQ(*t.load("[a]\nx=1\ny\n", "bad.ini"), "bad.ini:3: expected KEY=VALUE");
    EXPECT_EQ(*t.load("x=1\n", "bad.ini"), "bad.ini:1: KEY=VALUE before the first [SECTION]");
    EXPECT_EQ(*t.load("[a]\nx=one\n", "bad.ini"), "bad.ini:2: the value is not a number");
}

TEST(HostSettings, AWrittenStoreAlwaysLoadsAgainAsTheSameStore)
{
    // Subnormal numbers (a module's product of tiny factors) are written
    // and read back like any other.
    host::SettingsStore s;
    ASSERT_FALSE(s.set("VeC92", "tiny", 1e-310));
    ASSERT_FALSE(s.set("VeC92", "least", 4.9406564584124654e-324));
    host::SettingsStore t;
    ASSERT_FALSE(t.load(s.text(), "mem").has_value()) << s.text();
    EXPECT_EQ(t.get("VeC92", "tiny"), 1e-310);
    EXPECT_EQ(t.get("VeC92", "least"), 4.9406564584124654e-324);
    EXPECT_FALSE(host::parseDouble("1e-400")); // no number but 0 is that small
    EXPECT_FALSE(host::parseDouble("1e400"));

    // Names the file cannot give back are refused, and the store stays as it was.
    for (const char *key : {"a=b", "[x", "[x]", ";x", "#x", " x", "x\xE3\x80\x80", "", "a\nb"}) {
        std::optional<std::string> why = s.set("C66", key, 1);
        EXPECT_TRUE(why.has_value()) << key;
    }
    EXPECT_EQ(*s.set("C66", "a=b", 1),
              "the setting key 'a=b' holds '=', which separates key and value in the settings file");
    EXPECT_TRUE(s.set("", "x", 1).has_value());
    EXPECT_EQ(s.text(), t.text());
    // Odd names that read back are kept.
    for (const char *key : {"x[1]", "x]", "k#", "\"q"})
        EXPECT_FALSE(s.set("[odd] ", key, 2).has_value()) << key;
    ASSERT_FALSE(t.load(s.text(), "mem").has_value()) << s.text();
    EXPECT_EQ(t.text(), s.text());

    // A session line with such a key is refused before anything runs, with
    // its place; the settings file is left as it was.
    std::string error;
    EXPECT_FALSE(host::parseScript("run C66\nsetting C66 c66=x 1\n", "s.session", error));
    EXPECT_EQ(error, "s.session:2: the setting key 'c66=x' holds '=', which separates key and value in the "
                     "settings file: setting C66 c66=x 1");
    std::string ini = testing_support::scratchFile("bad-key.ini", "[C66]\nc66_Direction=2\n");
    std::string err;
    EXPECT_EQ(testing_support::runHostProgram(
                  "--settings " + ini + " " +
                      testing_support::scratchFile("bad-key.session", "setting C66 [c66 1\nrun C66\npanel ok\n"),
                  err),
              2);
    EXPECT_NE(err.find("bad-key.session:1: the setting key '[c66' starts with '['"), std::string::npos) << err;
    std::ifstream in(ini);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), "[C66]\nc66_Direction=2\n");
}

TEST(HostText, ConvertsShiftJisBothWaysAndShowsBadBytes)
{
    EXPECT_EQ(*host::utf8ToCp932("ミラー"), "\x83\x7E\x83\x89\x81\x5B");
    EXPECT_EQ(host::cp932ToUtf8("\x83\x7E\x83\x89\x81\x5B"), "ミラー");
    EXPECT_EQ(host::cp932ToUtf8("\xB1\xB2"), "ｱｲ"); // half-width katakana are single bytes
    EXPECT_EQ(host::cp932ToUtf8("a\x81"), "a\\x81"); // a lead byte at the end
    EXPECT_FALSE(host::utf8ToCp932("\xF0\x9F\x98\x80").has_value());
    // A Shift-JIS form reads back as the same character: the platforms'
    // one-way mappings (¥ to the backslash on Linux, é to e on Windows, the
    // wave dash to CP932's full-width tilde) would change the text.
    EXPECT_EQ(host::utf8ToCp932("表～ｱ①"), std::optional<std::string>("\x95\x5C\x81\x60\xB1\x87\x40"));
    EXPECT_FALSE(host::utf8ToCp932("¥"));
    EXPECT_FALSE(host::utf8ToCp932("é"));
    EXPECT_FALSE(host::utf8ToCp932("\xE3\x80\x9C"));
    EXPECT_EQ(host::formatDouble(0.1), "0.1");
    EXPECT_EQ(host::formatDouble(1.211), "1.211");
    EXPECT_EQ(host::formatDouble(120), "120");
    EXPECT_EQ(host::formatDouble(-2147483648.0), "-2147483648");
    EXPECT_EQ(host::formatDouble(1e15), "1000000000000000");
    EXPECT_EQ(host::formatDouble(1e300), "1e+300");
    EXPECT_EQ(host::formatDouble(0.000012), "0.000012");
    EXPECT_EQ(host::formatDouble(1.7976931348623157e308), "1.7976931348623157e+308");
    for (double v : {0.1, 1.0 / 3, 2.0 / 3 * 1e7, 123456789.123, 9.99, -7.9e-5, 5e15 + 1})
        EXPECT_EQ(std::strtod(host::formatDouble(v).c_str(), nullptr), v) << v;
    EXPECT_EQ(host::formatMillionths(-1500000), "-1.5");
    EXPECT_EQ(host::formatMillionths(INT32_MIN), "-2147.483648");
}
