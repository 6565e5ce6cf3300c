/*
 * FuzzSession.h - one fuzz input played as a whole session through the
 * host's own entry points (Host, loadDrawing or loadDxf, the settings
 * store, runScript), then its outputs made (figure list, pictures, DXF) and
 * read back.  The verdict:
 *
 *   Refused  the host refused the session (exit 2: a malformed session
 *            part, drawing or settings part): a rejected input, no finding
 *   Finding  the module misbehaved (exit 3: a trap, a guard-zone write, a
 *            hang), or what the host wrote does not read back: a settings
 *            store that does not load again (or loads as another store), a
 *            figure list that does not load again as the same list, a DXF
 *            drawing that the host cannot read again
 *   Clean    everything else
 *
 * Sanitizer reports and timeouts end the process; they are findings too,
 * reported by libFuzzer or by the replay program.
 */
#ifndef NEROLIT_TESTS_FUZZ_FUZZSESSION_H
#define NEROLIT_TESTS_FUZZ_FUZZSESSION_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

enum class Verdict { Clean, Refused, Finding };

struct Played {
    Verdict verdict = Verdict::Clean;
    std::string message;   /* why it was refused, or what was found */
    std::string session;   /* the session as the host's recorder wrote it down */
    int commands = 0;      /* `run` lines played */
};

/* Where a session is written down as plain files while it plays, for
   nerolit-host to replay: PREFIX.drawing (or PREFIX.dxf) and PREFIX.ini
   before it starts, PREFIX.session when it ends, and also by
   writeLiveSession() when the process is about to die inside it.  With
   the session, PREFIX.plain.fuzz: the same as one fuzz input whose answers
   are all session lines (no bytes part), the start of a regression input;
   after a clean session PREFIX.figures, the drawing it ended with. */
struct PlayOptions {
    std::string writePrefix; /* empty: nothing is written */
};

Played playInput(const uint8_t *data, size_t size, const PlayOptions &options = PlayOptions());

/* Writes the session playing now (lines taken so far) to PREFIX.session;
   for a crash handler or a watchdog.  Does nothing when none plays or no
   prefix was given. */
void writeLiveSession();

} // namespace fuzz

#endif
