// The module frame as the host sees it: what StartDLL writes and registers,
// how the hooks match the running command, the shared figure-type and
// settings helpers, and the Shift-JIS texts of the binary.
#include "frame/Module.h"
#include "host/text/Text.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using host::StateField;
using testing_support::play;
using testing_support::traceLines;

namespace {

std::string bytes(const std::string &s)
{
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

} // namespace

TEST(FrameStart, WritesTheIdentificationAndRegistersTwoCommandsInOrder)
{
    auto h = play("");
    EXPECT_EQ(h->rec.f64(StateField::pluginVersion), 1.211);
    EXPECT_EQ(h->rec.i32(StateField::pluginInterfaceDate), 19991225);
    EXPECT_EQ(h->rec.i32(StateField::pluginFlagC), -1);
    EXPECT_EQ(h->rec.i32(StateField::pluginFlagA), 0);
    EXPECT_EQ(h->rec.i32(StateField::pluginFlagB), 0);
    // The texts arrive in the records as Shift-JIS bytes.
    EXPECT_EQ(bytes(h->rec.text(StateField::pluginGroupName)), "4E 65 72 6F 6C 69 74 20 83 86 81 5B 83 55");
    EXPECT_EQ(host::cp932ToUtf8(h->rec.text(StateField::pluginDescription)), "ユーザの作成したコマンドです。");
    ASSERT_EQ(h->registrations.size(), 2u);
    EXPECT_EQ(h->registrations[0].name, "kumo1");
    EXPECT_EQ(h->registrations[0].caption, "雲マーク");
    EXPECT_EQ(h->registrations[0].second, "kumo");
    EXPECT_EQ(h->registrations[1].name, "Hatch");
    EXPECT_EQ(h->registrations[1].caption, "新ハッチング");
    EXPECT_EQ(h->registrations[1].second, "vehatch");
    // Exactly these two calls, with the zero words the host expects.
    std::vector<std::string> reg = traceLines(*h, "RegisterCommand");
    ASSERT_EQ(reg.size(), 2u);
    EXPECT_EQ(reg[0], "RegisterCommand \"kumo1\" 0 \"雲マーク\" \"kumo\" 0 0 0 0 -> 1");
    EXPECT_EQ(reg[1], "RegisterCommand \"Hatch\" 0 \"新ハッチング\" \"vehatch\" 0 0 0 0 -> 1");
    // The state record points nowhere else: the module keeps both pointers.
    EXPECT_EQ(static_cast<void *>(gHostState), h->rec.state());
    EXPECT_EQ(static_cast<void *>(gHostServices), h->rec.services());
}

TEST(FrameHooks, MatchTheRunningCommandWithoutRegardToTheCaseOfLettersAToZ)
{
    auto h = play("");
    struct Case {
        const char *command;
        bool usaRuns, ussrRuns;
    } cases[] = {
        {"kumo1", true, false}, {"KUMO1", true, false}, {"KuMo1", true, false},
        {"kumo", false, false}, {"kumo1x", false, false}, {"Hatch", false, false},
        {"vec92", false, true}, {"VeC92", false, true}, {"VEC92 ", false, false},
        {"", false, false},
    };
    for (const Case &c : cases) {
        h->rec.putText(StateField::currentCommand, c.command);
        // A hook that does not run returns the non-zero comparison; the cloud
        // writer returns 0 and the drag preview 1.
        int32_t usa = h->callUsa(), ussr = h->callUssr();
        EXPECT_EQ(usa == 0, c.usaRuns) << c.command;
        EXPECT_EQ(ussr == 1 && c.ussrRuns, c.ussrRuns) << c.command;
        if (!c.ussrRuns)
            EXPECT_NE(ussr, 0) << c.command;
        EXPECT_EQ(usa, c.usaRuns ? 0 : FrameCompareName(c.command, "kumo1")) << c.command;
    }
    // Only A-Z fold: '[' (0x5B) is not '{' (0x7B), '@' is not '`'.
    EXPECT_NE(FrameCompareName("[", "{"), 0);
    EXPECT_NE(FrameCompareName("@", "`"), 0);
    EXPECT_LT(FrameCompareName("abc", "abd"), 0);
    EXPECT_GT(FrameCompareName("abd", "ABC"), 0);
}

TEST(FrameHooks, DoNothingWhileAnotherCommandRuns)
{
    auto h = play("");
    h->rec.putText(StateField::currentCommand, "Hatch");
    std::string before = host::figureList(h->fig);
    size_t calls = static_cast<size_t>(h->serviceCalls);
    EXPECT_NE(h->callUsa(), 0);
    EXPECT_NE(h->callUssr(), 0);
    EXPECT_EQ(host::figureList(h->fig), before);
    EXPECT_EQ(static_cast<size_t>(h->serviceCalls), calls); // no host call at all
}

TEST(FrameCommands, IgnoreTheirTextArgumentEvenWhenNull)
{
    // Each command with the lines run out: whatever it asks is cancelled.
    for (const char *name : {"kumo1", "Hatch", "C66", "VeC92"}) {
        auto a = play("");
        a->callCommand(name, nullptr);
        auto b = play("");
        std::string text = "some text";
        b->callCommand(name, &text[0]);
        EXPECT_EQ(a->trace.lines(), b->trace.lines()) << name;
        EXPECT_EQ(host::figureList(a->fig), host::figureList(b->fig)) << name;
        EXPECT_GE(a->beginCommandCalls, 1) << name;
    }
}

TEST(FrameFigures, EndMarkersKeepTheHighHalfOfTheTypeWord)
{
    auto h = play("");
    int32_t *types = &h->rec.at(host::ArrType, 0);
    types[5] = static_cast<int32_t>(0x12340200);
    FrameSetFigureType(5, -1);
    EXPECT_EQ(static_cast<uint32_t>(types[5]), 0x1234FFFFu);
    EXPECT_EQ(FrameFigureType(5), -1);
    FrameSetFigureType(5, 0);
    EXPECT_EQ(static_cast<uint32_t>(types[5]), 0x12340000u);
    FrameSetFigureType(5, -2);
    EXPECT_EQ(static_cast<uint32_t>(types[5]), 0x1234FFFEu);
    EXPECT_EQ(FrameFigureType(5), -2);
    FrameSetFigureType(5, 0x200);
    EXPECT_EQ(FrameFigureType(5), 0x200);
}

TEST(FrameSettings, TruncateTowardZeroAndNeverOverflow)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    EXPECT_EQ(FrameSettingToInt(2.9, 1.0), 2);
    EXPECT_EQ(FrameSettingToInt(-2.5, 1.0), -2);
    EXPECT_EQ(FrameSettingToInt(-0.9, 1.0), 0);
    EXPECT_EQ(FrameSettingToInt(2147483647.0, 0.0), 2147483647);
    EXPECT_EQ(FrameSettingToInt(2147483647.9, 0.0), 2147483647);
    EXPECT_EQ(FrameSettingToInt(1e300, 0.0), 2147483647);
    EXPECT_EQ(FrameSettingToInt(inf, 0.0), 2147483647);
    EXPECT_EQ(FrameSettingToInt(-2147483648.0, 0.0), INT32_MIN);
    EXPECT_EQ(FrameSettingToInt(-2147483648.9, 0.0), INT32_MIN);
    EXPECT_EQ(FrameSettingToInt(-inf, 0.0), INT32_MIN);
    EXPECT_EQ(FrameSettingToInt(nan, 3.0), 3); // a stored NaN reads as the default
    EXPECT_EQ(FrameSettingToInt(nan, nan), 0);
    EXPECT_EQ(FrameTruncate(nan), 0);
    EXPECT_EQ(FrameTruncate(-7.9), -7);
    EXPECT_EQ(FrameTruncate(3e9), 2147483647);

    // Through the host's store: the running command's own section.
    auto h = play("setting Hatch HatchNo nan\nsetting Hatch Big 1e12\n");
    h->rec.putText(StateField::currentCommand, "Hatch");
    EXPECT_EQ(FrameReadIntSetting("HatchNo", 4.0), 4);
    EXPECT_EQ(FrameReadIntSetting("Big", 0.0), 2147483647);
    EXPECT_EQ(FrameReadIntSetting("Missing", 7.9), 7);
}
