/*
 * DxfRead.cpp - a DXF file's structure from its pairs (DxfLex.cpp): header
 * values, the LAYER, LTYPE and STYLE tables, the blocks and the entities.
 *
 * Damage is mended where a careful reader can tell what was meant, and
 * each mend is listed (file:line) in File::repairs, which the host shows
 * as one notice: a section, table or block without its end marker is
 * closed at the next one that cannot belong to it; an entity or table
 * entry with a broken number is dropped (the rest of the drawing is
 * sound); header variables outside the HEADER section are read where they
 * stand; pairs outside any section or table are skipped; a file whose
 * 0/EOF is missing after its ENTITIES section is read as it is.  What a
 * reader cannot mend without losing data silently is refused with the
 * place: a file that ends inside a section, or before any ENTITIES
 * section, or with no section at all.  The whole file is read before
 * anything is decided, so a refusal leaves the host's drawing as it was.
 */
#include "host/formats/DxfParts.h"

#include <algorithm>
#include <cstdlib>

namespace host {
namespace dxf {

namespace {

std::string trimmed(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string shown(const std::string &s) { return "\"" + (s.size() > 40 ? s.substr(0, 40) + "..." : s) + "\""; }

/* The first broken pair of a record or its children, null if none. */
const Tag *brokenIn(const Record &r)
{
    for (const Tag &t : r.tags)
        if (t.broken)
            return &t;
    for (const Record &c : r.children)
        if (const Tag *t = brokenIn(c))
            return t;
    return nullptr;
}

class Parser {
public:
    Parser(const std::vector<Tag> &tags, int end, File &f) : t_(tags), end_(end), f_(f) {}

    std::optional<std::string> run()
    {
        bool sawSection = false, sawEntities = false;
        for (;;) {
            if (i_ >= t_.size()) {
                if (!sawEntities)
                    return truncated("before its ENTITIES section");
                repair(end_, "the file ends without 0/EOF after its last section: read as it is");
                return std::nullopt;
            }
            const Tag &a = t_[i_];
            if (isZero("EOF"))
                return std::nullopt;
            if (!isZero("SECTION")) {
                if (a.code == 9 && !a.value.empty() && a.value[0] == '$') {
                    size_t first = i_;
                    std::string var;
                    for (; i_ < t_.size() && t_[i_].code != 0; ++i_)
                        headerPair(t_[i_], var);
                    repair(t_[first].line, "header variable " + trimmed(t_[first].value) +
                                               (sawSection ? " between sections" : " before the first section") +
                                               ": read as a header variable");
                    continue;
                }
                if (!sawSection)
                    return f_.where(a.line) + ": expected 0/SECTION or 0/EOF, found " + std::to_string(a.code) + "/" +
                           shown(a.value);
                size_t first = i_;
                for (++i_; i_ < t_.size() && !isZero("SECTION") && !isZero("EOF");)
                    ++i_;
                repair(t_[first].line, std::to_string(i_ - first) + " pairs outside any section (from " +
                                           std::to_string(a.code) + "/" + shown(a.value) + ") skipped");
                continue;
            }
            sawSection = true;
            int at = a.line;
            ++i_;
            if (i_ >= t_.size())
                return truncated("after 0/SECTION");
            std::optional<std::string> e;
            if (t_[i_].code != 2) {
                bool vars = t_[i_].code == 9;
                section_ = vars ? "HEADER" : "unnamed";
                repair(at, std::string("a section without its name (group code 2)") +
                               (vars ? " holding header variables: read as the HEADER section" : ": skipped"));
                e = vars ? header() : skip();
            } else {
                section_ = upper(trimmed(t_[i_++].value));
                if (section_ == "HEADER")
                    e = header();
                else if (section_ == "TABLES")
                    e = tables();
                else if (section_ == "BLOCKS")
                    e = blocks();
                else if (section_ == "ENTITIES")
                    e = entities(f_.entities, false);
                else
                    e = skip();
                sawEntities = sawEntities || section_ == "ENTITIES";
            }
            if (e)
                return e;
            if (i_ >= t_.size())
                return truncated("");
            if (isZero("ENDSEC"))
                ++i_;
            else
                repair(t_[i_].line, "the " + section_ + " section has no 0/ENDSEC: closed at 0/" + trimmed(t_[i_].value));
            section_.clear();
        }
    }

private:
    void repair(int at, const std::string &what) { f_.repairs.push_back(f_.where(at) + ": " + what); }
    std::string place(int at) const { return (f_.binary ? "byte " : "line ") + std::to_string(at); }

    std::string truncated(const std::string &where) const
    {
        return f_.where(end_) + ": the file ends " + (section_.empty() ? where : "inside the " + section_ + " section") +
               " without 0/EOF: it is truncated";
    }
    bool isZero(const char *value) const
    {
        return i_ < t_.size() && t_[i_].code == 0 && upper(trimmed(t_[i_].value)) == value;
    }
    /* A 0 pair that ends any section: its 0/ENDSEC, or (the ENDSEC
       missing) the next 0/SECTION or 0/EOF. */
    bool sectionEnd() const { return isZero("ENDSEC") || isZero("SECTION") || isZero("EOF"); }

    /* A section the host does not read; a broken number in it is reported
       (the file is damaged) but costs nothing. */
    std::optional<std::string> skip()
    {
        bool told = false;
        for (; i_ < t_.size() && !sectionEnd(); ++i_)
            if (t_[i_].broken && !told) {
                told = true;
                repair(t_[i_].line, brokenWhy(t_[i_]) + " (in the " + section_ + " section, which the host does not read)");
            }
        return i_ < t_.size() ? std::nullopt : std::optional<std::string>(truncated(""));
    }

    /* One pair of the header: a 9 pair names the variable its values
       follow. */
    void headerPair(const Tag &a, std::string &var)
    {
        if (a.code == 9) {
            var = upper(trimmed(a.value));
            return;
        }
        if (a.broken) {
            repair(a.line, "header variable " + var + ": " + brokenWhy(a) + ": ignored");
            return;
        }
        if (var == "$ACADVER" && a.code == 1)
            f_.version = upper(trimmed(a.value));
        else if (var == "$DWGCODEPAGE" && a.code == 3)
            f_.codePage = upper(trimmed(a.value));
        else if (var == "$INSUNITS" && a.code == 70)
            f_.insUnits = std::atoi(a.value.c_str());
        else if (var == "$CLAYER" && a.code == 8)
            f_.currentLayer = a;
        else if (var == "$CELTYPE" && a.code == 6)
            f_.currentLineType = a;
        else if (var == "$CECOLOR" && a.code == 62)
            f_.currentColor = std::atoi(a.value.c_str());
    }

    /* The 0 pair at i_ and the pairs up to the next 0 pair.  A header
       variable among them (no entity or table entry has a 9 pair) is read
       as one, with its value (a point's 10, 20, 30). */
    Record record()
    {
        Record r;
        r.type = upper(trimmed(t_[i_].value));
        r.line = t_[i_].line;
        for (++i_; i_ < t_.size() && t_[i_].code != 0; ++i_) {
            const Tag &a = t_[i_];
            if (a.code != 9 || a.value.empty() || a.value[0] != '$') {
                r.tags.push_back(a);
                continue;
            }
            std::string var;
            headerPair(a, var);
            repair(a.line, "header variable " + var + " inside " + r.type + " in the " + section_ +
                               " section: read as a header variable");
            if (i_ + 1 < t_.size() && t_[i_ + 1].code != 0)
                headerPair(t_[++i_], var);
            while (i_ + 1 < t_.size() && (t_[i_ + 1].code == 20 || t_[i_ + 1].code == 30) && t_[i_].code + 10 == t_[i_ + 1].code)
                headerPair(t_[++i_], var);
        }
        return r;
    }

    /* Pairs that are not where they may stand (before a table's 0/TABLE,
       a 0/ENDTAB outside a table, ...): up to the next 0 pair that may. */
    template <class Stop> void stray(const char *where, Stop stop)
    {
        const Tag &a = t_[i_];
        size_t first = i_;
        do
            ++i_;
        while (i_ < t_.size() && !(t_[i_].code == 0 && stop()));
        repair(a.line, std::to_string(a.code) + "/" + shown(trimmed(a.value)) + " " + where +
                           (i_ - first > 1 ? " (" + std::to_string(i_ - first) + " pairs)" : "") + ": skipped");
    }

    std::optional<std::string> header()
    {
        std::string var;
        while (i_ < t_.size() && !sectionEnd()) {
            if (t_[i_].code == 0)
                stray("in the HEADER section", [this] { return sectionEnd(); });
            else
                headerPair(t_[i_++], var);
        }
        if (i_ >= t_.size())
            return truncated("");
        return std::nullopt;
    }

    /* A TABLES section without a LAYER table has lost it (writers that
       leave out the LTYPE or STYLE table are common, and their names are
       made from the names alone as well). */
    void missingTables(int at)
    {
        if (std::find(tablesSeen_.begin(), tablesSeen_.end(), "LAYER") == tablesSeen_.end())
            repair(at, "the TABLES section has no LAYER table: layers are made from the names the figures use "
                       "(colour 7, Continuous)");
    }

    std::optional<std::string> tables()
    {
        int at = t_[i_ - 1].line;
        while (i_ < t_.size() && !sectionEnd()) {
            if (!isZero("TABLE")) {
                stray("outside any table", [this] { return isZero("TABLE") || sectionEnd(); });
                continue;
            }
            Record table = record();
            std::string kind = upper(trimmed(table.str(2, "")));
            tablesSeen_.push_back(kind);
            std::vector<Record> *into = kind == "LAYER" ? &f_.layers : kind == "LTYPE" ? &f_.lineTypes
                                      : kind == "STYLE" ? &f_.styles : nullptr;
            while (i_ < t_.size() && !isZero("ENDTAB") && !isZero("TABLE") && !sectionEnd()) {
                Record r = record();
                if (!into)
                    continue;
                if (const Tag *b = brokenIn(r))
                    repair(b->line, "the " + kind + " table's " + r.type + " entry at " + place(r.line) +
                                        ": " + brokenWhy(*b) + ": the entry is dropped");
                else
                    into->push_back(std::move(r));
            }
            if (i_ >= t_.size())
                return truncated("");
            if (isZero("ENDTAB"))
                record();
            else
                repair(t_[i_].line, "the " + kind + " table has no 0/ENDTAB: closed at 0/" + trimmed(t_[i_].value));
        }
        if (i_ >= t_.size())
            return truncated("");
        missingTables(at);
        return std::nullopt;
    }

    std::optional<std::string> blocks()
    {
        while (i_ < t_.size() && !sectionEnd()) {
            if (!isZero("BLOCK")) {
                stray("outside any block", [this] { return isZero("BLOCK") || sectionEnd(); });
                continue;
            }
            Record head = record();
            Block b;
            b.name = head.str(2, "");
            b.baseX = head.num(10, 0);
            b.baseY = head.num(20, 0);
            b.flags = head.integer(70, 0);
            b.line = head.line;
            if (std::optional<std::string> e = entities(b.entities, true))
                return e;
            if (isZero("ENDBLK"))
                record();
            else
                repair(t_[i_].line, "block " + shown(b.name) + " has no 0/ENDBLK: closed at 0/" + trimmed(t_[i_].value));
            if (const Tag *bad = brokenIn(head))
                repair(bad->line, "block " + shown(b.name) + ": " + brokenWhy(*bad) + ": the block is dropped");
            else
                f_.blocks[upper(b.name)] = std::move(b);
        }
        return i_ < t_.size() ? std::nullopt : std::optional<std::string>(truncated(""));
    }

    /* Entity records up to the end of the section or, in a block, the
       block's 0/ENDBLK (or the next 0/BLOCK); the VERTEX records of a
       POLYLINE and the ATTRIB records of an INSERT become its children. */
    std::optional<std::string> entities(std::vector<Record> &out, bool inBlock)
    {
        while (i_ < t_.size() && !sectionEnd() && !(inBlock && (isZero("ENDBLK") || isZero("BLOCK")))) {
            if (t_[i_].code != 0) {
                stray("before the first entity", [] { return true; });
                continue;
            }
            Record r = record();
            if (r.type == "SEQEND")
                continue;
            bool holder = r.type == "POLYLINE" || (r.type == "INSERT" && r.integer(66, 0) == 1);
            while (holder && (isZero("VERTEX") || isZero("ATTRIB")))
                r.children.push_back(record());
            if (holder && isZero("SEQEND"))
                record();
            const Tag *b = brokenIn(r);
            if (b && b >= r.tags.data() + r.dataEnd() && b < r.tags.data() + r.tags.size()) {
                /* in XDATA or an embedded object: the entity's own fields are sound */
                repair(b->line, r.type + " at " + place(r.line) + ": " + brokenWhy(*b) +
                                    ": its XDATA is dropped");
                r.tags.erase(r.tags.begin() + static_cast<long>(r.dataEnd()), r.tags.end());
                b = brokenIn(r);
            }
            if (b)
                repair(b->line, r.type + " at " + place(r.line) + ": " + brokenWhy(*b) +
                                    ": the entity is dropped");
            else
                out.push_back(std::move(r));
        }
        return i_ < t_.size() ? std::nullopt : std::optional<std::string>(truncated(""));
    }

    const std::vector<Tag> &t_;
    int end_;
    File &f_;
    size_t i_ = 0;
    std::string section_;
    std::vector<std::string> tablesSeen_; /* kinds of the TABLE records met */
};

} // namespace

size_t Record::dataEnd() const
{
    for (size_t k = 0; k < tags.size(); ++k)
        if (tags[k].code == 1001 || tags[k].code == 101)
            return k;
    return tags.size();
}

const Tag *Record::find(int code) const
{
    size_t end = dataEnd();
    for (size_t k = 0; k < end; ++k)
        if (tags[k].code == code)
            return &tags[k];
    return nullptr;
}

double Record::num(int code, double otherwise) const
{
    const Tag *t = find(code);
    return t ? std::strtod(t->value.c_str(), nullptr) : otherwise;
}

int Record::integer(int code, int otherwise) const
{
    const Tag *t = find(code);
    return t ? static_cast<int>(std::strtod(t->value.c_str(), nullptr)) : otherwise;
}

std::string Record::str(int code, const std::string &otherwise) const
{
    const Tag *t = find(code);
    return t ? t->value : otherwise;
}

int Record::lineOf(int code) const
{
    const Tag *t = find(code);
    return t ? t->line : line;
}

std::optional<std::string> parseFile(const std::string &bytes, const std::string &fileName, File &out)
{
    if (bytes.empty())
        return fileName + ":1: the file is empty";
    out.name = fileName;
    Pairs pairs;
    if (std::optional<std::string> e = readPairs(bytes, out, pairs))
        return e;
    /* the lexer's repairs are what follows 0/EOF: last in file order */
    std::vector<std::string> afterEof = std::move(out.repairs);
    out.repairs.clear();
    std::optional<std::string> e = Parser(pairs.tags, pairs.end, out).run();
    out.repairs.insert(out.repairs.end(), afterEof.begin(), afterEof.end());
    /* DXF 2007 and later are UTF-8; older files use their code page (both
       known once every header variable is read, wherever it stood). */
    if (out.codePage.empty() || out.codePage == "ANSI_932" || out.codePage == "DOS932")
        out.encoding = Encoding::Cp932;
    else if (out.codePage == "ANSI_1252" || out.codePage == "ISO8859-1")
        out.encoding = Encoding::Cp1252;
    else
        out.encoding = Encoding::Other;
    if (out.version >= "AC1021") {
        out.fallback = out.encoding;
        out.encoding = Encoding::Utf8;
    }
    return e;
}

} // namespace dxf

bool dxf::goesOn(const File &f, double read, std::size_t figures)
{
    DxfProgress p;
    p.read = read;
    p.figures = figures;
    return !f.tell || (*f.tell)(p);
}

std::string dxf::stopped(const File &f) { return f.name + ": reading stopped"; }

bool isDxfName(const std::string &path)
{
    return path.size() >= 4 && dxf::upper(path.substr(path.size() - 4)) == ".DXF";
}

std::optional<std::string> readDxf(const std::string &bytes, const std::string &fileName, std::size_t maxEntries,
                                   DxfDrawing &out, const DxfTell &tell)
{
    dxf::File f;
    if (tell)
        f.tell = &tell;
    if (std::optional<std::string> e = dxf::parseFile(bytes, fileName, f))
        return e;
    return dxf::explodeFile(f, maxEntries, out);
}

} // namespace host
