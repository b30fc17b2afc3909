#include "tools/standin_controller/dinput/effect_driver_link.h"

#include <cstdio>
#include <cstring>

namespace standin_dinput {

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFunction)();

// An export by name, as the function type it is known to have.
template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void FormatClassKey(char (&path)[MAX_PATH], const CLSID& driverClass) {
    std::snprintf(path, sizeof path,
                  "Software\\Classes\\CLSID\\{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}"
                  "\\InProcServer32",
                  static_cast<unsigned long>(driverClass.Data1), driverClass.Data2,
                  driverClass.Data3, driverClass.Data4[0], driverClass.Data4[1],
                  driverClass.Data4[2], driverClass.Data4[3], driverClass.Data4[4],
                  driverClass.Data4[5], driverClass.Data4[6], driverClass.Data4[7]);
}

bool ReadModulePath(const CLSID& driverClass, char (&modulePath)[MAX_PATH]) {
    char keyPath[MAX_PATH];
    FormatClassKey(keyPath, driverClass);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = sizeof modulePath - 1;
    DWORD type = 0;
    const bool read =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(modulePath),
                         &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ);
    RegCloseKey(key);
    if (!read) {
        return false;
    }
    modulePath[size < sizeof modulePath ? size : sizeof modulePath - 1] = '\0';
    return modulePath[0] != '\0';
}

HRESULT CreateDriver(HMODULE module, const CLSID& driverClass, IDirectInputEffectDriver** driver) {
    auto getClassObject = Export<GetClassObjectFunction>(module, "DllGetClassObject");
    if (getClassObject == nullptr) {
        return REGDB_E_CLASSNOTREG;
    }
    IClassFactory* factory = nullptr;
    HRESULT result =
        getClassObject(driverClass, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result)) {
        return result;
    }
    if (factory == nullptr) {
        return E_FAIL;
    }
    result = IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver,
                                          reinterpret_cast<void**>(driver));
    IClassFactory_Release(factory);
    if (SUCCEEDED(result) && *driver == nullptr) {
        result = E_FAIL;
    }
    return result;
}

void FreeDriverModule(HMODULE module) {
    auto canUnloadNow = Export<CanUnloadNowFunction>(module, "DllCanUnloadNow");
    if (canUnloadNow != nullptr && canUnloadNow() == S_OK) {
        FreeLibrary(module);
    }
    // A module that still holds objects stays loaded for good: freeing it
    // would pull code from under them.
}

}  // namespace

void InitEffectDriverLink(EffectDriverLink* link) {
    std::memset(link, 0, sizeof *link);
    link->result = DIERR_UNSUPPORTED;
}

HRESULT BindEffectDriver(EffectDriverLink* link, const JoystickBinding& binding) {
    if (link->attempted) {
        return link->result;
    }
    link->attempted = true;
    char modulePath[MAX_PATH];
    if (!ReadModulePath(*binding.driverClass, modulePath)) {
        link->result = REGDB_E_CLASSNOTREG;
        return link->result;
    }
    link->module = LoadLibraryA(modulePath);
    if (link->module == nullptr) {
        link->result = HRESULT_FROM_WIN32(GetLastError());
        return link->result;
    }
    HRESULT result = CreateDriver(link->module, *binding.driverClass, &link->driver);
    if (SUCCEEDED(result)) {
        MultiByteToWideChar(CP_ACP, 0, binding.interfacePath, -1, link->interfacePath,
                            standin::kPathCapacity);
        link->interfacePath[standin::kPathCapacity - 1] = L'\0';
        DIHIDFFINITINFO init;
        std::memset(&init, 0, sizeof init);
        init.dwSize = sizeof init;
        init.pwszDeviceInterface = link->interfacePath;
        init.GuidInstance = binding.instance;
        result = IDirectInputEffectDriver_DeviceID(link->driver, kEffectDriverInterfaceVersion,
                                                   binding.joystickId, TRUE, binding.instanceNumber,
                                                   &init);
    }
    link->result = SUCCEEDED(result) ? DI_OK : result;
    if (FAILED(result)) {
        ReleaseEffectDriver(link);
        link->attempted = true;
        link->result = result;
    }
    return link->result;
}

void ReleaseEffectDriver(EffectDriverLink* link) {
    if (link->driver != nullptr) {
        IDirectInputEffectDriver_Release(link->driver);
        link->driver = nullptr;
    }
    if (link->module != nullptr) {
        FreeDriverModule(link->module);
        link->module = nullptr;
    }
}

}  // namespace standin_dinput
