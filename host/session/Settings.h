/*
 * Settings.h - the host's settings store: numbers by section and key, one
 * section per command name, kept in an INI file (UTF-8):
 *
 *     [kumo1]
 *     KumoMode=2
 *
 * Section names are compared without regard to ASCII case, as the host
 * compares command names; keys exactly.  Values are written in their
 * shortest exact decimal form, so every double survives the round trip.
 * A name the file could not give back as it was is refused rather than
 * written (see refusal()), so a written store always loads again, as the
 * same store.
 */
#ifndef NEROLIT_HOST_SETTINGS_H
#define NEROLIT_HOST_SETTINGS_H

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace host {

class SettingsStore {
public:
    /* A file that does not exist is an empty store; an unreadable or
       malformed one is an error (file:line: reason). */
    std::optional<std::string> loadFile(const std::string &path);
    std::optional<std::string> load(const std::string &text, const std::string &name);
    std::optional<std::string> saveFile(const std::string &path) const;
    std::string text() const;

    std::optional<double> get(const std::string &section, const std::string &key) const;
    /* Stores the value; refuses (and returns refusal()'s reason) a name
       the file cannot hold. */
    std::optional<std::string> set(const std::string &section, const std::string &key, double value);
    /* Why the file cannot hold this section or key, or nothing: a key
       that is empty, holds '=' (the file's separator), starts with '['
       (a section line) or ';' or '#' (a comment), or starts or ends with a
       blank (the reader trims them); a section that is empty; either with
       a line break. */
    static std::optional<std::string> refusal(const std::string &section, const std::string &key);
    size_t size() const;
    /* Every value as (section, key, value), in the order of the file. */
    std::vector<std::tuple<std::string, std::string, double>> entries() const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, double>> values;
    };
    Section *find(const std::string &section);
    const Section *find(const std::string &section) const;
    std::vector<Section> sections_;
};

} // namespace host

#endif
