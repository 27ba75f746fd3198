// Club files that must not cost the club its roster: a byte-order mark, settings out of
// range, files that are no club file.
#include <gtest/gtest.h>

#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_clubfile_util.h"

namespace {

class ClubSafety : public ClubFileTest {};

TEST_F(ClubSafety, ByteOrderMarkIsNoContentAndTheCommentBlockSurvives) {
    const std::string block = "\xEF\xBB\xBF% my club\n% kept by hand\n";
    WriteFile("club.dorvel", block + "club=Mine\nAnn Ash f L 0 1 Basic\n");
    FILE* fp = fopen("club.dorvel", "r");
    ASSERT_NE(fp, nullptr);
    ReadDorvels(fp);
    fclose(fp);
    ASSERT_EQ(RosterCount(), 1);
    EXPECT_EQ(sdhd->firstlast, "Ann Ash");
    EXPECT_EQ(clubname, "Mine");
    outputfilename = "club.dorvel";
    ASSERT_TRUE(WriteDorvels(0));
    std::string written = ReadFile("club.dorvel");
    EXPECT_EQ(written.rfind(block + "club=Mine\n", 0), 0u) << written;
    // A mark before a line that is no comment is dropped with nothing else.
    ResetEvening();
    ReadText("\xEF\xBB\xBF" "club=Other\n");
    EXPECT_EQ(clubname, "Other");
    EXPECT_EQ(RosterCount(), 0);
}

TEST_F(ClubSafety, ScrollSpeedStepsOutOfRangeAreIgnored) {
    for (const char* bad : {"scrollerincrchg=99999999999", "scrollerincrchg=-2147483648",
                            "scrollerincrchg=51", "scrollerincrchg=-51", "scrollerincrchg=fast"}) {
        scrollerincrchg = 3;
        ReadText(std::string(bad) + "\n");
        EXPECT_EQ(scrollerincrchg, 3) << bad;
    }
    ReadText("scrollerincrchg=-50\n");
    EXPECT_EQ(scrollerincrchg, -50);
}

}  // namespace
