/*
 * DxfText.cpp - DXF texts to and from the host's UTF-8: the file's code
 * page (Shift-JIS bytes of an ANSI_932 file, Windows-1252, or UTF-8 from
 * DXF 2007 on), the \U+XXXX and \M+1XXXX escapes, and the plain lines of
 * an MTEXT.  A Shift-JIS file is turned into UTF-8 before any escape is
 * looked for: the second byte of 表 or ソ is 0x5C, the backslash, and
 * must never start one.
 */
#include "host/formats/DxfParts.h"

#include "host/text/Text.h"

#include <cctype>
#include <cstdio>

namespace host {
namespace dxf {

namespace {


bool isHex(const std::string &s, size_t at, size_t n)
{
    if (at + n > s.size())
        return false;
    for (size_t k = at; k < at + n; ++k)
        if (!std::isxdigit(static_cast<unsigned char>(s[k])))
            return false;
    return true;
}

unsigned hexAt(const std::string &s, size_t at) { return static_cast<unsigned>(std::stoul(s.substr(at, 4), nullptr, 16)); }

/* An escape at s[i] (which is '\'): \U+XXXX (with a following low
   surrogate when XXXX is a high one) or \M+1XXXX (two Shift-JIS bytes).
   Appends the character and returns the escape's length, 0 when there is
   no such escape. */
size_t unicodeEscape(const std::string &s, size_t i, std::string &out)
{
    if (i + 1 < s.size() && (s[i + 1] == 'U' || s[i + 1] == 'u') && i + 2 < s.size() && s[i + 2] == '+' &&
        isHex(s, i + 3, 4)) {
        unsigned cp = hexAt(s, i + 3);
        size_t len = 7;
        if (cp >= 0xD800 && cp < 0xDC00 && s.compare(i + 7, 3, "\\U+") == 0 && isHex(s, i + 10, 4)) {
            unsigned low = hexAt(s, i + 10);
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                len = 14;
            }
        }
        appendUtf8(out, cp);
        return len;
    }
    if (s.compare(i, 4, "\\M+1") == 0 && isHex(s, i + 4, 4)) {
        unsigned v = hexAt(s, i + 4);
        std::string sjis{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
        out += cp932ToUtf8(sjis);
        return 8;
    }
    return 0;
}

/* Windows-1252 0x80..0x9F; the rest of the page is Latin-1. */
const unsigned short kCp1252High[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

void newLine(std::vector<std::string> &lines) { lines.emplace_back(); }

/* Index of the ';' that ends an MTEXT code started at `from`, npos if none. */
size_t codeEnd(const std::string &s, size_t from)
{
    for (size_t k = from; k < s.size(); ++k) {
        if (s[k] == '\\' && k + 1 < s.size())
            ++k;
        else if (s[k] == ';')
            return k;
    }
    return std::string::npos;
}

} // namespace

std::string upper(const std::string &s)
{
    std::string u = s;
    for (char &c : u)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return u;
}

std::optional<std::string> decodeString(const std::string &raw, Encoding enc, bool escapes, std::string &error)
{
    bool ascii = true;
    for (char c : raw)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    std::string text;
    if (ascii) {
        text = raw;
    } else if (enc == Encoding::Utf8) {
        for (size_t i = 0; i < raw.size();) {
            size_t len;
            codePointAt(raw, i, len);
            if (len == 0) {
                error = "the text is not UTF-8, which a DXF 2007 or later file must be";
                return std::nullopt;
            }
            i += len;
        }
        text = raw;
    } else if (enc == Encoding::Cp932) {
        text = cp932ToUtf8(raw);
    } else if (enc == Encoding::Cp1252) {
        for (char c : raw) {
            unsigned char b = static_cast<unsigned char>(c);
            appendUtf8(text, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
        }
    } else {
        error = "the text is in a code page the host cannot read (it reads ANSI_932, ANSI_1252 and UTF-8 "
                "from DXF 2007 on)";
        return std::nullopt;
    }
    if (!escapes || text.find('\\') == std::string::npos)
        return text;
    std::string out;
    for (size_t i = 0; i < text.size();) {
        size_t n = text[i] == '\\' ? unicodeEscape(text, i, out) : 0;
        if (n == 0)
            out += text[i++];
        else
            i += n;
    }
    return out;
}

std::vector<std::string> mtextLines(const std::string &s)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '{' || c == '}') {
            ++i;
        } else if (c == '\n') {
            newLine(lines);
            ++i;
        } else if (c == '^' && i + 1 < s.size()) {
            char d = s[i + 1];
            if (d == 'J')
                newLine(lines);
            else if (d == 'I')
                lines.back() += '\t';
            else if (d == ' ')
                lines.back() += '^';
            else if (d != 'M')
                lines.back() += std::string{c, d};
            i += 2;
        } else if (c != '\\' || i + 1 >= s.size()) {
            lines.back() += c;
            ++i;
        } else if (size_t n = unicodeEscape(s, i, lines.back())) {
            i += n;
        } else {
            char d = s[i + 1];
            size_t end;
            switch (d) {
            case '\\':
            case '{':
            case '}':
                lines.back() += d;
                i += 2;
                break;
            case 'P': /* paragraph */
            case 'N': /* column break: the text goes on in a new column */
            case 'X': /* dimension text below the line */
                newLine(lines);
                i += 2;
                break;
            case '~':
                lines.back() += ' ';
                i += 2;
                break;
            case 'L': case 'l': case 'O': case 'o': case 'K': case 'k':
                i += 2; /* underline, overline, strike-through on and off */
                break;
            case 'S': /* stacked fraction: upper/lower */
                end = codeEnd(s, i + 2);
                if (end == std::string::npos) {
                    lines.back() += std::string{c, d};
                    i += 2;
                    break;
                }
                for (size_t k = i + 2; k < end; ++k) {
                    if (s[k] == '\\' && k + 1 < end)
                        lines.back() += s[++k];
                    else
                        lines.back() += s[k] == '^' || s[k] == '#' ? '/' : s[k];
                }
                if (!lines.back().empty() && lines.back().back() == '/')
                    lines.back().pop_back();
                i = end + 1;
                break;
            case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'Q': case 'T': case 'W': case 'p':
                end = codeEnd(s, i + 2); /* font, height, colour, ...: up to ';' */
                if (end == std::string::npos) {
                    lines.back() += std::string{c, d};
                    i += 2;
                } else {
                    i = end + 1;
                }
                break;
            default:
                lines.back() += std::string{c, d};
                i += 2;
            }
        }
    }
    return lines;
}

std::string encodeString(const std::string &utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        size_t len;
        unsigned cp = codePointAt(utf8, i, len);
        if (len == 0) { /* not UTF-8: the byte as it is */
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        std::optional<std::string> sjis = utf8ToCp932(utf8.substr(i, len));
        if (sjis) {
            out += *sjis;
        } else {
            char buf[32];
            if (cp >= 0x10000)
                std::snprintf(buf, sizeof buf, "\\U+%04X\\U+%04X", 0xD800 + ((cp - 0x10000) >> 10),
                              0xDC00 + ((cp - 0x10000) & 0x3FF));
            else
                std::snprintf(buf, sizeof buf, "\\U+%04X", cp);
            out += buf;
        }
        i += len;
    }
    return out;
}

std::string firstWithoutSjis(const std::string &utf8)
{
    for (size_t i = 0; i < utf8.size();) {
        size_t len;
        unsigned cp = codePointAt(utf8, i, len);
        if (len == 0)
            return "a byte that is not UTF-8";
        if (cp >= 0x80 && !utf8ToCp932(utf8.substr(i, len))) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "U+%04X", cp);
            return buf;
        }
        i += len;
    }
    return "";
}

} // namespace dxf
} // namespace host
