// IDirectInputEffect: an effect an application created on a DirectInput
// device, with the identifiers and flags that go with it. Slot order is the
// platform's.
#pragma once

#include "com.h"
#include "directinput_effects.h"

#define DI_NOEFFECT S_FALSE
#define DI_DOWNLOADSKIPPED ((HRESULT)0x00000003L)
#define DIERR_NOTEXCLUSIVEACQUIRED ((HRESULT)0x80040205L)
#define DIERR_MOREDATA ((HRESULT)0x80040202L)
#define DIERR_INCOMPLETEEFFECT ((HRESULT)0x80040206L)
#define DIERR_DEVICEFULL ((HRESULT)0x80040201L)

// DirectX 5 records carry no start delay, so they cover one flag less.
#define DIEP_STARTDELAY 0x00000200
#define DIEP_ALLPARAMS_DX5 0x000001FF
#define DIEP_ALLPARAMS 0x000003FF

#define DIEB_NOTRIGGER 0xFFFFFFFF

typedef struct IDirectInputEffect IDirectInputEffect;
typedef IDirectInputEffect* LPDIRECTINPUTEFFECT;

typedef struct IDirectInputEffectVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)
    (IDirectInputEffect* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDirectInputEffect* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDirectInputEffect* This);
    HRESULT(STDMETHODCALLTYPE* Initialize)
    (IDirectInputEffect* This, HINSTANCE hinst, DWORD dwVersion, REFGUID rguid);
    HRESULT(STDMETHODCALLTYPE* GetEffectGuid)(IDirectInputEffect* This, LPGUID pguid);
    HRESULT(STDMETHODCALLTYPE* GetParameters)
    (IDirectInputEffect* This, LPDIEFFECT peff, DWORD dwFlags);
    HRESULT(STDMETHODCALLTYPE* SetParameters)
    (IDirectInputEffect* This, LPCDIEFFECT peff, DWORD dwFlags);
    HRESULT(STDMETHODCALLTYPE* Start)(IDirectInputEffect* This, DWORD dwIterations, DWORD dwFlags);
    HRESULT(STDMETHODCALLTYPE* Stop)(IDirectInputEffect* This);
    HRESULT(STDMETHODCALLTYPE* GetEffectStatus)(IDirectInputEffect* This, LPDWORD pdwFlags);
    HRESULT(STDMETHODCALLTYPE* Download)(IDirectInputEffect* This);
    HRESULT(STDMETHODCALLTYPE* Unload)(IDirectInputEffect* This);
    HRESULT(STDMETHODCALLTYPE* Escape)(IDirectInputEffect* This, LPDIEFFESCAPE pesc);
} IDirectInputEffectVtbl;

struct IDirectInputEffect {
    CONST_VTBL IDirectInputEffectVtbl* lpVtbl;
};

#define IDirectInputEffect_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDirectInputEffect_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDirectInputEffect_Release(p) (p)->lpVtbl->Release(p)
#define IDirectInputEffect_Initialize(p, a, b, c) (p)->lpVtbl->Initialize(p, a, b, c)
#define IDirectInputEffect_GetEffectGuid(p, a) (p)->lpVtbl->GetEffectGuid(p, a)
#define IDirectInputEffect_GetParameters(p, a, b) (p)->lpVtbl->GetParameters(p, a, b)
#define IDirectInputEffect_SetParameters(p, a, b) (p)->lpVtbl->SetParameters(p, a, b)
#define IDirectInputEffect_Start(p, a, b) (p)->lpVtbl->Start(p, a, b)
#define IDirectInputEffect_Stop(p) (p)->lpVtbl->Stop(p)
#define IDirectInputEffect_GetEffectStatus(p, a) (p)->lpVtbl->GetEffectStatus(p, a)
#define IDirectInputEffect_Download(p) (p)->lpVtbl->Download(p)
#define IDirectInputEffect_Unload(p) (p)->lpVtbl->Unload(p)
#define IDirectInputEffect_Escape(p, a) (p)->lpVtbl->Escape(p, a)

extern "C" const IID IID_IDirectInputEffect;
extern "C" const GUID GUID_ConstantForce;
