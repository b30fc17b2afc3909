#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "simwin/control_system.h"
#include "simwin_fixture.h"

namespace {

class Registry : public SimwinTest {
  protected:
    HKEY Create(HKEY root, const char* path) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyA(root, path, &key), ERROR_SUCCESS) << path;
        opened_.push_back(key);
        return key;
    }
    void TearDown() override {
        for (HKEY key : opened_) {
            RegCloseKey(key);
        }
        SimwinTest::TearDown();
    }
    std::vector<HKEY> opened_;
};

TEST_F(Registry, PathsCompareWithoutCaseAndKeepTheirSpelling) {
    HKEY created = Create(HKEY_LOCAL_MACHINE, "Software\\Vendor\\VID_0000&PID_0053");
    const DWORD one = 1;
    ASSERT_EQ(RegSetValueExA(created, "Gain", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                             sizeof(one)),
              ERROR_SUCCESS);

    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\vendor\\vid_0000&pid_0053", &opened),
              ERROR_SUCCESS);
    DWORD value = 0, size = sizeof(value);
    EXPECT_EQ(
        RegQueryValueExA(opened, "GAIN", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    RegCloseKey(opened);

    // Creating with another spelling finds the existing key.
    HKEY software = Create(HKEY_LOCAL_MACHINE, "software");
    char name[64];
    EXPECT_EQ(RegEnumKeyA(software, 0, name, sizeof(name)), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Vendor");
    EXPECT_EQ(RegEnumKeyA(software, 1, name, sizeof(name)), ERROR_NO_MORE_ITEMS);
}

TEST_F(Registry, OpenFindsOnlyExistingKeysAndRootsAreSeparate) {
    Create(HKEY_LOCAL_MACHINE, "Software\\Only\\Here");
    HKEY key = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Only", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Software", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Only\\Missing", &key),
              ERROR_FILE_NOT_FOUND);

    // NULL and empty subkeys give a fresh handle to the same key.
    HKEY here = Create(HKEY_LOCAL_MACHINE, "Software\\Only\\Here");
    for (const char* subkey : {static_cast<const char*>(nullptr), ""}) {
        HKEY same = nullptr;
        ASSERT_EQ(RegOpenKeyA(here, subkey, &same), ERROR_SUCCESS);
        EXPECT_NE(same, here);
        const BYTE data[] = {7};
        ASSERT_EQ(RegSetValueExA(same, "V", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueExA(here, "V", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, ValuesKeepTheirTypeAndExactBytes) {
    HKEY key = Create(HKEY_CURRENT_USER, "Values");
    struct Case {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const Case cases[] = {
        {"Text", REG_SZ, {'a', 'b', 'c'}},  // no terminator given, none added
        {"Terminated", REG_SZ, {'x', 0}},
        {"Number", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {"Blob", REG_BINARY, {0, 1, 2, 0xFF, 0}},
        {"Empty", REG_BINARY, {}},
        {"Odd", 0x1234, {9}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type, c.data.data(),
                                 static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD type = 0xDEAD, size = 0;
        ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        ASSERT_EQ(size, c.data.size());
        std::vector<BYTE> read(size + 4, 0xEE);
        DWORD big = static_cast<DWORD>(read.size());
        ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, nullptr, read.data(), &big),
                  ERROR_SUCCESS);
        EXPECT_EQ(big, c.data.size());
        EXPECT_EQ(std::vector<BYTE>(read.begin(), read.begin() + size), c.data);
        EXPECT_EQ(read[size], 0xEE);
    }
    // Setting again replaces type and size.
    const BYTE one[] = {1};
    ASSERT_EQ(RegSetValueExA(key, "NUMBER", 0, REG_BINARY, one, 1), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Number", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(RegSetValueExA(key, "Bad", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
}

TEST_F(Registry, QueryReportsSizesAndShortBuffers) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Q");
    const BYTE data[] = {'h', 'e', 'l', 'l', 'o', 0};
    ASSERT_EQ(RegSetValueExA(key, "Greeting", 0, REG_SZ, data, sizeof(data)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, data, 2), ERROR_SUCCESS);

    struct Case {
        const char* what;
        const char* name;
        bool with_buffer;
        DWORD buffer_size;
        LSTATUS status;
        DWORD size_after;
        bool copied;
    };
    const Case cases[] = {
        {"size query", "Greeting", false, 0, ERROR_SUCCESS, 6, false},
        {"exact buffer", "Greeting", true, 6, ERROR_SUCCESS, 6, true},
        {"one short", "Greeting", true, 5, ERROR_MORE_DATA, 6, false},
        {"empty buffer", "Greeting", true, 0, ERROR_MORE_DATA, 6, false},
        {"default by empty name", "", true, 16, ERROR_SUCCESS, 2, true},
        {"missing", "Absent", true, 16, ERROR_FILE_NOT_FOUND, 16, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BYTE buffer[16];
        std::memset(buffer, 0xAA, sizeof(buffer));
        DWORD size = c.buffer_size;
        DWORD type = 0;
        EXPECT_EQ(
            RegQueryValueExA(key, c.name, nullptr, &type, c.with_buffer ? buffer : nullptr, &size),
            c.status);
        EXPECT_EQ(size, c.size_after);
        if (c.status != ERROR_FILE_NOT_FOUND) {
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        }
        EXPECT_EQ(buffer[0] == 'h', c.copied);  // a short buffer is left untouched
    }
    DWORD reserved = 0;
    BYTE buffer[8];
    EXPECT_EQ(RegQueryValueExA(key, "Greeting", &reserved, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Greeting", nullptr, nullptr, buffer, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Greeting", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(Registry, EnumeratesSubkeysInCreationOrder) {
    HKEY parent = Create(HKEY_LOCAL_MACHINE, "Joysticks");
    for (const char* name : {"Zeta", "alpha", "Mid\\Deep", "ABCDEFGH"}) {
        Create(parent, name);
    }
    struct Case {
        DWORD index;
        DWORD buffer;
        LSTATUS status;
        const char* name;
    };
    const Case cases[] = {
        {0, 64, ERROR_SUCCESS, "Zeta"},         {1, 64, ERROR_SUCCESS, "alpha"},
        {2, 64, ERROR_SUCCESS, "Mid"},          {3, 9, ERROR_SUCCESS, "ABCDEFGH"},
        {3, 8, ERROR_MORE_DATA, nullptr},       {4, 64, ERROR_NO_MORE_ITEMS, nullptr},
        {99, 64, ERROR_NO_MORE_ITEMS, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        char name[64] = "";
        EXPECT_EQ(RegEnumKeyA(parent, c.index, name, c.buffer), c.status);
        if (c.name != nullptr) {
            EXPECT_STREQ(name, c.name);
        }
    }
}

TEST_F(Registry, DeleteRulesAndHandlesToDeletedKeys) {
    HKEY parent = Create(HKEY_LOCAL_MACHINE, "Tree");
    HKEY leaf = Create(HKEY_LOCAL_MACHINE, "Tree\\Branch\\Leaf");
    const BYTE data[] = {1};
    ASSERT_EQ(RegSetValueExA(leaf, "V", 0, REG_BINARY, data, 1), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(parent, "Branch"), ERROR_ACCESS_DENIED);  // has a subkey
    EXPECT_EQ(RegDeleteKeyA(parent, "Branch\\Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(parent, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);  // a root
    EXPECT_EQ(RegDeleteKeyA(parent, "BRANCH\\leaf"), ERROR_SUCCESS);

    // The handle still has to be closed, but everything else on it fails.
    HKEY child = nullptr;
    DWORD size = 0;
    char name[8];
    EXPECT_EQ(RegQueryValueExA(leaf, "V", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(leaf, "V", 0, REG_BINARY, data, 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyA(leaf, "Child", &child), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKeyA(leaf, 0, name, sizeof(name)), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteValueA(leaf, "V"), ERROR_KEY_DELETED);

    // Recreating the path makes a new, empty key.
    HKEY again = Create(HKEY_LOCAL_MACHINE, "Tree\\Branch\\Leaf");
    EXPECT_EQ(RegQueryValueExA(again, "V", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    // An empty subkey deletes the key the handle names.
    EXPECT_EQ(RegDeleteKeyA(again, ""), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyA(parent, "Branch\\Leaf", &child), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(RegSetValueExA(parent, "Gone", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(parent, "gone"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(parent, "gone"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, HandleLifetimes) {
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // predefined: no-op
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "StillThere", &opened_.emplace_back()),
              ERROR_SUCCESS);

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "A", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    const BYTE data[] = {1};
    EXPECT_EQ(RegSetValueExA(key, "V", 0, REG_BINARY, data, 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyA(reinterpret_cast<HKEY>(0x42), "A", &key), ERROR_INVALID_HANDLE);

    // Reset empties the tree; handles opened before it see their key deleted.
    HKEY before = Create(HKEY_LOCAL_MACHINE, "Before");
    simwin::Reset();
    EXPECT_EQ(RegSetValueExA(before, "V", 0, REG_BINARY, data, 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "StillThere", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, OpenHandlesAreCountedUntilClosedAndSurviveReset) {
    const size_t before = simwin::OpenRegistryKeys();
    HKEY created = Create(HKEY_LOCAL_MACHINE, "Counted");
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Counted", &opened), ERROR_SUCCESS);
    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Missing", &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(simwin::OpenRegistryKeys(), before + 2) << "failed opens and roots are not counted";

    simwin::Reset();
    EXPECT_EQ(simwin::OpenRegistryKeys(), before + 2) << "a handle still has to be closed";
    EXPECT_EQ(RegCloseKey(opened), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(opened), ERROR_INVALID_HANDLE);
    EXPECT_EQ(simwin::OpenRegistryKeys(), before + 1);
    (void)created;  // closed by the fixture
}

TEST_F(Registry, ChangesCountWhatWasMadeSetOrDeleted) {
    EXPECT_EQ(simwin::RegistryChanges(), 0u);
    HKEY key = Create(HKEY_LOCAL_MACHINE, "One\\Two");  // two keys made
    Create(HKEY_LOCAL_MACHINE, "one");                  // found, not made
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyA(key, nullptr, &opened), ERROR_SUCCESS);
    opened_.push_back(opened);
    const BYTE data[] = {1};
    ASSERT_EQ(RegSetValueExA(key, "V", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "V", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
    DWORD size = sizeof data;
    BYTE read[1];
    ASSERT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, read, &size), ERROR_SUCCESS);
    char name[8];
    ASSERT_EQ(RegEnumKeyA(HKEY_LOCAL_MACHINE, 0, name, sizeof name), ERROR_SUCCESS);
    EXPECT_EQ(simwin::RegistryChanges(), 4u) << "reads and opens change nothing";

    EXPECT_EQ(RegDeleteValueA(key, "V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "V"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "One\\Two"), ERROR_SUCCESS);
    EXPECT_EQ(simwin::RegistryChanges(), 6u);
    simwin::Reset();
    EXPECT_EQ(simwin::RegistryChanges(), 0u);
}

TEST_F(Registry, InjectedFaultsReturnTheirError) {
    Create(HKEY_LOCAL_MACHINE, "Device");
    HKEY key = nullptr;
    simwin::FailCall("RegOpenKeyA", 2, ERROR_ACCESS_DENIED);
    simwin::FailCall("RegQueryValueExA", 1, ERROR_GEN_FAILURE);
    simwin::FailCall("RegCreateKeyA", 1, ERROR_NOT_ENOUGH_MEMORY);
    simwin::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED);

    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Device", &key), ERROR_SUCCESS);
    opened_.push_back(key);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Device", &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Device", &key), ERROR_SUCCESS);
    opened_.push_back(key);

    const BYTE data[] = {1};
    EXPECT_EQ(RegSetValueExA(key, "V", 0, REG_BINARY, data, 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(key, "V", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size), ERROR_GEN_FAILURE);
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    HKEY created = nullptr;
    EXPECT_EQ(RegCreateKeyA(key, "Sub", &created), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(RegOpenKeyA(key, "Sub", &created), ERROR_FILE_NOT_FOUND);  // nothing was made
}

using RegistryConcurrency = Registry;

TEST_F(RegistryConcurrency, ConcurrentWritersKeepTheTreeConsistent) {
    constexpr int kThreads = 4, kKeys = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kKeys; ++i) {
                const std::string path =
                    "Shared\\T" + std::to_string(t) + "\\K" + std::to_string(i);
                HKEY key = nullptr;
                ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key), ERROR_SUCCESS);
                const DWORD value = static_cast<DWORD>(t * 1000 + i);
                ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_DWORD,
                                         reinterpret_cast<const BYTE*>(&value), sizeof(value)),
                          ERROR_SUCCESS);
                RegCloseKey(key);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    HKEY shared = Create(HKEY_LOCAL_MACHINE, "Shared");
    char name[16];
    DWORD count = 0;
    while (RegEnumKeyA(shared, count, name, sizeof(name)) == ERROR_SUCCESS) {
        HKEY per_thread = Create(shared, name);
        DWORD keys = 0;
        while (RegEnumKeyA(per_thread, keys, name, sizeof(name)) == ERROR_SUCCESS) {
            ++keys;
        }
        EXPECT_EQ(keys, static_cast<DWORD>(kKeys));
        ++count;
    }
    EXPECT_EQ(count, static_cast<DWORD>(kThreads));
}

}  // namespace
