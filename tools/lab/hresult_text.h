// Results of driver calls as people read them: "E_INVALIDARG (0x80070057)".
#pragma once

#include <windows.h>

#include <string>

namespace lab {

std::string HresultText(HRESULT result);

}  // namespace lab
