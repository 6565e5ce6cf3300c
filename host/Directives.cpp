/*
 * Directives.cpp - the session lines that change the host rather than
 * answer the module: set (a field of the records), setting (the settings
 * store), seed (Random), key (traced here; the player counts it down) and
 * snapshot (a picture written now).
 *
 * What shaped it: `set` writes the same records the module reads, so it
 * refuses what the module could not live with: a table size while a
 * command runs (the command holds indices into the tables), a figureLimit
 * the drawing does not fit below, a text longer than its buffer.
 */
#include "host/Host.h"

#include "host/Svg.h"
#include "host/text/Text.h"

#include <fstream>
#include <type_traits>

namespace host {

void Host::applyDirective(const ScriptLine &l, bool commandRunning)
{
    switch (l.verb) {
    case Verb::Set:
        setField(l, commandRunning);
        break;
    case Verb::Setting:
        if (std::optional<std::string> why = settings.set(l.value, l.name, l.number))
            fail(kExitBadInput, l.where() + ": " + *why + ": " + l.source);
        trace.write("setting [" + l.value + "] " + l.name + "=" + formatDouble(l.number));
        break;
    case Verb::Seed:
        rng = static_cast<uint64_t>(l.count) * 0x9E3779B97F4A7C15ull + 1;
        trace.write("seed " + std::to_string(l.count));
        break;
    case Verb::Key:
        trace.write("key esc after " + std::to_string(l.count));
        break;
    case Verb::Snapshot:
        writeSnapshot(l);
        break;
    default:
        break;
    }
}

namespace {

/* The field of either record called `name`, or nothing. */
template <typename F> std::optional<F> fieldNamed(const std::string &name)
{
    for (int i = 0; i < static_cast<int>(F::Count); ++i)
        if (name == fieldInfo(static_cast<F>(i)).name)
            return static_cast<F>(i);
    return std::nullopt;
}

/* `set NAME VALUE` of an ordinary field: the value as the field's type, or
   why it does not fit. */
template <typename F> std::optional<std::string> putValue(Records &rec, F f, const ScriptLine &l)
{
    const FieldInfo &info = fieldInfo(f);
    if (info.type == FieldType::I32) {
        std::optional<int32_t> v = parseInt32(l.value);
        if (!v)
            return std::string("expected an integer");
        rec.put(f, *v);
    } else if (info.type == FieldType::F64) {
        std::optional<double> v = parseDouble(l.value);
        if (!v)
            return std::string("expected a number");
        rec.put(f, *v);
    } else if (info.type == FieldType::Text) {
        if constexpr (std::is_same_v<F, StateField>) { /* only the state record has texts */
            std::optional<std::string> s = utf8ToCp932(l.value);
            if (!s || s->size() >= info.size)
                return "the text does not fit " + l.name;
            rec.putText(f, *s);
        }
    } else {
        return l.name + " is an address the host keeps";
    }
    return std::nullopt;
}

} // namespace

void Host::setField(const ScriptLine &l, bool commandRunning)
{
    std::optional<std::string> why;
    if (std::optional<TableField> t = fieldNamed<TableField>(l.name)) {
        if (*t == TableField::figureLimit || *t == TableField::workBase || *t == TableField::workEnd)
            setTableSize(*t, l, commandRunning);
        else
            why = putValue(rec, *t, l);
    } else if (std::optional<StateField> f = fieldNamed<StateField>(l.name)) {
        why = putValue(rec, *f, l);
    } else {
        why = "no host field is called '" + l.name + "'";
    }
    if (why)
        fail(kExitBadInput, l.where() + ": " + *why + ": " + l.source);
    trace.write("set " + l.name + " " + l.value);
}

/* figureLimit, workBase and workEnd lay the tables out anew. */
void Host::setTableSize(TableField f, const ScriptLine &l, bool commandRunning)
{
    auto bad = [&](const std::string &why) { fail(kExitBadInput, l.where() + ": " + why + ": " + l.source); };
    if (commandRunning)
        bad(l.name + " can be set only between commands");
    std::optional<int32_t> v = parseInt32(l.value);
    if (!v)
        bad("expected an integer");
    /* in 64 bits: the work area moved behind a huge figureLimit lies beyond
       the 32-bit range, and is refused as too large */
    int64_t limit = f == TableField::figureLimit ? *v : rec.figureLimit();
    int64_t base = f == TableField::workBase ? *v : rec.workBase();
    int64_t end = f == TableField::workEnd ? *v : rec.workEnd();
    if (f == TableField::figureLimit && base < limit) { /* keep the work area behind the drawing */
        end += limit + 50 - base;
        base = limit + 50;
    }
    int drawingEnd = fig.drawingEnd();
    if (f == TableField::figureLimit && (drawingEnd < 0 || drawingEnd >= limit))
        bad("the drawing does not fit below figureLimit " + std::to_string(limit));
    if (std::optional<std::string> e = rec.layoutArrays(limit, base, end))
        bad(*e);
}

void Host::writeSnapshot(const ScriptLine &l)
{
    std::string path = l.name;
    bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
    if (!absolute && !options_.snapshotDir.empty())
        path = options_.snapshotDir + "/" + path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << (l.value == "panel" ? panelSvg(*this) : displaySvg(*this));
    if (!out)
        fail(kExitBadInput, l.where() + ": cannot write " + path);
    trace.write("snapshot " + l.value + " " + l.name);
}

} // namespace host
