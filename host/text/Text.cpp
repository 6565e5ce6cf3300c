/*
 * Text.cpp - code page 932 conversions (the one table of Cp932Table.h, the
 * same in every build) and exact number formatting.
 */
#include "host/text/Text.h"

#include "host/text/Cp932Table.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host {

namespace {

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

/* The character of one code page 932 character (one byte, or a lead byte
   and its trail); 0 when the bytes are no character. */
uint32_t decodeOne(const std::string &ch)
{
    unsigned char lead = static_cast<unsigned char>(ch[0]);
    if (ch.size() == 1)
        return lead < 0x80 ? lead : kCp932Single[lead - 0x80];
    unsigned char trail = static_cast<unsigned char>(ch[1]);
    if (!isLeadByte(lead) || trail < 0x40 || trail > 0xFC)
        return 0;
    return kCp932Double[lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31][trail - 0x40];
}

/* The code page 932 bytes of a code point; nothing when it has none that
   reads back as the same character. */
std::optional<std::string> encodeOne(uint32_t cp)
{
    const Cp932Pair *end = kCp932Encode + kCp932EncodeSize;
    const Cp932Pair *p = std::lower_bound(kCp932Encode, end, cp,
                                          [](const Cp932Pair &e, uint32_t c) { return e.character < c; });
    if (p == end || p->character != cp)
        return std::nullopt;
    if (p->code < 0x100)
        return std::string(1, static_cast<char>(p->code));
    return std::string{static_cast<char>(p->code >> 8), static_cast<char>(p->code & 0xFF)};
}

} // namespace

std::string cp932ToUtf8(const std::string &sjis)
{
    std::string out;
    for (size_t i = 0; i < sjis.size();) {
        unsigned char c = static_cast<unsigned char>(sjis[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        size_t len = isLeadByte(c) && i + 1 < sjis.size() ? 2 : 1;
        uint32_t cp = decodeOne(sjis.substr(i, len));
        if (cp != 0) {
            appendUtf8(out, cp);
            i += len;
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
            ++i;
        }
    }
    return out;
}

bool isUtf8(const std::string &text)
{
    for (size_t i = 0, len = 0; i < text.size(); i += len)
        if (codePointAt(text, i, len), len == 0)
            return false;
    return true;
}

std::optional<std::string> utf8ToCp932(const std::string &utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        /* a malformed character (overlong, a surrogate) has no bytes */
        static const uint32_t lowest[5] = {0, 0, 0x80, 0x800, 0x10000};
        size_t len = 0;
        uint32_t cp = codePointAt(utf8, i, len);
        if (len == 0 || cp < lowest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        std::optional<std::string> s = encodeOne(cp);
        if (!s)
            return std::nullopt;
        out += *s;
        i += len;
    }
    return out;
}

std::string formatDouble(double v)
{
    if (std::isnan(v))
        return "nan";
    if (std::isinf(v))
        return v > 0 ? "inf" : "-inf";
    /* Whole numbers (every stored coordinate) the quick way: the search
       below gives the same digits, a dozen formatting calls later. */
    if (v == std::floor(v) && std::fabs(v) < 1e15) {
        if (v == 0)
            return std::signbit(v) ? "-0" : "0";
        return std::to_string(static_cast<long long>(v));
    }
    char buf[400];
    int precision = 1;
    for (; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, v);
        if (std::strtod(buf, nullptr) == v)
            break;
    }
    /* %g chooses an exponent once the digits run out ("1.2e+02" for 120);
       between 1e-5 and 1e16 plain decimals read better and are as exact. */
    double a = std::fabs(v);
    if (std::strchr(buf, 'e') && a >= 1e-5 && a < 1e16) {
        int exponent = static_cast<int>(std::floor(std::log10(a)));
        int decimals = precision - 1 - exponent;
        std::snprintf(buf, sizeof buf, "%.*f", decimals > 0 ? decimals : 0, v);
        if (std::strtod(buf, nullptr) != v) /* the log10 estimate was off by one */
            std::snprintf(buf, sizeof buf, "%.*f", decimals + 1 > 0 ? decimals + 1 : 0, v);
    }
    return buf;
}

std::string formatMillionths(int32_t v)
{
    long long m = v;
    bool negative = m < 0;
    if (negative)
        m = -m;
    std::string s = std::to_string(m / 1000000);
    long long frac = m % 1000000;
    if (frac != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%06lld", frac);
        std::string f = buf;
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        s += "." + f;
    }
    return negative ? "-" + s : s;
}

std::optional<int32_t> parseMillionths(const std::string &text)
{
    std::optional<double> d = parseDouble(text);
    if (!d)
        return std::nullopt;
    double m = std::round(*d * 1000000.0);
    if (!(m >= -2147483648.0 && m <= 2147483647.0))
        return std::nullopt;
    return static_cast<int32_t>(m);
}

std::optional<double> parseDouble(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    /* Out of range: beyond the largest double, or too small to be told
       from 0.  A subnormal number (below 2.2e-308) is a number: the C
       library flags it too, but formatDouble writes such values. */
    if (*end != 0 || (errno == ERANGE && (v == 0 || std::isinf(v))))
        return std::nullopt;
    return v;
}

std::optional<int32_t> parseInt32(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (*end != 0 || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(v);
}

std::string quoted(const std::string &utf8)
{
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string trimBlanks(const std::string &utf8)
{
    static const std::string ideographicSpace = "\xE3\x80\x80";
    size_t b = 0, e = utf8.size();
    for (;;) {
        if (b < e && (utf8[b] == ' ' || utf8[b] == '\t'))
            ++b;
        else if (e - b >= 3 && utf8.compare(b, 3, ideographicSpace) == 0)
            b += 3;
        else
            break;
    }
    for (;;) {
        if (e > b && (utf8[e - 1] == ' ' || utf8[e - 1] == '\t'))
            --e;
        else if (e - b >= 3 && utf8.compare(e - 3, 3, ideographicSpace) == 0)
            e -= 3;
        else
            break;
    }
    return utf8.substr(b, e - b);
}

bool sameIgnoringAsciiCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool splitWords(const std::string &line, std::vector<std::string> &words, bool hashComments)
{
    for (size_t i = 0; i < line.size();) {
        char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '#' && hashComments) {
            break;
        } else if (c == '"') {
            std::string w = "\"";
            size_t j = i + 1;
            for (; j < line.size() && line[j] != '"'; ++j) {
                if (line[j] == '\\' && j + 1 < line.size())
                    ++j;
                w += line[j];
            }
            if (j >= line.size())
                return false;
            words.push_back(w);
            i = j + 1;
        } else {
            size_t j = i;
            while (j < line.size() && line[j] != ' ' && line[j] != '\t')
                ++j;
            words.push_back(line.substr(i, j - i));
            i = j;
        }
    }
    return true;
}

void appendUtf8(std::string &out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

uint32_t codePointAt(const std::string &s, size_t i, size_t &len)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
        len = 0;
        return 0;
    }
    uint32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; k < len; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            len = 0;
            return 0;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    return cp;
}

} // namespace host
