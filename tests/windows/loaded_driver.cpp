#include "loaded_driver.h"

#include <cstdio>
#include <utility>

namespace windows_test {

std::string PlaybackLockName(WORD productId) {
    char name[18];
    std::snprintf(name, sizeof name, "VID_%04X&PID_%04X",
                  static_cast<unsigned>(kModelProfile.vendorId), static_cast<unsigned>(productId));
    return name;
}

std::string OemKeyPath(WORD productId) {
    return "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM"
           "\\" +
           PlaybackLockName(productId);
}

std::string EffectRegistrationPath(UINT position) {
    // The twelve registrations differ only in the effect id, the last digit
    // of the first group.
    char guid[] = "{13541C20-8E33-11D0-9AD0-00A0C9A06E35}";
    guid[8] = "0123456789AB"[position];
    return OemKeyPath() + "\\OEMForceFeedback\\Effects\\" + guid;
}

std::string ClassIdText(const GUID& id) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0],
                  id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                  id.Data4[7]);
    return text;
}

Stopwatch::Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
}

double Stopwatch::ElapsedMs() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
}

std::optional<std::vector<BYTE>> ReadRegistryValue(const std::string& keyPath,
                                                   const char* valueName, DWORD* type) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD length = 0;
    DWORD valueType = 0;
    std::optional<std::vector<BYTE>> bytes;
    if (RegQueryValueExA(key, valueName, nullptr, &valueType, nullptr, &length) == ERROR_SUCCESS) {
        std::vector<BYTE> buffer(length);
        if (RegQueryValueExA(key, valueName, nullptr, &valueType, buffer.data(), &length) ==
            ERROR_SUCCESS) {
            buffer.resize(length);
            bytes = std::move(buffer);
            if (type != nullptr) {
                *type = valueType;
            }
        }
    }
    RegCloseKey(key);
    return bytes;
}

namespace {

LSTATUS WriteValue(const std::string& keyPath, const char* name, DWORD type,
                   const std::vector<BYTE>& bytes) {
    HKEY key = nullptr;
    LSTATUS result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE,
                                     nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = RegSetValueExA(key, name, 0, type, bytes.empty() ? nullptr : bytes.data(),
                            static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return result;
}

LSTATUS DeleteValue(const std::string& keyPath, const char* name) {
    HKEY key = nullptr;
    LSTATUS result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_WRITE, &key);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return result;
}

}  // namespace

SavedRegistryValue::SavedRegistryValue(std::string keyPath, std::string valueName)
    : keyPath_(std::move(keyPath)), valueName_(std::move(valueName)) {
    if (auto bytes = ReadRegistryValue(keyPath_, valueName_.c_str(), &type_)) {
        existed_ = true;
        bytes_ = std::move(*bytes);
    }
}

SavedRegistryValue::~SavedRegistryValue() {
    if (existed_) {
        EXPECT_EQ(ERROR_SUCCESS, WriteValue(keyPath_, valueName_.c_str(), type_, bytes_))
            << "could not put back " << keyPath_ << " " << valueName_;
    } else {
        DeleteValue(keyPath_, valueName_.c_str());
    }
}

LSTATUS SavedRegistryValue::Set(DWORD type, const std::vector<BYTE>& bytes) {
    return WriteValue(keyPath_, valueName_.c_str(), type, bytes);
}

LSTATUS SavedRegistryValue::Delete() {
    return DeleteValue(keyPath_, valueName_.c_str());
}

DeletedRegistryKey::DeletedRegistryKey(std::string keyPath) : keyPath_(std::move(keyPath)) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        BYTE data[1024];
        DWORD dataLength = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) !=
            ERROR_SUCCESS) {
            break;
        }
        values_.push_back(
            {std::string(name, nameLength), type, std::vector<BYTE>(data, data + dataLength)});
    }
    RegCloseKey(key);
    deleted_ = RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath_.c_str()) == ERROR_SUCCESS;
}

DeletedRegistryKey::~DeletedRegistryKey() {
    if (!deleted_) {
        return;
    }
    for (const Value& value : values_) {
        // The unnamed value is read back as "" and written the same way.
        EXPECT_EQ(ERROR_SUCCESS, WriteValue(keyPath_, value.name.c_str(), value.type, value.bytes))
            << "could not put back " << keyPath_;
    }
}

void DriverModule::SetUp() {
    const std::string path = ProgramDirectory() + RUMBIX_MODULE_NAME;
    module_ = std::make_unique<test_support::LoadedModule>(path.c_str());
    ASSERT_TRUE(module_->loaded())
        << "LoadLibraryA(" << path << ") failed, error " << GetLastError();
}

void DriverModule::TearDown() {
    if (module_ && module_->loaded()) {
        EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "an object or lock outlived the test";
    }
    module_.reset();
}

IClassFactory* DriverModule::Factory() {
    void* out = nullptr;
    EXPECT_EQ(S_OK,
              module_->GetClassObject(kModelProfile.effectDriverClassId, IID_IClassFactory, &out));
    return static_cast<IClassFactory*>(out);
}

IDirectInputEffectDriver* DriverModule::CreateDriver(IClassFactory* factory) {
    void* out = nullptr;
    EXPECT_EQ(S_OK,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver, &out));
    return static_cast<IDirectInputEffectDriver*>(out);
}

void DriverObject::SetUp() {
    DriverModule::SetUp();
    if (HasFatalFailure()) {
        return;
    }
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    driver_ = CreateDriver(factory);
    IClassFactory_Release(factory);
    ASSERT_NE(nullptr, driver_);
}

void DriverObject::TearDown() {
    if (driver_ != nullptr) {
        EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver_));
        driver_ = nullptr;
    }
    DriverModule::TearDown();
}

HRESULT DriverObject::Download(DWORD device, DWORD* handle, DWORD flags) {
    test_support::EffectRecord record;
    test_support::MakeConstantForce(record, 5000, {1, 1});
    return IDirectInputEffectDriver_DownloadEffect(driver_, device, test_support::kConstantForce,
                                                   handle, record.get(), flags);
}

DWORD DriverObject::DownloadNew(DWORD device, DWORD flags) {
    DWORD handle = 0;
    EXPECT_EQ(S_OK, Download(device, &handle, flags));
    return handle;
}

DWORD DriverObject::Status(DWORD device, DWORD handle) {
    DWORD status = 0xDEADBEEF;
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_GetEffectStatus(driver_, device, handle, &status));
    return status;
}

}  // namespace windows_test
