// The host's records against the module's header, and the guard zones.
// The host lays its records out from its own table of offsets; the module
// from frame/HostRecords.h.  Both are compared here field by field, so a
// wrong offset on either side fails instead of cancelling out.
#include "frame/HostRecords.h"
#include "host/Host.h"
#include "host/records/Layout.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

using host::StateField;
using host::TableField;

TEST(RecordsLayout, TheModuleHeaderAndTheHostTableAgreeOnEveryField)
{
#define X(name, off, ty, sz, acc) EXPECT_EQ(offsetof(HostState, name), off) << #name;
    NEROLIT_HOST_STATE_FIELDS(X)
#undef X
#define X(name, off, ty, sz, acc) EXPECT_EQ(offsetof(DrawingTables, name), off) << #name;
    NEROLIT_HOST_TABLE_FIELDS(X)
#undef X
#define X(name, off) EXPECT_EQ(offsetof(HostServices, name), off) << #name;
    NEROLIT_HOST_SERVICES(X)
#undef X
    // Widths: a field the module writes is written with exactly its width.
#define X(name, off, ty, sz, acc)                                                                 \
    if (host::FieldType::ty != host::FieldType::Text)                                              \
        EXPECT_EQ(sizeof(HostState::name), static_cast<size_t>(sz)) << #name;
    NEROLIT_HOST_STATE_FIELDS(X)
#undef X
}

TEST(RecordsLayout, TheModuleReachesTheHostsFieldsThroughItsHeader)
{
    auto h = testing_support::play("set unitFactor 0.25\nset figureLimit 500\nset orthoMode 1\n");
    const HostState *st = static_cast<const HostState *>(h->rec.state());
    const DrawingTables *t = st->tables;
    EXPECT_EQ(static_cast<const void *>(t), h->rec.tables());
    EXPECT_EQ(t->unitFactor, 0.25);
    EXPECT_EQ(t->figureLimit, 500);
    EXPECT_EQ(t->workBase, 20050); // the work area stays behind the drawing
    EXPECT_EQ(st->orthoMode, 1);
    EXPECT_EQ(st->pi, 3.14159265358979323846);
    EXPECT_EQ(st->attrContext->value, 7);
    EXPECT_EQ(st->panelSurface->surface, 0x5F);
    EXPECT_EQ(t->figureType, &h->rec.at(host::ArrType, 0));
    EXPECT_EQ(t->figureY2, &h->rec.at(host::ArrY2, 0));
}

namespace {

// Test modules: each command does one thing to the records through the
// module's own header, so the offsets used are the module's.
HostServices *gSvc;
HostState *gSt;
int gWhich;

void HOST_API testStart(void *services, void *state)
{
    gSvc = static_cast<HostServices *>(services);
    gSt = static_cast<HostState *>(state);
}

void HOST_API testCommand(char *)
{
    switch (gWhich) {
    case 0: gSt->inputStatus = 1; break;                                   // a host-only field
    case 1: reinterpret_cast<uint8_t *>(gSt)[0x1A6C] = 0; break;           // unnamed bytes
    case 2: std::memset(gSt->promptText, 'x', 71); gSt->promptText[71] = 0; break; // 72 bytes of text
    case 3: gSt->tables->figureType[gSt->tables->figureLimit] = -1; break; // beyond figureLimit
    case 4: gSt->tables->figureX1[gSt->tables->workEnd + 1] = 5; break;    // behind the work area
    case 5: gSt->tables->unitFactor = 2.0; break;                          // a host field of the tables
    case 6: reinterpret_cast<void **>(gSvc)[0x10] = nullptr; break;        // the service table
    case 7: reinterpret_cast<void (HOST_API *)()>(reinterpret_cast<void **>(gSvc)[0x100 / 4])(); break; // an empty slot
    case 8: // everything it may write: no complaint
        std::memset(gSt->promptText, 'y', 69);
        gSt->promptText[69] = 0;
        gSt->rangeX1 = 1.5;
        gSt->drawIndex = 3;
        gSt->tables->figureTableDirtyA = 1;
        gSt->tables->figureType[gSt->tables->figureLimit - 1] = 0x200;
        gSt->tables->figureType[gSt->tables->workBase] = 0x200;
        gSt->tables->figureType[gSt->tables->workEnd] = -1;
        gSvc->BeginCommand(1);
        break;
    case 9: // ignores cancel: asks again and again
        do
            gSvc->GetPoint();
        while (gSt->inputStatus == 2);
        break;
    }
}

int32_t hookNothing() { return 1; }

host::ModuleBinding testModule()
{
    host::ModuleBinding m;
    m.name = "test module";
    m.start = reinterpret_cast<host::ModuleBinding::StartFn>(&testStart);
    m.usa = &hookNothing;
    m.ussr = &hookNothing;
    m.commands["?C66@@YGXPAD@Z"] = &testCommand;
    return m;
}

void runTestModule(int which, const std::string &script = "run C66\n")
{
    gWhich = which;
    host::Host h(testModule());
    h.loadScript(script, "guard.session");
    h.runScript();
}

} // namespace

TEST(RecordsGuards, CatchEveryWriteOutsideWhatTheModuleOwns)
{
#if GTEST_HAS_DEATH_TEST  // death tests fork: not under WebAssembly (the native tiers run them)
    using ::testing::ExitedWithCode;
    EXPECT_EXIT(runTestModule(0), ExitedWithCode(3), "state record at 0x1A68: field inputStatus at 0x1A68");
    EXPECT_EXIT(runTestModule(1), ExitedWithCode(3), "state record at 0x1A6C: unnamed bytes after inputStatus");
    EXPECT_EXIT(runTestModule(2), ExitedWithCode(3), "byte 70 of the text promptText");
    EXPECT_EXIT(runTestModule(3), ExitedWithCode(3), "entry 20000 of figureType, at or beyond figureLimit 20000");
    EXPECT_EXIT(runTestModule(4), ExitedWithCode(3), "entry 30001 of figureX1");
    EXPECT_EXIT(runTestModule(5), ExitedWithCode(3), "drawing tables at 0x30D.: field unitFactor at 0x30D0");
    EXPECT_EXIT(runTestModule(6), ExitedWithCode(3), "service table at 0x40");
    EXPECT_EXIT(runTestModule(7), ExitedWithCode(3), "service slot at 0x100, which the host does not provide");
    EXPECT_EXIT(runTestModule(9), ExitedWithCode(3), "has hung: it made more than 1000 requests");
#else
    GTEST_SKIP() << "death tests need fork(), which WebAssembly has not";
#endif
}

TEST(RecordsGuards, LeaveTheModulesOwnFieldsAlone)
{
    gWhich = 8;
    host::Host h(testModule());
    h.loadScript("run C66\n", "guard.session");
    h.runScript();
    EXPECT_EQ(h.beginCommandCalls, 1);
    EXPECT_FALSE(h.rec.checkGuards().has_value());
}

TEST(RecordsGuards, FindTheFirstStrayEntryAnywhereInALongGap)
{
    // A small drawing before the default work area leaves 18,050 guarded
    // entries per table between them; each is checked, the first reported.
    host::Records r;
    ASSERT_FALSE(r.layoutArrays(2000, 20050, 30000));
    EXPECT_FALSE(r.checkGuards());
    for (int i : {2000, 3023, 3024, 9999, 20049, 30001, r.capacity() - 1}) {
        int32_t kept = r.at(host::ArrY2, i);
        r.at(host::ArrY2, i) = 0;
        std::optional<std::string> e = r.checkGuards();
        ASSERT_TRUE(e.has_value()) << i;
        EXPECT_EQ(e->substr(0, e->find(',')), "the module wrote entry " + std::to_string(i) + " of figureY2") << i;
        r.at(host::ArrY2, i) = kept;
    }
    r.at(host::ArrX1, 20050) = 5; // the work area is the module's
    r.at(host::ArrX1, 30000) = 5;
    EXPECT_FALSE(r.checkGuards());
    r.at(host::ArrW, 7000) = 1;
    r.at(host::ArrW, 5000) = 1;
    EXPECT_NE(r.checkGuards()->find("entry 5000 of figureW"), std::string::npos);
}
