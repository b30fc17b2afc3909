// What a resource script describes, as far as the accepted subset goes:
// dialog templates made of CONTROL statements, and icons.
//
// Styles stay expressions of names and numbers: the names are resolved by
// the C++ compiler against the build's platform headers, so the script is
// never read with a table of values of our own. Each expression is applied
// left to right from zero, a term either adding its bits or (NOT) removing
// them, which is how the resource compiler evaluates it; the implicit bits
// (WS_CHILD | WS_VISIBLE before a control's own, WS_CAPTION for CAPTION,
// DS_SETFONT for FONT) are already part of the expression.
#pragma once

#include <string>
#include <vector>

#include "script_tokens.h"

namespace rc_tables {

struct StyleTerm {
    bool removes = false;  // NOT term
    std::string value;     // a name or a number as written
    SourcePlace place;
};

using StyleExpression = std::vector<StyleTerm>;

struct DialogControl {
    SourcePlace place;
    std::string text;     // when iconOrdinal is 0
    int iconOrdinal = 0;  // a numeric text: the icon resource an SS_ICON static shows
    int id = 0;
    std::string className;
    StyleExpression style;
    int x = 0, y = 0, cx = 0, cy = 0;
    StyleExpression exStyle;
};

struct DialogResource {
    SourcePlace place;
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    StyleExpression style;
    StyleExpression exStyle;
    bool hasCaption = false;
    std::string caption;
    bool hasFont = false;
    int pointSize = 0;
    std::string fontName;
    std::vector<DialogControl> controls;
};

struct IconResource {
    SourcePlace place;
    int id = 0;
    std::string file;  // as named in the script
};

struct ResourceScript {
    std::vector<DialogResource> dialogs;
    std::vector<IconResource> icons;
};

// Reads the subset:
//   <id> ICON "<file>"
//   <id> DIALOGEX <x>, <y>, <cx>, <cy>
//   STYLE <style>   [EXSTYLE <style>]   [CAPTION "<text>"]   [FONT <points>, "<name>"]
//   BEGIN
//     CONTROL <"text" | icon id>, <id>, "<class>", <style>, <x>, <y>, <cx>, <cy> [, <exstyle>]
//   END
// where <style> is terms joined by '|', each a name or number, optionally
// preceded by NOT, and adjacent strings are joined. Anything else throws
// ScriptError naming the file and line.
ResourceScript ParseScript(const std::vector<Token>& tokens);

}  // namespace rc_tables
