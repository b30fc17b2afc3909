// The registry: an in-memory tree of keys per process, with three separate
// predefined roots (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE).
//  - Key paths are separated by '\' (empty components are skipped). Key and
//    value names compare without regard to ASCII case and keep the spelling
//    they were created with.
//  - Values keep their type and exactly the bytes that were set; nothing is
//    added or checked (a REG_SZ gets no terminator it was not given). The
//    default value is the one with an empty or NULL name.
//  - Subkeys enumerate in creation order: RegEnumKeyA names subkey number
//    dwIndex, answers ERROR_NO_MORE_ITEMS past the last one and
//    ERROR_MORE_DATA (buffer untouched) when the name and its terminator do
//    not fit in cchName characters.
//  - Open handles are counted (OpenRegistryKeys) so that tests find keys
//    that were never closed, and so are changes to the tree
//    (RegistryChanges) so that tests see that nothing was written.
//  - An open key handle holds its key; it stays valid whatever happens to
//    the tree. Once the key is deleted, operations on the handle fail with
//    ERROR_KEY_DELETED, and it still has to be closed.
//  - RegQueryValueExA with a buffer that is too small returns ERROR_MORE_DATA
//    with the needed size and leaves the buffer untouched.
//  - RegCreateKeyA and RegOpenKeyA with a NULL or empty subkey return a new
//    handle to the same key; closing a predefined root does nothing.
//  - RegDeleteKeyA deletes only keys without subkeys (else
//    ERROR_ACCESS_DENIED); an empty subkey deletes the key itself, but
//    never a root.
// One mutex guards the whole tree and the handle table.
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "faults.h"
#include "registry_internal.h"
#include "simwin/control_system.h"
#include "simwin/registry.h"

namespace simwin::detail {
namespace {

struct Value {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
};

struct Key {
    std::string name;
    std::weak_ptr<Key> parent;
    std::vector<std::shared_ptr<Key>> subkeys;  // creation order
    std::vector<Value> values;
    bool deleted = false;
};

std::mutex g_mutex;
// Never destroyed, like the rest of the machine: keys may be used at exit.
auto& g_roots = *new std::array<std::shared_ptr<Key>, 3>;
uintptr_t g_next_handle = 0x1000;
size_t g_changes = 0;
auto* g_handles = new std::unordered_map<uintptr_t, std::shared_ptr<Key>>;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return b[i] == '\0';
}

void EnsureRootsLocked() {
    for (auto& root : g_roots) {
        if (root == nullptr) {
            root = std::make_shared<Key>();
        }
    }
}

int RootIndex(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) {
        return 0;
    }
    if (key == HKEY_CURRENT_USER) {
        return 1;
    }
    if (key == HKEY_LOCAL_MACHINE) {
        return 2;
    }
    return -1;
}

// The key behind a handle, or an error code.
LSTATUS ResolveLocked(HKEY handle, std::shared_ptr<Key>* key) {
    EnsureRootsLocked();
    const int root = RootIndex(handle);
    if (root >= 0) {
        *key = g_roots[root];
        return ERROR_SUCCESS;
    }
    auto it = g_handles->find(reinterpret_cast<uintptr_t>(handle));
    if (it == g_handles->end()) {
        return ERROR_INVALID_HANDLE;
    }
    if (it->second->deleted) {
        return ERROR_KEY_DELETED;
    }
    *key = it->second;
    return ERROR_SUCCESS;
}

HKEY NewHandleLocked(std::shared_ptr<Key> key) {
    const uintptr_t value = g_next_handle;
    g_next_handle += 4;
    g_handles->emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

std::shared_ptr<Key> FindSubkey(const Key& key, const char* name) {
    for (const auto& subkey : key.subkeys) {
        if (SameName(subkey->name, name)) {
            return subkey;
        }
    }
    return nullptr;
}

std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') {
            if (!part.empty()) {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

// Walks `path` from `start`; with `create`, makes the keys that are missing.
std::shared_ptr<Key> WalkLocked(std::shared_ptr<Key> start, const char* path, bool create) {
    std::shared_ptr<Key> key = std::move(start);
    for (const std::string& part : SplitPath(path)) {
        std::shared_ptr<Key> next = FindSubkey(*key, part.c_str());
        if (next == nullptr) {
            if (!create) {
                return nullptr;
            }
            next = std::make_shared<Key>();
            next->name = part;
            next->parent = key;
            key->subkeys.push_back(next);
            ++g_changes;
        }
        key = std::move(next);
    }
    return key;
}

Value* FindValue(Key& key, const char* name) {
    for (Value& value : key.values) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void MarkDeleted(Key& key) {
    key.deleted = true;
    for (auto& subkey : key.subkeys) {
        MarkDeleted(*subkey);
    }
}

LSTATUS OpenOrCreate(const char* function, HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult,
                     bool create) {
    // A failed open or create leaves NULL, never a stale handle.
    if (phkResult != nullptr) {
        *phkResult = nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    if (ShouldFail(function, &error)) {
        return static_cast<LSTATUS>(error);
    }
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> key;
    LSTATUS status = ResolveLocked(hKey, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    key = WalkLocked(key, lpSubKey == nullptr ? "" : lpSubKey, create);
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    *phkResult = NewHandleLocked(std::move(key));
    return ERROR_SUCCESS;
}

}  // namespace

void ResetRegistry() {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto& root : g_roots) {
        if (root != nullptr) {
            MarkDeleted(*root);
        }
        root = std::make_shared<Key>();
    }
    g_changes = 0;
}

}  // namespace simwin::detail

size_t simwin::OpenRegistryKeys() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    return detail::g_handles->size();
}

size_t simwin::RegistryChanges() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    return detail::g_changes;
}

using simwin::detail::g_mutex;
using simwin::detail::Key;
using simwin::detail::ShouldFail;
using simwin::detail::Value;

extern "C" {

LSTATUS WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return simwin::detail::OpenOrCreate("RegOpenKeyA", hKey, lpSubKey, phkResult, false);
}

LSTATUS WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return simwin::detail::OpenOrCreate("RegCreateKeyA", hKey, lpSubKey, phkResult, true);
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    DWORD error = ERROR_SUCCESS;
    if (ShouldFail("RegQueryValueExA", &error)) {
        return static_cast<LSTATUS>(error);
    }
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> key;
    LSTATUS status = simwin::detail::ResolveLocked(hKey, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const Value* value = simwin::detail::FindValue(*key, lpValueName == nullptr ? "" : lpValueName);
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (lpType != nullptr) {
        *lpType = value->type;
    }
    if (lpcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    const DWORD size = static_cast<DWORD>(value->data.size());
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size != 0) {
            std::memcpy(lpData, value->data.data(), size);
        }
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    (void)Reserved;
    DWORD error = ERROR_SUCCESS;
    if (ShouldFail("RegSetValueExA", &error)) {
        return static_cast<LSTATUS>(error);
    }
    if (lpData == nullptr && cbData != 0) {
        return ERROR_NOACCESS;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> key;
    LSTATUS status = simwin::detail::ResolveLocked(hKey, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const char* name = lpValueName == nullptr ? "" : lpValueName;
    Value* value = simwin::detail::FindValue(*key, name);
    if (value == nullptr) {
        key->values.push_back({name, dwType, {}});
        value = &key->values.back();
    }
    value->type = dwType;
    value->data.assign(lpData, lpData + cbData);
    ++simwin::detail::g_changes;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    DWORD error = ERROR_SUCCESS;
    if (ShouldFail("RegEnumKeyA", &error)) {
        return static_cast<LSTATUS>(error);
    }
    if (lpName == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> key;
    LSTATUS status = simwin::detail::ResolveLocked(hKey, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (dwIndex >= key->subkeys.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::string& name = key->subkeys[dwIndex]->name;
    if (name.size() + 1 > cchName) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpName, name.c_str(), name.size() + 1);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    DWORD error = ERROR_SUCCESS;
    if (ShouldFail("RegDeleteValueA", &error)) {
        return static_cast<LSTATUS>(error);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> key;
    LSTATUS status = simwin::detail::ResolveLocked(hKey, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const char* name = lpValueName == nullptr ? "" : lpValueName;
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (simwin::detail::SameName(it->name, name)) {
            key->values.erase(it);
            ++simwin::detail::g_changes;
            return ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    DWORD error = ERROR_SUCCESS;
    if (ShouldFail("RegDeleteKeyA", &error)) {
        return static_cast<LSTATUS>(error);
    }
    if (lpSubKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> start;
    LSTATUS status = simwin::detail::ResolveLocked(hKey, &start);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::shared_ptr<Key> key = simwin::detail::WalkLocked(start, lpSubKey, false);
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    std::shared_ptr<Key> parent = key->parent.lock();
    if (parent == nullptr || !key->subkeys.empty()) {
        return ERROR_ACCESS_DENIED;  // a root, or a key that still has subkeys
    }
    auto& siblings = parent->subkeys;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (*it == key) {
            siblings.erase(it);
            break;
        }
    }
    key->deleted = true;
    ++simwin::detail::g_changes;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    if (simwin::detail::RootIndex(hKey) >= 0) {
        return ERROR_SUCCESS;
    }
    std::shared_ptr<Key> key;  // released outside the lock
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = simwin::detail::g_handles->find(reinterpret_cast<uintptr_t>(hKey));
    if (it == simwin::detail::g_handles->end()) {
        return ERROR_INVALID_HANDLE;
    }
    key = std::move(it->second);
    simwin::detail::g_handles->erase(it);
    return ERROR_SUCCESS;
}

}  // extern "C"
