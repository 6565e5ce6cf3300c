/*
 * FigureList.cpp - the figure list, the host's own drawing format (--drawing
 * and --dump): one figure a line with its index, in the stored integers, so
 * that a list written out and read back gives the very same entries, and
 * two lists compare byte for byte.
 */
#include "host/formats/FigureList.h"

#include "host/text/Text.h"

#include <sstream>

namespace host {

namespace {

std::string attrs(const Figure &f)
{
    std::string s = " layer=" + std::to_string(f.layer) + " group=" + std::to_string(f.group) +
                    " color=" + std::to_string(f.color) + " ltype=" + std::to_string(f.ltype);
    if (f.link != 0)
        s += " link=" + std::to_string(f.link);
    return s;
}

} // namespace

std::string figureLine(const FigureTable &t, int i)
{
    const Records &r = t.records();
    Figure f = t.read(i);
    std::string s;
    switch (f.kind) {
    case 2:
        s = "line " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + std::to_string(f.x2) + " " +
            std::to_string(f.y2);
        break;
    case 3:
        if (f.isCircle())
            s = "circle " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + std::to_string(f.x2);
        else
            s = "arc " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + std::to_string(f.x2) + " " +
                formatMillionths(f.start) + " " + formatMillionths(f.end);
        break;
    case 4:
        s = "point " + std::to_string(f.x1) + " " + std::to_string(f.y1);
        break;
    case 5:
    case 6:
        s = "text " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + quoted(f.text) +
            " origin=" + std::to_string(f.origin) + " height=" + std::to_string(f.height) +
            " width=" + std::to_string(f.width) + " spacing=" + std::to_string(f.spacing) +
            " angle=" + formatMillionths(f.angle) + " slant=" + formatMillionths(f.angle2) +
            " style=" + std::to_string(f.style) + (f.kind == kKindText6 ? " kind=6" : "");
        break;
    default: {
        std::ostringstream o;
        o << "raw " << r.at(ArrType, i) << " " << r.at(ArrW, i) << " " << r.at(ArrAttr, i) << " "
          << r.at(ArrX1, i) << " " << r.at(ArrY1, i) << " " << r.at(ArrX2, i) << " " << r.at(ArrY2, i);
        return o.str();
    }
    }
    return s + attrs(f);
}

std::string figureList(const FigureTable &t)
{
    std::string out;
    int end = t.drawingEnd();
    if (end < 0)
        end = t.records().figureLimit();
    for (int i = 0; i < end;) {
        if (t.type(i) == kTypeEmpty) {
            ++i;
            continue;
        }
        out += std::to_string(i) + " " + figureLine(t, i) + "\n";
        int n = entriesOfKind(t.kindAt(i));
        i += n > 0 ? n : 1;
    }
    return out;
}

std::optional<ParsedFigure> parseFigureLine(const std::string &line, std::string &error)
{
    std::vector<std::string> words;
    if (!splitWords(line, words, false)) {
        error = "unterminated text";
        return std::nullopt;
    }
    ParsedFigure p;
    size_t k = 0;
    if (!words.empty() && parseInt32(words[0])) {
        p.index = *parseInt32(words[0]);
        if (p.index < 0) {
            error = "negative index";
            return std::nullopt;
        }
        ++k;
    }
    if (k >= words.size()) {
        error = "no figure";
        return std::nullopt;
    }
    std::string what = words[k++];
    Figure &f = p.figure;
    f.color = 1;
    f.ltype = 1;
    f.height = 100;
    f.width = 50;
    auto num = [&](int32_t &out) {
        if (k >= words.size() || !parseInt32(words[k])) {
            error = "expected an integer after " + what;
            return false;
        }
        out = *parseInt32(words[k++]);
        return true;
    };
    auto deg = [&](int32_t &out) {
        if (k >= words.size() || !parseMillionths(words[k])) {
            error = "expected an angle in degrees after " + what;
            return false;
        }
        out = *parseMillionths(words[k++]);
        return true;
    };
    if (what == "line") {
        f.kind = kKindLine;
        if (!num(f.x1) || !num(f.y1) || !num(f.x2) || !num(f.y2))
            return std::nullopt;
    } else if (what == "arc") {
        f.kind = kKindArc;
        if (!num(f.x1) || !num(f.y1) || !num(f.x2) || !deg(f.start) || !deg(f.end))
            return std::nullopt;
    } else if (what == "circle") {
        f.kind = kKindArc;
        f.start = 0;
        f.end = kFullTurn;
        if (!num(f.x1) || !num(f.y1) || !num(f.x2))
            return std::nullopt;
    } else if (what == "point") {
        f.kind = kKindPoint;
        if (!num(f.x1) || !num(f.y1))
            return std::nullopt;
    } else if (what == "text") {
        f.kind = kKindText;
        if (!num(f.x1) || !num(f.y1))
            return std::nullopt;
        if (k >= words.size() || words[k][0] != '"') {
            error = "expected the text in double quotes";
            return std::nullopt;
        }
        f.text = words[k++].substr(1);
        /* A character without a Shift-JIS form is kept, as the DXF reader
           keeps it (the module sees only the text's length), so that every
           figure list the host writes reads back. */
        if (!isUtf8(f.text)) {
            error = "the text is not UTF-8";
            return std::nullopt;
        }
    } else {
        error = "unknown figure '" + what + "' (line, arc, circle, point or text)";
        return std::nullopt;
    }
    for (; k < words.size(); ++k) {
        size_t eq = words[k].find('=');
        std::string key = words[k].substr(0, eq), val = eq == std::string::npos ? "" : words[k].substr(eq + 1);
        int32_t *slot = key == "layer" ? &f.layer : key == "group" ? &f.group : key == "color" ? &f.color
                      : key == "ltype" ? &f.ltype : key == "link" ? &f.link : nullptr;
        bool text = what == "text"; /* kind=6 may come before any other attribute */
        if (!slot && text)
            slot = key == "origin" ? &f.origin : key == "height" ? &f.height : key == "width" ? &f.width
                 : key == "spacing" ? &f.spacing : key == "style" ? &f.style : nullptr;
        if (slot) {
            if (!parseInt32(val)) {
                error = key + "= needs an integer";
                return std::nullopt;
            }
            *slot = *parseInt32(val);
        } else if (text && (key == "angle" || key == "slant")) {
            if (!parseMillionths(val)) {
                error = key + "= needs degrees";
                return std::nullopt;
            }
            (key == "angle" ? f.angle : f.angle2) = *parseMillionths(val);
        } else if (text && key == "kind" && (val == "5" || val == "6")) {
            f.kind = val == "6" ? 6 : 5;
        } else {
            error = "unknown attribute '" + words[k] + "'";
            return std::nullopt;
        }
    }
    if (f.kind >= 5 && (f.origin < 0 || f.origin > 15)) {
        error = "origin= must be 0..15";
        return std::nullopt;
    }
    return p;
}

namespace {

/* The figures of a list with their indices, and where the end marker goes. */
struct ListFigures {
    std::vector<std::pair<int, Figure>> placed;
    int end = 0;
};

/* Reads a figure list whose entries all lie below `limit`. */
std::optional<std::string> readList(const std::string &text, const std::string &fileName, long long limit,
                                    ListFigures &out)
{
    int next = 0, lineNo = 0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t b = line.find_first_not_of(" \t");
        if (b == std::string::npos || line[b] == '#')
            continue;
        std::string error;
        std::optional<ParsedFigure> p = parseFigureLine(line, error);
        std::string where = fileName + ":" + std::to_string(lineNo) + ": ";
        if (!p)
            return where + error;
        int at = p->index >= 0 ? p->index : next;
        if (at < next)
            return where + "index " + std::to_string(at) + " overlaps the figure before it";
        int n = entriesOfKind(p->figure.kind);
        if (static_cast<long long>(at) + n + 1 > limit)
            return where + "the drawing is full: figureLimit is " + std::to_string(limit);
        out.placed.emplace_back(at, p->figure);
        next = at + n;
    }
    out.end = next;
    return std::nullopt;
}

} // namespace

std::optional<std::string> loadFigureList(FigureTable &t, const std::string &text, const std::string &fileName)
{
    int limit = t.records().figureLimit();
    ListFigures list;
    if (std::optional<std::string> e = readList(text, fileName, limit, list))
        return e;
    for (int i = 0; i < limit; ++i)
        t.clearEntry(i);
    for (auto &pf : list.placed)
        t.write(pf.first, pf.second);
    t.setType(list.end, kTypeEnd);
    return std::nullopt;
}

std::optional<std::string> measureFigureList(const std::string &text, const std::string &fileName, long long &entries)
{
    ListFigures list; /* indices are 32-bit: any list the host could hold */
    if (std::optional<std::string> e = readList(text, fileName, 2147483647LL, list))
        return e;
    entries = static_cast<long long>(list.end) + 1;
    return std::nullopt;
}

} // namespace host
