// The SETUP.INI loader: every key of section "SETUP" in a fixed order, the
// first problem reported with showConfigError.
#include "setup/config.h"

#include <limits.h>
#include <string.h>

#include "setup/messages.h"
#include "setup/session.h"
#include "setup/support.h"

SetupConfig setupConfig;

const char ManagedSaveDataPrefix[] = "【保存】";
static_assert(sizeof ManagedSaveDataPrefix == ManagedSaveDataPrefixLength + 1,
              "the reserved prefix is 8 Shift-JIS bytes");

// The loader's two working values: whether a missing key is an error, and
// the disc number of the last "N:" prefix.
static int keysRequired = 1;
static int listDisc = 0;

int currentListDisc() { return listDisc; }
void setCurrentListDisc(int disc) { listDisc = disc; }

static void showKeyMessage(const char* format, const char* key)
{
    char message[MessageSize];
    formatText(message, sizeof message, format, key);
    showConfigError(message);
}

int readConfigString(const char* key, char* buffer, DWORD size)
{
    memset(buffer, 0, size);
    if (GetPrivateProfileStringA("SETUP", key, "", buffer, size, session.iniPath) > 0)
        return 1;
    if (keysRequired)
        showKeyMessage(MsgKeyMissing, key);
    return 0;
}

// Optional sign, then digits up to the first other character; saturates at
// the limits instead of overflowing.
static long long parseDecimal(const char* text, long long minimum, long long maximum)
{
    int negative = 0;
    unsigned long long limit;
    unsigned long long value = 0;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    limit = negative ? (unsigned long long)(-(minimum + 1)) + 1 : (unsigned long long)maximum;
    for (; *text >= '0' && *text <= '9'; text++) {
        unsigned digit = (unsigned)(*text - '0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (!negative)
        return (long long)value;
    return value == limit ? minimum : -(long long)value;
}

int readConfigInt(const char* key, int* out)
{
    char value[MAX_PATH];
    if (!readConfigString(key, value, sizeof value))
        return 0;
    *out = (int)parseDecimal(value, INT_MIN, INT_MAX);
    return 1;
}

// A 64-bit size; a negative one means no size, so that it is measured.
static void readConfigSize(const char* key, unsigned long long* out)
{
    char value[SizeValueSize];
    if (!readConfigString(key, value, sizeof value))
        return;
    long long size = parseDecimal(value, LLONG_MIN, LLONG_MAX);
    *out = size < 0 ? 0 : (unsigned long long)size;
}

static int readConfigFlag(const char* key)
{
    int value = 0;
    readConfigInt(key, &value);
    return value != 0;
}

static void readOptionalText(const char* key, char* buffer, DWORD size, const char* fallback)
{
    if (!readConfigString(key, buffer, size))
        copyText(buffer, size, fallback);
}

static int isListEnd(char c)
{
    return c == '\0' || c == '\r' || c == '\n' || c == ',';
}

ListItemResult nextListItem(char* out, const char** cursor)
{
    const char* p = *cursor;
    while (*p == ' ' || *p == '\t')
        p++;
    if (isListEnd(*p)) {
        *cursor = p;
        return ListItemNone;
    }
    const char* next = CharNextA(p);
    if (*next == ':') {
        listDisc = (*p >= '0' && *p <= '9') ? *p - '0' : 0;
        p = next + 1;
    }
    const char* end = p;
    while (!isListEnd(*end))
        end = CharNextA(end);
    // The cursor never moves past the terminator of the value.
    *cursor = *end ? end + 1 : end;
    size_t length = (size_t)(end - p);
    if (length >= MAX_PATH)
        return ListItemTooLong;
    memcpy(out, p, length);
    out[length] = '\0';
    return ListItemFound;
}

// Reads a comma-separated list into entries; discNumbers may be null. The
// list must have a first item and every item must fit its entry; otherwise
// errorText is shown.
static int readList(const char* key, char (*entries)[MAX_PATH], int capacity, int* discNumbers,
                    int* usesDiscNumbers, int* count, const char* errorText)
{
    char value[ListValueSize];
    const char* cursor = value;
    int read = 0;
    if (!readConfigString(key, value, sizeof value))
        return 0;
    if (discNumbers) {
        listDisc = 0;
        *usesDiscNumbers = 0;
    }
    while (read < capacity) {
        ListItemResult result = nextListItem(entries[read], &cursor);
        if (result == ListItemNone)
            break;
        if (result == ListItemTooLong) {
            entries[read][0] = '\0';
            showConfigError(errorText);
            return 0;
        }
        if (discNumbers) {
            discNumbers[read] = listDisc;
            if (listDisc)
                *usesDiscNumbers = 1;
        }
        read++;
    }
    if (read == 0) {
        showConfigError(errorText);
        return 0;
    }
    if (read < capacity)
        entries[read][0] = '\0';
    if (count)
        *count = read;
    return 1;
}

static int readFileList(const char* key, InstallSelect* select, const char* errorText)
{
    return readList(key, select->files, MaxListFiles, select->discNumbers,
                    &select->usesDiscNumbers, NULL, errorText);
}

static int readShortcutLine(const char* key, ShortcutSpec* shortcut)
{
    char value[MAX_PATH];
    char* fields[4] = {shortcut->target, shortcut->name, shortcut->icon, shortcut->desktopName};
    const char* cursor = value;
    char error[MessageSize];
    memset(shortcut, 0, sizeof *shortcut);
    if (!readConfigString(key, value, sizeof value))
        return 0;
    formatText(error, sizeof error, MsgKeyError, key);
    for (int field = 0; field < 4; field++) {
        ListItemResult result = nextListItem(fields[field], &cursor);
        if (result == ListItemFound)
            continue;
        if (field < 2 || result == ListItemTooLong) {
            showConfigError(error);
            return 0;
        }
        if (*cursor != ',')
            break;
        while (*cursor == ',' || *cursor == ' ' || *cursor == '\t')
            cursor++;
    }
    return 1;
}

static int readExecApp()
{
    char value[MAX_PATH];
    const char* cursor = value;
    char error[MessageSize];
    if (!readConfigString("ExecApp", value, sizeof value))
        return 1;
    formatText(error, sizeof error, MsgKeyError, "ExecApp");
    if (nextListItem(setupConfig.ExecApp[0], &cursor) != ListItemFound ||
        nextListItem(setupConfig.ExecApp[1], &cursor) != ListItemFound) {
        setupConfig.ExecApp[0][0] = '\0';
        showConfigError(error);
        return 0;
    }
    return 1;
}

static int readSelects()
{
    char key[64];
    char error[MessageSize];
    if (!readConfigInt("InstallSelects", &setupConfig.InstallSelects))
        return 0;
    if (setupConfig.InstallSelects > MaxSelects) {
        showConfigError(MsgTooManySelects);
        return 0;
    }
    for (int i = 0; i < setupConfig.InstallSelects; i++) {
        InstallSelect* select = &setupConfig.selects[i];
        formatText(key, sizeof key, "InstallTitle%i", i);
        if (!readConfigString(key, select->title, sizeof select->title))
            return 0;
        formatText(key, sizeof key, "InstallFiles%i", i);
        formatText(error, sizeof error, MsgKeyError, key);
        if (!readFileList(key, select, error))
            return 0;
    }
    return 1;
}

static int readShortcuts()
{
    char key[64];
    if (!readConfigInt("Shortcuts", &setupConfig.Shortcuts))
        return 0;
    if (setupConfig.Shortcuts > MaxShortcuts) {
        showConfigError(MsgTooManyShortcuts);
        return 0;
    }
    for (int i = 0; i < setupConfig.Shortcuts; i++) {
        formatText(key, sizeof key, "Shortcut%i", i);
        if (!readShortcutLine(key, &setupConfig.shortcutSpecs[i]))
            return 0;
    }
    return 1;
}

static int readRequiredKeys()
{
    SetupConfig* c = &setupConfig;
    return readConfigString("CompanyName", c->CompanyName, sizeof c->CompanyName) &&
           readConfigString("GameTitle", c->GameTitle, sizeof c->GameTitle) &&
           readConfigString("GameDir", c->GameDir, sizeof c->GameDir) &&
           readConfigString("GameExe", c->GameExe, sizeof c->GameExe) &&
           readConfigString("UninstExe", c->UninstExe, sizeof c->UninstExe) &&
           readList("SetupBmp", c->SetupBmp, MaxBanners, NULL, NULL, &c->bannerCount,
                    MsgBannerListError) &&
           readSelects() && readShortcuts();
}

static int readOptionalKeys()
{
    SetupConfig* c = &setupConfig;
    char key[64];

    readOptionalText("GameClass", c->GameClass, sizeof c->GameClass, c->GameTitle);
    c->managedSaveData =
        memcmp(c->GameClass, ManagedSaveDataPrefix, ManagedSaveDataPrefixLength) == 0;
    readConfigInt("DefaultSelect", &c->DefaultSelect);
    for (int i = 0; i < c->InstallSelects; i++) {
        formatText(key, sizeof key, "InstallSize%i", i);
        readConfigSize(key, &c->selects[i].size);
    }
    for (int i = 0; i < MaxDiscCheckFiles; i++) {
        formatText(key, sizeof key, "DiskCheckFile%i", i);
        readConfigString(key, c->DiskCheckFile[i], sizeof c->DiskCheckFile[i]);
    }
    if (!readExecApp())
        return 0;
    readOptionalText("SelectSetupMessage", c->SelectSetupMessage, sizeof c->SelectSetupMessage,
                     DefaultSelectMessage);
    c->UseCompanyNameForShortcutGroup = readConfigFlag("UseCompanyNameForShortcutGroup");
    c->ChooseSaveDataFolder = readConfigFlag("ChooseSaveDataFolder");
    readOptionalText("SaveDataFolderNameInInstall", c->SaveDataFolderNameInInstall,
                     sizeof c->SaveDataFolderNameInInstall, "savedata");
    readOptionalText("SaveDataFolderName", c->SaveDataFolderName, sizeof c->SaveDataFolderName,
                     c->GameDir);
    readOptionalText("StrKeyInstPath", c->StrKeyInstPath, sizeof c->StrKeyInstPath, "InstPath");
    readConfigString("ShortcutFolder", c->ShortcutFolder, sizeof c->ShortcutFolder);
    c->StopInstallToProgramFiles = readConfigFlag("StopInstallToProgramFiles");
    c->Debug_OutputSetupLog = readConfigFlag("Debug_OutputSetupLog");
    c->addOnMode = readConfigFlag("InstallAfterAdd");
    if (c->addOnMode) {
        keysRequired = 1;
        int listed = readFileList("InstallAddFiles", &c->selects[AddOnSlot], MsgAddFilesError);
        keysRequired = 0;
        if (!listed)
            return 0;
        c->selects[AddOnSlot].size = 0;
        readConfigSize("InstallAddSize", &c->selects[AddOnSlot].size);
    }
    readConfigInt("InstPathMode", &c->InstPathMode);
    readConfigString("GameExe64", c->GameExe64, sizeof c->GameExe64);
    return 1;
}

int loadSetupConfig()
{
    memset(&setupConfig, 0, sizeof setupConfig);
    keysRequired = 1;
    int loaded = readRequiredKeys();
    if (loaded) {
        keysRequired = 0;
        loaded = readOptionalKeys();
    }
    keysRequired = 1;
    return loaded;
}
