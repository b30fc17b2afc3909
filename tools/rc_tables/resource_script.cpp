// Parser of the accepted resource-script subset (resource_script.h).
#include "resource_script.h"

#include <set>
#include <utility>

namespace rc_tables {
namespace {

constexpr long kMaxResourceId = 0xFFFF;

class Parser {
  public:
    explicit Parser(const std::vector<Token>& tokens) : tokens_(tokens) {}

    ResourceScript Run() {
        ResourceScript script;
        std::set<int> dialogIds;
        std::set<int> iconIds;
        while (Peek().kind != TokenKind::End) {
            const SourcePlace place = Peek().place;
            const int id = static_cast<int>(Integer(1, kMaxResourceId, "a resource id"));
            const std::string keyword = Keyword();
            if (keyword == "ICON") {
                IconResource icon{place, id, String("the icon's file name")};
                if (!iconIds.insert(id).second) {
                    throw ScriptError(place, "icon " + std::to_string(id) + " defined twice");
                }
                script.icons.push_back(std::move(icon));
            } else if (keyword == "DIALOGEX") {
                if (!dialogIds.insert(id).second) {
                    throw ScriptError(place, "dialog " + std::to_string(id) + " defined twice");
                }
                script.dialogs.push_back(Dialog(place, id));
            } else {
                throw ScriptError(place, "'" + keyword + "' resources are not accepted; use " +
                                             "DIALOGEX or ICON");
            }
        }
        return script;
    }

  private:
    const Token& Peek() const { return tokens_[pos_]; }
    const Token& Next() {
        const Token& token = tokens_[pos_];
        if (token.kind != TokenKind::End) {
            ++pos_;
        }
        return token;
    }

    [[noreturn]] void Fail(const std::string& expected) const {
        const Token& token = Peek();
        const std::string found = token.kind == TokenKind::End      ? "the end of the script"
                                  : token.kind == TokenKind::String ? "a string"
                                                                    : "'" + token.text + "'";
        throw ScriptError(token.place, "expected " + expected + ", found " + found);
    }

    std::string Keyword() {
        if (Peek().kind != TokenKind::Identifier) {
            Fail("a keyword");
        }
        return Next().text;
    }

    void Expect(const char* keyword) {
        if (Peek().kind != TokenKind::Identifier || Peek().text != keyword) {
            Fail(keyword);
        }
        Next();
    }

    void Comma() {
        if (Peek().kind != TokenKind::Comma) {
            Fail("','");
        }
        Next();
    }

    long Integer(long low, long high, const std::string& what) {
        const SourcePlace place = Peek().place;
        const bool negative = Peek().kind == TokenKind::Minus;
        if (negative) {
            Next();
        }
        if (Peek().kind != TokenKind::Number) {
            Fail(what);
        }
        const long magnitude = std::stol(Next().text, nullptr, 0);
        const long value = negative ? -magnitude : magnitude;
        if (value < low || value > high) {
            throw ScriptError(
                place, what + " must lie in " + std::to_string(low) + ".." + std::to_string(high));
        }
        return value;
    }

    // One string, or several written side by side, which are joined.
    std::string String(const std::string& what) {
        if (Peek().kind != TokenKind::String) {
            Fail(what);
        }
        std::string value;
        while (Peek().kind == TokenKind::String) {
            value += Next().text;
        }
        return value;
    }

    StyleTerm Term() {
        StyleTerm term;
        term.place = Peek().place;
        if (Peek().kind == TokenKind::Identifier && Peek().text == "NOT") {
            term.removes = true;
            Next();
        }
        if (Peek().kind != TokenKind::Identifier && Peek().kind != TokenKind::Number) {
            Fail("a style name or number");
        }
        if (Peek().text == "NOT") {
            Fail("a style name or number");
        }
        term.value = Next().text;
        return term;
    }

    void AppendStyle(StyleExpression* style) {
        style->push_back(Term());
        while (Peek().kind == TokenKind::Bar) {
            Next();
            style->push_back(Term());
        }
    }

    static StyleTerm Implicit(const char* name, const SourcePlace& place) {
        return StyleTerm{false, name, place};
    }

    DialogResource Dialog(const SourcePlace& place, int id) {
        DialogResource dialog;
        dialog.place = place;
        dialog.id = id;
        dialog.x = static_cast<int>(Integer(0, 0x7FFF, "the dialog's x"));
        Comma();
        dialog.y = static_cast<int>(Integer(0, 0x7FFF, "the dialog's y"));
        Comma();
        dialog.cx = static_cast<int>(Integer(0, 0x7FFF, "the dialog's width"));
        Comma();
        dialog.cy = static_cast<int>(Integer(0, 0x7FFF, "the dialog's height"));

        bool hasStyle = false;
        bool hasExStyle = false;
        for (;;) {
            const SourcePlace statement = Peek().place;
            const std::string keyword = Keyword();
            if (keyword == "BEGIN") {
                break;
            }
            const bool repeated = (keyword == "STYLE" && hasStyle) ||
                                  (keyword == "EXSTYLE" && hasExStyle) ||
                                  (keyword == "CAPTION" && dialog.hasCaption) ||
                                  (keyword == "FONT" && dialog.hasFont);
            if (repeated) {
                throw ScriptError(statement, keyword + " given twice");
            }
            if (keyword == "STYLE") {
                hasStyle = true;
                AppendStyle(&dialog.style);
                for (const StyleTerm& term : dialog.style) {
                    if (term.removes) {
                        throw ScriptError(term.place, "NOT is accepted in control styles only");
                    }
                }
            } else if (keyword == "EXSTYLE") {
                hasExStyle = true;
                AppendStyle(&dialog.exStyle);
            } else if (keyword == "CAPTION") {
                dialog.hasCaption = true;
                dialog.caption = String("the caption");
            } else if (keyword == "FONT") {
                dialog.hasFont = true;
                dialog.pointSize = static_cast<int>(Integer(1, 0x7FFF, "the font's point size"));
                Comma();
                dialog.fontName = String("the font's name");
            } else {
                throw ScriptError(statement, "'" + keyword + "' is not accepted in a dialog; " +
                                                 "use STYLE, EXSTYLE, CAPTION, FONT, BEGIN");
            }
        }
        if (!hasStyle) {
            throw ScriptError(place, "dialog " + std::to_string(id) + " has no STYLE");
        }
        if (dialog.hasCaption) {
            dialog.style.push_back(Implicit("WS_CAPTION", place));
        }
        if (dialog.hasFont) {
            dialog.style.push_back(Implicit("DS_SETFONT", place));
        }
        while (Peek().kind != TokenKind::Identifier || Peek().text != "END") {
            Expect("CONTROL");
            dialog.controls.push_back(Control());
        }
        Next();
        return dialog;
    }

    DialogControl Control() {
        DialogControl control;
        control.place = tokens_[pos_ - 1].place;
        if (Peek().kind == TokenKind::Number) {
            control.iconOrdinal = static_cast<int>(Integer(1, kMaxResourceId, "an icon id"));
        } else {
            control.text = String("the control's text or icon id");
        }
        Comma();
        control.id = static_cast<int>(Integer(-1, kMaxResourceId, "the control's id"));
        Comma();
        control.className = String("the control's class name");
        if (control.className.empty()) {
            throw ScriptError(control.place, "the class name is empty");
        }
        Comma();
        control.style = {Implicit("WS_CHILD", control.place),
                         Implicit("WS_VISIBLE", control.place)};
        AppendStyle(&control.style);
        Comma();
        control.x = static_cast<int>(Integer(0, 0x7FFF, "the control's x"));
        Comma();
        control.y = static_cast<int>(Integer(0, 0x7FFF, "the control's y"));
        Comma();
        control.cx = static_cast<int>(Integer(0, 0x7FFF, "the control's width"));
        Comma();
        control.cy = static_cast<int>(Integer(0, 0x7FFF, "the control's height"));
        if (Peek().kind == TokenKind::Comma) {
            Next();
            AppendStyle(&control.exStyle);
        }
        return control;
    }

    const std::vector<Token>& tokens_;
    size_t pos_ = 0;
};

}  // namespace

ResourceScript ParseScript(const std::vector<Token>& tokens) {
    return Parser(tokens).Run();
}

}  // namespace rc_tables
