// The host's DXF reader and writer on files written here byte by byte: the
// faults that must stop a read with their line (the damage that is mended
// is in dxf_binary_test.cpp), Shift-JIS and MTEXT codes,
// the text alignment table, inserts, and a figure list written as DXF and
// read back.  tests/dxf/ezdxf_check.py checks both against ezdxf.
#include "host/formats/Dxf.h"
#include "host/Host.h"
#include "host/text/Text.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

using testing_support::runHostProgram;
using testing_support::scratchFile;

namespace {

// A DXF file of these pairs, each code right-aligned as CAD programs write it.
std::string dxf(const std::vector<std::pair<int, std::string>> &pairs)
{
    std::string s;
    for (const auto &p : pairs) {
        std::string code = std::to_string(p.first);
        s += std::string(code.size() < 3 ? 3 - code.size() : 0, ' ') + code + "\n" + p.second + "\n";
    }
    return s;
}

using Pairs = std::vector<std::pair<int, std::string>>;

// A file with a header (version, code page), optional blocks, and entities.
std::string file(const std::string &version, const std::string &codePage, const Pairs &entities,
                 const Pairs &blocks = {})
{
    Pairs p = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, version}, {9, "$DWGCODEPAGE"}, {3, codePage},
               {9, "$INSUNITS"}, {70, "4"}, {0, "ENDSEC"}};
    if (!blocks.empty()) {
        p.insert(p.end(), {{0, "SECTION"}, {2, "BLOCKS"}});
        p.insert(p.end(), blocks.begin(), blocks.end());
        p.push_back({0, "ENDSEC"});
    }
    p.insert(p.end(), {{0, "SECTION"}, {2, "ENTITIES"}});
    p.insert(p.end(), entities.begin(), entities.end());
    p.insert(p.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return dxf(p);
}

Pairs text(const std::string &content, int h72 = 0, int v73 = 0)
{
    return {{0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, content}, {72, std::to_string(h72)},
            {11, "7"}, {21, "8"}, {73, std::to_string(v73)}};
}

Pairs operator+(Pairs a, const Pairs &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

host::DxfDrawing read(const std::string &bytes, std::string *notices = nullptr)
{
    host::DxfDrawing d;
    std::optional<std::string> e = host::readDxf(bytes, "t.dxf", 100000, d);
    EXPECT_FALSE(e) << *e;
    if (notices)
        for (const std::string &n : d.notices)
            *notices += n + "\n";
    return d;
}

// The fault message of a file that must not be read; the drawing handed in
// must come back untouched.
std::string fault(const std::string &bytes, size_t maxEntries = 100000)
{
    host::DxfDrawing d;
    d.figures.resize(1);
    d.figures[0].x1 = 4711;
    std::optional<std::string> e = host::readDxf(bytes, "t.dxf", maxEntries, d);
    EXPECT_TRUE(e) << "read without a fault";
    EXPECT_EQ(d.figures.size(), 1u);
    EXPECT_EQ(d.figures.empty() ? 0 : d.figures[0].x1, 4711) << "half loaded";
    return e ? *e : "";
}

} // namespace

TEST(DxfFaults, EachStopsTheReadWithItsLineAndLoadsNothing)
{
    std::string good = file("AC1015", "ANSI_932", {{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "5"}, {21, "5"}});
    ASSERT_EQ(read(good).figures.size(), 1u);

    EXPECT_EQ(fault(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "\x01\x02"),
              "t.dxf:byte 22: the file ends inside the value of group code 1: it is truncated");
    EXPECT_EQ(fault(""), "t.dxf:1: the file is empty");
    // Cut after an entity (ezdxf's audit would call such a file sound), and in the middle of a pair.
    int lines = static_cast<int>(std::count(good.begin(), good.end(), '\n'));
    std::string cut = good.substr(0, good.find("  0\nENDSEC\n  0\nEOF"));
    EXPECT_EQ(fault(cut), "t.dxf:" + std::to_string(lines - 4) +
                              ": the file ends inside the ENTITIES section without 0/EOF: it is truncated");
    std::string half = good.substr(0, good.find(" 21\n") + 4);
    EXPECT_EQ(fault(half), "t.dxf:" + std::to_string(lines - 5) +
                               ": the file ends after group code 21, before its value: it is truncated");
    std::string noCode = good;
    noCode.replace(noCode.find(" 11\n"), 4, "1 1\n");
    EXPECT_EQ(fault(noCode), "t.dxf:" + std::to_string(lines - 7) +
                                 ": expected a group code (a number from 0 to 1071), found \"1 1\"");
    // A number field that is no number drops its entity (and says where), the rest is read.
    std::string notNumber = good;
    notNumber.replace(notNumber.find(" 11\n5\n"), 6, " 11\n5,5\n");
    std::string told;
    EXPECT_TRUE(read(notNumber, &told).figures.empty());
    EXPECT_NE(told.find("\n  t.dxf:" + std::to_string(lines - 6) + ": LINE at line 23: group code 11 needs a finite "
                        "number, found \"5,5\": the entity is dropped\n"),
              std::string::npos)
        << told;

    // Coordinates the host cannot store: 1/100 mm in 32 bits reaches 21474836.47 mm.
    EXPECT_EQ(fault(file("AC1015", "", {{0, "LINE"}, {10, "21474836.48"}, {20, "0"}})),
              "t.dxf:23: LINE: x = 21474836.48 lies beyond what the host can store (within 21474836.47 of the "
              "origin in this drawing's unit)");
    EXPECT_EQ(read(file("AC1015", "", {{0, "LINE"}, {10, "21474836.47"}, {20, "0"}})).figures[0].x1, 2147483647);
    Pairs block = {{0, "BLOCK"}, {2, "B"}, {10, "0"}, {20, "0"}, {0, "CIRCLE"}, {10, "1"}, {20, "1"}, {40, "1"},
                   {0, "ENDBLK"}};
    EXPECT_EQ(fault(file("AC1015", "", {{0, "INSERT"}, {2, "B"}, {10, "0"}, {20, "0"}, {41, "3e7"}, {42, "3e7"}},
                         block)),
              "t.dxf:31: CIRCLE: x = 30000000 lies beyond what the host can store (within 21474836.47 of the "
              "origin in this drawing's unit) (in block \"B\" inserted at line 47)");

    // A DXF 2018 text that is not UTF-8 is read in the file's code page when it forms characters there.
    told.clear();
    EXPECT_EQ(read(file("AC1032", "ANSI_1252", {{0, "TEXT"}, {1, "caf\xE9"}}), &told).figures.at(0).text, "café");
    EXPECT_NE(told.find("\n  t.dxf:25: a text not in UTF-8, which a DXF 2007 or later file must be: read in the "
                        "file's code page ANSI_1252\n"),
              std::string::npos)
        << told;
    told.clear();
    EXPECT_EQ(read(file("AC1032", "", {{0, "TEXT"}, {1, "\x95\x5C"}, {0, "TEXT"}, {1, "\x83\x5C"}}), &told)
                  .figures.at(1).text, "ソ");
    EXPECT_NE(told.find("t.dxf:25: 2 texts not in UTF-8, which a DXF 2007 or later file must be: read in the "
                        "file's code page (none given: ANSI_932) (the first here)"),
              std::string::npos)
        << told;
    EXPECT_EQ(fault(file("AC1032", "", {{0, "TEXT"}, {1, "caf\xE9"}})),
              "t.dxf:25: the text is not UTF-8, which a DXF 2007 or later file must be");
    EXPECT_NE(fault(file("AC1015", "ANSI_1251", {{0, "TEXT"}, {1, "\xC4\xE0"}}))
                  .find("t.dxf:25: the text is in a code page the host cannot read"),
              std::string::npos);
    EXPECT_EQ(fault(good, 1), "t.dxf:23: the drawing needs more figure entries than the host's tables hold (1)");
    EXPECT_EQ(fault(dxf({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {0, "SECTION"}})),
              "t.dxf:8: the file ends after 0/SECTION without 0/EOF: it is truncated");

    // The program: exit 2, one line, and nothing written.
    std::string err, path = scratchFile("cut.dxf", cut), session = scratchFile("empty.session", "");
    std::remove("scratch/never.dxf");
    EXPECT_EQ(runHostProgram("--drawing " + path + " --dump scratch/never.dxf " + session, err), 2);
    EXPECT_EQ(err, "nerolit-host: " + path + ":" + std::to_string(lines - 4) +
                       ": the file ends inside the ENTITIES section without 0/EOF: it is truncated\n");
    EXPECT_FALSE(std::ifstream("scratch/never.dxf").good());
}

TEST(DxfTexts, ShiftJisBytesEscapesAndMtextCodes)
{
    // 表 is 0x95 0x5C and ソ 0x83 0x5C: their second byte is a backslash and
    // must never start a code, in TEXT or MTEXT.
    const std::string hyo = "\x95\x5C", so = "\x83\x5C";
    Pairs mtext = {{0, "MTEXT"}, {10, "0"}, {20, "0"}, {40, "10"}, {71, "1"},
                   {3, hyo + "\\P{\\C1;" + so + "}\\S1/2;\\~x\\\\y"}, {1, "\\L" + so + "\\l\\P\\U+2460\\M+1955C"}};
    host::DxfDrawing d = read(file("AC1015", "ANSI_932", text(hyo + so + "\\U+8868 %%d") + mtext));
    ASSERT_EQ(d.figures.size(), 4u);
    EXPECT_EQ(d.figures[0].text, "表ソ表 %%d");
    EXPECT_EQ(d.figures[1].text, "表");
    EXPECT_EQ(d.figures[2].text, "ソ1/2 x\\yソ"); // stacked 1/2, a hard space, an escaped backslash
    EXPECT_EQ(d.figures[3].text, "①表");          // \U+2460 and \M+1955C
    // UTF-8 from DXF 2007 on, whatever the code page says; Windows-1252 before.
    d = read(file("AC1021", "ANSI_932", text("表ソ\\U+00e9")) + "");
    EXPECT_EQ(d.figures[0].text, "表ソé");
    d = read(file("AC1015", "ANSI_1252", text("caf\xE9 \x80")));
    EXPECT_EQ(d.figures[0].text, "café €");
    // A file without a header is read as Shift-JIS.
    d = read(dxf(Pairs{{0, "SECTION"}, {2, "ENTITIES"}} + text(so) + Pairs{{0, "ENDSEC"}, {0, "EOF"}}));
    EXPECT_EQ(d.figures[0].text, "ソ");

    // The MTEXT's paragraphs, top-attached: one text each, 5/3 of the height apart.
    d = read(file("AC1015", "ANSI_932", mtext));
    ASSERT_EQ(d.figures.size(), 3u);
    const int32_t y[3] = {0, -1667, -3333};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d.figures[i].y1, y[i]) << i;
        EXPECT_EQ(d.figures[i].origin, 0);
        EXPECT_EQ(d.figures[i].height, 1000);
    }

    // A character without a Shift-JIS form is named with its line and kept.
    std::string notices;
    d = read(file("AC1032", "", text("雪☃")), &notices);
    EXPECT_EQ(d.figures[0].text, "雪☃");
    EXPECT_NE(notices.find("t.dxf:33: TEXT \"雪☃\": U+2603 has no Shift-JIS form"), std::string::npos) << notices;
}

TEST(DxfTexts, ShiftJisFormsAreTheSameCharacterOnEveryPlatform)
{
    // ¥ is not the backslash, nor é an e, even where the platform's table
    // would say so: written as escapes, they come back as they were.
    host::DxfDrawing d = read(file("AC1032", "", text("¥100 café")));
    host::Records rec;
    ASSERT_FALSE(rec.layoutArrays(100, 150, 300));
    host::FigureTable fig(rec);
    ASSERT_FALSE(fig.replace(d.figures));
    std::string out = host::writeDxf(fig, d.names, d.unitFactor, host::DxfCurrent{});
    EXPECT_NE(out.find("\n\\U+00A5100 caf\\U+00E9\n"), std::string::npos);
    EXPECT_EQ(read(out).figures[0].text, "¥100 café");
}

TEST(DxfTexts, AlignmentCodesBecomeOriginCodesAtTheirPoint)
{
    // 72 left/centre/right by 73 baseline/bottom/middle/top (see the table in host/formats/DxfExplode.cpp).
    const int expected[3][4] = {{8, 8, 4, 0}, {9, 9, 5, 1}, {10, 10, 6, 2}};
    Pairs all;
    for (int h = 0; h < 3; ++h)
        for (int v = 0; v < 4; ++v)
            all = all + text("x", h, v);
    all = all + text("m", 4, 0) + text("a", 3, 0);
    host::DxfDrawing d = read(file("AC1015", "", all));
    ASSERT_EQ(d.figures.size(), 14u);
    for (int h = 0; h < 3; ++h)
        for (int v = 0; v < 4; ++v) {
            const host::Figure &f = d.figures[static_cast<size_t>(h * 4 + v)];
            EXPECT_EQ(f.origin, expected[h][v]) << h << " " << v;
            bool first = h == 0 && v == 0; // only left on the baseline is placed by its first point
            EXPECT_EQ(f.x1, first ? 100 : 700);
            EXPECT_EQ(f.y1, first ? 200 : 800);
        }
    EXPECT_EQ(d.figures[12].origin, 5); // middle
    EXPECT_EQ(d.figures[12].x1, 700);
    EXPECT_EQ(d.figures[13].origin, 8); // aligned: left on the baseline, turned towards the second point
    EXPECT_EQ(d.figures[13].x1, 100);
    EXPECT_EQ(d.figures[13].angle, 45000000);
    EXPECT_EQ(d.figures[0].height, 250);
    EXPECT_EQ(d.figures[0].width, 125); // a half-width cell at width factor 1

    // MTEXT attachment 1..9 is the origin code row by row.
    Pairs m;
    for (int a = 1; a <= 9; ++a)
        m = m + Pairs{{0, "MTEXT"}, {10, "0"}, {20, "0"}, {40, "1"}, {71, std::to_string(a)}, {1, "t"}};
    d = read(file("AC1015", "", m));
    for (int a = 1; a <= 9; ++a)
        EXPECT_EQ(d.figures[static_cast<size_t>(a - 1)].origin, 4 * ((a - 1) / 3) + (a - 1) % 3);
}

TEST(DxfInserts, BlocksThatCannotBeFollowedAreCountedNotFollowed)
{
    Pairs blocks = {{0, "BLOCK"}, {2, "SELF"}, {10, "0"}, {20, "0"}, {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"},
                    {21, "0"}, {0, "INSERT"}, {2, "SELF"}, {10, "5"}, {20, "0"}, {0, "ENDBLK"},
                    {0, "BLOCK"}, {2, "XREF"}, {70, "4"}, {10, "0"}, {20, "0"}, {0, "ENDBLK"},
                    {0, "BLOCK"}, {2, "G"}, {10, "1"}, {20, "1"}, {0, "POINT"}, {10, "1"}, {20, "2"}, {0, "ENDBLK"}};
    Pairs entities = {{0, "INSERT"}, {2, "SELF"}, {10, "0"}, {20, "0"},
                      {0, "INSERT"}, {2, "XREF"}, {10, "0"}, {20, "0"},
                      {0, "INSERT"}, {2, "NONE"}, {10, "0"}, {20, "0"},
                      // a 2 x 3 array 10 apart in x and 20 in y, turned by 90 degrees
                      {0, "INSERT"}, {2, "G"}, {10, "100"}, {20, "0"}, {50, "90"}, {70, "2"}, {71, "3"},
                      {44, "10"}, {45, "20"},
                      {0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}, {210, "0.6"},
                      {220, "0"}, {230, "0.8"},
                      {0, "ARC"}, {10, "3"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}, {230, "-1"},
                      {0, "LINE"}, {67, "1"}, {0, "LINE"}, {60, "1"}, {0, "SPLINE"}, {0, "SPLINE"}};
    std::string notices;
    host::DxfDrawing d = read(file("AC1015", "", entities, blocks), &notices);
    // SELF inside SELF is followed once: its line, then the insert of itself is refused.
    std::vector<std::pair<int32_t, int32_t>> points;
    for (const host::Figure &f : d.figures)
        if (f.kind == 4)
            points.push_back({f.x1, f.y1});
    std::vector<std::pair<int32_t, int32_t>> grid;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col) // block point (1, 2) - base (1, 1), offset, turned, moved
            grid.push_back({10000 - 100 * (1 + 20 * row), 100 * (10 * col)});
    EXPECT_EQ(points, grid);
    ASSERT_EQ(d.figures.size(), 8u);
    EXPECT_EQ(d.figures[0].kind, 2);
    // Extrusion -Z: the arc from 0 to 90 degrees, seen from below, runs
    // from 90 to 180 in the drawing, which the host stores as 180..270.
    const host::Figure &arc = d.figures[7];
    EXPECT_EQ(arc.x1, -300);
    EXPECT_EQ(arc.start, 180000000);
    EXPECT_EQ(arc.end, 270000000);
    EXPECT_NE(notices.find("t.dxf: skipped: 2 SPLINE, 1 ARC (not in the drawing plane), 1 INSERT of a block inside "
                           "itself, 1 INSERT of an external reference, 1 INSERT of an undefined block, 1 LINE "
                           "(invisible), 1 in paper space"),
              std::string::npos)
        << notices;
}

TEST(DxfWrite, AFigureListComesBackFigureForFigure)
{
    // Every figure the host keeps, with attributes beyond any DXF table:
    // unnamed layers, line types and styles, links, groups, spacing, the
    // second text kind, every origin code.
    std::string list =
        "line -5 7 2147483647 -2147483648 layer=3 group=9 color=0 ltype=0 link=-2\n"
        "line 0 0 10 10 layer=0 group=0 color=255 ltype=7\n"
        "arc 100 200 50 270 0 layer=1 color=4\n"
        "arc 100 200 50 0.000001 359.999999 layer=1\n"
        "arc -1 -2 3 300 30 layer=2 group=70000\n"
        "circle 5 6 7 color=1\n"
        "point 8 9 layer=65535\n";
    for (int o = 0; o <= 10; ++o)
        list += "text " + std::to_string(o) + " 1 \"表ソ" + std::to_string(o) + "\" origin=" + std::to_string(o) +
                " height=300 width=" + std::to_string(100 + o) + " spacing=" + std::to_string(o) +
                " angle=" + std::to_string(33 * o) + ".5 slant=-15 style=" + std::to_string(o % 3) +
                (o == 4 ? " kind=6" : "") + " link=" + std::to_string(o) + "\n";
    host::Records rec;
    ASSERT_FALSE(rec.layoutArrays(200, 250, 400));
    host::FigureTable fig(rec);
    ASSERT_FALSE(host::loadFigureList(fig, list, "list"));
    // With unitFactor 1 a stored unit is a millimetre: the coordinates are the stored numbers.
    std::string plain = host::writeDxf(fig, host::DxfNames{}, 1.0, host::DxfCurrent{});
    EXPECT_NE(plain.find("AcDbLine\n 10\n-5\n 20\n7\n 30\n0\n 11\n2147483647\n 21\n-2147483648\n"),
              std::string::npos);
    EXPECT_NE(plain.find("AcDbArc\n 50\n0\n 51\n90\n"), std::string::npos); // the host's 270..0 is the upper right quarter
    // Current attributes a session set beyond the figures' fields.
    host::DxfDrawing odd = read(host::writeDxf(fig, host::DxfNames{}, 0.01, host::DxfCurrent{-5, 300, 999}));
    EXPECT_EQ(odd.currentLayer, 0);
    EXPECT_EQ(odd.currentColor, 0);
    EXPECT_EQ(odd.names.lineTypes[static_cast<size_t>(odd.currentLineType)].name, "LTYPE_255");
    {
        std::string out = host::writeDxf(fig, host::DxfNames{}, 0.01, host::DxfCurrent{3, 2, 7});
        host::DxfDrawing d = read(out);
        host::Records rec2;
        ASSERT_FALSE(rec2.layoutArrays(200, 250, 400));
        host::FigureTable back(rec2);
        ASSERT_FALSE(back.replace(d.figures));
        // Layer, line type and style numbers come back as the order of the
        // written tables: names kept, so the list is the same but for them.
        std::string again = host::figureList(back);
        for (const auto &name : {std::make_pair(3, "3"), std::make_pair(1, "1"), std::make_pair(2, "2")})
            EXPECT_EQ(d.names.layers[static_cast<size_t>(name.first)].name, name.second);
        EXPECT_EQ(d.names.lineTypes[2].name, "LTYPE_7");
        EXPECT_EQ(d.names.styles[2].name, "STYLE_2");
        EXPECT_EQ(d.names.layers.back().name, "65535");
        std::string expect = host::figureList(fig); // line type 7 is the table's third, layer 65535 its fifth
        expect.replace(expect.find("ltype=7"), 7, "ltype=2");
        expect.replace(expect.find("layer=65535"), 11, "layer=4");
        EXPECT_EQ(again, expect);
        EXPECT_EQ(d.currentLayer, 3);
        EXPECT_EQ(d.currentColor, 2);
        EXPECT_EQ(d.currentLineType, 2);

        // Handles: unique, every owner one of them, the seed beyond them all.
        std::istringstream in(out);
        std::string code, value;
        std::set<std::string> handles;
        std::vector<std::string> owners;
        unsigned long seed = 0, highest = 0;
        bool seedNext = false;
        while (std::getline(in, code) && std::getline(in, value)) {
            int c = std::stoi(code);
            if (c == 5 || c == 105) {
                if (seedNext)
                    seed = std::stoul(value, nullptr, 16);
                else {
                    EXPECT_TRUE(handles.insert(value).second) << "handle " << value << " twice";
                    highest = std::max(highest, std::stoul(value, nullptr, 16));
                }
            }
            seedNext = c == 9 && value == "$HANDSEED";
            if (c == 330 || c == 340 || c == 350 || c == 390)
                owners.push_back(value);
        }
        EXPECT_GT(seed, highest);
        for (const std::string &o : owners)
            EXPECT_TRUE(o == "0" || handles.count(o)) << "owner " << o << " has no object";
        EXPECT_EQ(out.compare(out.size() - 8, 8, "  0\nEOF\n"), 0);
    }
}
