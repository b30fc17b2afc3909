// The property sheet's dialog templates and warning icon as the platform's
// loader finds them in the loaded module: the control panel creates each
// page from its template by id, and the pages show icon 114 by id.
#include "loaded_sheet.h"

#include <cstring>

namespace windows_test {
namespace {

using SheetResources = SheetModule;

// The caption of an extended dialog template, or "" when the block is not
// one: signature, then the fixed header, then menu, class and caption.
std::wstring DialogCaption(const BYTE* block, DWORD size) {
    constexpr DWORD kFixedHeader = 26;  // up to and including cx, cy
    if (size < kFixedHeader + 6) {
        return L"";
    }
    WORD version = 0;
    WORD signature = 0;
    std::memcpy(&version, block, 2);
    std::memcpy(&signature, block + 2, 2);
    if (version != 1 || signature != 0xFFFF) {
        return L"";
    }
    const auto* words = reinterpret_cast<const WCHAR*>(block + kFixedHeader);
    const WCHAR* end = reinterpret_cast<const WCHAR*>(block + size);
    // Menu and class: an ordinal (0xFFFF and one word) or a string.
    for (int skipped = 0; skipped < 2 && words < end; ++skipped) {
        if (*words == 0xFFFF) {
            words += 2;
        } else {
            while (words < end && *words != 0) {
                ++words;
            }
            ++words;
        }
    }
    std::wstring caption;
    while (words < end && *words != 0) {
        caption += *words++;
    }
    return caption;
}

TEST_F(SheetResources, EveryPageTemplateIsFoundByIdWithItsCaption) {
    struct Case {
        WORD id;
        const wchar_t* caption;
    } cases[] = {
        {107, L"Function Test"},
        {108, L"Vibration Test"},
        {109, L"Calibration Function"},
        {112, L"About"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "dialog " << c.id);
        HRSRC found = FindResourceW(module(), MAKEINTRESOURCEW(c.id), MAKEINTRESOURCEW(5));
        ASSERT_NE(nullptr, found);
        const DWORD size = SizeofResource(module(), found);
        HGLOBAL loaded = LoadResource(module(), found);
        ASSERT_NE(nullptr, loaded);
        const auto* block = static_cast<const BYTE*>(LockResource(loaded));
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(c.caption, DialogCaption(block, size));
    }
}

TEST_F(SheetResources, WarningIconLoadsFromTheModule) {
    EXPECT_NE(nullptr, FindResourceW(module(), MAKEINTRESOURCEW(114), MAKEINTRESOURCEW(14)))
        << "no icon group 114";
    HICON icon = LoadIconW(module(), MAKEINTRESOURCEW(114));
    ASSERT_NE(nullptr, icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP colour = {};
    ASSERT_NE(nullptr, info.hbmColor);
    ASSERT_NE(0, GetObjectW(info.hbmColor, sizeof colour, &colour));
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), colour.bmWidth) << "the standard-size image";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    // No template or icon for ids the module does not have.
    EXPECT_EQ(nullptr, FindResourceW(module(), MAKEINTRESOURCEW(110), MAKEINTRESOURCEW(5)));
}

}  // namespace
}  // namespace windows_test
