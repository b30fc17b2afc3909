// The tokens of a preprocessed resource script, each with the line of the
// original script it came from (the preprocessor's line markers are
// followed, so every message names the file the author edits).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace rc_tables {

enum class TokenKind { Identifier, Number, String, Comma, Bar, Minus, End };

struct SourcePlace {
    std::string file;
    int line = 0;
};

struct Token {
    TokenKind kind;
    std::string text;  // identifier or digits as written; a string's value
    SourcePlace place;
};

// A script outside the accepted subset; what() is "file:line: error: message",
// the form editors and build logs link to the line.
class ScriptError : public std::runtime_error {
  public:
    ScriptError(const SourcePlace& place, const std::string& message)
        : std::runtime_error(place.file + ":" + std::to_string(place.line) +
                             ": error: " + message) {}
};

// Splits preprocessed text into tokens; the last one is End. Files named by
// line markers are added to `sourceFiles` once each, in first-seen order.
std::vector<Token> Tokenize(const std::string& text, const std::string& inputName,
                            std::vector<std::string>* sourceFiles);

}  // namespace rc_tables
