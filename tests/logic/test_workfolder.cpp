// SPDX-License-Identifier: GPL-3.0-or-later
// The working folder of a start: a start with no club named, from a home folder that holds no
// club, works in the program's own folder under the user's data folder; every other start
// stays where it was made.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/workfolder.h"
#include "files/clubfile.h"
#include "support/fixtures.h"

namespace {
class WorkFolder : public Evening {
protected:
    std::string home, saved, oldhome;
    void SetUp() override {
        Evening::SetUp();
        home = EnterNewDir("home", &saved);
        if (const char* h = getenv("HOME")) oldhome = h;
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
    }
    void TearDown() override {
        setenv("HOME", oldhome.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        LeaveDir(saved);
        Evening::TearDown();
    }
    // Starts from `from` with the arguments after the program's name; returns the folder chosen.
    static std::string Start(const std::string& from, std::vector<std::string> args) {
        EXPECT_EQ(chdir(from.c_str()), 0);
        args.insert(args.begin(), "dorvels");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        return ChooseWorkingFolder(static_cast<int>(args.size()), argv.data());
    }
    static std::string Cwd() {
        char buf[PATH_MAX];
        return getcwd(buf, sizeof buf) ? buf : "";
    }
};

TEST_F(WorkFolder, AMenuStartWorksInTheDataFolder) {
    const std::string data = home + "/.local/share/dorvels";
    // Options are no club: the folder is made, private, and the start is a first start there.
    EXPECT_EQ(Start(home, {"-l", "-d", "evening.record000"}), data);
    EXPECT_EQ(Cwd(), data);
    EXPECT_TRUE(FirstStart());
    struct stat st;
    ASSERT_EQ(stat(data.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Once a club is kept there, a start from the menu opens it: no longer a first start.
    WriteFile(data + "/lastdance.dorvels", "hilltop.dorvel\n");
    EXPECT_EQ(Start(home, {}), data);
    EXPECT_FALSE(FirstStart());

    // An absolute XDG_DATA_HOME is followed; a relative one is ignored.
    setenv("XDG_DATA_HOME", (home + "/.xdg").c_str(), 1);
    EXPECT_EQ(Start(home, {}), home + "/.xdg/dorvels");
    EXPECT_TRUE(FirstStart());
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(Start(home, {}), data);
}

TEST_F(WorkFolder, OtherStartsStayWhereTheyAre) {
    ASSERT_EQ(mkdir("clubs", 0755), 0);
    struct Case {
        std::string from;
        std::vector<std::string> args;
        const char* homefile;  // a file in the home folder, or null
    };
    const std::vector<Case> cases = {
        {home, {"hilltop.dorvel"}, nullptr},       // a club named
        {home, {"-r", "Plus", "3", "2"}, nullptr},  // a level and anonymous dancers
        {home + "/clubs", {}, nullptr},             // another folder
        {home, {}, "dorvels.dorvel"},               // the home folder's own club
        {home, {}, "lastdance.dorvels"},
    };
    for (const Case& c : cases) {
        if (c.homefile) WriteFile(home + "/" + c.homefile, "club=Home\n");
        EXPECT_EQ(Start(c.from, c.args), "") << c.from << " " << c.args.size();
        EXPECT_EQ(Cwd(), c.from);
        EXPECT_FALSE(FirstStart());
        if (c.homefile) unlink((home + "/" + c.homefile).c_str());
    }
    EXPECT_NE(access((home + "/.local").c_str(), F_OK), 0) << "no folder made for a start that stays";

    // A data folder that cannot be made: the start stays in the home folder and says so.
    WriteFile(home + "/afile", "");
    setenv("XDG_DATA_HOME", (home + "/afile/data").c_str(), 1);
    EXPECT_EQ(Start(home, {}), "");
    EXPECT_EQ(Cwd(), home);
    EXPECT_NE(TakeClubFileNotice().find(home + "/afile/data/dorvels> for the club files could not be made"),
              std::string::npos);
}
}  // namespace
