#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "control_handle.h"
#include "talvex.h"

namespace {

TEST(Scripts, SetScriptResultsAndErrorLines) {
    const struct {
        const char* text;
        int32_t result;
        int32_t errorLine;
    } cases[] = {
        {"z = sin(x)*cos(y)", 0, 0},
        {"x = cos(t)\r\ny = sin(t)\r\nz = t/5\r\n", 0, 3},
        {"a = 1\r\nb = 2\r\nc = +", 13, 2},
        {"z = foo(x)", 10, 0},
        {"z = x)", 7, 0},
        {"", 0, 0},
    };
    for (const auto& c : cases) {
        ControlHandle h;
        std::string buffer = c.text;
        EXPECT_EQ(TALVEX_ControlSetScript(h, 1, buffer.data()), c.result) << c.text;
        EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 1), c.errorLine) << c.text;
    }
}

TEST(Scripts, FailedCompileEmptiesTheSlotButKeepsItsLine) {
    ControlHandle h;
    char good[] = "z = x*y";
    ASSERT_EQ(TALVEX_ControlSetScript(h, 0, good), 0);
    char bad[] = "a = 1\r\nb = 2\r\nc = +";
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, bad), 13);
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 0), 2);
    EXPECT_EQ(TALVEX_ControlDelScript(h, 0), 0);
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 0), 0) << "DelScript forgets the line";
    ASSERT_EQ(TALVEX_ControlSetScript(h, 2, bad), 13);
    char empty[] = "";
    EXPECT_EQ(TALVEX_ControlSetScript(h, 2, empty), 0);
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 2), 0) << "an empty text clears the line";
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 3), 0);
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, -1), 0);
}

TEST(Scripts, CallersBufferIsLowerCasedWhetherOrNotItCompiles) {
    ControlHandle h;
    char good[] = "Z = SIN(X)*COS(Y)";
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, good), 0);
    EXPECT_STREQ(good, "z = sin(x)*cos(y)");
    char bad[] = "Z = FOO(X) # ÄB";
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, bad), 10);
    EXPECT_STREQ(bad, "z = foo(x) # Äb");
}

TEST(Scripts, NullTextChangesNothing) {
    ControlHandle h;
    char good[] = "a = 1\r\nz = a";
    ASSERT_EQ(TALVEX_ControlSetScript(h, 0, good), 0);
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, nullptr), TALVEX_E_POINTER);
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 0), 1) << "the slot still holds its script";
}

TEST(Scripts, HostileTextsAreRefusedOrAcceptedButNeverCrash) {
    ControlHandle h;
    std::string deep = "z = " + std::string(100000, '(') + "x" + std::string(100000, ')');
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, deep.data()), 0);
    std::string unclosed = "z = " + std::string(100000, '(');
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, unclosed.data()), 9);
    std::string binary(256, '\0');
    for (int i = 1; i < 256; ++i) binary[static_cast<size_t>(i - 1)] = static_cast<char>(i);
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, binary.data()), 2);
    char commas[] = "z = ,,,";
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, commas), 13);
}

}  // namespace
