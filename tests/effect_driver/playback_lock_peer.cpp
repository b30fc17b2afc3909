// A second process that loads the driver module of a model and then holds
// the playback lock by its name until told to let go.
// Usage: playback_lock_peer <module path> <lock name>
// Prints "held" once it holds the lock, releases it when a line arrives on
// standard input, and exits 0; exits 1 if the module does not load.
#include <windows.h>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (module == nullptr) {
        return 1;
    }
    HANDLE lock = CreateEventA(nullptr, FALSE, TRUE, argv[2]);
    if (lock == nullptr || WaitForSingleObject(lock, 5000) != WAIT_OBJECT_0) {
        return 3;
    }
    std::cout << "held" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    SetEvent(lock);
    CloseHandle(lock);
    FreeLibrary(module);
    return 0;
}
