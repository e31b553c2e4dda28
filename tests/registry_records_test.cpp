// The install and uninstall records against the real registry of the Wine
// prefix (HKCU and HKLM), read back value by value with type and length.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "register/registry_records.h"
#include "setup/config.h"
#include "setup/session.h"
#include "support/test_files.h"

namespace {

const char UninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct RegValue {
    std::string name;
    DWORD type;
    std::string data;  // the bytes exactly as stored
};

RegValue textValue(const std::string& name, const std::string& text)
{
    return RegValue{name, REG_SZ, text + std::string(1, '\0')};
}

RegValue dwordValue(const std::string& name, DWORD value)
{
    return RegValue{name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4)};
}

RegValue binaryValue(const std::string& name, const std::string& bytes)
{
    return RegValue{name, REG_BINARY, bytes};
}

bool keyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Every value of the key, sorted by name (the registry keeps no order).
std::vector<RegValue> readValues(HKEY root, const std::string& path)
{
    std::vector<RegValue> values;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; index++) {
        char name[16384];
        BYTE data[4096];
        DWORD nameLength = sizeof name;
        DWORD dataLength = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, NULL, &type, data, &dataLength) !=
            ERROR_SUCCESS)
            break;
        values.push_back(RegValue{name, type, std::string((const char*)data, dataLength)});
    }
    RegCloseKey(key);
    std::sort(values.begin(), values.end(),
              [](const RegValue& a, const RegValue& b) { return a.name < b.name; });
    return values;
}

// One line per value: name, type, length and the bytes, for readable failures.
std::string describe(std::vector<RegValue> values)
{
    std::sort(values.begin(), values.end(),
              [](const RegValue& a, const RegValue& b) { return a.name < b.name; });
    std::string text;
    for (const RegValue& value : values) {
        char head[64];
        wsprintfA(head, " type %lu, %u bytes: ", value.type, (unsigned)value.data.size());
        text += value.name + head;
        for (unsigned char c : value.data) {
            char byte[8];
            if (c >= 0x20 && c < 0x7F && c != '\\')
                wsprintfA(byte, "%c", c);
            else
                wsprintfA(byte, "\\x%02X", c);
            text += byte;
        }
        text += "\n";
    }
    return text;
}

bool createVolatileKey(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool createKeyWithValue(HKEY root, const std::string& path, const RegValue& value)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG set = RegSetValueExA(key, value.name.c_str(), 0, value.type,
                              (const BYTE*)value.data.data(), (DWORD)value.data.size());
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

std::string specialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

// The GUID {12345678-9ABC-DEF0-0102-030405060708} and its 16 bytes.
const GUID SampleGuid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
const std::string SampleGuidBytes("\x78\x56\x34\x12\xBC\x9A\xF0\xDE\x01\x02\x03\x04\x05\x06\x07\x08",
                                  16);

class RegistryRecords : public ::testing::Test {
protected:
    std::string temp;
    std::string company;  // of this process only: the registry is shared
    std::string gameDir;
    std::vector<std::string> moreKeysMade;  // under HKLM, besides uninstallKey()

    void SetUp() override
    {
        temp = makeTempFolder("reg");
        company = "KestrelReg" + std::to_string(GetCurrentProcessId());
        reset();
    }

    void TearDown() override
    {
        cleanRegistry();
        removeTree(temp);
        removeTree(joinPath(specialFolder(CSIDL_PERSONAL), company));
    }

    // A complete configuration of one installation, nothing in the registry.
    void reset()
    {
        cleanRegistry();
        resetInstallSession();
        memset(&setupConfig, 0, sizeof setupConfig);
        gameDir = "RegGame" + std::to_string(GetCurrentProcessId());
        strcpy(setupConfig.CompanyName, company.c_str());
        strcpy(setupConfig.GameTitle, "テストゲーム");
        strcpy(setupConfig.GameDir, gameDir.c_str());
        strcpy(setupConfig.GameExe, "game.exe");
        strcpy(setupConfig.UninstExe, "uninst.exe");
        strcpy(setupConfig.StrKeyInstPath, "InstPath");
        strcpy(setupConfig.SaveDataFolderNameInInstall, "savedata");
        strcpy(setupConfig.SaveDataFolderName, "Test Save");
        setupConfig.InstallSelects = 3;
        setupConfig.selects[0].size = 4096;
        setupConfig.selects[1].size = 1500000000;
        setupConfig.selects[2].size = 2048 * 1024;
        strcpy(session.installRoot, temp.c_str());
        session.selectedSelect = 1;
    }

    void setGameDir(const std::string& dir)
    {
        gameDir = dir;
        strcpy(setupConfig.GameDir, dir.c_str());
    }

    void cleanRegistry()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + company).c_str());
        // Never the whole Uninstall key.
        if (!gameDir.empty())
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstallKey().c_str());
        for (const std::string& key : moreKeysMade)
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
        moreKeysMade.clear();
    }

    std::string installKey() const { return "Software\\" + company + "\\" + gameDir; }
    std::string uninstallKey() const { return UninstallRoot + gameDir; }
    std::string installFolder() const
    {
        std::string root = session.installRoot;
        if (!root.empty() && root.back() == '\\')
            root.pop_back();
        return root + "\\" + setupConfig.CompanyName + "\\" + gameDir;
    }

    std::string mode(DWORD value) const { return std::string(reinterpret_cast<const char*>(&value), 4); }

    // Length of GameDir that makes installRoot\CompanyName\GameDir exactly
    // `length` bytes long.
    size_t gameDirLengthFor(size_t length) const
    {
        return length - temp.size() - company.size() - 2;
    }
};

struct RecordCase {
    const char* name;
    std::function<void()> arrange;
    bool written;
    bool keyExpected;
    std::function<std::vector<RegValue>()> expected;
};

TEST_F(RegistryRecords, InstallRecordHoldsEachValueWithItsTypeAndLength)
{
    std::string documents = joinPath(specialFolder(CSIDL_PERSONAL), company);
    std::string documentsSave = joinPath(documents, "Test Save");
    const RecordCase cases[] = {
        {"no GUID: three values", [] {}, true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", installFolder() + "\\")};
         }},
        {"GUID in memory order", [] { session.gameInstanceId = SampleGuid; }, true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", installFolder() + "\\"),
                                          binaryValue("GUIDGameExplorerInstall", SampleGuidBytes)};
         }},
        {"first type", [] { session.selectedSelect = 0; }, true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(0)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", installFolder() + "\\")};
         }},
        {"own install-path value name",
         [] {
             strcpy(setupConfig.StrKeyInstPath, "InstallDir");
             session.selectedSelect = 2;
         },
         true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(2)),
                                          textValue("InstallDir", installFolder()),
                                          textValue("DataPath", installFolder() + "\\")};
         }},
        {"install root ending in a backslash",
         [&] { strcpy(session.installRoot, (temp + "\\").c_str()); }, true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", temp + "\\" + company + "\\" + gameDir),
                                          textValue("DataPath", temp + "\\" + company + "\\" + gameDir + "\\")};
         }},
        // 表 is 0x95 0x5C: its second byte is no separator, so one is added.
        {"game folder ending in 表", [&] { setGameDir(gameDir + "表"); }, true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", installFolder() + "\\")};
         }},
        {"unmanaged save data ignores the mode",
         [] { session.saveDataMode = SaveDataMyDocuments; }, true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", installFolder() + "\\")};
         }},
        {"managed save data in the install folder",
         [] {
             setupConfig.managedSaveData = 1;
             session.saveDataMode = SaveDataInInstallFolder;
         },
         true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", installFolder() + "\\savedata\\")};
         }},
        {"managed save data in Documents",
         [] {
             setupConfig.managedSaveData = 1;
             session.saveDataMode = SaveDataMyDocuments;
         },
         true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", documentsSave + "\\")};
         }},
        {"earlier GUID kept when this run has none",
         [&] {
             ASSERT_TRUE(createKeyWithValue(HKEY_CURRENT_USER, installKey(),
                                            binaryValue("GUIDGameExplorerInstall", SampleGuidBytes)));
         },
         true, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder()),
                                          textValue("DataPath", installFolder() + "\\"),
                                          binaryValue("GUIDGameExplorerInstall", SampleGuidBytes)};
         }},
        {"key path longer than MAX_PATH", [&] { setGameDir(std::string(250, 'g')); }, false, false,
         [] { return std::vector<RegValue>(); }},
        // Wine, like Windows, refuses a lasting key under a volatile one.
        {"key that cannot be created",
         [&] { ASSERT_TRUE(createVolatileKey(HKEY_CURRENT_USER, "Software\\" + company)); }, false,
         false, [] { return std::vector<RegValue>(); }},
        {"install folder longer than MAX_PATH",
         [&] { setGameDir(std::string(gameDirLengthFor(259), 'g')); }, false, true,
         [&] { return std::vector<RegValue>{binaryValue("InstMode", mode(1))}; }},
        {"no room for the save-data backslash",
         [&] {
             setGameDir(std::string(gameDirLengthFor(258), 'g'));
             session.gameInstanceId = SampleGuid;
         },
         false, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder())};
         }},
        {"save-data folder that cannot be composed",
         [] {
             setupConfig.managedSaveData = 1;
             session.saveDataMode = SaveDataMyDocuments;
             memset(setupConfig.SaveDataFolderName, 's', 250);
             session.gameInstanceId = SampleGuid;
         },
         false, true,
         [&] {
             return std::vector<RegValue>{binaryValue("InstMode", mode(1)),
                                          textValue("InstPath", installFolder())};
         }},
    };
    for (const RecordCase& c : cases) {
        reset();
        c.arrange();
        EXPECT_EQ(c.written, writeInstallRecord() != 0) << c.name;
        EXPECT_EQ(c.keyExpected, keyExists(HKEY_CURRENT_USER, installKey())) << c.name;
        EXPECT_EQ(describe(c.expected()), describe(readValues(HKEY_CURRENT_USER, installKey())))
            << c.name;
        if (setupConfig.managedSaveData && c.written) {
            std::string dataPath = c.expected()[2].data;
            EXPECT_TRUE(folderExists(dataPath.substr(0, dataPath.size() - 2))) << c.name;
        }
        if (!setupConfig.managedSaveData) {
            EXPECT_FALSE(folderExists(documents)) << c.name;
        }
        removeTree(joinPath(temp, company));
        removeTree(documents);
    }
}

TEST_F(RegistryRecords, UninstallRecordHoldsEachValueWithItsTypeAndLength)
{
    const RecordCase cases[] = {
        {"complete record", [] {}, true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", installFolder() + "\\uninst.exe"),
                 dwordValue("EstimatedSize", 1464843),
                 textValue("DisplayIcon", installFolder() + "\\game.exe"),
                 textValue("Publisher", company)};
         }},
        {"size of the chosen type", [] { session.selectedSelect = 2; }, true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", installFolder() + "\\uninst.exe"),
                 dwordValue("EstimatedSize", 2048),
                 textValue("DisplayIcon", installFolder() + "\\game.exe"),
                 textValue("Publisher", company)};
         }},
        {"size under one KiB", [] { setupConfig.selects[1].size = 1023; }, true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", installFolder() + "\\uninst.exe"),
                 textValue("DisplayIcon", installFolder() + "\\game.exe"),
                 textValue("Publisher", company)};
         }},
        {"fractions of a KiB dropped", [] { setupConfig.selects[1].size = 2047; }, true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", installFolder() + "\\uninst.exe"),
                 dwordValue("EstimatedSize", 1),
                 textValue("DisplayIcon", installFolder() + "\\game.exe"),
                 textValue("Publisher", company)};
         }},
        {"size over 4 GiB", [] { setupConfig.selects[1].size = 5368709120ull + 1023; }, true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", installFolder() + "\\uninst.exe"),
                 dwordValue("EstimatedSize", 5242880),
                 textValue("DisplayIcon", installFolder() + "\\game.exe"),
                 textValue("Publisher", company)};
         }},
        {"size of 4 TiB and more", [] { setupConfig.selects[1].size = (1ull << 42) + (1ull << 30); },
         true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", installFolder() + "\\uninst.exe"),
                 dwordValue("EstimatedSize", 0xFFFFFFFFu),
                 textValue("DisplayIcon", installFolder() + "\\game.exe"),
                 textValue("Publisher", company)};
         }},
        {"no company name", [] { setupConfig.CompanyName[0] = '\0'; }, true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", temp + "\\" + gameDir + "\\uninst.exe"),
                 dwordValue("EstimatedSize", 1464843),
                 textValue("DisplayIcon", temp + "\\" + gameDir + "\\game.exe")};
         }},
        {"icon path longer than MAX_PATH", [] { memset(setupConfig.GameExe, 'e', 250); }, true, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"),
                 textValue("UninstallString", installFolder() + "\\uninst.exe"),
                 dwordValue("EstimatedSize", 1464843), textValue("Publisher", company)};
         }},
        {"uninstaller path longer than MAX_PATH", [] { memset(setupConfig.UninstExe, 'u', 250); },
         false, true,
         [&] {
             return std::vector<RegValue>{
                 textValue("DisplayName", "テストゲーム"), dwordValue("EstimatedSize", 1464843),
                 textValue("DisplayIcon", installFolder() + "\\game.exe"),
                 textValue("Publisher", company)};
         }},
        {"key path longer than MAX_PATH", [&] { setGameDir(std::string(210, 'g')); }, false, false,
         [] { return std::vector<RegValue>(); }},
        {"key that cannot be created",
         [&] {
             std::string parent = "RegVolatile" + std::to_string(GetCurrentProcessId());
             setGameDir(parent + "\\Game");
             moreKeysMade.push_back(UninstallRoot + parent);
             ASSERT_TRUE(createVolatileKey(HKEY_LOCAL_MACHINE, UninstallRoot + parent));
         },
         false, false, [] { return std::vector<RegValue>(); }},
    };
    for (const RecordCase& c : cases) {
        reset();
        c.arrange();
        EXPECT_EQ(c.written, writeUninstallRecord() != 0) << c.name;
        EXPECT_EQ(c.keyExpected, keyExists(HKEY_LOCAL_MACHINE, uninstallKey())) << c.name;
        EXPECT_EQ(describe(c.expected()), describe(readValues(HKEY_LOCAL_MACHINE, uninstallKey())))
            << c.name;
        // Neither record touches the other root.
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\" + company)) << c.name;
    }
}

TEST_F(RegistryRecords, DeletionRemovesTheThreeKeysAndNothingElse)
{
    std::string other = "Software\\" + company + "\\OtherGame";
    RegValue kept = textValue("InstPath", "D:\\Other");
    ASSERT_TRUE(createKeyWithValue(HKEY_CURRENT_USER, other, kept));
    ASSERT_TRUE(writeInstallRecord());
    ASSERT_TRUE(writeUninstallRecord());
    ASSERT_TRUE(createKeyWithValue(HKEY_CURRENT_USER, installKey() + "\\System",
                                   dwordValue("Flag", 1)));

    deleteRegistryRecords();

    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, installKey() + "\\System"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, installKey()));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, uninstallKey()));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\" + company));
    EXPECT_EQ(describe({kept}), describe(readValues(HKEY_CURRENT_USER, other)));

    // Nothing there any more: still nothing else is touched.
    deleteRegistryRecords();
    EXPECT_EQ(describe({kept}), describe(readValues(HKEY_CURRENT_USER, other)));
}

TEST_F(RegistryRecords, DeletionNeverCutsAKeyPathShort)
{
    setGameDir(std::string(240, 'g'));
    // What the three key paths would be when cut at MAX_PATH - 1 bytes.
    std::string installCut = installKey().substr(0, MAX_PATH - 1);
    std::string uninstallCut = uninstallKey().substr(0, MAX_PATH - 1);
    moreKeysMade.push_back(uninstallCut);
    RegValue kept = dwordValue("Kept", 7);
    ASSERT_TRUE(createKeyWithValue(HKEY_CURRENT_USER, installCut, kept));
    ASSERT_TRUE(createKeyWithValue(HKEY_LOCAL_MACHINE, uninstallCut, kept));

    deleteRegistryRecords();

    EXPECT_EQ(describe({kept}), describe(readValues(HKEY_CURRENT_USER, installCut)));
    EXPECT_EQ(describe({kept}), describe(readValues(HKEY_LOCAL_MACHINE, uninstallCut)));
}

}  // namespace
