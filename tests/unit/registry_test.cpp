#include <gtest/gtest.h>

#include "api/registry.h"
#include "talvex.h"

namespace {

TEST(Registry, ControlThatCannotBeAllocatedLeavesItsEntryEmpty) {
    const int32_t kept = TALVEX_ControlCreate();
    ASSERT_NE(kept, 0);
    talvex::registry::FailNextAllocations(1);
    const int32_t failed = TALVEX_ControlCreate();
    EXPECT_EQ(failed, kept + 1) << "the index is returned all the same";
    EXPECT_EQ(TALVEX_ControlGetWidth(failed), 0);
    EXPECT_EQ(TALVEX_ControlSetScale(failed, 1), TALVEX_E_FAIL) << "behaves as an invalid handle";
    EXPECT_EQ(TALVEX_ControlDestroy(failed), TALVEX_E_FAIL);
    const int32_t next = TALVEX_ControlCreate();
    EXPECT_EQ(next, failed) << "the same index is handed out again";
    EXPECT_EQ(TALVEX_ControlDestroy(next), 0);
    EXPECT_EQ(TALVEX_ControlDestroy(kept), 0);
}

}  // namespace
