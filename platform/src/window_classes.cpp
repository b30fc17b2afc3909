// Window classes. Semantics kept and choices:
//  - Class names compare without regard to ASCII case and keep the spelling
//    they were registered with. One namespace serves the whole process
//    (the platform keeps one per module; nothing in this system registers
//    the same name from two modules): a second registration of a name,
//    standard classes included, fails with ERROR_CLASS_ALREADY_EXISTS and
//    returns 0.
//  - Atoms count up from 0xC000 and are never reused; a class may be named
//    by its atom (MAKEINTATOM) wherever a name is taken.
//  - The standard classes ("#32770" for dialogs, "STATIC", "BUTTON",
//    TRACKBAR_CLASSA) are registered on first use and stay; Reset removes
//    every other class.
//  - UnregisterClassA fails while windows of the class exist
//    (ERROR_CLASS_HAS_WINDOWS) and for the standard classes.
#include <cctype>

#include "faults.h"
#include "standard_classes.h"
#include "simwin/kernel.h"
#include "simwin/resources.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

ATOM g_next_atom = 0xC000;
auto* g_classes = new std::vector<std::shared_ptr<WindowClass>>;  // never destroyed
bool g_standard_registered = false;

bool SameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || std::tolower(static_cast<unsigned char>(a[i])) !=
                                std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return b[i] == '\0';
}

std::shared_ptr<WindowClass> Lookup(LPCSTR nameOrAtom) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(nameOrAtom);
    for (auto& windowClass : *g_classes) {
        if (value < 0x10000 ? windowClass->atom == value
                            : SameName(windowClass->name, nameOrAtom)) {
            return windowClass;
        }
    }
    return nullptr;
}

ATOM Add(const WNDCLASSA& attributes, bool system) {
    auto windowClass = std::make_shared<WindowClass>();
    windowClass->name = attributes.lpszClassName;
    windowClass->attributes = attributes;
    windowClass->attributes.lpszClassName = nullptr;  // the record keeps its own copy
    windowClass->attributes.lpszMenuName = nullptr;
    windowClass->atom = g_next_atom++;
    windowClass->system = system;
    g_classes->push_back(windowClass);
    return windowClass->atom;
}

void EnsureStandardClasses() {
    if (!g_standard_registered) {
        g_standard_registered = true;
        RegisterStandardClasses();
    }
}

}  // namespace

std::shared_ptr<WindowClass> FindClass(LPCSTR nameOrAtom) {
    if (nameOrAtom == nullptr) {
        return nullptr;
    }
    EnsureStandardClasses();
    // The dialog class's fixed atom (WC_DIALOG).
    if (reinterpret_cast<uintptr_t>(nameOrAtom) == 0x8002) {
        return Lookup("#32770");
    }
    return Lookup(nameOrAtom);
}

void RegisterSystemClass(const char* name, WNDPROC procedure, int windowExtra, HBRUSH background) {
    WNDCLASSA attributes = {};
    attributes.style = CS_GLOBALCLASS;
    attributes.lpfnWndProc = procedure;
    attributes.cbWndExtra = windowExtra;
    attributes.hbrBackground = background;
    attributes.lpszClassName = name;
    Add(attributes, true);
}

void ResetClasses() {
    auto& classes = *g_classes;
    for (auto it = classes.begin(); it != classes.end();) {
        it = (*it)->system ? it + 1 : classes.erase(it);
    }
}

}  // namespace simwin::detail

using simwin::detail::FindClass;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("RegisterClassA", &error)) {
        SetLastError(error);
        return 0;
    }
    if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr ||
        IS_INTRESOURCE(lpWndClass->lpszClassName) || lpWndClass->lpfnWndProc == nullptr ||
        lpWndClass->cbWndExtra < 0 || lpWndClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindClass(lpWndClass->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return simwin::detail::Add(*lpWndClass, false);
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
    (void)hInstance;
    auto windowClass = FindClass(lpClassName);
    if (windowClass == nullptr || windowClass->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (HWND window : simwin::AllWindows()) {
        if (simwin::detail::FindWindowRecord(window)->windowClass == windowClass) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    auto& classes = *simwin::detail::g_classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (*it == windowClass) {
            classes.erase(it);
            break;
        }
    }
    return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
    (void)hInstance;
    auto windowClass = FindClass(lpClassName);
    if (windowClass == nullptr || lpWndClass == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *lpWndClass = windowClass->attributes;
    lpWndClass->lpszClassName = lpClassName;
    return TRUE;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    simwin::detail::Window* window = simwin::detail::RequireWindow(hWnd);
    if (window == nullptr || lpClassName == nullptr || nMaxCount <= 0) {
        return 0;
    }
    const std::string& name = window->windowClass->name;
    const size_t copied = std::min(name.size(), static_cast<size_t>(nMaxCount - 1));
    name.copy(lpClassName, copied);
    lpClassName[copied] = '\0';
    return static_cast<int>(copied);
}

}  // extern "C"

std::string simwin::ClassNameOf(HWND window) {
    detail::Window* record = detail::FindWindowRecord(window);
    return record == nullptr ? std::string() : record->windowClass->name;
}
