#include "program_directory.h"

#include <windows.h>

namespace windows_test {

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

}  // namespace windows_test
