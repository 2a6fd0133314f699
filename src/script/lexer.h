// The script lexer: one token per call, read in place from the text being
// compiled, with the line counter that error reports use.
#pragma once

#include <cstdint>
#include <string>

namespace talvex::script {

enum TokenKind : uint32_t {
    kTokenName = 0,
    kTokenNumber = 1,
    kTokenFunction = 2,
    kTokenEnd = 3,
    kTokenInvalid = 36,
    kTokenOpen = '(',
    kTokenClose = ')',
    kTokenMultiply = '*',
    kTokenAdd = '+',
    kTokenComma = ',',
    kTokenSubtract = '-',
    kTokenDivide = '/',
    kTokenSeparator = ';',
    kTokenAssign = '=',
    kTokenPower = '^',
};

// Lexing failures.
enum LexResult : int32_t {
    kLexOk = 0,
    kLexMalformedNumber = 1,
    kLexInvalidCharacter = 2,
    kLexNameTooLong = 3,
};

constexpr int kMaximumTokenLength = 32;

struct Token {
    uint32_t kind = kTokenEnd;
    double value = 0.0;
    std::string name;  // of the last Name or Function token read
};

// Where the lexer is in a text: the next unread byte and the line counter.
struct LexerState {
    const char* cursor = nullptr;
    int32_t line = 1;
    Token token;
};

// Reads the next token into state.token. Returns a LexResult.
int32_t NextToken(LexerState& state);

}  // namespace talvex::script
