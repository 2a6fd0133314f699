#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "c_host.h"
#include "control_handle.h"
#include "talvex.h"

namespace {

constexpr int32_t kFail = TALVEX_E_FAIL;

// Every function but Create, called with a handle, reduced to an int64 so
// that one table holds them all, with its value for an invalid handle.
struct HandleCase {
    const char* name;
    std::function<int64_t(int32_t)> call;
    int64_t invalid;
};

int64_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

std::vector<HandleCase> AllFunctions() {
    static char script[] = "z = x";
    return {
        {"Destroy", [](int32_t h) { return TALVEX_ControlDestroy(h); }, kFail},
        {"Init", [](int32_t h) { return TALVEX_ControlInit(h, nullptr, nullptr, 1); }, kFail},
        {"Size", [](int32_t h) { return TALVEX_ControlSize(h, 10, 10); }, kFail},
        {"Move", [](int32_t h) { return TALVEX_ControlMove(h, 0, 0, 10, 10, 1); }, kFail},
        {"Show", [](int32_t h) { return TALVEX_ControlShow(h, 5); }, kFail},
        {"Invalidate", [](int32_t h) { return TALVEX_ControlInvalidate(h, nullptr, 0); }, kFail},
        {"MouseWheel", [](int32_t h) { return TALVEX_ControlMouseWheel(h, 0, 0); }, kFail},
        {"Calculate", [](int32_t h) { return TALVEX_ControlCalculate(h); }, kFail},
        {"SetScript", [](int32_t h) { return TALVEX_ControlSetScript(h, 0, script); }, kFail},
        {"DelScript", [](int32_t h) { return TALVEX_ControlDelScript(h, 0); }, kFail},
        {"ScriptGetErrorLine", [](int32_t h) { return TALVEX_ControlScriptGetErrorLine(h, 0); }, kFail},
        {"SetDefaultView", [](int32_t h) { return TALVEX_ControlSetDefaultView(h); }, kFail},
        {"SetIsometricView", [](int32_t h) { return TALVEX_ControlSetIsometricView(h); }, kFail},
        {"GetWidth", [](int32_t h) { return TALVEX_ControlGetWidth(h); }, 0},
        {"GetHeight", [](int32_t h) { return TALVEX_ControlGetHeight(h); }, 0},
        {"GetScale", [](int32_t h) { return TALVEX_ControlGetScale(h); }, 0},
        {"SetScale", [](int32_t h) { return TALVEX_ControlSetScale(h, 50); }, kFail},
        {"GetBackgroundColor", [](int32_t h) { return TALVEX_ControlGetBackgroundColor(h); }, 0},
        {"SetBackgroundColor", [](int32_t h) { return TALVEX_ControlSetBackgroundColor(h, 1); }, kFail},
        {"GetPointColor", [](int32_t h) { return TALVEX_ControlGetPointColor(h); }, 0},
        {"SetPointColor", [](int32_t h) { return TALVEX_ControlSetPointColor(h, 1); }, kFail},
        {"IsPointVisible", [](int32_t h) { return TALVEX_ControlIsPointVisible(h); }, 0},
        {"SetPointVisible", [](int32_t h) { return TALVEX_ControlSetPointVisible(h, 1); }, kFail},
        {"IsAxisVisible", [](int32_t h) { return TALVEX_ControlIsAxisVisible(h); }, 0},
        {"SetAxisVisible", [](int32_t h) { return TALVEX_ControlSetAxisVisible(h, 1); }, kFail},
        {"IsSolid", [](int32_t h) { return TALVEX_ControlIsSolid(h); }, 0},
        {"SetSolid", [](int32_t h) { return TALVEX_ControlSetSolid(h, 1); }, kFail},
        {"GetZDistance", [](int32_t h) { return FloatBits(TALVEX_ControlGetZDistance(h)); }, FloatBits(0.0f)},
        {"SetZDistance", [](int32_t h) { return TALVEX_ControlSetZDistance(h, 1.0f); }, kFail},
        {"SetLeftHand", [](int32_t h) { return TALVEX_ControlSetLeftHand(h); }, kFail},
        {"SetRightHand", [](int32_t h) { return TALVEX_ControlSetRightHand(h); }, kFail},
        {"SaveBMP", [](int32_t h) { return TALVEX_SaveBMP(h, "never-written.bmp"); }, kFail},
    };
}

TEST(Registry, InvalidHandlesGiveEachFunctionsInvalidValue) {
    const auto functions = AllFunctions();
    ASSERT_EQ(functions.size(), 32u);  // all 33 but Create
    int32_t destroyed = TALVEX_ControlCreate();
    ASSERT_NE(destroyed, 0);
    ASSERT_EQ(TALVEX_ControlDestroy(destroyed), 0);
    for (int32_t handle : {0, -1, 65536, destroyed, 70000, INT32_MIN}) {
        for (const HandleCase& f : functions)
            EXPECT_EQ(f.call(handle), f.invalid) << f.name << " with handle " << handle;
    }
}

TEST(Registry, HandsOutLowestFreeHandleInOrder) {
    const int32_t first = TALVEX_ControlCreate();
    const int32_t second = TALVEX_ControlCreate();
    const int32_t third = TALVEX_ControlCreate();
    EXPECT_EQ(first, 1) << "the registry starts empty";
    EXPECT_EQ(second, 2);
    EXPECT_EQ(third, 3);
    ASSERT_EQ(TALVEX_ControlDestroy(first), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(first), 0) << "a destroyed handle is invalid";
    EXPECT_EQ(TALVEX_ControlDestroy(first), kFail) << "second Destroy";
    const int32_t again = TALVEX_ControlCreate();
    EXPECT_EQ(again, first) << "the lowest free handle comes back";
    for (int32_t h : {again, second, third}) EXPECT_EQ(TALVEX_ControlDestroy(h), 0);
}

TEST(Registry, FullRegistryGivesZeroAndFreedHandleComesBack) {
    std::vector<int32_t> handles;
    handles.reserve(65535);
    for (int i = 0; i < 65535; ++i) {
        int32_t h = TALVEX_ControlCreate();
        ASSERT_EQ(h, i + 1);
        handles.push_back(h);
    }
    EXPECT_EQ(TALVEX_ControlCreate(), 0) << "all 65,535 handles in use";
    EXPECT_EQ(TALVEX_ControlSetPointColor(65535, 0x123456), 0) << "65,535 is a valid handle";
    EXPECT_EQ(TALVEX_ControlGetPointColor(65535), 0x123456u);
    EXPECT_EQ(TALVEX_ControlDestroy(40000), 0);
    EXPECT_EQ(TALVEX_ControlCreate(), 40000);
    EXPECT_EQ(TALVEX_ControlCreate(), 0);
    for (int32_t h : handles) ASSERT_EQ(TALVEX_ControlDestroy(h), 0);
}

TEST(Registry, DestroyOfUninitialisedControlReturnsItsWidth) {
    int32_t h = TALVEX_ControlCreate();
    ASSERT_NE(h, 0);
    EXPECT_EQ(TALVEX_ControlDestroy(h), 0) << "never initialised nor sized: width 0";
    h = TALVEX_ControlCreate();
    ASSERT_NE(h, 0);
    ASSERT_EQ(TALVEX_ControlSize(h, 123, 45), 0) << "a size without a device is only kept";
    EXPECT_EQ(TALVEX_ControlDestroy(h), 123) << "the width it was given";
}

TEST(Registry, CHostSeesOneByteBoolAndFloat) {
    unsigned char pointVisible = 0xAA, invalidSolid = 0xAA;
    float zDistance = -1.0f, invalidZDistance = -1.0f;
    ASSERT_EQ(CHostReadsBoolAndFloat(&pointVisible, &invalidSolid, &zDistance, &invalidZDistance), 1);
    EXPECT_EQ(pointVisible, 0) << "256 has a zero low byte";
    EXPECT_EQ(invalidSolid, 0);
    EXPECT_EQ(zDistance, 2.25f);
    EXPECT_EQ(invalidZDistance, 0.0f);
}

}  // namespace
