// A module for the loader tests. Its entry function appends 'A' (attach) or
// 'D' (detach) to the REG_SZ value Calls of HKEY_CURRENT_USER\LoaderTest,
// stores the module handle it was given in the REG_BINARY value Instance,
// and answers an attach with the REG_DWORD value AttachAnswer (TRUE if
// absent).
#include <windows.h>

#include "simwin/module_entry.h"
#include "simwin/module_resources.h"

namespace {

BOOL WINAPI TestModuleMain(HINSTANCE instance, DWORD reason, LPVOID) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "LoaderTest", &key) != ERROR_SUCCESS) {
        return FALSE;
    }
    char calls[64] = "";
    DWORD size = sizeof(calls) - 1;
    if (RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(calls), &size) !=
        ERROR_SUCCESS) {
        size = 0;
    }
    calls[size] = reason == DLL_PROCESS_ATTACH ? 'A' : reason == DLL_PROCESS_DETACH ? 'D' : '?';
    RegSetValueExA(key, "Calls", 0, REG_SZ, reinterpret_cast<BYTE*>(calls), size + 1);
    RegSetValueExA(key, "Instance", 0, REG_BINARY, reinterpret_cast<BYTE*>(&instance),
                   sizeof(instance));
    DWORD answer = TRUE;
    size = sizeof(answer);
    RegQueryValueExA(key, "AttachAnswer", nullptr, nullptr, reinterpret_cast<BYTE*>(&answer),
                     &size);
    RegCloseKey(key);
    return reason == DLL_PROCESS_ATTACH ? static_cast<BOOL>(answer) : TRUE;
}

}  // namespace

SIMWIN_MODULE_ENTRY(TestModuleMain)

// Shaped like FARPROC, so that callers need no cast.
extern "C" __attribute__((visibility("default"))) INT_PTR test_module_answer() {
    return 42;
}

// Resources for the loader tests: dialog 7 with one text, and icon 9.
namespace {

const SimwinDialogItem kTestDialogItems[] = {
    {100, "STATIC", "loaded", WS_VISIBLE | SS_LEFT, 4, 4, 40, 8},
};
const SimwinDialogTemplate kTestDialogs[] = {
    {7, "Loaded dialog", WS_POPUP | WS_CAPTION, "Arial", 8, 0, 0, 60, 30, kTestDialogItems, 1},
};
const SimwinIconResource kTestIcons[] = {{9, 32, 32}};
const SimwinModuleResources kTestResources = {kTestDialogs, 1, kTestIcons, 1};

}  // namespace

SIMWIN_MODULE_RESOURCES(kTestResources)
