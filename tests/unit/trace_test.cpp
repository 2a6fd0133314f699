#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/trace.h"

namespace {

using talvex::Trace;

TEST(TraceLog, IndentationNeverGoesBelowZero) {
    const int before = Trace().Indentation();
    for (int i = 0; i < before + 3; ++i) Trace().Unindent();
    EXPECT_EQ(Trace().Indentation(), 0);
    Trace().Indent();
    Trace().Indent();
    EXPECT_EQ(Trace().Indentation(), 2);
    Trace().Unindent();
    Trace().Unindent();
    Trace().Unindent();
    EXPECT_EQ(Trace().Indentation(), 0);
}

TEST(TraceLog, SinkReadsFormattedMessagesWithTheirIndentation) {
    std::vector<std::pair<int, std::string>> seen;
    Trace().AttachSink([&](int indentation, const std::string& message) { seen.emplace_back(indentation, message); });
    Trace().Output("TALVEXCONTROL::Size(%d, %d)", 640, 480);
    Trace().Indent();
    Trace().Output("%s", "100% literal");
    Trace().Unindent();
    Trace().DetachSink();
    Trace().Output("not seen");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(0, std::string("TALVEXCONTROL::Size(640, 480)")));
    EXPECT_EQ(seen[1], std::make_pair(1, std::string("100% literal")));
}

}  // namespace
