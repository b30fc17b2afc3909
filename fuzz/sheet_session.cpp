#include "fuzz/sheet_session.h"

#include <commctrl.h>
#include <prsht.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_directinput.h>
#include <simwin/control_drawing.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "fuzz/loaded_object.h"

namespace fuzz {

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "sheet: %s\n", what);
    std::abort();
}

HRESULT SomeResult(FuzzInput& in) {
    static const HRESULT kResults[] = {DI_OK,           S_FALSE,
                                       DIERR_INPUTLOST, DIERR_NOTACQUIRED,
                                       DIERR_UNPLUGGED, DIERR_OTHERAPPHASPRIO,
                                       E_FAIL,          E_OUTOFMEMORY};
    return in.Flag() ? kResults[in.Below(8)] : static_cast<HRESULT>(in.Dword());
}

}  // namespace

SheetSession::SheetSession(const ModelConstants& model, FuzzInput& in) : model_(model), in_(in) {
    const UINT joystickId = in_.Below(17);
    controller_ = PlugController(model_, 0, joystickId, 0);
    IClassFactory* factory = FactoryOf(model_.sheetLibrary, model_.propertySheetClassId);
    blocksBefore_ = simwin::LiveAllocations();
    if (IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet,
                                     reinterpret_cast<void**>(&sheet_)) != S_OK) {
        Fail("no sheet object");
    }
    // Mostly the joystick's own id; now and then another.
    IDIGameCntrlPropSheet_SetID(sheet_, in_.Byte() < 224 ? joystickId : in_.Word());
    gdiBaseline_ = simwin::LiveGdiObjects();
    Open();
}

void SheetSession::Open() {
    if (IDIGameCntrlPropSheet_PrepareSheet(sheet_) != S_OK) {
        return;
    }
    DIGCSHEETINFO* sheetInfo = nullptr;
    DIGCPAGEINFO* pageInfo = nullptr;
    if (IDIGameCntrlPropSheet_GetSheetInfo(sheet_, &sheetInfo) != S_OK ||
        IDIGameCntrlPropSheet_GetPageInfo(sheet_, &pageInfo) != S_OK) {
        Fail("the sheet did not describe itself");
    }
    pageCount_ = sheetInfo->nNumPages;
    std::vector<PROPSHEETPAGEA> pages(pageCount_);
    for (UINT i = 0; i < pageCount_; ++i) {
        PROPSHEETPAGEA& page = pages[i];
        page = {};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = pageInfo[i].hInstance;
        page.pszTemplate = reinterpret_cast<LPCSTR>(pageInfo[i].lpwszTemplate);
        page.pfnDlgProc = pageInfo[i].fpPageProc;
        page.lParam = pageInfo[i].lParam;
    }
    frame_ = simwin::OpenPropertySheet(pages.data(), pageCount_);
}

void SheetSession::Close(bool apply) {
    if (frame_ != nullptr) {
        simwin::ClosePropertySheet(frame_, apply);
        frame_ = nullptr;
    }
}

HWND SheetSession::ActivePage() const {
    if (frame_ == nullptr) {
        return nullptr;
    }
    const int active = simwin::ActivePropertySheetPage(frame_);
    return active < 0 ? nullptr : simwin::PropertySheetPageWindow(frame_, active);
}

HWND SheetSession::SomeChildOf(HWND page, const char* className) {
    std::vector<HWND> children;
    for (HWND window : simwin::AllWindows()) {
        if (page != nullptr && GetParent(window) == page &&
            (className == nullptr ||
             strcasecmp(simwin::ClassNameOf(window).c_str(), className) == 0)) {
            children.push_back(window);
        }
    }
    return children.empty() ? nullptr : children[in_.Below(static_cast<unsigned>(children.size()))];
}

void SheetSession::Act() {
    HWND page = ActivePage();
    const unsigned action = in_.Below(14);
    switch (action) {
        case 0:
            if (frame_ != nullptr && pageCount_ > 0) {
                simwin::SelectPropertySheetPage(frame_, in_.Below(pageCount_));
            }
            break;
        case 1:
        case 2:
            simwin::FireAllWindowTimers();
            break;
        case 3: {
            DIJOYSTATE state;
            std::vector<BYTE> bytes = in_.Bytes(sizeof state);
            std::memcpy(&state, bytes.data(), sizeof state);
            simwin::SetJoystickState(controller_.instance, state);
            break;
        }
        case 4:
        case 5: {
            const HRESULT result = SomeResult(in_);
            const simwin::ScriptScope scope =
                in_.Flag() ? simwin::ScriptScope::EveryCall : simwin::ScriptScope::NextCall;
            if (action == 4) {
                simwin::ScriptAcquire(controller_.instance, result, scope);
            } else {
                simwin::ScriptGetDeviceState(controller_.instance, result, scope);
            }
            break;
        }
        case 6:
            simwin::ClearJoystickScripts(controller_.instance);
            break;
        case 7:
            simwin::ClickButton(SomeChildOf(page, "Button"));
            break;
        case 8: {
            HWND child = SomeChildOf(page, TRACKBAR_CLASSA);
            if (in_.Flag()) {
                simwin::DragTrackbarThumb(child, static_cast<LONG>(in_.InterestingDword()));
            } else {
                simwin::ScrollTrackbar(child, in_.Below(10));
            }
            break;
        }
        case 9:
            if (page != nullptr) {
                // A command as a control (or anything else) might send it.
                HWND child = SomeChildOf(page, nullptr);
                const WORD id = in_.Flag() && child != nullptr
                                    ? static_cast<WORD>(GetDlgCtrlID(child))
                                    : in_.Word();
                const WORD code = in_.Word();
                const HWND from = in_.Flag() ? child : nullptr;
                SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code),
                             reinterpret_cast<LPARAM>(from));
            }
            break;
        case 10:
            if (page != nullptr) {
                SendMessageA(page, WM_TIMER, in_.Flag() ? in_.Below(4) : in_.Dword(), 0);
            }
            break;
        case 11:
            simwin::PaintNow();
            break;
        case 12:
            if (in_.Flag()) {
                simwin::UnplugController(controller_.id);
            } else {
                simwin::ReplugController(controller_.id);
            }
            break;
        default:
            // The user closes the sheet (with OK or Cancel) and opens it again.
            Close(in_.Flag());
            Open();
            break;
    }
}

void SheetSession::Finish() {
    Close(in_.Flag());
    if (IDIGameCntrlPropSheet_Release(sheet_) != 0) {
        Fail("the sheet object outlived its last release");
    }
    sheet_ = nullptr;
    if (simwin::LiveDirectInputObjects() != 0) {
        Fail("a DirectInput object was not released");
    }
    if (simwin::DirectInputReleaseErrors() != 0) {
        Fail("a DirectInput object was used after its release");
    }
    if (simwin::LiveGdiObjects() != gdiBaseline_) {
        Fail("a drawing object outlived the sheet");
    }
    if (!simwin::WindowTimers().empty()) {
        Fail("a window timer outlived the sheet");
    }
    if (simwin::LiveAllocations() != blocksBefore_) {
        Fail("a heap block outlived the sheet");
    }
}

}  // namespace fuzz
