// Module resources: the table each module hands to the loader, and the
// icons and cursors loaded from it or from the stock set.
//  - Resources are named by number (MAKEINTRESOURCEA(id) or the string
//    "#id"); named resources are not simulated and are not found.
//  - LoadIconA(NULL, IDI_...) and LoadCursorA(NULL, IDC_...) answer the
//    stock images for the platform's stock ids; LoadIconA(module, id) the
//    module's icon. Each (module, id) pair has one handle for good, as
//    shared icons do on the platform; they are never destroyed. A missing
//    resource fails with ERROR_RESOURCE_NAME_NOT_FOUND, a module without a
//    table with ERROR_RESOURCE_DATA_NOT_FOUND.
//  - Module cursors are not simulated (no table holds cursors).
// Like the windows, resources are used from the user-interface thread; the
// loader attaches and detaches tables from the thread that loads.
#include <map>
#include <utility>

#include "module_resources_internal.h"
#include "simwin/control_windows.h"
#include "simwin/kernel.h"
#include "simwin/resources.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

constexpr int kStockIconSize = 32;

struct Table {
    const SimwinModuleResources* resources;
    bool fromLoader;  // attached by LoadLibraryA: survives Reset
};

auto* g_tables = new std::map<HINSTANCE, Table>;  // never destroyed
auto* g_icons = new std::map<std::pair<HINSTANCE, WORD>, HICON>;
auto* g_icon_info = new std::map<HICON, IconInfo>;
uintptr_t g_next_icon = 0x60010;

bool ResourceNumber(LPCSTR name, WORD* id) {
    if (name == nullptr) {
        return false;
    }
    if (IS_INTRESOURCE(name)) {
        *id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
        return *id != 0;
    }
    if (name[0] != '#' || name[1] == '\0') {
        return false;
    }
    unsigned long value = 0;
    for (const char* c = name + 1; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' ||
            (value = value * 10 + static_cast<unsigned>(*c - '0')) > 0xFFFF) {
            return false;
        }
    }
    *id = static_cast<WORD>(value);
    return value != 0;
}

const SimwinModuleResources* TableOf(HINSTANCE module) {
    auto it = g_tables->find(module);
    return it == g_tables->end() ? nullptr : it->second.resources;
}

HICON IconHandle(HINSTANCE module, WORD id, int width, int height) {
    HICON& icon = (*g_icons)[{module, id}];
    if (icon == nullptr) {
        icon = reinterpret_cast<HICON>(g_next_icon);
        g_next_icon += 4;
        (*g_icon_info)[icon] = {module, id, width, height};
    }
    return icon;
}

bool IsStockIcon(WORD id) {
    return id >= 32512 && id <= 32518;
}

bool IsStockCursor(WORD id) {
    return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651);
}

void ForgetModuleIcons(HINSTANCE module) {
    for (auto it = g_icons->begin(); it != g_icons->end();) {
        if (it->first.first == module) {
            g_icon_info->erase(it->second);
            it = g_icons->erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

void AttachLoadedModuleResources(HMODULE module, const SimwinModuleResources* resources) {
    if (resources != nullptr) {
        (*g_tables)[module] = {resources, true};
    }
}

void DetachModuleResources(HMODULE module) {
    g_tables->erase(module);
    ForgetModuleIcons(module);
}

const SimwinDialogTemplate* FindDialogTemplate(HINSTANCE module, LPCSTR name) {
    const SimwinModuleResources* table = TableOf(module);
    WORD id = 0;
    if (table == nullptr || !ResourceNumber(name, &id)) {
        return nullptr;
    }
    for (size_t i = 0; i < table->dialogCount; ++i) {
        if (table->dialogs[i].id == id) {
            return &table->dialogs[i];
        }
    }
    return nullptr;
}

void ResetModuleResources() {
    for (auto it = g_tables->begin(); it != g_tables->end();) {
        if (it->second.fromLoader) {
            ++it;
        } else {
            ForgetModuleIcons(it->first);
            it = g_tables->erase(it);
        }
    }
}

}  // namespace simwin::detail

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    WORD id = 0;
    if (!simwin::detail::ResourceNumber(lpIconName, &id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (hInstance == nullptr) {
        if (!simwin::detail::IsStockIcon(id)) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        return simwin::detail::IconHandle(nullptr, id, simwin::detail::kStockIconSize,
                                          simwin::detail::kStockIconSize);
    }
    const SimwinModuleResources* table = simwin::detail::TableOf(hInstance);
    if (table == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    for (size_t i = 0; i < table->iconCount; ++i) {
        if (table->icons[i].id == id) {
            return simwin::detail::IconHandle(hInstance, id, table->icons[i].width,
                                              table->icons[i].height);
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    WORD id = 0;
    if (hInstance != nullptr || !simwin::detail::ResourceNumber(lpCursorName, &id) ||
        !simwin::detail::IsStockCursor(id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    // Cursors live in a key space of their own (module NULL, id | 0x10000 is
    // not a WORD), so keep them apart from the stock icons by a fake module.
    static int cursorModuleTag;
    return simwin::detail::IconHandle(reinterpret_cast<HINSTANCE>(&cursorModuleTag), id,
                                      simwin::detail::kStockIconSize,
                                      simwin::detail::kStockIconSize);
}

}  // extern "C"

namespace simwin {

void RegisterModuleResources(HINSTANCE module, const SimwinModuleResources* resources) {
    detail::ForgetModuleIcons(module);
    if (resources == nullptr) {
        detail::g_tables->erase(module);
        return;
    }
    (*detail::g_tables)[module] = {resources, false};
}

void UnregisterModuleResources(HINSTANCE module) {
    detail::DetachModuleResources(module);
}

bool DescribeIcon(HICON icon, IconInfo* info) {
    auto it = detail::g_icon_info->find(icon);
    if (it == detail::g_icon_info->end()) {
        return false;
    }
    *info = it->second;
    return true;
}

}  // namespace simwin
