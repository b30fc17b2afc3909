#include "tools/lab/lab_models.h"

namespace lab {

const DeviceModelProfile* FindModel(const std::string& letter) {
    if (letter == "s" || letter == "S") {
        return &ModelSProfile();
    }
    if (letter == "t" || letter == "T") {
        return &ModelTProfile();
    }
    return nullptr;
}

const char* ModelLetter(const DeviceModelProfile& profile) {
    return profile.model == DeviceModel::S ? "S" : "T";
}

}  // namespace lab
