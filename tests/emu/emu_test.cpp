/*
 * emu_test.cpp - the emulated runner as a user meets it: nerolit-host with
 * --module, played on the real Nerolit.dll and on fixture modules that do
 * what a module must not (tests/fixtures), and one module loaded in this
 * process at another base than it asks for.
 */
#include "host/Host.h"
#include "host/emu/EmuModule.h"
#include "host/emu/Pe.h"
#include "host/emu/Runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/mman.h>
#include <sys/wait.h>

namespace {

const std::string kSource = NEROLIT_SOURCE_DIR, kWindows = NEROLIT_WINDOWS_BUILD;

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Outcome {
    int status;
    std::string err;
};

/* nerolit-host ARGS, with standard error kept. */
Outcome host(const std::string &args)
{
    std::string err = testing::TempDir() + "emu-test.err";
    int s = std::system((std::string(NEROLIT_HOST_PROGRAM) + " " + args + " >/dev/null 2>" + err).c_str());
    return {WIFEXITED(s) ? WEXITSTATUS(s) : -1, readFile(err)};
}

std::string session(const std::string &name, const std::string &text)
{
    std::string path = testing::TempDir() + name + ".session";
    std::ofstream(path) << text;
    return path;
}

bool haveDll(const std::string &name)
{
    return std::ifstream(kWindows + "/" + name).good();
}

#define NEED_DLL(name)                                                                                               \
    if (!haveDll(name))                                                                                              \
    GTEST_SKIP() << kWindows << "/" << name << " is not built (cmake --build build/windows)"

TEST(EmulatedModule, FaultsEndTheSessionNamingWhatAndWhere)
{
    NEED_DLL("FaultModule.dll");
    std::string m = "--module " + kWindows + "/FaultModule.dll ";
    struct {
        const char *command, *what, *where;
    } cases[] = {
        {"C66", "an instruction the emulator refuses at 0x", "FaultModule.dll+0x"},
        {"Hatch", "write to write-protected address 0x", "(while Hatch ran)"},
        {"kumo1", "jump to unmapped address 0x00000000, called from the instruction before at", "_kumo1@4+0x"},
        {"VeC92", "the module called the service slot at 0x004, which the host does not provide", "while VeC92 ran"},
    };
    for (const auto &c : cases) {
        Outcome r = host(m + session(c.command, std::string("run ") + c.command + "\n"));
        EXPECT_EQ(r.status, 3) << c.command << ": " << r.err;
        EXPECT_NE(r.err.find(c.what), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.where), std::string::npos) << r.err;
    }
    /* The command's own symbol names the place: C66 is the mangled export's function. */
    Outcome r = host(m + session("c66", "run C66\n"));
    EXPECT_NE(r.err.find("C66"), std::string::npos) << r.err;
}

TEST(EmulatedModule, StrayWriteIntoTheHostsFieldIsCaught)
{
    NEED_DLL("StrayWrite.dll");
    Outcome r = host("--module " + kWindows + "/StrayWrite.dll " + session("stray", "run C66\n"));
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("inputStatus"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("after C66 returned"), std::string::npos) << r.err;
    /* Its other commands write nothing: a clean session. */
    EXPECT_EQ(host("--module " + kWindows + "/StrayWrite.dll " + session("clean", "run Hatch\nrun kumo1\n")).status, 0);
}

TEST(EmulatedModule, UnknownImportIsRefusedByName)
{
    NEED_DLL("UnknownImport.dll");
    Outcome r = host("--module " + kWindows + "/UnknownImport.dll " + session("imp", "run C66\n"));
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("imports GetTickCount from KERNEL32.dll, which this runner does not provide"),
              std::string::npos)
        << r.err;
}

TEST(EmulatedModule, ExitStatusesSayWhatWentWrong)
{
    NEED_DLL("Nerolit.dll");
    std::string dll = "--module " + kWindows + "/Nerolit.dll ";
    std::string ok = session("ok", "run Hatch\ncancel\n");
    EXPECT_EQ(host(dll + ok).status, 0);
    Outcome missing = host("--module /nonexistent/Nerolit.dll " + ok);
    EXPECT_EQ(missing.status, 4);
    EXPECT_NE(missing.err.find("cannot read the module file"), std::string::npos) << missing.err;
    Outcome notPe = host("--module " + ok + " " + ok);
    EXPECT_EQ(notPe.status, 4);
    EXPECT_NE(notPe.err.find("not a module file"), std::string::npos) << notPe.err;
    Outcome none = host(ok);
    EXPECT_EQ(none.status, 4);
    EXPECT_NE(none.err.find("--module"), std::string::npos) << none.err;
    Outcome badLine = host(dll + session("bad", "fly to the moon\n"));
    EXPECT_EQ(badLine.status, 2) << badLine.err;
    Outcome noCommand = host(dll + session("nocmd", "run NoSuchCommand\n"));
    EXPECT_EQ(noCommand.status, 2) << noCommand.err;
}

TEST(EmulatedModule, RelocatedWhenItsPreferredBaseIsTakenAndDrawsTheSame)
{
    NEED_DLL("Nerolit.dll");
    std::string dll = kWindows + "/Nerolit.dll";
    host::emu::PeFile pe;
    std::string bytes = readFile(dll);
    ASSERT_FALSE(pe.parse(std::vector<uint8_t>(bytes.begin(), bytes.end())));
    ASSERT_TRUE(pe.hasRelocations());

    /* The whole preferred range is taken before the module loads. */
    void *taken = mmap(reinterpret_cast<void *>(static_cast<uintptr_t>(pe.imageBase)), pe.imageSize, PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    ASSERT_EQ(taken, reinterpret_cast<void *>(static_cast<uintptr_t>(pe.imageBase)));

    host::ModuleBinding binding;
    std::string error;
    ASSERT_TRUE(host::emu::loadModuleFile(dll, binding, error)) << error;
    host::emu::Runner *r = host::emu::Runner::current();
    ASSERT_NE(r, nullptr);
    EXPECT_NE(r->base(), pe.imageBase);
    EXPECT_EQ(r->exportAddress("Hatch") - r->base(), pe.exports().at("Hatch"));

    /* Fault messages name the nearest symbol: exports, and the functions
       of Nerolit.dll.debug beside the stripped DLL, at the relocated base. */
    EXPECT_NE(r->describe(r->exportAddress("Hatch")).find("Nerolit.dll+0x"), std::string::npos);
    EXPECT_NE(r->describe(r->exportAddress("Hatch")).find(", _Hatch@4)"), std::string::npos)
        << r->describe(r->exportAddress("Hatch"));
    host::emu::PeFile debug;
    std::string debugBytes = readFile(dll + ".debug");
    if (!debugBytes.empty() && !debug.parse(std::vector<uint8_t>(debugBytes.begin(), debugBytes.end()))) {
        uint32_t rva = 0;
        for (const auto &sym : debug.symbols())
            if (sym.second == "__Z10KumoAddArcidddd")
                rva = sym.first;
        ASSERT_NE(rva, 0u);
        EXPECT_NE(r->describe(r->base() + rva + 4).find("__Z10KumoAddArcidddd+0x4)"), std::string::npos)
            << r->describe(r->base() + rva + 4);
    }

    /* A session with every command on the relocated module, against the
       program's run of the module at its preferred base. */
    const std::string name = kSource + "/examples/stretch-room-plain";
    host::Host h(binding);
    h.loadDrawing(readFile(name + ".drawing"), name + ".drawing");
    h.loadScript(readFile(name + ".session"), name + ".session");
    h.runScript();
    std::string dump = testing::TempDir() + "preferred.figures";
    ASSERT_EQ(host("--module " + dll + " --drawing " + name + ".drawing --dump " + dump + " " + name + ".session").status,
              0);
    EXPECT_EQ(host::figureList(h.fig), readFile(dump));
    munmap(taken, pe.imageSize);
}

} // namespace
