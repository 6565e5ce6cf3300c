/*
 * FuzzDrawing.cpp - figures made from fuzz bytes, in figure-list form, so
 * that the drawing a finding started from is written down as it was read.
 */
#include "tests/fuzz/FuzzDrawing.h"

namespace fuzz {

namespace {

const long long kCoordinates[] = {0,     10,          100,         500,         1000,       -1000,
                                  5,     20000,       -123456789,  1073741824,  2147483647, -2147483648LL,
                                  2147483000, -2147483000};
const long long kRadii[] = {0, 1, 50, 500, -5, 100000, 2147483647};
const char *const kDegrees[] = {"0", "90", "180", "270", "359.999999", "360", "45", "30.5", "-90", "720", "2147"};
const char *const kTexts[] = {
    "A", "部屋", "4000", "", "ＡＢＣ", "\\\"q\\\"", "a b", "%%d",
    "ああああああああああああああああああああああああああああああああああ",   /* 35 characters, 70 bytes */
    "ああああああああああああああああああああああああああああああああああああああああ", /* 40, 80 bytes */
};
const long long kLayers[] = {0, 1, 2, 255, 65535, 65536, -1};
const long long kGroups[] = {0, 1, 5, -1, 2147483647};
const long long kColors[] = {0, 1, 7, 255, 256, -1};
const long long kLinks[] = {1, 2, 3, -1, 32767, 40000};
const long long kSizes[] = {0, 1, 100, 50, -5, 2147483647};
const long long kStyles[] = {0, 1, 255, 300};

std::string coordinate(FuzzBytes &b)
{
    if (b.chance(60)) {
        static const long long steps[] = {1, 10, 100, 1000};
        return std::to_string((b.byte() - 128) * b.pick(steps));
    }
    return std::to_string(b.pick(kCoordinates));
}

template <size_t N> std::string attr(FuzzBytes &b, const char *name, const long long (&values)[N])
{
    return std::string(" ") + name + "=" + std::to_string(b.pick(values));
}

} // namespace

std::string extraFigures(FuzzBytes &b)
{
    int count = b.byte();
    count = count < 128 ? 0 : count & 15;
    std::string out;
    for (int n = 0; n < count; ++n) {
        int kind = b.below(5);
        std::string l;
        if (kind == 0) {
            l = "line " + coordinate(b) + " " + coordinate(b) + " " + coordinate(b) + " " + coordinate(b);
        } else if (kind == 1) {
            l = "arc " + coordinate(b) + " " + coordinate(b) + " " + std::to_string(b.pick(kRadii)) + " " +
                b.pick(kDegrees) + " " + b.pick(kDegrees);
        } else if (kind == 2) {
            l = "circle " + coordinate(b) + " " + coordinate(b) + " " + std::to_string(b.pick(kRadii));
        } else if (kind == 3) {
            l = "point " + coordinate(b) + " " + coordinate(b);
        } else {
            l = "text " + coordinate(b) + " " + coordinate(b) + " \"" + b.pick(kTexts) + "\"";
            int attrs = b.byte();
            if (attrs & 1)
                l += " origin=" + std::to_string(b.below(16));
            if (attrs & 2)
                l += attr(b, "height", kSizes);
            if (attrs & 4)
                l += attr(b, "width", kSizes);
            if (attrs & 8)
                l += attr(b, "spacing", kSizes);
            if (attrs & 16)
                l += std::string(" angle=") + b.pick(kDegrees);
            if (attrs & 32)
                l += std::string(" slant=") + b.pick(kDegrees);
            if (attrs & 64)
                l += attr(b, "style", kStyles);
            if (attrs & 128)
                l += " kind=6"; /* last: the reader takes text attributes before it */
        }
        int attrs = b.byte();
        if (attrs & 1)
            l += attr(b, "layer", kLayers);
        if (attrs & 2)
            l += attr(b, "group", kGroups);
        if (attrs & 4)
            l += attr(b, "color", kColors);
        if (attrs & 8)
            l += attr(b, "ltype", kColors);
        if (attrs & 16)
            l += attr(b, "link", kLinks);
        out += l + "\n";
    }
    return out;
}

} // namespace fuzz
