// How many drawing objects (pens, brushes, fonts, bitmaps, regions, device
// contexts) this process holds, to find a page that leaves one behind.
#pragma once

#include <cstddef>

namespace windows_test {

// The count GetGuiResources gives; where the runtime does not answer that
// call, the in-use entries of the process's GDI handle table. Only
// differences mean anything: the runtime keeps objects of its own.
std::size_t LiveGdiObjects();

}  // namespace windows_test
