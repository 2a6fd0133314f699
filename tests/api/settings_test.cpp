#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "control_handle.h"
#include "talvex.h"

namespace {

TEST(Settings, NewControlHasTheDefaults) {
    ControlHandle h;
    ASSERT_NE(h, 0);
    EXPECT_TRUE(TALVEX_ControlIsPointVisible(h));
    EXPECT_TRUE(TALVEX_ControlIsAxisVisible(h));
    EXPECT_TRUE(TALVEX_ControlIsSolid(h));
    EXPECT_EQ(TALVEX_ControlGetZDistance(h), 1.5f);
    EXPECT_EQ(TALVEX_ControlGetBackgroundColor(h), 0xFFFFFFu);
    EXPECT_EQ(TALVEX_ControlGetPointColor(h), 0u);
    EXPECT_EQ(TALVEX_ControlGetScale(h), 37) << "zoom 1.0 before Init";
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 0), 0);
}

// SetScale, then wheel steps (+1 up, -1 down), then GetScale.
struct ZoomCase {
    int32_t set;
    int wheelSteps;
    int32_t expected;
};

TEST(Settings, ZoomMappingAndWheelClamping) {
    const ZoomCase cases[] = {
        {0, 0, 0},      {50, 0, 50},    {100, 0, 100}, {4, 0, 3},      {37, 0, 36},
        {-100, 0, -100}, {200, 0, 199}, {0, -1, 0},    {100, 1, 100},  {150, 1, 100},
        {150, -1, 100}, {-100, 1, 0},   {37, 11, 100}, {37, -6, 0},    {37, 1, 43},
    };
    for (const ZoomCase& c : cases) {
        ControlHandle h;
        ASSERT_EQ(TALVEX_ControlSetScale(h, c.set), 0);
        for (int i = 0; i < std::abs(c.wheelSteps); ++i) {
            // The delta lives in the high 16 bits of wParam; bit 15 of it is the sign.
            const TalvexWParam wParam = c.wheelSteps > 0 ? (120u << 16) : (0xFF88u << 16);
            ASSERT_EQ(TALVEX_ControlMouseWheel(h, wParam, 12345), 0);
        }
        EXPECT_EQ(TALVEX_ControlGetScale(h), c.expected)
            << "SetScale(" << c.set << ") and " << c.wheelSteps << " wheel steps";
    }
}

TEST(Settings, WheelDeltaZeroZoomsIn) {
    ControlHandle h;
    TALVEX_ControlSetScale(h, 0);
    TALVEX_ControlMouseWheel(h, 0, 0);
    EXPECT_EQ(TALVEX_ControlGetScale(h), 6) << "0.4 + 0.1 reads as 6";
}

// WPARAM and LPARAM are pointer-sized where pointers are 64-bit: only bits
// 16..31 of wParam (the wheel delta) count, whatever lies above them.
TEST(Settings, WheelLooksAtTheDeltaWordOnly) {
    const bool wide = sizeof(TalvexWParam) == 8;
    ASSERT_EQ(sizeof(TalvexWParam), sizeof(void*));
    ASSERT_EQ(sizeof(TalvexLParam), sizeof(void*));
    const TalvexWParam above = wide ? static_cast<TalvexWParam>(~0ull << 32) : 0;
    const TalvexLParam everyBit = static_cast<TalvexLParam>(~static_cast<TalvexWParam>(0));
    const struct {
        TalvexWParam wParam;
        int32_t expected;
    } cases[] = {
        {above | (120u << 16), 31},               // up: 0.8 + 0.1
        {above | (0xFF88u << 16) | 0xFFFFu, 18},  // down: 0.8 - 0.1; the low word holds the keys
        {above, 31},                              // a zero delta counts as up
    };
    for (const auto& c : cases) {
        ControlHandle h;
        TALVEX_ControlSetScale(h, 25);
        ASSERT_EQ(TALVEX_ControlMouseWheel(h, c.wParam, everyBit), 0);
        EXPECT_EQ(TALVEX_ControlGetScale(h), c.expected) << std::hex << "wParam 0x" << c.wParam;
    }
}

TEST(Settings, BoolSettersLookAtTheLowByteOnly) {
    struct Setter {
        const char* name;
        int32_t (*set)(int32_t, int32_t);
        TalvexBool (*get)(int32_t);
    };
    const Setter setters[] = {
        {"PointVisible", TALVEX_ControlSetPointVisible, TALVEX_ControlIsPointVisible},
        {"AxisVisible", TALVEX_ControlSetAxisVisible, TALVEX_ControlIsAxisVisible},
        {"Solid", TALVEX_ControlSetSolid, TALVEX_ControlIsSolid},
    };
    const struct {
        int32_t value;
        bool expected;
    } values[] = {{0, false}, {1, true}, {256, false}, {257, true}, {0x100000FF, true}, {-256, false}};
    for (const Setter& s : setters) {
        ControlHandle h;
        for (const auto& v : values) {
            ASSERT_EQ(s.set(h, v.value), 0);
            EXPECT_EQ(s.get(h) != 0, v.expected) << s.name << " set with " << v.value;
            EXPECT_LE(s.get(h), 1) << "a bool result is 0 or 1";
        }
    }
}

TEST(Settings, ColoursAreStoredAsGiven) {
    ControlHandle h;
    EXPECT_EQ(TALVEX_ControlSetBackgroundColor(h, 0xFF123456u), 0);
    EXPECT_EQ(TALVEX_ControlGetBackgroundColor(h), 0xFF123456u);
    EXPECT_EQ(TALVEX_ControlSetPointColor(h, 0x00ABCDEFu), 0);
    EXPECT_EQ(TALVEX_ControlGetPointColor(h), 0x00ABCDEFu);
}

TEST(Settings, ZDistanceKeepsAnyFloatBitPattern) {
    ControlHandle h;
    const uint32_t patterns[] = {0x00000000u, 0x80000000u, 0x7F800000u, 0xFF800000u,
                                 0x7FC00001u, 0x00000001u, 0x7F7FFFFFu, 0x3FC00000u};
    for (uint32_t bits : patterns) {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        ASSERT_EQ(TALVEX_ControlSetZDistance(h, value), 0);
        const float back = TALVEX_ControlGetZDistance(h);
        uint32_t backBits;
        std::memcpy(&backBits, &back, sizeof backBits);
        if (std::isnan(value))
            EXPECT_TRUE(std::isnan(back)) << std::hex << bits;
        else
            EXPECT_EQ(backBits, bits) << std::hex << bits;
    }
}

TEST(Settings, HandednessOfAControlWithoutDeviceChangesOnlyTheFlag) {
    ControlHandle h;
    EXPECT_EQ(TALVEX_ControlSetLeftHand(h), 0);
    EXPECT_EQ(TALVEX_ControlSetLeftHand(h), 0);
    EXPECT_EQ(TALVEX_ControlSetRightHand(h), 0);
    EXPECT_EQ(TALVEX_ControlShow(h, 5), 0) << "no window before Init: no call, result 0";
    EXPECT_EQ(TALVEX_ControlSetLeftHand(h), 0) << "visible but without a device: nothing to rebuild";
}

TEST(Settings, ViewPresetsLeaveTheZoom) {
    ControlHandle h;
    TALVEX_ControlSetScale(h, 50);
    EXPECT_EQ(TALVEX_ControlSetIsometricView(h), 0);
    EXPECT_EQ(TALVEX_ControlGetScale(h), 50);
    EXPECT_EQ(TALVEX_ControlSetDefaultView(h), 0);
    EXPECT_EQ(TALVEX_ControlGetScale(h), 50);
}

TEST(Settings, WindowOperationsBeforeInitMakeNoCall) {
    ControlHandle h;
    EXPECT_EQ(TALVEX_ControlMove(h, 1, 2, 30, 40, 1), 0);
    EXPECT_EQ(TALVEX_ControlInvalidate(h, nullptr, 1), 0);
    EXPECT_EQ(TALVEX_ControlShow(h, 0), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(h), 0) << "Move leaves the width";
    EXPECT_EQ(TALVEX_SaveBMP(h, "no-device.bmp"), TALVEX_E_FAIL) << "no device";
    EXPECT_EQ(TALVEX_SaveBMP(h, nullptr), TALVEX_E_FAIL) << "no device, null path";
}

TEST(Settings, SizeBeforeInitStoresTheSize) {
    ControlHandle h;
    EXPECT_EQ(TALVEX_ControlSize(h, 200, 100), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(h), 200);
    EXPECT_EQ(TALVEX_ControlGetHeight(h), 100);
    EXPECT_EQ(TALVEX_ControlSize(h, -1, 100), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(h), 200) << "a negative size changes nothing";
    EXPECT_EQ(TALVEX_ControlSize(h, 0, 50), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(h), 0);
    EXPECT_EQ(TALVEX_ControlGetHeight(h), 50);
}

TEST(Settings, ScriptSlotsOutsideTheRange) {
    ControlHandle h;
    char text[] = "Z = X";
    EXPECT_EQ(TALVEX_ControlSetScript(h, 3, text), TALVEX_E_BAD_SLOT);
    EXPECT_EQ(TALVEX_ControlSetScript(h, -1, text), TALVEX_E_BAD_SLOT);
    EXPECT_STREQ(text, "Z = X") << "a refused slot leaves the text alone";
    EXPECT_EQ(TALVEX_ControlDelScript(h, 3), TALVEX_E_BAD_SLOT);
    EXPECT_EQ(TALVEX_ControlDelScript(h, 0), 0) << "an empty slot";
    EXPECT_EQ(TALVEX_ControlScriptGetErrorLine(h, 7), 0);
    EXPECT_EQ(TALVEX_ControlSetScript(h, 0, nullptr), TALVEX_E_POINTER);
}

}  // namespace
