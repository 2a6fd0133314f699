#include "script/lexer.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

namespace talvex::script {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }
bool IsSingleCharacterToken(char c) { return c != '\0' && std::strchr("()*+,-/=^", c) != nullptr; }

// Digits with at most one point as the nearest double; a lone "." is 0.
double ReadDecimal(const char* start, int length) {
#if defined(__cpp_lib_to_chars)
    double value = 0.0;
    std::from_chars(start, start + length, value);
    return value;
#else
    // A C++ library without from_chars for doubles (the WebAssembly
    // build's) sits on a C library that knows no decimal comma: strtod reads
    // the same number there.
    const std::string text(start, static_cast<size_t>(length));
    return std::strtod(text.c_str(), nullptr);
#endif
}

// Steps over the byte after a CR (the LF of a CR LF pair) unless the text ends.
void SkipLineFeedOfBreak(LexerState& state) {
    if (*state.cursor != '\0') ++state.cursor;
    ++state.line;
}

}  // namespace

int32_t NextToken(LexerState& state) {
    Token& token = state.token;
    for (;;) {
        while (*state.cursor == ' ') ++state.cursor;
        const char c = *state.cursor;
        if (c == '\0') {
            // The cursor stays on the terminating zero: End forever after.
            token.kind = kTokenEnd;
            return kLexOk;
        }
        ++state.cursor;
        if (c == '\r') {
            SkipLineFeedOfBreak(state);
            token.kind = kTokenSeparator;
            return kLexOk;
        }
        if (c == ';') {
            token.kind = kTokenSeparator;
            return kLexOk;
        }
        if (c == '#') {
            while (*state.cursor != '\r' && *state.cursor != '\0') ++state.cursor;
            if (*state.cursor == '\0') {
                token.kind = kTokenEnd;
                return kLexOk;
            }
            // The comment and the line break that ends it yield no token.
            ++state.cursor;
            SkipLineFeedOfBreak(state);
            continue;
        }
        if (IsSingleCharacterToken(c)) {
            token.kind = static_cast<uint32_t>(static_cast<unsigned char>(c));
            return kLexOk;
        }
        if (IsDigit(c) || c == '.') {
            token.kind = kTokenNumber;
            const char* start = state.cursor - 1;
            int length = 0, dots = 0;
            for (const char* p = start; IsDigit(*p) || *p == '.'; ++p) {
                ++length;
                if (*p == '.') ++dots;
            }
            state.cursor = start + length;
            if (dots >= 2 || length > kMaximumTokenLength) return kLexMalformedNumber;
            // Digits and one point in any locale: the host's LC_NUMERIC (a
            // decimal comma) must not change what a script computes. A lone
            // "." reads as 0.
            token.value = ReadDecimal(start, length);
            return kLexOk;
        }
        if (IsLetter(c)) {
            const char* start = state.cursor - 1;
            int length = 0;
            while (IsLetter(start[length]) || IsDigit(start[length])) ++length;
            state.cursor = start + length;
            while (*state.cursor == ' ') ++state.cursor;
            if (length > kMaximumTokenLength) {
                token.kind = kTokenInvalid;
                return kLexNameTooLong;
            }
            // A name directly before "(" (spaces aside) is a function call.
            token.kind = *state.cursor == '(' ? kTokenFunction : kTokenName;
            token.name.assign(start, static_cast<size_t>(length));
            return kLexOk;
        }
        token.kind = kTokenInvalid;
        return kLexInvalidCharacter;
    }
}

}  // namespace talvex::script
