// The property sheet's install files, read as the game-controller control
// panel reads the registry: the controller's OEM key names the sheet's class
// in "ConfigCLSID", and that class's in-process server is the model's module.
// Both must agree with the profile the module is built with.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/lab/lab_models.h"
#include "tools/lab/registry_file.h"

namespace {

std::string InstallFile(const std::string& model) {
    std::ifstream file(std::string(RUMBIX_SOURCE_DIR) + "/install/padscope_" + model + ".reg",
                       std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string ReadString(const std::string& keyPath, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str(), &key) != ERROR_SUCCESS) {
        return "<no key " + keyPath + ">";
    }
    char buffer[256] = {};
    DWORD length = sizeof buffer - 1;
    DWORD type = REG_NONE;
    const LSTATUS status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        return "<no string " + std::string(name != nullptr ? name : "@") + ">";
    }
    return std::string(buffer);
}

std::string ClassIdText(const GUID& id) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0],
                  id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                  id.Data4[7]);
    return text;
}

TEST(SheetInstallFile, ControlPanelFindsTheModelsSheetModule) {
    for (const char* model : {"s", "t"}) {
        SCOPED_TRACE(model);
        const DeviceModelProfile& profile = *lab::FindModel(model);
        lab::RegistryFile file;
        std::string error;
        ASSERT_TRUE(lab::ParseRegistryFile(InstallFile(model), "padscope.reg", &file, &error))
            << error;
        ASSERT_TRUE(lab::ApplyRegistryFile(file, &error)) << error;

        char oemKey[160];
        std::snprintf(oemKey, sizeof oemKey,
                      "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                      "Joystick\\OEM\\VID_%04X&PID_%04X",
                      profile.vendorId, profile.productId);
        const std::string classId = ReadString(oemKey, "ConfigCLSID");
        EXPECT_EQ(ClassIdText(profile.propertySheetClassId), classId);

        const std::string server = "SOFTWARE\\Classes\\CLSID\\" + classId + "\\InProcServer32";
        EXPECT_EQ(std::string("padscope_") + model + ".dll", ReadString(server, nullptr));
        EXPECT_EQ("Apartment", ReadString(server, "ThreadingModel"));
    }
}

}  // namespace
