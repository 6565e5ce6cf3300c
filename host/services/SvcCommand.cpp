/*
 * SvcCommand.cpp - command bookkeeping and the settings store.
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

namespace host {

namespace {

void HOST_STDCALL BeginCommand(int32_t one)
{
    ServiceCall c(Svc::BeginCommand);
    ++runningHost().beginCommandCalls;
    TraceLine(runningHost().trace, "BeginCommand").arg(one);
}

int32_t HOST_STDCALL RegisterCommand(const char *name, int32_t z1, const char *caption, const char *second,
                                     int32_t z2, int32_t z3, int32_t z4, int32_t z5)
{
    ServiceCall c(Svc::RegisterCommand);
    Host &h = runningHost();
    h.registrations.push_back({name ? cp932ToUtf8(name) : "", caption ? cp932ToUtf8(caption) : "",
                               second ? cp932ToUtf8(second) : ""});
    TraceLine(h.trace, "RegisterCommand").argText(name).arg(z1).argText(caption).argText(second).arg(z2).arg(z3)
        .arg(z4).arg(z5).result("1");
    return 1;
}

/* A null section is the running command's own (currentCommand). */
std::string sectionOf(const char *section)
{
    return section ? cp932ToUtf8(section) : cp932ToUtf8(runningHost().rec.text(StateField::currentCommand));
}

double HOST_STDCALL ReadSetting(const char *key, int32_t zero, const char *section, double fallback)
{
    ServiceCall c(Svc::ReadSetting);
    Host &h = runningHost();
    std::optional<double> v = h.settings.get(sectionOf(section), cp932ToUtf8(key));
    double out = v ? *v : fallback;
    TraceLine t(h.trace, "ReadSetting");
    t.argText(key).arg(zero).argText(section).arg(fallback).resultNumber(out);
    if (!v)
        t.note("not stored");
    return out;
}

void HOST_STDCALL WriteSetting(const char *key, double value, int32_t zero, const char *section)
{
    ServiceCall c(Svc::WriteSetting);
    Host &h = runningHost();
    /* A name the store cannot hold is not written (the trace says why):
       the file must load again in the next session. */
    std::optional<std::string> refused = h.settings.set(sectionOf(section), cp932ToUtf8(key), value);
    TraceLine t(h.trace, "WriteSetting");
    t.argText(key).arg(value).arg(zero).argText(section);
    if (refused)
        t.note("refused: " + *refused);
}

} // namespace

void registerCommandServices(Records &r)
{
    putService(r, Svc::BeginCommand, slot(&BeginCommand));
    putService(r, Svc::RegisterCommand, slot(&RegisterCommand));
    putService(r, Svc::ReadSetting, slot(&ReadSetting));
    putService(r, Svc::WriteSetting, slot(&WriteSetting));
}

} // namespace host
