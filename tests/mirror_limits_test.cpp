// The mirror command C66 at its limits: a mirrored extent that lands
// exactly on the end of the 32-bit range (taken) or half a unit beyond it
// (refused), and stored directions at their first invalid values.
#include "mirror/Mirror.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

using testing_support::play;
using testing_support::traceLines;

namespace {

TEST(MirrorLimits, AMirroredExtentMayEndExactlyOnTheRangeEnd)
{
    // Axis x = a through two points; the line's extent 0..20 mirrors to
    // 2a - 20 .. 2a.  At a = 1073741823.5 it ends on 2147483647: taken.  At
    // a = 1073741824 it would end on 2147483648: refused, the points asked
    // again (the session's cancels then back out).
    const std::string drawing = "line 0 10 20 10\n";
    const std::string slant = "run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n";
    auto fits = play(slant + "point 1073741823.5 0\npoint 1073741823.5 100\n", drawing);
    EXPECT_EQ(0, fits->signalErrors);
    EXPECT_NE(host::figureList(fits->fig).find(" line 2147483647 10 2147483627 10 "), std::string::npos) << host::figureList(fits->fig);

    auto beyond = play(slant + "point 1073741824 0\npoint 1073741824 100\ncancel\ncancel\npanel cancel\n", drawing);
    EXPECT_EQ(1, beyond->signalErrors);
    EXPECT_NE(host::figureList(beyond->fig).find(" line 0 10 20 10 "), std::string::npos) << host::figureList(beyond->fig);
    // The low end: -2147483647 is within the range's magnitude, -2147483648 not.
    auto low = play(slant + "point -1073741813.5 0\npoint -1073741813.5 100\n", drawing);
    EXPECT_EQ(0, low->signalErrors);
    EXPECT_NE(host::figureList(low->fig).find(" line -2147483627 10 -2147483647 10 "), std::string::npos) << host::figureList(low->fig);
    auto lower = play(slant + "point -1073741814 0\npoint -1073741814 100\ncancel\ncancel\npanel cancel\n", drawing);
    EXPECT_EQ(1, lower->signalErrors);
    // The same in Y, about a level axis y = b: a standing line 0..20 ends
    // on 2147483647 at b = 1073741823.5, beyond it at b = 1073741824.
    const std::string standing = "line 10 0 10 20\n";
    auto top = play(slant + "point 0 1073741823.5\npoint 100 1073741823.5\n", standing);
    EXPECT_EQ(0, top->signalErrors);
    EXPECT_NE(host::figureList(top->fig).find(" line 10 2147483647 10 2147483627 "), std::string::npos) << host::figureList(top->fig);
    auto over = play(slant + "point 0 1073741824\npoint 100 1073741824\ncancel\ncancel\npanel cancel\n", standing);
    EXPECT_EQ(1, over->signalErrors);
}

TEST(MirrorLimits, StoredDirectionsOneToThreeAreTakenAndZeroAndFourRefused)
{
    const std::string drawing = "line 0 10 20 10\n";
    for (int direction : {0, 1, 3, 4}) {
        bool valid = direction >= 1 && direction <= 3;
        auto h = play("setting C66 c66_Direction " + std::to_string(direction) + "\nrun C66\npanel ok\n" +
                          (valid ? "cancel\n" : "") + "panel cancel\n",
                      drawing);
        EXPECT_EQ(valid ? 0 : 1, h->signalErrors) << direction;
        EXPECT_EQ(valid ? 1u : 0u, traceLines(*h, "SelectFigures").size()) << direction;
    }
}

TEST(MirrorLimits, TheCopysNewGroupIsAskedWithTheHostsFixedArguments)
{
    auto h = play("run C66\npanel set @groupmode 1\npanel ok\nselect all\npoint 0 0\n", "line 0 10 20 10\n");
    EXPECT_EQ(traceLines(*h, "AssignGroup"),
              (std::vector<std::string>{"AssignGroup groupFirst=4 groupArgA=2 groupArgB=3 groupArgC=0 groupNumber=1"}));
    EXPECT_EQ(traceLines(*h, "FinishGroup"), (std::vector<std::string>{"FinishGroup & 4"}));
}

} // namespace
