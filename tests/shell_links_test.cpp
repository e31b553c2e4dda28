// Shell links and internet shortcuts written as real files and read back
// through the platform, Explorer started on a real folder, and the COM
// rules of each call. Fakes registered with CoRegisterClassObject stand in
// for the shell objects only where Wine's cannot be made to fail.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <intshcut.h>
#include <isguids.h>
#include <string.h>
#include <winternl.h>

#include <functional>
#include <string>
#include <vector>

#include "register/shell_links.h"
#include "setup/session.h"
#include "support/test_files.h"
#include "support/ui_driver.h"

namespace {

std::wstring wide(const std::string& text)
{
    WCHAR buffer[1024];
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, 1024);
    return length ? std::wstring(buffer) : std::wstring();
}

std::string narrow(const WCHAR* text)
{
    char buffer[1024];
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    return length ? std::string(buffer) : std::string();
}

struct LinkContents {
    HRESULT loaded;
    std::string target;
    std::string arguments;
    std::string workingFolder;
    std::string description;
    std::string icon;
    int iconIndex;
    int showCommand;
    WORD hotkey;
};

// Loads a .lnk file through IShellLinkA and IPersistFile.
LinkContents readLink(const std::string& path)
{
    LinkContents contents = {E_FAIL, "", "", "", "", "", -1, -1, 0xFFFF};
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    char text[MAX_PATH];
    HRESULT initialised = CoInitialize(NULL);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&link))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
            contents.loaded = file->Load(wide(path).c_str(), STGM_READ);
            file->Release();
        }
        if (SUCCEEDED(contents.loaded)) {
            WIN32_FIND_DATAA found;
            text[0] = '\0';
            link->GetPath(text, sizeof text, &found, SLGP_RAWPATH);
            contents.target = text;
            text[0] = '\0';
            link->GetArguments(text, sizeof text);
            contents.arguments = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, sizeof text);
            contents.workingFolder = text;
            text[0] = '\0';
            link->GetDescription(text, sizeof text);
            contents.description = text;
            text[0] = '\0';
            link->GetIconLocation(text, sizeof text, &contents.iconIndex);
            contents.icon = text;
            link->GetShowCmd(&contents.showCommand);
            link->GetHotkey(&contents.hotkey);
        }
        link->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return contents;
}

// The lines of the [InternetShortcut] section of a .url file, each without
// its CR LF; "missing" when the file has no such section.
std::vector<std::string> internetShortcutSection(const std::string& bytes)
{
    std::vector<std::string> lines;
    bool inSection = false;
    bool found = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? bytes.size() : end + 2;
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[InternetShortcut]";
            found = found || inSection;
        } else if (inSection) {
            lines.push_back(line);
        }
    }
    if (!found)
        lines.push_back("missing");
    return lines;
}

class ShellLinks : public ::testing::Test {
protected:
    std::string temp;

    void SetUp() override
    {
        resetInstallSession();
        temp = makeTempFolder("links");
    }
    void TearDown() override { removeTree(temp); }
};

struct LinkCase {
    const char* name;
    const char* file;         // in the test folder
    const char* description;
    const char* target;       // in the test folder
    const char* icon;         // in the test folder; null for none
    bool emptyIcon;           // pass "" instead of null
};

const LinkCase linkCases[] = {
    {"program with icon", "Game.lnk", "テストゲーム", "game.exe", "game.ico", false},
    {"no icon", "NoIcon.lnk", "テストゲーム", "game.exe", NULL, false},
    {"empty icon text", "EmptyIcon.lnk", "Game", "game.exe", NULL, true},
    {"target not there yet", "Later.lnk", "Later", "later\\game.exe", NULL, false},
    // 表 is 0x95 0x5C: the file name and the target survive the conversion.
    {"double-byte names", "表示 テスト.lnk", "表示", "表\\表示.exe", "表\\表.ico", false},
    {"description with blanks", "Blanks.lnk", "Test Game  Manual", "docs\\manual.exe", NULL, false},
};

TEST_F(ShellLinks, LinkHoldsTargetDescriptionAndIconOnly)
{
    ASSERT_TRUE(writeFileBytes(joinPath(temp, "game.exe"), "MZ"));
    for (const LinkCase& c : linkCases) {
        std::string file = joinPath(temp, c.file);
        std::string target = joinPath(temp, c.target);
        std::string icon = c.icon ? joinPath(temp, c.icon) : std::string();
        HRESULT result = createShellLink(file.c_str(), c.description, target.c_str(),
                                         c.icon ? icon.c_str() : c.emptyIcon ? "" : NULL);
        EXPECT_EQ(S_OK, result) << c.name;
        ASSERT_TRUE(fileExists(file)) << c.name;
        LinkContents link = readLink(file);
        ASSERT_EQ(S_OK, link.loaded) << c.name;
        EXPECT_EQ(target, link.target) << c.name;
        EXPECT_EQ(c.description, link.description) << c.name;
        EXPECT_EQ(icon, link.icon) << c.name;
        EXPECT_EQ(0, link.iconIndex) << c.name;
        EXPECT_EQ("", link.arguments) << c.name;
        EXPECT_EQ("", link.workingFolder) << c.name;
        EXPECT_EQ(SW_SHOWNORMAL, link.showCommand) << c.name;
        EXPECT_EQ(0, link.hotkey) << c.name;
    }
}

TEST_F(ShellLinks, LinkReplacesAnEarlierFile)
{
    std::string file = joinPath(temp, "Game.lnk");
    ASSERT_EQ(S_OK, createShellLink(file.c_str(), "Old", "C:\\old\\game.exe", "C:\\old\\game.ico"));
    ASSERT_EQ(S_OK, createShellLink(file.c_str(), "New", "C:\\new\\game.exe", NULL));
    LinkContents link = readLink(file);
    EXPECT_EQ("C:\\new\\game.exe", link.target);
    EXPECT_EQ("New", link.description);
    EXPECT_EQ("", link.icon);
}

TEST_F(ShellLinks, InternetShortcutHoldsTheUrlAsWritten)
{
    struct Case {
        const char* name;
        const char* url;
    };
    const Case cases[] = {
        {"secure web address", "https://www.example.com/support?id=12&lang=ja#top"},
        {"plain web address", "http://example.com/"},
        {"no scheme to guess", "www.example.com/game"},
    };
    for (const Case& c : cases) {
        std::string file = joinPath(temp, std::string(c.name) + ".url");
        EXPECT_EQ(S_OK, createInternetShortcut(file.c_str(), c.url)) << c.name;
        std::vector<std::string> section = internetShortcutSection(readFileBytes(file));
        std::vector<std::string> urlLines;
        for (const std::string& line : section)
            if (line.compare(0, 4, "URL=") == 0)
                urlLines.push_back(line);
        EXPECT_EQ(std::vector<std::string>{std::string("URL=") + c.url}, urlLines) << c.name;
    }
}

TEST_F(ShellLinks, FileInAMissingFolderFails)
{
    std::string missing = joinPath(joinPath(temp, "missing"), "Game");
    EXPECT_TRUE(FAILED(createShellLink((missing + ".lnk").c_str(), "Game", "C:\\game.exe", NULL)));
    EXPECT_TRUE(FAILED(createInternetShortcut((missing + ".url").c_str(), "http://example.com/")));
    EXPECT_FALSE(folderExists(joinPath(temp, "missing")));
}

// ---- COM apartments: each call leaves the thread as it found it ----------

enum Apartment { NoApartment, SingleThreaded, MultiThreaded };

struct ApartmentRun {
    Apartment before;
    std::function<HRESULT()> operation;
    HRESULT result;
    Apartment after;
};

// What the thread is in, found out without changing it.
Apartment currentApartment()
{
    HRESULT probe = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    if (probe == RPC_E_CHANGED_MODE)
        return SingleThreaded;
    CoUninitialize();
    return probe == S_FALSE ? MultiThreaded : NoApartment;
}

DWORD WINAPI runInApartment(void* parameter)
{
    ApartmentRun* run = static_cast<ApartmentRun*>(parameter);
    if (run->before == SingleThreaded)
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    else if (run->before == MultiThreaded)
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
    run->result = run->operation();
    run->after = currentApartment();
    if (run->before != NoApartment)
        CoUninitialize();
    return 0;
}

TEST_F(ShellLinks, EachCallLeavesTheThreadsApartmentAsItWas)
{
    std::string link = joinPath(temp, "Apartment.lnk");
    std::string url = joinPath(temp, "Apartment.url");
    struct Operation {
        const char* name;
        std::function<HRESULT()> run;
    };
    const Operation operations[] = {
        {"shell link", [&] { return createShellLink(link.c_str(), "Game", "C:\\game.exe", NULL); }},
        {"internet shortcut", [&] { return createInternetShortcut(url.c_str(), "http://example.com/"); }},
    };
    const Apartment apartments[] = {NoApartment, SingleThreaded, MultiThreaded};
    for (const Operation& operation : operations) {
        for (Apartment apartment : apartments) {
            ApartmentRun run = {apartment, operation.run, E_FAIL, NoApartment};
            HANDLE thread = CreateThread(NULL, 0, runInApartment, &run, 0, NULL);
            ASSERT_TRUE(thread != NULL);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            // In a multithreaded apartment the objects come from the shell's
            // apartment-threaded servers through marshalling, which Wine
            // lacks for IUniformResourceLocatorA; the dialog thread is a
            // single-threaded apartment.
            if (apartment != MultiThreaded) {
                EXPECT_EQ(S_OK, run.result) << operation.name << ", apartment " << apartment;
            }
            EXPECT_EQ(apartment, run.after) << operation.name << ", apartment " << apartment;
        }
    }
}

// ---- Failure paths of the objects, through fakes --------------------------

// One object for both classes: the shell link, the internet shortcut and
// their IPersistFile. Counts every live reference so that a leak shows.
LONG liveReferences = 0;

struct FakeBehaviour {
    HRESULT create;   // of the class factory's CreateInstance
    HRESULT persist;  // of QueryInterface for IPersistFile
    HRESULT setters;  // of SetPath, SetDescription, SetIconLocation, SetURL
    HRESULT save;
};

class FakeShellObject final : public IShellLinkA, public IUniformResourceLocatorA, public IPersistFile {
public:
    FakeShellObject(const FakeBehaviour& behaviour, std::vector<std::string>* calls)
        : behaviour(behaviour), calls(calls), references(1)
    {
        InterlockedIncrement(&liveReferences);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = NULL;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellLinkA))
            *out = static_cast<IShellLinkA*>(this);
        else if (IsEqualIID(iid, IID_IUniformResourceLocatorA))
            *out = static_cast<IUniformResourceLocatorA*>(this);
        else if (IsEqualIID(iid, IID_IPersistFile) && SUCCEEDED(behaviour.persist))
            *out = static_cast<IPersistFile*>(this);
        else
            return IsEqualIID(iid, IID_IPersistFile) ? behaviour.persist : E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        InterlockedIncrement(&liveReferences);
        return (ULONG)InterlockedIncrement(&references);
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        InterlockedDecrement(&liveReferences);
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return (ULONG)left;
    }

    // IShellLinkA: the setters record their call, everything else is not
    // expected and recorded as such.
    HRESULT STDMETHODCALLTYPE SetPath(LPCSTR path) override { return record("SetPath " + std::string(path)); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR text) override
    {
        return record("SetDescription " + std::string(text));
    }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR path, int index) override
    {
        return record("SetIconLocation " + std::string(path) + " " + std::to_string(index));
    }
    HRESULT STDMETHODCALLTYPE GetPath(LPSTR, int, WIN32_FIND_DATAA*, DWORD) override { return other("GetPath"); }
    HRESULT STDMETHODCALLTYPE GetIDList(LPITEMIDLIST*) override { return other("GetIDList"); }
    HRESULT STDMETHODCALLTYPE SetIDList(LPCITEMIDLIST) override { return other("SetIDList"); }
    HRESULT STDMETHODCALLTYPE GetDescription(LPSTR, int) override { return other("GetDescription"); }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPSTR, int) override { return other("GetWorkingDirectory"); }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR) override { return other("SetWorkingDirectory"); }
    HRESULT STDMETHODCALLTYPE GetArguments(LPSTR, int) override { return other("GetArguments"); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR) override { return other("SetArguments"); }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD*) override { return other("GetHotkey"); }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD) override { return other("SetHotkey"); }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int*) override { return other("GetShowCmd"); }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int) override { return other("SetShowCmd"); }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR, int, int*) override { return other("GetIconLocation"); }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCSTR, DWORD) override { return other("SetRelativePath"); }
    HRESULT STDMETHODCALLTYPE Resolve(HWND, DWORD) override { return other("Resolve"); }

    // IUniformResourceLocatorA
    HRESULT STDMETHODCALLTYPE SetURL(LPCSTR url, DWORD flags) override
    {
        return record("SetURL " + std::string(url) + " " + std::to_string(flags));
    }
    HRESULT STDMETHODCALLTYPE GetURL(LPSTR*) override { return other("GetURL"); }
    HRESULT STDMETHODCALLTYPE InvokeCommand(PURLINVOKECOMMANDINFOA) override { return other("InvokeCommand"); }

    // IPersistFile
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return other("GetClassID"); }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return other("IsDirty"); }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR, DWORD) override { return other("Load"); }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR path, BOOL remember) override
    {
        calls->push_back("Save " + narrow(path) + (remember ? " remember" : " forget"));
        return behaviour.save;
    }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return other("SaveCompleted"); }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR*) override { return other("GetCurFile"); }

private:
    HRESULT record(const std::string& call)
    {
        calls->push_back(call);
        return behaviour.setters;
    }
    HRESULT other(const char* name)
    {
        calls->push_back(std::string("unexpected ") + name);
        return E_NOTIMPL;
    }

    FakeBehaviour behaviour;
    std::vector<std::string>* calls;
    LONG references;
};

class FakeFactory final : public IClassFactory {
public:
    FakeBehaviour behaviour;
    std::vector<std::string> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = NULL;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    // Lives on the test's stack; COM's references are not counted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = NULL;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (FAILED(behaviour.create))
            return behaviour.create;
        FakeShellObject* object = new FakeShellObject(behaviour, &calls);
        HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

struct FakeOperation {
    const char* name;
    const CLSID* type;
    std::function<HRESULT(const std::string& path)> run;
    std::vector<std::string> setterCalls;
};

struct FailureCase {
    const char* name;
    FakeBehaviour behaviour;
    HRESULT result;
    bool saved;
};

TEST_F(ShellLinks, EachStepsResultIsReturnedAndEveryObjectReleased)
{
    const FakeOperation operations[] = {
        {"shell link with icon", &CLSID_ShellLink,
         [](const std::string& path) {
             return createShellLink(path.c_str(), "テストゲーム", "C:\\表\\game.exe", "C:\\表\\game.ico");
         },
         {"SetPath C:\\表\\game.exe", "SetDescription テストゲーム", "SetIconLocation C:\\表\\game.ico 0"}},
        {"shell link without icon", &CLSID_ShellLink,
         [](const std::string& path) {
             return createShellLink(path.c_str(), "Game", "C:\\game.exe", NULL);
         },
         {"SetPath C:\\game.exe", "SetDescription Game"}},
        {"shell link with empty icon text", &CLSID_ShellLink,
         [](const std::string& path) {
             return createShellLink(path.c_str(), "Game", "C:\\game.exe", "");
         },
         {"SetPath C:\\game.exe", "SetDescription Game"}},
        {"internet shortcut", &CLSID_InternetShortcut,
         [](const std::string& path) {
             return createInternetShortcut(path.c_str(), "https://example.com/");
         },
         {"SetURL https://example.com/ 0"}},
    };
    const FailureCase cases[] = {
        {"everything works", {S_OK, S_OK, S_OK, S_OK}, S_OK, true},
        {"object cannot be created", {E_OUTOFMEMORY, S_OK, S_OK, S_OK}, E_OUTOFMEMORY, false},
        {"no IPersistFile", {S_OK, E_NOINTERFACE, S_OK, S_OK}, E_NOINTERFACE, false},
        {"setters refused, still saved", {S_OK, S_OK, E_INVALIDARG, S_OK}, S_OK, true},
        {"save refused", {S_OK, S_OK, S_OK, STG_E_ACCESSDENIED}, STG_E_ACCESSDENIED, true},
    };
    std::string path = joinPath(temp, "表 Fake.lnk");
    ASSERT_EQ(S_OK, CoInitialize(NULL));
    for (const FakeOperation& operation : operations) {
        for (const FailureCase& c : cases) {
            FakeFactory factory;
            factory.behaviour = c.behaviour;
            DWORD cookie = 0;
            ASSERT_EQ(S_OK, CoRegisterClassObject(*operation.type, &factory, CLSCTX_INPROC_SERVER,
                                                  REGCLS_MULTIPLEUSE, &cookie));
            HRESULT result = operation.run(path);
            CoRevokeClassObject(cookie);

            std::vector<std::string> expected;
            if (SUCCEEDED(c.behaviour.create))
                expected = operation.setterCalls;
            if (c.saved)
                expected.push_back("Save " + path + " remember");
            EXPECT_EQ(c.result, result) << operation.name << ", " << c.name;
            EXPECT_EQ(expected, factory.calls) << operation.name << ", " << c.name;
            EXPECT_EQ(0, liveReferences) << operation.name << ", " << c.name;
        }
    }
    CoUninitialize();
}

TEST_F(ShellLinks, PathThatDoesNotConvertIsNotSaved)
{
    // 300 bytes do not fit the 260 wide characters of the save path.
    std::string path = "C:\\" + std::string(296, 'l') + ".lnk";
    ASSERT_EQ(S_OK, CoInitialize(NULL));
    const CLSID* types[] = {&CLSID_ShellLink, &CLSID_InternetShortcut};
    for (const CLSID* type : types) {
        FakeFactory factory;
        factory.behaviour = FakeBehaviour{S_OK, S_OK, S_OK, S_OK};
        DWORD cookie = 0;
        ASSERT_EQ(S_OK, CoRegisterClassObject(*type, &factory, CLSCTX_INPROC_SERVER,
                                              REGCLS_MULTIPLEUSE, &cookie));
        HRESULT result = type == &CLSID_ShellLink
                             ? createShellLink(path.c_str(), "Game", "C:\\game.exe", NULL)
                             : createInternetShortcut(path.c_str(), "http://example.com/");
        CoRevokeClassObject(cookie);
        EXPECT_TRUE(FAILED(result));
        for (const std::string& call : factory.calls)
            EXPECT_NE(0u, call.compare(0, 4, "Save")) << call;
        EXPECT_EQ(0, liveReferences);
    }
    CoUninitialize();
}

// ---- Explorer on the shortcut group ---------------------------------------

typedef NTSTATUS(NTAPI* QueryInformationProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

// The command line another process was started with, read from its process
// parameters (Wine answers no direct query for it).
std::string commandLineOf(HANDLE process)
{
    QueryInformationProcess query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic;
    PEB peb;
    RTL_USER_PROCESS_PARAMETERS parameters;
    WCHAR text[1024] = L"";
    SIZE_T read;
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, NULL) != 0 ||
        !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, &read) ||
        !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, &read) ||
        parameters.CommandLine.Length >= sizeof text ||
        !ReadProcessMemory(process, parameters.CommandLine.Buffer, text,
                           parameters.CommandLine.Length, &read))
        return "(unreadable)";
    return narrow(text);
}

class ExplorerWindow : public ShellLinks {
protected:
    HWND window = NULL;

    void TearDown() override
    {
        if (window && IsWindow(window))
            PostMessageA(window, WM_CLOSE, 0, 0);
        ShellLinks::TearDown();
    }
};

TEST_F(ExplorerWindow, OpensTheGroupFolderEvenWithBlanksInIt)
{
    std::string folder = makeTempFolder("Start Menu グループ");
    std::string name = folder.substr(folder.rfind('\\') + 1);
    strcpy(session.startMenuFolder, folder.c_str());

    ASSERT_TRUE(openFolderInExplorer());

    // Wine's Explorer shows the folder's name as its caption.
    window = waitForWindow("ExplorerWClass", name.c_str(), 0, 20000);
    ASSERT_TRUE(window != NULL) << "no Explorer window for " << name;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    EXPECT_NE(GetCurrentProcessId(), processId);
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    ASSERT_TRUE(process != NULL);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(std::string(windows) + "\\explorer.exe \"" + folder + "\"", commandLineOf(process));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitForWindowGone(window, 10000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
    CloseHandle(process);
    removeTree(folder);
}

TEST_F(ExplorerWindow, CommandLineThatDoesNotFitStartsNothing)
{
    // Fits startMenuFolder, but not with "C:\windows\explorer.exe " and the
    // quotes in front.
    std::string folder = "C:\\" + std::string(240, 'f');
    strcpy(session.startMenuFolder, folder.c_str());

    EXPECT_FALSE(openFolderInExplorer());
    window = waitForWindow("ExplorerWClass", NULL, 0, 3000);
    EXPECT_TRUE(window == NULL);
}

// ---- WOW64 ----------------------------------------------------------------

TEST(RunningUnderWow64, IsFalseInA64BitProcess)
{
    // The lookup finds the function here, so its answer is what is tested.
    // The true case needs a 32-bit process on 64-bit Windows: this machine
    // runs only 64-bit Windows programs (no 32-bit Wine), so the shipped
    // i686 build cannot be run to ask.
    ASSERT_TRUE(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process") != NULL);
    EXPECT_FALSE(runningUnderWow64());
}

}  // namespace
