#include <gtest/gtest.h>

#include <string>

#include "script/lexer.h"

namespace {

using namespace talvex::script;

// Lexes until End (or a failure) and writes each token as text:
// names as N:name, functions F:name, numbers as #value, separators ';',
// End as '$', a failure as !code.
std::string Lex(const std::string& text, int32_t* finalLine = nullptr) {
    LexerState state;
    state.cursor = text.c_str();
    state.line = 1;
    std::string out;
    for (int guard = 0; guard < 100; ++guard) {
        const int32_t result = NextToken(state);
        if (!out.empty()) out += ' ';
        if (result != kLexOk) {
            out += "!" + std::to_string(result) + "k" + std::to_string(state.token.kind);
            break;
        }
        const Token& t = state.token;
        if (t.kind == kTokenEnd) {
            out += '$';
            break;
        }
        if (t.kind == kTokenName) out += "N:" + t.name;
        else if (t.kind == kTokenFunction) out += "F:" + t.name;
        else if (t.kind == kTokenNumber) {
            char number[40];
            std::snprintf(number, sizeof number, "#%g", t.value);
            out += number;
        } else out += static_cast<char>(t.kind);
    }
    if (finalLine != nullptr) *finalLine = state.line;
    return out;
}

TEST(Lexer, TokenStreams) {
    const std::string name32(32, 'a'), name33(33, 'b');
    const std::string number32 = "1" + std::string(31, '0'), number33 = "1" + std::string(32, '0');
    const struct {
        std::string text;
        std::string tokens;
        int32_t line;
    } cases[] = {
        {"   ", "$", 1},
        {"z = x", "N:z = N:x $", 1},
        {"z\r", "N:z ; $", 2},
        {"z\r\nx", "N:z ; N:x $", 2},
        {"z\nx", "N:z !2k36", 1},
        {"z\tx", "N:z !2k36", 1},
        {"sin (x)", "F:sin ( N:x ) $", 1},
        {"x (y)", "F:x ( N:y ) $", 1},
        {"1.2.3 x", "!1k1", 1},
        {"...", "!1k1", 1},
        {"5. .5 .", "#5 #0.5 #0 $", 1},
        {number32, "#1e+31 $", 1},
        {number33, "!1k1", 1},
        {name32, "N:" + name32 + " $", 1},
        {name33, "!3k36", 1},
        {"x_1", "N:x !2k36", 1},
        {"# note\r\nz = 1", "N:z = #1 $", 2},
        {"z = 1 # note\r\ny = 2", "N:z = #1 N:y = #2 $", 2},
        {"a;b", "N:a ; N:b $", 1},
        {"# only a comment", "$", 1},
        {"1e5", "#1 N:e5 $", 1},
        {"(),*+-/^=", "( ) , * + - / ^ = $", 1},
        {"\xC3", "!2k36", 1},
        {"a1b2 (", "F:a1b2 ( $", 1},
    };
    for (const auto& c : cases) {
        int32_t line = 0;
        EXPECT_EQ(Lex(c.text, &line), c.tokens) << "text: " << c.text;
        EXPECT_EQ(line, c.line) << "line after: " << c.text;
    }
}

TEST(Lexer, EndRepeatsAndTheCursorStaysOnTheZero) {
    const char text[] = "x";
    LexerState state;
    state.cursor = text;
    ASSERT_EQ(NextToken(state), kLexOk);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(NextToken(state), kLexOk);
        EXPECT_EQ(state.token.kind, kTokenEnd);
        EXPECT_EQ(state.cursor, text + 1);
    }
}

}  // namespace
