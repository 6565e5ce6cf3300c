/*
 * Player.cpp - the session loop and the answers to the module's requests.
 *
 * Every line the user gives goes through takeDown() before it does
 * anything, so that a recording holds exactly the lines that were played,
 * in the order they took effect.
 */
#include "host/session/Player.h"

#include "host/session/ScriptUser.h"

namespace host {

void Player::loadScript(const std::string &text, const std::string &name)
{
    std::string error;
    std::optional<std::vector<ScriptLine>> lines = parseScript(text, name, error);
    if (!lines)
        stage_.fail(kExitBadInput, error);
    scriptUser_ = std::make_unique<ScriptUser>(std::move(*lines));
    user_ = scriptUser_.get();
}

std::optional<ScriptLine> Player::next(const Ask &ask)
{
    Reply r = user_->next(host_, ask);
    if (!r.failure.empty())
        stage_.fail(kExitBadInput, r.failure);
    return std::move(r.line);
}

void Player::play()
{
    if (!user_)
        return;
    while (std::optional<ScriptLine> l = next(stage_.ask(Request::Command, ""))) {
        takeDown(*l);
        playLine(*l);
    }
}

void Player::playLine(const ScriptLine &l)
{
    if (l.isDirective()) {
        applyDirective(l);
    } else if (l.verb == Verb::Run) {
        command_ = l.name;
        commandRunning_ = true;
        userDone_ = false;
        idleRequests_ = 0;
        stage_.runCommand(l.name);
        commandRunning_ = false;
        cancelsOwed_ = userDone_ ? idleRequests_ : 0;
    } else {
        stage_.fail(kExitBadInput, l.where() + ": '" + l.source + "' answers nothing: " +
                                       (command_.empty() ? std::string("no command has run yet")
                                                         : command_ + " has returned"));
    }
}

void Player::applyDirective(const ScriptLine &l)
{
    if (l.verb == Verb::Key)
        escAfter = static_cast<int>(l.count);
    stage_.applyDirective(l, commandRunning_);
}

/* Writes the line down (recorder) and starts counting polls from it. */
void Player::takeDown(const ScriptLine &l)
{
    pollsSinceTake_ = 0;
    escapedSinceTake_ = false;
    if (recorder) {
        /* A user who said nothing more to a command and then gives a
           directive: a replay's session-file user would hand the directive
           to the command's next request (it stops a command's lines only at
           `run`), so the requests that were cancelled are written down as
           the cancels they were. */
        if (cancelsOwed_ > 0 && l.isDirective()) {
            ScriptLine cancel;
            cancel.verb = Verb::Cancel;
            cancel.source = "cancel";
            for (int i = 0; i < cancelsOwed_; ++i)
                recorder->take(cancel);
        }
        recorder->take(l);
    }
    cancelsOwed_ = 0;
}

std::optional<ScriptLine> Player::nothingToSay()
{
    userDone_ = true;
    if (++idleRequests_ > kHangRequests)
        stage_.fail(kExitModuleFault, command_ + " has hung: it made more than " + std::to_string(kHangRequests) +
                                          " requests after its lines ran out");
    return std::nullopt;
}

std::optional<ScriptLine> Player::answer(const Ask &a)
{
    if (userDone_ || !user_)
        return nothingToSay();
    for (;;) {
        std::optional<ScriptLine> l = next(a);
        if (!l)
            return nothingToSay();
        takeDown(*l);
        if (l->isDirective()) {
            applyDirective(*l);
            continue;
        }
        if (!answersRequest(a.kind, l->verb))
            stage_.fail(kExitBadInput, l->where() + ": " + command_ + " asked for " + requestName(a.kind) +
                                           (a.prompt.empty() ? std::string() : " (\"" + a.prompt + "\")") +
                                           ", but the line says '" + l->source + "'");
        idleRequests_ = 0;
        return l;
    }
}

int32_t Player::pollKey()
{
    long long poll = pollsSinceTake_++;
    bool counted = escAfter == 0;
    if (escAfter >= 0)
        --escAfter;
    if (counted)
        return 27;
    if (!user_ || escapedSinceTake_)
        return 0;
    std::optional<ScriptLine> l = next(stage_.ask(Request::Poll, ""));
    if (!l)
        return 0;
    if (l->verb != Verb::Key)
        stage_.fail(kExitBadInput, l->where() +
                                       ": at a poll of the keyboard the user can only press Escape, but the line says '" +
                                       l->source + "'");
    escapedSinceTake_ = true;
    if (recorder)
        recorder->escapeAtPoll(poll);
    return 27;
}

} // namespace host
