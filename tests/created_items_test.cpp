// The record of what a run created, undone against real files.
#include <gtest/gtest.h>

#include <string>

#include "install/created_items.h"
#include "setup/session.h"
#include "support/test_files.h"

namespace {

class CreatedItems : public ::testing::Test {
protected:
    std::string root;
    void SetUp() override
    {
        resetInstallSession();
        root = makeTempFolder("created");
    }
    void TearDown() override
    {
        keepCreatedItems();
        removeTree(root);
    }
};

// A player's folder with a file of his own, into which a run installs.
TEST_F(CreatedItems, UndoRemovesOnlyWhatTheRunCreatedAndRestoresReplacedFiles)
{
    std::string game = root + "\\Game";
    CreateDirectoryA(game.c_str(), NULL);
    ASSERT_TRUE(writeFileBytes(game + "\\save.dat", "player's save"));
    ASSERT_TRUE(writeFileBytes(game + "\\config.ini", "player's settings"));

    // The run: a new folder with a file, a new file, and config.ini replaced.
    std::string data = game + "\\data";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), NULL));
    ASSERT_TRUE(recordCreatedFolder(data.c_str()));
    ASSERT_TRUE(writeFileBytes(data + "\\a.dat", "new"));
    ASSERT_TRUE(recordCreatedFile((data + "\\a.dat").c_str()));
    ASSERT_TRUE(writeFileBytes(game + "\\game.exe", "new"));
    ASSERT_TRUE(recordCreatedFile((game + "\\game.exe").c_str()));
    ASSERT_TRUE(MoveFileA((game + "\\config.ini").c_str(), (game + "\\config.old").c_str()));
    ASSERT_TRUE(recordReplacedFile((game + "\\config.ini").c_str(), (game + "\\config.old").c_str()));
    ASSERT_TRUE(writeFileBytes(game + "\\config.ini", "installer's settings"));
    EXPECT_EQ(4, createdItemCount());

    undoCreatedItems();
    EXPECT_EQ(0, createdItemCount());
    EXPECT_FALSE(folderExists(data));
    EXPECT_FALSE(fileExists(game + "\\game.exe"));
    EXPECT_FALSE(fileExists(game + "\\config.old"));
    EXPECT_EQ("player's settings", readFileBytes(game + "\\config.ini"));
    EXPECT_EQ("player's save", readFileBytes(game + "\\save.dat"));
    EXPECT_TRUE(folderExists(game));
}

TEST_F(CreatedItems, CreatedFolderThatGainedOtherFilesStays)
{
    std::string folder = root + "\\made";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(recordCreatedFolder(folder.c_str()));
    ASSERT_TRUE(writeFileBytes(folder + "\\written-by-someone-else", "x"));
    undoCreatedItems();
    EXPECT_TRUE(fileExists(folder + "\\written-by-someone-else"));
}

TEST_F(CreatedItems, KeepDeletesTheMovedAsideOriginalsOnly)
{
    std::string file = root + "\\readme.txt";
    ASSERT_TRUE(writeFileBytes(root + "\\readme.old", "old"));
    ASSERT_TRUE(writeFileBytes(file, "new"));
    ASSERT_TRUE(recordReplacedFile(file.c_str(), (root + "\\readme.old").c_str()));
    ASSERT_TRUE(recordCreatedFile((root + "\\other.txt").c_str()));
    keepCreatedItems();
    EXPECT_EQ(0, createdItemCount());
    EXPECT_EQ("new", readFileBytes(file));
    EXPECT_FALSE(fileExists(root + "\\readme.old"));
    // Nothing is left to undo afterwards.
    undoCreatedItems();
    EXPECT_EQ("new", readFileBytes(file));
}

TEST_F(CreatedItems, ManyItemsGrowTheListAndUndoNewestFirst)
{
    // Folders nested 20 deep and 2000 files: undo must remove the files
    // before their folders, innermost folder first.
    std::string folder = root;
    for (int depth = 0; depth < 20; depth++) {
        folder += "\\d" + std::to_string(depth);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        ASSERT_TRUE(recordCreatedFolder(folder.c_str()));
        for (int i = 0; i < 100; i++) {
            std::string file = folder + "\\f" + std::to_string(i) + ".dat";
            ASSERT_TRUE(writeFileBytes(file, "x"));
            ASSERT_TRUE(recordCreatedFile(file.c_str()));
        }
    }
    EXPECT_EQ(20 + 2000, createdItemCount());
    undoCreatedItems();
    EXPECT_FALSE(folderExists(root + "\\d0"));
    EXPECT_TRUE(folderExists(root));
}

}  // namespace
