/*
 * Settings.cpp - INI settings store.
 */
#include "host/session/Settings.h"

#include "host/text/Text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace host {

SettingsStore::Section *SettingsStore::find(const std::string &section)
{
    for (Section &s : sections_)
        if (sameIgnoringAsciiCase(s.name, section))
            return &s;
    return nullptr;
}

const SettingsStore::Section *SettingsStore::find(const std::string &section) const
{
    for (const Section &s : sections_)
        if (sameIgnoringAsciiCase(s.name, section))
            return &s;
    return nullptr;
}

std::optional<double> SettingsStore::get(const std::string &section, const std::string &key) const
{
    if (const Section *s = find(section))
        for (const auto &kv : s->values)
            if (kv.first == key)
                return kv.second;
    return std::nullopt;
}

std::optional<std::string> SettingsStore::refusal(const std::string &section, const std::string &key)
{
    auto quote = [](const std::string &name) { return "'" + name + "'"; };
    if (section.empty())
        return std::string("a settings section needs a name");
    if (section.find_first_of("\r\n") != std::string::npos)
        return "the settings section " + quote(section) + " holds a line break";
    if (key.empty())
        return "a setting needs a key";
    if (key.find_first_of("\r\n") != std::string::npos)
        return "the setting key " + quote(key) + " holds a line break";
    if (key.find('=') != std::string::npos)
        return "the setting key " + quote(key) + " holds '=', which separates key and value in the settings file";
    if (key[0] == '[' || key[0] == ';' || key[0] == '#')
        return "the setting key " + quote(key) + " starts with '" + key[0] +
               "', which starts a section or a comment in the settings file";
    if (trimBlanks(key) != key)
        return "the setting key " + quote(key) + " starts or ends with a blank, which the settings file drops";
    return std::nullopt;
}

std::optional<std::string> SettingsStore::set(const std::string &section, const std::string &key, double value)
{
    if (std::optional<std::string> why = refusal(section, key))
        return why;
    Section *s = find(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    for (auto &kv : s->values)
        if (kv.first == key) {
            kv.second = value;
            return std::nullopt;
        }
    s->values.emplace_back(key, value);
    return std::nullopt;
}

size_t SettingsStore::size() const
{
    size_t n = 0;
    for (const Section &s : sections_)
        n += s.values.size();
    return n;
}

std::vector<std::tuple<std::string, std::string, double>> SettingsStore::entries() const
{
    std::vector<std::tuple<std::string, std::string, double>> out;
    for (const Section &s : sections_)
        for (const auto &kv : s.values)
            out.emplace_back(s.name, kv.first, kv.second);
    return out;
}

std::optional<std::string> SettingsStore::loadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT)
            return std::nullopt;
        return path + ": cannot read the settings file: " + std::strerror(errno);
    }
    std::ostringstream s;
    s << in.rdbuf();
    return load(s.str(), path);
}

std::optional<std::string> SettingsStore::load(const std::string &text, const std::string &name)
{
    std::istringstream in(text);
    std::string line, section;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        line = trimBlanks(line.size() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        std::string where = name + ":" + std::to_string(lineNo) + ": ";
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3)
                return where + "a section line is [NAME]";
            section = line.substr(1, line.size() - 2);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0)
            return where + "expected KEY=VALUE";
        if (section.empty())
            return where + "KEY=VALUE before the first [SECTION]";
        std::optional<double> v = parseDouble(trimBlanks(line.substr(eq + 1)));
        if (!v)
            return where + "the value is not a number";
        if (std::optional<std::string> why = set(section, trimBlanks(line.substr(0, eq)), *v))
            return where + *why;
    }
    return std::nullopt;
}

std::string SettingsStore::text() const
{
    std::string out;
    for (const Section &s : sections_) {
        out += "[" + s.name + "]\n";
        for (const auto &kv : s.values)
            out += kv.first + "=" + formatDouble(kv.second) + "\n";
    }
    return out;
}

std::optional<std::string> SettingsStore::saveFile(const std::string &path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text();
    if (!out)
        return path + ": cannot write the settings file";
    return std::nullopt;
}

} // namespace host
