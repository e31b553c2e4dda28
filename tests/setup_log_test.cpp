// SETUP.log on the (private) desktop of the Wine prefix.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "setup/config.h"
#include "setup/session.h"
#include "setup/support.h"
#include "support/test_files.h"

namespace {

std::string logPath()
{
    char path[MAX_PATH];
    EXPECT_TRUE(setupLogPath(path));
    return path;
}

// "[YYYY/MM/DD hh:mm:ss:mmm] " followed by the message and CR LF.
void expectLine(const std::string& line, const std::string& message)
{
    ASSERT_GE(line.size(), 26u + 2u);
    const char* shape = "[0000/00/00 00:00:00:000] ";
    for (size_t i = 0; i < 26; i++) {
        if (shape[i] == '0')
            EXPECT_TRUE(line[i] >= '0' && line[i] <= '9') << "position " << i << ": " << line;
        else
            EXPECT_EQ(shape[i], line[i]) << "position " << i << ": " << line;
    }
    EXPECT_EQ(message + "\r\n", line.substr(26));
}

class SetupLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetInstallSession();
        memset(&setupConfig, 0, sizeof setupConfig);
        DeleteFileA(logPath().c_str());
    }
    void TearDown() override { memset(&setupConfig, 0, sizeof setupConfig); }
};

TEST_F(SetupLog, OffWritesNothingAndKeepsAnExistingLog)
{
    writeSetupLog("nothing %s", "here");
    EXPECT_FALSE(fileExists(logPath()));
    ASSERT_TRUE(writeFileBytes(logPath(), "earlier run\r\n"));
    resetSetupLog();
    writeSetupLog("nothing");
    EXPECT_EQ("earlier run\r\n", readFileBytes(logPath()));
}

TEST_F(SetupLog, OnResetEmptiesAndLinesAreAppendedWithTimeStamps)
{
    ASSERT_TRUE(writeFileBytes(logPath(), "earlier run\r\n"));
    setupConfig.Debug_OutputSetupLog = 1;
    resetSetupLog();
    EXPECT_EQ("", readFileBytes(logPath()));
    writeSetupLog("\x83\x8D\x83\x4F");
    writeSetupLog("copy %s -> %i%%", "a.dat", 7);
    std::string text = readFileBytes(logPath());
    size_t split = text.find("\r\n") + 2;
    expectLine(text.substr(0, split), "\x83\x8D\x83\x4F");
    expectLine(text.substr(split), "copy a.dat -> 7%");
}

TEST_F(SetupLog, TimeStampIsUtc)
{
    setupConfig.Debug_OutputSetupLog = 1;
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    GetLocalTime(&local);
    writeSetupLog("time");
    std::string text = readFileBytes(logPath());
    ASSERT_GE(text.size(), 26u);
    int hour = atoi(text.substr(12, 2).c_str());
    // The test runner sets a zone nine hours ahead of UTC.
    EXPECT_NE(local.wHour, utc.wHour) << "the test needs a time zone other than UTC";
    EXPECT_TRUE(hour == utc.wHour || hour == (utc.wHour + 1) % 24) << text;
}

TEST_F(SetupLog, LongMessageIsCutAt1023Bytes)
{
    setupConfig.Debug_OutputSetupLog = 1;
    std::string message(1100, 'm');
    writeSetupLog("%s", message.c_str());
    std::string text = readFileBytes(logPath());
    ASSERT_EQ(1023u + 2u, text.size());
    EXPECT_EQ("\r\n", text.substr(1023));
    EXPECT_EQ(std::string(1023 - 26, 'm'), text.substr(26, 1023 - 26));
}

TEST_F(SetupLog, LogThatCannotBeOpenedIsSkipped)
{
    // A folder where the log file should be: opening fails, nothing is
    // shown, and the folder is left alone.
    setupConfig.Debug_OutputSetupLog = 1;
    std::string path = logPath();
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), NULL));
    resetSetupLog();
    writeSetupLog("lost line");
    EXPECT_TRUE(folderExists(path));
    RemoveDirectoryA(path.c_str());
}

}  // namespace
