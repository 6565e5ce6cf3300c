/*
 * InteractiveUser.cpp - requests told to JavaScript, answers awaited from it.
 */
#include "host/wasm/InteractiveUser.h"

#include "host/Host.h"
#include "host/wasm/Json.h"

#include <emscripten.h>

#include <cstdlib>

namespace host {

namespace {

/* The page's handlers (host/wasm/nerolit.mjs) are on the module object. */
EM_JS(void, nerolitEmit, (const char *type, const char *json), {
    Module["nerolitEvent"](UTF8ToString(type), UTF8ToString(json));
});

/* The page's next action, a line of the session language (malloc'd). */
EM_ASYNC_JS(char *, nerolitWaitAction, (), {
    const line = await Module["nerolitNextAction"]();
    const n = lengthBytesUTF8(line) + 1;
    const p = _malloc(n);
    stringToUTF8(line, p, n);
    return p;
});

/* 1: the page queued an Escape (taken now); 2: time to let the page run;
   0: neither. */
EM_JS(int, nerolitPoll, (), { return Module["nerolitPoll"](); });

EM_ASYNC_JS(void, nerolitYield, (), { await Module["nerolitYield"](); });

std::optional<ScriptLine> parseAction(const std::string &text, int number, std::string &error)
{
    std::optional<std::vector<ScriptLine>> lines = parseScript(text, "page", error);
    if (!lines)
        return std::nullopt;
    if (lines->size() != 1) {
        error = "one action, please: '" + text + "'";
        return std::nullopt;
    }
    ScriptLine l = lines->front();
    l.line = number;
    return l;
}

ScriptLine escapeLine()
{
    ScriptLine l;
    l.file = "page";
    l.verb = Verb::Key;
    l.source = "key esc";
    return l;
}

} // namespace

Reply InteractiveUser::next(Host &host, const Ask &ask)
{
    if (ask.kind == Request::Poll) {
        int p = nerolitPoll();
        if (p == 2) {
            nerolitYield();
            p = nerolitPoll();
        }
        return p == 1 ? std::optional<ScriptLine>(escapeLine()) : std::nullopt;
    }
    pending_ = ask.kind;
    command_ = ask.command;
    if (ask.kind == Request::Command)
        nerolitEmit("drawing", "null");
    nerolitEmit("display", displayJson(host).c_str());
    if (ask.kind == Request::Panel)
        nerolitEmit("panel", panelJson(host).c_str());
    if (ask.kind == Request::Message)
        nerolitEmit("message", ("{\"text\":" + jsonString(ask.prompt) + "}").c_str());
    nerolitEmit("request", requestJson(ask).c_str());
    for (;;) {
        waiting_ = true;
        char *p = nerolitWaitAction();
        waiting_ = false;
        std::string text = p;
        std::free(p);
        std::string error;
        std::optional<ScriptLine> l = parseAction(text, ++actions_, error);
        if (l)
            return l;
        /* checkAction let it through, so this does not happen; say so
           rather than guess what the page meant. */
        nerolitEmit("warning", jsonString(error).c_str());
    }
}

std::optional<std::string> InteractiveUser::checkAction(const Host &host, const std::string &line) const
{
    std::string error;
    std::optional<ScriptLine> l = parseAction(line, actions_ + 1, error);
    if (!l)
        return error;
    /* nerolit-host fails a session that runs a command the module lacks; a
       person who mistyped gets another try. */
    if (l->verb == Verb::Run && !host.hasCommand(l->name))
        return "the module has no command '" + l->name + "' (C66, Hatch, kumo1 or VeC92)";
    if (l->isDirective() || answersRequest(pending_, l->verb))
        return std::nullopt;
    return (command_.empty() ? std::string("between commands the host asks for ") : command_ + " asks for ") +
           requestName(pending_) + ", not '" + line + "'";
}

} // namespace host
