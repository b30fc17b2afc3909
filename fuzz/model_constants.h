// What the fuzz targets need to know of each model, taken from the model's
// profile (each model's profile is compiled in a translation unit of its own,
// since both describe themselves under the same name).
#pragma once

#include <windows.h>

namespace fuzz {

struct ModelConstants {
    WORD vendorId;
    WORD productId;
    GUID effectDriverClassId;
    GUID propertySheetClassId;
    UINT playbackPeriodMs;
    const char* driverLibrary;
    const char* sheetLibrary;
};

const ModelConstants& ModelS();
const ModelConstants& ModelT();
inline const ModelConstants& Model(bool t) {
    return t ? ModelT() : ModelS();
}

}  // namespace fuzz
