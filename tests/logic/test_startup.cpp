// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up from the command line: options, the choice of the club file, anonymous dancers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/startup.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/helmtext.h"

namespace {
// Runs the argument scan in a fresh folder of its own.
class Startup : public Evening {
protected:
    std::string dir, home;
    void SetUp() override {
        Evening::SetUp();
        dir = EnterNewDir("startup", &home);
        unsetenv("DORVELS");
    }
    void TearDown() override {
        LeaveDir(home);
        Evening::TearDown();
    }
    void Run(std::vector<std::string> args) {
        args.insert(args.begin(), "dorvels");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        StartupArguments(static_cast<int>(args.size()), argv.data());
    }
    static std::vector<std::string> LastNames() {
        std::vector<std::string> v;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) v.push_back(sd->lastname);
        return v;
    }
};

const char* kClubA = "club=The Happy Squares\ncaller=Pat\nAnn Able f L 0 1 Basic\nBob Able m L 0 1 Basic\n";
const char* kClubB = "club=Other\nCid Bee m L 0 1 Basic\n";
}  // namespace

TEST_F(Startup, AnonymousDancersFromNumbers) {
    Run({"3", "2", "1"});
    EXPECT_EQ(RosterCount(), 3 * 2 + 2 + 1);
    EXPECT_EQ(anoncounts[5], 3);
    EXPECT_EQ(anoncounts[M], 2);
    EXPECT_EQ(anoncounts[F], 1);
    EXPECT_EQ(sdtl->lastname, "Sngl#006");
    EXPECT_EQ(sdtl->sex, F);
    EXPECT_EQ(pgmfloor, Basic);
    EXPECT_EQ(caller, "None");
    EXPECT_EQ(clubname, "None");
}

TEST_F(Startup, LevelsRestartTheCountAndSetTheFloor) {
    Run({"Plus", "3", "A2", "2"});
    EXPECT_EQ(anoncounts[5], 5);
    EXPECT_EQ(pgmfloor, A2);
    int plus = 0, a2 = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        EXPECT_TRUE(sd->partner);
        (sd->pgm == Plus ? plus : a2) += sd->pgm == Plus || sd->pgm == A2;
    }
    EXPECT_EQ(plus, 6);
    EXPECT_EQ(a2, 4);
}

TEST_F(Startup, MaxsqrWindowSizeAndOptions) {
    Run({"-l", "-dreplay.rec", "maxsqr", "=4", "1024x768"});
    EXPECT_EQ(maxsquares, 4);
    EXPECT_EQ(reqW, 1024);
    EXPECT_EQ(reqH, 768);
    EXPECT_EQ(lflag, 0);
    EXPECT_EQ(dbgfile, "replay.rec");
    EXPECT_EQ(sdhd, nullptr);  // 1024x768 is a size, not 1024 couples
    ResetEvening();
    Run({"-d", "other.rec", "maxsqr"});
    EXPECT_EQ(maxsquares, 0);
    EXPECT_EQ(dbgfile, "other.rec");
    ResetEvening();
    Run({"-z", "2"});
    EXPECT_EQ(lasterror, "(main) -z not supported\n");
    EXPECT_EQ(anoncounts[5], 2);  // the unknown option is passed over, the scan goes on
}

TEST_F(Startup, MixingOptionWinsOverTheClubFile) {
    WriteFile("mixing.dorvel", "club=Mixers\nmix\nAnn Able f L 0 1 Basic\n");
    WriteFile("plain.dorvel", kClubB);
    Run({"mixing"});
    EXPECT_EQ(mixflag, 1);
    ResetEvening();
    Run({"-M", "mixing"});
    EXPECT_EQ(mixflag, 0);
    ResetEvening();
    Run({"-m", "plain"});
    EXPECT_EQ(mixflag, 1);
    ResetEvening();
    Run({"plain"});
    EXPECT_EQ(mixflag, 0);
}

TEST_F(Startup, PointerFileChoosesTheClub) {
    WriteFile("a.dorvel", kClubA);
    WriteFile("dorvels.dorvel", kClubB);
    WriteFile("lastdance.dorvels", "a.dorvel\n");
    Run({});
    EXPECT_EQ(LastNames(), (std::vector<std::string>{"Able", "Able"}));
    EXPECT_EQ(inputfilename, "a.dorvel");
    // The file read is the file written, whatever its club is called.
    EXPECT_EQ(outputfilename, "a.dorvel");

    // -l ignores the pointer file; the default file is read.
    ResetEvening();
    Run({"-l"});
    EXPECT_EQ(LastNames(), (std::vector<std::string>{"Bee"}));
    EXPECT_EQ(inputfilename, "dorvels.dorvel");

    // A pointer file naming a missing club reads nothing, not even the default file.
    ResetEvening();
    WriteFile("lastdance.dorvels", "gone.dorvel\n");
    Run({});
    EXPECT_EQ(sdhd, nullptr);
}

TEST_F(Startup, ClubNamedOnTheCommandLine) {
    WriteFile("myclub.txt", kClubA);
    WriteFile("dorvels.dorvel", kClubB);
    Run({"myclub.txt"});
    EXPECT_EQ(LastNames(), (std::vector<std::string>{"Able", "Able"}));
    EXPECT_EQ(inputfilename, "myclub.txt");
    EXPECT_EQ(outputfilename, "myclub.txt");
    EXPECT_EQ(caller, "Pat");

    // A club that cannot be opened starts a new one; the default file is still read.
    // A path names a club file as well.
    ResetEvening();
    Run({dir + "/myclub.txt"});
    EXPECT_EQ(inputfilename, dir + "/myclub.txt");
    EXPECT_EQ(outputfilename, dir + "/myclub.txt");
    EXPECT_EQ(RosterCount(), 2);

    ResetEvening();
    Run({"newclub.x"});
    EXPECT_EQ(LastNames(), (std::vector<std::string>{"Bee"}));
    EXPECT_EQ(clubname, "Other");

    ResetEvening();
    unlink("dorvels.dorvel");
    Run({"Fresh_Club"});
    EXPECT_EQ(sdhd, nullptr);
    EXPECT_EQ(clubname, "Fresh_Club");
    EXPECT_EQ(outputfilename, "fresh_club.dorvel");

    // A name in any letters, or beginning with no letter, is a club file like any other; one
    // that is not there is said, never passed over.
    for (std::string name : {"\xC3\x9C" "bung.dorvel", "_club.dorvel", "2nd-club.dorvel"}) {
        SCOPED_TRACE(name);
        WriteFile(name, kClubA);
        ResetEvening();
        Run({name});
        EXPECT_EQ(inputfilename, name);
        EXPECT_EQ(RosterCount(), 2);
        ResetEvening();
        unlink(name.c_str());
        Run({name});
        EXPECT_NE(TakeClubFileNotice().find("No club file <" + name + "> was found"), std::string::npos);
    }
}

TEST_F(Startup, TheSampleClubIsWrittenBackInTheWorkingDirectory) {
    // Found in the program's data folder, not in the working directory: reading it is fine,
    // writing over the shipped copy is not.
    Run({"sample"});
    ASSERT_NE(sdhd, nullptr);
    EXPECT_TRUE(InDataFolder(inputfilename)) << inputfilename;
    EXPECT_EQ(outputfilename, "sample.dorvel");
    // A club of the operator's own, named with its folder, keeps its place.
    ResetEvening();
    WriteFile("own.dorvel", kClubA);
    Run({dir + "/own"});
    EXPECT_FALSE(InDataFolder(inputfilename));
    EXPECT_EQ(outputfilename, dir + "/own.dorvel");
}

TEST_F(Startup, SeedsAreChosenAndRecorded) {
    Run({"2"});
    StartupFinish();
    EXPECT_EQ(initial_s1, 0);
    EXPECT_FALSE(s1 == 0 && s2 == 0 && s3 == 0);
    // Sorted by name after start-up.
    for (SqrDancer* sd = sdhd; sd && sd->nxt; sd = sd->nxt) EXPECT_LE(DancerCmp(sd, sd->nxt), 0);
}

TEST_F(Startup, TraceOptionsLeaveTheScanAlone) {
    std::string a0 = "dorvels", a1 = "--trace=2", a2 = "-l", a3 = "--tracefile=" + dir + "/t.log", a4 = "3";
    char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), nullptr};
    int argc = 5;
    initdbg(&argc, argv);
    EXPECT_EQ(argc, 3);
    EXPECT_STREQ(argv[1], "-l");
    EXPECT_STREQ(argv[2], "3");
    EXPECT_TRUE(dbgtst(2));
    EXPECT_FALSE(dbgtst(3));
    DPRINTF(1, "(Startup) traced line %d\n", 7);
    setdbglevel(0);
    EXPECT_FALSE(dbgtst(1));
    StartupArguments(argc, argv);
    EXPECT_EQ(lflag, 0);
    EXPECT_EQ(anoncounts[5], 3);
    EXPECT_NE(ReadFile(dir + "/t.log").find("(Startup) traced line 7"), std::string::npos);
}

TEST_F(Startup, TerminateWritesAsAsked) {
    WriteFile("club.dorvel", kClubA);
    Run({"club.dorvel"});
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 3;
    EXPECT_TRUE(TerminateEvening(2));  // keeps the counts
    std::string kept = ReadFile("club.dorvel");
    EXPECT_NE(kept.find(" L 3 1 "), std::string::npos);
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "club.dorvel\n");
    EXPECT_TRUE(TerminateEvening(1));  // counts written as 0
    std::string zeroed = ReadFile("club.dorvel");
    EXPECT_EQ(zeroed.find(" L 3 1 "), std::string::npos);
    EXPECT_NE(zeroed.find(" L 0 1 "), std::string::npos);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 5;
    EXPECT_TRUE(TerminateEvening(0));  // no writing
    EXPECT_EQ(ReadFile("club.dorvel"), zeroed);
}
