// DirectInput 5 as an application reads a joystick through it: the
// DirectInput object (IDirectInputA) made by DirectInputCreateA, its devices
// (IDirectInputDeviceA, and IDirectInputDevice2A for force feedback), the
// standard joystick data format and reading, and device properties. Slot
// order of every table is the platform's.
#pragma once

#include "com.h"
#include "directinput_effect_object.h"
#include "directinput_joystick_config.h"

struct HWND__;

#define DI_POLLEDDEVICE ((HRESULT)0x00000002L)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481L)
#define DIERR_INPUTLOST ((HRESULT)0x8007001EL)
#define DIERR_ACQUIRED ((HRESULT)0x800700AAL)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000CL)
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015L)
#define DIERR_OTHERAPPHASPRIO ((HRESULT)0x80070005L)
#define DIERR_OBJECTNOTFOUND DIERR_NOTFOUND
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_NOAGGREGATION CLASS_E_NOAGGREGATION
#define DIERR_GENERIC E_FAIL
#define DIERR_UNPLUGGED ((HRESULT)0x80040209L)

#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008

// --- Data formats -----------------------------------------------------------

typedef struct _DIOBJECTDATAFORMAT {
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
} DIOBJECTDATAFORMAT, *LPDIOBJECTDATAFORMAT;
typedef const DIOBJECTDATAFORMAT* LPCDIOBJECTDATAFORMAT;

typedef struct _DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    LPDIOBJECTDATAFORMAT rgodf;
} DIDATAFORMAT, *LPDIDATAFORMAT;
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

#define DIDF_ABSAXIS 0x00000001
#define DIDF_RELAXIS 0x00000002

#define DIDFT_RELAXIS 0x00000001
#define DIDFT_ABSAXIS 0x00000002
#define DIDFT_AXIS 0x00000003
#define DIDFT_PSHBUTTON 0x00000004
#define DIDFT_TGLBUTTON 0x00000008
#define DIDFT_BUTTON 0x0000000C
#define DIDFT_POV 0x00000010
#define DIDFT_ANYINSTANCE 0x00FFFF00
#define DIDFT_OPTIONAL 0x80000000
#define DIDOI_ASPECTPOSITION 0x00000100

typedef struct DIJOYSTATE {
    LONG lX;
    LONG lY;
    LONG lZ;
    LONG lRx;
    LONG lRy;
    LONG lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];
    BYTE rgbButtons[32];
} DIJOYSTATE, *LPDIJOYSTATE;

static_assert(sizeof(DIJOYSTATE) == 80, "joystick reading");

#define DIJOFS_X offsetof(DIJOYSTATE, lX)
#define DIJOFS_Y offsetof(DIJOYSTATE, lY)
#define DIJOFS_Z offsetof(DIJOYSTATE, lZ)
#define DIJOFS_RX offsetof(DIJOYSTATE, lRx)
#define DIJOFS_RY offsetof(DIJOYSTATE, lRy)
#define DIJOFS_RZ offsetof(DIJOYSTATE, lRz)
#define DIJOFS_SLIDER(n) (offsetof(DIJOYSTATE, rglSlider) + (n) * sizeof(LONG))
#define DIJOFS_POV(n) (offsetof(DIJOYSTATE, rgdwPOV) + (n) * sizeof(DWORD))
#define DIJOFS_BUTTON(n) (offsetof(DIJOYSTATE, rgbButtons) + (n))

// The standard joystick format: six absolute axes, two sliders, four
// points of view and 32 buttons, laid out as DIJOYSTATE.
extern "C" const DIDATAFORMAT c_dfDIJoystick;

extern "C" const GUID GUID_XAxis;
extern "C" const GUID GUID_YAxis;
extern "C" const GUID GUID_ZAxis;
extern "C" const GUID GUID_RxAxis;
extern "C" const GUID GUID_RyAxis;
extern "C" const GUID GUID_RzAxis;
extern "C" const GUID GUID_Slider;
extern "C" const GUID GUID_POV;

// --- Properties -------------------------------------------------------------

typedef struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
} DIPROPHEADER, *LPDIPROPHEADER;
typedef const DIPROPHEADER* LPCDIPROPHEADER;

#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
#define DIPH_BYID 2

typedef struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
} DIPROPDWORD, *LPDIPROPDWORD;
typedef const DIPROPDWORD* LPCDIPROPDWORD;

// The platform names its predefined properties by the small numbers 1, 2,
// ... posing as GUID addresses. On the host, binding a reference to such an
// address is undefined (and misaligned for odd numbers), so here the numbers
// index a table of GUID objects instead; DirectInput tells the predefined
// properties by their address in it, as the platform tells them by number.
#define SIMWIN_PREDEFINED_PROPERTY_COUNT 32
extern "C" const GUID SimwinPredefinedProperties[SIMWIN_PREDEFINED_PROPERTY_COUNT];
#define MAKEDIPROP(prop) (SimwinPredefinedProperties[prop])
#define DIPROP_BUFFERSIZE MAKEDIPROP(1)
#define DIPROP_AXISMODE MAKEDIPROP(2)
#define DIPROP_GRANULARITY MAKEDIPROP(3)
#define DIPROP_RANGE MAKEDIPROP(4)
#define DIPROP_DEADZONE MAKEDIPROP(5)
#define DIPROP_SATURATION MAKEDIPROP(6)
#define DIPROP_FFGAIN MAKEDIPROP(7)
#define DIPROP_FFLOAD MAKEDIPROP(8)
#define DIPROP_AUTOCENTER MAKEDIPROP(9)
#define DIPROP_CALIBRATIONMODE MAKEDIPROP(10)

// --- IDirectInputDeviceA and IDirectInputDevice2A ---------------------------

typedef struct IDirectInputDeviceA IDirectInputDeviceA;
typedef IDirectInputDeviceA* LPDIRECTINPUTDEVICEA;
typedef struct IDirectInputDevice2A IDirectInputDevice2A;
typedef IDirectInputDevice2A* LPDIRECTINPUTDEVICE2A;

// Slots nobody calls are kept as untyped entries so that the tables keep
// the platform's order.
typedef struct IDirectInputDeviceAVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)
    (IDirectInputDeviceA* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDirectInputDeviceA* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDirectInputDeviceA* This);
    void* GetCapabilities;
    void* EnumObjects;
    void* GetProperty;
    HRESULT(STDMETHODCALLTYPE* SetProperty)
    (IDirectInputDeviceA* This, REFGUID rguidProp, LPCDIPROPHEADER pdiph);
    HRESULT(STDMETHODCALLTYPE* Acquire)(IDirectInputDeviceA* This);
    HRESULT(STDMETHODCALLTYPE* Unacquire)(IDirectInputDeviceA* This);
    HRESULT(STDMETHODCALLTYPE* GetDeviceState)
    (IDirectInputDeviceA* This, DWORD cbData, LPVOID lpvData);
    void* GetDeviceData;
    HRESULT(STDMETHODCALLTYPE* SetDataFormat)(IDirectInputDeviceA* This, LPCDIDATAFORMAT lpdf);
    void* SetEventNotification;
    HRESULT(STDMETHODCALLTYPE* SetCooperativeLevel)
    (IDirectInputDeviceA* This, HWND__* hwnd, DWORD dwFlags);
    void* GetObjectInfo;
    void* GetDeviceInfo;
    void* RunControlPanel;
    void* Initialize;
} IDirectInputDeviceAVtbl;

struct IDirectInputDeviceA {
    CONST_VTBL IDirectInputDeviceAVtbl* lpVtbl;
};

// The first device interface's slots, then force feedback and polling; a
// device hands out one table for both interfaces.
typedef struct IDirectInputDevice2AVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)
    (IDirectInputDevice2A* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDirectInputDevice2A* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDirectInputDevice2A* This);
    void* GetCapabilities;
    void* EnumObjects;
    void* GetProperty;
    HRESULT(STDMETHODCALLTYPE* SetProperty)
    (IDirectInputDevice2A* This, REFGUID rguidProp, LPCDIPROPHEADER pdiph);
    HRESULT(STDMETHODCALLTYPE* Acquire)(IDirectInputDevice2A* This);
    HRESULT(STDMETHODCALLTYPE* Unacquire)(IDirectInputDevice2A* This);
    HRESULT(STDMETHODCALLTYPE* GetDeviceState)
    (IDirectInputDevice2A* This, DWORD cbData, LPVOID lpvData);
    void* GetDeviceData;
    HRESULT(STDMETHODCALLTYPE* SetDataFormat)(IDirectInputDevice2A* This, LPCDIDATAFORMAT lpdf);
    void* SetEventNotification;
    HRESULT(STDMETHODCALLTYPE* SetCooperativeLevel)
    (IDirectInputDevice2A* This, HWND__* hwnd, DWORD dwFlags);
    void* GetObjectInfo;
    void* GetDeviceInfo;
    void* RunControlPanel;
    void* Initialize;
    HRESULT(STDMETHODCALLTYPE* CreateEffect)
    (IDirectInputDevice2A* This, REFGUID rguid, LPCDIEFFECT lpeff, LPDIRECTINPUTEFFECT* ppdeff,
     LPUNKNOWN punkOuter);
    void* EnumEffects;
    void* GetEffectInfo;
    void* GetForceFeedbackState;
    void* SendForceFeedbackCommand;
    void* EnumCreatedEffectObjects;
    void* Escape;
    HRESULT(STDMETHODCALLTYPE* Poll)(IDirectInputDevice2A* This);
    void* SendDeviceData;
} IDirectInputDevice2AVtbl;

struct IDirectInputDevice2A {
    CONST_VTBL IDirectInputDevice2AVtbl* lpVtbl;
};

#define IDirectInputDevice_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDirectInputDevice_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDirectInputDevice_Release(p) (p)->lpVtbl->Release(p)
#define IDirectInputDevice_SetProperty(p, a, b) (p)->lpVtbl->SetProperty(p, a, b)
#define IDirectInputDevice_Acquire(p) (p)->lpVtbl->Acquire(p)
#define IDirectInputDevice_Unacquire(p) (p)->lpVtbl->Unacquire(p)
#define IDirectInputDevice_GetDeviceState(p, a, b) (p)->lpVtbl->GetDeviceState(p, a, b)
#define IDirectInputDevice_SetDataFormat(p, a) (p)->lpVtbl->SetDataFormat(p, a)
#define IDirectInputDevice_SetCooperativeLevel(p, a, b) (p)->lpVtbl->SetCooperativeLevel(p, a, b)

#define IDirectInputDevice2_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDirectInputDevice2_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDirectInputDevice2_Release(p) (p)->lpVtbl->Release(p)
#define IDirectInputDevice2_SetProperty(p, a, b) (p)->lpVtbl->SetProperty(p, a, b)
#define IDirectInputDevice2_Acquire(p) (p)->lpVtbl->Acquire(p)
#define IDirectInputDevice2_Unacquire(p) (p)->lpVtbl->Unacquire(p)
#define IDirectInputDevice2_GetDeviceState(p, a, b) (p)->lpVtbl->GetDeviceState(p, a, b)
#define IDirectInputDevice2_SetDataFormat(p, a) (p)->lpVtbl->SetDataFormat(p, a)
#define IDirectInputDevice2_SetCooperativeLevel(p, a, b) (p)->lpVtbl->SetCooperativeLevel(p, a, b)
#define IDirectInputDevice2_CreateEffect(p, a, b, c, d) (p)->lpVtbl->CreateEffect(p, a, b, c, d)
#define IDirectInputDevice2_Poll(p) (p)->lpVtbl->Poll(p)

// --- IDirectInputA ----------------------------------------------------------

typedef struct IDirectInputA IDirectInputA;
typedef IDirectInputA* LPDIRECTINPUTA;

typedef struct IDirectInputAVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IDirectInputA* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDirectInputA* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDirectInputA* This);
    HRESULT(STDMETHODCALLTYPE* CreateDevice)
    (IDirectInputA* This, REFGUID rguid, LPDIRECTINPUTDEVICEA* lplpDirectInputDevice,
     LPUNKNOWN pUnkOuter);
    void* EnumDevices;
    void* GetDeviceStatus;
    void* RunControlPanel;
    void* Initialize;
} IDirectInputAVtbl;

struct IDirectInputA {
    CONST_VTBL IDirectInputAVtbl* lpVtbl;
};

#define IDirectInput_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDirectInput_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDirectInput_Release(p) (p)->lpVtbl->Release(p)
#define IDirectInput_CreateDevice(p, a, b, c) (p)->lpVtbl->CreateDevice(p, a, b, c)

extern "C" const IID IID_IDirectInputA;
extern "C" const IID IID_IDirectInputDeviceA;
extern "C" const IID IID_IDirectInputDevice2A;

extern "C" HRESULT WINAPI DirectInputCreateA(HINSTANCE hinst, DWORD dwVersion,
                                             LPDIRECTINPUTA* lplpDirectInput, LPUNKNOWN punkOuter);
