/*
 * FuzzUser.h - the fuzz target's user.  It plays the input's session part
 * first and answers from the bytes part once that has nothing (more) to
 * say, each request in the kind asked for (points and moves near the
 * figures, the base point or the cursor, and far off; cancels; selections
 * of real figures or windows; events on the items of the panel that is
 * actually open; group numbers; message answers; Escape at a later poll),
 * and between commands `run`, `setting` lines of every key of every
 * command at extreme values, `set` lines of the host's fields, and tiny
 * table sizes.
 *
 * Every answer is a line of the session language, so the host's recorder
 * writes the session down as a plain session file that nerolit-host
 * replays.  Two things keep that replay faithful and the fuzzing deep:
 *   - a line of the session part that does not answer the request is left
 *     out (the host would refuse the whole session for it), and a
 *     `snapshot` line is drawn in memory rather than written to a file;
 *   - mid-command the user says nothing only when it has nothing at all
 *     left to say, or when the session part's next line is `run`, so the
 *     line taken after it is a `run` line (or none), just where the
 *     session-file user stops giving lines to a command.
 *
 * Once the bytes are used up in the middle of a command the user winds it
 * down as a person would: cancel, and when the command asks the very same
 * thing again after the cancel (the hatch asks for its base point until it
 * gets one, as it should), the simplest answer that moves on (a point at
 * the cursor, an empty selection, OK).  Only when that does not end the
 * command within kWindDownAnswers answers does the user fall silent, and
 * the host's hang limit judges the module.
 */
#ifndef NEROLIT_TESTS_FUZZ_FUZZUSER_H
#define NEROLIT_TESTS_FUZZ_FUZZUSER_H

#include "host/session/User.h"
#include "tests/fuzz/FuzzInput.h"

#include <deque>
#include <vector>

namespace fuzz {

/* Commands a session runs from the bytes at most (a bound on its time). */
constexpr int kMaxGeneratedCommands = 24;
/* Answers that wind a command down once the bytes are used up. */
constexpr int kWindDownAnswers = 200;

class FuzzUser : public host::User {
public:
    FuzzUser(std::vector<host::ScriptLine> script, FuzzBytes &bytes) : script_(std::move(script)), bytes_(bytes) {}
    host::Reply next(host::Host &host, const host::Ask &ask) override;

private:
    std::optional<host::ScriptLine> scripted(host::Host &host, const host::Ask &ask);
    std::optional<host::ScriptLine> generated(const host::Ask &ask);
    std::optional<host::ScriptLine> poll();
    std::optional<host::ScriptLine> windDown(const host::Ask &ask);

    /* The texts of answers, one per request kind. */
    void betweenCommands(const host::Ask &ask);
    std::string pointAnswer(const host::Ask &ask);
    std::string selectAnswer(const host::Ask &ask);
    std::string panelAnswer(const host::Ask &ask);
    std::string settingLine();
    std::string fieldLine();

    struct Point {
        double x, y;
    };
    Point somewhere(const host::Ask &ask); /* near a figure, the base point, the cursor, or far off */
    Point nearFigure(const host::Ask &ask);
    host::ScriptLine line(const std::string &text);

    std::vector<host::ScriptLine> script_;
    size_t pos_ = 0;                  /* next line of the session part */
    int unansweredMessages_ = 0;      /* messages answered ok without a line, in a row */
    FuzzBytes &bytes_;
    std::deque<std::string> queued_;  /* directives still to give, between commands */
    int escapeCountdown_ = -1;        /* Escape at the poll when this reaches 0 */
    int commands_ = 0;                /* `run` lines given from the bytes */
    int lineNo_ = 0;                  /* of the generated lines, for messages */
    int windDownAnswers_ = 0;         /* given since the bytes ran out in this command */
    std::string lastCancelled_;       /* the request last wound down by a cancel */
};

} // namespace fuzz

#endif
