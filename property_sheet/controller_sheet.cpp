#include "property_sheet/controller_sheet.h"

#include <new>

#include "property_sheet/controls/axes_control.h"
#include "property_sheet/controls/lamp_control.h"
#include "property_sheet/controls/pov_control.h"
#include "property_sheet/controls/rumble_control.h"
#include "property_sheet/module_state.h"
#include "profiles/selected_model.h"

namespace {

// The icon the control panel shows for the sheet and each tab.
constexpr WORD kSheetIcon = 32517;  // IDI_WINLOGO

LPWSTR IntegerResource(WORD id) {
    return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(id));
}

void DestroySheet(ControllerSheet* sheet) {
    if (sheet->inputDevice != nullptr) {
        IDirectInputDevice2_Unacquire(sheet->inputDevice);
        IDirectInputDevice2_Release(sheet->inputDevice);
        sheet->inputDevice = nullptr;
    }
    if (sheet->joyConfig != nullptr) {
        IDirectInputJoyConfig_Unacquire(sheet->joyConfig);
        IDirectInputJoyConfig_Release(sheet->joyConfig);
        sheet->joyConfig = nullptr;
    }
    if (sheet->sheetInfo.lpwszSheetCaption != nullptr) {
        LocalFree(sheet->sheetInfo.lpwszSheetCaption);
    }
    sheet->~ControllerSheet();
    HeapFree(GetProcessHeap(), 0, sheet);
    UnlockModule();
}

HRESULT STDMETHODCALLTYPE SheetQueryInterface(IDIGameCntrlPropSheet* This, REFIID riid,
                                              void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IDIGameCntrlPropSheet)) {
        return E_NOINTERFACE;
    }
    *ppv = This;
    IDIGameCntrlPropSheet_AddRef(This);
    return S_OK;
}

// The count is 16 bits wide; callers see it as a signed 16-bit number.
ULONG STDMETHODCALLTYPE SheetAddRef(IDIGameCntrlPropSheet* This) {
    const SHORT count = static_cast<SHORT>(SheetFromInterface(This)->refCount.fetch_add(1) + 1);
    return static_cast<ULONG>(static_cast<LONG>(count));
}

ULONG STDMETHODCALLTYPE SheetRelease(IDIGameCntrlPropSheet* This) {
    ControllerSheet* sheet = SheetFromInterface(This);
    const SHORT count = static_cast<SHORT>(sheet->refCount.fetch_sub(1) - 1);
    if (count != 0) {
        return static_cast<ULONG>(static_cast<LONG>(count));
    }
    DestroySheet(sheet);
    return 0;
}

HRESULT STDMETHODCALLTYPE SheetGetSheetInfo(IDIGameCntrlPropSheet* This, LPDIGCSHEETINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = &SheetFromInterface(This)->sheetInfo;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SheetGetPageInfo(IDIGameCntrlPropSheet* This, LPDIGCPAGEINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = SheetFromInterface(This)->pageInfo;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SheetSetID(IDIGameCntrlPropSheet* This, USHORT id) {
    SheetFromInterface(This)->joystickId = id;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SheetPrepareSheet(IDIGameCntrlPropSheet* This) {
    ControllerSheet* sheet = SheetFromInterface(This);
    const HINSTANCE instance = GetModuleInstance();
    for (int i = 0; i < kPageCount; ++i) {
        DIGCPAGEINFO& page = sheet->pageInfo[i];
        page.dwSize = sizeof(DIGCPAGEINFO);
        page.lpwszPageTitle = nullptr;  // the tab shows the template's caption
        page.fpPageProc = kPageTable[i].procedure;
        page.fProcFlag = FALSE;
        page.fpPrePostProc = nullptr;
        page.fIconFlag = TRUE;
        page.lpwszPageIcon = IntegerResource(kSheetIcon);
        page.lpwszTemplate = IntegerResource(kPageTable[i].templateId);
        page.lParam = reinterpret_cast<LPARAM>(sheet);
        page.hInstance = instance;
    }
    sheet->sheetInfo.dwSize = sizeof(DIGCSHEETINFO);
    sheet->sheetInfo.nNumPages = kPageCount;
    sheet->sheetInfo.fSheetIconFlag = TRUE;
    sheet->sheetInfo.lpwszSheetIcon = IntegerResource(kSheetIcon);

    auto* caption = static_cast<LPWSTR>(LocalAlloc(LMEM_ZEROINIT, kCaptionUnits * sizeof(WCHAR)));
    if (caption == nullptr) {
        return E_OUTOFMEMORY;
    }
    // The zero fill terminates the name: one unit is always left for it.
    const char* name = kModelProfile.productName;
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, lstrlenA(name), caption, kCaptionUnits - 1);
    // A sheet prepared again does not leak the caption it had.
    if (sheet->sheetInfo.lpwszSheetCaption != nullptr) {
        LocalFree(sheet->sheetInfo.lpwszSheetCaption);
    }
    sheet->sheetInfo.lpwszSheetCaption = caption;

    // A second sheet of the process finds the classes registered already,
    // which is not an error.
    RegisterLampControlClass(instance);
    RegisterAxesControlClass(instance);
    RegisterPovControlClass(instance);
    RegisterRumbleControlClass(instance);
    return S_OK;
}

USHORT STDMETHODCALLTYPE SheetGetID(IDIGameCntrlPropSheet* This) {
    return SheetFromInterface(This)->joystickId;
}

HRESULT STDMETHODCALLTYPE SheetGetInputDevice(IDIGameCntrlPropSheet* This,
                                              LPDIRECTINPUTDEVICE2A* device) {
    if (device == nullptr) {
        return E_POINTER;
    }
    *device = SheetFromInterface(This)->inputDevice;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SheetSetInputDevice(IDIGameCntrlPropSheet* This,
                                              LPDIRECTINPUTDEVICE2A device) {
    SheetFromInterface(This)->inputDevice = device;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SheetGetJoyConfigObject(IDIGameCntrlPropSheet* This,
                                                  IDirectInputJoyConfig** config) {
    if (config == nullptr) {
        return E_POINTER;
    }
    *config = SheetFromInterface(This)->joyConfig;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SheetSetJoyConfigObject(IDIGameCntrlPropSheet* This,
                                                  IDirectInputJoyConfig* config) {
    SheetFromInterface(This)->joyConfig = config;
    return S_OK;
}

// Not const: the object's table pointer is declared non-const.
IDIGameCntrlPropSheetVtbl g_sheetVtbl = {
    SheetQueryInterface,
    SheetAddRef,
    SheetRelease,
    SheetGetSheetInfo,
    SheetGetPageInfo,
    SheetSetID,
    SheetPrepareSheet,
    SheetGetID,
    SheetGetInputDevice,
    SheetSetInputDevice,
    SheetGetJoyConfigObject,
    SheetSetJoyConfigObject,
};

}  // namespace

ControllerSheet* CreateControllerSheet() {
    void* memory = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ControllerSheet));
    if (memory == nullptr) {
        return nullptr;
    }
    auto* sheet = new (memory) ControllerSheet{};
    sheet->iface.lpVtbl = &g_sheetVtbl;
    sheet->refCount = 1;
    sheet->joystickId = kNoJoystickId;
    LockModule();
    return sheet;
}

UINT_PTR ControllerSheetObjectSize() {
    return sizeof(ControllerSheet);
}
