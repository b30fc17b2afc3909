// The driver module in a real Windows runtime, loaded the way DirectInput
// loads it: LoadLibraryA and the two exports, nothing else. Also the
// runtime's registry as the device installation left it, and timing.
#pragma once

#include <dinput.h>
#include <dinputd.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "profiles/selected_model.h"
#include "program_directory.h"
#include "support/effect_records.h"
#include "support/loaded_module.h"

namespace windows_test {

// The model's key below HKEY_LOCAL_MACHINE, as the installation writes it:
// "SYSTEM\...\Joystick\OEM\VID_xxxx&PID_xxxx" (`productId` picks the model).
std::string OemKeyPath(WORD productId = kModelProfile.productId);
// The model's registration of the effect type at `position` (0..11).
std::string EffectRegistrationPath(UINT position);
// The playback lock's name: the model's "VID_xxxx&PID_xxxx".
std::string PlaybackLockName(WORD productId = kModelProfile.productId);
// The class id in registry form, "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
std::string ClassIdText(const GUID& id);

// Milliseconds since construction, from the performance counter.
class Stopwatch {
  public:
    Stopwatch();
    double ElapsedMs() const;

  private:
    LARGE_INTEGER start_;
    LARGE_INTEGER frequency_;
};

// A value of a key below HKEY_LOCAL_MACHINE, put back as it was (or removed,
// if it did not exist) when the guard goes away.
class SavedRegistryValue {
  public:
    SavedRegistryValue(std::string keyPath, std::string valueName);
    ~SavedRegistryValue();
    SavedRegistryValue(const SavedRegistryValue&) = delete;
    SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

    LSTATUS Set(DWORD type, const std::vector<BYTE>& bytes);
    LSTATUS Delete();

  private:
    std::string keyPath_;
    std::string valueName_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> bytes_;
};

// A whole registry key without subkeys, deleted now and written back with
// all its values when the guard goes away.
class DeletedRegistryKey {
  public:
    explicit DeletedRegistryKey(std::string keyPath);
    ~DeletedRegistryKey();
    DeletedRegistryKey(const DeletedRegistryKey&) = delete;
    DeletedRegistryKey& operator=(const DeletedRegistryKey&) = delete;

    bool deleted() const { return deleted_; }

  private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    std::string keyPath_;
    std::vector<Value> values_;
    bool deleted_ = false;
};

// Reads a value below HKEY_LOCAL_MACHINE; nothing when it cannot be read.
std::optional<std::vector<BYTE>> ReadRegistryValue(const std::string& keyPath,
                                                   const char* valueName, DWORD* type = nullptr);

// Each test loads the module afresh and checks at its end that nothing it
// made is still alive (DllCanUnloadNow).
class DriverModule : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A new factory from DllGetClassObject; fails the test when refused.
    IClassFactory* Factory();
    // The factory's driver object; fails the test when refused.
    IDirectInputEffectDriver* CreateDriver(IClassFactory* factory);

    std::unique_ptr<test_support::LoadedModule> module_;
};

// A driver object as DirectInput holds it, made by a factory that is already
// released again. Released (taking its 100 ms) at the end of each test.
class DriverObject : public DriverModule {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Downloads a constant force over two axes. `handle` is in/out.
    HRESULT Download(DWORD device, DWORD* handle, DWORD flags = DIEP_ALLPARAMS);
    // A new effect on the device; fails the test when refused. 0 then.
    DWORD DownloadNew(DWORD device = 0, DWORD flags = DIEP_ALLPARAMS);
    // DIEGES_PLAYING or 0; fails the test when the status is refused.
    DWORD Status(DWORD device, DWORD handle);

    IDirectInputEffectDriver* driver_ = nullptr;
};

}  // namespace windows_test
