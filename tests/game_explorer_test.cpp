// Game Explorer registration and the WMI lookup of installed games. Wine
// has no games namespace and registers no game without a definition
// resource, so the matching and the failure paths run through the
// production code against fakes registered as the COM classes (the class
// objects of this apartment); the last group runs against Wine's own Game
// Explorer and WMI locator. Debug lines are read back by a vectored
// exception handler, which sees the exception that OutputDebugString raises.
#include <windows.h>
#include <initguid.h>
#include <wbemcli.h>

#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "register/game_explorer.h"
#include "register/game_explorer_interface.h"
#include "setup/config.h"
#include "setup/session.h"
#include "support/test_files.h"

namespace {

// --- debug lines ------------------------------------------------------------

CRITICAL_SECTION debugLock;
std::vector<std::wstring> debugLines;
DWORD lastDebugException;

std::wstring widen(const char* text)
{
    WCHAR wide[2048];
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 2048))
        return L"?";
    return wide;
}

LONG CALLBACK takeDebugString(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    std::wstring text;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C && record->NumberParameters >= 2)
        text = (const wchar_t*)record->ExceptionInformation[1];
    else if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2)
        text = widen((const char*)record->ExceptionInformation[1]);
    else
        return EXCEPTION_CONTINUE_SEARCH;
    EnterCriticalSection(&debugLock);
    debugLines.push_back(text);
    lastDebugException = record->ExceptionCode;
    LeaveCriticalSection(&debugLock);
    // As a debugger does: the text has been taken.
    return EXCEPTION_CONTINUE_EXECUTION;
}

std::vector<std::wstring> takeDebugLines()
{
    EnterCriticalSection(&debugLock);
    std::vector<std::wstring> lines;
    lines.swap(debugLines);
    LeaveCriticalSection(&debugLock);
    return lines;
}

std::string narrow(const std::wstring& text)
{
    char bytes[4096];
    if (!WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, NULL, NULL))
        return "?";
    return bytes;
}

std::string describeLines(const std::vector<std::wstring>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += "[" + narrow(line) + "]";
    return text.empty() ? "(none)" : text;
}

// --- apartments -------------------------------------------------------------

enum Apartment { NoApartment, SingleThreaded, MultiThreaded };

// Asks for the multithreaded apartment and undoes what that did.
Apartment apartmentOfThisThread()
{
    HRESULT asked = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    if (asked == RPC_E_CHANGED_MODE)
        return SingleThreaded;
    if (SUCCEEDED(asked))
        CoUninitialize();
    return asked == S_OK ? NoApartment : MultiThreaded;
}

// Runs work on a new thread that starts without COM (initialised as asked)
// and returns that thread's apartment after the work.
Apartment runOnNewThread(Apartment initialised, const std::function<void()>& work)
{
    struct Job {
        Apartment initialised;
        const std::function<void()>* work;
        Apartment after;
    } job = {initialised, &work, NoApartment};
    HANDLE thread = CreateThread(
        NULL, 0,
        [](void* parameter) -> DWORD {
            Job* job = (Job*)parameter;
            if (job->initialised == MultiThreaded)
                CoInitializeEx(NULL, COINIT_MULTITHREADED);
            (*job->work)();
            job->after = apartmentOfThisThread();
            if (job->initialised == MultiThreaded)
                CoUninitialize();
            return 0;
        },
        &job, 0, NULL);
    if (!thread)
        return NoApartment;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return job.after;
}

// --- GUIDs ------------------------------------------------------------------

// The WMI codes are unsigned enumerators; HRESULTs are signed.
const HRESULT NotFound = (HRESULT)WBEM_E_NOT_FOUND;
const HRESULT EnumerationFailed = (HRESULT)WBEM_E_FAILED;
const HRESULT NoSuchNamespace = (HRESULT)WBEM_E_INVALID_NAMESPACE;
const HRESULT BadQuery = (HRESULT)WBEM_E_INVALID_QUERY;
const HRESULT EnumerationEnd = (HRESULT)WBEM_S_FALSE;

const GUID ZeroGuid = {};
const GUID FirstGuid = {0x1a2b3c4d, 0x5e6f, 0x7a8b, {0x9c, 0xad, 0xbe, 0xcf, 0xd0, 0xe1, 0xf2, 0x03}};
const GUID SecondGuid = {0xfedcba98, 0x7654, 0x3210, {0x0f, 0x1e, 0x2d, 0x3c, 0x4b, 0x5a, 0x69, 0x78}};
const GUID PresetGuid = {0x00c0ffee, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

// Registry form, upper-case, as Windows writes it.
std::wstring guidText(const GUID& id)
{
    WCHAR text[64];
    if (!StringFromGUID2(id, text, 64))
        return L"?";
    return text;
}

std::wstring lowerCase(std::wstring text)
{
    CharLowerBuffW(&text[0], (DWORD)text.size());
    return text;
}

std::string guidName(const GUID& id) { return narrow(guidText(id)); }

// --- the fake Game Explorer ---------------------------------------------------

struct ExplorerLog {
    HRESULT createResult = S_OK;
    HRESULT addResult = S_OK;
    GUID addWrites = {};            // into the out-argument, also on failure
    HRESULT removeResult = S_OK;
    int created = 0;
    Apartment createdIn = NoApartment;
    bool askedForGameExplorer = false;
    int addCalls = 0;
    std::wstring definitionFile;
    std::wstring folder;
    int scope = 0;
    GUID addReceived = {};
    int removeCalls = 0;
    GUID removeReceived = {};
    LONG alive = 0;
};
ExplorerLog explorerLog;

struct FakeGameExplorer final : IGameExplorer {
    LONG references = 1;

    FakeGameExplorer() { explorerLog.alive++; }
    ~FakeGameExplorer() { explorerLog.alive--; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IGameExplorer)) {
            *object = NULL;
            return E_NOINTERFACE;
        }
        *object = static_cast<IGameExplorer*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE AddGame(BSTR definitionFile, BSTR folder, GAME_INSTALL_SCOPE scope,
                                      GUID* instanceId) override
    {
        explorerLog.addCalls++;
        explorerLog.definitionFile = definitionFile ? definitionFile : L"(null)";
        explorerLog.folder = folder ? folder : L"(null)";
        explorerLog.scope = scope;
        explorerLog.addReceived = *instanceId;
        *instanceId = explorerLog.addWrites;
        return explorerLog.addResult;
    }
    HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) override
    {
        explorerLog.removeCalls++;
        explorerLog.removeReceived = instanceId;
        return explorerLog.removeResult;
    }
    HRESULT STDMETHODCALLTYPE UpdateGame(GUID) override
    {
        ADD_FAILURE() << "UpdateGame called";
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR, BOOL*) override
    {
        ADD_FAILURE() << "VerifyAccess called";
        return E_NOTIMPL;
    }
};

HRESULT createFakeGameExplorer(REFIID iid, void** object)
{
    explorerLog.created++;
    explorerLog.createdIn = apartmentOfThisThread();
    explorerLog.askedForGameExplorer = IsEqualIID(iid, IID_IGameExplorer);
    if (FAILED(explorerLog.createResult))
        return explorerLog.createResult;
    FakeGameExplorer* explorer = new FakeGameExplorer;
    HRESULT result = explorer->QueryInterface(iid, object);
    explorer->Release();
    return result;
}

// A class object of static lifetime that makes the fakes.
struct FakeClassFactory : IClassFactory {
    HRESULT (*create)(REFIID iid, void** object);

    explicit FakeClassFactory(HRESULT (*maker)(REFIID, void**)) : create(maker) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
            *object = NULL;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        *object = NULL;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// --- the fake WMI ---------------------------------------------------------------

struct PropertySpec {
    HRESULT result;         // of Get; on failure the value is not touched
    VARTYPE type;           // VT_BSTR, VT_I4 or VT_NULL
    std::wstring text;
    LONG number;
};

PropertySpec textProperty(const std::wstring& text) { return {S_OK, VT_BSTR, text, 0}; }
PropertySpec numberProperty(LONG number) { return {S_OK, VT_I4, L"", number}; }
PropertySpec emptyProperty() { return {S_OK, VT_NULL, L"", 0}; }
PropertySpec unreadableProperty() { return {NotFound, VT_EMPTY, L"", 0}; }

struct GameSpec {
    PropertySpec name;
    PropertySpec instanceId;
    PropertySpec installScope;
};

// One answer of the enumerator's Next.
struct NextStep {
    HRESULT result;
    bool withObject;
    GameSpec game;
};

struct WmiLog {
    HRESULT createResult = S_OK;
    HRESULT connectResult = S_OK;
    HRESULT blanketResult = S_OK;
    HRESULT queryResult = S_OK;
    bool queryGivesEnumerator = true;
    std::vector<NextStep> steps;    // after these, the end: WBEM_S_FALSE, no object

    std::string calls;              // "create connect blanket query next ..."
    Apartment createdIn = NoApartment;
    bool askedForLocator = false;
    std::wstring connectNamespace;
    bool connectRestEmpty = false;  // no user, password, locale, authority, context; flags 0
    IUnknown* services = NULL;
    IUnknown* blanketProxy = NULL;
    DWORD blanket[5] = {};          // authn, authz, level, impersonation, capabilities
    bool blanketPointersNull = false;
    std::wstring queryLanguage;
    std::wstring query;
    LONG queryFlags = 0;
    bool queryContextNull = false;
    bool nextArgumentsRight = true; // WBEM_INFINITE, a count of 1
    bool getArgumentsRight = true;  // flags 0, no type, no flavour, an empty VARIANT
    std::vector<std::wstring> reads;  // per game object: the properties asked for
    size_t nextIndex = 0;
    LONG alive = 0;
};
WmiLog wmiLog;

// Counts itself among the fakes alive and frees itself at the last Release.
template <typename Interface>
struct FakeObject : Interface {
    LONG references = 1;
    FakeObject() { wmiLog.alive++; }
    virtual ~FakeObject() { wmiLog.alive--; }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT answer(REFIID iid, REFIID own, void** object)
    {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, own)) {
            *object = NULL;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
};

struct FakeGame : FakeObject<IWbemClassObject> {
    GameSpec spec;
    std::wstring reads;

    explicit FakeGame(const GameSpec& game) : spec(game) {}
    ~FakeGame() { wmiLog.reads.push_back(reads); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return answer(iid, IID_IWbemClassObject, object);
    }
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                  LONG* flavor) override
    {
        if (flags != 0 || type || flavor || !value || V_VT(value) != VT_EMPTY)
            wmiLog.getArgumentsRight = false;
        if (!reads.empty())
            reads += L" ";
        reads += name;
        const PropertySpec* property = NULL;
        if (lstrcmpW(name, L"Name") == 0)
            property = &spec.name;
        else if (lstrcmpW(name, L"InstanceID") == 0)
            property = &spec.instanceId;
        else if (lstrcmpW(name, L"InstallScope") == 0)
            property = &spec.installScope;
        if (!property)
            return WBEM_E_NOT_FOUND;
        if (FAILED(property->result))
            return property->result;
        V_VT(value) = property->type;
        if (property->type == VT_BSTR)
            V_BSTR(value) = SysAllocString(property->text.c_str());
        else if (property->type == VT_I4)
            V_I4(value) = property->number;
        return property->result;
    }
    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR, LONG, VARIANT*, CIMTYPE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject**,
                                        IWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject*,
                                        IWbemClassObject*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR*, IWbemClassObject**,
                                         IWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
};

// A lookup that never ends would hang the test; this many Next calls fail it.
enum { NextCallLimit = 100 };

struct FakeGames : FakeObject<IEnumWbemClassObject> {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return answer(iid, IID_IEnumWbemClassObject, object);
    }
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                                   ULONG* returned) override
    {
        wmiLog.calls += "next ";
        if (timeout != (LONG)WBEM_INFINITE || count != 1)
            wmiLog.nextArgumentsRight = false;
        objects[0] = NULL;
        *returned = 0;
        if (wmiLog.nextIndex >= wmiLog.steps.size()) {
            if (++wmiLog.nextIndex > NextCallLimit) {
                ADD_FAILURE() << "the lookup does not stop at the end of the enumeration";
                return EnumerationFailed;
            }
            return EnumerationEnd;
        }
        const NextStep& step = wmiLog.steps[wmiLog.nextIndex++];
        if (step.withObject) {
            objects[0] = new FakeGame(step.game);
            *returned = 1;
        }
        return step.result;
    }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(LONG, ULONG) override { return E_NOTIMPL; }
};

// The services proxy; CoSetProxyBlanket reaches its IClientSecurity.
struct FakeServices : FakeObject<IWbemServices>, IClientSecurity {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IClientSecurity)) {
            *object = static_cast<IClientSecurity*>(this);
            AddRef();
            return S_OK;
        }
        return answer(iid, IID_IWbemServices, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return FakeObject<IWbemServices>::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return FakeObject<IWbemServices>::Release(); }

    HRESULT STDMETHODCALLTYPE SetBlanket(IUnknown* proxy, DWORD authentication,
                                         DWORD authorisation, OLECHAR* principal, DWORD level,
                                         DWORD impersonation, void* identity,
                                         DWORD capabilities) override
    {
        wmiLog.calls += "blanket ";
        wmiLog.blanketProxy = proxy;
        DWORD seen[5] = {authentication, authorisation, level, impersonation, capabilities};
        memcpy(wmiLog.blanket, seen, sizeof seen);
        wmiLog.blanketPointersNull = !principal && !identity;
        return wmiLog.blanketResult;
    }
    HRESULT STDMETHODCALLTYPE QueryBlanket(IUnknown*, DWORD*, DWORD*, OLECHAR**, DWORD*, DWORD*,
                                           void**, DWORD*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CopyProxy(IUnknown*, IUnknown**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** games) override
    {
        wmiLog.calls += "query ";
        wmiLog.queryLanguage = language ? language : L"(null)";
        wmiLog.query = query ? query : L"(null)";
        wmiLog.queryFlags = flags;
        wmiLog.queryContextNull = !context;
        *games = wmiLog.queryGivesEnumerator && SUCCEEDED(wmiLog.queryResult) ? new FakeGames
                                                                               : NULL;
        return wmiLog.queryResult;
    }
    HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**,
                                            IWbemCallResult**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                                        IWbemCallResult**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext*,
                                             IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject*, LONG, IWbemContext*,
                                       IWbemCallResult**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject*, LONG, IWbemContext*,
                                            IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext*,
                                          IWbemCallResult**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext*,
                                               IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext*,
                                              IEnumWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG, IWbemContext*,
                                                   IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject*, LONG, IWbemContext*,
                                          IWbemCallResult**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*,
                                               IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR, LONG, IWbemContext*,
                                             IWbemCallResult**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR, LONG, IWbemContext*,
                                                  IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR, LONG, IWbemContext*,
                                                 IEnumWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*,
                                                      IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                             IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                                    IEnumWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR, const BSTR, LONG,
                                                         IWbemContext*,
                                                         IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*,
                                         IWbemClassObject*, IWbemClassObject**,
                                         IWbemCallResult**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                              IWbemClassObject*, IWbemObjectSink*) override
    {
        return E_NOTIMPL;
    }
};

struct FakeLocator : FakeObject<IWbemLocator> {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return answer(iid, IID_IWbemLocator, object);
    }
    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR user,
                                            const BSTR password, const BSTR locale,
                                            LONG securityFlags, const BSTR authority,
                                            IWbemContext* context,
                                            IWbemServices** services) override
    {
        wmiLog.calls += "connect ";
        wmiLog.connectNamespace = resource ? resource : L"(null)";
        wmiLog.connectRestEmpty =
            !user && !password && !locale && securityFlags == 0 && !authority && !context;
        *services = NULL;
        if (FAILED(wmiLog.connectResult))
            return wmiLog.connectResult;
        FakeServices* made = new FakeServices;
        wmiLog.services = static_cast<IWbemServices*>(made);
        *services = made;
        return wmiLog.connectResult;
    }
};

HRESULT createFakeLocator(REFIID iid, void** object)
{
    wmiLog.calls += "create ";
    wmiLog.createdIn = apartmentOfThisThread();
    wmiLog.askedForLocator = IsEqualIID(iid, IID_IWbemLocator);
    if (FAILED(wmiLog.createResult))
        return wmiLog.createResult;
    FakeLocator* locator = new FakeLocator;
    HRESULT result = locator->QueryInterface(iid, object);
    locator->Release();
    return result;
}

FakeClassFactory explorerFactory(createFakeGameExplorer);
FakeClassFactory locatorFactory(createFakeLocator);

// --- the process: an STA main thread, as the setup driver makes it ------------

class MainThreadApartment : public ::testing::Environment {
public:
    PVOID handler = NULL;
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CoInitialize(NULL));
        InitializeCriticalSection(&debugLock);
        handler = AddVectoredExceptionHandler(1, takeDebugString);
        ASSERT_TRUE(handler != NULL);
    }
    void TearDown() override
    {
        RemoveVectoredExceptionHandler(handler);
        CoUninitialize();
    }
};
::testing::Environment* const mainThreadApartment =
    ::testing::AddGlobalTestEnvironment(new MainThreadApartment);

const char Title[] = "Kestrel Quest テスト";
const wchar_t WideTitle[] = L"Kestrel Quest テスト";

void prepareRecords()
{
    resetInstallSession();
    memset(&setupConfig, 0, sizeof setupConfig);
    strcpy(setupConfig.CompanyName, "Kestrel");
    strcpy(setupConfig.GameDir, "TestGame");
    strcpy(setupConfig.GameTitle, Title);
    strcpy(session.installRoot, "C:\\Games");
    takeDebugLines();
}

TEST(DebugLineCapture, ReadsBackOutputDebugStringW)
{
    takeDebugLines();
    OutputDebugStringW(L"capture check テスト\n");
    std::vector<std::wstring> lines = takeDebugLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"capture check テスト\n", lines[0]);
    RecordProperty("exception", lastDebugException == DBG_PRINTEXCEPTION_WIDE_C ? "wide" : "ansi");
}

class GameExplorerFakes : public ::testing::Test {
protected:
    DWORD explorerCookie = 0;
    DWORD locatorCookie = 0;

    void SetUp() override
    {
        prepareRecords();
        explorerLog = ExplorerLog();
        wmiLog = WmiLog();
        ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_GameExplorer, &explorerFactory,
                                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                              &explorerCookie));
        ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_WbemLocator, &locatorFactory,
                                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                              &locatorCookie));
    }
    void TearDown() override
    {
        CoRevokeClassObject(explorerCookie);
        CoRevokeClassObject(locatorCookie);
        EXPECT_EQ(0, explorerLog.alive) << "Game Explorer objects not released";
        EXPECT_EQ(0, wmiLog.alive) << "WMI objects not released";
        EXPECT_EQ(SingleThreaded, apartmentOfThisThread()) << "the main thread's STA is gone";
    }
};

// --- Game Explorer with the fake ------------------------------------------------

TEST_F(GameExplorerFakes, ProbeCreatesTheObjectInTheMainThreadsApartment)
{
    EXPECT_TRUE(probeGameExplorer());
    EXPECT_EQ(1, explorerLog.created);
    EXPECT_TRUE(explorerLog.askedForGameExplorer);
    EXPECT_EQ(SingleThreaded, explorerLog.createdIn);
}

TEST_F(GameExplorerFakes, ProbeIsFalseWithoutAGameExplorer)
{
    explorerLog.createResult = REGDB_E_CLASSNOTREG;
    EXPECT_FALSE(probeGameExplorer());
    EXPECT_EQ(1, explorerLog.created);
}

TEST_F(GameExplorerFakes, AddRegistersTheInstallFolderForTheCurrentUser)
{
    // ソ and 表 end in 0x5C, the byte of a backslash.
    strcpy(session.installRoot, "C:\\ゲーム\\");
    strcpy(setupConfig.CompanyName, "ソフト会社");
    strcpy(setupConfig.GameDir, "表示テスト");
    explorerLog.addWrites = FirstGuid;

    EXPECT_EQ(S_OK, addGameToExplorer());
    EXPECT_EQ(1, explorerLog.addCalls);
    EXPECT_EQ(L"C:\\ゲーム\\ソフト会社\\表示テスト", explorerLog.folder);
    EXPECT_EQ(L"C:\\ゲーム\\ソフト会社\\表示テスト\\setup.dll", explorerLog.definitionFile);
    EXPECT_EQ(GIS_CURRENT_USER, explorerLog.scope);
    EXPECT_EQ(guidName(ZeroGuid), guidName(explorerLog.addReceived)) << "a new GUID is asked for";
    EXPECT_EQ(guidName(FirstGuid), guidName(session.gameInstanceId));
    EXPECT_EQ(SingleThreaded, explorerLog.createdIn);
}

struct AddFailureCase {
    const char* name;
    HRESULT result;
};

const AddFailureCase addFailures[] = {
    {"unspecified failure", E_FAIL},
    {"definition file missing", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
    {"no game definition in the file", HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND)},
};

TEST_F(GameExplorerFakes, FailedAddLeavesNoGuidBehind)
{
    for (const AddFailureCase& failure : addFailures) {
        SCOPED_TRACE(failure.name);
        memset(&session.gameInstanceId, 0, sizeof session.gameInstanceId);
        explorerLog.addResult = failure.result;
        explorerLog.addWrites = SecondGuid;  // a fresh GUID, as Wine hands out
        EXPECT_EQ(failure.result, addGameToExplorer());
        EXPECT_EQ(guidName(ZeroGuid), guidName(session.gameInstanceId));
    }
    EXPECT_EQ(3, explorerLog.addCalls);
}

TEST_F(GameExplorerFakes, AddReportsACreationFailure)
{
    explorerLog.createResult = REGDB_E_CLASSNOTREG;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, addGameToExplorer());
    EXPECT_EQ(0, explorerLog.addCalls);
    EXPECT_EQ(guidName(ZeroGuid), guidName(session.gameInstanceId));
}

TEST_F(GameExplorerFakes, AddFailsWhenTheDefinitionFilePathDoesNotFit)
{
    // The folder fits MAX_PATH; with "\setup.dll" it does not.
    std::string root = "C:\\" + std::string(230, 'r');
    strcpy(session.installRoot, root.c_str());
    explorerLog.addWrites = FirstGuid;

    HRESULT result = addGameToExplorer();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), result);
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(1, explorerLog.created);
    EXPECT_EQ(0, explorerLog.addCalls);
    EXPECT_EQ(guidName(ZeroGuid), guidName(session.gameInstanceId));
}

TEST_F(GameExplorerFakes, RemoveHandsTheGuidOver)
{
    EXPECT_EQ(S_OK, removeGameFromExplorer(FirstGuid));
    explorerLog.removeResult = E_FAIL;
    EXPECT_EQ(E_FAIL, removeGameFromExplorer(SecondGuid));
    EXPECT_EQ(2, explorerLog.removeCalls);
    EXPECT_EQ(guidName(SecondGuid), guidName(explorerLog.removeReceived));
    EXPECT_EQ(SingleThreaded, explorerLog.createdIn);
}

TEST_F(GameExplorerFakes, RemoveRefusesTheZeroGuid)
{
    EXPECT_EQ(E_INVALIDARG, removeGameFromExplorer(ZeroGuid));
    EXPECT_EQ(1, explorerLog.created);
    EXPECT_EQ(0, explorerLog.removeCalls);
}

TEST_F(GameExplorerFakes, RemoveReportsACreationFailure)
{
    explorerLog.createResult = REGDB_E_CLASSNOTREG;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, removeGameFromExplorer(FirstGuid));
    EXPECT_EQ(0, explorerLog.removeCalls);
}

// --- the lookup with the fake WMI ---------------------------------------------------

GameSpec gameSpec(const std::wstring& name, const std::wstring& instanceId, LONG scope = 2)
{
    return {textProperty(name), textProperty(instanceId), numberProperty(scope)};
}

NextStep game(const std::wstring& name, const std::wstring& instanceId, LONG scope = 2)
{
    return {S_OK, true, gameSpec(name, instanceId, scope)};
}

NextStep game(const GameSpec& spec) { return {S_OK, true, spec}; }

std::wstring gameLine(const std::wstring& name, const std::wstring& instanceId, LONG scope = 2)
{
    return L"Game: " + name + L", " + instanceId + L", " + std::to_wstring(scope) + L"\n";
}

const std::wstring NoNameLine = L"Failure getting game name for this game.\n";
const std::wstring NoInstanceIdLine = L"Failure getting game instance ID for this game.\n";
const std::wstring NoScopeLine = L"Failure getting game install scope for this game.\n";

struct LookupCase {
    const char* name;
    std::vector<NextStep> steps;
    HRESULT result;
    GUID id;                        // afterwards; PresetGuid: left unchanged
    std::vector<std::wstring> lines;
    std::vector<std::wstring> reads;
};

std::vector<LookupCase> lookupCases()
{
    const std::wstring first = guidText(FirstGuid);
    const std::wstring second = guidText(SecondGuid);
    const std::wstring all = L"Name InstanceID InstallScope";
    GameSpec noName = gameSpec(WideTitle, first);
    noName.name = unreadableProperty();
    GameSpec noInstanceId = gameSpec(WideTitle, first);
    noInstanceId.instanceId = unreadableProperty();
    GameSpec noScope = gameSpec(WideTitle, first);
    noScope.installScope = unreadableProperty();
    GameSpec nameNotText = gameSpec(WideTitle, first);
    nameNotText.name = emptyProperty();
    GameSpec idNotText = gameSpec(WideTitle, first);
    idNotText.instanceId = numberProperty(7);
    std::wstring nonDigit = first;
    nonDigit[36] = L'G';

    return {
        {"no game installed", {}, EnumerationEnd, PresetGuid, {}, {}},
        {"the title's game", {game(WideTitle, first)}, EnumerationEnd, FirstGuid,
         {gameLine(WideTitle, first)}, {all}},
        {"the title's game for all users", {game(WideTitle, first, 3)}, EnumerationEnd, FirstGuid,
         {gameLine(WideTitle, first, 3)}, {all}},
        {"another game", {game(L"Other Quest", first)}, EnumerationEnd, PresetGuid,
         {gameLine(L"Other Quest", first)}, {all}},
        {"the title in capitals", {game(L"KESTREL QUEST テスト", first)}, EnumerationEnd,
         PresetGuid, {gameLine(L"KESTREL QUEST テスト", first)}, {all}},
        {"the title in small letters", {game(L"kestrel quest テスト", first)}, EnumerationEnd,
         PresetGuid, {gameLine(L"kestrel quest テスト", first)}, {all}},
        {"the title with a trailing blank", {game(L"Kestrel Quest テスト ", first)},
         EnumerationEnd, PresetGuid, {gameLine(L"Kestrel Quest テスト ", first)}, {all}},
        {"two registrations: the last wins",
         {game(WideTitle, first), game(WideTitle, second)}, EnumerationEnd, SecondGuid,
         {gameLine(WideTitle, first), gameLine(WideTitle, second)}, {all, all}},
        {"a match, then another game",
         {game(WideTitle, first), game(L"Other Quest", second)}, EnumerationEnd, FirstGuid,
         {gameLine(WideTitle, first), gameLine(L"Other Quest", second)}, {all, all}},
        {"InstanceID in small letters", {game(WideTitle, lowerCase(first))}, EnumerationEnd,
         FirstGuid, {gameLine(WideTitle, lowerCase(first))}, {all}},
        {"InstanceID in small letters, second GUID", {game(WideTitle, lowerCase(second))},
         EnumerationEnd, SecondGuid, {gameLine(WideTitle, lowerCase(second))}, {all}},
        {"name unreadable", {game(noName)}, EnumerationEnd, PresetGuid, {NoNameLine}, {L"Name"}},
        {"instance ID unreadable", {game(noInstanceId)}, EnumerationEnd, PresetGuid,
         {NoInstanceIdLine}, {L"Name InstanceID"}},
        {"install scope unreadable: no match", {game(noScope)}, EnumerationEnd, PresetGuid,
         {NoScopeLine}, {all}},
        {"an unreadable game, then the title's",
         {game(noName), game(WideTitle, second)}, EnumerationEnd, SecondGuid,
         {NoNameLine, gameLine(WideTitle, second)}, {L"Name", all}},
        {"a failed Next with an object, then the title's",
         {{EnumerationFailed, true, gameSpec(WideTitle, first)}, game(WideTitle, second)},
         EnumerationEnd, SecondGuid,
         {L"Failure in Enumerator: Error 0x80041001\n", gameLine(WideTitle, second)},
         {L"", all}},
        {"a failed Next without an object ends the lookup",
         {game(WideTitle, first), {EnumerationFailed, false, {}}, game(WideTitle, second)},
         EnumerationFailed, FirstGuid, {gameLine(WideTitle, first)}, {all}},
        {"name not a text", {game(nameNotText)}, EnumerationEnd, PresetGuid,
         {gameLine(L"", first)}, {all}},
        {"InstanceID not a text", {game(idNotText)}, EnumerationEnd, PresetGuid,
         {gameLine(WideTitle, L"")}, {all}},
        {"InstanceID too short", {game(WideTitle, first.substr(0, 37))}, EnumerationEnd,
         PresetGuid, {gameLine(WideTitle, first.substr(0, 37))}, {all}},
        {"InstanceID with a non-digit", {game(WideTitle, nonDigit)}, EnumerationEnd, PresetGuid,
         {gameLine(WideTitle, nonDigit)}, {all}},
    };
}

TEST_F(GameExplorerFakes, LookupMatchesTheTitleExactly)
{
    for (const LookupCase& lookup : lookupCases()) {
        SCOPED_TRACE(lookup.name);
        wmiLog = WmiLog();
        wmiLog.steps = lookup.steps;
        session.gameInstanceId = PresetGuid;
        takeDebugLines();

        EXPECT_EQ(lookup.result, findGameInstanceId());
        EXPECT_EQ(guidName(lookup.id), guidName(session.gameInstanceId));
        std::vector<std::wstring> lines = takeDebugLines();
        EXPECT_EQ(lookup.lines, lines) << describeLines(lines);
        EXPECT_EQ(lookup.reads, wmiLog.reads);
        EXPECT_EQ(0, wmiLog.alive) << "WMI objects not released";
        EXPECT_TRUE(wmiLog.getArgumentsRight);
        EXPECT_TRUE(wmiLog.nextArgumentsRight);
    }
}

TEST_F(GameExplorerFakes, LookupAsksTheGamesNamespaceForEveryGame)
{
    wmiLog.steps = {game(WideTitle, guidText(FirstGuid))};
    EXPECT_EQ(EnumerationEnd, findGameInstanceId());

    EXPECT_EQ("create connect blanket query next next ", wmiLog.calls);
    EXPECT_TRUE(wmiLog.askedForLocator);
    EXPECT_EQ(SingleThreaded, wmiLog.createdIn);
    EXPECT_EQ(L"ROOT\\CIMV2\\Applications\\Games", wmiLog.connectNamespace);
    EXPECT_TRUE(wmiLog.connectRestEmpty);
    EXPECT_EQ(wmiLog.services, wmiLog.blanketProxy);
    const DWORD blanket[5] = {RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, RPC_C_AUTHN_LEVEL_CALL,
                              RPC_C_IMP_LEVEL_IMPERSONATE, EOAC_NONE};
    EXPECT_EQ(0, memcmp(blanket, wmiLog.blanket, sizeof blanket));
    EXPECT_TRUE(wmiLog.blanketPointersNull);
    EXPECT_EQ(L"WQL", wmiLog.queryLanguage);
    EXPECT_EQ(L"SELECT * FROM GAME", wmiLog.query);
    EXPECT_EQ(WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, wmiLog.queryFlags);
    EXPECT_TRUE(wmiLog.queryContextNull);
    EXPECT_EQ(guidName(FirstGuid), guidName(session.gameInstanceId));
}

struct LookupFailureCase {
    const char* name;
    HRESULT WmiLog::*failing;       // the step made to fail, with this result
    HRESULT failure;
    bool enumerator;
    HRESULT result;
    const char* calls;
    std::vector<std::wstring> lines;
};

TEST_F(GameExplorerFakes, LookupEndsAtAFailedStep)
{
    const LookupFailureCase failures[] = {
        {"locator not created", &WmiLog::createResult, REGDB_E_CLASSNOTREG, true,
         REGDB_E_CLASSNOTREG, "create ", {L"Error CoCreating IWbemLocator. 0x80040154\n"}},
        {"no games namespace", &WmiLog::connectResult, NoSuchNamespace, true,
         NoSuchNamespace, "create connect ",
         {L"Could not connect to Game WMI namespace.  Error Code = 0x8004100e\n"}},
        {"proxy blanket refused", &WmiLog::blanketResult, E_ACCESSDENIED, true, E_ACCESSDENIED,
         "create connect blanket ", {L"Could not set proxy blanket.  Error Code 0x80070005\n"}},
        {"query refused", &WmiLog::queryResult, BadQuery, true, E_OUTOFMEMORY,
         "create connect blanket query ", {L"Error: Could not allocate BSTR for Query.\n"}},
        {"query without enumerator", &WmiLog::queryResult, S_OK, false, S_OK,
         "create connect blanket query ", {}},
    };
    for (const LookupFailureCase& failure : failures) {
        SCOPED_TRACE(failure.name);
        wmiLog = WmiLog();
        wmiLog.*failure.failing = failure.failure;
        wmiLog.queryGivesEnumerator = failure.enumerator;
        wmiLog.steps = {game(WideTitle, guidText(FirstGuid))};
        session.gameInstanceId = PresetGuid;
        takeDebugLines();

        EXPECT_EQ(failure.result, findGameInstanceId());
        EXPECT_EQ(failure.calls, wmiLog.calls);
        std::vector<std::wstring> lines = takeDebugLines();
        EXPECT_EQ(failure.lines, lines) << describeLines(lines);
        EXPECT_EQ(guidName(PresetGuid), guidName(session.gameInstanceId));
        EXPECT_EQ(0, wmiLog.alive) << "WMI objects not released";
    }
}

// --- Wine's own Game Explorer and WMI ----------------------------------------------

class GameExplorerOfWine : public ::testing::Test {
protected:
    void SetUp() override { prepareRecords(); }
    void TearDown() override
    {
        EXPECT_EQ(SingleThreaded, apartmentOfThisThread()) << "the main thread's STA is gone";
    }
};

TEST_F(GameExplorerOfWine, MainThreadRefusesTheMultithreadedApartment)
{
    HRESULT asked = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    if (SUCCEEDED(asked))
        CoUninitialize();
    EXPECT_EQ(RPC_E_CHANGED_MODE, asked);
}

TEST_F(GameExplorerOfWine, ProbeFindsItOnTheMainThread) { EXPECT_TRUE(probeGameExplorer()); }

TEST_F(GameExplorerOfWine, ProbeOnAThreadWithoutComLeavesNoneBehind)
{
    int found = 0;
    EXPECT_EQ(NoApartment, runOnNewThread(NoApartment, [&] { found = probeGameExplorer(); }));
    EXPECT_TRUE(found);
}

TEST_F(GameExplorerOfWine, AddWithoutAGameDefinitionFailsAndKeepsNoGuid)
{
    std::string root = makeTempFolder("explorer");
    std::string folder = joinPath(joinPath(root, "Kestrel"), "TestGame");
    CreateDirectoryA(joinPath(root, "Kestrel").c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_TRUE(writeFileBytes(joinPath(folder, "setup.dll"), "no game definition here"));
    strcpy(session.installRoot, root.c_str());

    HRESULT result = addGameToExplorer();
    EXPECT_TRUE(FAILED(result)) << std::hex << result;
    EXPECT_EQ(guidName(ZeroGuid), guidName(session.gameInstanceId));
    RecordProperty("addResult", std::to_string((unsigned long)result));
    removeTree(root);
}

TEST_F(GameExplorerOfWine, RemoveRefusesTheZeroGuid)
{
    EXPECT_EQ(E_INVALIDARG, removeGameFromExplorer(ZeroGuid));
}

TEST_F(GameExplorerOfWine, LookupFindsNoGamesNamespace)
{
    session.gameInstanceId = PresetGuid;
    EXPECT_EQ(NoSuchNamespace, findGameInstanceId());
    std::vector<std::wstring> lines = takeDebugLines();
    std::vector<std::wstring> expected = {
        L"Could not connect to Game WMI namespace.  Error Code = 0x8004100e\n"};
    EXPECT_EQ(expected, lines) << describeLines(lines);
    EXPECT_EQ(guidName(PresetGuid), guidName(session.gameInstanceId));
}

TEST_F(GameExplorerOfWine, LookupUndoesOnlyItsOwnInitialisation)
{
    HRESULT result = S_OK;
    EXPECT_EQ(NoApartment, runOnNewThread(NoApartment, [&] { result = findGameInstanceId(); }))
        << "thread without COM";
    EXPECT_EQ(NoSuchNamespace, result);
    EXPECT_EQ(MultiThreaded,
              runOnNewThread(MultiThreaded, [&] { result = findGameInstanceId(); }))
        << "thread in the multithreaded apartment";
    EXPECT_EQ(NoSuchNamespace, result);
    takeDebugLines();
}

}  // namespace
