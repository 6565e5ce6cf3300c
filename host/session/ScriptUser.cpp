/*
 * ScriptUser.cpp - a session file as the host's user.
 */
#include "host/session/ScriptUser.h"

#include "host/text/Text.h"

namespace host {

Reply ScriptUser::next(Host &, const Ask &ask)
{
    if (ask.kind == Request::Poll) /* Escape comes from `key esc` lines */
        return std::nullopt;
    if (pos_ >= lines_.size())
        return std::nullopt;
    const ScriptLine &l = lines_[pos_];
    if (ask.kind == Request::Command || l.isDirective()) {
        ++pos_;
        unansweredMessages_ = 0;
        return l;
    }
    if (l.verb == Verb::Run) /* the command's lines have run out */
        return std::nullopt;
    if (ask.kind == Request::Message && l.verb != Verb::Message && l.verb != Verb::Cancel) {
        if (++unansweredMessages_ > kUnansweredMessages)
            return Reply::failed(l.where() + ": " + ask.command + " showed the message " + quoted(ask.prompt) + " " +
                                 std::to_string(unansweredMessages_) +
                                 " times in a row, and the session does not answer it: its next line says '" +
                                 l.source + "'");
        ScriptLine ok;
        ok.file = l.file;
        ok.line = l.line;
        ok.verb = Verb::Message;
        ok.ok = true;
        ok.source = "message ok (no message line)";
        return ok;
    }
    ++pos_;
    unansweredMessages_ = 0;
    return l;
}

} // namespace host
