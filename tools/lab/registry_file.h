// Registry files in the REGEDIT4 text format that the device installation
// ships: read them, and write what they hold into the machine's registry.
//
// Understood: the "REGEDIT4" first line; comment lines starting with ';';
// [ROOT\path] keys and [-ROOT\path] key removals under HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER and HKEY_CLASSES_ROOT; values @=... (the key's default)
// and "name"=... with data "string" (with \\ and \" escapes),
// dword:xxxxxxxx, hex:xx,xx,... and hex(type):xx,..., where a line ending
// in '\' continues on the next; "name"=- removes a value. Lines may end in
// CR LF.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lab {

struct RegistryFileValue {
    // Empty for the key's default value.
    std::string name;
    bool remove = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct RegistryFileKey {
    int line = 0;
    HKEY root = nullptr;
    // Below the root, without leading or trailing backslash.
    std::string path;
    bool remove = false;
    std::vector<RegistryFileValue> values;
};

struct RegistryFile {
    std::vector<RegistryFileKey> keys;
};

// Reads the text of a .reg file. On failure returns false with a message
// naming `source` and the line.
bool ParseRegistryFile(const std::string& text, const std::string& source, RegistryFile* file,
                       std::string* error);

// Creates the keys and sets the values, in file order. False with a message
// when the registry refuses one.
bool ApplyRegistryFile(const RegistryFile& file, std::string* error);

}  // namespace lab
