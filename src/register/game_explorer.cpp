// Registration with the Game Explorer through IGameExplorer: the probe, the
// registration of the installed game and its removal.
#include "register/game_explorer.h"

#include <string.h>

#include "register/com_text.h"
#include "register/game_explorer_interface.h"
#include "setup/config.h"
#include "setup/session.h"
#include "setup/support.h"

// On the main thread this is refused with RPC_E_CHANGED_MODE, and the
// object comes from the single-threaded apartment already there.
static HRESULT enterComForGameExplorer()
{
    return CoInitializeEx(NULL, COINIT_MULTITHREADED);
}

// Undoes only an initialisation of our own (S_OK or S_FALSE).
static void leaveComForGameExplorer(HRESULT initialised)
{
    if (SUCCEEDED(initialised))
        CoUninitialize();
}

static HRESULT createGameExplorer(IGameExplorer** explorer)
{
    *explorer = NULL;
    return CoCreateInstance(CLSID_GameExplorer, NULL, CLSCTX_INPROC_SERVER, IID_IGameExplorer,
                            (void**)explorer);
}

int probeGameExplorer()
{
    HRESULT initialised = enterComForGameExplorer();
    IGameExplorer* explorer;
    HRESULT created = createGameExplorer(&explorer);
    if (SUCCEEDED(created))
        explorer->Release();
    leaveComForGameExplorer(initialised);
    return SUCCEEDED(created);
}

// installRoot\CompanyName\GameDir and the definition file in it; false when
// either does not fit MAX_PATH.
static int composeGamePaths(char* folder, char* definitionFile)
{
    folder[0] = '\0';
    return copyText(folder, MAX_PATH, session.installRoot) &&
           appendPath(folder, MAX_PATH, setupConfig.CompanyName) &&
           appendPath(folder, MAX_PATH, setupConfig.GameDir) &&
           copyText(definitionFile, MAX_PATH, folder) &&
           appendPath(definitionFile, MAX_PATH, "setup.dll");
}

HRESULT addGameToExplorer()
{
    HRESULT initialised = enterComForGameExplorer();
    IGameExplorer* explorer;
    char folder[MAX_PATH];
    char definitionFile[MAX_PATH];
    BSTR folderText = NULL;
    BSTR definitionText = NULL;
    HRESULT result = createGameExplorer(&explorer);
    if (FAILED(result))
        goto out;

    // A registration that was never asked for is a failure, not the
    // creation's success.
    if (!composeGamePaths(folder, definitionFile)) {
        result = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        goto release;
    }
    folderText = makeComText(folder);
    definitionText = makeComText(definitionFile);
    if (!folderText || !definitionText) {
        result = E_OUTOFMEMORY;
        goto release;
    }
    result = explorer->AddGame(definitionText, folderText, GIS_CURRENT_USER,
                               &session.gameInstanceId);
    // A Game Explorer may hand out a fresh GUID and still refuse the game
    // (Wine does for a file without a game definition); that GUID names
    // no registration.
    if (FAILED(result))
        memset(&session.gameInstanceId, 0, sizeof session.gameInstanceId);

release:
    SysFreeString(definitionText);
    SysFreeString(folderText);
    explorer->Release();
out:
    leaveComForGameExplorer(initialised);
    return result;
}

HRESULT removeGameFromExplorer(GUID instanceId)
{
    HRESULT initialised = enterComForGameExplorer();
    IGameExplorer* explorer;
    HRESULT result = createGameExplorer(&explorer);
    if (SUCCEEDED(result)) {
        result = IsEqualGUID(instanceId, GUID_NULL) ? E_INVALIDARG
                                                    : explorer->RemoveGame(instanceId);
        explorer->Release();
    }
    leaveComForGameExplorer(initialised);
    return result;
}
