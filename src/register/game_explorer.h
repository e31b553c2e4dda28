// Registration of the installed game with the Windows Game Explorer, and the
// WMI lookup of a game that Windows already knows. Main thread only.
//
// COM: probe, add and remove ask for a multithreaded apartment; on the
// main thread, a single-threaded apartment, that is refused with
// RPC_E_CHANGED_MODE and they work inside the existing apartment. The
// lookup calls CoInitialize. Each undoes only an initialisation that
// succeeded, and no COM object outlives the call. None shows a message.
#pragma once

#include <windows.h>

// True when a Game Explorer object can be created (not on Windows without
// one).
int probeGameExplorer();

// Registers installRoot\CompanyName\GameDir with its definition file
// "setup.dll" for the current user. Success: S_OK, and
// session.gameInstanceId holds the instance GUID. Negative on failure; the
// GUID is then all zero.
HRESULT addGameToExplorer();

// Removes the registration with instanceId; E_INVALIDARG for an all-zero
// GUID (nothing is asked of the Game Explorer then).
HRESULT removeGameFromExplorer(GUID instanceId);

// Looks through the games registered with Windows for the last one whose
// name equals GameTitle exactly and takes its instance GUID into
// session.gameInstanceId; left unchanged without a match. Returns the
// HRESULT of the last step performed: WBEM_S_FALSE (1) after a complete
// enumeration. Writes its findings as debug lines (OutputDebugStringW).
HRESULT findGameInstanceId();
