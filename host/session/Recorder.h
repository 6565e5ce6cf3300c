/*
 * Recorder.h - writes down a session as it plays, whoever the user is: every
 * line the host takes from its user (directives, `run`, answers, including
 * a message answered ok without a line) in the session language, and an
 * Escape pressed at a poll as the `key esc after N` line that gives the same
 * poll in a replay.  The text replays the same session in nerolit-host with
 * the same drawing and settings file.
 *
 * Use: set the player's recorder (Player::recorder) before the session plays;
 * text() is the session so far at any time, also after a failure.
 */
#ifndef NEROLIT_HOST_RECORDER_H
#define NEROLIT_HOST_RECORDER_H

#include "host/session/Script.h"

#include <string>
#include <vector>

namespace host {

class SessionRecorder {
public:
    /* A line the host took from its user, in the order taken. */
    void take(const ScriptLine &l);
    /* The user pressed Escape at the poll that came `polls` polls after the
       last line taken (0: the first).  A `key esc after N` directive is read
       by the host together with the line after it, so it goes just before
       the last line taken, where a replay reads it at the same moment. */
    void escapeAtPoll(long long polls);
    /* The session so far, a line each; `header` lines (comments) first. */
    std::string text(const std::string &header = "") const;
    size_t size() const { return lines_.size(); }
    /* The lines from `from` on, for a reader that holds the first `from`
       lines of an earlier look: `start` becomes where the text returned
       begins, before `from` when an Escape went in among the lines the
       reader holds since its last look. */
    std::string linesFrom(size_t from, size_t &start);

private:
    std::vector<std::string> lines_;
    size_t lastTaken_ = 0; /* index of the last line taken, lines_.size() before any */
    size_t inserted_ = static_cast<size_t>(-1); /* first line an Escape went before since linesFrom */
};

} // namespace host

#endif
