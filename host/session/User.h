/*
 * User.h - the host's user: whoever answers what the host asks while a
 * session plays.  The host asks in one place (the session player,
 * Player.h) and takes every action as a line of the session language
 * (Script.h), so that any user can be recorded as a session that replays
 * the same result (Recorder.h).  Implementations: the session file (ScriptUser.h);
 * the fuzz target's user, who answers from the fuzz bytes; an interactive
 * user who waits for the next action of a person, without returning, for as
 * long as it takes.
 *
 * The host asks:
 *   Command           between commands: a directive, `run NAME`, or
 *                     nothing (the session ends)
 *   GetPoint, GetCursorPoint, GetPointOrFigure
 *                     a point request: point, move, repaint, confirm
 *                     (GetCursorPoint), close (GetPointOrFigure), cancel
 *   Select            select ..., cancel
 *   Panel             panel ..., cancel
 *   Group             group N, cancel
 *   Message           message ok / message cancel, cancel
 *   Poll              the module polls the keyboard: nothing (no key), or
 *                     `key esc` (Escape at this poll)
 * Before the answer a user may give any number of directives (set, setting,
 * seed, key, snapshot); the host carries each out and asks again.  A line
 * that does not fit the request ends the session (exit 2) with its
 * file:line.  Nothing from a request of a command means that the user has
 * no more to say to that command: the host cancels the request, and every
 * later request of the same command without asking.
 */
#ifndef NEROLIT_HOST_USER_H
#define NEROLIT_HOST_USER_H

#include "host/session/Script.h"

#include <optional>
#include <string>

namespace host {

class Host;
class FigureTable;
struct Panel;

enum class Request { Command, GetPoint, GetCursorPoint, GetPointOrFigure, Select, Panel, Group, Message, Poll };

/* "a point (GetPoint)", "a selection (SelectFigures)", ... */
const char *requestName(Request r);

/* Whether a line with this verb answers the request (cancel answers every
   request but Command and Poll). */
bool answersRequest(Request r, Verb v);

/* What the host asks, with what a user needs to answer well.  Coordinates
   are drawing units. */
struct Ask {
    Request kind = Request::Command;
    std::string command; /* the running command as `run` named it; empty between commands */
    std::string prompt;  /* UTF-8: promptText (points, group, message), selectPromptText
                            (Select), the caption WaitPanelEvent was given (Panel) */
    int bandKind = 0;    /* point requests: 0 none, 1 line, 2 box, 6 line, 13 drag */
    int bandOption = 0;
    double baseX = 0, baseY = 0; /* where the band starts: the box anchor (2), the
                                    line anchor (6), else pointX, pointY */
    double cursorX = 0, cursorY = 0; /* where the cursor is */
    const Panel *panel = nullptr;    /* the open panel: its items, bound values, limits */
    const FigureTable *figures = nullptr; /* the drawing (and what stands behind it) */
};

/* A user's reply to a request: a line, nothing (no more to say to the
   running command), or a failure: the user cannot answer (a session file
   that never answers a message the command keeps showing), and the session
   ends (exit 2) with `failure` as its message. */
struct Reply {
    std::optional<ScriptLine> line;
    std::string failure;

    Reply() = default;
    Reply(std::nullopt_t) {}
    Reply(ScriptLine l) : line(std::move(l)) {}
    Reply(std::optional<ScriptLine> l) : line(std::move(l)) {}
    static Reply failed(std::string why)
    {
        Reply r;
        r.failure = std::move(why);
        return r;
    }
};

class User {
public:
    virtual ~User() = default;
    /* The user's reply to `ask` (see the header comment).  `host` is the
       host that asks, for a user who shows it (the page's) or acts on it
       (benchmarks, the fuzzer). */
    virtual Reply next(Host &host, const Ask &ask) = 0;
};

} // namespace host

#endif
