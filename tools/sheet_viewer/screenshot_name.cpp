#include "tools/sheet_viewer/screenshot_name.h"

namespace sheet_viewer {

std::string ScreenshotName(const std::string& model, unsigned position,
                           const std::wstring& tabText) {
    std::string slug;
    bool pendingHyphen = false;
    for (const wchar_t c : tabText) {
        const bool digit = c >= L'0' && c <= L'9';
        const bool lower = c >= L'a' && c <= L'z';
        const bool upper = c >= L'A' && c <= L'Z';
        if (!digit && !lower && !upper) {
            pendingHyphen = !slug.empty();
            continue;
        }
        if (pendingHyphen) {
            slug += '-';
            pendingHyphen = false;
        }
        slug += static_cast<char>(upper ? c - L'A' + L'a' : c);
    }
    if (slug.empty()) {
        slug = "page";
    }
    return model + "-" + std::to_string(position) + "-" + slug + ".png";
}

}  // namespace sheet_viewer
