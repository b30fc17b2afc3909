// A deliverable loaded the way the system loads it: through the loader and
// its two exports only.
#pragma once

#include <windows.h>

namespace test_support {

class LoadedModule {
  public:
    explicit LoadedModule(const char* path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const { return module_ != nullptr; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
    HRESULT CanUnloadNow() const;
    HMODULE handle() const { return module_; }

  private:
    HMODULE module_;
    LPFNGETCLASSOBJECT getClassObject_ = nullptr;
    LPFNCANUNLOADNOW canUnloadNow_ = nullptr;
};

}  // namespace test_support
