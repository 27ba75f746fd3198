// SPDX-License-Identifier: GPL-3.0-or-later
// The first start from the desktop's menu, in a home folder with no club: the setup dialog
// greets, its sample club is opened and kept in the data folder, nothing in the home folder.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/startup.h"
#include "core/workfolder.h"
#include "dialogs/setup.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

TEST_F(KeysWindow, FirstStartOpensTheSampleClubInTheDataFolder) {
    std::string oldhome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", dir.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    char prog[] = "dorvels";
    char* argv[] = {prog, nullptr};
    const std::string data = ChooseWorkingFolder(1, argv);  // as the menu starts it
    StartupArguments(1, argv);
    StartupFinish();
    FirstStartFinish();
    SwitchDisplay(EDIT);
    SetupDisplay(SETUP);
    Pump();
    auto bttn = [](const char* label) {
        return Find(sdnew, [label](GtkWidget* b) {
            return GTK_IS_BUTTON(b) && g_strcmp0(gtk_button_get_label(GTK_BUTTON(b)), label) == 0;
        });
    };
    ASSERT_EQ(data, dir + "/.local/share/dorvels");
    ASSERT_NE(bttn("Start a New Club"), nullptr);
    ASSERT_TRUE(ClickButton(bttn("Open the Sample Club")));
    EXPECT_FALSE(SetupOpen());
    EXPECT_EQ(Title(), "The Merry Muddle Squares' Main Square Dance with Wendell Whistlebritches calling");
    EXPECT_FALSE(FirstStart());
    ASSERT_TRUE(TerminateEvening(1));
    // The next start from the menu opens it: the club and the pointer file in the data folder.
    EXPECT_NE(ReadFile(data + "/sample.dorvel").find("club=The Merry Muddle Squares"), std::string::npos);
    EXPECT_EQ(ReadFile(data + "/lastdance.dorvels"), "sample.dorvel\n");
    for (const auto& e : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string()[0], '.') << e.path() << " in the home folder";
    setenv("HOME", oldhome.c_str(), 1);
}
