/*
 * Trace.h - the call trace: one line a host call, with the operation's name,
 * its stack arguments in call order and the state fields it reads, indented
 * by nesting depth (a hook called inside a point request is one level deeper
 * than the request).  The user's answers and hook calls appear as lines of
 * their own.
 */
#ifndef NEROLIT_HOST_TRACE_H
#define NEROLIT_HOST_TRACE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace host {

class Trace {
public:
    Trace() = default;
    ~Trace();
    Trace(const Trace &) = delete;
    Trace &operator=(const Trace &) = delete;

    bool openFile(const std::string &path);
    void keepLines(bool keep) { keep_ = keep; }
    bool enabled() const { return keep_ || file_ != nullptr; }
    void write(const std::string &line); /* nothing when the trace is off */
    void flush();
    const std::vector<std::string> &lines() const { return lines_; }
    int depth = 0;

private:
    std::FILE *file_ = nullptr;
    bool keep_ = true;
    std::vector<std::string> lines_;
};

/* Builds one trace line; written when it goes out of scope.  Does nothing
   when the trace is off: no text is formatted then, so a service passes its
   numbers as they are (field, arg, resultInt, resultNumber), never text it
   formatted itself, and a caller that must build text first asks
   Trace::enabled(). */
class TraceLine {
public:
    TraceLine(Trace &t, const char *name);
    ~TraceLine();
    TraceLine(const TraceLine &) = delete;
    TraceLine &operator=(const TraceLine &) = delete;

    TraceLine &arg(int32_t v);
    TraceLine &arg(double v);
    TraceLine &argText(const char *sjis); /* null shows as null */
    TraceLine &argPtr(const void *p);
    TraceLine &field(const char *name, int32_t v);
    TraceLine &field(const char *name, double v);
    TraceLine &fieldText(const char *name, const std::string &sjis);
    TraceLine &note(const std::string &utf8);
    TraceLine &result(const std::string &utf8);
    TraceLine &result(const char *utf8);
    TraceLine &resultInt(long long v, const char *unit = nullptr); /* "-> 5" or "-> 5 figures" */
    TraceLine &resultNumber(double v);
    TraceLine &resultNumbers(double a, double b); /* "-> a b" */
    TraceLine &resultQuoted(const char *utf8);    /* "-> \"text\"" */

private:
    Trace &t_;
    bool on_;
    std::string s_;
};

} // namespace host

#endif
