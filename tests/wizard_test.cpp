// The wizard dialog created from the real resource and driven through its
// window messages: the template, the page sequencer, Cancel, the option
// buttons and the desktop box.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "setup/config.h"
#include "setup/session.h"
#include "support/ui_driver.h"
#include "wizard/wizard_dialog.h"

namespace {

struct ControlSpec {
    int id;
    const char* className;
    const char* text;      // Shift-JIS, as the ANSI functions give it
    const wchar_t* wide;   // the same text as the template stores it
    DWORD style;
    int x, y, width, height;
};

// In template order, which is also the z order.
const ControlSpec controlSpecs[] = {
    {NextButton, "Button", "次へ", L"次へ", 0x50010001, 279, 200, 50, 14},
    {CancelButton, "Button", "中止", L"中止", 0x50010000, 336, 200, 50, 14},
    {BackButton, "Button", "戻る", L"戻る", 0x50010000, 227, 200, 50, 14},
    {BannerPicture, "Static", "", L"", 0x5000000E, 8, 8, 15, 15},
    {InfoText, "Static", "Info", L"Info", 0x50020000, 211, 20, 168, 33},
    {DetailText, "Static", "Info2", L"Info2", 0x40020000, 211, 53, 168, 33},
    {PathEdit, "Edit", "", L"", 0x40810080, 217, 90, 156, 12},
    {BrowseButton, "Button", "参照", L"参照", 0x40010000, 318, 106, 50, 14},
    {OptionButton0, "Button", "Select0", L"Select0", 0x40002009, 220, 88, 160, 24},
    {OptionButton1, "Button", "Select1", L"Select1", 0x40002009, 220, 120, 160, 24},
    {OptionButton2, "Button", "Select2", L"Select2", 0x40002009, 220, 152, 160, 24},
    {DesktopCheck, "Button", "Check1", L"Check1", 0x40002003, 220, 152, 160, 18},
    {FileProgress, "msctls_progress32", "", L"", 0x40000000, 220, 95, 150, 8},
    {FileProgressLabel, "Static", "InfoP1", L"InfoP1", 0x40020000, 211, 74, 168, 16},
    {TotalProgress, "msctls_progress32", "", L"", 0x40000000, 220, 135, 150, 8},
    {TotalProgressLabel, "Static", "InfoP2", L"InfoP2", 0x40020000, 211, 116, 168, 16},
};
const int controlCount = sizeof controlSpecs / sizeof controlSpecs[0];

const DWORD DialogStyle = 0x90C808C0;

void pumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void resetState()
{
    resetInstallSession();
    memset(&setupConfig, 0, sizeof setupConfig);
    strcpy(setupConfig.CompanyName, "Kestrel");
    strcpy(setupConfig.GameDir, "TestGame");
    strcpy(setupConfig.SaveDataFolderNameInInstall, "savedata");
    strcpy(setupConfig.SaveDataFolderName, "Test Save");
    strcpy(session.installRoot, "C:\\Games");
}

CopyState copyState()
{
    EnterCriticalSection(&session.copyLock);
    CopyState state = session.copyState;
    LeaveCriticalSection(&session.copyLock);
    return state;
}

void setCopyState(CopyState state)
{
    EnterCriticalSection(&session.copyLock);
    session.copyState = state;
    LeaveCriticalSection(&session.copyLock);
}

// The wizard as a modeless dialog on the test thread: every message is
// handled by the time the call that sent or pumped it returns.
class WizardDialog : public ::testing::Test {
protected:
    HWND dialog = NULL;

    void SetUp() override
    {
        resetState();
        InitializeCriticalSection(&session.copyLock);
        registerWizardClasses();
        dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(WizardDialogId), NULL,
                                    wizardDialogProc, 0);
        ASSERT_NE(nullptr, dialog) << GetLastError();
        pumpMessages();
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        pumpMessages();
        DeleteCriticalSection(&session.copyLock);
    }

    void press(int id, int code = BN_CLICKED)
    {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(dialog, id));
        pumpMessages();
    }
    // EndDialog hides a modeless dialog; the result is checked modally.
    bool ended() { return !IsWindowVisible(dialog); }
};

// One control of the stored template.
struct TemplateItem {
    DLGITEMTEMPLATE item;
    std::wstring className;
    std::wstring text;
};

// A name field of a template: an ordinal after 0xFFFF, or a string. The
// predefined classes are ordinals.
std::wstring templateName(const WORD** field)
{
    const WORD* p = *field;
    if (p[0] == 0xFFFF) {
        *field = p + 2;
        switch (p[1]) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        }
        return L"#" + std::to_wstring(p[1]);
    }
    std::wstring name(reinterpret_cast<const wchar_t*>(p));
    *field = p + name.size() + 1;
    return name;
}

const WORD* alignToDword(const WORD* p)
{
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~(ULONG_PTR)3);
}

TEST_F(WizardDialog, TemplateIsStoredAsWritten)
{
    HRSRC resource = FindResourceExA(NULL, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(WizardDialogId),
                                     MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(nullptr, resource) << "no Japanese dialog 101";
    const DLGTEMPLATE* header =
        static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(NULL, resource)));
    ASSERT_NE(nullptr, header);
    // An extended template would start with the words 1, 0xFFFF.
    EXPECT_NE(0xFFFF0001u, *reinterpret_cast<const DWORD*>(header));
    EXPECT_EQ(DialogStyle, header->style);
    EXPECT_EQ(0u, header->dwExtendedStyle);
    ASSERT_EQ(controlCount, header->cdit);
    EXPECT_EQ(394, header->cx);
    EXPECT_EQ(222, header->cy);
    const WORD* field = reinterpret_cast<const WORD*>(header + 1);
    EXPECT_EQ(L"", templateName(&field)) << "menu";
    EXPECT_EQ(L"", templateName(&field)) << "class";
    EXPECT_EQ(L"SETUP", templateName(&field));
    EXPECT_EQ(11, *field++) << "point size";
    EXPECT_EQ(L"ＭＳ Ｐゴシック", templateName(&field));

    for (const ControlSpec& c : controlSpecs) {
        SCOPED_TRACE("template item " + std::to_string(c.id));
        const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(alignToDword(field));
        field = reinterpret_cast<const WORD*>(item + 1);
        std::wstring className = templateName(&field);
        std::wstring text = templateName(&field);
        WORD extra = *field++;
        field = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(field) + extra);
        EXPECT_EQ(c.id, item->id);
        EXPECT_EQ(c.style, item->style);
        EXPECT_EQ(0u, item->dwExtendedStyle);
        EXPECT_EQ(c.x, item->x);
        EXPECT_EQ(c.y, item->y);
        EXPECT_EQ(c.width, item->cx);
        EXPECT_EQ(c.height, item->cy);
        // The resource compiler stores a class given by name in capitals;
        // class names do not depend on case.
        std::wstring expectedClass(c.className, c.className + strlen(c.className));
        EXPECT_EQ(0, _wcsicmp(expectedClass.c_str(), className.c_str()));
        EXPECT_EQ(c.wide, text);
        EXPECT_EQ(0, extra) << "creation data";
    }
}

TEST_F(WizardDialog, LiveDialogHasCaptionFontAndSize)
{
    EXPECT_EQ("SETUP", windowText(dialog));
    // The dialog manager adds DS_3DLOOK; every top-level window gets WS_CLIPSIBLINGS.
    EXPECT_EQ(DialogStyle | DS_3DLOOK | WS_CLIPSIBLINGS, (DWORD)GetWindowLongA(dialog, GWL_STYLE));
    EXPECT_EQ(0, GetWindowLongA(dialog, GWL_EXSTYLE) & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE |
                                                      WS_EX_CONTROLPARENT));
    HFONT font = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
    ASSERT_NE(nullptr, font);
    LOGFONTA face;
    ASSERT_EQ((int)sizeof face, GetObjectA(font, sizeof face, &face));
    EXPECT_STREQ("ＭＳ Ｐゴシック", face.lfFaceName);
    HDC screen = GetDC(NULL);
    EXPECT_EQ(-MulDiv(11, GetDeviceCaps(screen, LOGPIXELSY), 72), face.lfHeight);
    ReleaseDC(NULL, screen);

    RECT expected = {0, 0, 394, 222};
    MapDialogRect(dialog, &expected);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(expected.right, client.right);
    EXPECT_EQ(expected.bottom, client.bottom);
}

TEST_F(WizardDialog, LiveControlsFollowTheTemplate)
{
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlSpec& c : controlSpecs) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        ASSERT_NE(nullptr, child);
        EXPECT_EQ(c.id, GetDlgCtrlID(child)) << "template order";
        child = GetWindow(child, GW_HWNDNEXT);

        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_NE(nullptr, control);
        char className[64];
        GetClassNameA(control, className, sizeof className);
        EXPECT_EQ(0, lstrcmpiA(c.className, className)) << className;
        // The dialog manager draws an edit's WS_BORDER as WS_EX_CLIENTEDGE.
        bool edit = lstrcmpiA(c.className, "Edit") == 0;
        EXPECT_EQ(edit ? c.style & ~WS_BORDER : c.style, (DWORD)GetWindowLongA(control, GWL_STYLE));
        EXPECT_EQ(edit ? WS_EX_CLIENTEDGE : 0,
                  GetWindowLongA(control, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);

        EXPECT_EQ(c.text, controlText(dialog, c.id));
        wchar_t wide[64];
        GetDlgItemTextW(dialog, c.id, wide, 64);
        EXPECT_STREQ(c.wide, wide);

        // Origin and size are mapped one by one, as the dialog manager does.
        RECT expected = {c.x, c.y, c.width, c.height};
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(expected.left, actual.left);
        EXPECT_EQ(expected.top, actual.top);
        EXPECT_EQ(expected.right, actual.right - actual.left);
        EXPECT_EQ(expected.bottom, actual.bottom - actual.top);
    }
    EXPECT_EQ(nullptr, child) << "more controls than the template lists";
}

TEST_F(WizardDialog, InitialisationStartsOnTheWelcomeStep)
{
    EXPECT_EQ(dialog, session.wizardWindow);
    EXPECT_EQ(0, session.wizardStep);
    EXPECT_EQ(0, session.pageBusy);
}

struct StepCase {
    const char* name;
    int addOnMode;
    int chooseSaveDataFolder;
    int startStep;
    int button;
    int expectedStep;
};

const StepCase stepCases[] = {
    {"Next on the welcome page runs the install-type step", 0, 0, 0, NextButton, 1},
    {"Next on the welcome page in add-on mode runs the copy start", 1, 0, 0, NextButton, 4},
    {"add-on mode jumps only from the welcome page", 1, 0, 1, NextButton, 2},
    {"Next on the install-type page", 0, 0, 1, NextButton, 2},
    {"Next on the install-folder page", 0, 0, 2, NextButton, 3},
    {"Next on the save-data page", 0, 1, 3, NextButton, 4},
    {"Next from the copying page", 0, 0, 4, NextButton, 5},
    {"Back on the install-folder page shows the install type", 0, 0, 2, BackButton, 1},
    {"Back on the save-data page shows the install folder", 0, 1, 3, BackButton, 2},
    {"Back on the path error shows the install folder", 0, 0, 3, BackButton, 2},
    {"Back after a refused copy start without save-data choice", 0, 0, 4, BackButton, 2},
    {"Back after a refused copy start with save-data choice", 0, 1, 4, BackButton, 3},
    {"Back after a refused add-on copy start", 1, 0, 4, BackButton, 2},
    {"step without a handler does nothing", 0, 0, 7, NextButton, 8},
};

TEST_F(WizardDialog, NextAndBackRunTheStepOfTheTable)
{
    for (const StepCase& c : stepCases) {
        setupConfig.addOnMode = c.addOnMode;
        setupConfig.ChooseSaveDataFolder = c.chooseSaveDataFolder;
        session.wizardStep = c.startStep;
        SetDlgItemTextA(dialog, InfoText, "stale");
        press(c.button);
        EXPECT_EQ(c.expectedStep, session.wizardStep) << c.name;
        EXPECT_EQ(0, session.pageBusy) << c.name;
        EXPECT_EQ("", controlText(dialog, InfoText)) << c.name;
        EXPECT_FALSE(ended()) << c.name;
    }
}

TEST_F(WizardDialog, ForwardPathReachesTheEnd)
{
    for (int step = 1; step <= 5; step++) {
        press(NextButton);
        ASSERT_EQ(step, session.wizardStep);
        EXPECT_FALSE(ended()) << "step " << step;
    }
    press(NextButton);
    EXPECT_TRUE(ended());
}

TEST_F(WizardDialog, PostedNextAdvancesWhileNextIsDisabled)
{
    session.wizardStep = 4;  // copying: Next is off until the worker posts it
    setNavigationButtons(dialog, FALSE, FALSE, TRUE);
    PostMessageA(dialog, WM_COMMAND, NextButton, 0);
    pumpMessages();
    EXPECT_EQ(5, session.wizardStep);
    EXPECT_EQ(0, session.pageBusy);
}

TEST_F(WizardDialog, NextAndBackAreDroppedWhileAPageRuns)
{
    session.wizardStep = 2;
    session.pageBusy = 1;
    SetDlgItemTextA(dialog, InfoText, "busy");
    press(NextButton);
    press(BackButton);
    PostMessageA(dialog, WM_COMMAND, NextButton, 0);
    pumpMessages();
    EXPECT_EQ(2, session.wizardStep);
    EXPECT_EQ(1, session.pageBusy);
    EXPECT_EQ("busy", controlText(dialog, InfoText));
}

TEST_F(WizardDialog, WaitCursorWhileAPageRuns)
{
    HCURSOR wait = LoadCursorA(NULL, IDC_WAIT);
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    LPARAM where = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    session.pageBusy = 1;
    SetCursor(arrow);
    EXPECT_EQ(TRUE, wizardDialogProc(dialog, WM_SETCURSOR, (WPARAM)dialog, where));
    EXPECT_EQ(wait, GetCursor());

    session.pageBusy = 0;
    EXPECT_EQ(FALSE, wizardDialogProc(dialog, WM_SETCURSOR, (WPARAM)dialog, where));
    SendMessageA(dialog, WM_SETCURSOR, (WPARAM)dialog, where);
    EXPECT_EQ(arrow, GetCursor()) << "default handling sets the class cursor";
}

TEST_F(WizardDialog, CancelWhileAPageRunsOnlyDisablesCancel)
{
    session.pageBusy = 1;
    press(CancelButton);
    EXPECT_FALSE(controlEnabled(dialog, CancelButton));
    EXPECT_FALSE(ended());
    EXPECT_EQ(CopyIdle, copyState());
}

TEST_F(WizardDialog, CancelWhileCopyingRequestsTheStop)
{
    session.wizardStep = 4;
    setCopyState(CopyRunning);
    press(CancelButton);
    EXPECT_FALSE(controlEnabled(dialog, CancelButton));
    EXPECT_FALSE(ended());
    EXPECT_EQ(CopyCancelRequested, copyState());
    EXPECT_EQ(4, session.wizardStep);
    // Esc or the close box while the worker winds down: still open.
    press(CancelButton);
    EXPECT_FALSE(ended());
    EXPECT_EQ(CopyCancelRequested, copyState());
}

TEST_F(WizardDialog, OtherCommandsAreIgnored)
{
    struct Case {
        const char* name;
        int id;
        int code;
    };
    const Case cases[] = {
        {"id 3", 3, BN_CLICKED},
        {"InfoText", InfoText, BN_CLICKED},
        {"BannerPicture", BannerPicture, BN_CLICKED},
        {"progress bar", FileProgress, BN_CLICKED},
        {"double click on Next", NextButton, BN_DOUBLECLICKED},
        {"focus on Cancel", CancelButton, BN_SETFOCUS},
        {"change of another edit id", InfoText, EN_CHANGE},
    };
    session.wizardStep = 1;
    for (const Case& c : cases) {
        SetDlgItemTextA(dialog, InfoText, "kept");
        press(c.id, c.code);
        EXPECT_EQ(1, session.wizardStep) << c.name;
        EXPECT_EQ(0, session.pageBusy) << c.name;
        EXPECT_EQ("kept", controlText(dialog, InfoText)) << c.name;
        EXPECT_TRUE(controlEnabled(dialog, CancelButton)) << c.name;
        EXPECT_FALSE(ended()) << c.name;
    }
}

std::string specialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

TEST_F(WizardDialog, OptionClickActsByStep)
{
    struct Case {
        const char* name;
        int step;
        int option;
        int expectedSelect;
        SaveDataMode expectedMode;
        std::string expectedDetail;
    };
    const std::string kept = "Info2";
    const Case cases[] = {
        {"install type 1", 1, 1, 1, SaveDataInInstallFolder, kept},
        {"install type 2", 1, 2, 2, SaveDataInInstallFolder, kept},
        {"save data in Documents", 3, 1, 0, SaveDataMyDocuments,
         specialFolder(CSIDL_PERSONAL) + "\\Kestrel\\Test Save"},
        {"save data in Saved Games", 3, 2, 0, SaveDataSavedGames,
         specialFolder(CSIDL_PROFILE) + "\\Saved Games\\Kestrel\\Test Save"},
        {"save data in the install folder", 3, 0, 0, SaveDataInInstallFolder,
         "C:\\Games\\Kestrel\\TestGame\\savedata"},
        {"welcome page", 0, 1, 0, SaveDataInInstallFolder, kept},
        {"install-folder page", 2, 2, 0, SaveDataInInstallFolder, kept},
        {"copying page", 4, 1, 0, SaveDataInInstallFolder, kept},
        {"completion page", 5, 2, 0, SaveDataInInstallFolder, kept},
    };
    for (const Case& c : cases) {
        session.wizardStep = c.step;
        session.selectedSelect = 0;
        // On the save-data page the mode starts elsewhere, so that its change shows.
        session.saveDataMode =
            c.step == 3 ? (SaveDataMode)((c.option + 1) % 3) : SaveDataInInstallFolder;
        SetDlgItemTextA(dialog, DetailText, kept.c_str());
        CheckRadioButton(dialog, OptionButton0, OptionButton2, OptionButton0 + (c.option + 1) % 3);
        press(optionButtonIds[c.option]);
        EXPECT_EQ(c.expectedSelect, session.selectedSelect) << c.name;
        EXPECT_EQ(c.expectedMode, session.saveDataMode) << c.name;
        EXPECT_EQ(c.expectedDetail, controlText(dialog, DetailText)) << c.name;
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(i == c.option, controlChecked(dialog, optionButtonIds[i]))
                << c.name << ", option " << i;
        EXPECT_EQ(c.step, session.wizardStep) << c.name;
    }
}

TEST_F(WizardDialog, OptionTableEndsWithNoControl)
{
    EXPECT_EQ(OptionButton0, optionButtonIds[0]);
    EXPECT_EQ(OptionButton1, optionButtonIds[1]);
    EXPECT_EQ(OptionButton2, optionButtonIds[2]);
    EXPECT_EQ(0, optionButtonIds[3]);
    EXPECT_EQ(nullptr, GetDlgItem(dialog, optionButtonIds[3]));
}

TEST_F(WizardDialog, DesktopCheckTogglesFromTicked)
{
    ASSERT_EQ(1, session.desktopShortcuts);
    const int expected[] = {0, 1, 0, 1};
    for (int i = 0; i < 4; i++) {
        press(DesktopCheck);
        EXPECT_EQ(expected[i], session.desktopShortcuts) << "press " << i + 1;
        EXPECT_EQ(expected[i] == 1, controlChecked(dialog, DesktopCheck)) << "press " << i + 1;
    }
    session.desktopShortcuts = 7;  // anything but 1 becomes 1
    press(DesktopCheck);
    EXPECT_EQ(1, session.desktopShortcuts);
    EXPECT_TRUE(controlChecked(dialog, DesktopCheck));
}

TEST_F(WizardDialog, ItemTextIsFormattedAndCut)
{
    setItemTextF(dialog, InfoText, "%s %03i|%5s|%i", "あ表", 7, "ab", -12);
    EXPECT_EQ("あ表 007|   ab|-12", controlText(dialog, InfoText));

    std::string longText(1500, 'x');
    setItemTextF(dialog, InfoText, "%s", longText.c_str());
    EXPECT_EQ(std::string(1023, 'x'), controlText(dialog, InfoText));

    // A double-byte character that would be split is left out whole.
    std::string split = std::string(1022, 'x') + "表";
    setItemTextF(dialog, OptionButton1, "%s", split.c_str());
    EXPECT_EQ(std::string(1022, 'x'), controlText(dialog, OptionButton1));

    setItemTextF(dialog, InfoText, "%s", "");
    EXPECT_EQ("", controlText(dialog, InfoText));
}

std::vector<HWND> enabledOrder;

LRESULT CALLBACK recordEnable(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_ENABLE)
        enabledOrder.push_back(call->hwnd);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(WizardDialog, NavigationButtonsAreSetBackNextCancel)
{
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, recordEnable, NULL, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    for (int mask = 7; mask >= 0; mask--) {
        BOOL back = (mask & 4) != 0, next = (mask & 2) != 0, cancel = (mask & 1) != 0;
        setNavigationButtons(dialog, TRUE, TRUE, TRUE);
        enabledOrder.clear();
        setNavigationButtons(dialog, back, next, cancel);
        SCOPED_TRACE("back/next/cancel mask " + std::to_string(mask));
        EXPECT_EQ(back != 0, controlEnabled(dialog, BackButton));
        EXPECT_EQ(next != 0, controlEnabled(dialog, NextButton));
        EXPECT_EQ(cancel != 0, controlEnabled(dialog, CancelButton));
    }
    setNavigationButtons(dialog, TRUE, TRUE, TRUE);
    enabledOrder.clear();
    setNavigationButtons(dialog, FALSE, FALSE, FALSE);
    UnhookWindowsHookEx(hook);
    std::vector<HWND> expected = {GetDlgItem(dialog, BackButton), GetDlgItem(dialog, NextButton),
                                  GetDlgItem(dialog, CancelButton)};
    EXPECT_EQ(expected, enabledOrder);
}

// The wizard opened as the driver opens it: modal, on this thread,
// while drive() acts as the user from a helper thread. Returns the result
// of DialogBoxParamA; a dialog that drive() leaves open is closed and
// counts as a failure.
struct ModalRun {
    std::function<void(HWND)> drive;
    bool leftOpen;
};

DWORD WINAPI driveModal(LPVOID param)
{
    ModalRun* run = static_cast<ModalRun*>(param);
    HWND dialog = waitForWindow(DialogClass, "SETUP", GetCurrentProcessId(), 10000);
    if (!dialog)
        return 1;
    run->drive(dialog);
    if (!waitForWindowGone(dialog, 5000)) {
        run->leftOpen = true;
        session.pageBusy = 0;
        setCopyState(CopyIdle);
        SendMessageA(dialog, WM_COMMAND, CancelButton, 0);
    }
    return 0;
}

INT_PTR runModal(const std::function<void(HWND)>& drive, bool* leftOpen)
{
    ModalRun run = {drive, false};
    HANDLE driver = CreateThread(NULL, 0, driveModal, &run, 0, NULL);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(WizardDialogId),
                                     NULL, wizardDialogProc, 0);
    WaitForSingleObject(driver, INFINITE);
    CloseHandle(driver);
    *leftOpen = run.leftOpen;
    return result;
}

void send(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void sendTimes(HWND dialog, int id, int times)
{
    for (int i = 0; i < times; i++)
        send(dialog, id);
}

class ModalWizard : public ::testing::Test {
protected:
    void SetUp() override { registerWizardClasses(); }
};

struct ResultCase {
    const char* name;
    int addOnMode;
    std::function<void(HWND)> drive;
    INT_PTR expected;
};

TEST_F(ModalWizard, DialogEndsWithItsResult)
{
    const ResultCase cases[] = {
        {"Cancel on the welcome page", 0, [](HWND d) { send(d, CancelButton); }, -1},
        {"Cancel on the install-type page", 0,
         [](HWND d) { sendTimes(d, NextButton, 1); send(d, CancelButton); }, -1},
        {"Cancel on the install-folder page", 0,
         [](HWND d) { sendTimes(d, NextButton, 2); send(d, CancelButton); }, -1},
        {"Cancel on the save-data page", 0,
         [](HWND d) { sendTimes(d, NextButton, 3); send(d, CancelButton); }, -1},
        {"Cancel after a refused copy start", 0,
         [](HWND d) { sendTimes(d, NextButton, 4); send(d, CancelButton); }, -1},
        {"Esc on the welcome page", 0, [](HWND d) { SendMessageA(d, WM_COMMAND, IDCANCEL, 0); },
         -1},
        {"close box on the install-type page", 0,
         [](HWND d) {
             send(d, NextButton);
             SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
         },
         -1},
        {"Next through every page", 0, [](HWND d) { sendTimes(d, NextButton, 6); }, 0},
        {"add-on path", 1,
         [](HWND d) {
             send(d, NextButton);
             EXPECT_EQ(4, session.wizardStep);
             sendTimes(d, NextButton, 2);
         },
         0},
        {"Cancel while a page runs, later Cancel", 0,
         [](HWND d) {
             session.pageBusy = 1;
             send(d, CancelButton);
             EXPECT_TRUE(IsWindowVisible(d));
             EXPECT_FALSE(controlEnabled(d, CancelButton));
             session.pageBusy = 0;
             send(d, CancelButton);
         },
         -1},
        {"Cancel while copying, then the worker's Next", 0,
         [](HWND d) {
             sendTimes(d, NextButton, 4);
             setCopyState(CopyRunning);
             send(d, CancelButton);
             EXPECT_TRUE(IsWindowVisible(d));
             EXPECT_FALSE(controlEnabled(d, CancelButton));
             EXPECT_EQ(CopyCancelRequested, copyState());
             PostMessageA(d, WM_COMMAND, NextButton, 0);
             DWORD start = GetTickCount();
             while (session.wizardStep != 5 && GetTickCount() - start < 5000)
                 Sleep(10);
             EXPECT_EQ(5, session.wizardStep);
             send(d, NextButton);
         },
         0},
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Resetting the session zeroes the lock: it is made again for each run.
        resetState();
        InitializeCriticalSection(&session.copyLock);
        setupConfig.addOnMode = c.addOnMode;
        bool leftOpen = false;
        EXPECT_EQ(c.expected, runModal(c.drive, &leftOpen));
        EXPECT_FALSE(leftOpen);
        DeleteCriticalSection(&session.copyLock);
    }
}

}  // namespace
