// The DXF reader on binary files written here byte by byte (one-byte codes
// of DXF 12 with their 255 escape, two-byte codes from DXF 13 on, every
// value type) against the same pairs as ASCII, and on damaged ASCII files:
// what is mended and listed, and what must still be refused.
// tests/dxf/binary_check.py checks both on files ezdxf writes.
#include "host/formats/Dxf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Pair {
    int code;
    std::string value; // as an ASCII file spells it
};
using Pairs = std::vector<Pair>;

std::string ascii(const Pairs &pairs)
{
    std::string s;
    for (const Pair &p : pairs)
        s += std::to_string(p.code) + "\n" + p.value + "\n";
    return s;
}

void little(std::string &out, uint64_t v, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out += static_cast<char>((v >> (8 * k)) & 0xFF);
}

// The binary form of the pairs with codes of `width` bytes; each value in
// the type its code's range gives it.
std::string binary(const Pairs &pairs, int width)
{
    std::string s("AutoCAD Binary DXF\r\n\x1a\0", 22);
    for (const Pair &p : pairs) {
        int c = p.code;
        if (width == 1 && c >= 255) {
            s += '\xFF';
            little(s, static_cast<uint64_t>(c), 2);
        } else {
            little(s, static_cast<uint64_t>(c), width);
        }
        auto in = [c](int a, int b) { return c >= a && c <= b; };
        if (in(10, 59) || in(110, 149) || in(210, 239) || in(1010, 1059)) {
            double d = std::stod(p.value);
            uint64_t v;
            std::memcpy(&v, &d, 8);
            little(s, v, 8);
        } else if (in(310, 319) || c == 1004) {
            s += static_cast<char>(p.value.size() / 2);
            for (size_t k = 0; k < p.value.size(); k += 2)
                s += static_cast<char>(std::stoi(p.value.substr(k, 2), nullptr, 16));
        } else if (in(290, 299)) {
            little(s, static_cast<uint64_t>(std::stoll(p.value)), 1);
        } else if (in(60, 79) || in(170, 179) || in(270, 289) || in(370, 389) || in(1060, 1070)) {
            little(s, static_cast<uint64_t>(std::stoll(p.value)), 2);
        } else if (in(90, 99) || c == 1071) {
            little(s, static_cast<uint64_t>(std::stoll(p.value)), 4);
        } else if (in(160, 169)) {
            little(s, static_cast<uint64_t>(std::stoll(p.value)), 8);
        } else {
            s += p.value;
            s += '\0';
        }
    }
    return s;
}

Pairs drawing(const std::string &version)
{
    // 表 in Shift-JIS (its second byte is a backslash) up to DXF 2004, in UTF-8 from DXF 2007 on
    const std::string hyo = version < "AC1021" ? "\x95\x5C" : "表";
    Pairs p = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, version}, {9, "$DWGCODEPAGE"}, {3, "ANSI_932"},
               {9, "$INSUNITS"}, {70, "4"}, {9, "$CECOLOR"}, {62, "3"}, {0, "ENDSEC"},
               {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {70, "1"},
               {0, "LAYER"}, {2, "WALL"}, {70, "0"}, {62, "-5"}, {6, "CONTINUOUS"}, {290, "0"}, {370, "-3"},
               {0, "ENDTAB"}, {0, "ENDSEC"},
               {0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {8, "0"}, {2, "B"}, {70, "0"}, {10, "1"}, {20, "1"},
               {30, "0"}, {0, "CIRCLE"}, {8, "0"}, {10, "2"}, {20, "2"}, {40, "0.75"}, {0, "ENDBLK"}, {0, "ENDSEC"},
               {0, "SECTION"}, {2, "ENTITIES"},
               {0, "LINE"}, {5, "2F"}, {8, "WALL"}, {62, "1"}, {10, "1234.5600000000001"}, {20, "-7.125"},
               {30, "0"}, {11, "98765.43"}, {21, "0.001"}, {31, "0"},
               {1001, "NEROLIT"}, {1000, "group"}, {1071, "70000"}, {1000, "link"}, {1070, "-3"},
               {1001, "OTHER"}, {1040, "2.5"}, {1004, "00FF7F80"},
               {0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, hyo + "\\U+8868"}, {50, "30"},
               {0, "INSERT"}, {8, "WALL"}, {2, "B"}, {10, "100"}, {20, "200"}, {41, "2"}, {42, "2"}, {50, "90"},
               {0, "ARC"}, {8, "0"}, {10, "50.5"}, {20, "60.25"}, {40, "12.34"}, {50, "15.5"}, {51, "290.25"},
               {370, "50"}, {0, "ENDSEC"}, {0, "EOF"}};
    if (version != "AC1009") { // fields DXF 12 has no code for
        Pairs later = {{0, "IMAGE"}, {8, "0"}, {10, "0"}, {20, "0"}, {90, "0"}, {160, "123456789012"},
                       {290, "1"}, {310, "DEADBEEF"}};
        p.insert(p.end() - 2, later.begin(), later.end());
    }
    return p;
}

std::string figuresOf(const host::DxfDrawing &d)
{
    std::string s;
    for (const host::Figure &f : d.figures)
        s += std::to_string(f.kind) + " " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " +
             std::to_string(f.x2) + " " + std::to_string(f.y2) + " " + std::to_string(f.start) + " " +
             std::to_string(f.end) + " L" + std::to_string(f.layer) + " C" + std::to_string(f.color) + " G" +
             std::to_string(f.group) + " K" + std::to_string(f.link) + " A" + std::to_string(f.angle) + " " +
             f.text + "\n";
    return s;
}

std::string notices(const host::DxfDrawing &d)
{
    std::string s;
    for (const std::string &n : d.notices)
        s += n + "\n";
    return s;
}

host::DxfDrawing read(const std::string &bytes)
{
    host::DxfDrawing d;
    std::optional<std::string> e = host::readDxf(bytes, "t.dxf", 100000, d);
    EXPECT_FALSE(e) << *e;
    return d;
}

std::string refused(const std::string &bytes)
{
    host::DxfDrawing d;
    d.figures.resize(1);
    std::optional<std::string> e = host::readDxf(bytes, "t.dxf", 100000, d);
    EXPECT_TRUE(e) << "read without a fault";
    EXPECT_EQ(d.figures.size(), 1u) << "half loaded";
    return e ? *e : "";
}

// The one repair notice, "" when there is none.
std::string repairs(const host::DxfDrawing &d)
{
    for (const std::string &n : d.notices)
        if (n.find(": repaired ") != std::string::npos)
            return n;
    return "";
}

} // namespace

TEST(DxfBinary, ReadsToTheFiguresOfTheAsciiFormInEveryCodeWidth)
{
    for (const char *version : {"AC1009", "AC1015", "AC1032"}) {
        SCOPED_TRACE(version);
        Pairs p = drawing(version);
        host::DxfDrawing a = read(ascii(p));
        ASSERT_EQ(a.figures.size(), 4u); // line, text, the block's circle, arc
        EXPECT_EQ(a.figures[0].x1, 123456);
        EXPECT_EQ(a.figures[0].group, 70000);
        EXPECT_EQ(a.figures[0].link, -3);
        EXPECT_EQ(a.figures[1].text, "表表");
        std::string want = figuresOf(a);
        // DXF 12 wrote one-byte codes; two-byte ones are read for it as well, as some writers give them.
        for (int width : {1, 2}) {
            SCOPED_TRACE(width);
            host::DxfDrawing b = read(binary(p, width));
            EXPECT_EQ(figuresOf(b), want);
            EXPECT_EQ(b.currentColor, 3);
            EXPECT_EQ(b.names.layers.size(), 2u);
            EXPECT_EQ(b.names.layers[1].color, -5);
            // The same counts of what was skipped and not kept; places differ (a line, a byte).
            std::string na = notices(a), nb = notices(b);
            EXPECT_NE(na.find("t.dxf: not kept: "), std::string::npos) << na;
            EXPECT_EQ(na.substr(na.find("t.dxf: ")), nb.substr(nb.find("t.dxf: "))) << na << nb;
            if (std::string(version) != "AC1009") {
                EXPECT_NE(nb.find("skipped: 1 IMAGE"), std::string::npos) << nb;
            }
        }
    }
}

TEST(DxfBinary, FaultsGiveTheByteWhereTheyAre)
{
    std::string good = binary(drawing("AC1015"), 2);
    ASSERT_EQ(read(good).figures.size(), 4u);
    // Cut inside a double: the pair's offset.
    size_t arc = good.find(std::string("ARC\0", 4));
    ASSERT_NE(arc, std::string::npos);
    std::string cut = good.substr(0, arc + 4 + 2 + 2 + 2 + 4); // ARC, 8 "0", code 10, half its double
    EXPECT_EQ(refused(cut), "t.dxf:byte " + std::to_string(arc + 4 + 2 + 2) +
                                ": the file ends inside the value of group code 10: it is truncated");
    // Cut between two pairs of the ENTITIES section: the file's size.
    std::string between = good.substr(0, arc - 2);
    EXPECT_EQ(refused(between), "t.dxf:byte " + std::to_string(arc - 2) +
                                    ": the file ends inside the ENTITIES section without 0/EOF: it is truncated");
    EXPECT_EQ(refused(std::string("AutoCAD Binary DXF\n\x1a\0", 21)),
              "t.dxf:1: a binary DXF file with a damaged sentinel (\"AutoCAD Binary DXF\" then CR, LF, 1A, 00)");
    std::string badCode = good;
    badCode[arc - 2] = '\x30', badCode[arc - 1] = '\x75'; // 0x7530 = 30000 instead of 0
    EXPECT_EQ(refused(badCode), "t.dxf:byte " + std::to_string(arc - 2) +
                                    ": expected a group code (a number from 0 to 1071), found 30000");
    // A double that is no finite number drops its entity, reported at its byte.
    std::string nan = good;
    size_t x = arc + 4 + 2 + 2 + 2;
    const char quietNan[8] = {0, 0, 0, 0, 0, 0, '\xF8', '\x7F'};
    nan.replace(x, 8, quietNan, 8);
    host::DxfDrawing d = read(nan);
    EXPECT_EQ(d.figures.size(), 3u);
    EXPECT_NE(repairs(d).find("\n  t.dxf:byte " + std::to_string(x - 2) + ": ARC at byte " + std::to_string(arc - 2) +
                              ": group code 10 needs a finite number, found \"nan\": the entity is dropped"),
              std::string::npos)
        << repairs(d);
    // Bytes after 0/EOF.
    d = read(good + "\x01\x02\x03");
    EXPECT_EQ(repairs(d), "t.dxf: repaired 1 fault (the drawing is read as far as it is sound):\n  t.dxf:byte " +
                              std::to_string(good.size()) + ": 3 bytes after 0/EOF ignored");
}

namespace {

int lineOf(const std::string &s, int code, const std::string &value, int from = 1)
{
    size_t at = 0;
    for (int line = 1; at < s.size(); ++line) {
        size_t nl = s.find('\n', at);
        if (line >= from && s.compare(at, nl - at, std::to_string(code)) == 0 &&
            s.compare(nl + 1, value.size() + 1, value + "\n") == 0)
            return line;
        at = nl + 1;
    }
    return -1;
}

// The pairs with the pair code/value (the first from index `from`) taken out.
Pairs without(Pairs q, int code, const std::string &value, size_t from = 0)
{
    for (size_t k = from; k < q.size(); ++k)
        if (q[k].code == code && q[k].value == value) {
            q.erase(q.begin() + static_cast<long>(k));
            break;
        }
    return q;
}

size_t indexOf(const Pairs &q, int code, const std::string &value)
{
    for (size_t k = 0; k < q.size(); ++k)
        if (q[k].code == code && q[k].value == value)
            return k;
    return q.size();
}

const std::string kRepaired = "t.dxf: repaired ";
const std::string kAsSound = " (the drawing is read as far as it is sound):";

} // namespace

TEST(DxfRepairs, EndMarkersJunkAndOutOfPlacePairsAreMendedToTheSoundFigures)
{
    Pairs p = drawing("AC1015");
    std::string sound = ascii(p);
    host::DxfDrawing good = read(sound);
    ASSERT_EQ(repairs(good), "");
    std::string want = figuresOf(good);
    int eof = lineOf(sound, 0, "EOF");

    host::DxfDrawing d = read(sound + "junk\n\x1a");
    EXPECT_EQ(figuresOf(d), want);
    EXPECT_EQ(repairs(d), kRepaired + "1 fault" + kAsSound + "\n  t.dxf:" + std::to_string(eof + 2) +
                              ": 2 lines after 0/EOF ignored");
    EXPECT_EQ(d.notices.size(), good.notices.size() + 1);
    EXPECT_EQ(d.notices.front(), repairs(d)); // the repairs come first

    d = read(sound.substr(0, sound.size() - 6));
    EXPECT_EQ(figuresOf(d), want);
    EXPECT_EQ(repairs(d), kRepaired + "1 fault" + kAsSound + "\n  t.dxf:" + std::to_string(eof - 1) +
                              ": the file ends without 0/EOF after its last section: read as it is");

    // No ENDTAB, no ENDBLK, no ENDSEC after the entities: each closed where the next part starts.
    std::string noEnds = ascii(without(without(without(p, 0, "ENDTAB"), 0, "ENDBLK"), 0, "ENDSEC",
                                       indexOf(p, 2, "ENTITIES")));
    d = read(noEnds);
    EXPECT_EQ(figuresOf(d), want);
    int tablesEnd = lineOf(noEnds, 0, "ENDSEC", lineOf(noEnds, 2, "TABLES"));
    int blocksEnd = lineOf(noEnds, 0, "ENDSEC", lineOf(noEnds, 2, "BLOCKS"));
    EXPECT_EQ(repairs(d), kRepaired + "3 faults" + kAsSound +
                              "\n  t.dxf:" + std::to_string(tablesEnd) + ": the LAYER table has no 0/ENDTAB: closed at 0/ENDSEC" +
                              "\n  t.dxf:" + std::to_string(blocksEnd) + ": block \"B\" has no 0/ENDBLK: closed at 0/ENDSEC" +
                              "\n  t.dxf:" + std::to_string(lineOf(noEnds, 0, "EOF")) +
                              ": the ENTITIES section has no 0/ENDSEC: closed at 0/EOF");
    // Listed in file order: what follows 0/EOF comes last, though it is found first.
    std::string r = repairs(read(noEnds + "junk\n"));
    EXPECT_EQ(r.substr(r.rfind("\n  ")), "\n  t.dxf:" + std::to_string(lineOf(noEnds, 0, "EOF") + 2) +
                                             ": 1 line after 0/EOF ignored")
        << r;
    EXPECT_NE(r.find(kRepaired + "4 faults"), std::string::npos) << r;

    // $CECOLOR and $INSUNITS (centimetres) out of the HEADER: before the first section, between two
    // sections, inside an entity; stray pairs between sections and a section without its name.
    Pairs moved = without(without(without(without(p, 9, "$CECOLOR"), 62, "3"), 9, "$INSUNITS"), 70, "4");
    Pairs before = {{9, "$CECOLOR"}, {62, "3"}};
    moved.insert(moved.begin(), before.begin(), before.end());
    Pairs between = {{9, "$INSUNITS"}, {70, "5"}, {5, "junk"}, {0, "JUNK"}, {8, "x"}, {0, "SECTION"}, {9, "$X"},
                     {1, "y"}, {0, "ENDSEC"}, {0, "SECTION"}, {0, "ENDSEC"}};
    moved.insert(moved.begin() + static_cast<long>(indexOf(moved, 2, "BLOCKS")) - 1, between.begin(), between.end());
    Pairs inside = {{9, "$CLAYER"}, {8, "WALL"}};
    moved.insert(moved.begin() + static_cast<long>(indexOf(moved, 0, "TEXT")) + 1, inside.begin(), inside.end());
    std::string movedText = ascii(moved);
    d = read(movedText);
    ASSERT_EQ(d.figures.size(), good.figures.size());
    EXPECT_EQ(d.figures[0].x1, 10 * good.figures[0].x1); // in centimetres: the variable was read
    EXPECT_EQ(d.currentColor, 3);
    EXPECT_EQ(d.currentLayer, 1);
    EXPECT_EQ(d.figures[1].layer, 0); // the text kept its own layer
    r = repairs(d);
    int blocks = lineOf(movedText, 2, "BLOCKS");
    EXPECT_EQ(r, kRepaired + "6 faults" + kAsSound +
                     "\n  t.dxf:1: header variable $CECOLOR before the first section: read as a header variable" +
                     "\n  t.dxf:" + std::to_string(blocks - 24) +
                     ": header variable $INSUNITS between sections: read as a header variable" +
                     "\n  t.dxf:" + std::to_string(blocks - 18) + ": 2 pairs outside any section (from 0/\"JUNK\") skipped" +
                     "\n  t.dxf:" + std::to_string(blocks - 14) +
                     ": a section without its name (group code 2) holding header variables: read as the HEADER section" +
                     "\n  t.dxf:" + std::to_string(blocks - 6) + ": a section without its name (group code 2): skipped" +
                     "\n  t.dxf:" + std::to_string(lineOf(movedText, 9, "$CLAYER")) +
                     ": header variable $CLAYER inside TEXT in the ENTITIES section: read as a header variable")
        << r;
}

TEST(DxfRepairs, BrokenNumbersDropTheirEntryAndAMissingLayerTableIsRebuilt)
{
    Pairs p = drawing("AC1015");
    host::DxfDrawing good = read(ascii(p));
    Pairs q = p;
    q[indexOf(q, 10, "50.5")].value = "50,5";          // the ARC
    q[indexOf(q, 62, "-5")].value = "blue";            // the layer WALL
    q[indexOf(q, 40, "0.75")].value = "1e999";         // the block's circle
    q[indexOf(q, 70, "4")].value = "mm";               // $INSUNITS
    q[indexOf(q, 1040, "2.5")].value = "x";            // XDATA of the first line
    std::string text = ascii(q);
    host::DxfDrawing d = read(text);
    ASSERT_EQ(d.figures.size(), 2u) << figuresOf(d); // the line without its XDATA, the text
    EXPECT_EQ(d.figures[0].x1, good.figures[0].x1);
    EXPECT_EQ(d.figures[0].group, 0);
    EXPECT_EQ(d.figures[1].text, good.figures[1].text);
    std::string r = repairs(d);
    auto at = [&](int code, const std::string &value) { return "t.dxf:" + std::to_string(lineOf(text, code, value) + 1); };
    EXPECT_NE(r.find(kRepaired + "5 faults"), std::string::npos) << r;
    for (const std::string &line :
         {at(70, "mm") + ": header variable $INSUNITS: group code 70 needs an integer, found \"mm\": ignored",
          at(62, "blue") + ": the LAYER table's LAYER entry at line " + std::to_string(lineOf(text, 0, "LAYER", 10)) +
              ": group code 62 needs an integer, found \"blue\": the entry is dropped",
          at(40, "1e999") + ": CIRCLE at line " + std::to_string(lineOf(text, 0, "CIRCLE")) +
              ": group code 40 needs a finite number, found \"1e999\": the entity is dropped",
          at(1040, "x") + ": LINE at line " + std::to_string(lineOf(text, 0, "LINE")) +
              ": group code 1040 needs a finite number, found \"x\": its XDATA is dropped",
          at(10, "50,5") + ": ARC at line " + std::to_string(lineOf(text, 0, "ARC")) +
              ": group code 10 needs a finite number, found \"50,5\": the entity is dropped"})
        EXPECT_NE(r.find("\n  " + line), std::string::npos) << line << "\n" << r;

    // The LAYER table gone from a TABLES section: the layers come from the figures' names.
    size_t table = indexOf(p, 0, "TABLE"), end = indexOf(p, 0, "ENDTAB");
    Pairs noLayers = p;
    noLayers.erase(noLayers.begin() + static_cast<long>(table), noLayers.begin() + static_cast<long>(end) + 1);
    text = ascii(noLayers);
    d = read(text);
    EXPECT_EQ(d.figures.size(), good.figures.size());
    ASSERT_EQ(d.names.layers.size(), 2u);
    EXPECT_EQ(d.names.layers[1].name, "WALL");
    EXPECT_EQ(d.names.layers[1].color, 7);
    EXPECT_EQ(repairs(d), kRepaired + "1 fault" + kAsSound + "\n  t.dxf:" + std::to_string(lineOf(text, 2, "TABLES")) +
                              ": the TABLES section has no LAYER table: layers are made from the names the figures "
                              "use (colour 7, Continuous)");
}

TEST(DxfRepairs, WhatCannotBeMendedWithoutLosingDataIsStillRefused)
{
    Pairs p = drawing("AC1015");
    std::string sound = ascii(p);
    int entities = lineOf(sound, 2, "ENTITIES");
    // Cut inside the ENTITIES section, cut before it, and pairs with no section at all.
    std::string cut = sound.substr(0, sound.find("0\nARC\n"));
    EXPECT_EQ(refused(cut), "t.dxf:" + std::to_string(lineOf(sound, 0, "ARC") - 1) +
                                ": the file ends inside the ENTITIES section without 0/EOF: it is truncated");
    std::string noEntities = sound.substr(0, sound.find("0\nSECTION\n2\nENTITIES\n"));
    EXPECT_EQ(refused(noEntities), "t.dxf:" + std::to_string(entities - 3) +
                                       ": the file ends before its ENTITIES section without 0/EOF: it is truncated");
    EXPECT_EQ(refused("0\nLINE\n10\n1\n0\nEOF\n"), "t.dxf:1: expected 0/SECTION or 0/EOF, found 0/\"LINE\"");
    EXPECT_EQ(refused("0\nSECTION\n"), "t.dxf:2: the file ends after 0/SECTION without 0/EOF: it is truncated");
}

// A large file's read tells how far it has come, in both forms: the share
// read only grows to 1, then the figures made only grow; a listener that
// says stop ends the read with "file: reading stopped" in either phase and
// leaves the drawing as it was.
TEST(DxfProgress, TheShareReadAndTheFiguresMadeGrowAndAStopLosesNothing)
{
    Pairs p = drawing("AC1015");
    Pairs lines;
    const int kLines = 20000;
    for (int k = 0; k < kLines; ++k)
        lines.insert(lines.end(), {{0, "LINE"}, {8, "WALL"}, {10, std::to_string(k)}, {20, "0"}, {11, std::to_string(k)},
                                   {21, "5"}});
    p.insert(p.end() - 2, lines.begin(), lines.end());
    for (int width : {0, 1, 2}) {
        std::string bytes = width ? binary(p, width) : ascii(p);
        SCOPED_TRACE(width ? "binary, codes of " + std::to_string(width) + " bytes" : std::string("ASCII"));
        std::vector<host::DxfProgress> told;
        host::DxfDrawing d;
        host::DxfTell listen = [&](const host::DxfProgress &at) {
            told.push_back(at);
            return true;
        };
        ASSERT_FALSE(host::readDxf(bytes, "t.dxf", 100000, d, listen));
        EXPECT_EQ(figuresOf(d), figuresOf(read(bytes))) << "a listener changes nothing";
        size_t reading = 0, making = 0;
        for (size_t k = 0; k < told.size(); ++k) {
            const host::DxfProgress &at = told[k];
            EXPECT_TRUE(at.read > 0 && at.read <= 1) << k << ": " << at.read;
            if (at.read < 1) {
                EXPECT_EQ(at.figures, 0u) << k;
                EXPECT_EQ(making, 0u) << k << ": reading again after figures were made";
                ++reading;
            } else {
                ++making;
            }
            if (k > 0) {
                EXPECT_GE(at.read, told[k - 1].read) << k;
                EXPECT_GE(at.figures, told[k - 1].figures) << k;
            }
        }
        // 20,000 lines are 120,000 pairs and 20,000 entities: told while
        // read and while made, never the whole drawing as made.
        EXPECT_GE(reading, 25u);
        EXPECT_GE(making, 4u);
        EXPECT_GT(told.back().figures, 0u);
        EXPECT_LT(told.back().figures, d.figures.size());

        // Stopped while read, and while the figures are made.
        for (bool whileMade : {false, true}) {
            host::DxfDrawing kept;
            kept.figures.resize(1);
            kept.notices = {"as it was"};
            int calls = 0;
            host::DxfTell stop = [&](const host::DxfProgress &at) {
                ++calls;
                return whileMade ? at.figures == 0 : calls < 3;
            };
            std::optional<std::string> e = host::readDxf(bytes, "t.dxf", 100000, kept, stop);
            EXPECT_EQ(e.value_or("read to the end"), "t.dxf: reading stopped");
            EXPECT_EQ(calls, whileMade ? static_cast<int>(reading) + 1 : 3) << "nothing told after the stop";
            EXPECT_EQ(kept.figures.size(), 1u);
            EXPECT_EQ(kept.notices, std::vector<std::string>{"as it was"});
        }
    }
}
