// Tokenizer of the preprocessed script. Strings follow the resource
// compiler's rules: "" inside a string is one quotation mark, and the
// escapes \n, \t, \\ and \" are understood; anything else fails.
#include "script_tokens.h"

#include <algorithm>
#include <cctype>

namespace rc_tables {
namespace {

bool IsIdentifierStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Tokenizer {
  public:
    Tokenizer(const std::string& text, const std::string& inputName,
              std::vector<std::string>* sourceFiles)
        : text_(text), sourceFiles_(sourceFiles) {
        place_.file = inputName;
        place_.line = 1;
    }

    std::vector<Token> Run() {
        bool lineStart = true;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++pos_;
                ++place_.line;
                lineStart = true;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
                continue;
            }
            if (c == '#' && lineStart) {
                LineMarker();
                continue;
            }
            lineStart = false;
            Token token{TokenKind::End, "", place_};
            if (c == '"') {
                token.kind = TokenKind::String;
                token.text = StringValue();
            } else if (IsIdentifierStart(c)) {
                token.kind = TokenKind::Identifier;
                token.text = Span(IsIdentifierChar);
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                token.kind = TokenKind::Number;
                token.text = Span(IsIdentifierChar);
                CheckNumber(token);
            } else if (c == ',' || c == '|' || c == '-') {
                token.kind =
                    c == ',' ? TokenKind::Comma : (c == '|' ? TokenKind::Bar : TokenKind::Minus);
                token.text = std::string(1, c);
                ++pos_;
            } else {
                throw ScriptError(place_, std::string("unexpected character '") + c + "'");
            }
            tokens_.push_back(token);
        }
        tokens_.push_back(Token{TokenKind::End, "", place_});
        return tokens_;
    }

  private:
    template <typename Predicate>
    std::string Span(Predicate accept) {
        const size_t start = pos_;
        while (pos_ < text_.size() && accept(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    // Decimal or 0x hexadecimal, nothing else (no suffixes, no octal).
    void CheckNumber(const Token& token) {
        const std::string& t = token.text;
        const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
        const bool ok =
            hex ? std::all_of(t.begin() + 2, t.end(),
                              [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })
                : std::all_of(t.begin(), t.end(),
                              [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
                      (t.size() == 1 || t[0] != '0');
        if (!ok) {
            throw ScriptError(token.place, "number '" + t + "' is not decimal or 0x hexadecimal");
        }
    }

    std::string StringValue() {
        std::string value;
        ++pos_;  // opening quote
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') {
                throw ScriptError(place_, "string not closed on its line");
            }
            const char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    value += '"';
                    ++pos_;
                    continue;
                }
                return value;
            }
            if (c != '\\') {
                value += c;
                continue;
            }
            const char escaped = pos_ < text_.size() ? text_[pos_++] : '\0';
            switch (escaped) {
                case 'n':
                    value += '\n';
                    break;
                case 't':
                    value += '\t';
                    break;
                case '\\':
                case '"':
                    value += escaped;
                    break;
                default:
                    throw ScriptError(place_, std::string("escape '\\") + escaped +
                                                  "' is not one of \\n \\t \\\\ \\\"");
            }
        }
    }

    // "# <line> "<file>" <flags>": the next line is <line> of <file>.
    void LineMarker() {
        const size_t end = std::min(text_.find('\n', pos_), text_.size());
        const std::string marker = text_.substr(pos_, end - pos_);
        size_t i = 1;
        while (i < marker.size() && marker[i] == ' ') {
            ++i;
        }
        size_t digits = i;
        while (digits < marker.size() && std::isdigit(static_cast<unsigned char>(marker[digits]))) {
            ++digits;
        }
        const size_t open = marker.find('"', digits);
        const size_t close = open == std::string::npos ? open : marker.find('"', open + 1);
        if (digits == i || close == std::string::npos) {
            throw ScriptError(place_, "only line markers may start with '#' after preprocessing");
        }
        place_.file = marker.substr(open + 1, close - open - 1);
        place_.line = std::stoi(marker.substr(i, digits - i));
        if (place_.file[0] != '<' && std::find(sourceFiles_->begin(), sourceFiles_->end(),
                                               place_.file) == sourceFiles_->end()) {
            sourceFiles_->push_back(place_.file);
        }
        pos_ = end < text_.size() ? end + 1 : end;
    }

    const std::string& text_;
    std::vector<std::string>* sourceFiles_;
    size_t pos_ = 0;
    SourcePlace place_;
    std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Tokenize(const std::string& text, const std::string& inputName,
                            std::vector<std::string>* sourceFiles) {
    return Tokenizer(text, inputName, sourceFiles).Run();
}

}  // namespace rc_tables
