/*
 * Trace.cpp - trace lines, streamed to the trace file as they are made.
 */
#include "host/Trace.h"

#include "host/text/Text.h"

#include <cinttypes>

namespace host {

Trace::~Trace()
{
    if (file_)
        std::fclose(file_);
}

bool Trace::openFile(const std::string &path)
{
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
}

void Trace::write(const std::string &line)
{
    if (!enabled())
        return;
    std::string s(static_cast<size_t>(depth) * 2, ' ');
    s += line;
    if (file_) {
        std::fputs(s.c_str(), file_);
        std::fputc('\n', file_);
    }
    if (keep_)
        lines_.push_back(s);
}

void Trace::flush()
{
    if (file_)
        std::fflush(file_);
}

TraceLine::TraceLine(Trace &t, const char *name) : t_(t), on_(t.enabled())
{
    if (on_)
        s_ = name;
}

TraceLine::~TraceLine()
{
    if (on_)
        t_.write(s_);
}

TraceLine &TraceLine::arg(int32_t v)
{
    if (on_)
        s_ += " " + std::to_string(v);
    return *this;
}

TraceLine &TraceLine::arg(double v)
{
    if (on_)
        s_ += " " + formatDouble(v);
    return *this;
}

TraceLine &TraceLine::argText(const char *sjis)
{
    if (on_)
        s_ += sjis ? " " + quoted(cp932ToUtf8(sjis)) : std::string(" null");
    return *this;
}

TraceLine &TraceLine::argPtr(const void *p)
{
    if (on_)
        s_ += p ? " &" : " null";
    return *this;
}

TraceLine &TraceLine::field(const char *name, int32_t v)
{
    if (on_)
        s_ += std::string(" ") + name + "=" + std::to_string(v);
    return *this;
}

TraceLine &TraceLine::field(const char *name, double v)
{
    if (on_)
        s_ += std::string(" ") + name + "=" + formatDouble(v);
    return *this;
}

TraceLine &TraceLine::fieldText(const char *name, const std::string &sjis)
{
    if (on_)
        s_ += std::string(" ") + name + "=" + quoted(cp932ToUtf8(sjis));
    return *this;
}

TraceLine &TraceLine::note(const std::string &utf8)
{
    if (on_)
        s_ += " (" + utf8 + ")";
    return *this;
}

TraceLine &TraceLine::result(const std::string &utf8)
{
    if (on_)
        s_ += " -> " + utf8;
    return *this;
}

TraceLine &TraceLine::result(const char *utf8)
{
    if (on_)
        s_ += std::string(" -> ") + utf8;
    return *this;
}

TraceLine &TraceLine::resultInt(long long v, const char *unit)
{
    if (on_) {
        s_ += " -> " + std::to_string(v);
        if (unit)
            s_ += std::string(" ") + unit;
    }
    return *this;
}

TraceLine &TraceLine::resultNumber(double v)
{
    if (on_)
        s_ += " -> " + formatDouble(v);
    return *this;
}

TraceLine &TraceLine::resultQuoted(const char *utf8)
{
    if (on_)
        s_ += " -> " + quoted(utf8);
    return *this;
}

TraceLine &TraceLine::resultNumbers(double a, double b)
{
    if (on_)
        s_ += " -> " + formatDouble(a) + " " + formatDouble(b);
    return *this;
}

} // namespace host
