// SPDX-License-Identifier: GPL-3.0-or-later
// Writing club files: the exact format, the comment block, output names, the pointer and
// reset files, the reset command, and writes that fail.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>

#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_clubfile_util.h"

namespace {

const std::string kHeader =
    "%         PR         INFO       SKIPTIP    SKIPALTTIP M          F          MF         "
    "FM         E          Basic      SSD        Main       Plus       DBD        A1         A2  "
    "       C1         C2         C3A        C3B        C4        \n";

class WriteClub : public ClubFileTest {
protected:
    // Bob and Anna Berg (a Plus couple, Anna with a card), Christopher Zed (Main, absent).
    void MakeRoster() {
        clubname = "The Happy Squares";
        caller = "Ed Ivory";
        pgmfloor = Main;
        askflag = 0;
        outputfilename = "club.dorvel";
        SqrDancer* bob = AddCouple("Bob", "Anna", "Berg", M, Plus);
        bob->priority = MUST;
        bob->dances = 3;
        SqrDancer* anna = bob->partner;
        anna->rfid = 12345;
        RfidInsert(anna);
        SqrDancer* chris = AddDancer("Christopher", "Zed", E, Main);
        chris->avail = 0;
    }
    std::string Expected(int bobdances) {
        return "club=The Happy Squares\n"
               "caller=Ed Ivory\n"
               "pgm=Main\n"
               "noask\n"
               "dispnamestyle=lastname\n" +
               kHeader + "Bob         Berg  m M " + std::to_string(bobdances) +
               " 1 Plus              &        Anna Berg\n"
               "Anna        Berg  f L 0 1 Plus  +0000012345 &         Bob Berg\n"
               "Christopher Zed   e L 0 0 Main             \n";
    }
    // Names of the files in the test folder.
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(WriteClub, ExactFormatWithAndWithoutDanceCounts) {
    MakeRoster();
    ASSERT_TRUE(WriteDorvels(1));
    EXPECT_EQ(ReadFile("club.dorvel"), Expected(3));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "club.dorvel\n");
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("club.dorvel"), Expected(0));
    EXPECT_TRUE(screen::warnings.empty());
}

TEST_F(WriteClub, AllSettingsAndTheCommandCardLine) {
    clubname = "";
    caller = "";
    squaresize = 10;
    scrollerincrchg = -2;
    Rflag = 1;
    Sflag = 1;
    dispnamestyle = FIRSTLI;
    speccard[SPECCARD_SKIP] = 4294967295u;
    outputfilename = "s.dorvel";
    ASSERT_TRUE(WriteDorvels(0));
    std::string cards = "speccard=";
    for (int i = 0; i < SPECCARDQTY - 1; ++i) cards += " 0000000000";
    cards += " 4294967295\n";
    EXPECT_EQ(ReadFile("s.dorvel"), "squaresize=10\nscrollerincrchg=-2\nRfidWarn\nStatistics\n"
                                    "dispnamestyle=firstli\n" + kHeader + cards);
}

TEST_F(WriteClub, LeadingCommentBlockSurvivesByteForByte) {
    MakeRoster();
    const std::string block = "% Club roster\r\n   %\tindented, with a CR above\n%%%\n";
    std::string old = block + "club=Old\n";
    for (int i = 0; i < 200; ++i) old += strprintf("Old%03d Dancer m L 0 1 Basic\n", i);
    WriteFile("club.dorvel", old);
    ASSERT_TRUE(WriteDorvels(0));
    // Everything after the block is the new, shorter content: nothing of the old remains.
    EXPECT_EQ(ReadFile("club.dorvel"), block + Expected(0));
    // Writing again keeps the same block once, not twice.
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("club.dorvel"), block + Expected(0));
}

TEST_F(WriteClub, CommentBlockEndsAtTheFirstOtherLine) {
    MakeRoster();
    WriteFile("club.dorvel", "% top\n\n% after an empty line\nclub=x\n");
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("club.dorvel"), "% top\n" + Expected(0));
    // A file that is all comment without a final line end.
    WriteFile("club.dorvel", "% only a comment");
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("club.dorvel"), "% only a comment\n" + Expected(0));
}

TEST_F(WriteClub, ResetFileLeavesTheClubFileAlone) {
    MakeRoster();
    WriteFile("club.dorvel", "% keep me\nclub=x\n");
    ASSERT_TRUE(WriteDorvels(-1));
    EXPECT_EQ(ReadFile("club.dorvel"), "% keep me\nclub=x\n");
    EXPECT_EQ(ReadFile("club.reset"), Expected(0));  // no comment block, counts 0
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "club.dorvel\n");
}

TEST_F(WriteClub, OutputNames) {
    clubname = "The Happy Squares";
    outputfilename = dfltsavefile;
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "squares.dorvel");
    outputfilename = "club.txt";
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "club.dorvel");
    outputfilename = "club";
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "club.dorvel");
    outputfilename = "my.club.dorvel";
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "my.club.dorvel");
    // Only the file name's extension counts, not a dot in a folder name.
    outputfilename = "../v1.2/club";
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "../v1.2/club.dorvel");
    outputfilename = dfltsavefile;
    clubname = "Twirl/Swirl";  // a club name is not a path
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "twirl_swirl.dorvel");
    outputfilename = "";
    clubname = "";
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "dorvels.dorvel");

    // The evening, season and reset files beside a club file, by one rule: never the club
    // file's own name, nor another club file's companion.
    const struct { const char* club; const char* kind; const char* companion; } companions[] = {
        {"harbor.dorvel", "evening", "harbor.evening"}, {"harbor.dorvel", "season", "harbor.season"},
        {"harbor.dorvel", "reset", "harbor.reset"},     {"winter.season", "season", "winter.season.season"},
        {"club.txt", "reset", "club.txt.reset"},         {"v1.2/club", "evening", "v1.2/club.evening"},
        {"dir/.dorvel", "season", "dir/.dorvel.season"}, {"a.dorvel.dorvel", "reset", "a.dorvel.reset"},
    };
    for (const auto& c : companions) EXPECT_EQ(CompanionFile(c.club, c.kind), c.companion) << c.club;
}

TEST_F(WriteClub, DefaultFileWithAClubLineIsWrittenUnderTheClubName) {
    outputfilename = dfltsavefile;
    ReadText("club=The Happy Squares\nAnn Ash m L 0 1 Basic\n");
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_NE(ReadFile("squares.dorvel").find("Ann Ash"), std::string::npos);
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "squares.dorvel\n");
}

TEST_F(WriteClub, NothingWithoutAnOutputName) {
    MakeRoster();
    outputfilename.clear();
    EXPECT_FALSE(WriteDorvels(0));
    EXPECT_TRUE(Files().empty());
    EXPECT_TRUE(screen::warnings.empty());
}

TEST_F(WriteClub, OutputNameNamesTheFile) {
    MakeRoster();
    outputfilename = "chosen.dorvel";
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("chosen.dorvel"), Expected(0));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "chosen.dorvel\n");
    outputfilename = " blank first";
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("dorvels.dorvel"), Expected(0));
}

TEST_F(WriteClub, NamesAreWrittenAsSingleWords) {
    outputfilename = "w.dorvel";
    SqrDancer* sd = AddDancer("Mary Ann", "Van Dyke", F);
    SqrDancer* empty = AddDancer("", "Nobody", M);
    empty->partner = empty;  // a self-link is dropped, never written
    (void)sd;
    ASSERT_TRUE(WriteDorvels(0));
    ClearDancers();
    FILE* fp = fopen("w.dorvel", "r");
    ASSERT_NE(fp, nullptr);
    ReadDorvels(fp);
    fclose(fp);
    ASSERT_NE(Find("Mary_Ann Van_Dyke"), nullptr);
    EXPECT_EQ(Find("Mary_Ann Van_Dyke")->sex, F);
    ASSERT_NE(Find("_ Nobody"), nullptr);
    EXPECT_EQ(Find("_ Nobody")->partner, nullptr);
}

TEST_F(WriteClub, FileModeAndSymbolicLinkAreKept) {
    MakeRoster();
    WriteFile("real.dorvel", "% real\n");
    ASSERT_EQ(chmod("real.dorvel", 0640), 0);
    ASSERT_EQ(symlink("real.dorvel", "club.dorvel"), 0);
    ASSERT_TRUE(WriteDorvels(0));
    struct stat st;
    ASSERT_EQ(lstat("club.dorvel", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat("real.dorvel", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile("real.dorvel"), "% real\n" + Expected(0));
}

// ---- writes that fail -------------------------------------------------------------------

TEST_F(WriteClub, FolderThatIsAFileFailsAndKeepsTheRoster) {
    MakeRoster();
    WriteFile("plainfile", "x");
    outputfilename = "plainfile/club.dorvel";
    EXPECT_FALSE(WriteDorvels(0));
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "unable to write <plainfile/club.dorvel>: Not a directory");
    EXPECT_EQ(RosterCount(), 3);
    EXPECT_EQ(ReadFile("plainfile"), "x");
    // The pointer file never names a club file that could not be written.
    EXPECT_EQ(access("lastdance.dorvels", F_OK), -1);
}

TEST_F(WriteClub, ReadOnlyFolderOrFileIsLeftByteIdentical) {
    MakeRoster();
    ASSERT_EQ(mkdir("ro", 0755), 0);
    const std::string old = "% old\nclub=Old\nOld Dancer m L 4 1 Basic\n";
    WriteFile("ro/club.dorvel", old);
    ASSERT_EQ(chmod("ro", 0555), 0);
    outputfilename = "ro/club.dorvel";
    EXPECT_FALSE(WriteDorvels(1));
    EXPECT_EQ(ReadFile("ro/club.dorvel"), old);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "unable to write <ro/club.dorvel>: Permission denied");
    ASSERT_EQ(chmod("ro", 0755), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("ro"),
                            std::filesystem::directory_iterator()), 1);

    // A read-only club file in a writable folder is not replaced either.
    ASSERT_EQ(chmod("ro/club.dorvel", 0444), 0);
    EXPECT_FALSE(WriteDorvels(1));
    EXPECT_EQ(ReadFile("ro/club.dorvel"), old);
    EXPECT_EQ(RosterCount(), 3);
}

TEST_F(WriteClub, FileSizeLimitMidWriteLeavesTheOldFile) {
    // A roster far larger than the limit, so that the write fails part way.
    outputfilename = "big.dorvel";
    for (int i = 0; i < 2000; ++i) AddDancer(strprintf("First%04d", i), strprintf("Dancer%04d", i), M);
    const std::string old = "% old club\nclub=Old\nOld Dancer m L 0 1 Basic\n";
    WriteFile("big.dorvel", old);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &rl);
        bool ok = WriteDorvels(0);
        int code = ok ? 10
                   : screen::warnings.size() != 1 ? 11
                   : screen::warnings[0] != "unable to write <big.dorvel>: File too large" ? 12
                   : RosterCount() != 2000 ? 13 : 0;
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile("big.dorvel"), old);
    // No temporary file is left behind, and no pointer file was written.
    EXPECT_EQ(Files(), std::vector<std::string>{"big.dorvel"});
    // Without the limit the same write succeeds.
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_NE(ReadFile("big.dorvel").find("First1999"), std::string::npos);
}

// ---- the reset command ------------------------------------------------------------------

class ResetCommand : public WriteClub {
protected:
    void SetUp() override {
        WriteClub::SetUp();
        MakeRoster();
        inputfilename = "club.dorvel";
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    }
};

TEST_F(ResetCommand, NobodyPresentYesWritesTheResetFile) {
    screen::resetanswer = 1;
    ResetB();
    EXPECT_EQ(screen::resetasked, 1);
    EXPECT_NE(ReadFile("club.reset").find("Christopher Zed"), std::string::npos);
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(screen::switches, std::vector<EDITMODE>{PRESENT});
    EXPECT_EQ(RosterCount(), 3);
}

TEST_F(ResetCommand, NobodyPresentCancelDoesNothing) {
    screen::resetanswer = 0;
    ResetB();
    EXPECT_EQ(screen::resetasked, 1);
    EXPECT_EQ(access("club.reset", F_OK), -1);
    EXPECT_TRUE(screen::switches.empty());
    EXPECT_EQ(RosterCount(), 3);
}

TEST_F(ResetCommand, WithDancersPresentTheRosterComesBackFromTheResetFile) {
    ASSERT_TRUE(WriteDorvels(-1));
    // The evening goes on: two arrive, one is added, a card is given.
    Find("Bob Berg")->avail = 1;
    Find("Christopher Zed")->avail = 1;
    Find("Christopher Zed")->dances = 4;
    AddDancer("Late", "Comer", F);
    ResetB();
    EXPECT_EQ(screen::resetasked, 0);
    ASSERT_EQ(RosterCount(), 3);
    EXPECT_EQ(Find("Late Comer"), nullptr);
    EXPECT_EQ(Find("Bob Berg")->avail, 0);
    EXPECT_EQ(Find("Christopher Zed")->avail, 0);
    EXPECT_EQ(Find("Christopher Zed")->dances, 0);
    EXPECT_EQ(Find("Bob Berg")->partner, Find("Anna Berg"));
    EXPECT_EQ(RfidFind(12345), Find("Anna Berg"));
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(screen::switches, std::vector<EDITMODE>{PRESENT});
}

TEST_F(ResetCommand, NoAnswerResetsToo) {
    ASSERT_TRUE(WriteDorvels(-1));
    AddDancer("Late", "Comer", F)->avail = 0;
    screen::resetanswer = 2;
    ResetB();
    EXPECT_EQ(screen::resetasked, 1);
    EXPECT_EQ(RosterCount(), 3);
    EXPECT_EQ(Find("Late Comer"), nullptr);
}

TEST_F(ResetCommand, MissingResetFileKeepsTheRoster) {
    Find("Bob Berg")->avail = 1;
    ResetB();
    EXPECT_EQ(RosterCount(), 3);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0],
              "unable to read reset file <club.reset>: No such file or directory");
}

TEST_F(ResetCommand, WithoutAClubFileTheRosterIsCleared) {
    inputfilename.clear();
    Find("Bob Berg")->avail = 1;
    ResetB();
    EXPECT_EQ(RosterCount(), 0);
    EXPECT_EQ(editmode, PRESENT);
}

TEST_F(ResetCommand, ResetFileOfTheClubNameIsFoundForTheDefaultFile) {
    // Read as dorvels.dorvel, written under the club name: the reset file written is the
    // one read back.
    inputfilename = "dorvels.dorvel";
    outputfilename = dfltsavefile;
    ASSERT_TRUE(WriteDorvels(-1));
    EXPECT_EQ(access("squares.reset", F_OK), 0);
    Find("Bob Berg")->avail = 1;
    AddDancer("Late", "Comer", F);
    ResetB();
    EXPECT_EQ(RosterCount(), 3);
    EXPECT_EQ(Find("Late Comer"), nullptr);
}

}  // namespace
