// SPDX-License-Identifier: GPL-3.0-or-later
// The first start from the desktop's menu, in a home folder with no club: the setup dialog
// greets and offers the bundled sample club or a new club; what each answer leaves behind,
// and that nothing lands in the home folder itself.
#include <gtk/gtk.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/startup.h"
#include "core/workfolder.h"
#include "dialogs/setup.h"
#include "files/clubfile.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {
GtkWidget* Bttn(const char* label) {
    return sdnew ? Find(sdnew, [label](GtkWidget* b) {
        return GTK_IS_BUTTON(b) && g_strcmp0(gtk_button_get_label(GTK_BUTTON(b)), label) == 0;
    })
                 : nullptr;
}

// The names in a folder that are not hidden.
std::vector<std::string> Visible(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

// Started as the menu starts it: no argument, in the home folder (the test's scratch folder).
class FirstStartTest : public KeysWindow {
protected:
    std::string oldhome, data;
    void SetUp() override {
        KeysWindow::SetUp();
        if (const char* h = getenv("HOME")) oldhome = h;
        setenv("HOME", dir.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        unsetenv("DORVELS");
        char prog[] = "dorvels";
        char* argv[] = {prog, nullptr};
        data = ChooseWorkingFolder(1, argv);
        StartupArguments(1, argv);
        StartupFinish();
        FirstStartFinish();
        SwitchDisplay(EDIT);
        SetupDisplay(SETUP);  // as the start does with no roster
        Pump();
    }
    void TearDown() override {
        setenv("HOME", oldhome.c_str(), 1);
        KeysWindow::TearDown();
    }
};

TEST_F(FirstStartTest, TheSampleClubIsOpenedAndKeptInTheDataFolder) {
    ASSERT_EQ(data, dir + "/.local/share/dorvels");
    ASSERT_TRUE(SetupOpen());
    ASSERT_TRUE(ClickButton(Bttn("Open the Sample Club")));
    EXPECT_FALSE(SetupOpen());
    EXPECT_EQ(editmode, EDIT);
    EXPECT_EQ(Title(), "The Merry Muddle Squares' Main Square Dance with Wendell Whistlebritches calling");
    EXPECT_FALSE(FirstStart());
    ASSERT_TRUE(TerminateEvening(1));
    // The next start from the menu opens it: the club and the pointer file in the data folder.
    EXPECT_NE(ReadFile(data + "/sample.dorvel").find("club=The Merry Muddle Squares"), std::string::npos);
    EXPECT_EQ(ReadFile(data + "/lastdance.dorvels"), "sample.dorvel\n");
    EXPECT_EQ(Visible(dir), std::vector<std::string>{});
}

TEST_F(FirstStartTest, ANewClubLeavesNothingUntilEntered) {
    ASSERT_TRUE(ClickButton(Bttn("Start a New Club")));
    EXPECT_TRUE(SetupOpen()) << "the dialog stays for the club's name";
    EXPECT_EQ(Bttn("Open the Sample Club"), nullptr) << "the greeting is answered";
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(sdnew)), clubname_entry);
    ASSERT_TRUE(ClickButton(Bttn("Cancel")));
    ASSERT_TRUE(TerminateEvening(1));
    EXPECT_EQ(Visible(data), std::vector<std::string>{}) << "an empty club closed unentered is not written";
    EXPECT_EQ(Visible(dir), std::vector<std::string>{});
}
}  // namespace
