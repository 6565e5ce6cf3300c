/*
 * DxfLex.cpp - a DXF file's bytes as group-code pairs: the ASCII form (a
 * code line, a value line) and the binary form (the sentinel "AutoCAD
 * Binary DXF\r\n\x1a\0", then a code of one byte up to DXF 12 or two bytes
 * from DXF 13 on, and a value typed by its code's range).  Both lexers
 * hand the one parser (DxfRead.cpp) the same pairs: numbers as text a
 * strtod reads back exactly ("%.17g"), binary chunks as the hex text an
 * ASCII file holds, and each pair's place (its code's line, or its byte
 * offset in a binary file).
 *
 * A number field that is no finite number does not stop the lexer: the
 * pair is marked broken, and the parser drops the entity or table entry
 * that holds it with a repair notice.  What cannot be read past does stop
 * it with the place: a code line that is not a number (the pairs are out
 * of step from there), a file that ends inside a pair.  Bytes after 0/EOF
 * are ignored and reported.
 *
 * The code width of a binary file is not written anywhere: the first pair
 * is 0/SECTION, which reads "00 53..." with one-byte codes and "00 00
 * 53..." with two-byte ones.  The width that gives 0/SECTION is tried
 * first; if the whole file does not read with it, the other width is
 * tried before giving up, so a file that starts oddly is still read when
 * one width fits it throughout.
 */
#include "host/formats/DxfParts.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace host {
namespace dxf {

namespace {

enum class Kind { Text, Real, Integer };

/* The value type of a group code in an ASCII file, as the DXF format
   assigns them. */
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

/* Only blanks, line ends, end-of-file marks (0x1A) and NULs. */
bool blank(const std::string &bytes, size_t from)
{
    for (size_t k = from; k < bytes.size(); ++k)
        if (bytes[k] != ' ' && bytes[k] != '\t' && bytes[k] != '\r' && bytes[k] != '\n' && bytes[k] != '\x1A' &&
            bytes[k] != 0)
            return false;
    return true;
}

std::optional<std::string> asciiPairs(const std::string &bytes, File &f, Pairs &out)
{
    size_t pos = 0;
    int line = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
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
                return f.name + ":1: not a DXF file (binary data)";
            return f.where(codeAt) + ": expected a group code (a number from 0 to 1071), found " + shown(codeLine);
        }
        if (!nextLine(value))
            return f.where(codeAt) + ": the file ends after group code " + std::to_string(code) +
                   ", before its value: it is truncated";
        Tag t{static_cast<int>(code), value, codeAt};
        Kind k = kindOf(t.code);
        if (k != Kind::Text) {
            t.value = trimmed(value);
            double d;
            long long v;
            t.broken = k == Kind::Real ? !parseReal(t.value, d) : !parseWhole(t.value, v);
            if (t.broken)
                t.line = line; /* the value's line, where the fault is */
        }
        if (code == 999)
            continue; /* a comment */
        out.tags.push_back(t);
        if (out.tags.size() % kTellEvery == 0 && !goesOn(f, static_cast<double>(pos) / bytes.size(), 0))
            return stopped(f);
        if (code == 0 && trimmed(value) == "EOF") {
            if (!blank(bytes, pos)) {
                int more = 0;
                for (size_t k2 = pos; k2 < bytes.size(); ++k2)
                    more += bytes[k2] == '\n';
                more += bytes.back() != '\n';
                f.repairs.push_back(f.where(line + 1) + ": " + std::to_string(more) + (more == 1 ? " line" : " lines") +
                                    " after 0/EOF ignored");
            }
            break;
        }
    }
    out.end = line;
    return std::nullopt;
}

/* Little-endian integers of `n` bytes at p. */
uint64_t little(const std::string &b, size_t p, size_t n)
{
    uint64_t v = 0;
    for (size_t k = 0; k < n; ++k)
        v |= static_cast<uint64_t>(static_cast<unsigned char>(b[p + k])) << (8 * k);
    return v;
}

/* The binary form's value width of a group code: 0 a NUL-terminated
   string, -1 a chunk with its length byte, 8 (with `real`) a double,
   else an integer of that many bytes. */
int binaryWidth(int code, bool &real)
{
    auto in = [code](int a, int b) { return code >= a && code <= b; };
    real = in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059);
    if (real)
        return 8;
    if (in(310, 319) || code == 1004)
        return -1;
    if (in(290, 299))
        return 1;
    if (in(60, 89) || in(170, 179) || in(270, 289) || in(370, 389) || in(400, 409) || in(1060, 1070))
        return 2;
    if (in(90, 99) || in(420, 429) || in(440, 459) || code == 1071)
        return 4;
    if (in(160, 169))
        return 8;
    return 0;
}

constexpr size_t kSentinel = 22; /* "AutoCAD Binary DXF\r\n\x1a\0" */

/* The pairs of a binary file read with codes of `width` bytes (1: DXF 12,
   where 255 introduces a two-byte code, 2: DXF 13 on). */
std::optional<std::string> binaryPairs(const std::string &b, int width, File &f, Pairs &out)
{
    size_t p = kSentinel;
    auto ends = [&](size_t at, const std::string &what) {
        return f.where(static_cast<int>(at)) + ": the file ends inside " + what + ": it is truncated";
    };
    while (p < b.size()) {
        size_t at = p;
        int code;
        if (width == 1) {
            code = static_cast<unsigned char>(b[p++]);
            if (code == 255) {
                if (p + 2 > b.size())
                    return ends(at, "a group code");
                code = static_cast<int>(little(b, p, 2));
                p += 2;
            }
        } else {
            if (p + 2 > b.size())
                return ends(at, "a group code");
            code = static_cast<int16_t>(little(b, p, 2));
            p += 2;
        }
        if (code < -5 || code > 1071)
            return f.where(static_cast<int>(at)) + ": expected a group code (a number from 0 to 1071), found " +
                   std::to_string(code);
        bool real = false;
        int w = binaryWidth(code, real);
        Tag t{code, "", static_cast<int>(at)};
        std::string what = "the value of group code " + std::to_string(code);
        if (w == 0) {
            size_t nul = b.find('\0', p);
            if (nul == std::string::npos)
                return ends(at, what);
            t.value = b.substr(p, nul - p);
            p = nul + 1;
        } else if (w == -1) {
            if (p >= b.size())
                return ends(at, what);
            size_t n = static_cast<unsigned char>(b[p++]);
            if (p + n > b.size())
                return ends(at, what);
            static const char hex[] = "0123456789ABCDEF";
            for (size_t k = 0; k < n; ++k) {
                unsigned char c = static_cast<unsigned char>(b[p + k]);
                t.value += hex[c >> 4];
                t.value += hex[c & 15];
            }
            p += n;
        } else {
            if (p + static_cast<size_t>(w) > b.size())
                return ends(at, what);
            uint64_t v = little(b, p, static_cast<size_t>(w));
            p += static_cast<size_t>(w);
            if (real) {
                double d;
                static_assert(sizeof d == sizeof v, "a double is 8 bytes");
                std::memcpy(&d, &v, sizeof d);
                char buf[40];
                std::snprintf(buf, sizeof buf, "%.17g", d);
                t.value = buf;
                t.broken = !std::isfinite(d);
            } else if (w == 1) {
                t.value = std::to_string(static_cast<int>(v));
            } else if (w == 2) {
                t.value = std::to_string(static_cast<int16_t>(v));
            } else if (w == 4) {
                t.value = std::to_string(static_cast<int32_t>(v));
            } else {
                t.value = std::to_string(static_cast<int64_t>(v));
            }
        }
        out.tags.push_back(t);
        if (out.tags.size() % kTellEvery == 0 && !goesOn(f, static_cast<double>(p) / b.size(), 0))
            return stopped(f);
        if (code == 0 && t.value == "EOF") {
            if (p < b.size())
                f.repairs.push_back(f.where(static_cast<int>(p)) + ": " + std::to_string(b.size() - p) +
                                    " bytes after 0/EOF ignored");
            break;
        }
    }
    out.end = static_cast<int>(b.size());
    return std::nullopt;
}

} // namespace

std::string File::where(int place) const
{
    return name + (binary ? ":byte " : ":") + std::to_string(place);
}

std::string brokenWhy(const Tag &t)
{
    return "group code " + std::to_string(t.code) +
           (kindOf(t.code) == Kind::Integer ? " needs an integer" : " needs a finite number") + ", found " +
           shown(t.value);
}

std::optional<std::string> readPairs(const std::string &bytes, File &f, Pairs &out)
{
    size_t bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (bytes.compare(bom, 18, "AutoCAD Binary DXF") != 0)
        return asciiPairs(bytes, f, out);
    f.binary = true;
    if (bom || bytes.compare(18, 4, std::string("\r\n\x1a\0", 4)) != 0)
        return f.name + ":1: a binary DXF file with a damaged sentinel (\"AutoCAD Binary DXF\" then CR, LF, 1A, 00)";
    bool twoBytes = bytes.size() > kSentinel + 1 && bytes[kSentinel] == 0 && bytes[kSentinel + 1] == 0;
    std::vector<std::string> repairs = f.repairs;
    std::optional<std::string> e = binaryPairs(bytes, twoBytes ? 2 : 1, f, out);
    if (e && *e == stopped(f))
        return e;
    if (!e && !out.tags.empty() && out.tags[0].code == 0 && out.tags[0].value == "SECTION")
        return std::nullopt;
    Pairs other;
    File g = f;
    g.repairs = repairs;
    if (!binaryPairs(bytes, twoBytes ? 1 : 2, g, other) && !other.tags.empty() && other.tags[0].code == 0 &&
        other.tags[0].value == "SECTION") {
        f = std::move(g);
        out = std::move(other);
        return std::nullopt;
    }
    return e;
}

} // namespace dxf
} // namespace host
