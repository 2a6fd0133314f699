// The native window system used from several threads at once: the library's
// own lookups (a control's Init asks whether its parent still exists) run
// while other threads make and destroy their windows.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/window_system.h"
#include "talvex_window.h"

namespace {

TEST(NativeWindowSystem, LooksUpAndDestroysWhileAnotherThreadMakesWindows) {
    const TalvexWindow kept = talvex_window_create(10, 10);
    std::atomic<bool> done{false};
    std::thread churn([&] {
        // Enough windows that the window list grows and moves in memory.
        for (int round = 0; round < 200; ++round) {
            TalvexWindow windows[64];
            for (TalvexWindow& window : windows) window = talvex_window_create(1, 1);
            for (TalvexWindow window : windows) talvex_window_destroy(window);
        }
        done = true;
    });
    int lookups = 0, destroyed = 0;
    while (!done) {
        EXPECT_EQ(talvex::window::IsWindow(kept), 1);
        const TalvexWindow own = talvex_window_create(1, 1);
        destroyed += talvex::window::DestroyWindow(own);
        ++lookups;
    }
    churn.join();
    EXPECT_EQ(destroyed, lookups);
    talvex_window_destroy(kept);
    EXPECT_EQ(talvex::window::IsWindow(kept), 0);
}

}  // namespace
