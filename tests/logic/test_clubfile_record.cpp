// SPDX-License-Identifier: GPL-3.0-or-later
// The record file: numbering, the seeds line, appended action lines.
#include <gtest/gtest.h>

#include "files/record.h"
#include "test_clubfile_util.h"

namespace {

class RecordFile : public ClubFileTest {};

TEST_F(RecordFile, NextFreeNumberAndSeedsLine) {
    WriteFile("dorvels.record000", "old 0\n");
    WriteFile("dorvels.record001", "old 1\n");
    s1 = 11;
    s2 = -22;
    s3 = 33;
    OpenRecordFile();
    ASSERT_NE(rflag, nullptr);
    Record("(KeybrdCmd) %s\n", "h");
    Record("(terminate)\n");
    EXPECT_EQ(ReadFile("dorvels.record002"), "seeds: 11 -22 33\n(KeybrdCmd) h\n(terminate)\n");
    // Existing records are never touched.
    EXPECT_EQ(ReadFile("dorvels.record000"), "old 0\n");
    EXPECT_EQ(ReadFile("dorvels.record001"), "old 1\n");
    CloseRecordFile();
    EXPECT_EQ(rflag, nullptr);
    Record("(KeybrdCmd) x\n");  // not recording: nothing anywhere
    EXPECT_EQ(ReadFile("dorvels.record002"), "seeds: 11 -22 33\n(KeybrdCmd) h\n(terminate)\n");
    EXPECT_EQ(access("dorvels.record003", F_OK), -1);
}

TEST_F(RecordFile, AllNamesTakenWarnsAndStaysOff) {
    for (int n = 0; n < 1000; ++n) {
        char name[32];
        snprintf(name, sizeof name, "dorvels.record%03d", n);
        WriteFile(name, "");
    }
    OpenRecordFile();
    EXPECT_EQ(rflag, nullptr);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0],
              "can't record; 1000 dorvels.record### files already present!\n");
}

TEST_F(RecordFile, OpenRecordFileIsWrittenToTheClubFile) {
    outputfilename = "rec.dorvel";
    OpenRecordFile();
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_NE(ReadFile("rec.dorvel").find("\nRecord\n"), std::string::npos);
}

}  // namespace
