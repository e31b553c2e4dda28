// The SETUP.INI loader against real files read through the real profile
// functions, with its error boxes read from the screen.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "setup/config.h"
#include "setup/session.h"
#include "support/test_files.h"
#include "support/ui_driver.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> IniLines;

// A complete, valid configuration.
IniLines baseLines()
{
    return {
        {"CompanyName", "Kestrel"},
        {"GameTitle", "テストゲーム"},
        {"GameDir", "TestGame"},
        {"GameExe", "game.exe"},
        {"UninstExe", "uninst.exe"},
        {"SetupBmp", "banner1.bmp,banner2.bmp"},
        {"InstallSelects", "2"},
        {"InstallTitle0", "標準インストール"},
        {"InstallFiles0", "game.exe,data"},
        {"InstallTitle1", "最小インストール"},
        {"InstallFiles1", "game.exe"},
        {"Shortcuts", "1"},
        {"Shortcut0", "game.exe,テストゲーム"},
    };
}

const char* const Removed = "\x01removed";

// Edits replace a key in place, remove it (value Removed) or append it.
std::string iniText(const IniLines& edits)
{
    IniLines lines = baseLines();
    for (const auto& edit : edits) {
        bool found = false;
        for (auto& line : lines)
            if (line.first == edit.first) {
                line.second = edit.second;
                found = true;
            }
        if (!found)
            lines.push_back(edit);
    }
    std::string text = "[SETUP]\r\n";
    for (const auto& line : lines)
        if (line.second != Removed)
            text += line.first + "=" + line.second + "\r\n";
    return text;
}

struct LoadOutcome {
    bool loaded;
    MessageBoxSeen box;
};

class ConfigLoader : public ::testing::Test {
protected:
    std::string folder;

    void SetUp() override
    {
        resetInstallSession();
        folder = makeTempFolder("ini");
    }
    void TearDown() override { removeTree(folder); }

    LoadOutcome loadText(const std::string& text)
    {
        std::string path = joinPath(folder, "SETUP.INI");
        EXPECT_TRUE(writeFileBytes(path, text));
        strcpy(session.iniPath, path.c_str());
        MessageBoxAnswerer answerer;
        startAnswering(&answerer, IDOK, 10000);
        bool loaded = loadSetupConfig() != 0;
        return LoadOutcome{loaded, finishAnswering(&answerer)};
    }
    LoadOutcome load(const IniLines& edits) { return loadText(iniText(edits)); }
};

struct ErrorCase {
    const char* name;
    IniLines edits;
    const char* message;
};

const std::string longItem(300, 'n');

const ErrorCase errorCases[] = {
    {"empty required key", {{"GameExe", ""}}, "SETUP.INI : GameExe キーが存在しません"},
    {"first key missing", {{"CompanyName", Removed}}, "SETUP.INI : CompanyName キーが存在しません"},
    {"uninstaller missing", {{"UninstExe", Removed}}, "SETUP.INI : UninstExe キーが存在しません"},
    {"banner list missing", {{"SetupBmp", Removed}}, "SETUP.INI : SetupBmp キーが存在しません"},
    {"banner list without first item", {{"SetupBmp", ",a.bmp"}}, "SETUP.INI : SetupBmps エラー"},
    {"banner name too long", {{"SetupBmp", "a.bmp," + longItem}}, "SETUP.INI : SetupBmps エラー"},
    {"select count missing", {{"InstallSelects", Removed}},
     "SETUP.INI : InstallSelects キーが存在しません"},
    {"five selects", {{"InstallSelects", "5"}, {"Shortcuts", "11"}},
     "SETUP.INI : InstallSelect オーバー"},
    {"select title missing", {{"InstallTitle1", Removed}},
     "SETUP.INI : InstallTitle1 キーが存在しません"},
    {"file list missing", {{"InstallFiles1", Removed}},
     "SETUP.INI : InstallFiles1 キーが存在しません"},
    {"file list without first item", {{"InstallFiles0", ",a.dat"}},
     "SETUP.INI : InstallFiles0 エラー"},
    {"file list of blanks and commas", {{"InstallFiles1", " , ,"}},
     "SETUP.INI : InstallFiles1 エラー"},
    {"file name too long", {{"InstallFiles1", "a.dat," + longItem}},
     "SETUP.INI : InstallFiles1 エラー"},
    {"shortcut count missing", {{"Shortcuts", Removed}}, "SETUP.INI : Shortcuts キーが存在しません"},
    {"eleven shortcuts", {{"Shortcuts", "11"}}, "SETUP.INI : Shortcuts オーバー"},
    {"shortcut line missing", {{"Shortcuts", "2"}}, "SETUP.INI : Shortcut1 キーが存在しません"},
    {"shortcut without name", {{"Shortcut0", "game.exe"}}, "SETUP.INI : Shortcut0 エラー"},
    {"shortcut without target", {{"Shortcut0", ",Game"}}, "SETUP.INI : Shortcut0 エラー"},
    {"after-install program without file", {{"ExecApp", "notepad.exe"}},
     "SETUP.INI : ExecApp エラー"},
    {"add-on list missing", {{"InstallAfterAdd", "1"}},
     "SETUP.INI : InstallAddFiles キーが存在しません"},
    {"add-on list without first item", {{"InstallAfterAdd", "1"}, {"InstallAddFiles", ",x"}},
     "SETUP.INI : InstallAddFiles エラー"},
    {"add-on name too long", {{"InstallAfterAdd", "1"}, {"InstallAddFiles", longItem}},
     "SETUP.INI : InstallAddFiles エラー"},
};

TEST_F(ConfigLoader, EachProblemShowsItsMessageAndFails)
{
    for (const ErrorCase& c : errorCases) {
        LoadOutcome outcome = load(c.edits);
        EXPECT_FALSE(outcome.loaded) << c.name;
        ASSERT_TRUE(outcome.box.seen) << c.name << ": no message box";
        EXPECT_EQ("SETUPLIB", outcome.box.caption) << c.name;
        EXPECT_EQ(c.message, outcome.box.text) << c.name;
        EXPECT_EQ(nullptr, outcome.box.owner) << c.name;
    }
}

TEST_F(ConfigLoader, MissingFileReportsTheFirstKey)
{
    strcpy(session.iniPath, joinPath(folder, "NONE.INI").c_str());
    MessageBoxAnswerer answerer;
    startAnswering(&answerer, IDOK, 10000);
    EXPECT_FALSE(loadSetupConfig());
    MessageBoxSeen box = finishAnswering(&answerer);
    EXPECT_EQ("SETUP.INI : CompanyName キーが存在しません", box.text);
}

struct ValueCase {
    const char* name;
    IniLines edits;
    std::function<void(const SetupConfig&)> check;
};


std::string listOf(int count, const char* stem)
{
    std::string list;
    for (int i = 0; i < count; i++)
        list += (i ? "," : "") + std::string(stem) + std::to_string(i);
    return list;
}

const ValueCase valueCases[] = {
    {"required texts and defaults", {},
     [](const SetupConfig& c) {
         EXPECT_STREQ("Kestrel", c.CompanyName);
         EXPECT_STREQ("テストゲーム", c.GameTitle);
         EXPECT_STREQ("TestGame", c.GameDir);
         EXPECT_STREQ("game.exe", c.GameExe);
         EXPECT_STREQ("uninst.exe", c.UninstExe);
         EXPECT_EQ(2, c.bannerCount);
         EXPECT_STREQ("banner2.bmp", c.SetupBmp[1]);
         EXPECT_EQ(2, c.InstallSelects);
         EXPECT_STREQ("最小インストール", c.selects[1].title);
         EXPECT_STREQ("data", c.selects[0].files[1]);
         EXPECT_STREQ("", c.selects[0].files[2]);
         EXPECT_EQ(0u, c.selects[0].size);
         EXPECT_STREQ("テストゲーム", c.shortcutSpecs[0].name);
         EXPECT_STREQ("", c.shortcutSpecs[0].icon);
         EXPECT_STREQ("", c.shortcutSpecs[0].desktopName);
         EXPECT_STREQ("テストゲーム", c.GameClass);
         EXPECT_EQ(0, c.managedSaveData);
         EXPECT_EQ(0, c.DefaultSelect);
         EXPECT_STREQ("", c.DiskCheckFile[0]);
         EXPECT_STREQ("", c.ExecApp[0]);
         EXPECT_STREQ("インストール方法を選択して下さい", c.SelectSetupMessage);
         EXPECT_STREQ("savedata", c.SaveDataFolderNameInInstall);
         EXPECT_STREQ("TestGame", c.SaveDataFolderName);
         EXPECT_STREQ("InstPath", c.StrKeyInstPath);
         EXPECT_STREQ("", c.ShortcutFolder);
         EXPECT_EQ(0, c.UseCompanyNameForShortcutGroup + c.ChooseSaveDataFolder +
                          c.StopInstallToProgramFiles + c.Debug_OutputSetupLog + c.addOnMode +
                          c.InstPathMode);
         EXPECT_STREQ("", c.GameExe64);
     }},
    {"every optional key given",
     {{"GameClass", "KestrelWnd"}, {"DefaultSelect", "1"}, {"InstallSize0", "1000"},
      {"InstallSize1", "2000"}, {"DiskCheckFile1", "disc1.id"}, {"DiskCheckFile9", "disc9.id"},
      {"ExecApp", "notepad.exe,readme.txt,more"}, {"SelectSetupMessage", "選んで下さい"},
      {"UseCompanyNameForShortcutGroup", "1"}, {"ChooseSaveDataFolder", "2"},
      {"SaveDataFolderNameInInstall", "save"}, {"SaveDataFolderName", "TG Save"},
      {"StrKeyInstPath", "Path"}, {"ShortcutFolder", "Kestrel Games"},
      {"StopInstallToProgramFiles", "1"}, {"Debug_OutputSetupLog", "1"}, {"InstPathMode", "3"},
      {"GameExe64", "game64.exe"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("KestrelWnd", c.GameClass);
         EXPECT_EQ(1, c.DefaultSelect);
         EXPECT_EQ(1000u, c.selects[0].size);
         EXPECT_EQ(2000u, c.selects[1].size);
         EXPECT_STREQ("disc1.id", c.DiskCheckFile[1]);
         EXPECT_STREQ("disc9.id", c.DiskCheckFile[9]);
         EXPECT_STREQ("notepad.exe", c.ExecApp[0]);
         EXPECT_STREQ("readme.txt", c.ExecApp[1]);
         EXPECT_STREQ("選んで下さい", c.SelectSetupMessage);
         EXPECT_EQ(1, c.UseCompanyNameForShortcutGroup);
         EXPECT_EQ(1, c.ChooseSaveDataFolder);
         EXPECT_STREQ("save", c.SaveDataFolderNameInInstall);
         EXPECT_STREQ("TG Save", c.SaveDataFolderName);
         EXPECT_STREQ("Path", c.StrKeyInstPath);
         EXPECT_STREQ("Kestrel Games", c.ShortcutFolder);
         EXPECT_EQ(1, c.StopInstallToProgramFiles);
         EXPECT_EQ(1, c.Debug_OutputSetupLog);
         EXPECT_EQ(3, c.InstPathMode);
         EXPECT_STREQ("game64.exe", c.GameExe64);
         EXPECT_EQ(0, c.addOnMode);
     }},
    {"blanks around items", {{"InstallFiles0", "data\\a.dat, data\\b.dat"},
                             {"InstallFiles1", "a.dat ,b.dat"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("data\\a.dat", c.selects[0].files[0]);
         EXPECT_STREQ("data\\b.dat", c.selects[0].files[1]);
         EXPECT_STREQ("a.dat ", c.selects[1].files[0]);
         EXPECT_STREQ("b.dat", c.selects[1].files[1]);
     }},
    {"empty item ends the list", {{"InstallFiles0", "a.dat,,b.dat"}, {"InstallFiles1", "a, ,b"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("a.dat", c.selects[0].files[0]);
         EXPECT_STREQ("", c.selects[0].files[1]);
         EXPECT_STREQ("a", c.selects[1].files[0]);
         EXPECT_STREQ("", c.selects[1].files[1]);
     }},
    {"disc prefixes", {{"InstallFiles1", "1:base.dat,movie,2:extra.dat"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("base.dat", c.selects[1].files[0]);
         EXPECT_STREQ("movie", c.selects[1].files[1]);
         EXPECT_STREQ("extra.dat", c.selects[1].files[2]);
         EXPECT_EQ(1, c.selects[1].discNumbers[0]);
         EXPECT_EQ(1, c.selects[1].discNumbers[1]);
         EXPECT_EQ(2, c.selects[1].discNumbers[2]);
         EXPECT_EQ(1, c.selects[1].usesDiscNumbers);
         EXPECT_EQ(0, c.selects[0].usesDiscNumbers);
         EXPECT_EQ(0, c.selects[0].discNumbers[0]);
     }},
    {"drive-like prefix is cut", {{"InstallFiles0", "C:\\game.dat"}, {"SetupBmp", "C:\\a.bmp"},
                                  {"Shortcut0", "game.exe,Game,C:\\a.ico"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("\\game.dat", c.selects[0].files[0]);
         EXPECT_EQ(0, c.selects[0].discNumbers[0]);
         EXPECT_EQ(0, c.selects[0].usesDiscNumbers);
         EXPECT_STREQ("\\a.bmp", c.SetupBmp[0]);
         EXPECT_STREQ("\\a.ico", c.shortcutSpecs[0].icon);
     }},
    {"prefix before a separator is an empty item", {{"InstallFiles0", "1:,a.dat"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("", c.selects[0].files[0]);
         EXPECT_EQ(1, c.selects[0].discNumbers[0]);
         EXPECT_STREQ("a.dat", c.selects[0].files[1]);
     }},
    {"double-byte names are not split", {{"InstallFiles0", "表\\ソ.dat,表:x"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("表\\ソ.dat", c.selects[0].files[0]);
         // A double-byte first character before a colon is a prefix of disc 0.
         EXPECT_STREQ("x", c.selects[0].files[1]);
     }},
    {"list capacity", {{"InstallFiles0", listOf(41, "f")}, {"SetupBmp", listOf(21, "b")}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("f39", c.selects[0].files[39]);
         EXPECT_EQ(20, c.bannerCount);
         EXPECT_STREQ("b19", c.SetupBmp[19]);
     }},
    {"item of 259 bytes fits", {{"InstallFiles0", std::string(259, 'k')}},
     [](const SetupConfig& c) { EXPECT_EQ(259u, strlen(c.selects[0].files[0])); }},
    {"shortcut fields", {{"Shortcuts", "4"},
                         {"Shortcut1", "game.exe,Game,,Game"},
                         {"Shortcut2", "a,b,,,,d"},
                         {"Shortcut3", "http://example.invalid/,Web,web.ico,Web Desk,extra"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("", c.shortcutSpecs[1].icon);
         EXPECT_STREQ("Game", c.shortcutSpecs[1].desktopName);
         EXPECT_STREQ("d", c.shortcutSpecs[2].desktopName);
         EXPECT_STREQ("", c.shortcutSpecs[2].icon);
         EXPECT_STREQ("http://example.invalid/", c.shortcutSpecs[3].target);
         EXPECT_STREQ("web.ico", c.shortcutSpecs[3].icon);
         EXPECT_STREQ("Web Desk", c.shortcutSpecs[3].desktopName);
     }},
    {"four selects, none and negative counts",
     {{"InstallSelects", "4"}, {"InstallTitle2", "c"}, {"InstallFiles2", "c.dat"},
      {"InstallTitle3", "d"}, {"InstallFiles3", "d.dat"}, {"InstallSize3", "33"},
      {"Shortcuts", "-1"}, {"Shortcut0", Removed}},
     [](const SetupConfig& c) {
         EXPECT_EQ(4, c.InstallSelects);
         EXPECT_STREQ("d.dat", c.selects[3].files[0]);
         EXPECT_EQ(33u, c.selects[3].size);
         EXPECT_EQ(-1, c.Shortcuts);
     }},
    {"no selects reads no select keys",
     {{"InstallSelects", "0"}, {"InstallTitle0", Removed}, {"InstallFiles0", Removed},
      {"InstallSize0", "5"}},
     [](const SetupConfig& c) {
         EXPECT_EQ(0, c.InstallSelects);
         EXPECT_EQ(0u, c.selects[0].size);
     }},
    {"64-bit sizes", {{"InstallSize0", "12345678901234567890"}, {"InstallSize1", "6442450944"}},
     [](const SetupConfig& c) {
         EXPECT_EQ(1234567890123456789ull, c.selects[0].size);
         EXPECT_EQ(6442450944ull, c.selects[1].size);
     }},
    {"odd sizes", {{"InstallSize0", "-5"}, {"InstallSize1", "9999999999999999999"}},
     [](const SetupConfig& c) {
         EXPECT_EQ(0u, c.selects[0].size);  // measured from the disc instead
         EXPECT_EQ(9223372036854775807ull, c.selects[1].size);
     }},
    {"odd integers", {{"DefaultSelect", "7"}, {"InstPathMode", "x1"},
                      {"ChooseSaveDataFolder", "0"}, {"StopInstallToProgramFiles", "abc"},
                      {"UseCompanyNameForShortcutGroup", "-2"}},
     [](const SetupConfig& c) {
         EXPECT_EQ(7, c.DefaultSelect);  // kept; the wizard decides
         EXPECT_EQ(0, c.InstPathMode);
         EXPECT_EQ(0, c.ChooseSaveDataFolder);
         EXPECT_EQ(0, c.StopInstallToProgramFiles);
         EXPECT_EQ(1, c.UseCompanyNameForShortcutGroup);
     }},
    {"huge integers saturate", {{"DefaultSelect", "99999999999"}, {"InstPathMode", "-99999999999"}},
     [](const SetupConfig& c) {
         EXPECT_EQ(2147483647, c.DefaultSelect);
         EXPECT_EQ(-2147483647 - 1, c.InstPathMode);
     }},
    {"quotes and blanks are removed by the profile reader",
     {{"GameDir", "  \"Test Game\"  "}, {"GameExe", "\"game.exe\""}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("Test Game", c.GameDir);
         EXPECT_STREQ("Test Game", c.SaveDataFolderName);
         EXPECT_STREQ("game.exe", c.GameExe);
     }},
    {"reserved prefix in the class", {{"GameClass", "【保存】Kestrel"}},
     [](const SetupConfig& c) { EXPECT_EQ(1, c.managedSaveData); }},
    {"reserved prefix in the title", {{"GameTitle", "【保存】Game"}},
     [](const SetupConfig& c) {
         EXPECT_STREQ("【保存】Game", c.GameClass);
         EXPECT_EQ(1, c.managedSaveData);
     }},
    {"prefix incomplete or later", {{"GameClass", "【保存"}, {"GameTitle", "x【保存】"}},
     [](const SetupConfig& c) { EXPECT_EQ(0, c.managedSaveData); }},
    {"add-on keys ignored without add-on mode",
     {{"InstallAfterAdd", "0"}, {"InstallAddFiles", ",bad"}, {"InstallAddSize", "9"}},
     [](const SetupConfig& c) {
         EXPECT_EQ(0, c.addOnMode);
         EXPECT_STREQ("", c.selects[3].files[0]);
         EXPECT_EQ(0u, c.selects[3].size);
     }},
    {"add-on list in slot 3",
     {{"InstallSelects", "4"}, {"InstallTitle2", "c"}, {"InstallFiles2", "c.dat"},
      {"InstallTitle3", "d"}, {"InstallFiles3", "d0,d1,d2"}, {"InstallSize3", "33"},
      {"InstallAfterAdd", "1"}, {"InstallAddFiles", "2:add.dat"},
      {"InstallAddSize", "4294967296"}},
     [](const SetupConfig& c) {
         EXPECT_EQ(1, c.addOnMode);
         EXPECT_STREQ("d", c.selects[3].title);
         EXPECT_STREQ("add.dat", c.selects[3].files[0]);
         EXPECT_STREQ("", c.selects[3].files[1]);
         EXPECT_EQ(2, c.selects[3].discNumbers[0]);
         EXPECT_EQ(1, c.selects[3].usesDiscNumbers);
         EXPECT_EQ(4294967296ull, c.selects[3].size);
     }},
};

TEST_F(ConfigLoader, AcceptedConfigurationsAreStoredAsWritten)
{
    for (const ValueCase& c : valueCases) {
        SCOPED_TRACE(c.name);
        LoadOutcome outcome = load(c.edits);
        EXPECT_TRUE(outcome.loaded);
        EXPECT_FALSE(outcome.box.seen) << outcome.box.text;
        if (outcome.loaded)
            c.check(setupConfig);
    }
}

TEST_F(ConfigLoader, KeyAndSectionNamesIgnoreCase)
{
    std::string text = iniText({});
    text.replace(text.find("[SETUP]"), 7, "[setup]");
    text.replace(text.find("GameDir="), 8, "GAMEDIR=");
    LoadOutcome outcome = loadText(text);
    EXPECT_TRUE(outcome.loaded);
    EXPECT_STREQ("TestGame", setupConfig.GameDir);
}

TEST(ListGrammar, CursorStaysOnTheTerminatorAndNeverPassesIt)
{
    char item[MAX_PATH];
    const char value[] = "a.dat";
    const char* cursor = value;
    ASSERT_EQ(ListItemFound, nextListItem(item, &cursor));
    EXPECT_EQ(value + 5, cursor);
    EXPECT_EQ(ListItemNone, nextListItem(item, &cursor));
    EXPECT_EQ(value + 5, cursor);

    const char lines[] = "a\r\nb";
    cursor = lines;
    ASSERT_EQ(ListItemFound, nextListItem(item, &cursor));
    EXPECT_EQ(lines + 2, cursor);  // just after the CR
    EXPECT_EQ(ListItemNone, nextListItem(item, &cursor));

    std::string tooLong(MAX_PATH, 'z');
    strcpy(item, "kept");
    cursor = tooLong.c_str();
    EXPECT_EQ(ListItemTooLong, nextListItem(item, &cursor));
    EXPECT_STREQ("kept", item);
}

}  // namespace
