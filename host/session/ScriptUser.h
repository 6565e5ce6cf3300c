/*
 * ScriptUser.h - the user of a session file: each request is answered by
 * the file's next line (README, "Session contract").  Directives on the way
 * go to the host one by one; a command's lines end at the next `run` or at
 * the end of the file, and from there on it is told nothing (its requests
 * are cancelled).  A message with no `message` or `cancel` line next is
 * answered ok without a line, as a person would click it away; a command
 * that shows messages again and again that way is waiting for an answer the
 * session never gives, and the session fails with the file:line of its next
 * line (exit 2) rather than run into the host's hang limit.
 */
#ifndef NEROLIT_HOST_SCRIPTUSER_H
#define NEROLIT_HOST_SCRIPTUSER_H

#include "host/session/User.h"

#include <vector>

namespace host {

/* Messages answered ok without a line in a row (no line taken between them)
   that the session may leave to the host; the next one fails it. */
constexpr int kUnansweredMessages = 3;

class ScriptUser : public User {
public:
    explicit ScriptUser(std::vector<ScriptLine> lines) : lines_(std::move(lines)) {}
    Reply next(Host &host, const Ask &ask) override;

private:
    std::vector<ScriptLine> lines_;
    size_t pos_ = 0;
    int unansweredMessages_ = 0; /* messages answered ok without a line since the last line taken */
};

} // namespace host

#endif
