/*
 * Script.cpp - session file parser.
 */
#include "host/session/Script.h"

#include "host/session/Settings.h"
#include "host/text/Text.h"

#include <sstream>

namespace host {

namespace {

bool isQuoted(const std::string &w) { return !w.empty() && w[0] == '"'; }

struct Parser {
    std::vector<std::string> w;
    std::string error;

    bool count(size_t lo, size_t hi, const char *usage)
    {
        if (w.size() < lo || w.size() > hi) {
            error = std::string("expected ") + usage;
            return false;
        }
        return true;
    }
    bool number(size_t k, double &out)
    {
        std::optional<double> v = k < w.size() && !isQuoted(w[k]) ? parseDouble(w[k]) : std::nullopt;
        if (!v) {
            error = "'" + (k < w.size() ? w[k] : std::string()) + "' is not a number";
            return false;
        }
        out = *v;
        return true;
    }
    bool integer(size_t k, long long &out)
    {
        std::optional<int32_t> v = k < w.size() && !isQuoted(w[k]) ? parseInt32(w[k]) : std::nullopt;
        if (!v) {
            error = "'" + (k < w.size() ? w[k] : std::string()) + "' is not an integer";
            return false;
        }
        out = *v;
        return true;
    }
    bool text(size_t k, std::string &out)
    {
        if (k >= w.size() || !isQuoted(w[k])) {
            error = "expected a text in double quotes";
            return false;
        }
        out = w[k].substr(1);
        return true;
    }

    bool parse(ScriptLine &l)
    {
        const std::string &v = w[0];
        if (v == "set") {
            l.verb = Verb::Set;
            if (!count(3, 3, "set NAME VALUE"))
                return false;
            l.name = w[1];
            l.value = w[2];
            return true;
        }
        if (v == "setting") {
            l.verb = Verb::Setting;
            if (!count(4, 4, "setting SECTION KEY VALUE"))
                return false;
            l.value = w[1];
            l.name = w[2];
            if (std::optional<std::string> why = SettingsStore::refusal(l.value, l.name)) {
                error = *why;
                return false;
            }
            return number(3, l.number);
        }
        if (v == "seed") {
            l.verb = Verb::Seed;
            return count(2, 2, "seed N") && integer(1, l.count);
        }
        if (v == "key") {
            l.verb = Verb::Key;
            if (w.size() == 2 && w[1] == "esc")
                return true;
            if (w.size() == 4 && w[1] == "esc" && w[2] == "after")
                return integer(3, l.count) && (l.count >= 0 || (error = "after N needs N >= 0", false));
            error = "expected key esc [after N]";
            return false;
        }
        if (v == "snapshot") {
            l.verb = Verb::Snapshot;
            if (w.size() == 2 && !isQuoted(w[1])) {
                l.value = "display";
                l.name = w[1];
                return true;
            }
            if (w.size() == 3 && w[1] == "panel") {
                l.value = "panel";
                l.name = w[2];
                return true;
            }
            error = "expected snapshot FILE.svg or snapshot panel FILE.svg";
            return false;
        }
        if (v == "run") {
            l.verb = Verb::Run;
            if (!count(2, 2, "run NAME"))
                return false;
            l.name = w[1];
            return true;
        }
        if (v == "point" || v == "move") {
            l.verb = v == "point" ? Verb::Point : Verb::Move;
            return count(3, 3, "point X Y / move X Y") && number(1, l.x) && number(2, l.y);
        }
        if (v == "cancel" || v == "repaint" || v == "confirm" || v == "close") {
            l.verb = v == "cancel" ? Verb::Cancel : v == "repaint" ? Verb::Repaint : v == "confirm" ? Verb::Confirm : Verb::Close;
            return count(1, 1, v.c_str());
        }
        if (v == "select") {
            l.verb = Verb::Select;
            if (w.size() == 2 && w[1] == "all") {
                l.select = SelectHow::All;
                return true;
            }
            if (w.size() >= 2 && w[1] == "window") {
                l.select = SelectHow::Window;
                return count(6, 6, "select window X1 Y1 X2 Y2") && number(2, l.x) && number(3, l.y) &&
                       number(4, l.x2) && number(5, l.y2);
            }
            l.select = SelectHow::Indices;
            for (size_t k = 1; k < w.size(); ++k) {
                long long n;
                if (!integer(k, n))
                    return false;
                if (n < 0) {
                    error = "a figure index is never negative";
                    return false;
                }
                l.indices.push_back(static_cast<int>(n));
            }
            return true;
        }
        if (v == "panel") {
            l.verb = Verb::Panel;
            std::string a = w.size() > 1 ? w[1] : "";
            if (a == "ok" || a == "cancel") {
                l.panel = a == "ok" ? PanelAction::Ok : PanelAction::Cancel;
                return count(2, 2, "panel ok / panel cancel");
            }
            if (a == "set") {
                l.panel = PanelAction::Set;
                if (!count(4, 4, "panel set \"CAPTION\" VALUE or panel set @ATTRIBUTE VALUE"))
                    return false;
                if (isQuoted(w[2]))
                    l.name = w[2].substr(1);
                else if (w[2] == "@group" || w[2] == "@groupmode" || w[2] == "@layer" || w[2] == "@color" ||
                         w[2] == "@linetype")
                    l.name = w[2];
                else {
                    error = "panel set takes a \"CAPTION\" or one of @group @groupmode @layer @color @linetype";
                    return false;
                }
                l.value = w[3];
                return number(3, l.number);
            }
            if (a == "choose") {
                l.panel = PanelAction::Choose;
                return count(3, 3, "panel choose \"CAPTION\"") && text(2, l.name);
            }
            if (a == "pick") {
                l.panel = PanelAction::Pick;
                return count(4, 4, "panel pick ROW \"ENTRY\"") && integer(2, l.count) && text(3, l.name);
            }
            error = "expected panel set, choose, pick, ok or cancel";
            return false;
        }
        if (v == "group") {
            l.verb = Verb::Group;
            return count(2, 2, "group N") && number(1, l.number);
        }
        if (v == "message") {
            l.verb = Verb::Message;
            if (w.size() == 2 && (w[1] == "ok" || w[1] == "cancel")) {
                l.ok = w[1] == "ok";
                return true;
            }
            error = "expected message ok or message cancel";
            return false;
        }
        error = "unknown action '" + v + "'";
        return false;
    }
};

} // namespace

std::optional<std::vector<ScriptLine>> parseScript(const std::string &text, const std::string &file,
                                                   std::string &error)
{
    std::vector<ScriptLine> lines;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        Parser p;
        ScriptLine l;
        l.file = file;
        l.line = lineNo;
        l.source = trimBlanks(raw);
        if (!splitWords(raw, p.w, true))
            p.error = "a text in double quotes is not closed";
        if (!p.error.empty() || (!p.w.empty() && !p.parse(l))) {
            error = file + ":" + std::to_string(lineNo) + ": " + p.error + ": " + l.source;
            return std::nullopt;
        }
        if (!p.w.empty())
            lines.push_back(l);
    }
    return lines;
}

const char *verbName(Verb v)
{
    switch (v) {
    case Verb::Set: return "set";
    case Verb::Setting: return "setting";
    case Verb::Seed: return "seed";
    case Verb::Key: return "key";
    case Verb::Snapshot: return "snapshot";
    case Verb::Run: return "run";
    case Verb::Point: return "point";
    case Verb::Cancel: return "cancel";
    case Verb::Move: return "move";
    case Verb::Repaint: return "repaint";
    case Verb::Confirm: return "confirm";
    case Verb::Close: return "close";
    case Verb::Select: return "select";
    case Verb::Panel: return "panel";
    case Verb::Group: return "group";
    case Verb::Message: return "message";
    }
    return "?";
}

std::string sessionText(const ScriptLine &l)
{
    auto number = [](double v) { return formatDouble(v); };
    switch (l.verb) {
    case Verb::Set: return "set " + l.name + " " + l.value;
    case Verb::Setting: return "setting " + l.value + " " + l.name + " " + number(l.number);
    case Verb::Seed: return "seed " + std::to_string(l.count);
    case Verb::Key: return "key esc after " + std::to_string(l.count);
    case Verb::Snapshot: return l.value == "panel" ? "snapshot panel " + l.name : "snapshot " + l.name;
    case Verb::Run: return "run " + l.name;
    case Verb::Point: return "point " + number(l.x) + " " + number(l.y);
    case Verb::Move: return "move " + number(l.x) + " " + number(l.y);
    case Verb::Cancel: return "cancel";
    case Verb::Repaint: return "repaint";
    case Verb::Confirm: return "confirm";
    case Verb::Close: return "close";
    case Verb::Select: {
        if (l.select == SelectHow::All)
            return "select all";
        if (l.select == SelectHow::Window)
            return "select window " + number(l.x) + " " + number(l.y) + " " + number(l.x2) + " " + number(l.y2);
        std::string s = "select";
        for (int i : l.indices)
            s += " " + std::to_string(i);
        return s;
    }
    case Verb::Panel:
        switch (l.panel) {
        case PanelAction::Ok: return "panel ok";
        case PanelAction::Cancel: return "panel cancel";
        case PanelAction::Choose: return "panel choose " + quoted(l.name);
        case PanelAction::Pick: return "panel pick " + std::to_string(l.count) + " " + quoted(l.name);
        case PanelAction::Set:
            return "panel set " + (!l.name.empty() && l.name[0] == '@' ? l.name : quoted(l.name)) + " " +
                   (l.value.empty() ? number(l.number) : l.value);
        }
        break;
    case Verb::Group: return "group " + number(l.number);
    case Verb::Message: return l.ok ? "message ok" : "message cancel";
    }
    return "?";
}

} // namespace host
