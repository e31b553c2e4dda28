// The WMI lookup of an installed game by its title: one pass over the games
// that Windows knows, the last exact match supplying the instance GUID,
// every finding written as a debug line.
#include <windows.h>
// Defines the WMI class and interface GUIDs here; no WMI import library.
#include <initguid.h>
#include <wbemcli.h>

#include <stdarg.h>
#include <string.h>

#include "register/com_text.h"
#include "register/game_explorer.h"
#include "setup/config.h"
#include "setup/messages.h"
#include "setup/session.h"

// wvsprintfW writes at most this many characters, terminator included.
enum { DebugFormatLimit = 1024 };

// Formats a line, adds the line feed and hands it to the debugger.
static void writeDebugLine(const wchar_t* format, ...)
{
    WCHAR line[DebugFormatLimit + 1];
    va_list args;
    va_start(args, format);
    wvsprintfW(line, format, args);
    va_end(args);
    // A line cut at the limit may lack its terminator.
    line[DebugFormatLimit - 1] = L'\0';
    int length = lstrlenW(line);
    line[length] = L'\n';
    line[length + 1] = L'\0';
    OutputDebugStringW(line);
}

static int hexDigitValue(WCHAR c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return -1;
}

// count hexadecimal digits from text[at], highest first; false at a
// character that is not one.
static int readHex(const WCHAR* text, int at, int count, unsigned long* value)
{
    *value = 0;
    for (int i = at; i < at + count; i++) {
        int digit = hexDigitValue(text[i]);
        if (digit < 0)
            return 0;
        *value = (*value << 4) | (unsigned long)digit;
    }
    return 1;
}

// An InstanceID in registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// into id; the braces and hyphens are not examined. A text of another
// length, or with a non-digit where a digit belongs, leaves id unchanged.
static void convertInstanceId(const WCHAR* text, GUID* id)
{
    // Where the eight bytes of Data4 begin in the text.
    static const int data4At[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    GUID converted;
    unsigned long value;

    if (lstrlenW(text) != 38)
        return;
    if (!readHex(text, 1, 8, &value))
        return;
    converted.Data1 = value;
    if (!readHex(text, 10, 4, &value))
        return;
    converted.Data2 = (unsigned short)value;
    if (!readHex(text, 15, 4, &value))
        return;
    converted.Data3 = (unsigned short)value;
    for (int i = 0; i < 8; i++) {
        if (!readHex(text, data4At[i], 2, &value))
            return;
        converted.Data4[i] = (unsigned char)value;
    }
    *id = converted;
}

// The text of a property, or an empty text for a value that is none.
static const WCHAR* propertyText(const VARIANT* value)
{
    if (V_VT(value) != VT_BSTR || !V_BSTR(value))
        return L"";
    return V_BSTR(value);
}

// Reads Name, InstanceID and InstallScope of one game, takes its GUID when
// the name is the title, and writes the game's debug line.
static void examineGame(IWbemClassObject* game, BSTR title)
{
    VARIANT name;
    VARIANT instanceId;
    VARIANT installScope;
    // Zeroed (VT_EMPTY): a value that carries no number prints as 0.
    memset(&name, 0, sizeof name);
    memset(&instanceId, 0, sizeof instanceId);
    memset(&installScope, 0, sizeof installScope);

    if (FAILED(game->Get(L"Name", 0, &name, NULL, NULL))) {
        writeDebugLine(DbgNoGameName);
    } else if (FAILED(game->Get(L"InstanceID", 0, &instanceId, NULL, NULL))) {
        writeDebugLine(DbgNoInstanceId);
    } else if (FAILED(game->Get(L"InstallScope", 0, &installScope, NULL, NULL))) {
        writeDebugLine(DbgNoInstallScope);
    } else {
        // Exact case; a registration of any scope can match.
        if (V_VT(&name) == VT_BSTR && lstrcmpW(propertyText(&name), title) == 0 &&
            V_VT(&instanceId) == VT_BSTR)
            convertInstanceId(propertyText(&instanceId), &session.gameInstanceId);
        writeDebugLine(DbgGameRead, propertyText(&name), propertyText(&instanceId),
                       (unsigned int)V_UI4(&installScope));
    }
    VariantClear(&name);
    VariantClear(&instanceId);
    VariantClear(&installScope);
}

// The whole enumeration; it does not stop at a match, so the game
// enumerated last wins. Returns the HRESULT of the Next that ended it.
static HRESULT examineGames(IEnumWbemClassObject* games, BSTR title)
{
    for (;;) {
        IWbemClassObject* game = NULL;
        ULONG returned = 0;
        HRESULT next = games->Next(WBEM_INFINITE, 1, &game, &returned);
        if (returned == 0 || !game)
            return next;
        if (FAILED(next))
            writeDebugLine(DbgEnumeratorFailure, (unsigned int)next);
        else
            examineGame(game, title);
        game->Release();
    }
}

HRESULT findGameInstanceId()
{
    HRESULT initialised = CoInitialize(NULL);
    HRESULT result = initialised;
    BSTR title = NULL;
    BSTR gamesNamespace = NULL;
    BSTR queryLanguage = NULL;
    BSTR query = NULL;
    IWbemLocator* locator = NULL;
    IWbemServices* services = NULL;
    IEnumWbemClassObject* games = NULL;

    title = makeComText(setupConfig.GameTitle);
    if (!title)
        goto out;
    result = CoCreateInstance(CLSID_WbemLocator, NULL, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              (void**)&locator);
    if (FAILED(result)) {
        writeDebugLine(DbgLocatorNotCreated, (unsigned int)result);
        goto out;
    }
    gamesNamespace = SysAllocString(L"ROOT\\CIMV2\\Applications\\Games");
    if (!gamesNamespace) {
        writeDebugLine(DbgNamespaceText);
        result = E_OUTOFMEMORY;
        goto out;
    }
    result = locator->ConnectServer(gamesNamespace, NULL, NULL, NULL, 0, NULL, NULL, &services);
    if (FAILED(result)) {
        writeDebugLine(DbgCannotConnect, (unsigned int)result);
        goto out;
    }
    result = CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, NULL,
                               RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, NULL,
                               EOAC_NONE);
    if (FAILED(result)) {
        writeDebugLine(DbgProxyBlanket, (unsigned int)result);
        goto out;
    }
    queryLanguage = SysAllocString(L"WQL");
    if (!queryLanguage) {
        writeDebugLine(DbgQueryTypeText);
        result = E_OUTOFMEMORY;
        goto out;
    }
    query = SysAllocString(L"SELECT * FROM GAME");
    if (!query) {
        writeDebugLine(DbgQueryText);
        result = E_OUTOFMEMORY;
        goto out;
    }
    result = services->ExecQuery(queryLanguage, query,
                                 WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, NULL,
                                 &games);
    if (FAILED(result)) {
        writeDebugLine(DbgQueryText);
        result = E_OUTOFMEMORY;
        goto out;
    }
    if (games)
        result = examineGames(games, title);

out:
    SysFreeString(query);
    SysFreeString(queryLanguage);
    SysFreeString(gamesNamespace);
    SysFreeString(title);
    if (games)
        games->Release();
    if (services)
        services->Release();
    if (locator)
        locator->Release();
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return result;
}
