// The resource-script translator reads the subset the modules' scripts use
// the way the resource compiler reads it, and refuses everything else with
// the script's own file and line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "icon_file.h"
#include "resource_script.h"
#include "script_tokens.h"

namespace {

using rc_tables::ParseScript;
using rc_tables::ResourceScript;
using rc_tables::ScriptError;
using rc_tables::Tokenize;

ResourceScript Parse(const std::string& text, std::vector<std::string>* files = nullptr) {
    std::vector<std::string> ignored;
    return ParseScript(Tokenize(text, "script.i", files != nullptr ? files : &ignored));
}

std::string Values(const rc_tables::StyleExpression& style) {
    std::string out;
    for (const rc_tables::StyleTerm& term : style) {
        out += (out.empty() ? "" : " ") + std::string(term.removes ? "-" : "+") + term.value;
    }
    return out;
}

TEST(RcTables, ReadsDialogsControlsAndIconsAsTheResourceCompilerDoes) {
    // What the preprocessor hands over: line markers name the script and the
    // headers it included.
    const std::string text =
        "# 1 \"pages.rc\"\n"
        "# 1 \"texts.h\" 1\n"
        "# 3 \"pages.rc\" 2\n"
        "114 ICON \"warning.ico\"\n"
        "107 DIALOGEX 0, 0, 253, 227\n"
        "STYLE WS_CHILD | 0x08000000\n"
        "CAPTION \"Function Test\"\n"
        "FONT 8, \"Arial\"\n"
        "BEGIN\n"
        "    CONTROL \"click \"\"Set\"\"\\nnow\" \" for \" \"Gemtrek\", -1, \"Static\",\n"
        "            SS_LEFT | WS_GROUP, 14, 15, 227, 25\n"
        "    CONTROL 114, 1037, \"Static\", SS_ICON | NOT WS_VISIBLE, 18, 189, 20, 20\n"
        "    CONTROL \"\", 1049, \"Static\", SS_CENTER, 205, 20, 25, 13, WS_EX_STATICEDGE\n"
        "END\n";
    std::vector<std::string> files;
    const ResourceScript script = Parse(text, &files);

    EXPECT_EQ((std::vector<std::string>{"pages.rc", "texts.h"}), files);
    ASSERT_EQ(1u, script.icons.size());
    EXPECT_EQ(114, script.icons[0].id);
    EXPECT_EQ("warning.ico", script.icons[0].file);

    ASSERT_EQ(1u, script.dialogs.size());
    const rc_tables::DialogResource& dialog = script.dialogs[0];
    EXPECT_EQ(107, dialog.id);
    EXPECT_EQ(253, dialog.cx);
    EXPECT_EQ(227, dialog.cy);
    EXPECT_EQ("Function Test", dialog.caption);
    EXPECT_EQ("Arial", dialog.fontName);
    EXPECT_EQ(8, dialog.pointSize);
    // CAPTION and FONT add their style bits, as the resource compiler does.
    EXPECT_EQ("+WS_CHILD +0x08000000 +WS_CAPTION +DS_SETFONT", Values(dialog.style));
    EXPECT_EQ(4, dialog.place.line);
    EXPECT_EQ("pages.rc", dialog.place.file);

    ASSERT_EQ(3u, dialog.controls.size());
    const rc_tables::DialogControl& text_control = dialog.controls[0];
    EXPECT_EQ("click \"Set\"\nnow for Gemtrek", text_control.text);
    EXPECT_EQ(-1, text_control.id);
    EXPECT_EQ("+WS_CHILD +WS_VISIBLE +SS_LEFT +WS_GROUP", Values(text_control.style));
    EXPECT_EQ(9, text_control.place.line);

    const rc_tables::DialogControl& icon = dialog.controls[1];
    EXPECT_EQ(114, icon.iconOrdinal);
    EXPECT_EQ(1037, icon.id);
    EXPECT_EQ("+WS_CHILD +WS_VISIBLE +SS_ICON -WS_VISIBLE", Values(icon.style));
    EXPECT_EQ(18, icon.x);
    EXPECT_EQ(20, icon.cy);

    EXPECT_EQ("+WS_EX_STATICEDGE", Values(dialog.controls[2].exStyle));
    EXPECT_EQ("", Values(icon.exStyle));
}

TEST(RcTables, RefusesWhatItDoesNotReadWithTheScriptsFileAndLine) {
    const std::string header = "# 1 \"pages.rc\"\n1 DIALOGEX 0, 0, 10, 10\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {header + "STYLE WS_CHILD\nBEGIN\n  LTEXT \"x\", -1, 0, 0, 5, 5\nEND\n",
         "pages.rc:4: error: expected CONTROL, found 'LTEXT'"},
        {"# 7 \"pages.rc\"\n1 MENU\n",
         "pages.rc:7: error: 'MENU' resources are not accepted; use DIALOGEX or ICON"},
        {header + "BEGIN\nEND\n", "pages.rc:1: error: dialog 1 has no STYLE"},
        {header + "STYLE WS_CHILD\nMENU 5\nBEGIN\nEND\n",
         "pages.rc:3: error: 'MENU' is not accepted in a dialog"},
        {header + "STYLE WS_CHILD | NOT WS_VISIBLE\nBEGIN\nEND\n",
         "pages.rc:2: error: NOT is accepted in control styles only"},
        {header + "STYLE WS_CHILD\nCAPTION \"a\\qb\"\n",
         "pages.rc:3: error: escape '\\q' is not one of"},
        {header + "STYLE WS_CHILD\nCAPTION \"open\nBEGIN\nEND\n",
         "pages.rc:3: error: string not closed on its line"},
        {header + "STYLE WS_CHILD\nBEGIN\n  CONTROL \"x\", 70000, \"Static\", 0, 0, 0, 5, 5\nEND\n",
         "pages.rc:4: error: the control's id must lie in -1..65535"},
        {header + "STYLE WS_CHILD\nBEGIN\n  CONTROL \"x\", 1, \"Static\", 0, 0, 0, 5\nEND\n",
         "pages.rc:5: error: expected ','"},
        {header + "STYLE WS_CHILD\nBEGIN\nEND\n1 DIALOGEX 0, 0, 5, 5\n",
         "pages.rc:5: error: dialog 1 defined twice"},
        {header + "STYLE 010\n", "pages.rc:2: error: number '010' is not decimal or 0x"},
        {header + "STYLE WS_CHILD\nBEGIN\n#pragma code_page(1252)\nEND\n",
         "pages.rc:4: error: only line markers may start with '#'"},
        {header + "STYLE WS_CHILD\nBEGIN\n", "pages.rc:4: error: expected CONTROL, found the end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            Parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const ScriptError& error) {
            EXPECT_EQ(0u, std::string(error.what()).rfind(c.error, 0)) << error.what();
        }
    }
}

class IconFile : public ::testing::Test {
  protected:
    void TearDown() override { std::remove(path_.c_str()); }

    // An icon directory with one 16-byte entry per width (square images).
    const std::string& Write(const std::vector<int>& widths) {
        std::ofstream file(path_, std::ios::binary | std::ios::trunc);
        const unsigned char header[6] = {0, 0, 1, 0, static_cast<unsigned char>(widths.size()), 0};
        file.write(reinterpret_cast<const char*>(header), sizeof header);
        for (const int width : widths) {
            unsigned char entry[16] = {};
            entry[0] = entry[1] = static_cast<unsigned char>(width == 256 ? 0 : width);
            file.write(reinterpret_cast<const char*>(entry), sizeof entry);
        }
        return path_;
    }

    std::string path_ = ::testing::TempDir() + "rc_tables_icon.ico";
};

TEST_F(IconFile, ReportsTheImageAStandardIconUses) {
    const struct {
        std::vector<int> widths;
        int expected;
    } cases[] = {
        {{16, 32}, 32},  {{32, 16}, 32}, {{16}, 16}, {{16, 48}, 48},  // as near as 16, and larger
        {{256, 24}, 24}, {{256}, 256},                                // stored as 0
    };
    for (const auto& c : cases) {
        const rc_tables::IconSize size = rc_tables::StandardIconSize(Write(c.widths));
        EXPECT_EQ(c.expected, size.width);
        EXPECT_EQ(c.expected, size.height);
    }
}

TEST_F(IconFile, RefusesFilesThatAreNoIcon) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << "BM not an icon";
    EXPECT_THROW(rc_tables::StandardIconSize(path_), std::runtime_error);
    EXPECT_THROW(rc_tables::StandardIconSize(path_ + ".missing"), std::runtime_error);
    std::ofstream(path_, std::ios::binary | std::ios::trunc).write("\0\0\1\0\2\0", 6);
    EXPECT_THROW(rc_tables::StandardIconSize(path_), std::runtime_error) << "entries cut off";
}

}  // namespace
