/*
 * Script.h - session files: what the scripted user does, one action a line.
 * The whole file is parsed before anything runs, so a malformed line stops
 * the session before the first command with file:line and the reason.
 * The README's "Session contract" describes every verb.
 */
#ifndef NEROLIT_HOST_SCRIPT_H
#define NEROLIT_HOST_SCRIPT_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

enum class Verb {
    /* directives: carried out when the host reads them */
    Set, Setting, Seed, Key, Snapshot,
    /* starts a command */
    Run,
    /* answers to requests */
    Point, Cancel, Move, Repaint, Confirm, Close, Select, Panel, Group, Message
};

enum class SelectHow { Indices, Window, All };
enum class PanelAction { Set, Choose, Pick, Ok, Cancel };

struct ScriptLine {
    std::string file;
    int line = 0;
    std::string source; /* the line as written, for messages */
    Verb verb = Verb::Cancel;
    std::string name;  /* set, setting key, run, panel caption or @attribute, snapshot file */
    std::string value; /* set value, panel value, setting section, snapshot kind */
    double x = 0, y = 0, x2 = 0, y2 = 0;
    double number = 0; /* setting value, group number */
    long long count = 0; /* seed, key after N, panel pick row */
    bool ok = true;      /* message ok / cancel */
    SelectHow select = SelectHow::Indices;
    std::vector<int> indices;
    PanelAction panel = PanelAction::Ok;

    std::string where() const { return file + ":" + std::to_string(line); }
    bool isDirective() const { return verb <= Verb::Snapshot; }
};

/* Parses a whole session; on error returns nothing and sets `error` to
   "file:line: reason: the line". */
std::optional<std::vector<ScriptLine>> parseScript(const std::string &text, const std::string &file,
                                                   std::string &error);

/* The session verb of a line ("point", "panel", ...). */
const char *verbName(Verb v);

/* The line in the session language, in a form that parses back into the
   same action (numbers in their shortest exact form, texts quoted): what a
   recorded session says for it. */
std::string sessionText(const ScriptLine &l);

} // namespace host

#endif
