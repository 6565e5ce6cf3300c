/*
 * FuzzSession.cpp - one fuzz input as a whole session, its outputs and
 * their read-back (FuzzSession.h).
 */
#include "tests/fuzz/FuzzSession.h"

#include "host/Host.h"
#include "host/Svg.h"
#include "tests/fuzz/FuzzDrawing.h"
#include "tests/fuzz/FuzzUser.h"

#include <fstream>
#include <memory>

namespace fuzz {

namespace {

/* Thrown by the host's fail hook: ends the session, not the process. */
struct Failure {
    int code;
    std::string message;
};

void throwFailure(int code, const std::string &message) { throw Failure{code, message}; }

/* The session playing now, for writeLiveSession(). */
const host::SessionRecorder *gLiveRecorder = nullptr;
std::string gLivePrefix;
FuzzParts gLiveStart; /* its drawing and settings */
const char kHeader[] = "played by the session fuzzer; replay with its drawing and settings files";

void writeFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

/* The written drawing and settings read back; what does not, as a finding. */
std::string readBack(const std::string &settings, const std::string &figures, const std::string &dxf,
                     double unitFactor, const host::HostOptions &layout)
{
    host::SettingsStore store;
    if (std::optional<std::string> e = store.load(settings, "written.ini"))
        return "the written settings store does not load again: " + *e;
    if (store.text() != settings)
        return "the written settings store loads as another store:\n" + store.text() + "instead of\n" + settings;

    host::Host h(host::nativeModule(), layout);
    h.trace.keepLines(false);
    h.failHook = throwFailure;
    try {
        h.loadDrawing(figures, "written.drawing");
    } catch (const Failure &f) {
        return "the written figure list does not load again: " + f.message;
    }
    if (host::figureList(h.fig) != figures)
        return "the written figure list loads as another drawing";
    /* The reader stores 1/100 of a millimetre and the writer writes the
       stored number times unitFactor in millimetres: only a drawing in the
       reader's own unit (0.01) comes back as it was; in any other unit a
       coordinate may lie beyond what the reader can store. */
    if (unitFactor == 0.01) {
        host::DxfDrawing d;
        if (std::optional<std::string> e = host::readDxf(dxf, "written.dxf", static_cast<size_t>(layout.figureLimit), d))
            return "the written DXF drawing does not load again: " + *e;
    }
    return "";
}

} // namespace

void writeLiveSession()
{
    if (!gLiveRecorder || gLivePrefix.empty())
        return;
    FuzzParts plain = gLiveStart;
    plain.bytes.clear();
    plain.session = gLiveRecorder->text(kHeader);
    writeFile(gLivePrefix + ".session", plain.session);
    writeFile(gLivePrefix + ".plain.fuzz", joinInput(plain));
}

Played playInput(const uint8_t *data, size_t size, const PlayOptions &options)
{
    Played p;
    FuzzParts parts = splitInput(data, size);
    FuzzBytes bytes(parts.bytes);
    std::string drawing = parts.drawing;
    if (!parts.hasDxf) {
        if (!drawing.empty() && drawing.back() != '\n')
            drawing += '\n';
        drawing += extraFigures(bytes);
    }
    if (!options.writePrefix.empty()) {
        if (parts.hasDxf)
            writeFile(options.writePrefix + ".dxf", parts.dxf);
        else
            writeFile(options.writePrefix + ".drawing", drawing);
        writeFile(options.writePrefix + ".ini", parts.settings);
    }

    std::string error;
    std::optional<std::vector<host::ScriptLine>> lines = host::parseScript(parts.session, "fuzz.session", error);
    if (!lines) { /* refused before anything runs: the session part is what a replay refuses */
        if (!options.writePrefix.empty())
            writeFile(options.writePrefix + ".session", parts.session);
        return {Verdict::Refused, error, parts.session, 0};
    }

    host::SessionRecorder recorder;
    FuzzUser user(std::move(*lines), bytes);
    std::string settings, figures, dxf;
    double unitFactor = 1;
    host::HostOptions layout;
    {
        host::Host h(host::nativeModule());
        h.trace.keepLines(false);
        h.failHook = throwFailure;
        h.player.recorder = &recorder;
        gLiveRecorder = &recorder;
        gLivePrefix = options.writePrefix;
        gLiveStart = parts;
        gLiveStart.drawing = drawing;
        try {
            if (parts.hasDxf)
                h.loadDxf(parts.dxf, "fuzz.dxf");
            else if (!drawing.empty())
                h.loadDrawing(drawing, "fuzz.drawing");
            if (std::optional<std::string> e = h.settings.load(parts.settings, "fuzz.ini"))
                h.fail(host::kExitBadInput, *e);
            h.player.setUser(&user);
            h.runScript();
        } catch (const Failure &f) {
            p.verdict = f.code == host::kExitBadInput ? Verdict::Refused : Verdict::Finding;
            p.message = f.message;
        }
        writeLiveSession();
        gLiveRecorder = nullptr;
        p.session = recorder.text(kHeader);
        for (size_t at = p.session.find("\nrun "); at != std::string::npos; at = p.session.find("\nrun ", at + 1))
            ++p.commands;
        if (p.verdict != Verdict::Clean)
            return p;
        (void)host::drawingSvg(h);
        (void)host::displaySvg(h);
        (void)host::panelSvg(h);
        settings = h.settings.text();
        figures = host::figureList(h.fig);
        dxf = h.drawingDxf();
        if (!options.writePrefix.empty()) /* what a replay must end with */
            writeFile(options.writePrefix + ".figures", figures);
        unitFactor = h.rec.f64(host::TableField::unitFactor);
        layout.figureLimit = h.rec.figureLimit();
        layout.workBase = h.rec.workBase();
        layout.workEnd = h.rec.workEnd();
    }
    std::string wrong = readBack(settings, figures, dxf, unitFactor, layout);
    if (!wrong.empty())
        return {Verdict::Finding, wrong, p.session, p.commands};
    return p;
}

} // namespace fuzz
