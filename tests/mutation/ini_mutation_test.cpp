// SETUP.INI files damaged in bulk and read by the real loader through the
// real profile functions. Every case must end either with an accepted
// configuration whose invariants hold and no message box, or with a false
// result and exactly one box carrying one of the loader's messages. A crash,
// a trap of the hardened build or a hang names the case (case_guard).
// How to run more cases than CI does: see README.md ("Mutation tests").
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "mutation/box_watcher.h"
#include "mutation/case_guard.h"
#include "mutation/mutator.h"
#include "setup/config.h"
#include "setup/messages.h"
#include "setup/session.h"
#include "setup/support.h"
#include "support/test_files.h"

namespace {

struct IniLine {
    std::string key;
    std::string value;
    bool hasEquals;
};

struct IniFile {
    std::string header;  // "[SETUP]"; empty: no header line
    std::vector<IniLine> lines;
    std::string lineEnd;
    std::string trailer;  // raw text after the last line
};

std::string render(const IniFile& ini)
{
    std::string text;
    if (!ini.header.empty())
        text += ini.header + ini.lineEnd;
    for (const IniLine& line : ini.lines)
        text += line.key + (line.hasEquals ? "=" : "") + line.value + ini.lineEnd;
    return text + ini.trailer;
}

IniFile iniOf(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    IniFile ini = {"[SETUP]", {}, "\r\n", ""};
    for (const auto& pair : pairs)
        ini.lines.push_back(IniLine{pair.first, pair.second, true});
    return ini;
}

std::string numbered(const char* stem, int count, bool discPrefixes)
{
    std::string list;
    for (int i = 0; i < count; i++) {
        if (i)
            list += ",";
        if (discPrefixes && i % 7 == 0)
            list += std::to_string(1 + i % 9) + ":";
        list += stem + std::to_string(i);
    }
    return list;
}

// Every key the loader reads, with add-on mode on.
IniFile fullBase()
{
    return iniOf({
        {"CompanyName", "Kestrel"},
        {"GameTitle", "テストゲーム"},
        {"GameDir", "TestGame"},
        {"GameExe", "game.exe"},
        {"UninstExe", "uninst.exe"},
        {"SetupBmp", "bmp\\a.bmp, bmp\\b.bmp,表\\c.bmp"},
        {"InstallSelects", "3"},
        {"InstallTitle0", "標準インストール"},
        {"InstallFiles0", "1:game.exe,data,2:movie\\op.mpg"},
        {"InstallTitle1", "最小インストール"},
        {"InstallFiles1", "game.exe"},
        {"InstallTitle2", "フル"},
        {"InstallFiles2", "game.exe,data,ソ\\b.dat"},
        {"Shortcuts", "3"},
        {"Shortcut0", "game.exe,テストゲーム,game.ico,テストゲーム"},
        {"Shortcut1", "http://example.invalid/,サポート"},
        {"Shortcut2", "manual.pdf,説明書,,説明書"},
        {"GameClass", "【保存】KestrelWnd"},
        {"DefaultSelect", "1"},
        {"InstallSize0", "6442450944"},
        {"InstallSize1", "1000"},
        {"InstallSize2", "9223372036854775807"},
        {"DiskCheckFile1", "disc1.id"},
        {"DiskCheckFile2", "disc2.id"},
        {"ExecApp", "notepad.exe,readme.txt"},
        {"SelectSetupMessage", "インストール方法を選んで下さい 100%%"},
        {"UseCompanyNameForShortcutGroup", "1"},
        {"ChooseSaveDataFolder", "1"},
        {"SaveDataFolderNameInInstall", "save"},
        {"SaveDataFolderName", "TG Save"},
        {"StrKeyInstPath", "InstPath"},
        {"ShortcutFolder", "Kestrel Games"},
        {"StopInstallToProgramFiles", "1"},
        {"Debug_OutputSetupLog", "0"},
        {"InstallAfterAdd", "1"},
        {"InstallAddFiles", "2:add\\a.dat,add\\b.dat"},
        {"InstallAddSize", "4096"},
        {"InstPathMode", "2"},
        {"GameExe64", "game64.exe"},
    });
}

// The required keys only.
IniFile minimalBase()
{
    return iniOf({
        {"CompanyName", "K"},
        {"GameTitle", "G"},
        {"GameDir", "D"},
        {"GameExe", "g.exe"},
        {"UninstExe", "u.exe"},
        {"SetupBmp", "a.bmp"},
        {"InstallSelects", "1"},
        {"InstallTitle0", "T"},
        {"InstallFiles0", "g.exe"},
        {"Shortcuts", "0"},
    });
}

// Every table filled to its size.
IniFile widestBase()
{
    IniFile ini = iniOf({
        {"CompanyName", "Kestrel"},
        {"GameTitle", "【保存】ゲーム"},
        {"GameDir", "Game"},
        {"GameExe", "game.exe"},
        {"UninstExe", "uninst.exe"},
        {"SetupBmp", numbered("b", 20, false)},
        {"InstallSelects", "4"},
    });
    for (int i = 0; i < MaxSelects; i++) {
        ini.lines.push_back(
            IniLine{"InstallTitle" + std::to_string(i), "選択" + std::to_string(i), true});
        ini.lines.push_back(
            IniLine{"InstallFiles" + std::to_string(i), numbered("f", 40, true), true});
    }
    ini.lines.push_back(IniLine{"Shortcuts", "10", true});
    for (int i = 0; i < MaxShortcuts; i++)
        ini.lines.push_back(IniLine{"Shortcut" + std::to_string(i),
                                    "p" + std::to_string(i) + ".exe,名前" + std::to_string(i) +
                                        ",i.ico,デスク" + std::to_string(i),
                                    true});
    for (int i = 0; i < MaxDiscCheckFiles; i++)
        ini.lines.push_back(
            IniLine{"DiskCheckFile" + std::to_string(i), "disc" + std::to_string(i), true});
    ini.lines.push_back(IniLine{"InstallAfterAdd", "1", true});
    ini.lines.push_back(IniLine{"InstallAddFiles", numbered("add", 40, true), true});
    return ini;
}

IniFile baseNumber(unsigned which)
{
    switch (which % 3) {
    case 0:
        return fullBase();
    case 1:
        return minimalBase();
    default:
        return widestBase();
    }
}

enum KeyKind { TextKey, CountKey, NumberKey, FlagKey, SizeKey, ListKey, ShortcutKey, ExecAppKey };

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, strlen(prefix), prefix) == 0;
}

KeyKind kindOf(const std::string& key)
{
    if (key == "InstallSelects" || key == "Shortcuts")
        return CountKey;
    if (key == "SetupBmp" || key == "InstallAddFiles" || startsWith(key, "InstallFiles"))
        return ListKey;
    if (startsWith(key, "Shortcut") && key != "ShortcutFolder")
        return ShortcutKey;
    if (key == "ExecApp")
        return ExecAppKey;
    if (key == "InstallAddSize" || startsWith(key, "InstallSize"))
        return SizeKey;
    if (key == "DefaultSelect" || key == "InstPathMode")
        return NumberKey;
    static const std::set<std::string> flags = {"UseCompanyNameForShortcutGroup",
                                                "ChooseSaveDataFolder", "StopInstallToProgramFiles",
                                                "Debug_OutputSetupLog", "InstallAfterAdd"};
    return flags.count(key) ? FlagKey : TextKey;
}

const std::vector<std::string> oddNumbers = {
    "0", "1", "-1", "2", "3", "4", "5", "9", "10", "11", "-0", "+3", "007", "4x", "x4", "-", "+",
    "--1", "+-2", " 7 ", "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967296",
    "99999999999999999999999999", "9223372036854775807", "9223372036854775808",
    "-9223372036854775808", "-9223372036854775809", "18446744073709551616", "12345678901234567890",
    "1234567890123456789012", "0x7FFFFFFF", "1e9", "３", "\"5\""};

// Flags are integers read like DefaultSelect; these are enough for them.
const std::vector<std::string> oddFlags = {
    "0", "1", "-1", "2", "x1", "1x", "-0", " 1", "+", "2147483648", "-2147483649",
    "99999999999999999999999999"};

const std::vector<std::string> oddLists = {
    "1:,", ",,", "a, ,b", ",", " ", "\t", ":", "1:", "::", "a,", ",a", "a,,b", "1:a,2:b,3:c",
    "9:a,0:b", "a:b", "ab:c", "x:y:z", "1: a", " 1:a", "1 :a", "\"a,b\"", "\"a\",\"b\"", "a;b",
    "C:\\dir\\f.dat", "\\\\server\\share\\f", "..\\..\\x", "a\\", "表\\ソ.dat", "表:x", "\x81:",
    "a\x81", "\x81,b", "1:\x81", "a\r", "1:a,\t,b", "\t1:a , 2:b ,"};

const std::vector<std::string> oddShortcuts = {
    "a,b", "a", ",b", "a,b,", "a,b,,", "a,b,,,,d", "a,b,c,d,e", "a,b,,d", "a,b, ,d", "a,b,\t,d",
    "1:a,2:b", "a,b,c", "http://example.invalid/,サイト", ",,,,", "a,,b", "a,b,c,", "a,b,c,,",
    "a, ,b", "1:,b", "a,1:", "a,b\x81", "\x81,\x81"};

const std::vector<std::string> oddExecApps = {
    "a", "a,", "a,b", "a,b,c", ",b", "1:a,2:b", ",", "a,,b", "a, ,b", "a,1:", "\x81,\x81"};

// Lengths at the edges of the loader's buffers (260, 1024 and 20 bytes).
const std::vector<unsigned> edgeLengths = {18,  19,   20,   21,   258,  259,  260, 261,
                                           262, 1022, 1023, 1024, 1025, 1100, 4096};

// length bytes of ASCII or of double-byte characters, perhaps one byte off
// so that a double-byte character straddles a buffer's end.
std::string overlong(MutationRng* rng, unsigned length)
{
    std::string text;
    bool doubleByte = randomChance(rng, 50);
    if (doubleByte && randomChance(rng, 50))
        text += 'x';
    while (text.size() < length) {
        if (doubleByte)
            text += "あ";
        else
            text += (char)('a' + text.size() % 26);
    }
    text.resize(length);  // may leave a lone lead byte at the end
    return text;
}

std::string oddList(MutationRng* rng)
{
    switch (randomBelow(rng, 5)) {
    case 0: {
        static const int counts[] = {19, 20, 21, 39, 40, 41, 100};
        return numbered("f", counts[randomBelow(rng, 7)], randomChance(rng, 50));
    }
    case 1: {
        std::string item = overlong(rng, pickOne(rng, edgeLengths));
        return randomChance(rng, 50) ? "a.dat," + item + ",b.dat" : item;
    }
    case 2: {
        // Items joined by random separators and blanks.
        static const char* const parts[] = {"a", "1:b", "c.dat", "", " ", "\t", "表", "\x81"};
        static const char* const joins[] = {",", ",,", ", ", " ,", ":", ",\t"};
        std::string list;
        unsigned count = 1 + randomBelow(rng, 8);
        for (unsigned i = 0; i < count; i++)
            list += std::string(i ? joins[randomBelow(rng, 6)] : "") + parts[randomBelow(rng, 8)];
        return list;
    }
    default:
        return pickOne(rng, oddLists);
    }
}

std::string valueFor(MutationRng* rng, KeyKind kind)
{
    if (randomChance(rng, 25))
        kind = (KeyKind)randomBelow(rng, ExecAppKey + 1);
    switch (kind) {
    case CountKey:
        return randomChance(rng, 50) ? std::to_string((int)randomBelow(rng, 16) - 3)
                                     : pickOne(rng, oddNumbers);
    case NumberKey:
    case FlagKey:
    case SizeKey:
        return randomChance(rng, 80) ? pickOne(rng, oddNumbers) : overlong(rng, 25);
    case ListKey:
        return oddList(rng);
    case ShortcutKey:
        return randomChance(rng, 80) ? pickOne(rng, oddShortcuts)
                                     : "a," + overlong(rng, pickOne(rng, edgeLengths));
    case ExecAppKey:
        return randomChance(rng, 80) ? pickOne(rng, oddExecApps)
                                     : overlong(rng, pickOne(rng, edgeLengths)) + ",b";
    default:
        return randomChance(rng, 70) ? overlong(rng, pickOne(rng, edgeLengths))
                                     : pickOne(rng, oddLists);
    }
}

IniLine* findLine(IniFile* ini, const std::string& key)
{
    for (IniLine& line : ini->lines)
        if (line.key == key)
            return &line;
    return NULL;
}

// Sets a count and, most of the time, adds the numbered keys it then needs.
void setCount(MutationRng* rng, IniFile* ini, std::string* what)
{
    bool selects = randomChance(rng, 50);
    const char* countKey = selects ? "InstallSelects" : "Shortcuts";
    int count = (int)randomBelow(rng, 14) - 2;
    IniLine* line = findLine(ini, countKey);
    if (line)
        line->value = std::to_string(count);
    else
        ini->lines.push_back(IniLine{countKey, std::to_string(count), true});
    *what += std::string("; ") + countKey + "=" + std::to_string(count);
    if (!randomChance(rng, 70))
        return;
    for (int i = 0; i < count && i < 12; i++) {
        std::vector<std::pair<std::string, std::string>> needed;
        if (selects) {
            needed.push_back({"InstallTitle" + std::to_string(i), "t"});
            needed.push_back({"InstallFiles" + std::to_string(i), "f.dat"});
        } else {
            needed.push_back({"Shortcut" + std::to_string(i), "p.exe,n"});
        }
        for (const auto& key : needed)
            if (!findLine(ini, key.first))
                ini->lines.push_back(IniLine{key.first, key.second, true});
    }
}

std::string lineName(const IniLine& line)
{
    return line.key.size() > 40 ? line.key.substr(0, 40) + "..." : line.key;
}

// One structural change: keys, values, lines, the section header.
void mutateStructure(MutationRng* rng, IniFile* ini, std::string* what)
{
    if (ini->lines.empty())
        ini->lines.push_back(IniLine{"CompanyName", "K", true});
    size_t at = randomBelow(rng, (unsigned)ini->lines.size());
    IniLine& line = ini->lines[at];
    std::string name = lineName(line);
    switch (randomBelow(rng, 13)) {
    case 0:
        *what += "; remove " + name;
        ini->lines.erase(ini->lines.begin() + (long)at);
        break;
    case 1: {
        IniLine copy = line;
        copy.value = valueFor(rng, kindOf(line.key));
        bool before = randomChance(rng, 50);
        *what += "; duplicate " + name + (before ? " before" : " after");
        ini->lines.insert(ini->lines.begin() + (long)(before ? at : at + 1), copy);
        break;
    }
    case 2:
        *what += "; no '=' in " + name;
        line.hasEquals = false;
        break;
    case 3:
    case 4:
    case 5:
        line.value = valueFor(rng, kindOf(line.key));
        *what += "; " + name + "=" + hexPreview(line.value, 24);
        break;
    case 6: {
        char lead = shiftJisLeadByte(rng);
        line.value += lead;
        *what += "; lead byte " + hexPreview(std::string(1, lead), 1) + " ends " + name;
        break;
    }
    case 7: {
        // Lead byte as the last byte of the file, with or without a line end.
        ini->trailer = std::string(1, shiftJisLeadByte(rng));
        if (randomChance(rng, 50))
            ini->trailer = "Extra=x" + ini->trailer;
        *what += "; file ends with " + hexPreview(ini->trailer, 8);
        break;
    }
    case 8: {
        static const char* const names[] = {"companyname",   " GameTitle ",    "Install Selects",
                                            "InstallFiles7", "Shortcut10",     "InstallFiles-1",
                                            "SetupBmp\x81",  "ＧａｍｅＤｉｒ", ";GameExe"};
        line.key = names[randomBelow(rng, sizeof names / sizeof names[0])];
        *what += "; rename " + name + " to " + hexPreview(line.key, 16);
        break;
    }
    case 9: {
        static const char* const headers[] = {
            "", "[setup]", "[SETUP", "SETUP]", "[ SETUP ]", "[SETUP]\r\n[OTHER]", "[OTHER]", "[]",
            "\xEF\xBB\xBF[SETUP]", "\xFF\xFE[SETUP]"};
        ini->header = headers[randomBelow(rng, sizeof headers / sizeof headers[0])];
        *what += "; header " + hexPreview(ini->header, 16);
        break;
    }
    case 10: {
        static const char* const ends[] = {"\n", "\r", "", "\r\r\n", "\n\r", "\x81\r\n"};
        unsigned which = randomBelow(rng, 6);
        ini->lineEnd = ends[which];
        *what += "; line ends " + hexPreview(ini->lineEnd, 4);
        break;
    }
    case 11: {
        static const std::string extras[] = {
            "; comment", "",   "   ", "[OTHER]", "[SETUP]",
            "=value",    "==", "Key", "\x81",    std::string("\0x", 2)};
        const std::string& raw = extras[randomBelow(rng, sizeof extras / sizeof extras[0])];
        ini->lines.insert(ini->lines.begin() + (long)at, IniLine{raw, "", false});
        *what += "; insert line " + hexPreview(raw, 8) + " before " + name;
        break;
    }
    default:
        setCount(rng, ini, what);
        break;
    }
}

std::string formatted(const char* format, const std::string& key)
{
    char text[MessageSize];
    formatText(text, sizeof text, format, key.c_str());
    return text;
}

// Every message the loader can show, with every key name it can give.
const std::set<std::string>& loaderMessages()
{
    static std::set<std::string> messages;
    if (!messages.empty())
        return messages;
    std::vector<std::string> required = {"CompanyName",    "GameTitle", "GameDir",
                                         "GameExe",        "UninstExe", "SetupBmp",
                                         "InstallSelects", "Shortcuts", "InstallAddFiles"};
    for (int i = 0; i < MaxSelects; i++) {
        required.push_back("InstallTitle" + std::to_string(i));
        required.push_back("InstallFiles" + std::to_string(i));
        messages.insert(formatted(MsgKeyError, "InstallFiles" + std::to_string(i)));
    }
    for (int i = 0; i < MaxShortcuts; i++) {
        required.push_back("Shortcut" + std::to_string(i));
        messages.insert(formatted(MsgKeyError, "Shortcut" + std::to_string(i)));
    }
    for (const std::string& key : required)
        messages.insert(formatted(MsgKeyMissing, key));
    messages.insert(formatted(MsgKeyError, "ExecApp"));
    messages.insert(MsgBannerListError);
    messages.insert(MsgTooManySelects);
    messages.insert(MsgTooManyShortcuts);
    messages.insert(MsgAddFilesError);
    return messages;
}

template <size_t N>
bool terminated(const char (&field)[N])
{
    return memchr(field, 0, N) != NULL;
}

bool isFlag(int value)
{
    return value == 0 || value == 1;
}

// What must hold for any configuration the loader accepted; each fault is
// added to faults.
void checkAccepted(const SetupConfig& c, std::vector<std::string>* faults)
{
    auto expect = [faults](bool holds, const std::string& fault) {
        if (!holds)
            faults->push_back(fault);
    };
    expect(terminated(c.CompanyName) && terminated(c.GameTitle) && terminated(c.GameDir) &&
               terminated(c.GameExe) && terminated(c.UninstExe) && terminated(c.GameClass) &&
               terminated(c.SelectSetupMessage) && terminated(c.SaveDataFolderNameInInstall) &&
               terminated(c.SaveDataFolderName) && terminated(c.StrKeyInstPath) &&
               terminated(c.ShortcutFolder) && terminated(c.GameExe64) &&
               terminated(c.ExecApp[0]) && terminated(c.ExecApp[1]),
           "a text field is not terminated");
    for (const auto& entry : c.DiskCheckFile)
        expect(terminated(entry), "a DiskCheckFile entry is not terminated");
    expect(c.CompanyName[0] && c.GameTitle[0] && c.GameDir[0] && c.GameExe[0] && c.UninstExe[0],
           "a required text is empty");
    expect(c.GameClass[0] && c.SaveDataFolderNameInInstall[0] && c.SaveDataFolderName[0] &&
               c.StrKeyInstPath[0] && c.SelectSetupMessage[0],
           "a text with a default is empty");

    expect(c.bannerCount >= 1 && c.bannerCount <= MaxBanners,
           "bannerCount " + std::to_string(c.bannerCount));
    // An entry may be empty ("a,1:,b" reads three items), as may a file
    // entry or a shortcut's field: a disc prefix before a separator is an
    // item read.
    for (int i = 0; i < MaxBanners; i++) {
        expect(terminated(c.SetupBmp[i]), "SetupBmp entry not terminated");
        if (i >= c.bannerCount)
            expect(c.SetupBmp[i][0] == '\0', "banner entry after the last one not emptied");
    }

    expect(c.InstallSelects <= MaxSelects, "InstallSelects " + std::to_string(c.InstallSelects));
    expect(c.Shortcuts <= MaxShortcuts, "Shortcuts " + std::to_string(c.Shortcuts));
    for (int s = 0; s < MaxSelects; s++) {
        const InstallSelect& select = c.selects[s];
        bool read = s < c.InstallSelects || (s == AddOnSlot && c.addOnMode);
        expect(terminated(select.title), "select title not terminated");
        if (s < c.InstallSelects)
            expect(select.title[0] != '\0', "empty title of select " + std::to_string(s));
        int live = 0;
        while (live < MaxListFiles && select.files[live][0])
            live++;
        bool liveDisc = false, anyDisc = false;
        for (int f = 0; f < MaxListFiles; f++) {
            expect(terminated(select.files[f]), "file entry not terminated");
            expect(select.discNumbers[f] >= 0 && select.discNumbers[f] <= 9,
                   "disc number " + std::to_string(select.discNumbers[f]));
            anyDisc = anyDisc || select.discNumbers[f];
            liveDisc = liveDisc || (f < live && select.discNumbers[f]);
        }
        expect(isFlag(select.usesDiscNumbers), "usesDiscNumbers not 0 or 1");
        if (read)
            expect((!liveDisc || select.usesDiscNumbers) && (anyDisc || !select.usesDiscNumbers),
                   "usesDiscNumbers disagrees with the list of select " + std::to_string(s));
        else
            expect(live == 0 && !anyDisc && select.size == 0,
                   "select " + std::to_string(s) + " not read but filled");
    }
    for (int i = 0; i < MaxShortcuts; i++) {
        const ShortcutSpec& spec = c.shortcutSpecs[i];
        expect(terminated(spec.target) && terminated(spec.name) && terminated(spec.icon) &&
                   terminated(spec.desktopName),
               "shortcut field not terminated");
        if (i >= c.Shortcuts)
            expect(!spec.target[0] && !spec.name[0] && !spec.icon[0] && !spec.desktopName[0],
                   "shortcut " + std::to_string(i) + " not read but filled");
    }
    expect(isFlag(c.UseCompanyNameForShortcutGroup) && isFlag(c.ChooseSaveDataFolder) &&
               isFlag(c.StopInstallToProgramFiles) && isFlag(c.Debug_OutputSetupLog) &&
               isFlag(c.addOnMode) && isFlag(c.managedSaveData),
           "a flag is not 0 or 1");
    expect(c.managedSaveData ==
               (memcmp(c.GameClass, ManagedSaveDataPrefix, ManagedSaveDataPrefixLength) == 0),
           "managedSaveData disagrees with GameClass");
}

struct RunTally {
    long long cases = 0;
    long long accepted = 0;
    long long failures = 0;
    DWORD startMs = 0;
};

class IniMutation : public ::testing::Test {
protected:
    std::string folder;
    BoxWatcher watcher;
    MutationSettings settings;
    RunTally tally;

    void SetUp() override
    {
        resetInstallSession();
        installCaseGuard(20000);
        settings = mutationSettings();
        folder = makeTempFolder("ini-mutation");
        startBoxWatcher(&watcher, IDOK);
        tally.startMs = GetTickCount();
    }
    void TearDown() override
    {
        stopBoxWatcher(&watcher);
        removeTree(folder);
        DWORD elapsed = GetTickCount() - tally.startMs;
        printf(
            "[ mutation ] %s: %lld cases, %lld accepted, %lld rejected, %lld faulty, "
            "%.1f s, %.0f cases/s\n",
            ::testing::UnitTest::GetInstance()->current_test_info()->name(), tally.cases,
            tally.accepted, tally.cases - tally.accepted, tally.failures, elapsed / 1000.0,
            elapsed ? tally.cases * 1000.0 / elapsed : 0.0);
        fflush(stdout);
    }

    // Loads one file through the loader and judges the outcome.
    void runCase(long long index, const std::string& bytes, const std::string& what)
    {
        if (!caseSelected(settings, index))
            return;
        std::string path = joinPath(folder, "case-" + std::to_string(index) + ".ini");
        ASSERT_TRUE(writeFileBytes(path, bytes));
        ASSERT_TRUE(copyText(session.iniPath, sizeof session.iniPath, path.c_str()));
        beginCase("SETUP.INI", index, what);
        bool loaded = loadSetupConfig() != 0;
        endCase();
        std::vector<MessageBoxSeen> boxes = takeBoxes(&watcher);
        DeleteFileA(path.c_str());

        std::vector<std::string> faults;
        if (loaded) {
            if (!boxes.empty())
                faults.push_back("accepted after the box \"" + boxes[0].text + "\"");
            checkAccepted(setupConfig, &faults);
        } else if (boxes.size() != 1) {
            faults.push_back("refused with " + std::to_string(boxes.size()) + " boxes");
        }
        for (const MessageBoxSeen& box : boxes) {
            if (box.caption != "SETUPLIB" || box.owner != NULL)
                faults.push_back("box with caption \"" + box.caption + "\" or an owner");
            if (!loaderMessages().count(box.text))
                faults.push_back("box with a text the loader does not have: \"" + box.text + "\"");
        }
        tally.cases++;
        if (loaded)
            tally.accepted++;
        if (faults.empty())
            return;
        if (++tally.failures <= 20) {
            std::string report;
            for (const std::string& fault : faults)
                report += "\n  " + fault;
            ADD_FAILURE() << "case " << index << " (" << what << "): " << report
                          << "\n  file: " << hexPreview(bytes, 160);
        }
    }
};

// Case numbers of the fixed sweeps and of the random cases do not overlap,
// so that MUTATION_ONLY names one case.
enum { TruncationCases = 0, LineCases = 1000000, RandomCases = 2000000 };

TEST_F(IniMutation, TruncatedAtEveryPosition)
{
    long long index = TruncationCases;
    std::string bytes = render(fullBase());
    for (size_t length = 0; length <= bytes.size(); length++)
        runCase(index++, bytes.substr(0, length), "cut to " + std::to_string(length));
    EXPECT_EQ(0, tally.failures);
}

// Each line of the full configuration in turn: removed, without "=",
// doubled with an odd value, ended by a lead byte, and each odd value of its
// kind.
TEST_F(IniMutation, EveryLineDamagedInEveryWay)
{
    long long index = LineCases;
    IniFile base = fullBase();
    MutationRng rng = caseRng(settings.seed, LineCases);
    for (size_t at = 0; at < base.lines.size(); at++) {
        const std::string key = base.lines[at].key;
        KeyKind kind = kindOf(key);
        std::vector<std::pair<std::string, IniFile>> variants;
        IniFile ini = base;
        ini.lines.erase(ini.lines.begin() + (long)at);
        variants.push_back({"remove " + key, ini});
        ini = base;
        ini.lines[at].hasEquals = false;
        variants.push_back({"no '=' in " + key, ini});
        for (bool before : {true, false}) {
            ini = base;
            IniLine copy = ini.lines[at];
            copy.value = valueFor(&rng, kind);
            ini.lines.insert(ini.lines.begin() + (long)(before ? at : at + 1), copy);
            variants.push_back({"duplicate " + key + (before ? " before" : " after"), ini});
        }
        for (const char* end : {"\r\n", "\n"}) {
            ini = base;
            ini.lineEnd = end;
            ini.lines[at].value += shiftJisLeadByte(&rng);
            variants.push_back({"lead byte ends " + key + " before " + hexPreview(end, 2), ini});
        }
        static const std::vector<std::string> none;
        const std::vector<std::string>& odd =
            kind == CountKey || kind == NumberKey || kind == SizeKey ? oddNumbers
            : kind == FlagKey                                        ? oddFlags
            : kind == ListKey                                        ? oddLists
            : kind == ShortcutKey                                    ? oddShortcuts
            : kind == ExecAppKey                                     ? oddExecApps
                                                                     : none;
        for (const std::string& value : odd) {
            ini = base;
            ini.lines[at].value = value;
            variants.push_back({key + "=" + hexPreview(value, 24), ini});
        }
        for (unsigned length : {20u, 259u, 260u, 1023u, 1024u, 4096u}) {
            ini = base;
            ini.lines[at].value = overlong(&rng, length);
            variants.push_back({key + " of " + std::to_string(length) + " bytes", ini});
        }
        for (const auto& variant : variants)
            runCase(index++, render(variant.second), variant.first);
    }
    EXPECT_EQ(0, tally.failures);
}

TEST_F(IniMutation, RandomDamage)
{
    for (long long n = 0; n < settings.cases; n++) {
        long long index = RandomCases + n;
        MutationRng rng = caseRng(settings.seed, (uint64_t)index);
        unsigned base = randomBelow(&rng, 3);
        IniFile ini = baseNumber(base);
        std::string what = "base " + std::to_string(base);
        unsigned changes = 1 + randomBelow(&rng, 3);
        for (unsigned i = 0; i < changes; i++)
            mutateStructure(&rng, &ini, &what);
        std::string bytes = render(ini);
        if (randomChance(&rng, 40)) {
            unsigned damages = 1 + randomBelow(&rng, 3);
            for (unsigned i = 0; i < damages; i++)
                damageBytes(&rng, &bytes, &what);
        }
        runCase(index, bytes, what);
    }
    EXPECT_EQ(0, tally.failures);
}

}  // namespace
