// Where the test program runs from. The modules under test and the helper
// programs are built beside it.
#pragma once

#include <string>

namespace windows_test {

// The directory of this program, with a trailing backslash.
std::string ProgramDirectory();

}  // namespace windows_test
