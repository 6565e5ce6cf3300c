/*
 * Svg.cpp - pictures: the drawing as a person wants to see it (y up, fitted
 * to the page), what the display shows now (drawn figures black, previews
 * blue, the drag line red, erased figures left out), and the option panel
 * with what the module drew on it.
 */
#include "host/Svg.h"

#include "host/Host.h"
#include "host/text/Text.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace host {

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr double kPageW = 800, kPageH = 600, kMargin = 20;

std::string esc(const std::string &s)
{
    std::string o;
    for (char c : s)
        o += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : c == '"' ? "&quot;" : std::string(1, c);
    return o;
}

std::string num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

struct Item {
    Figure f;
    const char *colour;
};

class Picture {
public:
    void add(const Figure &f, const char *colour, const Box &b)
    {
        items_.push_back({f, colour});
        grow(b);
    }
    void addLine(const XorLine &l)
    {
        xor_.push_back(l);
        grow({std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2)});
    }
    std::string svg(const std::string &title) const
    {
        double w = std::max(box_.x2 - box_.x1, 1.0), h = std::max(box_.y2 - box_.y1, 1.0);
        double s = std::min((kPageW - 2 * kMargin) / w, (kPageH - 2 * kMargin) / h);
        auto X = [&](double x) { return num(kMargin + (x - box_.x1) * s); };
        auto Y = [&](double y) { return num(kMargin + (box_.y2 - y) * s); };
        std::ostringstream o;
        o << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPageW << "\" height=\"" << kPageH
          << "\" viewBox=\"0 0 " << kPageW << " " << kPageH << "\">\n<title>" << esc(title) << "</title>\n"
          << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
        for (const Item &it : items_) {
            const Figure &f = it.f;
            std::string stroke = std::string("stroke=\"") + it.colour + "\" fill=\"none\" stroke-width=\"1.2\"";
            if (f.kind == kKindLine) {
                o << "<line x1=\"" << X(f.x1) << "\" y1=\"" << Y(f.y1) << "\" x2=\"" << X(f.x2) << "\" y2=\"" << Y(f.y2)
                  << "\" " << stroke << "/>\n";
            } else if (f.kind == kKindArc && f.isCircle()) {
                o << "<circle cx=\"" << X(f.x1) << "\" cy=\"" << Y(f.y1) << "\" r=\"" << num(f.x2 * s) << "\" " << stroke
                  << "/>\n";
            } else if (f.kind == kKindArc) {
                double a = f.start / 1e6, sweep = f.end / 1e6 - a;
                while (sweep <= 0)
                    sweep += 360;
                double b = a + sweep;
                double sx = f.x1 + f.x2 * std::cos(a * kDegree), sy = f.y1 - f.x2 * std::sin(a * kDegree);
                double ex = f.x1 + f.x2 * std::cos(b * kDegree), ey = f.y1 - f.x2 * std::sin(b * kDegree);
                o << "<path d=\"M " << X(sx) << " " << Y(sy) << " A " << num(f.x2 * s) << " " << num(f.x2 * s)
                  << " 0 " << (sweep > 180 ? 1 : 0) << " 1 " << X(ex) << " " << Y(ey) << "\" " << stroke << "/>\n";
            } else if (f.kind == kKindPoint) {
                o << "<circle cx=\"" << X(f.x1) << "\" cy=\"" << Y(f.y1) << "\" r=\"2\" fill=\"" << it.colour << "\"/>\n";
            } else if (f.kind == kKindText || f.kind == kKindText6) {
                int hz = f.origin % 4, vt = f.origin / 4;
                const char *anchor = hz == 1 ? "middle" : hz == 2 ? "end" : "start";
                const char *base = vt == 0 ? "hanging" : vt == 1 ? "middle" : "alphabetic";
                o << "<text x=\"" << X(f.x1) << "\" y=\"" << Y(f.y1) << "\" font-size=\""
                  << num(std::max(6.0, f.height * s)) << "\" text-anchor=\"" << anchor << "\" dominant-baseline=\""
                  << base << "\" fill=\"" << it.colour << "\" transform=\"rotate(" << num(-f.angle / 1e6) << " "
                  << X(f.x1) << " " << Y(f.y1) << ")\">" << esc(f.text) << "</text>\n";
            }
        }
        for (const XorLine &l : xor_)
            o << "<line x1=\"" << X(l.x1) << "\" y1=\"" << Y(l.y1) << "\" x2=\"" << X(l.x2) << "\" y2=\"" << Y(l.y2)
              << "\" stroke=\"red\" stroke-dasharray=\"4 3\"/>\n";
        o << "</svg>\n";
        return o.str();
    }

private:
    void grow(const Box &b)
    {
        box_ = empty_ ? b : Box{std::min(box_.x1, b.x1), std::min(box_.y1, b.y1), std::max(box_.x2, b.x2),
                                std::max(box_.y2, b.y2)};
        empty_ = false;
    }
    std::vector<Item> items_;
    std::vector<XorLine> xor_;
    Box box_{0, 0, 1, 1};
    bool empty_ = true;
};

/* Box of a figure for fitting, with some room for a text's characters. */
Box fitBox(const FigureTable &fig, int i)
{
    Box b = fig.box(i);
    Figure f = fig.read(i);
    if (f.kind == kKindText || f.kind == kKindText6) {
        double len = static_cast<double>(f.x2) * std::max(f.width, 1);
        b = {b.x1 - len, b.y1 - f.height, b.x2 + len, b.y2 + f.height};
    }
    return b;
}

} // namespace

std::string drawingSvg(const Host &host)
{
    Picture p;
    host.fig.eachFigure(host.fig.figuresEnd(), [&](int i) { p.add(host.fig.read(i), "black", fitBox(host.fig, i)); });
    return p.svg("drawing");
}

std::string displaySvg(const Host &host)
{
    Picture p;
    for (int i = 0; i < host.rec.capacity();) {
        int n = entriesOfKind(host.fig.kindAt(i));
        if (n > 0 && i + n <= host.rec.capacity()) {
            Display d = host.fig.display(i);
            if (d == Display::Drawn || d == Display::Preview)
                p.add(host.fig.read(i), d == Display::Preview ? "blue" : "black", fitBox(host.fig, i));
        }
        i += n > 0 ? n : 1;
    }
    for (const XorLine &l : host.xorLines)
        p.addLine(l);
    return p.svg("display");
}

std::string panelSvg(const Host &host)
{
    /* in 64 bits: a character cell may be as large as the state record can say */
    long long cw = std::max(1, host.rec.i32(StateField::charWidth)), ch = std::max(1, host.rec.i32(StateField::charHeight));
    long long w = std::max(1, host.panel.columns) * cw, h = std::max(1, host.panel.rows) * ch;
    static const char *const colours[] = {"black", "maroon", "green", "olive", "navy", "purple", "teal", "silver",
                                          "grey", "red", "lime", "yellow", "blue", "fuchsia", "aqua", "white"};
    auto colour = [](int32_t c) { return c >= 0 && c < 16 ? colours[c] : "black"; };
    std::ostringstream o;
    o << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << w << "\" height=\"" << h << "\" viewBox=\"0 0 " << w
      << " " << h << "\">\n<title>" << esc(host.panel.caption.empty() ? "panel" : host.panel.caption) << "</title>\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#d4d0c8\"/>\n";
    for (const PanelItem &it : host.panel.items) {
        std::string label = it.caption;
        if (it.kind == ItemKind::List && it.boundInt) {
            long long k = static_cast<long long>(*it.boundInt) - it.firstValue;
            label = "[" + (k >= 0 && k < static_cast<long long>(it.entries.size()) ? it.entries[static_cast<size_t>(k)] : "?") + "]";
        } else if (it.kind == ItemKind::Number && it.boundDouble) {
            label += " " + formatDouble(*it.boundDouble);
        } else if ((it.kind == ItemKind::Check || it.kind == ItemKind::Radio) && it.boundInt) {
            bool on = it.kind == ItemKind::Check ? *it.boundInt != 0 : *it.boundInt == static_cast<int32_t>(it.a);
            label = std::string(on ? "[x] " : "[ ] ") + label;
        }
        if (label.empty())
            continue;
        o << "<text x=\"" << it.first * cw + 2 << "\" y=\"" << it.row * ch + ch - 4 << "\" font-size=\"" << ch - 4
          << "\">" << esc(label) << "</text>\n";
    }
    for (const PanelShape &s : host.panel.shapes) {
        if (s.circle) {
            o << "<circle cx=\"" << num(s.x1) << "\" cy=\"" << num(s.y1) << "\" r=\"" << num(s.r) << "\" stroke=\""
              << colour(s.colour) << "\" fill=\"none\"/>\n";
        } else if (s.option == "BF" || s.option == "B") {
            o << "<rect x=\"" << num(std::min(s.x1, s.x2)) << "\" y=\"" << num(std::min(s.y1, s.y2)) << "\" width=\""
              << num(std::fabs(s.x2 - s.x1)) << "\" height=\"" << num(std::fabs(s.y2 - s.y1)) << "\" "
              << (s.option == "BF" ? std::string("fill=\"") + colour(s.colour) + "\""
                                   : std::string("fill=\"none\" stroke=\"") + colour(s.colour) + "\"")
              << "/>\n";
        } else {
            o << "<line x1=\"" << num(s.x1) << "\" y1=\"" << num(s.y1) << "\" x2=\"" << num(s.x2) << "\" y2=\""
              << num(s.y2) << "\" stroke=\"" << colour(s.colour) << "\"/>\n";
        }
    }
    o << "</svg>\n";
    return o.str();
}

} // namespace host
