// The module's exports: the DirectInput entry points a program imports, and
// the COM server entry points every such module has.
#include <windows.h>
#include <dinput.h>

#include "tools/standin_controller/dinput/direct_input.h"
#include "tools/standin_controller/dinput/module_state.h"

using standin_dinput::CreateDirectInput;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        standin_dinput::SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DirectInputCreateEx(HINSTANCE, DWORD version, REFIID riid, LPVOID* out,
                                   LPUNKNOWN outer) {
    if (out == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *out = nullptr;
    if (outer != nullptr) {
        return DIERR_NOAGGREGATION;
    }
    return CreateDirectInput(version, riid, out);
}

HRESULT WINAPI DirectInputCreateA(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* out,
                                  LPUNKNOWN outer) {
    return DirectInputCreateEx(instance, version, IID_IDirectInputA, reinterpret_cast<void**>(out),
                               outer);
}

// The stand-in controllers speak to ANSI programs only: both deliverables
// and every test program use the A interfaces.
HRESULT WINAPI DirectInputCreateW(HINSTANCE, DWORD, LPDIRECTINPUTW* out, LPUNKNOWN) {
    if (out != nullptr) {
        *out = nullptr;
    }
    return DIERR_UNSUPPORTED;
}

HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* out) {
    if (out != nullptr) {
        *out = nullptr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow() {
    return standin_dinput::AnyObjectAlive() ? S_FALSE : S_OK;
}

HRESULT WINAPI DllRegisterServer() {
    return S_OK;
}

HRESULT WINAPI DllUnregisterServer() {
    return S_OK;
}

}  // extern "C"
