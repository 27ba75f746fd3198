// The whole evening in one process: start-up reads a hand-made club file named on the
// command line, the real main window runs, and closing the window writes the club back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/startup.h"
#include "registry/registry.h"
#include "test_window_helpers.h"

namespace {
class EveningEnd : public Screen {
protected:
    std::string home;
    void SetUp() override {
        Screen::SetUp();
        EnterNewDir("evening-end", &home);
    }
    void TearDown() override {
        LeaveDir(home);
        Screen::TearDown();
    }
};

const char* kHandMade =
    "% The Hilltop Squares, kept by hand.\n"
    "%   second comment line\n"
    "club=Hilltop Squares\n"
    "caller=Joe\n"
    "pgm=Plus\n"
    "Ann  Smith f L 4 1 Plus +0000000042 & Bob Smith\n"
    "Bob  Smith m L 4 1 Plus             & Ann Smith\n"
    "Cy   Jones m M 2 a    A1\n"
    "Di   Lane  f L 7 0    plus\n"
    "Ed   Moss  e L 1 1    Plus\n"
    "Fay  Moss  e L 1 1    Plus\n"
    "Gus  Holt  m L 0 1    Plus\n"
    "Hal  Holt  f L 0 1    Plus\n";

gboolean CloseMainWindow(gpointer) {
    if (sdwin) gtk_window_close(GTK_WINDOW(sdwin));  // as the window manager's close button
    return G_SOURCE_REMOVE;
}
}  // namespace

TEST_F(EveningEnd, ClosingTheWindowWritesTheClubBack) {
    WriteFile("myclub.dorvel", kHandMade);
    std::string a0 = "dorvels", a1 = "myclub.dorvel", a2 = "1024x768";
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    StartupArguments(3, argv);
    ASSERT_EQ(RosterCount(), 8);
    EXPECT_EQ(outputfilename, "myclub.dorvel");
    SetupResolutionList();
    StartupFinish();

    g_timeout_add(300, CloseMainWindow, nullptr);
    RunDisplay();  // returns when the window's "destroy" has ended the main loop
    EXPECT_EQ(sdwin, nullptr);

    std::string out = ReadFile("myclub.dorvel");
    EXPECT_EQ(out.rfind("% The Hilltop Squares, kept by hand.\n%   second comment line\nclub=Hilltop Squares\n", 0), 0u)
        << out;
    EXPECT_NE(out.find("caller=Joe\npgm=Plus\n"), std::string::npos);
    // Every dance count written as 0; presence, cards, priorities and partners kept.
    EXPECT_NE(out.find("Ann Smith  f L 0 1 Plus  +0000000042 & Bob Smith\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Cy  Jones  m M 0 1 A1   "), std::string::npos) << out;
    EXPECT_NE(out.find("Di  Lane   f L 0 0 Plus "), std::string::npos) << out;
    EXPECT_EQ(out.find(" L 4 "), std::string::npos);
    EXPECT_EQ(out.find(" L 7 "), std::string::npos);
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "myclub.dorvel\n");
}
