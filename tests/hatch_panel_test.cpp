// The pattern editor panel: controls bound to the chosen slot and element,
// the rebuild on a list change (901), the field limits, and the preview.
#include "hatch/Hatch.h"
#include "host/text/Text.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using testing_support::play;
using testing_support::traceLine;
using testing_support::traceLines;

namespace {

const host::PanelItem *item(const host::Host &h, host::ItemKind kind, int row)
{
    for (const host::PanelItem &it : h.panel.items)
        if (it.kind == kind && it.row == row)
            return &it;
    return nullptr;
}

void expectBox(const host::PanelShape &s, double x1, double y1, double x2, double y2, int colour, const char *option)
{
    EXPECT_EQ(x1, s.x1);
    EXPECT_EQ(y1, s.y1);
    EXPECT_EQ(x2, s.x2);
    EXPECT_EQ(y2, s.y2);
    EXPECT_EQ(colour, s.colour);
    EXPECT_EQ(option, s.option);
}

TEST(HatchPanel, ListChangesRebuildForTheChosenSlotAndElement)
{
    auto h = play("run Hatch\n"
                  "panel pick 3 \"3\"\n"          /* slot index 2 */
                  "panel set \"ﾋﾟｯﾁ X\" -5\n"     /* refused: pitches are not negative; no rebuild */
                  "panel pick 8 \"5\"\n"          /* element index 4 */
                  "panel set \"⊿X:ｒ\" 30\n"      /* no rebuild for a value */
                  "panel pick 9 \"８\"\n"         /* kind 7: rebuilt, an octagon */
                  "panel set \"⊿Ｘ\" -40\n"       /* element values take any number */
                  "panel cancel\n");
    EXPECT_EQ("OpenPanel 16 24 160 120", traceLine(*h, "OpenPanel", 0));
    EXPECT_EQ(3u, traceLines(*h, "ClearPanel").size()); /* one rebuild a list change */
    EXPECT_EQ(4u, traceLines(*h, "ShowPanel").size());
    EXPECT_EQ(1u, traceLines(*h, "<- panel set \"ﾋﾟｯﾁ X\" -5 (refused").size());
    const host::PanelItem *pitch = item(*h, host::ItemKind::Number, 4), *kinds = item(*h, host::ItemKind::List, 9);
    ASSERT_TRUE(pitch && kinds);
    // The closed panel shows the values it had (the host keeps copies once
    // it closes): those of slot 2, element 4.
    EXPECT_EQ(100.0, *pitch->boundDouble);
    EXPECT_EQ(0.0, pitch->lowest);
    EXPECT_EQ(7, *kinds->boundInt);
    EXPECT_EQ((std::vector<std::string>{"＊", "／", "○", "△", "□", "５", "６", "８", "長"}), kinds->entries);
    const host::PanelItem *size = item(*h, host::ItemKind::Number, 11), *element = item(*h, host::ItemKind::Selector, 8),
                          *slot = item(*h, host::ItemKind::Selector, 3);
    ASSERT_TRUE(size && element && slot);
    EXPECT_EQ(30.0, *size->boundDouble);
    EXPECT_EQ(4, *element->boundInt);
    EXPECT_EQ(4, hatchElement);
    EXPECT_EQ(901, slot->eventId);
    // The preview's boxes leave the host's last two arguments at -1.
    std::vector<std::string> boxes = traceLines(*h, "PanelBox");
    ASSERT_FALSE(boxes.empty());
    for (const std::string &b : boxes)
        EXPECT_EQ(" -1 -1", b.substr(b.size() - 6)) << b;
    // Row 7 names the element editor; the slot and element lists offer
    // "1".."8", one entry a number.
    const host::PanelItem *editor = item(*h, host::ItemKind::Caption, 7), *print = item(*h, host::ItemKind::Check, 4);
    ASSERT_TRUE(editor && print);
    EXPECT_EQ(host::cp932ToUtf8(hatchPrintSizeCheck), print->caption);
    EXPECT_EQ(host::cp932ToUtf8(hatchElementEditLabel), editor->caption);
    for (int row : {3, 8}) {
        const host::PanelItem *numbers = item(*h, host::ItemKind::List, row);
        ASSERT_TRUE(numbers) << row;
        EXPECT_EQ((std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8"}), numbers->entries) << row;
    }
    EXPECT_EQ(24u, h->panel.items.size()); /* every item once after each rebuild */
    EXPECT_EQ(2, h->settings.get("Hatch", "HatchNo"));
    EXPECT_EQ(7, h->settings.get("Hatch", "Hsw[2][4]"));
    EXPECT_EQ(30, h->settings.get("Hatch", "HatchR[2][4]"));
    EXPECT_EQ(-40, h->settings.get("Hatch", "HatchX1[2][4]"));
    EXPECT_EQ(100, h->settings.get("Hatch", "HatchPx[2]"));
    EXPECT_EQ(0, h->settings.get("Hatch", "Hsw[0][4]"));
    // Preview of the last build: background, frame, octagon.  The octagon
    // (radius 30 round the cell origin) reaches 80 from the cell's centre, so
    // k = 78 * 0.9 / 160 and the 100 x 100 frame is 42 pixels wide.
    ASSERT_EQ(10u, h->panel.shapes.size());
    expectBox(h->panel.shapes[0], 112, 176, 190, 254, 0, "BF");
    expectBox(h->panel.shapes[1], 130, 194, 172, 236, 7, "B");
    for (size_t i = 2; i < 10; ++i) {
        const host::PanelShape &side = h->panel.shapes[i];
        EXPECT_EQ(2, side.colour);
        EXPECT_EQ("", side.option);
        EXPECT_NEAR(13.16, std::hypot(side.x1 - 130, side.y1 - 236), 1.5);
        // Each side runs from its vertex to the next one, 2 * 13.16 *
        // sin(22.5 degrees) long, and the next side starts where it ends.
        EXPECT_NEAR(10.07, std::hypot(side.x2 - side.x1, side.y2 - side.y1), 1.5) << i;
        if (i < 9) {
            EXPECT_EQ(side.x2, h->panel.shapes[i + 1].x1) << i;
            EXPECT_EQ(side.y2, h->panel.shapes[i + 1].y1) << i;
        }
    }
}

TEST(HatchPanel, RectanglePreviewAndNoScaleWithoutExtent)
{
    // The next slot's first element (a circle) is not part of this slot's
    // picture.
    auto rect = play("setting Hatch HatchR[0][0] 50\nsetting Hatch HatchQ1[0][0] 100\n"
                     "setting Hatch Hsw[1][0] 2\nsetting Hatch HatchR[1][0] 10\n"
                     "run Hatch\npanel pick 8 \"1\"\npanel pick 9 \"長\"\npanel cancel\n");
    EXPECT_EQ(8, rect->settings.get("Hatch", "Hsw[0][0]"));
    ASSERT_EQ(3u, rect->panel.shapes.size());
    EXPECT_TRUE(traceLines(*rect, "PanelCircle").empty());
    std::vector<std::string> boxes = traceLines(*rect, "PanelBox");
    ASSERT_FALSE(boxes.empty());
    for (const std::string &b : boxes) /* the rectangle's too */
        EXPECT_EQ(" -1 -1", b.substr(b.size() - 6)) << b;
    // The cell and the rectangle share their lower-left corner; it reaches
    // 100 up, so D = 50 and k = 0.702.
    expectBox(rect->panel.shapes[1], 116, 180, 186, 250, 7, "B");
    expectBox(rect->panel.shapes[2], 116, 250, 151, 180, 2, "B");
    auto none = play("setting Hatch HatchPx[0] 0\nsetting Hatch HatchPy[0] 0\nrun Hatch\npanel cancel\n");
    ASSERT_EQ(1u, none->panel.shapes.size()); /* background only */
    EXPECT_EQ("BF", none->panel.shapes[0].option);
    auto nan = play("setting Hatch HatchPx[0] nan\nrun Hatch\npanel cancel\n");
    EXPECT_EQ(1u, nan->panel.shapes.size());
    // A host text cell so large that the preview's corners leave 32 bits:
    // the preview is left out (its products were computed in 32 bits, an
    // overflow); the largest cells that fit still draw it.
    for (const char *cell : {"set charWidth 200000000\n", "set charHeight -200000000\n",
                             "set charWidth 89478486\n", "set charHeight 134217729\n"}) {
        auto big = play(std::string("setting Hatch HatchR[0][0] 50\n") + cell + "run Hatch\npanel cancel\n");
        EXPECT_TRUE(big->panel.shapes.empty()) << cell;
    }
    auto largest = play("set charWidth 89478485\nset charHeight 134217728\nrun Hatch\npanel cancel\n");
    ASSERT_EQ(2u, largest->panel.shapes.size());
    expectBox(largest->panel.shapes[0], 1252698790, 1476395008, 2147483638, 2147483646, 0, "BF");
}

TEST(HatchPanel, SwitchesAndPitchFieldsInTheirRowsWithTheHostsSpareArgumentsZero)
{
    // Four check boxes (the base point, and per slot the print size and
    // the two random switches side by side in row 6, row 7 naming the
    // element editor alone), each storing 1 when ticked; the two pitch
    // fields from 0 up with two decimals.  The arguments the host keeps
    // for itself are 0, the last four doubles of an item -1.
    auto h = play("run Hatch\npanel cancel\n");
    auto text = [](const char *sjis) { return host::quoted(host::cp932ToUtf8(sjis)); };
    const std::string tail = " 0 0 1 & 0 0 0 0 0 -1 -1 -1 -1";
    std::vector<std::string> checks;
    for (const std::string &l : traceLines(*h, "AddPanelItem"))
        if (l.find(" 6 1 \"") != std::string::npos)
            checks.push_back(l);
    EXPECT_EQ(checks, (std::vector<std::string>{
                          "AddPanelItem 2 0 23 6 1 " + text(hatchBasePointCheck) + " 0" + tail,
                          "AddPanelItem 4 16 23 6 1 " + text(hatchPrintSizeCheck) + " 1" + tail,
                          "AddPanelItem 6 6 13 6 1 " + text(hatchRandomPositionCheck) + " 0" + tail,
                          "AddPanelItem 6 15 22 6 1 " + text(hatchRandomShapeCheck) + " 0" + tail}));
    int row7 = 0;
    for (const host::PanelItem &it : h->panel.items)
        row7 += it.row == 7;
    EXPECT_EQ(1, row7);
    const std::string limits = " 1 0 0 0 & 0 0 " + host::formatDouble(DBL_MAX) + " 10 0 2 0 15";
    EXPECT_EQ(traceLines(*h, "AddPanelNumber 4"),
              (std::vector<std::string>{"AddPanelNumber 4 " + text(hatchPitchXCaption) + limits}));
    EXPECT_EQ(traceLines(*h, "AddPanelNumber 5"),
              (std::vector<std::string>{"AddPanelNumber 5 " + text(hatchPitchYCaption) + limits}));
}

TEST(HatchPanel, SlotAndElementNumbersOutsideTheirListsStartAtTheFirst)
{
    // The host's selectors keep 0..7; numbers outside (left by anything
    // else) are taken back to the first slot and element before the panel
    // binds its items to them.
    hatchElement = 8;
    auto h = play("run Hatch\npanel cancel\n");
    EXPECT_EQ(0, hatchElement);
    hatchElement = -1;
    h = play("run Hatch\npanel cancel\n");
    EXPECT_EQ(0, hatchElement);
    hatchElement = 7;
    h = play("run Hatch\npanel cancel\n");
    EXPECT_EQ(7, hatchElement);
}

} // namespace
