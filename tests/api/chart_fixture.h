// An initialised chart in a host window, driven only through the exported
// functions and the host's window calls, with pictures read from snapshots.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../temp_path.h"
#include "bmp_picture.h"
#include "host_window.h"
#include "talvex.h"
#include "../../tools/common/line_ends.h"
#include "../../tools/common/chart_messages.h"

class Chart : public ::testing::Test {
protected:
    static constexpr int32_t kId = 4242;

    void SetUp() override {
        handle = TALVEX_ControlCreate();
        ASSERT_NE(handle, 0);
        ASSERT_EQ(TALVEX_ControlInit(handle, host.handle(), host.instance(), kId), 0);
        child = host.FindChild(kId);
        ASSERT_NE(child, nullptr);
    }
    void TearDown() override {
        if (handle != 0) TALVEX_ControlDestroy(handle);
        std::remove(path.c_str());
    }

    int32_t SetScript(int slot, const std::string& text) {
        std::string buffer = WithCrLf(text);
        return TALVEX_ControlSetScript(handle, slot, &buffer[0]);
    }

    const std::string& Path() const { return path; }

    // Calculates and saves a snapshot, then reads it back.
    BmpPicture Snapshot() {
        TALVEX_ControlCalculate(handle);
        EXPECT_EQ(TALVEX_SaveBMP(handle, Path().c_str()), 0);
        return BmpPicture::Load(Path());
    }

    const std::string path = UniqueTempPath("chart_test.bmp");
    HostWindow host;
    int32_t handle = 0;
    TalvexWindow child = nullptr;
};
