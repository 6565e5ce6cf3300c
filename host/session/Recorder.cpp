/*
 * Recorder.cpp - a session written down as it plays.
 */
#include "host/session/Recorder.h"

namespace host {

void SessionRecorder::take(const ScriptLine &l)
{
    lastTaken_ = lines_.size();
    lines_.push_back(sessionText(l));
}

void SessionRecorder::escapeAtPoll(long long polls)
{
    size_t at = lastTaken_ < lines_.size() ? lastTaken_ : 0;
    lines_.insert(lines_.begin() + static_cast<long>(at), "key esc after " + std::to_string(polls));
    if (at < inserted_)
        inserted_ = at;
    lastTaken_ = at + 1;
}

std::string SessionRecorder::text(const std::string &header) const
{
    std::string out;
    size_t b = 0;
    while (b < header.size()) {
        size_t e = header.find('\n', b);
        std::string line = header.substr(b, e == std::string::npos ? std::string::npos : e - b);
        out += "# " + line + "\n";
        b = e == std::string::npos ? header.size() : e + 1;
    }
    for (const std::string &l : lines_)
        out += l + "\n";
    return out;
}

std::string SessionRecorder::linesFrom(size_t from, size_t &start)
{
    start = from < inserted_ ? from : inserted_;
    if (start > lines_.size())
        start = lines_.size();
    inserted_ = static_cast<size_t>(-1);
    std::string out;
    for (size_t k = start; k < lines_.size(); ++k)
        out += lines_[k] + "\n";
    return out;
}

} // namespace host
