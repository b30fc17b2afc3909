// Writes a parsed script as a C++ source holding the module's resource
// table for the simulated Windows (simwin/module_resources.h), returned by
// one function. #line directives point every record back at its statement
// in the script, so a style name the platform headers lack is reported
// there.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "icon_file.h"
#include "resource_script.h"

namespace rc_tables {

struct TableSource {
    std::string scriptName;           // for the generated file's heading
    std::string function;             // "const SimwinModuleResources* <function>()"
    std::string header;               // included: declares the function
    std::vector<IconSize> iconSizes;  // one per script.icons entry
};

void WriteTable(const ResourceScript& script, const TableSource& source, std::ostream& out);

}  // namespace rc_tables
