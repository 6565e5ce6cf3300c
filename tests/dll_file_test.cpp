// The Windows module as a file: the names it exports, the DLLs it imports,
// its texts, its bitmaps and its version block, and that it is shipped
// stripped.  Runs when NEROLIT_DLL names
// the built Nerolit.dll (the Wine end-to-end script sets it).  And the texts
// of the linked module: code page 932 bytes made by the build from the UTF-8
// sources, checked here against the host's own conversion.
#include "cloud/Cloud.h"
#include "hatch/Hatch.h"
#include "host/text/Text.h"
#include "mirror/Mirror.h"
#include "parametric/Param.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every text of the module that it keeps as a string, as the module's sources
// spell it in UTF-8, with the bytes the linked module holds for it (null for
// the registration captions, found only in the DLL).  The two texts StartDLL
// copies into the state record are not here: the compiler writes them as
// immediate stores (frame_test checks what StartDLL writes).
struct ModuleText {
    const char *bytes;
    const char *utf8;
};

const std::vector<ModuleText> &moduleTexts()
{
    static const std::vector<ModuleText> texts = {
        {nullptr, "雲マーク"}, {nullptr, "新ハッチング"},
        {mirrorSelectPrompt, "ミラー"}, {mirrorFirstPointPrompt, "基準点 １"}, {mirrorSecondPointPrompt, "基準点 ２"},
        {mirrorBasePointPrompt, "基準点"}, {mirrorProgressPrompt, "ＥＳＣで中断します。"},
        {mirrorPanelCaption, "ミラー反転"}, {mirrorDirectionText, "方向"}, {mirrorUpDownText, "上下"},
        {mirrorLeftRightText, "左右"}, {mirrorSlantText, "斜め"}, {mirrorKeepText, "元データを残す　　"},
        {mirrorFlipOriginText, "文字原点を反転する"},
        {hatchPanelTitle, "新ﾊｯﾁﾝｸﾞ byVelmar v0.1b"}, {hatchBasePointCheck, "基点を指定する"},
        {hatchPatternLabel, "<=ﾊﾟﾀｰﾝ"}, {hatchPitchXCaption, "ﾋﾟｯﾁ X"}, {hatchPitchYCaption, "ﾋﾟｯﾁ Y"},
        {hatchPrintSizeCheck, "印刷ｻｲｽﾞ"}, {hatchVaryLabel, "変形"}, {hatchRandomPositionCheck, "位　置"},
        {hatchRandomShapeCheck, "図　形"}, {hatchElementEditLabel, "書込み図形編集"}, {hatchElementLabel, "<=個目"},
        {hatchKindLabel, "図形=>"}, {hatchKindNote, "↓／　長方形：○　多角形"}, {hatchSizeXCaption, "⊿X:ｒ"},
        {hatchSizeYCaption, "⊿Y:θ"}, {hatchOffsetLabel, "原点からの位置"}, {hatchOffsetXCaption, "⊿Ｘ"},
        {hatchOffsetYCaption, "⊿Ｙ"}, {hatchSelectPrompt, "ハッチング"}, {hatchRegionStartPrompt, "ハッチング領域開始点"},
        {hatchRegionNextPrompt, "ハッチング領域指定"}, {hatchBasePointPrompt, "基点を指定"},
        {hatchLimitMessage, "書込線本数が制限値を越えました。(何度か繰返とﾊｯﾁﾝｸﾞ可能になります。）"},
        {hatchKindTexts[0], "＊"}, {hatchKindTexts[1], "／"}, {hatchKindTexts[2], "○"}, {hatchKindTexts[3], "△"},
        {hatchKindTexts[4], "□"}, {hatchKindTexts[5], "５"}, {hatchKindTexts[6], "６"}, {hatchKindTexts[7], "８"},
        {hatchKindTexts[8], "長"},
        {kumoPromptBoxFirst, "雲マーク=> BOX指定 始点/終了"}, {kumoPromptBoxSecond, "雲マーク=> BOX指定 終点/戻る"},
        {kumoPromptTrailStart, "雲マーク=> マウス軌跡 始点/終了"}, {kumoPromptTrailTrack, "雲マーク=> マウス軌跡 確定/戻る"},
        {kumoMessageZeroChord, "弦の長さが[ 0 ]です。（右ｸﾘｯｸでｻﾌﾞﾒﾆｭｰ）"}, {kumoPanelTitle, "雲ﾏｰｸ 030420 byVelmar"},
        {kumoPanelModeText[0], "矩形指定（ 凹型） "}, {kumoPanelModeText[1], "矩形指定（ 凸型） "},
        {kumoPanelModeText[2], "マウス軌跡（時計周凹型） "}, {kumoPanelModeText[3], "自由曲線（omake） "},
        {kumoPanelChord, "弦の長さ"}, {kumoPanelPrint, "印刷"}, {kumoPanelActive, "書き込み属性"},
        {paramCaption, "パラメトリック変形"}, {paramDragLabel, "ドラッグ"}, {paramConfirmLabel, "確認"},
        {paramUnlinkLabel, "リンクを解除する"}, {paramRelinkLabel, "リンクを更新する"},
        {paramRangeStartPrompt, "パラメトリック範囲 始点"}, {paramRangeEndPrompt, "パラメトリック範囲 終点"},
        {paramMoveStartPrompt, "移動 始点"}, {paramMoveEndPrompt, "移動 終点"},
    };
    return texts;
}

// Just enough of the PE format to find the three directories.
class PeFile {
public:
    explicit PeFile(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        data_ = s.str();
        if (data_.size() < 0x40 || data_.compare(0, 2, "MZ") != 0)
            return;
        pe_ = u32(0x3C);
        if (data_.compare(pe_, 4, std::string("PE\0\0", 4)) != 0)
            return;
        machine = u16(pe_ + 4);
        sections_ = u16(pe_ + 6);
        characteristics = u16(pe_ + 22);
        uint32_t opt = pe_ + 24, optSize = u16(pe_ + 20);
        magic = u16(opt);
        dirs_ = opt + 96;
        sectionTable_ = opt + optSize;
        valid = true;
    }
    bool valid = false;
    uint16_t machine = 0, characteristics = 0, magic = 0;

    uint32_t dirRva(int k) const { return u32(dirs_ + 8 * k); }
    uint32_t dirSize(int k) const { return u32(dirs_ + 8 * k + 4); }
    uint32_t u16(uint32_t off) const { return static_cast<uint8_t>(data_[off]) | static_cast<uint8_t>(data_[off + 1]) << 8; }
    uint32_t u32(uint32_t off) const { return u16(off) | u16(off + 2) << 16; }
    uint32_t at(uint32_t rva) const // file offset of an address
    {
        for (uint32_t k = 0; k < sections_; ++k) {
            uint32_t s = sectionTable_ + 40 * k, va = u32(s + 12), size = std::max(u32(s + 8), u32(s + 16));
            if (rva >= va && rva < va + size)
                return rva - va + u32(s + 20);
        }
        return 0;
    }
    // The COFF symbol table (an image keeps none once stripped).
    uint32_t symbolTable() const { return u32(pe_ + 12); }
    uint32_t symbolCount() const { return u32(pe_ + 16); }
    // Section names: up to 8 bytes in the section table, or "/N" for a
    // longer name at offset N of the string table after the symbol table.
    std::vector<std::string> sectionNames() const
    {
        std::vector<std::string> out;
        uint32_t strings = symbolTable() + 18 * symbolCount();
        for (uint32_t k = 0; k < sections_; ++k) {
            std::string n = data_.substr(sectionTable_ + 40 * k, 8);
            n = n.substr(0, n.find('\0'));
            if (n[0] == '/' && symbolTable() != 0)
                n = std::string(data_.c_str() + strings + std::stoul(n.substr(1)));
            out.push_back(n);
        }
        return out;
    }
    const std::string &data() const { return data_; }
    std::string cstr(uint32_t rva) const { return std::string(data_.c_str() + at(rva)); }
    std::string bytes(uint32_t rva, uint32_t n) const { return data_.substr(at(rva), n); }
    std::string utf16(uint32_t off) const // a counted resource name
    {
        std::string s;
        for (uint32_t k = 0, n = u16(off); k < n; ++k)
            s += static_cast<char>(u16(off + 2 + 2 * k));
        return s;
    }

private:
    std::string data_;
    uint32_t pe_ = 0, sections_ = 0, dirs_ = 0, sectionTable_ = 0;
};

struct Resource {
    std::string type, name; // numbers as decimal text
    uint32_t language, rva, size;
};

std::vector<Resource> resources(const PeFile &pe)
{
    std::vector<Resource> out;
    uint32_t base = pe.at(pe.dirRva(2));
    auto entries = [&](uint32_t dir, auto &&visit) {
        uint32_t n = pe.u16(dir + 12) + pe.u16(dir + 14);
        for (uint32_t k = 0; k < n; ++k) {
            uint32_t e = dir + 16 + 8 * k, id = pe.u32(e), target = pe.u32(e + 4);
            std::string name = id & 0x80000000u ? pe.utf16(base + (id & 0x7FFFFFFFu)) : std::to_string(id);
            visit(name, id, base + (target & 0x7FFFFFFFu));
        }
    };
    entries(base, [&](const std::string &type, uint32_t, uint32_t d1) {
        entries(d1, [&](const std::string &name, uint32_t, uint32_t d2) {
            entries(d2, [&](const std::string &, uint32_t lang, uint32_t leaf) {
                out.push_back({type, name, lang, pe.u32(leaf), pe.u32(leaf + 4)});
            });
        });
    });
    return out;
}

const char *dllPath() { return std::getenv("NEROLIT_DLL"); }

std::string utf16le(const std::string &ascii)
{
    std::string s;
    for (char c : ascii)
        s += std::string(1, c) + '\0';
    return s;
}

} // namespace

TEST(DllFile, ExportsExactlyTheHostsNamesUnderItsOwnName)
{
    if (!dllPath())
        GTEST_SKIP() << "NEROLIT_DLL is not set";
    PeFile pe(dllPath());
    ASSERT_TRUE(pe.valid);
    EXPECT_EQ(pe.machine, 0x14Cu);                // i386
    EXPECT_EQ(pe.magic, 0x10Bu);                  // PE32
    EXPECT_NE(pe.characteristics & 0x2000u, 0u);  // a DLL
    uint32_t exp = pe.at(pe.dirRva(0));
    EXPECT_EQ(pe.cstr(pe.u32(exp + 12)), "Nerolit.dll");
    std::set<std::string> names;
    uint32_t n = pe.u32(exp + 24), table = pe.u32(exp + 32);
    for (uint32_t k = 0; k < n; ++k)
        names.insert(pe.cstr(pe.u32(pe.at(table) + 4 * k)));
    EXPECT_EQ(names, (std::set<std::string>{"?C66@@YGXPAD@Z", "?VeC92@@YGXPAD@Z", "EndDLL", "Hatch", "StartDLL",
                                             "UDRAW", "USA", "USSR", "kumo1"}));
    EXPECT_EQ(pe.u32(exp + 20), n); // no export by ordinal alone
}

TEST(DllFile, ImportsOnlyKernel32AndMsvcrt)
{
    if (!dllPath())
        GTEST_SKIP() << "NEROLIT_DLL is not set";
    PeFile pe(dllPath());
    ASSERT_TRUE(pe.valid);
    std::set<std::string> dlls;
    for (uint32_t d = pe.at(pe.dirRva(1)); pe.u32(d + 12) != 0; d += 20) {
        std::string name = pe.cstr(pe.u32(d + 12));
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        dlls.insert(name);
    }
    EXPECT_EQ(dlls, (std::set<std::string>{"KERNEL32.DLL", "MSVCRT.DLL"}));
}

TEST(DllFile, CarriesFourJapaneseBitmapsAndTheVersionBlock)
{
    if (!dllPath())
        GTEST_SKIP() << "NEROLIT_DLL is not set";
    PeFile pe(dllPath());
    ASSERT_TRUE(pe.valid);
    std::map<std::string, Resource> bitmaps;
    const Resource *version = nullptr;
    std::vector<Resource> all = resources(pe);
    for (const Resource &r : all) {
        EXPECT_EQ(r.language, 0x411u) << r.type << " " << r.name;
        if (r.type == "2")
            bitmaps[r.name] = r;
        if (r.type == "16")
            version = &r;
    }
    ASSERT_EQ(bitmaps.size(), 4u);
    for (const char *name : {"C66", "HATCH", "KUMO1", "VEC92"}) {
        ASSERT_TRUE(bitmaps.count(name)) << name;
        const Resource &b = bitmaps[name];
        EXPECT_EQ(b.size, 232u) << name;
        std::string dib = pe.bytes(b.rva, b.size);
        uint32_t w = static_cast<uint8_t>(dib[4]), h = static_cast<uint8_t>(dib[8]);
        EXPECT_EQ(static_cast<uint8_t>(dib[0]), 40) << name;
        EXPECT_EQ(w, 16u) << name;
        EXPECT_EQ(h, 16u) << name;
        EXPECT_EQ(static_cast<uint8_t>(dib[12]), 1) << name;  // planes
        EXPECT_EQ(static_cast<uint8_t>(dib[14]), 4) << name;  // bits per pixel
        EXPECT_EQ(static_cast<uint8_t>(dib[20]), 128) << name; // image size
        // Palette entry 4 is navy, 7 silver, 15 white (blue, green, red, 0).
        EXPECT_EQ(dib.substr(40 + 4 * 4, 4), std::string("\x80\0\0\0", 4)) << name;
        EXPECT_EQ(dib.substr(40 + 4 * 7, 4), std::string("\xC0\xC0\xC0\0", 4)) << name;
        EXPECT_EQ(dib.substr(40 + 4 * 15, 4), std::string("\xFF\xFF\xFF\0", 4)) << name;
    }
    ASSERT_NE(version, nullptr);
    std::string v = pe.bytes(version->rva, version->size);
    size_t fixed = v.find(std::string("\xBD\x04\xEF\xFE", 4));
    ASSERT_NE(fixed, std::string::npos);
    auto word = [&](size_t k) { return (static_cast<uint8_t>(v[fixed + k]) | static_cast<uint8_t>(v[fixed + k + 1]) << 8 |
                                                        static_cast<uint8_t>(v[fixed + k + 2]) << 16 |
                                                        static_cast<uint32_t>(static_cast<uint8_t>(v[fixed + k + 3])) << 24); };
    EXPECT_EQ(word(8), 0x00010000u);  // file version 1.0
    EXPECT_EQ(word(12), 0x00000001u); // .0.1
    EXPECT_EQ(word(16), 0x00010000u); // product version
    EXPECT_EQ(word(20), 0x00000001u);
    EXPECT_EQ(word(24), 0x3Fu);       // flags mask
    EXPECT_EQ(word(28), 0u);          // flags
    EXPECT_EQ(word(32), 0x00040004u); // VOS_NT_WINDOWS32
    EXPECT_EQ(word(36), 2u);          // VFT_DLL
    for (const char *text : {"041104b0", "FileDescription", "Nerolit", "OriginalFilename", "Nerolit.dll",
                             "InternalName", "1, 0, 0, 1", "Translation"})
        EXPECT_NE(v.find(utf16le(text)), std::string::npos) << text;
    EXPECT_NE(v.find(std::string("\x11\x04\xB0\x04", 4)), std::string::npos); // 0x0411, code page 1200
}

TEST(DllFile, IsShippedWithoutSymbolsOrDebugSections)
{
    if (!dllPath())
        GTEST_SKIP() << "NEROLIT_DLL is not set";
    PeFile pe(dllPath());
    ASSERT_TRUE(pe.valid);
    EXPECT_EQ(pe.symbolCount(), 0u); // (a string table stays for the long name .eh_frame)
    EXPECT_EQ(pe.dirSize(6), 0u);    // no debug directory
    std::vector<std::string> names = pe.sectionNames();
    EXPECT_NE(std::find(names.begin(), names.end(), ".text"), names.end());
    for (const std::string &n : names) {
        EXPECT_NE(n.compare(0, 6, ".debug"), 0) << n;
        EXPECT_NE(n.compare(0, 7, ".zdebug"), 0) << n; // compressed
        EXPECT_NE(n.compare(0, 5, ".stab"), 0) << n;
        EXPECT_NE(n[0], '/') << n; // a long name that could not be read
    }
}

TEST(ModuleTexts, AreTheCodePage932FormsOfTheSources)
{
    for (const ModuleText &t : moduleTexts()) {
        std::optional<std::string> expected = host::utf8ToCp932(t.utf8);
        ASSERT_TRUE(expected.has_value()) << t.utf8;
        if (t.bytes)
            EXPECT_EQ(std::string(t.bytes), *expected) << t.utf8;
        EXPECT_EQ(host::cp932ToUtf8(*expected), t.utf8); // reads back as the same text
    }
}

TEST(DllFile, HoldsEveryTextInCodePage932)
{
    if (!dllPath())
        GTEST_SKIP() << "NEROLIT_DLL is not set";
    PeFile pe(dllPath());
    ASSERT_TRUE(pe.valid);
    for (const ModuleText &t : moduleTexts())
        EXPECT_NE(pe.data().find(*host::utf8ToCp932(t.utf8) + '\0'), std::string::npos) << t.utf8;
}
