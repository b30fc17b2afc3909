#include "tools/sheet_viewer/control_panel.h"

#include <commctrl.h>

namespace control_panel {

namespace {

// The pages draw trackbars and tabs: the control panel's process has the
// common controls registered before any sheet is built.
void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

template <typename Function>
Function ModuleExport(HMODULE module, const char* name) {
    // void(*)() converts to any function pointer type without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

ControlPanel::~ControlPanel() {
    Close();
}

HRESULT ControlPanel::Fail(const char* step, HRESULT result) {
    Close();
    failure_ = step;
    return result;
}

HRESULT ControlPanel::Open(const std::wstring& modulePath, REFCLSID classId, USHORT joystickId,
                           UINT firstTab) {
    Close();
    failure_.clear();
    RegisterCommonControls();

    module_ = LoadLibraryW(modulePath.c_str());
    if (module_ == nullptr) {
        return Fail("LoadLibraryW", HRESULT_FROM_WIN32(GetLastError()));
    }
    auto getClassObject = ModuleExport<LPFNGETCLASSOBJECT>(module_, "DllGetClassObject");
    canUnloadNow_ = ModuleExport<LPFNCANUNLOADNOW>(module_, "DllCanUnloadNow");
    if (getClassObject == nullptr || canUnloadNow_ == nullptr) {
        canUnloadNow_ = nullptr;
        return Fail("module exports", E_NOINTERFACE);
    }

    IClassFactory* factory = nullptr;
    HRESULT result = getClassObject(classId, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result) || factory == nullptr) {
        return Fail("DllGetClassObject", FAILED(result) ? result : E_POINTER);
    }
    result = IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet,
                                          reinterpret_cast<void**>(&sheet_));
    IClassFactory_Release(factory);
    if (FAILED(result) || sheet_ == nullptr) {
        return Fail("CreateInstance", FAILED(result) ? result : E_POINTER);
    }

    result = IDIGameCntrlPropSheet_SetID(sheet_, joystickId);
    if (FAILED(result)) {
        return Fail("SetID", result);
    }
    result = IDIGameCntrlPropSheet_GetSheetInfo(sheet_, &sheetInfo_);
    if (FAILED(result) || sheetInfo_ == nullptr) {
        return Fail("GetSheetInfo", FAILED(result) ? result : E_POINTER);
    }
    result = IDIGameCntrlPropSheet_GetPageInfo(sheet_, &pageInfo_);
    if (FAILED(result) || pageInfo_ == nullptr) {
        return Fail("GetPageInfo", FAILED(result) ? result : E_POINTER);
    }
    // The sheet's own count decides how many descriptions there are; the
    // sheet window takes no more pages than the common controls allow.
    const UINT pageCount = sheetInfo_->nNumPages;
    if (pageCount == 0 || pageCount > MAXPROPPAGES || firstTab >= pageCount) {
        return Fail("page count", E_INVALIDARG);
    }

    PROPSHEETPAGEW pages[MAXPROPPAGES] = {};
    for (UINT i = 0; i < pageCount; ++i) {
        const DIGCPAGEINFO& description = pageInfo_[i];
        PROPSHEETPAGEW& page = pages[i];
        page.dwSize = sizeof(page);
        page.hInstance = description.hInstance;
        page.pszTemplate = description.lpwszTemplate;
        page.pfnDlgProc = description.fpPageProc;
        page.lParam = description.lParam;
        if (description.fIconFlag) {
            page.dwFlags |= PSP_USEICONID;
            page.pszIcon = description.lpwszPageIcon;
        }
        if (description.lpwszPageTitle != nullptr) {
            page.dwFlags |= PSP_USETITLE;
            page.pszTitle = description.lpwszPageTitle;
        }
    }

    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = nullptr;
    header.hInstance = pageInfo_[0].hInstance;
    header.pszCaption = sheetInfo_->lpwszSheetCaption;
    if (sheetInfo_->fSheetIconFlag) {
        header.dwFlags |= PSH_USEICONID;
        header.pszIcon = sheetInfo_->lpwszSheetIcon;
    }
    header.nPages = pageCount;
    header.nStartPage = firstTab;
    header.ppsp = pages;

    // A modeless sheet answers with its window, or -1 / null on failure.
    const INT_PTR created = PropertySheetW(&header);
    if (created == 0 || created == -1) {
        return Fail("PropertySheetW", E_FAIL);
    }
    window_ = reinterpret_cast<HWND>(created);
    // The control panel's sheet opens as the active window, with the
    // keyboard focus on its selected page.
    SetForegroundWindow(window_);
    return S_OK;
}

HWND ControlPanel::currentPage() const {
    if (window_ == nullptr) {
        return nullptr;
    }
    return PropSheet_GetCurrentPageHwnd(window_);
}

UINT ControlPanel::tabCount() const {
    if (window_ == nullptr) {
        return 0;
    }
    const HWND tabs = PropSheet_GetTabControl(window_);
    return tabs == nullptr ? 0 : static_cast<UINT>(TabCtrl_GetItemCount(tabs));
}

std::wstring ControlPanel::TabText(UINT index) const {
    if (index >= tabCount()) {
        return {};
    }
    wchar_t text[128] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(sizeof(text) / sizeof(text[0]));
    const HWND tabs = PropSheet_GetTabControl(window_);
    if (!SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) {
        return {};
    }
    return text;
}

bool ControlPanel::SelectTab(UINT index) {
    if (!isShowing() || index >= tabCount()) {
        return false;
    }
    return PropSheet_SetCurSel(window_, nullptr, index) != FALSE;
}

bool ControlPanel::isShowing() const {
    // A modeless sheet that the user closed with OK or Cancel stays a window
    // without a current page until its owner destroys it.
    return window_ != nullptr && IsWindow(window_) && currentPage() != nullptr;
}

bool ControlPanel::PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The program is ending: the sheet is done as well.
                return false;
            }
            if (window_ != nullptr && PropSheet_IsDialogMessage(window_, &message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!isShowing()) {
            return false;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) {
            return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

void ControlPanel::RunUntilClosed() {
    // The plain blocking loop: one wait per message, as the control panel's
    // own loop does, so an open sheet costs what its pages' timers cost.
    MSG message;
    while (isShowing() && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!PropSheet_IsDialogMessage(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void ControlPanel::DestroySheetWindow() {
    if (window_ != nullptr && IsWindow(window_)) {
        DestroyWindow(window_);
    }
    window_ = nullptr;
}

HRESULT ControlPanel::Close() {
    DestroySheetWindow();
    sheetInfo_ = nullptr;
    pageInfo_ = nullptr;
    if (sheet_ != nullptr) {
        IDIGameCntrlPropSheet_Release(sheet_);
        sheet_ = nullptr;
    }
    if (module_ == nullptr) {
        return S_OK;
    }
    const HRESULT answer = canUnloadNow_ != nullptr ? canUnloadNow_() : S_OK;
    if (answer == S_OK) {
        FreeLibrary(module_);
    } else {
        failure_ = "DllCanUnloadNow";
    }
    module_ = nullptr;
    canUnloadNow_ = nullptr;
    return answer;
}

}  // namespace control_panel
