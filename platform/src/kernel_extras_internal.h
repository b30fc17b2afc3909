// Reset hooks of the kernel extras (declared memory, the Windows version).
#pragma once

namespace simwin::detail {

void ResetDeclaredMemory();
void ResetWindowsVersion();

}  // namespace simwin::detail
