// DirectInput 7 as a force-feedback driver uses it to find its controller:
// the DirectInput object (IDirectInput7A), its joystick configuration
// (IDirectInputJoyConfig) and the device-class identifier of HID devices.
#pragma once

#include "com.h"
#include "directinput_effects.h"

struct HWND__;

#define MAX_JOYSTRING 256
#define DIJC_GUIDINSTANCE 0x00000001
#define DIJC_REGHWCONFIGTYPE 0x00000002
#define DIJC_GAIN 0x00000004
#define DIJC_CALLOUT 0x00000008
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOMOREITEMS ((HRESULT)0x80070103L)
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154L)
#define DIERR_NOTFOUND ((HRESULT)0x80070002L)
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY

typedef struct joypos_tag {
    DWORD dwX, dwY, dwZ, dwR, dwU, dwV;
} JOYPOS;
typedef struct joyrange_tag {
    JOYPOS jpMin, jpMax, jpCenter;
} JOYRANGE;
typedef struct joyreghwsettings_tag {
    DWORD dwFlags;
    DWORD dwNumButtons;
} JOYREGHWSETTINGS;
typedef struct joyreghwvalues_tag {
    JOYRANGE jrvHardware;
    DWORD dwPOVValues[4];
    DWORD dwCalFlags;
} JOYREGHWVALUES;
typedef struct joyreghwconfig_tag {
    JOYREGHWSETTINGS hws;
    DWORD dwUsageSettings;
    JOYREGHWVALUES hwv;
    DWORD dwType;
    DWORD dwReserved;
} JOYREGHWCONFIG;

typedef struct DIJOYCONFIG_DX5 {
    DWORD dwSize;
    GUID guidInstance;
    JOYREGHWCONFIG hwc;
    DWORD dwGain;
    WCHAR wszType[MAX_JOYSTRING];
    WCHAR wszCallout[MAX_JOYSTRING];
} DIJOYCONFIG_DX5, *LPDIJOYCONFIG_DX5;

typedef struct DIJOYCONFIG {
    DWORD dwSize;
    GUID guidInstance;
    JOYREGHWCONFIG hwc;
    DWORD dwGain;
    WCHAR wszType[MAX_JOYSTRING];
    WCHAR wszCallout[MAX_JOYSTRING];
    GUID guidGameport;
} DIJOYCONFIG, *LPDIJOYCONFIG;
typedef const DIJOYCONFIG* LPCDIJOYCONFIG;

static_assert(sizeof(DIJOYCONFIG_DX5) == 1160, "DirectX 5 joystick configuration record");
static_assert(sizeof(DIJOYCONFIG) == 1176, "joystick configuration record");

typedef struct IDirectInputJoyConfig IDirectInputJoyConfig;
typedef IDirectInputJoyConfig* LPDIRECTINPUTJOYCONFIG;

// Slots the driver does not call are kept as untyped entries so that the
// table keeps the platform's order.
typedef struct IDirectInputJoyConfigVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)
    (IDirectInputJoyConfig* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDirectInputJoyConfig* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDirectInputJoyConfig* This);
    HRESULT(STDMETHODCALLTYPE* Acquire)(IDirectInputJoyConfig* This);
    HRESULT(STDMETHODCALLTYPE* Unacquire)(IDirectInputJoyConfig* This);
    HRESULT(STDMETHODCALLTYPE* SetCooperativeLevel)
    (IDirectInputJoyConfig* This, HWND__* hwnd, DWORD flags);
    HRESULT(STDMETHODCALLTYPE* SendNotify)(IDirectInputJoyConfig* This);
    void* EnumTypes;
    void* GetTypeInfo;
    void* SetTypeInfo;
    void* DeleteType;
    HRESULT(STDMETHODCALLTYPE* GetConfig)
    (IDirectInputJoyConfig* This, UINT id, LPDIJOYCONFIG config, DWORD flags);
    void* SetConfig;
    void* DeleteConfig;
    void* GetUserValues;
    void* SetUserValues;
    void* AddNewHardware;
    void* OpenTypeKey;
    void* OpenConfigKey;
} IDirectInputJoyConfigVtbl;

struct IDirectInputJoyConfig {
    CONST_VTBL IDirectInputJoyConfigVtbl* lpVtbl;
};

#define IDirectInputJoyConfig_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDirectInputJoyConfig_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDirectInputJoyConfig_Release(p) (p)->lpVtbl->Release(p)
#define IDirectInputJoyConfig_Acquire(p) (p)->lpVtbl->Acquire(p)
#define IDirectInputJoyConfig_Unacquire(p) (p)->lpVtbl->Unacquire(p)
#define IDirectInputJoyConfig_SetCooperativeLevel(p, a, b) (p)->lpVtbl->SetCooperativeLevel(p, a, b)
#define IDirectInputJoyConfig_SendNotify(p) (p)->lpVtbl->SendNotify(p)
#define IDirectInputJoyConfig_GetConfig(p, a, b, c) (p)->lpVtbl->GetConfig(p, a, b, c)

typedef struct IDirectInput7A IDirectInput7A;
typedef IDirectInput7A* LPDIRECTINPUT7A;

typedef struct IDirectInput7AVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IDirectInput7A* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDirectInput7A* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDirectInput7A* This);
    void* CreateDevice;
    void* EnumDevices;
    void* GetDeviceStatus;
    void* RunControlPanel;
    void* Initialize;
    HRESULT(STDMETHODCALLTYPE* FindDevice)
    (IDirectInput7A* This, REFGUID rguidClass, LPCSTR name, LPGUID instance);
    void* CreateDeviceEx;
} IDirectInput7AVtbl;

struct IDirectInput7A {
    CONST_VTBL IDirectInput7AVtbl* lpVtbl;
};

#define IDirectInput7_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDirectInput7_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDirectInput7_Release(p) (p)->lpVtbl->Release(p)
#define IDirectInput7_FindDevice(p, a, b, c) (p)->lpVtbl->FindDevice(p, a, b, c)

extern "C" const IID IID_IDirectInput7A;
extern "C" const IID IID_IDirectInputJoyConfig;
extern "C" const GUID GUID_DEVCLASS_HIDCLASS;

extern "C" HRESULT WINAPI DirectInputCreateEx(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf,
                                              LPVOID* ppvOut, LPUNKNOWN punkOuter);
