/*
 * DxfParts.h - what the files of the DXF reader share: a file's group-code
 * pairs grouped into records (an entity or a table entry with its pairs),
 * the file's blocks and header values, and the text decoding that depends
 * on the file's version and code page.  Internal to formats/Dxf*.cpp.
 */
#ifndef NEROLIT_HOST_DXFPARTS_H
#define NEROLIT_HOST_DXFPARTS_H

#include "host/formats/Dxf.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace host {
namespace dxf {

/* One group-code pair; `line` is the line of its code (1-based), or the
   byte offset of its code in a binary file. */
struct Tag {
    int code = 0;
    std::string value;   /* as in the file; numbers already checked */
    int line = 0;
    bool broken = false; /* a number field that is no finite number (line: the value's) */
};

/* Why a broken pair is broken: "group code 10 needs a finite number, found "x"". */
std::string brokenWhy(const Tag &t);

/* An entity or table entry: its 0 pair's name and the pairs up to the next
   0 pair.  Pairs from the first XDATA application (1001) or embedded object
   (101) on are not the entity's own fields: data() stops there. */
struct Record {
    std::string type; /* upper case */
    int line = 0;     /* line of the 0 pair */
    std::vector<Tag> tags;
    std::vector<Record> children; /* VERTEX of a POLYLINE, ATTRIB of an INSERT */

    size_t dataEnd() const;
    const Tag *find(int code) const; /* first own pair with this code */
    double num(int code, double otherwise) const;
    int integer(int code, int otherwise) const;
    std::string str(int code, const std::string &otherwise) const;
    int lineOf(int code) const; /* line of that pair, else of the record */
};

struct Block {
    std::string name;
    double baseX = 0, baseY = 0;
    int flags = 0; /* 4: an external reference, whose entities are elsewhere */
    int line = 0;
    std::vector<Record> entities;
};

enum class Encoding { Utf8, Cp932, Cp1252, Other };

struct File {
    std::string name;            /* for messages */
    bool binary = false;         /* a binary DXF: places are byte offsets */
    std::vector<std::string> repairs; /* "file:line: what was mended", in file order */
    std::string version;         /* $ACADVER, "" when the header has none */
    std::string codePage;        /* $DWGCODEPAGE */
    Encoding encoding = Encoding::Cp932;
    /* A DXF 2007 or later file's $DWGCODEPAGE: texts that are not UTF-8
       (written by a program that kept its code page) are read in it. */
    Encoding fallback = Encoding::Other;
    int insUnits = 0;
    Tag currentLayer{8, "0", 0}, currentLineType{6, "BYLAYER", 0};
    int currentColor = 256;
    std::vector<Record> layers, lineTypes, styles;
    std::map<std::string, Block> blocks; /* by upper-case name */
    std::vector<Record> entities;
    const DxfTell *tell = nullptr; /* told how far the read has come, or none */

    /* "name:line", or "name:byte N" in a binary file. */
    std::string where(int place) const;
};

/* Every this many pairs (or entities) a read tells how far it has come. */
constexpr std::size_t kTellEvery = 4096;

/* Tells f's listener how far the read has come: false when it stops the
   read, which then returns stopped(f). */
bool goesOn(const File &f, double read, std::size_t figures);
std::string stopped(const File &f);

/* DxfLex.cpp: the pairs of an ASCII or binary file up to and including
   0/EOF; `end` is the file's last line (its size in a binary file).
   Broken numbers are marked, bytes after 0/EOF reported in f.repairs;
   "file:line: what" when the pairs cannot be read. */
struct Pairs {
    std::vector<Tag> tags;
    int end = 0;
};
std::optional<std::string> readPairs(const std::string &bytes, File &f, Pairs &out);

/* DxfRead.cpp: the pairs of a whole file grouped into sections, tables,
   blocks and entities, the damage a careful reader can mend mended and
   listed in out.repairs.  "file:line: what" on a fault. */
std::optional<std::string> parseFile(const std::string &bytes, const std::string &fileName, File &out);

/* DxfExplode.cpp: the drawing of a parsed file, inserts exploded into at
   most maxEntries entries of figures.  "file:line: what" on a fault. */
std::optional<std::string> explodeFile(const File &f, std::size_t maxEntries, DxfDrawing &out);

/* DxfText.cpp */

/* ASCII upper case (names compare without case in DXF). */
std::string upper(const std::string &s);

/* A string value in UTF-8: the file's code page (or UTF-8 from DXF 2007 on)
   decoded, and with `escapes` also \U+XXXX and \M+1XXXX.  Nothing when the
   bytes cannot be read; `error` says why. */
std::optional<std::string> decodeString(const std::string &raw, Encoding enc, bool escapes, std::string &error);

/* The plain lines of an MTEXT's UTF-8 content: formatting codes removed,
   \U+XXXX decoded, one line per paragraph (\P, ^J, a line break). */
std::vector<std::string> mtextLines(const std::string &utf8);

/* UTF-8 as DXF bytes in code page 932; a character without a Shift-JIS
   form becomes \U+XXXX (a pair of them beyond the BMP). */
std::string encodeString(const std::string &utf8);

/* The first character of a UTF-8 text that has no Shift-JIS form, as
   "U+XXXX"; "" when every character has one. */
std::string firstWithoutSjis(const std::string &utf8);

/* DxfNames.cpp: the drawing's layers, line types and text styles, each
   with the host's number for it.  Faults (a name that cannot be decoded)
   go to `fault` as "file:line: what"; the first one stays. */
constexpr int32_t kByBlock = -1; /* line type or colour taken from the insert */

class Names {
public:
    Names(const File &f, DxfNames &out, std::map<std::string, int> &notKept, std::string &fault)
        : f_(f), out_(out), notKept_(notKept), fault_(fault) {}

    /* The LAYER, LTYPE and STYLE tables, and the current attributes. */
    void loadTables(DxfDrawing &d);

    int32_t layer(const Tag &name);    /* a name met only on an entity is added */
    int32_t lineType(const Tag &name); /* 0 ByLayer, 1 Continuous, kByBlock */
    int32_t style(const Tag &name);    /* 0 Standard */
    int32_t color(int aci) const;      /* 0 ByLayer, kByBlock, 1..255 */
    int32_t layerColor(int32_t layer) const;
    int32_t layerLineType(int32_t layer);
    const DxfStyle &styleAt(int32_t i) const { return out_.styles[static_cast<size_t>(i)]; }

    /* A string value in UTF-8 (see decodeString); "" with the fault set
       when it cannot be read. */
    std::string decode(const Tag &t, bool escapes) const;

    /* Texts of a UTF-8 file read in its code page instead: how many, and
       the place of the first (a repair to list). */
    int fallbacks() const { return fallbacks_; }
    int firstFallback() const { return firstFallback_; }

private:
    int32_t find(std::map<std::string, int32_t> &index, const std::string &name) const;
    int32_t lineTypeNamed(const std::string &utf8);

    const File &f_;
    DxfNames &out_;
    std::map<std::string, int> &notKept_;
    std::string &fault_;
    std::map<std::string, int32_t> layerIndex_, lineTypeIndex_, styleIndex_; /* by upper-case name */
    mutable int fallbacks_ = 0, firstFallback_ = 0;
};

} // namespace dxf
} // namespace host

#endif
