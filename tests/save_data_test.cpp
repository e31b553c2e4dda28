// Save-data folder locations against the real special folders of the Wine
// prefix and real folders on disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include <string>

#include "install/save_data_folder.h"
#include "setup/config.h"
#include "setup/session.h"
#include "support/test_files.h"

namespace {

std::string specialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(NULL, path, csidl, FALSE))
        return std::string();
    return path;
}

std::string composed(int create)
{
    char path[MAX_PATH];
    memset(path, 'z', sizeof path);
    saveDataFolderPath(path, create);
    return path;
}

class SaveDataFolder : public ::testing::Test {
protected:
    std::string temp;
    std::string company;
    std::string profile;
    std::string savedGames;
    std::string savedGamesAside;  // where an existing "Saved Games" waits

    void SetUp() override
    {
        resetInstallSession();
        memset(&setupConfig, 0, sizeof setupConfig);
        temp = makeTempFolder("save");
        // A company name of this process only: the special folders are shared.
        company = "KestrelSave" + std::to_string(GetCurrentProcessId());
        strcpy(setupConfig.CompanyName, company.c_str());
        strcpy(setupConfig.GameDir, "TestGame");
        strcpy(setupConfig.SaveDataFolderNameInInstall, "savedata");
        strcpy(setupConfig.SaveDataFolderName, "Test Save");
        profile = specialFolder(CSIDL_PROFILE);
        ASSERT_FALSE(profile.empty());
        savedGames = joinPath(profile, "Saved Games");
    }

    void TearDown() override
    {
        removeTree(temp);
        removeTree(joinPath(specialFolder(CSIDL_PERSONAL), company));
        removeTree(joinPath(savedGames, company));
        if (!savedGamesAside.empty()) {
            removeTree(savedGames);
            MoveFileA(savedGamesAside.c_str(), savedGames.c_str());
        }
    }

    // The profile without "Saved Games" for the rest of the test.
    void hideSavedGames()
    {
        if (folderExists(savedGames)) {
            savedGamesAside = savedGames + "-" + company;
            ASSERT_TRUE(MoveFileA(savedGames.c_str(), savedGamesAside.c_str()));
        }
        ASSERT_FALSE(folderExists(savedGames));
    }

    // Creates the folder as the copy start's test does, then removes it.
    std::string createAndRemove()
    {
        std::string path = composed(1);
        EXPECT_TRUE(folderExists(path)) << path;
        removeSaveDataFolder();
        return path;
    }
};

struct CompositionCase {
    const char* name;
    SaveDataMode mode;
    const char* installRoot;
    int base;             // CSIDL of the special folder in front, or -1 for none
    const char* rest;     // appended to the special folder
    const char* expected; // the whole path when there is no special folder
};

const CompositionCase compositionCases[] = {
    {"install folder", SaveDataInInstallFolder, "D:\\Games", -1, "",
     "D:\\Games\\@\\TestGame\\savedata"},
    {"root with trailing backslash", SaveDataInInstallFolder, "D:\\", -1, "",
     "D:\\@\\TestGame\\savedata"},
    {"folder with trailing backslash", SaveDataInInstallFolder, "D:\\Games\\", -1, "",
     "D:\\Games\\@\\TestGame\\savedata"},
    // 表 is 0x95 0x5C: its second byte is no separator.
    {"double-byte root ending in 0x5C", SaveDataInInstallFolder, "D:\\表", -1, "",
     "D:\\表\\@\\TestGame\\savedata"},
    {"documents", SaveDataMyDocuments, "D:\\Games", CSIDL_PERSONAL, "\\@\\Test Save", ""},
    {"saved games", SaveDataSavedGames, "D:\\Games", CSIDL_PROFILE,
     "\\Saved Games\\@\\Test Save", ""},
    {"empty install root", SaveDataInInstallFolder, "", -1, "", ""},
    {"unknown mode", (SaveDataMode)3, "D:\\Games", -1, "", ""},
};

// "@" in a case stands for the company name of this process.
std::string withCompany(std::string text, const std::string& company)
{
    size_t at = text.find('@');
    if (at != std::string::npos)
        text.replace(at, 1, company);
    return text;
}

TEST_F(SaveDataFolder, ComposesThePathOfEachMode)
{
    for (const CompositionCase& c : compositionCases) {
        session.saveDataMode = c.mode;
        strcpy(session.installRoot, c.installRoot);
        std::string expected = c.base < 0 ? withCompany(c.expected, company)
                                          : specialFolder(c.base) + withCompany(c.rest, company);
        EXPECT_EQ(expected, composed(0)) << c.name;
        EXPECT_EQ(0u, session.saveDataCreatedLevels) << c.name;
    }
}

TEST_F(SaveDataFolder, NamesDefaultToSavedataAndTheGameFolder)
{
    std::string ini = joinPath(temp, "SETUP.INI");
    ASSERT_TRUE(writeFileBytes(ini, "[SETUP]\r\nCompanyName=Co\r\nGameTitle=Game\r\n"
                                    "GameDir=Game Dir\r\nGameExe=g.exe\r\nUninstExe=u.exe\r\n"
                                    "SetupBmp=b.bmp\r\nInstallSelects=1\r\nInstallTitle0=t\r\n"
                                    "InstallFiles0=g.exe\r\nShortcuts=0\r\n"));
    strcpy(session.iniPath, ini.c_str());
    ASSERT_TRUE(loadSetupConfig());

    strcpy(session.installRoot, "D:\\Games");
    session.saveDataMode = SaveDataInInstallFolder;
    EXPECT_EQ("D:\\Games\\Co\\Game Dir\\savedata", composed(0));
    session.saveDataMode = SaveDataMyDocuments;
    EXPECT_EQ(specialFolder(CSIDL_PERSONAL) + "\\Co\\Game Dir", composed(0));
    session.saveDataMode = SaveDataSavedGames;
    EXPECT_EQ(profile + "\\Saved Games\\Co\\Game Dir", composed(0));
}

TEST_F(SaveDataFolder, ComposingWithoutCreateCreatesNothing)
{
    hideSavedGames();
    strcpy(session.installRoot, joinPath(temp, "root").c_str());
    const SaveDataMode modes[] = {SaveDataInInstallFolder, SaveDataMyDocuments,
                                  SaveDataSavedGames};
    for (SaveDataMode mode : modes) {
        session.saveDataMode = mode;
        std::string path = composed(0);
        EXPECT_FALSE(path.empty()) << "mode " << mode;
        EXPECT_FALSE(folderExists(path)) << path;
    }
    EXPECT_FALSE(folderExists(session.installRoot));
    EXPECT_FALSE(folderExists(joinPath(specialFolder(CSIDL_PERSONAL), company)));
    EXPECT_FALSE(folderExists(savedGames));
}

TEST_F(SaveDataFolder, CreatesEveryLevelAndRemovesWhatItCreated)
{
    struct Case {
        SaveDataMode mode;
        std::string top;  // the highest level the test creation makes
        unsigned int levels;
    };
    std::string root = joinPath(temp, "root");
    const Case cases[] = {
        {SaveDataInInstallFolder, root, 0xF},
        {SaveDataMyDocuments, joinPath(specialFolder(CSIDL_PERSONAL), company), 0x3},
        {SaveDataSavedGames, joinPath(savedGames, company), 0x6},
    };
    ASSERT_TRUE(folderExists(savedGames)) << "the prefix has no Saved Games folder";
    strcpy(session.installRoot, root.c_str());
    for (const Case& c : cases) {
        session.saveDataMode = c.mode;
        std::string path = composed(1);
        EXPECT_TRUE(folderExists(path)) << path;
        EXPECT_EQ(c.levels, session.saveDataCreatedLevels) << path;
        removeSaveDataFolder();
        EXPECT_FALSE(folderExists(c.top)) << c.top;
        EXPECT_EQ(0u, session.saveDataCreatedLevels) << path;
    }
    EXPECT_TRUE(folderExists(temp));
    EXPECT_TRUE(folderExists(savedGames));
}

TEST_F(SaveDataFolder, MissingParentOfTheInstallRootCreatesNothing)
{
    std::string root = joinPath(joinPath(temp, "missing"), "root");
    strcpy(session.installRoot, root.c_str());
    session.saveDataMode = SaveDataInInstallFolder;
    EXPECT_EQ(root + "\\" + company + "\\TestGame\\savedata", composed(1));
    EXPECT_FALSE(folderExists(joinPath(temp, "missing")));
    EXPECT_EQ(0u, session.saveDataCreatedLevels);
    removeSaveDataFolder();
    EXPECT_TRUE(folderExists(temp));
}

TEST_F(SaveDataFolder, FoldersThatExistedBeforeStay)
{
    struct Case {
        const char* name;
        SaveDataMode mode;
        std::string before;    // created by the test beforehand
        std::string file;      // a file put there too, when not empty
        std::string expectGone;
    };
    std::string root = joinPath(temp, "root");
    std::string documents = joinPath(specialFolder(CSIDL_PERSONAL), company);
    const Case cases[] = {
        {"empty install root", SaveDataInInstallFolder, root, "", joinPath(root, company)},
        {"install root with files", SaveDataInInstallFolder, root, "readme.txt",
         joinPath(root, company)},
        {"empty company folder in the install root", SaveDataInInstallFolder,
         joinPath(root, company), "", joinPath(joinPath(root, company), "TestGame")},
        {"empty company folder in documents", SaveDataMyDocuments, documents, "",
         joinPath(documents, "Test Save")},
        {"save-data folder with a save", SaveDataInInstallFolder,
         root + "\\" + company + "\\TestGame\\savedata", "save.dat", ""},
    };
    strcpy(session.installRoot, root.c_str());
    for (const Case& c : cases) {
        removeTree(root);
        removeTree(documents);
        ASSERT_EQ(0, SHCreateDirectoryExA(NULL, c.before.c_str(), NULL)) << c.name;
        if (!c.file.empty()) {
            ASSERT_TRUE(writeFileBytes(joinPath(c.before, c.file), "kept")) << c.name;
        }
        session.saveDataMode = c.mode;
        createAndRemove();
        EXPECT_TRUE(folderExists(c.before)) << c.name;
        if (!c.file.empty()) {
            EXPECT_EQ("kept", readFileBytes(joinPath(c.before, c.file))) << c.name;
        }
        if (!c.expectGone.empty()) {
            EXPECT_FALSE(folderExists(c.expectGone)) << c.name;
        }
    }
}

TEST_F(SaveDataFolder, FolderThatIsNotEmptyStaysWithEverythingAbove)
{
    std::string root = joinPath(temp, "root");
    strcpy(session.installRoot, root.c_str());
    session.saveDataMode = SaveDataInInstallFolder;
    std::string path = composed(1);
    ASSERT_TRUE(writeFileBytes(joinPath(path, "save.dat"), "x"));
    removeSaveDataFolder();
    EXPECT_TRUE(fileExists(joinPath(path, "save.dat")));
    EXPECT_TRUE(folderExists(root));
}

TEST_F(SaveDataFolder, MissingSavedGamesIsCreatedAndStays)
{
    hideSavedGames();
    session.saveDataMode = SaveDataSavedGames;
    std::string path = createAndRemove();
    EXPECT_EQ(savedGames + "\\" + company + "\\Test Save", path);
    EXPECT_TRUE(folderExists(savedGames));
    EXPECT_FALSE(folderExists(joinPath(savedGames, company)));
}

TEST_F(SaveDataFolder, PathThatDoesNotFitStopsTheComposition)
{
    // The root fits, the root and the company name do not.
    std::string root = joinPath(temp, std::string(230 - temp.size(), 'r'));
    std::string longCompany(40, 'c');
    strcpy(setupConfig.CompanyName, longCompany.c_str());
    strcpy(session.installRoot, root.c_str());
    session.saveDataMode = SaveDataInInstallFolder;
    EXPECT_EQ("", composed(0));
    EXPECT_EQ("", composed(1));
    EXPECT_TRUE(folderExists(root));
    EXPECT_EQ(0x1u, session.saveDataCreatedLevels);
    removeSaveDataFolder();
    EXPECT_FALSE(folderExists(root));
}

}  // namespace
