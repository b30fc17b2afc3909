// Loading modules. LoadLibraryA maps a host shared object; while it is being
// mapped, its static initialisers name its entry function through
// simwin_register_module_entry (see module_entry.h). The loader then calls
// that entry with DLL_PROCESS_ATTACH; a FALSE answer unloads the module and
// fails the load (nothing else is called). Loading a module that is already
// loaded only counts one more reference, as the host loader runs the
// initialisers only once; FreeLibrary of the last reference calls the entry
// with DLL_PROCESS_DETACH and unmaps the module.
// A module's resource table (module_resources.h) is captured the same way
// and attached to its handle until the last FreeLibrary.
// An HMODULE is the loader's record of the module. Registrations made
// outside a LoadLibraryA (a module linked into the program directly) are
// ignored: no loader call will ever pair them with an attach.
// Loads and frees are serialised by one recursive lock (an entry function may
// itself load or free modules).
#include <dlfcn.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "faults.h"
#include "module_resources_internal.h"
#include "simwin/kernel.h"
#include "simwin/module_entry.h"

namespace simwin::detail {
namespace {

struct Module {
    void* host_handle;
    SimwinModuleEntry entry;
    unsigned references;
};

std::recursive_mutex g_mutex;
// Never destroyed: modules may be freed from atexit handlers.
auto* g_modules = new std::vector<std::unique_ptr<Module>>;

// The load in progress on this thread, if any: where its initialisers'
// registration goes.
thread_local bool t_loading = false;
thread_local SimwinModuleEntry t_registered = nullptr;
thread_local const SimwinModuleResources* t_resources = nullptr;

Module* FindLocked(HMODULE handle) {
    for (auto& module : *g_modules) {
        if (reinterpret_cast<HMODULE>(module.get()) == handle) {
            return module.get();
        }
    }
    return nullptr;
}

HMODULE HandleOf(Module* module) {
    return reinterpret_cast<HMODULE>(module);
}

}  // namespace
}  // namespace simwin::detail

using simwin::detail::Module;

extern "C" {

void simwin_register_module_entry(SimwinModuleEntry entry) {
    if (simwin::detail::t_loading) {
        simwin::detail::t_registered = entry;
    }
}

void simwin_register_module_resources(const SimwinModuleResources* resources) {
    if (simwin::detail::t_loading) {
        simwin::detail::t_resources = resources;
    }
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("LoadLibraryA", &error)) {
        SetLastError(error);
        return nullptr;
    }
    if (lpLibFileName == nullptr || lpLibFileName[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> lock(simwin::detail::g_mutex);
    // A nested load (from an entry function) keeps the outer load's slot.
    const bool outer_loading = simwin::detail::t_loading;
    const SimwinModuleEntry outer_registered = simwin::detail::t_registered;
    const SimwinModuleResources* outer_resources = simwin::detail::t_resources;
    simwin::detail::t_loading = true;
    simwin::detail::t_registered = nullptr;
    simwin::detail::t_resources = nullptr;
    void* host_handle = dlopen(lpLibFileName, RTLD_NOW | RTLD_LOCAL);
    const SimwinModuleEntry entry = simwin::detail::t_registered;
    const SimwinModuleResources* resources = simwin::detail::t_resources;
    simwin::detail::t_loading = outer_loading;
    simwin::detail::t_registered = outer_registered;
    simwin::detail::t_resources = outer_resources;
    if (host_handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    for (auto& module : *simwin::detail::g_modules) {
        if (module->host_handle == host_handle) {
            // The record holds one host reference for all of its own.
            dlclose(host_handle);
            ++module->references;
            return simwin::detail::HandleOf(module.get());
        }
    }
    auto module = std::make_unique<Module>(Module{host_handle, entry, 1});
    HMODULE handle = simwin::detail::HandleOf(module.get());
    // Attached before the entry runs: DllMain may already load its icons.
    simwin::detail::AttachLoadedModuleResources(handle, resources);
    if (entry != nullptr && !entry(handle, DLL_PROCESS_ATTACH, nullptr)) {
        simwin::detail::DetachModuleResources(handle);
        dlclose(host_handle);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    simwin::detail::g_modules->push_back(std::move(module));
    return handle;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    void* host_handle = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(simwin::detail::g_mutex);
        Module* module = simwin::detail::FindLocked(hModule);
        if (module == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        host_handle = module->host_handle;
    }
    // Lookups by ordinal (a "name" below 0x10000) are not supported.
    if (reinterpret_cast<uintptr_t>(lpProcName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(host_handle, lpProcName);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    std::lock_guard<std::recursive_mutex> lock(simwin::detail::g_mutex);
    auto& modules = *simwin::detail::g_modules;
    for (auto it = modules.begin(); it != modules.end(); ++it) {
        if (simwin::detail::HandleOf(it->get()) != hLibModule) {
            continue;
        }
        if (--(*it)->references != 0) {
            return TRUE;
        }
        std::unique_ptr<Module> module = std::move(*it);
        modules.erase(it);
        if (module->entry != nullptr) {
            module->entry(hLibModule, DLL_PROCESS_DETACH, nullptr);
        }
        simwin::detail::DetachModuleResources(hLibModule);
        dlclose(module->host_handle);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

}  // extern "C"
