// The lab's REGEDIT4 reader: the install files of both models fill the
// registry so that the driver can be created from it (which also keeps those
// files in step with the model profiles), every form the files use reads
// into the right values, and malformed files name their line.
#include <gtest/gtest.h>
#include <simwin/control.h>

#include <fstream>
#include <sstream>

#include "tools/lab/driver_session.h"
#include "tools/lab/lab_models.h"
#include "tools/lab/registry_file.h"

namespace {

std::string InstallFile(const std::string& model) {
    std::ifstream file(std::string(RUMBIX_SOURCE_DIR) + "/install/rumbix_" + model + ".reg",
                       std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct InstallCase {
    const char* model;
    const char* module;
};

const InstallCase kInstallCases[] = {{"s", RUMBIX_S_MODULE}, {"t", RUMBIX_T_MODULE}};

TEST(RegistryFile, InstallFileOfEachModelLetsTheDriverBeCreated) {
    for (const InstallCase& install : kInstallCases) {
        SCOPED_TRACE(install.model);
        const std::string text = InstallFile(install.model);
        ASSERT_FALSE(text.empty());
        lab::SessionOptions options;
        options.profile = lab::FindModel(install.model);
        options.modulePath = install.module;
        std::string error;
        ASSERT_TRUE(lab::ParseRegistryFile(text, "install.reg", &options.registry, &error))
            << error;

        {
            lab::DriverSession session;
            // The driver class comes from the file's OEMForceFeedback key, the
            // registrations from its Effects keys: both must be where the
            // model's driver looks.
            EXPECT_TRUE(session.Open(options, &error)) << error;
            EXPECT_TRUE(session.Close().canUnload);
        }

        // Without its last effect registration the same file makes no driver.
        const size_t last = text.rfind("\n[");
        ASSERT_NE(std::string::npos, last);
        ASSERT_TRUE(
            lab::ParseRegistryFile(text.substr(0, last), "install.reg", &options.registry, &error))
            << error;
        lab::DriverSession incomplete;
        EXPECT_FALSE(incomplete.Open(options, &error));
        EXPECT_NE(std::string::npos, error.find("made no driver: E_FAIL")) << error;
    }
}

std::vector<BYTE> QueryValue(const char* keyPath, const char* name, DWORD* type) {
    HKEY key = nullptr;
    std::vector<BYTE> data;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) {
        return data;
    }
    BYTE buffer[64];
    DWORD length = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, type, buffer, &length) == ERROR_SUCCESS) {
        data.assign(buffer, buffer + length);
    }
    RegCloseKey(key);
    return data;
}

TEST(RegistryFile, ReadsEveryFormIntoTheRegistry) {
    const std::string text =
        "\xEF\xBB\xBFREGEDIT4\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_LOCAL_MACHINE\\Lab\\Device]\r\n"
        "@=\"the default\"\r\n"
        "\"Quoted\"=\"say \\\"hi\\\" C:\\\\dir\"\r\n"
        "\"Number\"=dword:0000025a\r\n"
        "\"Bytes\"=hex:01,02,\\\r\n"
        "  0a,FF\r\n"
        "\"Typed\"=hex(2):41,00\r\n"
        "\"Empty\"=hex:\r\n"
        "\"Gone\"=-\r\n"
        "[-HKEY_LOCAL_MACHINE\\Lab\\Old]\r\n";
    lab::RegistryFile file;
    std::string error;
    ASSERT_TRUE(lab::ParseRegistryFile(text, "t.reg", &file, &error)) << error;
    ASSERT_EQ(2u, file.keys.size());
    EXPECT_EQ("Lab\\Device", file.keys[0].path);
    EXPECT_EQ(4, file.keys[0].line);
    EXPECT_TRUE(file.keys[1].remove);
    ASSERT_EQ(7u, file.keys[0].values.size());
    EXPECT_TRUE(file.keys[0].values[6].remove);

    simwin::Reset();
    ASSERT_TRUE(lab::ApplyRegistryFile(file, &error)) << error;
    struct Expected {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const std::string quoted = "say \"hi\" C:\\dir";
    const Expected expected[] = {
        {"", REG_SZ, {'t', 'h', 'e', ' ', 'd', 'e', 'f', 'a', 'u', 'l', 't', 0}},
        {"Quoted", REG_SZ, std::vector<BYTE>(quoted.c_str(), quoted.c_str() + quoted.size() + 1)},
        {"Number", REG_DWORD, {0x5a, 0x02, 0, 0}},
        {"Bytes", REG_BINARY, {0x01, 0x02, 0x0a, 0xff}},
        {"Typed", REG_EXPAND_SZ, {0x41, 0x00}},
        {"Empty", REG_BINARY, {}},
    };
    for (const Expected& value : expected) {
        SCOPED_TRACE(value.name);
        DWORD type = REG_NONE;
        EXPECT_EQ(value.data, QueryValue("Lab\\Device", value.name, &type));
        EXPECT_EQ(value.type, type);
    }
}

struct BadFile {
    const char* text;
    const char* message;
};

const BadFile kBadFiles[] = {
    {"Windows Registry Editor Version 5.00\n", "t.reg:1: not a REGEDIT4"},
    {"REGEDIT4\n\"Early\"=\"x\"\n", "t.reg:2: a value before the first [key]"},
    {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", "t.reg:2: unknown root key \"HKEY_NOWHERE\""},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", "t.reg:2: a key line must be"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"V\"=hex:01,zz\n", "t.reg:3: \"zz\" is not a byte"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"V\"=dword:123456789\n", "t.reg:3: dword: takes 1 to 8"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"V\"=\"open\n", "t.reg:3: a string without its closing"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"V\"=qword:1\n", "t.reg:3: unknown value data"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nV=\"x\"\n", "t.reg:3: expected a value"},
};

TEST(RegistryFile, MalformedFileNamesTheLine) {
    for (const BadFile& bad : kBadFiles) {
        SCOPED_TRACE(bad.text);
        lab::RegistryFile file;
        std::string error;
        EXPECT_FALSE(lab::ParseRegistryFile(bad.text, "t.reg", &file, &error));
        EXPECT_NE(std::string::npos, error.find(bad.message)) << error;
    }
}

}  // namespace
