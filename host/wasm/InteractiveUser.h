/*
 * InteractiveUser.h - the user of the engine: a person at a page (or a test
 * acting like one).  Each request is told to JavaScript as events (display,
 * panel, message, request: Json.h) and then waits, without returning, for
 * the page's next action: the wait is a Promise that the page resolves
 * (emscripten's Asyncify unwinds the module's and the host's frames meanwhile
 * and rewinds them when the action comes).  The page has checked the action
 * against the request (checkAction) before it resolves the wait.
 *
 * At a poll of the keyboard nothing waits: the answer is an Escape the page
 * queued, if any.  So that a page can queue one during a long pass, every
 * 50 ms of work the poll lets the page's event loop run once.
 */
#ifndef NEROLIT_HOST_WASM_INTERACTIVEUSER_H
#define NEROLIT_HOST_WASM_INTERACTIVEUSER_H

#include "host/session/User.h"

namespace host {

class InteractiveUser : public User {
public:
    Reply next(Host &host, const Ask &ask) override;

    /* Whether `line` (one line of the session language) answers the pending
       request: nothing when it does, else why not.  Directives fit every
       request; `key esc` fits any time. */
    std::optional<std::string> checkAction(const Host &host, const std::string &line) const;

    bool waiting() const { return waiting_; }

private:
    Request pending_ = Request::Command;
    std::string command_;
    bool waiting_ = false;
    int actions_ = 0; /* lines taken, for file:line in messages */
};

} // namespace host

#endif
