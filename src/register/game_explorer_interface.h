// The Windows Game Explorer's COM interface (gameux), declared here because
// the MinGW headers have none: the class, the interface with its methods in
// their documented vtable order, and the install scopes.
#pragma once

#include <windows.h>
#include <oleauto.h>

inline constexpr CLSID CLSID_GameExplorer = {
    0x9a5ea990, 0x3034, 0x4d6f, {0x91, 0x28, 0x01, 0xf3, 0xc6, 0x10, 0x22, 0xbc}};
inline constexpr IID IID_IGameExplorer = {
    0xe7b2fb72, 0xd728, 0x49b3, {0xa5, 0xf2, 0x18, 0xeb, 0xf5, 0xf1, 0x34, 0x9e}};

enum GAME_INSTALL_SCOPE {
    GIS_NOT_INSTALLED = 1,
    GIS_CURRENT_USER = 2,
    GIS_ALL_USERS = 3
};

struct IGameExplorer : public IUnknown {
    // instanceId is in and out: GUID_NULL asks the Game Explorer for a new one.
    virtual HRESULT STDMETHODCALLTYPE AddGame(BSTR definitionBinaryPath, BSTR installDirectory,
                                              GAME_INSTALL_SCOPE installScope,
                                              GUID* instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR definitionBinaryPath, BOOL* hasAccess) = 0;
};
