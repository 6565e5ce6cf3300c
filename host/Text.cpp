/*
 * Text.cpp - code page 932 conversions (iconv on Linux, the code-page
 * functions on Windows) and exact number formatting.
 */
#include "host/Text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace host {

namespace {

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

size_t utf8Length(unsigned char c)
{
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0)
        return 2;
    if ((c & 0xF0) == 0xE0)
        return 3;
    if ((c & 0xF8) == 0xF0)
        return 4;
    return 1;
}

/* Converts one character with the platform's tables; nothing when it has
   no form in the target. */
std::optional<std::string> convertRaw(const std::string &ch, bool toUtf8)
{
#ifdef _WIN32
    UINT from = toUtf8 ? 932 : CP_UTF8, to = toUtf8 ? CP_UTF8 : 932;
    wchar_t wide[4];
    int n = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, ch.data(), static_cast<int>(ch.size()), wide, 4);
    if (n <= 0)
        return std::nullopt;
    char out[16];
    BOOL lossy = FALSE;
    int m = WideCharToMultiByte(to, toUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, n, out, sizeof out, nullptr,
                                toUtf8 ? nullptr : &lossy);
    if (m <= 0 || lossy)
        return std::nullopt;
    return std::string(out, static_cast<size_t>(m));
#else
    iconv_t cd = iconv_open(toUtf8 ? "UTF-8" : "CP932", toUtf8 ? "CP932" : "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char in[8], out[16];
    std::memcpy(in, ch.data(), ch.size());
    char *ip = in, *op = out;
    size_t il = ch.size(), ol = sizeof out;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || il != 0)
        return std::nullopt;
    return std::string(out, sizeof out - ol);
#endif
}

/* Converts one character; nothing when it has no form in the target.  A
   Shift-JIS form must read back as the same character: the platforms'
   tables also map some characters one way only (¥ to the backslash on
   Linux, é to e on Windows), which would change the text. */
std::optional<std::string> convertOne(const std::string &ch, bool toUtf8)
{
    std::optional<std::string> out = convertRaw(ch, toUtf8);
    if (!out || toUtf8)
        return out;
    std::optional<std::string> back = convertRaw(*out, true);
    if (!back || *back != ch)
        return std::nullopt;
    return out;
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
        std::optional<std::string> u = convertOne(sjis.substr(i, len), true);
        if (u) {
            out += *u;
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
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = utf8Length(c);
        if ((c >= 0x80 && len == 1) || i + len > text.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
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
        size_t len = utf8Length(c);
        if (i + len > utf8.size())
            return std::nullopt;
        std::optional<std::string> s = convertOne(utf8.substr(i, len), false);
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

} // namespace host
