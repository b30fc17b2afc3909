#include "tools/lab/registry_file.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace lab {

namespace {

struct RegistryFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Root {
    const char* name;
    HKEY key;
};
const Root kRoots[] = {
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
};

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

class Reader {
  public:
    explicit Reader(std::string source) : source_(std::move(source)) {}

    RegistryFile Read(const std::string& text) {
        SplitLines(text);
        RegistryFile file;
        size_t i = 0;
        while (i < lines_.size() && Trim(lines_[i]).empty()) {
            ++i;
        }
        if (i == lines_.size() || Trim(lines_[i]) != "REGEDIT4") {
            Fail(static_cast<int>(i < lines_.size() ? i + 1 : 1),
                 "not a REGEDIT4 registry file (its first line must be REGEDIT4)");
        }
        for (++i; i < lines_.size(); ++i) {
            const int lineNumber = static_cast<int>(i + 1);
            std::string line = Trim(lines_[i]);
            if (line.empty() || line[0] == ';') {
                continue;
            }
            if (line[0] == '[') {
                file.keys.push_back(ReadKey(line, lineNumber));
                continue;
            }
            if (file.keys.empty()) {
                Fail(lineNumber, "a value before the first [key]");
            }
            if (file.keys.back().remove) {
                Fail(lineNumber, "a value under a key that is being removed");
            }
            // Hexadecimal data may go on over lines that end in a backslash.
            while (!line.empty() && line.back() == '\\' && i + 1 < lines_.size()) {
                line.pop_back();
                line += Trim(lines_[++i]);
            }
            file.keys.back().values.push_back(ReadValue(line, lineNumber));
        }
        return file;
    }

  private:
    [[noreturn]] void Fail(int line, const std::string& message) const {
        throw RegistryFileError(source_ + ":" + std::to_string(line) + ": " + message);
    }

    void SplitLines(const std::string& text) {
        size_t begin = 0;
        // A UTF-8 byte order mark is not part of the first line.
        if (StartsWith(text, "\xEF\xBB\xBF")) {
            begin = 3;
        }
        while (begin <= text.size()) {
            size_t end = text.find('\n', begin);
            if (end == std::string::npos) {
                end = text.size();
            }
            std::string line = text.substr(begin, end - begin);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines_.push_back(line);
            begin = end + 1;
        }
    }

    RegistryFileKey ReadKey(const std::string& line, int lineNumber) const {
        if (line.back() != ']' || line.size() < 3) {
            Fail(lineNumber, "a key line must be [ROOT\\path]");
        }
        RegistryFileKey key;
        key.line = lineNumber;
        std::string name = line.substr(1, line.size() - 2);
        if (!name.empty() && name[0] == '-') {
            key.remove = true;
            name.erase(0, 1);
        }
        const size_t slash = name.find('\\');
        const std::string rootName = name.substr(0, slash);
        for (const Root& root : kRoots) {
            if (rootName == root.name) {
                key.root = root.key;
            }
        }
        if (key.root == nullptr) {
            Fail(lineNumber, "unknown root key \"" + rootName +
                                 "\" (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or "
                                 "HKEY_CLASSES_ROOT)");
        }
        if (slash == std::string::npos || slash + 1 == name.size()) {
            Fail(lineNumber, "a key below the root is needed, not the root itself");
        }
        key.path = name.substr(slash + 1);
        while (!key.path.empty() && key.path.back() == '\\') {
            key.path.pop_back();
        }
        return key;
    }

    // A quoted string starting at text[*pos] (the opening quote); leaves *pos
    // after the closing quote.
    std::string QuotedString(const std::string& text, size_t* pos, int lineNumber) const {
        std::string value;
        size_t i = *pos + 1;
        for (; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\') {
                if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                    Fail(lineNumber, "a backslash in a string must be \\\\ or \\\"");
                }
                ++i;
            }
            value += text[i];
        }
        if (i == text.size()) {
            Fail(lineNumber, "a string without its closing quote");
        }
        *pos = i + 1;
        return value;
    }

    RegistryFileValue ReadValue(const std::string& line, int lineNumber) const {
        RegistryFileValue value;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            value.name = QuotedString(line, &pos, lineNumber);
        } else {
            Fail(lineNumber, "expected a value (\"name\"=... or @=...), a [key] or a comment");
        }
        if (pos == line.size() || line[pos] != '=') {
            Fail(lineNumber, "expected '=' after the value name");
        }
        const std::string data = Trim(line.substr(pos + 1));
        if (data == "-") {
            value.remove = true;
        } else if (!data.empty() && data[0] == '"') {
            size_t end = 0;
            const std::string text = QuotedString(data, &end, lineNumber);
            if (end != data.size()) {
                Fail(lineNumber, "unexpected text after the string");
            }
            value.type = REG_SZ;
            value.data.assign(text.begin(), text.end());
            value.data.push_back(0);
        } else if (StartsWith(data, "dword:")) {
            value.type = REG_DWORD;
            const DWORD number = Dword(data.substr(6), lineNumber);
            for (int shift = 0; shift < 32; shift += 8) {
                value.data.push_back(static_cast<BYTE>(number >> shift));
            }
        } else if (StartsWith(data, "hex:")) {
            value.type = REG_BINARY;
            value.data = HexBytes(data.substr(4), lineNumber);
        } else if (StartsWith(data, "hex(")) {
            const size_t close = data.find("):");
            if (close == std::string::npos) {
                Fail(lineNumber, "hex(type): needs its type and colon");
            }
            value.type = Dword(data.substr(4, close - 4), lineNumber);
            value.data = HexBytes(data.substr(close + 2), lineNumber);
        } else {
            Fail(lineNumber, "unknown value data \"" + data +
                                 "\" (a \"string\", dword:, hex:, hex(type): or -)");
        }
        return value;
    }

    DWORD Dword(const std::string& digits, int lineNumber) const {
        if (digits.empty() || digits.size() > 8) {
            Fail(lineNumber, "dword: takes 1 to 8 hexadecimal digits, got \"" + digits + "\"");
        }
        DWORD number = 0;
        for (char c : digits) {
            const int digit = HexDigit(c);
            if (digit < 0) {
                Fail(lineNumber, "\"" + digits + "\" is not a hexadecimal number");
            }
            number = (number << 4) | static_cast<DWORD>(digit);
        }
        return number;
    }

    std::vector<BYTE> HexBytes(const std::string& list, int lineNumber) const {
        std::vector<BYTE> bytes;
        if (Trim(list).empty()) {
            return bytes;
        }
        size_t begin = 0;
        while (true) {
            const size_t comma = list.find(',', begin);
            const std::string item = Trim(
                list.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
            if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) {
                Fail(lineNumber, "\"" + item + "\" is not a byte of two hexadecimal digits");
            }
            bytes.push_back(static_cast<BYTE>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
            if (comma == std::string::npos) {
                return bytes;
            }
            begin = comma + 1;
        }
    }

    std::string source_;
    std::vector<std::string> lines_;
};

const char* RootName(HKEY root) {
    for (const Root& candidate : kRoots) {
        if (candidate.key == root) {
            return candidate.name;
        }
    }
    return "?";
}

}  // namespace

bool ParseRegistryFile(const std::string& text, const std::string& source, RegistryFile* file,
                       std::string* error) {
    try {
        *file = Reader(source).Read(text);
        return true;
    } catch (const RegistryFileError& e) {
        *error = e.what();
        return false;
    }
}

bool ApplyRegistryFile(const RegistryFile& file, std::string* error) {
    for (const RegistryFileKey& key : file.keys) {
        const std::string where = std::string(RootName(key.root)) + "\\" + key.path;
        if (key.remove) {
            const LSTATUS status = RegDeleteKeyA(key.root, key.path.c_str());
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
                *error = "cannot remove " + where + " (error " + std::to_string(status) + ")";
                return false;
            }
            continue;
        }
        HKEY handle = nullptr;
        LSTATUS status = RegCreateKeyA(key.root, key.path.c_str(), &handle);
        if (status != ERROR_SUCCESS) {
            *error = "cannot create " + where + " (error " + std::to_string(status) + ")";
            return false;
        }
        for (const RegistryFileValue& value : key.values) {
            status = value.remove
                         ? RegDeleteValueA(handle, value.name.c_str())
                         : RegSetValueExA(handle, value.name.c_str(), 0, value.type,
                                          value.data.data(), static_cast<DWORD>(value.data.size()));
            if (status != ERROR_SUCCESS && !(value.remove && status == ERROR_FILE_NOT_FOUND)) {
                RegCloseKey(handle);
                *error = "cannot set \"" + value.name + "\" in " + where + " (error " +
                         std::to_string(status) + ")";
                return false;
            }
        }
        RegCloseKey(handle);
    }
    return true;
}

}  // namespace lab
