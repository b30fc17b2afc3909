// rc_tables: translates a preprocessed resource script into the C++ source
// of the module's resource table for host builds, so that the host module
// and the Windows DLL are built from the same script.
//
//   rc_tables --input <script.i> --output <table.cpp> --function <name>
//             --header <declaring header> [--include-dir <dir>]...
//             [--depfile <file>] [--script-name <name>]
//
// Icon files named in the script are looked up in the include directories,
// as the resource compiler does. The depfile lists every file the
// preprocessor read and every icon. On any error nothing is written and the
// message names the script's file and line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "icon_file.h"
#include "resource_script.h"
#include "script_tokens.h"
#include "table_writer.h"

namespace {

struct Options {
    std::string input;
    std::string output;
    std::string depfile;
    std::vector<std::string> includeDirs;
    rc_tables::TableSource source;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            throw std::runtime_error("option " + flag + " needs a value");
        }
        const std::string value = argv[++i];
        if (flag == "--input") {
            options.input = value;
        } else if (flag == "--output") {
            options.output = value;
        } else if (flag == "--function") {
            options.source.function = value;
        } else if (flag == "--header") {
            options.source.header = value;
        } else if (flag == "--include-dir") {
            options.includeDirs.push_back(value);
        } else if (flag == "--depfile") {
            options.depfile = value;
        } else if (flag == "--script-name") {
            options.source.scriptName = value;
        } else {
            throw std::runtime_error("unknown option " + flag);
        }
    }
    if (options.input.empty() || options.output.empty() || options.source.function.empty() ||
        options.source.header.empty()) {
        throw std::runtime_error("--input, --output, --function and --header are required");
    }
    if (options.source.scriptName.empty()) {
        options.source.scriptName = options.input;
    }
    return options;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string FindIcon(const rc_tables::IconResource& icon, const std::vector<std::string>& dirs) {
    for (const std::string& dir : dirs) {
        const std::string path = dir + "/" + icon.file;
        if (std::ifstream(path).good()) {
            return path;
        }
    }
    throw rc_tables::ScriptError(icon.place,
                                 "icon file \"" + icon.file + "\" is in no include directory");
}

// Make syntax: spaces in names are escaped.
std::string DepfileName(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (c == ' ') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

void WriteAtomically(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush()) {
            throw std::runtime_error("cannot write " + temporary);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        throw std::runtime_error("cannot replace " + path);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Options options = ParseOptions(argc, argv);
        std::vector<std::string> readFiles;
        const rc_tables::ResourceScript script = rc_tables::ParseScript(
            rc_tables::Tokenize(ReadFile(options.input), options.input, &readFiles));
        for (const rc_tables::IconResource& icon : script.icons) {
            const std::string path = FindIcon(icon, options.includeDirs);
            options.source.iconSizes.push_back(rc_tables::StandardIconSize(path));
            readFiles.push_back(path);
        }

        std::ostringstream table;
        rc_tables::WriteTable(script, options.source, table);
        WriteAtomically(options.output, table.str());
        if (!options.depfile.empty()) {
            std::string rule = DepfileName(options.output) + ":";
            for (const std::string& file : readFiles) {
                rule += " " + DepfileName(file);
            }
            WriteAtomically(options.depfile, rule + "\n");
        }
        return 0;
    } catch (const rc_tables::ScriptError& error) {
        std::cerr << error.what() << "\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "rc_tables: error: " << error.what() << "\n";
        return 1;
    }
}
