/*
 * Player.h - plays a session: asks the user, hands each line to the stage
 * (the host) and keeps what a session needs to know between lines.
 *
 * What shaped it: a command asks from deep inside the module (a service
 * call in the middle of a loop), so the player cannot drive the session
 * from outside; it answers from wherever the module asks, and remembers in
 * its own state what happened since the last line: whether the user has
 * said all there is to say to the running command (its later requests are
 * cancelled without asking, and too many of them are a hang), how many
 * cancels a recording still owes, how often the module polled the
 * keyboard since the last line (an Escape at a poll is recorded as `key
 * esc after N`).  The host is behind the Stage interface, so the player
 * sits below it and the host owns one.
 */
#ifndef NEROLIT_HOST_PLAYER_H
#define NEROLIT_HOST_PLAYER_H

#include "host/module/ExitCodes.h"
#include "host/session/Recorder.h"
#include "host/session/User.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace host {

/* Requests after the user had no more to say to a command that make the
   command count as hung. */
constexpr int kHangRequests = 1000;

class Player {
public:
    /* What the player needs of the host it plays on. */
    class Stage {
    public:
        /* The request of kind r as the host's records describe it now. */
        virtual Ask ask(Request r, const std::string &prompt) const = 0;
        /* Calls the command export `name`; returns when the command does. */
        virtual void runCommand(const std::string &name) = 0;
        /* set, setting, seed and snapshot (the player keeps `key` itself);
           `commandRunning` whether a command is between its requests. */
        virtual void applyDirective(const ScriptLine &l, bool commandRunning) = 0;
        /* Ends the session (see Host::fail); does not return. */
        [[noreturn]] virtual void fail(int code, const std::string &message) = 0;

    protected:
        ~Stage() = default;
    };

    /* `host` is only handed to the user (User::next). */
    Player(Stage &stage, Host &host) : stage_(stage), host_(host) {}
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    /* The user who answers from now on (not owned; it must outlive the
       session).  loadScript() makes the session file the user; a file that
       does not parse fails the session with its file:line. */
    void setUser(User *user) { user_ = user; }
    void loadScript(const std::string &text, const std::string &name);

    /* The user's actions between commands until the user has none. */
    void play();

    /* The user's answer to `ask`: a line that fits the request, taken (and
       recorded), or nothing when the user has no more to say to the running
       command (the request is then cancelled).  Directives on the way are
       carried out; a line that does not fit the request fails the session
       (exit 2); too many requests answered by nothing, a hang (exit 3). */
    std::optional<ScriptLine> answer(const Ask &ask);

    /* The key at a poll of the keyboard: 27 (Escape) when a `key esc [after
       N]` line has counted down to this poll, or when the user presses it
       now (asked at most once per line taken), else 0. */
    int32_t pollKey();

    SessionRecorder *recorder = nullptr; /* writes the session down when set */
    int escAfter = -1;                   /* PollKey: 27 after this many more polls */

private:
    std::optional<ScriptLine> next(const Ask &ask);
    void takeDown(const ScriptLine &l);
    std::optional<ScriptLine> nothingToSay();
    void applyDirective(const ScriptLine &l);
    void playLine(const ScriptLine &l);

    Stage &stage_;
    Host &host_;
    std::unique_ptr<User> scriptUser_; /* the session file's, made by loadScript */
    User *user_ = nullptr;
    std::string command_;             /* the command `run` named last; it may have returned */
    bool commandRunning_ = false;
    bool userDone_ = false;           /* the user has no more to say to the running command */
    int idleRequests_ = 0;            /* requests answered by nothing, in a row */
    int cancelsOwed_ = 0;             /* the last command's requests answered by nothing,
                                         written down as cancels before a directive */
    long long pollsSinceTake_ = 0;    /* polls since the last line taken from the user */
    bool escapedSinceTake_ = false;   /* the user pressed Escape at one of them */
};

} // namespace host

#endif
