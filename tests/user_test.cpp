// The host's user behind its interface: a user that answers on demand from
// what the host asks, the session recorder that writes down any user's
// session so that it replays the same, and the fail hook that ends a session
// without ending the process.
#include "host/Host.h"
#include "host/session/Recorder.h"
#include "host/text/Text.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <fstream>
#include <functional>
#include <sstream>

using testing_support::play;
using testing_support::traceLines;

namespace {

std::string readText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

host::ScriptLine line(const std::string &text)
{
    std::string error;
    auto lines = host::parseScript(text, "user", error);
    EXPECT_TRUE(lines && lines->size() == 1) << text << ": " << error;
    return lines->front();
}

// A user that answers each request by a rule of the test, and keeps what it
// was asked.
class RuleUser : public host::User {
public:
    using Rule = std::function<std::optional<std::string>(const host::Ask &)>;
    explicit RuleUser(Rule rule) : rule_(std::move(rule)) {}
    host::Reply next(host::Host &, const host::Ask &ask) override
    {
        asked.push_back(ask);
        std::optional<std::string> text = rule_(ask);
        if (!text)
            return std::nullopt;
        return line(*text);
    }
    std::vector<host::Ask> asked;

private:
    Rule rule_;
};

struct Played {
    std::string figures, settings, session;
    std::vector<std::string> messages;
    size_t escapes = 0;
};

Played outcome(const host::Host &h, const host::SessionRecorder &r)
{
    return {host::figureList(h.fig), h.settings.text(), r.text(), h.messages, traceLines(h, "PollKey -> 27").size()};
}

// Replays a recorded session through the session-file user.
Played replay(const std::string &session, const std::string &drawing)
{
    host::SessionRecorder again;
    auto h = std::make_unique<host::Host>(host::nativeModule());
    h->player.recorder = &again;
    if (!drawing.empty())
        h->loadDrawing(drawing, "drawing");
    h->loadScript(session, "recorded.session");
    h->runScript();
    return outcome(*h, again);
}

} // namespace

TEST(OnDemandUser, AnswersFromWhatIsAskedAndItsRecordingReplaysTheSame)
{
    std::string drawing = readText(NEROLIT_SOURCE_DIR "/examples/mirror-slant.drawing");
    int commands = 0, panels = 0, polls = 0, points = 0, selections = 0;
    RuleUser user([&](const host::Ask &a) -> std::optional<std::string> {
        switch (a.kind) {
        case host::Request::Command:
            if (commands++ == 0)
                return std::string("seed 5");
            return commands == 2 ? std::optional<std::string>("run C66") : std::nullopt;
        case host::Request::Panel: {
            EXPECT_NE(a.panel, nullptr);
            if (!a.panel)
                return std::string("cancel");
            if (++panels == 1) // the direction list, found by its entries
                for (const host::PanelItem &it : a.panel->items)
                    if (it.kind == host::ItemKind::List && it.entries.size() == 3)
                        return "panel pick " + std::to_string(it.row) + " " + host::quoted(it.entries[2]);
            if (panels == 2)
                for (const host::PanelItem &it : a.panel->items)
                    if (it.kind == host::ItemKind::Check && it.caption.find("元データ") == 0)
                        return "panel set " + host::quoted(it.caption) + " 1";
            return std::string(panels == 3 ? "panel ok" : "panel cancel");
        }
        case host::Request::Select: { // every figure of the drawing, by index, then cancel
            if (selections++ > 0)
                return std::string("cancel");
            std::string s = "select";
            for (int i = 0; i < a.figures->drawingEnd(); ++i)
                if (a.figures->isFigureStart(i))
                    s += " " + std::to_string(i);
            return s;
        }
        case host::Request::GetPoint:
            ++points;
            if (points == 1)
                return std::string("point 300 -40");
            if (points == 2)
                return std::string("move 400 60");
            return points == 3 ? std::optional<std::string>("point 500 160") : std::optional<std::string>("cancel");
        case host::Request::Poll: // Escape at the third poll after the second point
            return points == 3 && ++polls == 3 ? std::optional<std::string>("key esc") : std::nullopt;
        default:
            return std::string("cancel");
        }
    });
    host::SessionRecorder recorder;
    auto h = std::make_unique<host::Host>(host::nativeModule());
    h->player.setUser(&user);
    h->player.recorder = &recorder;
    h->loadDrawing(drawing, "drawing");
    h->runScript();
    Played first = outcome(*h, recorder);

    // What the user was told: prompts, the band from the first point, the panel.
    std::vector<std::string> pointPrompts;
    for (const host::Ask &a : user.asked)
        if (a.kind == host::Request::GetPoint) {
            pointPrompts.push_back(a.prompt + " band " + std::to_string(a.bandKind) + " from " +
                                   host::formatDouble(a.baseX) + " " + host::formatDouble(a.baseY));
            EXPECT_EQ(a.command, "C66");
        }
    ASSERT_GE(pointPrompts.size(), 3u);
    EXPECT_EQ(pointPrompts[0].substr(0, pointPrompts[0].find(" band")), "基準点 １");
    EXPECT_EQ(pointPrompts[1], "基準点 ２ band 6 from 300 -40");
    EXPECT_EQ(pointPrompts[2], "基準点 ２ band 6 from 300 -40"); // after the move, asked again
    EXPECT_EQ(user.asked.front().command, "");
    // The session as it was played, Escape placed where a replay reads it.
    EXPECT_EQ(first.session.substr(0, first.session.find("select")),
              "seed 5\nrun C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す　　\" 1\npanel ok\n");
    EXPECT_NE(first.session.find("\npoint 300 -40\nmove 400 60\nkey esc after 2\npoint 500 160\ncancel\n"
                                 "panel cancel\n"),
              std::string::npos)
        << first.session;
    EXPECT_EQ(first.escapes, 1u);

    Played second = replay(first.session, drawing);
    EXPECT_EQ(second.figures, first.figures);
    EXPECT_EQ(second.settings, first.settings);
    EXPECT_EQ(second.messages, first.messages);
    EXPECT_EQ(second.escapes, 1u);
    EXPECT_EQ(second.session, first.session); // recording the replay gives the same text
    // Escape stopped the mirror part way: fewer mirrored figures than without it.
    std::string noEscape = first.session;
    noEscape.erase(noEscape.find("key esc after 2\n"), 16);
    EXPECT_NE(replay(noEscape, drawing).figures, first.figures);
}

// A user who says nothing more to a command and then changes a setting
// between commands: the recording writes the cancelled requests down, so
// that a replay does not hand the setting to the command (kumo1 writes its
// settings as its panel closes, over the one the user gave).
TEST(SessionRecorder, AUserWhoFallsSilentMidCommandReplaysTheSame)
{
    int commands = 0, panels = 0;
    RuleUser user([&](const host::Ask &a) -> std::optional<std::string> {
        if (a.kind == host::Request::Command) {
            ++commands;
            if (commands == 1)
                return std::string("run kumo1");
            return commands == 2 ? std::optional<std::string>("setting kumo1 KumoGen 77") : std::nullopt;
        }
        if (a.kind == host::Request::Panel && panels++ == 0)
            return std::string("panel ok");
        return std::nullopt; // nothing more to say to kumo1
    });
    host::SessionRecorder recorder;
    auto h = std::make_unique<host::Host>(host::nativeModule());
    h->player.setUser(&user);
    h->player.recorder = &recorder;
    h->runScript();
    Played first = outcome(*h, recorder);
    EXPECT_EQ(h->settings.get("kumo1", "KumoGen"), 77.0);
    EXPECT_EQ(first.session, "run kumo1\npanel ok\ncancel\ncancel\nsetting kumo1 KumoGen 77\n");
    Played second = replay(first.session, "");
    EXPECT_EQ(second.settings, first.settings);
    EXPECT_EQ(second.session, first.session);
}

// Every example and test session, played from its file with the recorder
// on, and its recording played again: the same figures, settings and
// messages.
TEST(SessionRecorder, RecordingsOfEverySessionReplayTheSame)
{
    int sessions = 0;
    for (const char *dir : {NEROLIT_SOURCE_DIR "/examples", NEROLIT_SOURCE_DIR "/tests/sessions"}) {
        DIR *d = opendir(dir);
        ASSERT_NE(d, nullptr) << dir;
        std::vector<std::string> names;
        errno = 0;  // 32-bit readdir without large-file interfaces fails (EOVERFLOW) on 64-bit offsets
        while (dirent *e = readdir(d))
            names.push_back(e->d_name);
        ASSERT_EQ(errno, 0) << dir << ": reading the folder failed: " << std::strerror(errno);
        closedir(d);
        std::sort(names.begin(), names.end());
        for (const std::string &name : names) {
            if (name.size() < 9 || name.substr(name.size() - 8) != ".session")
                continue;
            std::string base = std::string(dir) + "/" + name.substr(0, name.size() - 8);
            std::string drawing = readText(base + ".drawing"), settings = readText(base + ".ini");
            host::HostOptions options;
            options.snapshotDir = testing_support::scratchFile("recorder-snapshot", "") + ".dir";
            mkdir(options.snapshotDir.c_str(), 0755);
            auto run = [&](const std::string &session, host::SessionRecorder &r) {
                auto h = std::make_unique<host::Host>(host::nativeModule(), options);
                h->player.recorder = &r;
                if (!drawing.empty())
                    h->loadDrawing(drawing, base + ".drawing");
                EXPECT_FALSE(h->settings.load(settings, base + ".ini").has_value());
                h->loadScript(session, name);
                h->runScript();
                return outcome(*h, r);
            };
            host::SessionRecorder r1, r2;
            Played first = run(readText(base + ".session"), r1);
            Played second = run(first.session, r2);
            EXPECT_EQ(second.figures, first.figures) << name;
            EXPECT_EQ(second.settings, first.settings) << name;
            EXPECT_EQ(second.messages, first.messages) << name;
            EXPECT_EQ(second.escapes, first.escapes) << name;
            EXPECT_EQ(second.session, first.session) << name;
            ++sessions;
        }
    }
    EXPECT_GE(sessions, 20);
}

namespace {

struct Failed {
    int code;
    std::string message;
};

uint8_t *gStrayState;
void HOST_STDCALL strayStart(void *, void *state) { gStrayState = static_cast<uint8_t *>(state); }
void HOST_STDCALL strayCommand(char *) { gStrayState[0x1A68] = 2; } // inputStatus: the host's field
int32_t noHook() { return 1; }

Failed playFailing(const host::ModuleBinding &module, const std::string &session)
{
    host::Host h(module);
    h.failHook = [](int code, const std::string &message) { throw Failed{code, message}; };
    h.loadDrawing("line 0 0 10 10\n", "d");
    try {
        h.loadScript(session, "f.session");
        h.runScript();
    } catch (const Failed &f) {
        return f;
    }
    return {0, ""};
}

} // namespace

TEST(FailHook, EndsTheSessionAndTheProcessGoesOn)
{
    // A line that does not answer, inside a command of the real module.
    Failed f = playFailing(host::nativeModule(), "run C66\npanel ok\npoint 1 1\n");
    EXPECT_EQ(f.code, 2);
    EXPECT_EQ(f.message.substr(0, 33), "f.session:3: C66 asked for a sele") << f.message;
    // A malformed session is refused before anything runs.
    f = playFailing(host::nativeModule(), "run C66\npoint 1\n");
    EXPECT_EQ(f.code, 2);
    EXPECT_NE(f.message.find("f.session:2: expected point X Y"), std::string::npos) << f.message;
    // A module fault: the guard zones, through the hook.
    host::ModuleBinding stray;
    stray.start = &strayStart;
    stray.usa = stray.ussr = &noHook;
    stray.commands["?C66@@YGXPAD@Z"] = &strayCommand;
    f = playFailing(stray, "run C66\n");
    EXPECT_EQ(f.code, 3);
    EXPECT_NE(f.message.find("inputStatus"), std::string::npos) << f.message;
    // After the abandoned command the module plays a whole session again.
    auto h = play("setting C66 c66_Direction 2\nsetting C66 c66_DeleteSW 0\nrun C66\npanel ok\nselect 0\npoint 0 0\n"
                  "cancel\npanel cancel\n",
                  "line 5 0 5 10\n");
    EXPECT_EQ(host::figureList(h->fig), "2 line -5 0 -5 10 layer=0 group=0 color=1 ltype=1\n");
}
