// The session contract: how lines answer requests, what happens when they run
// out or do not fit, directives, and the program's errors.  A small test
// module makes the requests, so these tests do not depend on the commands.
#include "frame/HostRecords.h"
#include "host/Host.h"
#include "host/Svg.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

using testing_support::runHostProgram;
using testing_support::scratchFile;
using testing_support::traceLines;

namespace {

HostServices *gSvc;
HostState *gSt;
std::vector<std::string> gLog; // what the test module saw

void HOST_API start(void *services, void *state)
{
    gSvc = static_cast<HostServices *>(services);
    gSt = static_cast<HostState *>(state);
}

void note(const std::string &what) { gLog.push_back(what + " status=" + std::to_string(gSt->inputStatus)); }

// Asks a point (drag band), a message, a cursor point, a group number and a
// selection, and polls the key three times.
void HOST_API requests(char *)
{
    strcpy(gSt->promptText, "first");
    gSt->bandKind = 13;
    gSvc->GetPoint();
    note("point " + std::to_string(gSt->pickX) + " " + std::to_string(gSt->pickY));
    gSt->bandKind = 0;
    gSvc->ShowMessage();
    note("message");
    gSvc->GetCursorPoint();
    note("cursor " + std::to_string(gSt->pickX));
    gSvc->GetGroupNumber();
    note("group " + std::to_string(gSt->groupNumberResult));
    gSvc->SelectFigures();
    note("select");
    for (int i = 0; i < 3; ++i)
        gLog.push_back("key " + std::to_string(gSvc->PollKey()));
}

int32_t usa()
{
    gLog.push_back("USA update=" + std::to_string(gSt->previewUpdate) + " x=" + std::to_string(gSt->cursorX));
    return 0;
}

int32_t ussr()
{
    gLog.push_back("USSR update=" + std::to_string(gSt->previewUpdate));
    return 1;
}


// A command whose panel is bound to variables of its own frame, gone once
// it returns (the parametric command binds two such).
const int32_t *gFrameVariable;
void HOST_API framePanel(char *)
{
    int32_t check = 0;
    double number = 2.5;
    gFrameVariable = &check;
    gSvc->OpenPanel(2, 20, 0, 0);
    gSvc->AddPanelItem(0, 0, 9, 6, 1, "Check", 0.0, 0.0, 0.0, 1.0, &check, 0, 0, 0, 0, 0, -1.0, -1.0, -1.0, -1.0);
    gSvc->AddPanelNumber(1, "Number", 1.0, 0, 0, 0, &number, 0, 0.0, 10.0, 0.0, 0.0, 1, 0, 9);
    gSvc->ShowPanel();
    do
        gSvc->WaitPanelEvent("frame");
    while (gSvc->PanelResult() == 1);
    gSvc->ClosePanel();
    check = 7; // after the close: the panel keeps what it showed
}

host::ModuleBinding requestModule()
{
    host::ModuleBinding m;
    m.start = reinterpret_cast<host::ModuleBinding::StartFn>(&start);
    m.usa = &usa;
    m.ussr = &ussr;
    m.commands["?C66@@YGXPAD@Z"] = &requests;
    m.commands["kumo1"] = &requests;
    m.commands["Hatch"] = &framePanel;
    return m;
}

std::unique_ptr<host::Host> playRequests(const std::string &script)
{
    gLog.clear();
    auto h = std::make_unique<host::Host>(requestModule());
    h->loadDrawing("line 0 0 1 1\n", "d");
    h->loadScript(script, "s.session");
    h->runScript();
    return h;
}

std::string joined() // the log on one line
{
    std::string s;
    for (const std::string &l : gLog)
        s += l + "; ";
    return s;
}

} // namespace

TEST(SessionAnswers, EachLineAnswersTheRequestItFits)
{
    auto h = playRequests("run C66\n"
                          "move 3 4\n"
                          "repaint\n"
                          "key esc after 1\n"
                          "point 10 20\n"
                          "message cancel\n"
                          "move 7 0\n"
                          "confirm\n"
                          "group 7.9\n"
                          "select 0\n");
    EXPECT_EQ(joined(),
              "USA update=1 x=3.000000; USSR update=1; USA update=0 x=3.000000; USSR update=0; "
              "point 10.000000 20.000000 status=1; message status=2; USA update=1 x=7.000000; "
              "cursor 7.000000 status=1; group 7.900000 status=1; select status=1; key 0; key 27; key 0; ");
    EXPECT_EQ(h->messages, std::vector<std::string>{"first"});
    // USSR runs only for GetPoint with the drag band.
    EXPECT_EQ(traceLines(*h, "USSR").size(), 4u); // two calls, each with its result line
}

TEST(SessionAnswers, RequestsAreCancelledOnceTheLinesRunOutAndMessagesAnsweredOk)
{
    auto h = playRequests("run C66\npoint 1 1\nrun kumo1\npoint 2 2\nconfirm\n");
    // The first command: a point, then its lines ran out at `run`.
    // The second: its message had no line of its own and was answered ok.
    EXPECT_EQ(joined(),
              "point 1.000000 1.000000 status=1; message status=2; cursor 1.000000 status=2; "
              "group 0.000000 status=2; select status=2; key 0; key 0; key 0; "
              "point 2.000000 2.000000 status=1; message status=1; cursor 2.000000 status=1; "
              "group 0.000000 status=2; select status=2; key 0; key 0; key 0; ");
}

TEST(SessionErrors, NameTheLineWhatWasAskedAndWhatItSaid)
{
#if GTEST_HAS_DEATH_TEST  // death tests fork: not under WebAssembly (the native tiers run them)
    using ::testing::ExitedWithCode;
    EXPECT_EXIT(playRequests("run C66\nselect all\n"), ExitedWithCode(2),
                "s.session:2: C66 asked for a point \\(GetPoint\\) \\(\"first\"\\), but the line says 'select all'");
    EXPECT_EXIT(playRequests("point 1 2\n"), ExitedWithCode(2),
                "s.session:1: 'point 1 2' answers nothing: no command has run yet");
    EXPECT_EXIT(playRequests("run C66\npoint 1 1\nmessage ok\npoint 1 1\ngroup 1\nselect 0\npoint 5 5\n"),
                ExitedWithCode(2), "s.session:7: 'point 5 5' answers nothing: C66 has returned");
    EXPECT_EXIT(playRequests("run C66\npoint 1 1\nmessage ok\npoint 1 1\ngroup 1\nselect 3\n"), ExitedWithCode(2),
                "s.session:6: 3 is not a figure of the drawing");
    EXPECT_EXIT(playRequests("set noSuchField 1\n"), ExitedWithCode(2), "no host field is called 'noSuchField'");
    EXPECT_EXIT(playRequests("set inputMode 1.5\n"), ExitedWithCode(2), "s.session:1: expected an integer");
    EXPECT_EXIT(playRequests("run C66\nset figureLimit 50\n"), ExitedWithCode(2),
                "figureLimit can be set only between commands");
    EXPECT_EXIT(playRequests("set figureLimit 1\n"), ExitedWithCode(2), "the drawing does not fit below figureLimit 1");
    EXPECT_EXIT(playRequests("run C67\n"), ExitedWithCode(2), "the module has no command 'C67'");
#else
    GTEST_SKIP() << "death tests need fork(), which WebAssembly has not";
#endif
}

TEST(SessionTableSizes, AreLaidOutIn64BitsAndRefusedWhenTooLarge)
{
#if GTEST_HAS_DEATH_TEST  // death tests fork: not under WebAssembly (the native tiers run them)
    using ::testing::ExitedWithCode;
    // Moving the work area behind a figureLimit near the 32-bit limit goes
    // beyond it: refused as too large, with the numbers asked for.
    EXPECT_EXIT(playRequests("set figureLimit 2147483647\n"), ExitedWithCode(2),
                "s.session:1: the host keeps at most 50000000 figure entries \\(figureLimit 2147483647 with the "
                "work area at 2147483697..2147493647 needs 2147493712\\): set figureLimit 2147483647");
    EXPECT_EXIT(playRequests("set figureLimit 2147483600\n"), ExitedWithCode(2),
                "work area at 2147483650..2147493600 needs");
    EXPECT_EXIT(playRequests("set workBase 2147483647\n"), ExitedWithCode(2),
                "s.session:1: the host needs 2 <= figureLimit <= workBase < workEnd - 1 \\(got figureLimit 20000, "
                "workBase 2147483647, workEnd 30000\\)");
    EXPECT_EXIT(playRequests("set workEnd 2147483647\n"), ExitedWithCode(2),
                "needs 2147483712\\)");
#endif
    // A size that fits keeps the work area its length, behind the drawing.
    auto h = playRequests("set figureLimit 100000\n");
    EXPECT_EQ(h->rec.figureLimit(), 100000);
    EXPECT_EQ(h->rec.workBase(), 100050);
    EXPECT_EQ(h->rec.workEnd(), 110000);
}

TEST(SessionParser, RejectsAMalformedLineBeforeAnythingRuns)
{
    struct {
        const char *line, *message;
    } bad[] = {
        {"point 1", "expected point X Y"},
        {"point one 2", "'one' is not a number"},
        {"jump 1 2", "unknown action 'jump'"},
        {"panel set \"A\"", "expected panel set"},
        {"panel pick x \"A\"", "'x' is not an integer"},
        {"panel choose A", "expected a text in double quotes"},
        {"panel press", "expected panel set, choose, pick, ok or cancel"},
        {"select window 1 2 3", "expected select window X1 Y1 X2 Y2"},
        {"select -1", "a figure index is never negative"},
        {"key esc after -1", "after N needs N >= 0"},
        {"key enter", "expected key esc"},
        {"message maybe", "expected message ok or message cancel"},
        {"run", "expected run NAME"},
        {"text \"open", "not closed"},
        {"setting kumo1 KumoGen ten", "'ten' is not a number"},
    };
    for (const auto &b : bad) {
        std::string error;
        std::string text = std::string("run kumo1 # a comment\n\n") + b.line + "\n";
        EXPECT_FALSE(host::parseScript(text, "s.session", error).has_value()) << b.line;
        EXPECT_NE(error.find("s.session:3: "), std::string::npos) << error;
        EXPECT_NE(error.find(b.message), std::string::npos) << b.line << " -> " << error;
    }
    std::string error;
    auto ok = host::parseScript("panel set \"元データを残す　　\" 1\npanel set @groupmode 2\nselect\n# x\n", "s", error);
    ASSERT_TRUE(ok.has_value()) << error;
    ASSERT_EQ(ok->size(), 3u);
    EXPECT_EQ((*ok)[0].name, "元データを残す　　");
}

TEST(SessionProgram, ReportsBadInputWithOneLineAndWritesItsOutputs)
{
    std::string err;
    std::string session = scratchFile("ok.session", "# nothing but comments\nsetting kumo1 KumoGen 2.5\n");
    std::string drawing = scratchFile("ok.drawing", "line 0 0 10 0\ncircle 0 0 5\n");
    std::string settings = scratchFile("ok.ini", "[Hatch]\nHatchNo=3\n");
    std::string dump = "scratch/ok.figures", svg = "scratch/ok.svg";
    EXPECT_EQ(runHostProgram("--drawing " + drawing + " --settings " + settings + " --dump " + dump + " --svg " + svg +
                                 " " + session,
                             err),
              0)
        << err;
    std::ifstream d(dump), s(settings), p(svg);
    std::stringstream ds, ss, ps;
    ds << d.rdbuf();
    ss << s.rdbuf();
    ps << p.rdbuf();
    EXPECT_EQ(ds.str(), "0 line 0 0 10 0 layer=0 group=0 color=1 ltype=1\n1 circle 0 0 5 layer=0 group=0 color=1 ltype=1\n");
    EXPECT_EQ(ss.str(), "[Hatch]\nHatchNo=3\n[kumo1]\nKumoGen=2.5\n");
    EXPECT_NE(ps.str().find("<circle"), std::string::npos);

    EXPECT_EQ(runHostProgram("scratch/missing.session", err), 2);
    EXPECT_EQ(err, "nerolit-host: scratch/missing.session: cannot read the session file\n");
    EXPECT_EQ(runHostProgram("--drawing scratch/missing.drawing " + session, err), 2);
    EXPECT_EQ(runHostProgram("--drawing " + scratchFile("bad.drawing", "line 0 0\n") + " " + session, err), 2);
    EXPECT_EQ(err, "nerolit-host: scratch/bad.drawing:1: expected an integer after line\n");
    EXPECT_EQ(runHostProgram("--settings " + scratchFile("bad.ini", "[x]\nk=v\n") + " " + session, err), 2);
    EXPECT_EQ(err, "nerolit-host: scratch/bad.ini:2: the value is not a number\n");
    EXPECT_EQ(runHostProgram("--bogus " + session, err), 2);
    EXPECT_EQ(runHostProgram("--module x.dll " + session, err), 4);
    EXPECT_EQ(runHostProgram(scratchFile("bad.session", "run kumo1\npoint 1\n"), err), 2);
    EXPECT_EQ(err, "nerolit-host: scratch/bad.session:2: expected point X Y / move X Y: point 1\n");
    EXPECT_EQ(runHostProgram("--drawing " + scratchFile("full.drawing", "line 0 0 1 1\nline 0 0 2 2\n") + " " +
                                 scratchFile("full.session", "set figureLimit 2\n"),
                             err),
              2);
    EXPECT_NE(err.find("the drawing does not fit below figureLimit 2"), std::string::npos);
}

TEST(SessionProgram, AMessageTheSessionNeverAnswersIsTheSessionsFault)
{
    // The chord length NaN in trail mode: the cloud command shows its message
    // again after each ok, as it should; the session goes on with a point.
    std::string err;
    std::string session = scratchFile("unanswered.session", "setting kumo1 KumoMode 2\nsetting kumo1 KumoGen nan\n"
                                                            "run kumo1\npanel ok\npoint 10 10\n");
    EXPECT_EQ(runHostProgram(session, err), 2);
    EXPECT_EQ(err, "nerolit-host: scratch/unanswered.session:5: kumo1 showed the message "
                   "\"弦の長さが[ 0 ]です。（右ｸﾘｯｸでｻﾌﾞﾒﾆｭｰ）\" 4 times in a row, and the session does not answer "
                   "it: its next line says 'point 10 10'\n");
    // Answered, the same session ends cleanly.
    session = scratchFile("answered.session", "setting kumo1 KumoMode 2\nsetting kumo1 KumoGen nan\n"
                                              "run kumo1\npanel ok\nmessage cancel\npanel cancel\n");
    EXPECT_EQ(runHostProgram(session, err), 0) << err;
}

namespace {

// A polygon of n edges round a circle of radius 100,000, as a figure list.
std::string polygonList(int n)
{
    std::ostringstream s;
    auto vx = [n](int i) { return static_cast<int>(100000 * std::cos(2 * M_PI * i / n)); };
    auto vy = [n](int i) { return static_cast<int>(100000 * std::sin(2 * M_PI * i / n)); };
    for (int i = 0; i < n; ++i)
        s << "line " << vx(i) << " " << vy(i) << " " << vx((i + 1) % n) << " " << vy((i + 1) % n) << "\n";
    return s.str();
}

} // namespace

TEST(SessionProgram, ADrawingOfAnySizeLoadsAndTheTablesFitIt)
{
    // More figures than the default figureLimit (20,000): the drawing part
    // grows to twice the drawing plus the default, the work area keeps its
    // size behind it.  Before, the host stopped with "the drawing is full"
    // before the session could set a size.
    std::string list = polygonList(30000) + "45000 circle 0 0 5\n";
    host::Host h(host::nativeModule());
    h.loadDrawing(list, "big.drawing");
    EXPECT_EQ(2 * 45003 + 20000, h.rec.figureLimit());
    EXPECT_EQ(h.rec.figureLimit() + 50, h.rec.workBase());
    EXPECT_EQ(30000 - 20050, h.rec.workEnd() - h.rec.workBase());
    EXPECT_EQ(45002, h.fig.drawingEnd());
    EXPECT_EQ(0u, host::figureList(h.fig).find("0 line 100000 0 99999 20 layer=0"));
    EXPECT_NE(std::string::npos, host::figureList(h.fig).find("\n45000 circle 0 0 5 layer=0"));
    EXPECT_EQ(1u, traceLines(h, "tables sized for big.drawing: figureLimit 110006, workBase 110056").size());
    // A DXF of 25,000 lines, alike.
    std::string dxf = "  0\nSECTION\n  2\nENTITIES\n";
    for (int i = 0; i < 25000; ++i)
        dxf += "  0\nLINE\n  8\n0\n 10\n" + std::to_string(i) + "\n 20\n0\n 11\n" + std::to_string(i) + "\n 21\n1\n";
    dxf += "  0\nENDSEC\n  0\nEOF\n";
    host::Host d(host::nativeModule());
    d.loadDxf(dxf, "big.dxf");
    EXPECT_EQ(25000, d.fig.drawingEnd());
    EXPECT_EQ(2 * 25001 + 20000, d.rec.figureLimit());

    // The program: a region of 25,000 edges loaded (the tables then hold a
    // selection of all of it), selected and hatched, the work area made large
    // enough by the session.
    std::string err, dump = "scratch/big-region.figures";
    std::string session = scratchFile("big-region.session", "set workEnd 200000\n"
                                                            "setting Hatch HatchPx[0] 20000\nsetting Hatch HatchPy[0] 20000\n"
                                                            "setting Hatch Hsw[0][0] 2\nsetting Hatch HatchR[0][0] 9000\n"
                                                            "run Hatch\npanel ok\nselect all\npanel cancel\n");
    std::string drawing = scratchFile("big-region.drawing", polygonList(25000));
    ASSERT_EQ(runHostProgram("--fast --summary --dump " + dump + " --drawing " + drawing + " " + session, err), 0)
        << err;
    std::ifstream in(dump);
    std::string line;
    int circles = 0, arcs = 0, lines = 0;
    while (std::getline(in, line)) {
        circles += line.find(" circle ") != std::string::npos;
        arcs += line.find(" arc ") != std::string::npos;
        lines += line.find(" line ") != std::string::npos;
    }
    EXPECT_EQ(25000, lines);
    EXPECT_GT(circles, 60); /* the grid of 11 x 12 cells: the circles inside */
    EXPECT_GT(arcs, 4);     /* and cut at the boundary */
}

TEST(SessionPanel, AClosedPanelKeepsItsValuesNotTheCommandsVariables)
{
    auto h = playRequests("run Hatch\npanel set \"Check\" 1\npanel set \"Number\" 4\npanel ok\n");
    ASSERT_EQ(h->panel.items.size(), 2u);
    // The command has returned: its variables are gone; the items hold the
    // values they had when the panel closed, in the host's own storage.
    EXPECT_NE(h->panel.items[0].boundInt, gFrameVariable);
    EXPECT_EQ(*h->panel.items[0].boundInt, 1);
    EXPECT_EQ(*h->panel.items[1].boundDouble, 4.0);
    std::string picture = host::panelSvg(*h);
    EXPECT_NE(picture.find("[x] Check"), std::string::npos);
    EXPECT_NE(picture.find("Number 4"), std::string::npos);
}
