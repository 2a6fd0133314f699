// What reaches the host when an operation throws: a code, a line in the
// trace, and the indentation where the call found it.
#include <new>
#include <stdexcept>

#include "api/control_call.h"
#include "control_fixture.h"

namespace {

TEST_F(NativeControl, ThrownFailuresBecomeCodesAndLeaveTheTraceAsItWas) {
    struct Case {
        const char* what;
        void (*raise)();
        int32_t code;
        const char* traced;
    };
    const Case cases[] = {
        {"allocation", [] { throw std::bad_alloc(); }, talvex::kOutOfMemory, "  out of memory"},
        {"other", [] { throw std::runtime_error("broken"); }, talvex::kFail, "  failed: broken"},
        {"not an exception", [] { throw 7; }, talvex::kFail, "  failed"},
    };
    talvex::Trace().Indent();
    for (const Case& c : cases) {
        trace.clear();
        const int32_t result = talvex::api::Act(handle, [&](talvex::ChartControl&) -> int32_t {
            // Thrown from inside a frame, two levels deeper than the call.
            talvex::Trace().Indent();
            talvex::Trace().Indent();
            c.raise();
            return 0;
        });
        EXPECT_EQ(result, c.code) << c.what;
        EXPECT_EQ(trace, std::vector<std::string>{c.traced}) << c.what;
        EXPECT_EQ(talvex::Trace().Indentation(), 1) << c.what;
    }
    talvex::Trace().Unindent();
    EXPECT_EQ(talvex::api::Act(0, [](talvex::ChartControl&) { return 0; }), talvex::kFail) << "no such handle";
}

}  // namespace
