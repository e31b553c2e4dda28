// The real SETUP.EXE, started from a hard-disk folder, finding its disc on
// fake CD/DVD drives and driven from this process through window messages.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <string.h>

#include <map>
#include <string>

#include "support/setup_process.h"
#include "support/test_files.h"
#include "support/ui_driver.h"

namespace {

const char Title[] = "テスト";
const char Caption[] = "テスト セットアップ";
const int Timeout = 20000;

std::string localIni() { return "[SETUP]\r\nGameTitle=テスト\r\n"; }

std::string discIni(const std::string& extra = "")
{
    return "[SETUP]\r\n"
           "CompanyName=Kestrel\r\n"
           "GameTitle=テスト\r\n"
           "GameDir=TestGame\r\n"
           "GameExe=game.exe\r\n"
           "UninstExe=uninst.exe\r\n"
           "SetupBmp=banner.bmp\r\n"
           "InstallSelects=1\r\n"
           "InstallTitle0=標準\r\n"
           "InstallFiles0=game.exe\r\n"
           "Shortcuts=0\r\n"
           "GameClass=KestrelTestGame\r\n" +
           extra;
}

// A 2 x 2 24-bit banner the welcome page can show.
std::string bannerFile()
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + 16;
    info.biSize = sizeof info;
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(16, '\x7F');
    return bytes;
}

std::map<std::string, std::string> discFiles(const std::string& ini)
{
    return {{"SETUP.INI", ini}, {"game.exe", "MZ game"}, {"add.dat", "add-on"}, {"banner.bmp", bannerFile()}};
}

std::string desktopLog()
{
    char path[MAX_PATH];
    SHGetSpecialFolderPathA(NULL, path, CSIDL_DESKTOPDIRECTORY, TRUE);
    return joinPath(path, "SETUP.log");
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (char letter : {'E', 'F', 'G'}) {
            char root[] = "E:\\";
            root[0] = letter;
            ASSERT_EQ((UINT)DRIVE_CDROM, GetDriveTypeA(root)) << letter << ": is not a CD/DVD drive";
            ejectDisc(letter);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kestrel");
    }
    void TearDown() override
    {
        for (char letter : {'E', 'F', 'G'})
            ejectDisc(letter);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kestrel");
    }
};

TEST_F(Driver, WithoutLocalIniItSaysSoAndEnds)
{
    SetupRun run = startSetup("");
    MessageBoxSeen box = answerMessageBox(IDOK, run.process.dwProcessId, Timeout);
    EXPECT_TRUE(box.seen);
    EXPECT_EQ("SETUP", box.caption);
    EXPECT_EQ("'SETUP.INI' がありません", box.text);
    EXPECT_EQ(0, waitForSetup(&run, Timeout));
}

TEST_F(Driver, WithoutDiscItAsksForDiscOneUntilCancel)
{
    // The hard-disk folder holds a SETUP.INI with the same title: never a source.
    insertDisc('F', discFiles("[SETUP]\r\nGameTitle=別のゲーム\r\n"));
    SetupRun run = startSetup(localIni());
    for (int round = 0; round < 2; round++) {
        MessageBoxSeen box =
            answerMessageBox(round == 0 ? IDOK : IDCANCEL, run.process.dwProcessId, Timeout);
        ASSERT_TRUE(box.seen) << "round " << round;
        EXPECT_EQ("SETUP", box.caption);
        EXPECT_EQ("「テスト」ディスク １ を入れて下さい", box.text);
    }
    EXPECT_EQ(0, waitForSetup(&run, Timeout));
}

HWND waitForWizard(const SetupRun& run)
{
    return waitForDialogWithControl(run.process.dwProcessId, 1000, Timeout);
}

// Ends a wizard that is on screen: Cancel, then the interruption message.
void cancelWizard(SetupRun* run, HWND wizard)
{
    clickButton(wizard, IDCANCEL);
    MessageBoxSeen box = answerMessageBox(IDOK, run->process.dwProcessId, Timeout);
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(Caption, box.caption);
    EXPECT_EQ("インストールが中断されました", box.text);
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(0, waitForSetup(run, Timeout));
}

TEST_F(Driver, DiscInsertedAfterThePromptIsFound)
{
    SetupRun run = startSetup(localIni());
    HWND prompt = waitForWindow(DialogClass, "SETUP", run.process.dwProcessId, Timeout);
    ASSERT_NE(nullptr, prompt);
    insertDisc('G', discFiles(discIni()));
    clickButton(prompt, IDOK);
    HWND wizard = waitForWizard(run);
    ASSERT_NE(nullptr, wizard) << "the wizard did not open";
    cancelWizard(&run, wizard);
}

TEST_F(Driver, LowestLetterWinsAmongDiscsWithTheSameTitle)
{
    // The broken configuration shows its error only when its drive is chosen.
    const std::string broken = "[SETUP]\r\nGameTitle=テスト\r\n";
    struct Case {
        const char* name;
        std::string e, f;
        bool wizardExpected;
    } cases[] = {
        {"valid disc in E:, broken in F:", discIni(), broken, true},
        {"broken disc in E:, valid in F:", broken, discIni(), false},
        {"other title in E:, valid in F:", "[SETUP]\r\nGameTitle=別\r\n", discIni(), true},
    };
    for (const Case& c : cases) {
        insertDisc('E', discFiles(c.e));
        insertDisc('F', discFiles(c.f));
        SetupRun run = startSetup(localIni());
        if (c.wizardExpected) {
            HWND wizard = waitForWizard(run);
            ASSERT_NE(nullptr, wizard) << c.name;
            cancelWizard(&run, wizard);
        } else {
            MessageBoxSeen box = answerMessageBox(IDOK, run.process.dwProcessId, Timeout);
            EXPECT_EQ("SETUPLIB", box.caption) << c.name;
            EXPECT_EQ("SETUP.INI : CompanyName キーが存在しません", box.text) << c.name;
            EXPECT_EQ(0, waitForSetup(&run, Timeout)) << c.name;
        }
    }
}

TEST_F(Driver, SecondInstanceBringsTheFirstToTheFrontAfterResettingTheLog)
{
    insertDisc('E', discFiles(discIni("Debug_OutputSetupLog=1\r\n")));
    ASSERT_TRUE(writeFileBytes(desktopLog(), "lines of an earlier run\r\n"));
    HWND first = CreateWindowExA(0, (LPCSTR)WC_DIALOG, Caption, WS_POPUP | WS_CAPTION, 0, 0, 200,
                                 100, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, first);
    ASSERT_FALSE(IsWindowVisible(first));
    SetupRun run = startSetup(localIni());
    EXPECT_EQ(1, waitForSetup(&run, Timeout));
    EXPECT_TRUE(IsWindowVisible(first));
    std::string log = readFileBytes(desktopLog());
    ASSERT_EQ(26u + strlen("ログ記録開始") + 2, log.size()) << log;
    EXPECT_EQ("ログ記録開始\r\n", log.substr(26));
    DestroyWindow(first);
    DeleteFileA(desktopLog().c_str());
}

LRESULT CALLBACK gameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Driver, RunningGameIsBroughtToTheFront)
{
    WNDCLASSA gameClass = {};
    gameClass.lpfnWndProc = gameWindowProc;
    gameClass.lpszClassName = "KestrelTestGame";
    RegisterClassA(&gameClass);
    struct Case {
        const char* name;
        std::string extra;
        bool addOnMessage;
    } cases[] = {
        {"full installation", "", false},
        {"add-on mode", "InstallAfterAdd=1\r\nInstallAddFiles=add.dat\r\n", true},
    };
    for (const Case& c : cases) {
        insertDisc('E', discFiles(discIni(c.extra)));
        HWND game = CreateWindowA("KestrelTestGame", Title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  NULL, NULL, NULL, NULL);
        ASSERT_NE(nullptr, game);
        SetupRun run = startSetup(localIni());
        if (c.addOnMessage) {
            MessageBoxSeen box = answerMessageBox(IDOK, run.process.dwProcessId, Timeout);
            EXPECT_EQ(Caption, box.caption) << c.name;
            EXPECT_EQ("追加データをインストールをする場合は、ゲームを終了して下さい", box.text)
                << c.name;
        }
        EXPECT_EQ(1, waitForSetup(&run, Timeout)) << c.name;
        EXPECT_TRUE(IsWindowVisible(game)) << c.name;
        DestroyWindow(game);
    }
}

void writeInstallRecord(const std::string& folder)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kestrel\\TestGame", 0,
                                             NULL, 0, KEY_WRITE, NULL, &key, NULL));
    RegSetValueExA(key, "InstPath", 0, REG_SZ, (const BYTE*)folder.c_str(),
                   (DWORD)folder.size() + 1);
    RegCloseKey(key);
}

TEST_F(Driver, InstalledGameIsStartedInsteadOfInstalling)
{
    std::string root = makeTempFolder("installed");
    std::string folder = root + "\\Kestrel\\TestGame";
    CreateDirectoryA((root + "\\Kestrel").c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_TRUE(CopyFileA(hostPath(RECORDER_EXE_UNIX_PATH).c_str(),
                          (folder + "\\game.exe").c_str(), FALSE));
    writeInstallRecord(folder);
    insertDisc('E', discFiles(discIni()));
    SetupRun run = startSetup(localIni());
    EXPECT_EQ(1, waitForSetup(&run, Timeout));
    std::string ran = folder + "\\game.exe.ran";
    for (int i = 0; i < 200 && !fileExists(ran); i++)
        Sleep(50);
    EXPECT_TRUE(fileExists(ran)) << "the installed game was not started";

    // Without the program the player is told, and still nothing is installed.
    DeleteFileA((folder + "\\game.exe").c_str());
    run = startSetup(localIni());
    MessageBoxSeen box = answerMessageBox(IDOK, run.process.dwProcessId, Timeout);
    EXPECT_EQ(Caption, box.caption);
    EXPECT_EQ("インストール先のプログラムを起動出来ません", box.text);
    EXPECT_EQ(1, waitForSetup(&run, Timeout));
    removeTree(root);
}

TEST_F(Driver, MalformedInstallRecordsMeanNotInstalled)
{
    // An add-on record too short to hold "\Kestrel\TestGame", and an empty
    // record: both run the wizard of a full installation.
    for (const char* recorded : {"C:\\x", ""}) {
        writeInstallRecord(recorded);
        insertDisc('E', discFiles(discIni("InstallAfterAdd=1\r\nInstallAddFiles=add.dat\r\n")));
        SetupRun run = startSetup(localIni());
        HWND wizard = waitForWizard(run);
        ASSERT_NE(nullptr, wizard) << "record \"" << recorded << "\"";
        cancelWizard(&run, wizard);
    }
}

}  // namespace

namespace {

// A wizard cancelled before any copy deletes nothing: not an earlier
// installation of the add-on entries, not a folder of the install folder's
// name on the current drive (installRoot is still empty then).
TEST_F(Driver, CancelBeforeTheCopyDeletesNothing)
{
    std::string root = makeTempFolder("earlier");
    std::string folder = root + "\\Kestrel\\TestGame";
    CreateDirectoryA((root + "\\Kestrel").c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_TRUE(writeFileBytes(folder + "\\add.dat", "earlier add-on"));
    const std::string currentDrive = "C:\\Kestrel\\TestGame";
    CreateDirectoryA("C:\\Kestrel", NULL);
    CreateDirectoryA(currentDrive.c_str(), NULL);
    ASSERT_TRUE(writeFileBytes(currentDrive + "\\save.dat", "player's save"));

    struct Case {
        const char* name;
        std::string extra;
        bool record;
    } cases[] = {
        {"add-on mode over an installation", "InstallAfterAdd=1\r\nInstallAddFiles=add.dat\r\n", true},
        {"full installation", "", false},
    };
    for (const Case& c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kestrel");
        if (c.record)
            writeInstallRecord(folder);
        insertDisc('E', discFiles(discIni(c.extra)));
        SetupRun run = startSetup(localIni());
        HWND wizard = waitForWizard(run);
        ASSERT_NE(nullptr, wizard) << c.name;
        cancelWizard(&run, wizard);
        EXPECT_EQ("earlier add-on", readFileBytes(folder + "\\add.dat")) << c.name;
        EXPECT_EQ("player's save", readFileBytes(currentDrive + "\\save.dat")) << c.name;
    }
    removeTree("C:\\Kestrel");
    removeTree(root);
}

}  // namespace
