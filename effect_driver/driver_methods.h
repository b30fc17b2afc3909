// The methods of IDirectInputEffectDriver, in the interface's slot order.
// Each subsystem implements its own: the object frame (effect_driver.cpp),
// device binding (device_binding.cpp), device-wide commands
// (driver_commands.cpp) and the effect store (effect_store.cpp).
#pragma once

#include <dinput.h>
#include <dinputd.h>

HRESULT STDMETHODCALLTYPE DriverQueryInterface(IDirectInputEffectDriver* This, REFIID riid,
                                               void** ppvObject);
ULONG STDMETHODCALLTYPE DriverAddRef(IDirectInputEffectDriver* This);
ULONG STDMETHODCALLTYPE DriverRelease(IDirectInputEffectDriver* This);
HRESULT STDMETHODCALLTYPE DriverDeviceID(IDirectInputEffectDriver* This, DWORD directInputVersion,
                                         DWORD externalId, DWORD begin, DWORD internalId,
                                         LPVOID reserved);
HRESULT STDMETHODCALLTYPE DriverGetVersions(IDirectInputEffectDriver* This,
                                            LPDIDRIVERVERSIONS versions);
HRESULT STDMETHODCALLTYPE DriverEscape(IDirectInputEffectDriver* This, DWORD deviceId, DWORD effect,
                                       LPDIEFFESCAPE escape);
HRESULT STDMETHODCALLTYPE DriverSetGain(IDirectInputEffectDriver* This, DWORD deviceId, DWORD gain);
HRESULT STDMETHODCALLTYPE DriverSendForceFeedbackCommand(IDirectInputEffectDriver* This,
                                                         DWORD deviceId, DWORD command);
HRESULT STDMETHODCALLTYPE DriverGetForceFeedbackState(IDirectInputEffectDriver* This,
                                                      DWORD deviceId, LPDIDEVICESTATE state);
HRESULT STDMETHODCALLTYPE DriverDownloadEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                               DWORD typeIndex, LPDWORD effect,
                                               LPCDIEFFECT parameters, DWORD flags);
HRESULT STDMETHODCALLTYPE DriverDestroyEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                              DWORD effect);
HRESULT STDMETHODCALLTYPE DriverStartEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                            DWORD effect, DWORD mode, DWORD count);
HRESULT STDMETHODCALLTYPE DriverStopEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                           DWORD effect);
HRESULT STDMETHODCALLTYPE DriverGetEffectStatus(IDirectInputEffectDriver* This, DWORD deviceId,
                                                DWORD effect, LPDWORD status);
