#include <windows.h>

#include <string>

#include "simwin_fixture.h"

namespace {

class Modules : public SimwinTest {
  protected:
    // What the test module's entry function logged.
    std::string Calls() {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, "LoaderTest", &key) != ERROR_SUCCESS) {
            return "";
        }
        char calls[64] = "";
        DWORD size = sizeof(calls);
        RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(calls), &size);
        RegCloseKey(key);
        return std::string(calls, size);
    }
    HINSTANCE Instance() {
        HKEY key = nullptr;
        HINSTANCE instance = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, "LoaderTest", &key) == ERROR_SUCCESS) {
            DWORD size = sizeof(instance);
            RegQueryValueExA(key, "Instance", nullptr, nullptr, reinterpret_cast<BYTE*>(&instance),
                             &size);
            RegCloseKey(key);
        }
        return instance;
    }
    void SetAttachAnswer(DWORD answer) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "LoaderTest", &key), ERROR_SUCCESS);
        RegSetValueExA(key, "AttachAnswer", 0, REG_DWORD, reinterpret_cast<BYTE*>(&answer),
                       sizeof(answer));
        RegCloseKey(key);
    }
};

TEST_F(Modules, AttachOnceDetachAtTheLastFree) {
    HMODULE module = LoadLibraryA(SIMWIN_TEST_MODULE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Calls(), "A");
    EXPECT_EQ(Instance(), module);  // the entry gets the module's own handle

    FARPROC answer = GetProcAddress(module, "test_module_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetProcAddress(module, "no_such_export"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    // A second load only counts.
    EXPECT_EQ(LoadLibraryA(SIMWIN_TEST_MODULE), module);
    EXPECT_EQ(Calls(), "A");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(Calls(), "A");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(Calls(), "AD");

    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetProcAddress(module, "test_module_answer"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // Loaded again after it was unloaded: a new attach.
    module = LoadLibraryA(SIMWIN_TEST_MODULE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Calls(), "ADA");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(Calls(), "ADAD");
}

TEST_F(Modules, RefusedAttachFailsTheLoad) {
    SetAttachAnswer(FALSE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryA(SIMWIN_TEST_MODULE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(Calls(), "A");  // and no detach

    SetAttachAnswer(TRUE);
    HMODULE module = LoadLibraryA(SIMWIN_TEST_MODULE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Calls(), "AA");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(Calls(), "AAD");
}

TEST_F(Modules, MissingFilesAndInjectedFailures) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryA("/nonexistent/module.so"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    simwin::FailCall("LoadLibraryA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(LoadLibraryA(SIMWIN_TEST_MODULE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(Calls(), "");  // never mapped, never attached
    EXPECT_EQ(FreeLibrary(nullptr), FALSE);
}

}  // namespace
