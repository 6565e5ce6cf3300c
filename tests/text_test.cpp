// The host's code page 932 table against an independent converter, glibc's
// iconv: the same character for every code, and a code for the same
// characters, which glibc reads back as the character.
#include "host/text/Text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iconv.h>
#include <optional>
#include <string>

namespace {

std::optional<std::string> iconvText(const std::string &in, const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char ib[8], ob[16];
    std::memcpy(ib, in.data(), in.size());
    char *ip = ib, *op = ob;
    size_t il = in.size(), ol = sizeof ob;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || il != 0)
        return std::nullopt;
    return std::string(ob, sizeof ob - ol);
}

std::string utf8(unsigned cp)
{
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | cp >> 6);
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | cp >> 12);
        s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

// The five single bytes that Microsoft's table maps and glibc's does not.
bool microsoftOnly(unsigned cp) { return cp == 0x80 || (cp >= 0xF8F0 && cp <= 0xF8F3); }

} // namespace

TEST(HostText, Cp932TableAgreesWithGlibc)
{
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "emscripten's C library has no CP932 converter to compare with (the native tier compares)";
#endif
    int decoded = 0, encoded = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        for (int trail = isLead ? 0x40 : 0; trail <= (isLead ? 0xFC : 0); ++trail) {
            std::string code = isLead ? std::string{static_cast<char>(lead), static_cast<char>(trail)}
                                      : std::string(1, static_cast<char>(lead));
            std::string ours = host::cp932ToUtf8(code);
            bool none = ours.find("\\x") != std::string::npos;
            std::optional<std::string> glibc = iconvText(code, "UTF-8", "CP932");
            if (lead == 0x80 || lead >= 0xFD || lead == 0xA0) { // Microsoft's single bytes
                EXPECT_FALSE(none) << std::hex << lead;
                continue;
            }
            ASSERT_EQ(none, !glibc.has_value()) << std::hex << lead << " " << trail;
            if (!none) {
                EXPECT_EQ(ours, *glibc) << std::hex << lead << " " << trail;
                ++decoded;
            }
        }
    }
    for (unsigned cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        std::optional<std::string> ours = host::utf8ToCp932(utf8(cp));
        std::optional<std::string> glibc = iconvText(utf8(cp), "CP932", "UTF-8");
        if (glibc && iconvText(*glibc, "UTF-8", "CP932") != utf8(cp))
            glibc.reset(); // one way only (the yen sign to the backslash): no code
        if (microsoftOnly(cp)) {
            EXPECT_TRUE(ours.has_value()) << std::hex << cp;
            continue;
        }
        ASSERT_EQ(ours.has_value(), glibc.has_value()) << std::hex << cp;
        if (ours) {
            // Of two codes of one character, Microsoft's table prefers the
            // IBM extension and glibc the NEC-selected one: both read back.
            EXPECT_EQ(iconvText(*ours, "UTF-8", "CP932"), utf8(cp)) << std::hex << cp;
            ++encoded;
        }
    }
    EXPECT_EQ(decoded, 9667); // Python's cp932 codec reads as many, half-width katakana included
    EXPECT_EQ(encoded, 9269); // the distinct characters among them
    // Malformed UTF-8 has no code page 932 form.
    for (const char *bad : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "\xE3\x81", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(host::utf8ToCp932(bad).has_value()) << bad;
}
