// IDirectInputEffectDriver: the interface through which DirectInput hands a
// device's effects to its force-feedback driver. Slot order is the
// platform's.
#pragma once

#include "com.h"
#include "directinput_effects.h"

typedef struct IDirectInputEffectDriver IDirectInputEffectDriver;
typedef IDirectInputEffectDriver* LPDIRECTINPUTEFFECTDRIVER;

typedef struct IDirectInputEffectDriverVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)
    (IDirectInputEffectDriver* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IDirectInputEffectDriver* This);
    ULONG(STDMETHODCALLTYPE* Release)(IDirectInputEffectDriver* This);
    HRESULT(STDMETHODCALLTYPE* DeviceID)
    (IDirectInputEffectDriver* This, DWORD a, DWORD b, DWORD c, DWORD d, LPVOID e);
    HRESULT(STDMETHODCALLTYPE* GetVersions)(IDirectInputEffectDriver* This, LPDIDRIVERVERSIONS a);
    HRESULT(STDMETHODCALLTYPE* Escape)
    (IDirectInputEffectDriver* This, DWORD a, DWORD b, LPDIEFFESCAPE c);
    HRESULT(STDMETHODCALLTYPE* SetGain)(IDirectInputEffectDriver* This, DWORD a, DWORD b);
    HRESULT(STDMETHODCALLTYPE* SendForceFeedbackCommand)
    (IDirectInputEffectDriver* This, DWORD a, DWORD b);
    HRESULT(STDMETHODCALLTYPE* GetForceFeedbackState)
    (IDirectInputEffectDriver* This, DWORD a, LPDIDEVICESTATE b);
    HRESULT(STDMETHODCALLTYPE* DownloadEffect)
    (IDirectInputEffectDriver* This, DWORD a, DWORD b, LPDWORD c, LPCDIEFFECT d, DWORD e);
    HRESULT(STDMETHODCALLTYPE* DestroyEffect)(IDirectInputEffectDriver* This, DWORD a, DWORD b);
    HRESULT(STDMETHODCALLTYPE* StartEffect)
    (IDirectInputEffectDriver* This, DWORD a, DWORD b, DWORD c, DWORD d);
    HRESULT(STDMETHODCALLTYPE* StopEffect)(IDirectInputEffectDriver* This, DWORD a, DWORD b);
    HRESULT(STDMETHODCALLTYPE* GetEffectStatus)
    (IDirectInputEffectDriver* This, DWORD a, DWORD b, LPDWORD c);
} IDirectInputEffectDriverVtbl;

struct IDirectInputEffectDriver {
    CONST_VTBL IDirectInputEffectDriverVtbl* lpVtbl;
};

#define IDirectInputEffectDriver_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IDirectInputEffectDriver_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IDirectInputEffectDriver_Release(p) (p)->lpVtbl->Release(p)
#define IDirectInputEffectDriver_DeviceID(p, a, b, c, d, e) (p)->lpVtbl->DeviceID(p, a, b, c, d, e)
#define IDirectInputEffectDriver_GetVersions(p, a) (p)->lpVtbl->GetVersions(p, a)
#define IDirectInputEffectDriver_Escape(p, a, b, c) (p)->lpVtbl->Escape(p, a, b, c)
#define IDirectInputEffectDriver_SetGain(p, a, b) (p)->lpVtbl->SetGain(p, a, b)
#define IDirectInputEffectDriver_SendForceFeedbackCommand(p, a, b) \
    (p)->lpVtbl->SendForceFeedbackCommand(p, a, b)
#define IDirectInputEffectDriver_GetForceFeedbackState(p, a, b) \
    (p)->lpVtbl->GetForceFeedbackState(p, a, b)
#define IDirectInputEffectDriver_DownloadEffect(p, a, b, c, d, e) \
    (p)->lpVtbl->DownloadEffect(p, a, b, c, d, e)
#define IDirectInputEffectDriver_DestroyEffect(p, a, b) (p)->lpVtbl->DestroyEffect(p, a, b)
#define IDirectInputEffectDriver_StartEffect(p, a, b, c, d) (p)->lpVtbl->StartEffect(p, a, b, c, d)
#define IDirectInputEffectDriver_StopEffect(p, a, b) (p)->lpVtbl->StopEffect(p, a, b)
#define IDirectInputEffectDriver_GetEffectStatus(p, a, b, c) \
    (p)->lpVtbl->GetEffectStatus(p, a, b, c)

extern "C" const IID IID_IDirectInputEffectDriver;
