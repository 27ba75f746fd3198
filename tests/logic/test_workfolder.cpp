// SPDX-License-Identifier: GPL-3.0-or-later
// The working folder of a start: only a start with no club named, from a home folder that
// holds no club, moves to the program's folder under the user's data folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/workfolder.h"
#include "files/clubfile.h"
#include "support/fixtures.h"

TEST(WorkFolder, OnlyAMenuStartFromAHomeWithoutClubMoves) {
    std::string saved, oldhome = getenv("HOME") ? getenv("HOME") : "";
    const std::string home = EnterNewDir("home", &saved), data = home + "/.local/share/dorvels";
    setenv("HOME", home.c_str(), 1);
    std::filesystem::create_directory("clubs");
    WriteFile(home + "/afile", "");
    // From, arguments, a club file of the home folder's own (or ""), XDG_DATA_HOME, the folder
    // worked in. A relative XDG_DATA_HOME is ignored; a folder that cannot be made leaves the
    // start in the home folder, and says so.
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::string, std::string, std::string>> cases = {
        {home, {"hilltop.dorvel"}, "", "relative", home},
        {home + "/clubs", {}, "", "relative", home + "/clubs"},
        {home, {}, "lastdance.dorvels", "relative", home},
        {home, {"-l", "-d", "evening.record000"}, "", "relative", data},  // options name no club
        {home, {}, "", home + "/afile", home},
    };
    for (auto [from, args, homefile, xdg, folder] : cases) {
        if (!homefile.empty()) WriteFile(home + "/" + homefile, "club=Home\n");
        setenv("XDG_DATA_HOME", xdg.c_str(), 1);
        ASSERT_EQ(chdir(from.c_str()), 0);
        args.insert(args.begin(), "dorvels");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        EXPECT_EQ(ChooseWorkingFolder(static_cast<int>(argv.size()), argv.data()), folder == from ? "" : folder);
        EXPECT_EQ(std::filesystem::current_path(), folder);
        EXPECT_EQ(FirstStart(), folder == data);
        const std::string said = TakeClubFileNotice();
        EXPECT_EQ(said.find("<" + xdg + "/dorvels> for the club files could not be made") != std::string::npos, xdg[0] == '/');
        if (!homefile.empty()) unlink((home + "/" + homefile).c_str());
    }
    setenv("HOME", oldhome.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    LeaveDir(saved);
}
