#include "tools/sheet_viewer/sheet_models.h"

#include <cctype>

namespace sheet_viewer {

const SheetModel* FindSheetModel(const char* letter) {
    static const SheetModel kModels[] = {
        {'s', L"padscope_s.dll", ModelSProfile()},
        {'t', L"padscope_t.dll", ModelTProfile()},
    };
    if (letter == nullptr || letter[0] == '\0' || letter[1] != '\0') {
        return nullptr;
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter[0])));
    for (const SheetModel& model : kModels) {
        if (model.letter == lower) {
            return &model;
        }
    }
    return nullptr;
}

}  // namespace sheet_viewer
