// Path, file and process helpers against the real file system under Wine.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "setup/support.h"
#include "support/test_files.h"

namespace {

// The names in a folder, in the order the file system lists them.
std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

struct AppendCase {
    const char* name;
    const char* path;
    const char* component;
    const char* expected;
};

const AppendCase appendCases[] = {
    {"plain join", "C:\\Games", "Co", "C:\\Games\\Co"},
    {"trailing backslash kept single", "C:\\Games\\", "Co", "C:\\Games\\Co"},
    {"drive root", "C:\\", "SETUP.INI", "C:\\SETUP.INI"},
    {"empty path", "", "SETUP.log", "\\SETUP.log"},
    {"component with leading backslash", "C:\\Games", "\\Co", "C:\\Games\\\\Co"},
    // 表 is 0x95 0x5C: its second byte is not a separator.
    {"double-byte character ending in 0x5C", "C:\\\x95\x5C", "Co", "C:\\\x95\x5C\\Co"},
    {"single-byte katakana before backslash", "C:\\\xB1\\", "Co", "C:\\\xB1\\Co"},
    {"lone lead byte at the end", "C:\\\x95", "Co", "C:\\\x95\\Co"},
};

TEST(AppendPath, JoinsWithOneBackslashAndDoubleNul)
{
    for (const AppendCase& c : appendCases) {
        char path[MAX_PATH];
        memset(path, 'x', sizeof path);
        strcpy(path, c.path);
        ASSERT_TRUE(appendPath(path, sizeof path, c.component)) << c.name;
        EXPECT_STREQ(c.expected, path) << c.name;
        EXPECT_EQ('\0', path[strlen(c.expected) + 1]) << c.name << ": second NUL";
    }
}

TEST(AppendPath, RefusesToOverflowAndLeavesThePathUnchanged)
{
    char path[16];
    strcpy(path, "C:\\abcdefghij");  // 13 characters
    // 13 + "\" + "x" + two NULs = 17 > 16
    EXPECT_FALSE(appendPath(path, sizeof path, "x"));
    EXPECT_STREQ("C:\\abcdefghij", path);
    // 12 + "\" + "x" + two NULs = 16 fits exactly
    strcpy(path, "C:\\abcdefghi");
    EXPECT_TRUE(appendPath(path, sizeof path, "x"));
    EXPECT_STREQ("C:\\abcdefghi\\x", path);
    EXPECT_EQ('\0', path[15]);
}

TEST(CopyText, RefusesTextsThatDoNotFit)
{
    char out[4] = "ab";
    EXPECT_TRUE(copyText(out, sizeof out, "xyz"));
    EXPECT_STREQ("xyz", out);
    EXPECT_FALSE(copyText(out, sizeof out, "wxyz"));
    EXPECT_STREQ("xyz", out);
}

TEST(FormatText, CutsAtTheBufferWithoutSplittingACharacter)
{
    char out[8];
    EXPECT_TRUE(formatText(out, sizeof out, "%s-%i", "ab", 42));
    EXPECT_STREQ("ab-42", out);
    EXPECT_TRUE(formatText(out, sizeof out, "%s", "1234567"));
    EXPECT_STREQ("1234567", out);
    EXPECT_FALSE(formatText(out, sizeof out, "%s", "12345678"));
    EXPECT_STREQ("1234567", out);
    // "123456" then 表 (two bytes) does not fit: the lead byte is dropped.
    EXPECT_FALSE(formatText(out, sizeof out, "%s", "123456\x95\x5C"));
    EXPECT_STREQ("123456", out);
}

TEST(CreateDirectoryTree, CreatesMissingLevelsAndReportsExisting)
{
    std::string root = makeTempFolder("tree");
    std::string deep = root + "\\a\\b\\c";
    EXPECT_EQ(0u, createDirectoryTree(deep.c_str()));
    EXPECT_TRUE(folderExists(root + "\\a\\b"));
    EXPECT_TRUE(folderExists(deep));

    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, createDirectoryTree(deep.c_str()));
    std::string file = root + "\\file.txt";
    ASSERT_TRUE(writeFileBytes(file, "x"));
    EXPECT_EQ((DWORD)ERROR_FILE_EXISTS, createDirectoryTree(file.c_str()));

    // 表 ends in 0x5C: the folder must be created whole, not split at it.
    std::string kanji = root + "\\\x95\x5C\\sub";
    EXPECT_EQ(0u, createDirectoryTree(kanji.c_str()));
    EXPECT_TRUE(folderExists(kanji));
    EXPECT_EQ(std::vector<std::string>({"a", "file.txt", "\x95\x5C"}), folderEntries(root));
    removeTree(root);
}

TEST(CreateDirectoryTree, RefusesAPathLongerThanMaxPath)
{
    std::string root = makeTempFolder("long");
    std::string path = root + "\\" + std::string(120, 'a') + "\\" + std::string(140, 'b');
    ASSERT_GE(path.size(), (size_t)MAX_PATH);
    EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, createDirectoryTree(path.c_str()));
    EXPECT_FALSE(folderExists(root + "\\" + std::string(120, 'a')));
    removeTree(root);
}

TEST(LoadWholeFile, ReadsTheWholeFileAndItsSize)
{
    std::string root = makeTempFolder("whole");
    std::string file = root + "\\data.bin";
    std::string bytes("ab\0cd\r\n", 7);
    ASSERT_TRUE(writeFileBytes(file, bytes));
    DWORD size = 0;
    void* block = loadWholeFile(file.c_str(), &size);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(7u, size);
    EXPECT_EQ(0, memcmp(bytes.data(), block, 7));
    GlobalFree(block);

    ASSERT_TRUE(writeFileBytes(root + "\\empty.bin", ""));
    block = loadWholeFile((root + "\\empty.bin").c_str(), &size);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0u, size);
    GlobalFree(block);
    removeTree(root);
}

TEST(LoadWholeFile, MissingFileGivesNullAndLeavesNothingOpen)
{
    std::string root = makeTempFolder("missing");
    EXPECT_EQ(nullptr, loadWholeFile((root + "\\none.bin").c_str(), NULL));
    // The folder can be removed at once: no handle inside it stayed open.
    removeTree(root);
    EXPECT_FALSE(folderExists(root));
}

TEST(RunCommandLine, StartsAProgramWithoutWaiting)
{
    std::string root = makeTempFolder("run");
    std::string made = root + "\\made";
    char line[MAX_PATH];
    wsprintfA(line, "cmd.exe /c mkdir \"%s\"", made.c_str());
    ASSERT_TRUE(runCommandLine(line));
    for (int i = 0; i < 200 && !folderExists(made); i++)
        Sleep(50);
    EXPECT_TRUE(folderExists(made));
    removeTree(root);
}

TEST(RunCommandLine, EmptyOrUnknownProgramIsFalse)
{
    char empty[4] = "";
    EXPECT_FALSE(runCommandLine(empty));
    char unknown[] = "no-such-program-4711.exe";
    EXPECT_FALSE(runCommandLine(unknown));
}

}  // namespace

#include "setup/session.h"
#include "support/ui_driver.h"

namespace {

TEST(ErrorBoxes, CaptionAndOwnerFollowTheSession)
{
    resetInstallSession();
    strcpy(session.windowCaption, "Game \x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76");
    struct Case {
        const char* name;
        void (*show)(const char*);
        const char* caption;
    } cases[] = {
        {"configuration error", showConfigError, "SETUPLIB"},
        {"setup error", showSetupError, session.windowCaption},
    };
    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, NULL,
                               NULL, NULL, NULL);
    ASSERT_NE(nullptr, owner);
    for (const Case& c : cases) {
        for (HWND wizard : {(HWND)NULL, owner}) {
            session.wizardWindow = wizard;
            MessageBoxAnswerer answerer;
            startAnswering(&answerer, IDOK, 10000);
            c.show("text \x95\x5C");
            MessageBoxSeen box = finishAnswering(&answerer);
            ASSERT_TRUE(box.seen) << c.name;
            EXPECT_EQ(c.caption, box.caption) << c.name;
            EXPECT_EQ("text \x95\x5C", box.text) << c.name;
            EXPECT_EQ(wizard, box.owner) << c.name;
        }
    }
    DestroyWindow(owner);
    resetInstallSession();
}

}  // namespace
