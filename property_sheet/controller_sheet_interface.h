// The game-controller control panel's extension interface, which the platform
// SDK does not declare: IDIGameCntrlPropSheet and the sheet and page
// descriptions it hands out. The control panel reads the records by offset,
// so their field order and sizes are binding for each processor width.
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

typedef struct {
    DWORD dwSize;
    USHORT nNumPages;
    LPWSTR lpwszSheetCaption;
    BOOL fSheetIconFlag;
    LPWSTR lpwszSheetIcon;
} DIGCSHEETINFO, *LPDIGCSHEETINFO;

typedef struct {
    DWORD dwSize;
    LPWSTR lpwszPageTitle;
    DLGPROC fpPageProc;
    BOOL fProcFlag;
    DLGPROC fpPrePostProc;
    BOOL fIconFlag;
    LPWSTR lpwszPageIcon;
    LPWSTR lpwszTemplate;
    LPARAM lParam;
    HINSTANCE hInstance;
} DIGCPAGEINFO, *LPDIGCPAGEINFO;

static_assert(sizeof(DIGCSHEETINFO) == (sizeof(void*) == 8 ? 32 : 20),
              "the control panel reads the sheet description by offset");
static_assert(sizeof(DIGCPAGEINFO) == (sizeof(void*) == 8 ? 80 : 40),
              "the control panel reads the page descriptions by offset");

// {7854FB22-8EE3-11D0-A1AC-0000F8026977}
extern const GUID IID_IDIGameCntrlPropSheet;

typedef struct IDIGameCntrlPropSheet IDIGameCntrlPropSheet;
typedef IDIGameCntrlPropSheet* LPDIGAMECNTRLPROPSHEET;

// Slot order is binding: PrepareSheet stands between SetID and GetID.
typedef struct IDIGameCntrlPropSheetVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)
    (IDIGameCntrlPropSheet* This, REFIID riid, void** ppv);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDIGameCntrlPropSheet* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDIGameCntrlPropSheet* This);
    HRESULT(STDMETHODCALLTYPE* GetSheetInfo)(IDIGameCntrlPropSheet* This, LPDIGCSHEETINFO* info);
    HRESULT(STDMETHODCALLTYPE* GetPageInfo)(IDIGameCntrlPropSheet* This, LPDIGCPAGEINFO* info);
    HRESULT(STDMETHODCALLTYPE* SetID)(IDIGameCntrlPropSheet* This, USHORT id);
    HRESULT(STDMETHODCALLTYPE* PrepareSheet)(IDIGameCntrlPropSheet* This);
    USHORT(STDMETHODCALLTYPE* GetID)(IDIGameCntrlPropSheet* This);
    HRESULT(STDMETHODCALLTYPE* GetInputDevice)
    (IDIGameCntrlPropSheet* This, LPDIRECTINPUTDEVICE2A* device);
    HRESULT(STDMETHODCALLTYPE* SetInputDevice)
    (IDIGameCntrlPropSheet* This, LPDIRECTINPUTDEVICE2A device);
    HRESULT(STDMETHODCALLTYPE* GetJoyConfigObject)
    (IDIGameCntrlPropSheet* This, IDirectInputJoyConfig** config);
    HRESULT(STDMETHODCALLTYPE* SetJoyConfigObject)
    (IDIGameCntrlPropSheet* This, IDirectInputJoyConfig* config);
} IDIGameCntrlPropSheetVtbl;

struct IDIGameCntrlPropSheet {
    IDIGameCntrlPropSheetVtbl* lpVtbl;
};

#define IDIGameCntrlPropSheet_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDIGameCntrlPropSheet_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDIGameCntrlPropSheet_Release(p) (p)->lpVtbl->Release(p)
#define IDIGameCntrlPropSheet_GetSheetInfo(p, a) (p)->lpVtbl->GetSheetInfo(p, a)
#define IDIGameCntrlPropSheet_GetPageInfo(p, a) (p)->lpVtbl->GetPageInfo(p, a)
#define IDIGameCntrlPropSheet_SetID(p, a) (p)->lpVtbl->SetID(p, a)
#define IDIGameCntrlPropSheet_PrepareSheet(p) (p)->lpVtbl->PrepareSheet(p)
#define IDIGameCntrlPropSheet_GetID(p) (p)->lpVtbl->GetID(p)
#define IDIGameCntrlPropSheet_GetInputDevice(p, a) (p)->lpVtbl->GetInputDevice(p, a)
#define IDIGameCntrlPropSheet_SetInputDevice(p, a) (p)->lpVtbl->SetInputDevice(p, a)
#define IDIGameCntrlPropSheet_GetJoyConfigObject(p, a) (p)->lpVtbl->GetJoyConfigObject(p, a)
#define IDIGameCntrlPropSheet_SetJoyConfigObject(p, a) (p)->lpVtbl->SetJoyConfigObject(p, a)
