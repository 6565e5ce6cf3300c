/*
 * DxfRead.cpp - the pairs of an ASCII DXF file and the file's structure:
 * header values, the LAYER, LTYPE and STYLE tables, the blocks and the
 * entities.  Every pair is checked as it is read: a binary DXF, a group
 * code that is not a number, a number field that is not a finite number,
 * a value missing after its code, and a file that ends before its 0/EOF
 * (truncated) stop the reading with the line where it happened.  The rest
 * of the file is read to the end before anything is decided, so a fault
 * anywhere leaves the host's drawing as it was.
 */
#include "host/DxfParts.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace host {
namespace dxf {

namespace {

enum class Kind { Text, Real, Integer };

/* The value type of a group code, as the DXF format assigns them. */
Kind kindOf(int code)
{
    auto in = [code](int a, int b) { return code >= a && code <= b; };
    if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059))
        return Kind::Real;
    if (in(60, 99) || in(170, 179) || in(270, 299) || in(370, 389) || in(400, 409) || in(420, 429) ||
        in(440, 459) || in(1060, 1071))
        return Kind::Integer;
    return Kind::Text;
}

std::string trimmed(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

bool parseReal(const std::string &s, double &out)
{
    if (s.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    out = std::strtod(s.c_str(), &end);
    return *end == 0 && errno != ERANGE && std::isfinite(out);
}

bool parseWhole(const std::string &s, long long &out)
{
    if (s.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    out = std::strtoll(s.c_str(), &end, 10);
    if (*end == 0 && errno != ERANGE)
        return true;
    double d; /* some writers give integer fields as "1.0" */
    if (!parseReal(s, d) || d != std::floor(d) || std::fabs(d) > 9.2e18)
        return false;
    out = static_cast<long long>(d);
    return true;
}

std::string shown(const std::string &s) { return "\"" + (s.size() > 40 ? s.substr(0, 40) + "..." : s) + "\""; }

/* The file's pairs up to and including 0/EOF. */
std::optional<std::string> readPairs(const std::string &bytes, const std::string &name, std::vector<Tag> &out,
                                     int &lastLine)
{
    size_t pos = 0;
    int line = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    if (bytes.compare(pos, 18, "AutoCAD Binary DXF") == 0)
        return name + ":1: a binary DXF file; the host reads ASCII DXF (save the drawing as ASCII DXF)";
    auto nextLine = [&](std::string &l) {
        if (pos >= bytes.size())
            return false;
        size_t nl = bytes.find('\n', pos);
        size_t end = nl == std::string::npos ? bytes.size() : nl;
        l = bytes.substr(pos, end - pos);
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        pos = nl == std::string::npos ? bytes.size() : nl + 1;
        ++line;
        return true;
    };
    std::string codeLine, value;
    while (nextLine(codeLine)) {
        int codeAt = line;
        std::string c = trimmed(codeLine);
        long long code = 0;
        char *end = nullptr;
        errno = 0;
        if (!c.empty())
            code = std::strtoll(c.c_str(), &end, 10);
        if (c.empty() || *end != 0 || errno == ERANGE || code < -5 || code > 1071) {
            if (codeAt == 1 && codeLine.find_first_of(std::string("\0\x1A", 2)) != std::string::npos)
                return name + ":1: not a DXF file (binary data)";
            return name + ":" + std::to_string(codeAt) + ": expected a group code (a number from 0 to 1071), found " +
                   shown(codeLine);
        }
        if (!nextLine(value))
            return name + ":" + std::to_string(codeAt) + ": the file ends after group code " + std::to_string(code) +
                   ", before its value: it is truncated";
        Kind k = kindOf(static_cast<int>(code));
        if (k == Kind::Real) {
            double d;
            value = trimmed(value);
            if (!parseReal(value, d))
                return name + ":" + std::to_string(line) + ": group code " + std::to_string(code) +
                       " needs a finite number, found " + shown(value);
        } else if (k == Kind::Integer) {
            long long v;
            value = trimmed(value);
            if (!parseWhole(value, v))
                return name + ":" + std::to_string(line) + ": group code " + std::to_string(code) +
                       " needs an integer, found " + shown(value);
        }
        if (code == 999)
            continue; /* a comment */
        out.push_back({static_cast<int>(code), value, codeAt});
        if (code == 0 && trimmed(value) == "EOF")
            break;
    }
    lastLine = line;
    return std::nullopt;
}

class Parser {
public:
    Parser(const std::vector<Tag> &tags, const std::string &name, int lastLine, File &f)
        : t_(tags), name_(name), lastLine_(lastLine), f_(f) {}

    std::optional<std::string> run()
    {
        for (;;) {
            if (i_ >= t_.size())
                return truncated("before its end");
            const Tag &a = t_[i_];
            std::string v = trimmed(a.value);
            if (a.code == 0 && v == "EOF")
                return std::nullopt;
            if (a.code != 0 || v != "SECTION")
                return at(a, "expected 0/SECTION or 0/EOF, found " + std::to_string(a.code) + "/" + shown(a.value));
            ++i_;
            if (i_ >= t_.size() || t_[i_].code != 2)
                return i_ >= t_.size() ? truncated("after 0/SECTION") : at(t_[i_], "a section needs its name (group code 2)");
            section_ = upper(trimmed(t_[i_++].value));
            std::optional<std::string> e;
            if (section_ == "HEADER")
                e = header();
            else if (section_ == "TABLES")
                e = tables();
            else if (section_ == "BLOCKS")
                e = blocks();
            else if (section_ == "ENTITIES")
                e = entities(f_.entities, "ENDSEC");
            else
                e = skipTo("ENDSEC");
            if (e)
                return e;
            ++i_; /* the 0/ENDSEC */
        }
    }

private:
    std::string at(const Tag &tag, const std::string &what) const
    {
        return name_ + ":" + std::to_string(tag.line) + ": " + what;
    }
    std::string truncated(const std::string &where) const
    {
        return name_ + ":" + std::to_string(lastLine_) + ": the file ends " +
               (section_.empty() ? where : "inside the " + section_ + " section") +
               " without 0/EOF: it is truncated";
    }
    bool isZero(const char *value) const { return i_ < t_.size() && t_[i_].code == 0 && upper(trimmed(t_[i_].value)) == value; }

    /* Pairs up to (not including) the 0 pair `value`. */
    std::optional<std::string> skipTo(const char *value)
    {
        while (i_ < t_.size() && !isZero(value)) {
            if (t_[i_].code == 0 && upper(trimmed(t_[i_].value)) == "EOF")
                return truncated("");
            ++i_;
        }
        return i_ < t_.size() ? std::nullopt : std::optional<std::string>(truncated(""));
    }

    /* The 0 pair at i_ and the pairs up to the next 0 pair. */
    Record record()
    {
        Record r;
        r.type = upper(trimmed(t_[i_].value));
        r.line = t_[i_].line;
        for (++i_; i_ < t_.size() && t_[i_].code != 0; ++i_)
            r.tags.push_back(t_[i_]);
        return r;
    }

    std::optional<std::string> header()
    {
        std::string var;
        for (; i_ < t_.size() && t_[i_].code != 0; ++i_) {
            const Tag &a = t_[i_];
            if (a.code == 9) {
                var = upper(trimmed(a.value));
                continue;
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
        if (!isZero("ENDSEC"))
            return i_ < t_.size() ? at(t_[i_], "expected 0/ENDSEC to end the HEADER section") : truncated("");
        /* DXF 2007 and later are UTF-8; older files use their code page. */
        if (f_.version >= "AC1021")
            f_.encoding = Encoding::Utf8;
        else if (f_.codePage.empty() || f_.codePage == "ANSI_932" || f_.codePage == "DOS932")
            f_.encoding = Encoding::Cp932;
        else if (f_.codePage == "ANSI_1252" || f_.codePage == "ISO8859-1")
            f_.encoding = Encoding::Cp1252;
        else
            f_.encoding = Encoding::Other;
        return std::nullopt;
    }

    std::optional<std::string> tables()
    {
        while (i_ < t_.size() && !isZero("ENDSEC")) {
            if (!isZero("TABLE"))
                return at(t_[i_], "expected 0/TABLE in the TABLES section, found " + std::to_string(t_[i_].code) + "/" +
                                      shown(t_[i_].value));
            Record table = record();
            std::string kind = upper(trimmed(table.str(2, "")));
            std::vector<Record> *into = kind == "LAYER" ? &f_.layers : kind == "LTYPE" ? &f_.lineTypes
                                      : kind == "STYLE" ? &f_.styles : nullptr;
            while (i_ < t_.size() && !isZero("ENDTAB") && !isZero("ENDSEC") && !isZero("EOF")) {
                Record r = record();
                if (into)
                    into->push_back(std::move(r));
            }
            if (!isZero("ENDTAB"))
                return i_ < t_.size() && !isZero("EOF") ? at(t_[i_], "the " + kind + " table has no 0/ENDTAB")
                                                        : truncated("");
            record();
        }
        return i_ < t_.size() ? std::nullopt : std::optional<std::string>(truncated(""));
    }

    std::optional<std::string> blocks()
    {
        while (i_ < t_.size() && !isZero("ENDSEC")) {
            if (!isZero("BLOCK"))
                return at(t_[i_], "expected 0/BLOCK in the BLOCKS section, found " + std::to_string(t_[i_].code) + "/" +
                                      shown(t_[i_].value));
            Record head = record();
            Block b;
            b.name = head.str(2, "");
            b.baseX = head.num(10, 0);
            b.baseY = head.num(20, 0);
            b.flags = head.integer(70, 0);
            b.line = head.line;
            if (std::optional<std::string> e = entities(b.entities, "ENDBLK"))
                return e;
            record(); /* the ENDBLK */
            f_.blocks[upper(b.name)] = std::move(b);
        }
        return i_ < t_.size() ? std::nullopt : std::optional<std::string>(truncated(""));
    }

    /* Entity records up to the 0 pair `end`; the VERTEX records of a
       POLYLINE and the ATTRIB records of an INSERT become its children. */
    std::optional<std::string> entities(std::vector<Record> &out, const char *end)
    {
        while (i_ < t_.size() && !isZero(end)) {
            if (isZero("EOF") || isZero("ENDSEC") || isZero("SECTION"))
                return isZero("EOF") ? truncated("") : at(t_[i_], std::string("expected 0/") + end + ", found 0/" +
                                                                      shown(t_[i_].value));
            Record r = record();
            if (r.type == "SEQEND")
                continue;
            bool holder = r.type == "POLYLINE" || (r.type == "INSERT" && r.integer(66, 0) == 1);
            while (holder && (isZero("VERTEX") || isZero("ATTRIB")))
                r.children.push_back(record());
            if (holder && isZero("SEQEND"))
                record();
            out.push_back(std::move(r));
        }
        return i_ < t_.size() ? std::nullopt : std::optional<std::string>(truncated(""));
    }

    const std::vector<Tag> &t_;
    const std::string &name_;
    int lastLine_;
    File &f_;
    size_t i_ = 0;
    std::string section_;
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
    std::vector<Tag> tags;
    int lastLine = 0;
    if (bytes.empty())
        return fileName + ":1: the file is empty";
    if (std::optional<std::string> e = readPairs(bytes, fileName, tags, lastLine))
        return e;
    out.name = fileName;
    return Parser(tags, fileName, lastLine, out).run();
}

} // namespace dxf
} // namespace host
