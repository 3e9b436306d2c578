// The authentication log ring: lines are cut to their 255 characters and the
// 201st line of a run overwrites the first.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "auth/AuthLogRing.h"

namespace {

TEST(AuthLogRingTest, LinesAreCutAndTheRingWraps)
{
    std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
    std::string longLine(400, 'x');
    AppendAuthLogLine(longLine.c_str());
    EXPECT_EQ(255u, std::strlen(g_AuthLogRing.lines[0]));
    EXPECT_EQ(1, g_AuthLogRing.writeIndex);
    AppendAuthLogLine(nullptr);
    EXPECT_STREQ("", g_AuthLogRing.lines[1]);
    for (int i = 2; i < 200; ++i) AppendAuthLogLine(("line " + std::to_string(i)).c_str());
    EXPECT_EQ(0, g_AuthLogRing.writeIndex);
    EXPECT_STREQ("line 199", g_AuthLogRing.lines[199]);
    AppendAuthLogLine("line 200");
    EXPECT_STREQ("line 200", g_AuthLogRing.lines[0]);
    EXPECT_EQ(1, g_AuthLogRing.writeIndex);
    // A write index out of range starts again at 0.
    g_AuthLogRing.writeIndex = 512;
    AppendAuthLogLine("again");
    EXPECT_STREQ("again", g_AuthLogRing.lines[0]);
    std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
}

}  // namespace
