// SPDX-License-Identifier: GPL-3.0-or-later
// The projector window as the operator drives it: D opens it beside the main window, which
// keeps the key focus through every redraw; it shows the club before the first tip, then each
// roll, a history step (marked), u and the font keys, fitted to its own size; keys typed into
// it reach the main window except F11 and Escape, which only switch full-screen. (Closing it
// and the club file that opens it again: tests/cli/projector.sh.)
#include <gtest/gtest.h>

#include <algorithm>

#include "display/projector.h"
#include "registry/registry.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

using Projector = ClubWindow;

bool Has(const std::string& text) {
    std::vector<std::string> t = ProjectorTexts();
    return std::find(t.begin(), t.end(), text) != t.end();
}

bool Tag(const std::string& t) { return t == "Out" || (!t.empty() && t.find_first_not_of("0123456789") == std::string::npos); }

// "name: tag" of every cell, two lines joined as the board joins them.
std::vector<std::string> ProjectorEntries() {
    std::vector<std::string> t = ProjectorTexts(), out;
    for (size_t i = 1; i < t.size(); ++i) {
        std::string n = t[i - 1];
        if (size_t nl = n.find('\n'); nl != std::string::npos) n.replace(nl, 1, n[nl + 1] == '+' || n[nl + 1] == '&' ? "" : ":");
        if (Tag(t[i]) && !Tag(n)) out.push_back(n + ": " + t[i]);
    }
    return out;
}

// Whether the window has the key focus, once the X server has said where the focus is.
bool Active(GtkWidget* w) {
    for (int i = 0; i < 100 && !gtk_window_is_active(GTK_WINDOW(w)); ++i) {
        gdk_display_sync(gdk_display_get_default());
        Pump();
        g_usleep(10000);
    }
    return gtk_window_is_active(GTK_WINDOW(w));
}

TEST_F(Projector, FollowsTheTipsWhileTheMainWindowKeepsTheKeys) {
    clubname = "Hilltop";
    gtk_window_present(GTK_WINDOW(sdwin));
    ASSERT_TRUE(Active(sdwin));
    Type("D");
    GtkWidget* proj = ProjectorWindow();
    ASSERT_NE(proj, nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(proj));
    EXPECT_TRUE(Has("Hilltop") && Has("Squares will follow"));

    Type("rrr");
    EXPECT_TRUE(Has("Tip 3") && !Has("History"));
    EXPECT_EQ(ProjectorEntries(), BoardEntries());
    Type("hh");
    EXPECT_TRUE(Has("Tip 2") && Has("History"));
    EXPECT_EQ(ProjectorEntries(), BoardEntries());
    Type("u");
    EXPECT_TRUE(Has("Tip 2") && !Has("History"));
    EXPECT_FALSE(Has("Tip 3"));
    int px = ProjectorFacts().fontpx;
    Type("-");
    EXPECT_LT(ProjectorFacts().fontpx, px);
    Type("+");
    EXPECT_EQ(ProjectorFacts().fontpx, px);
    gtk_window_resize(GTK_WINDOW(proj), 800, 600);
    for (int i = 0; i < 100 && ProjectorFacts().width != 800; ++i) Active(proj);
    EXPECT_EQ(ProjectorFacts().width, gtk_widget_get_allocated_width(proj));
    EXPECT_TRUE(Active(sdwin) && !gtk_window_is_active(GTK_WINDOW(proj)));

    // Typed into the projector window (the operator clicked it): a card checks its dancer out;
    // F11 and Escape switch full-screen and never end the evening.
    SqrDancer* sd = sdhd;
    sd->rfid = 4100000001;
    RfidInsert(sd);
    QueueKeys(proj, "4100000001\r");
    Pump();
    EXPECT_EQ(sd->avail, 0);
    TypeTo(proj, "\x1b");
    SendKeyTo(proj, GDK_KEY_F11, "");
    EXPECT_TRUE(ProjectorFullscreen());
    TypeTo(proj, "\x1b\x1b");
    EXPECT_FALSE(ProjectorFullscreen());
    EXPECT_NE(sdwin, nullptr);

    // D closes it, and the club file no longer opens it.
    Type("Dw");
    EXPECT_EQ(ProjectorWindow(), nullptr);
    std::vector<std::string> lines = FileLines("club.dorvel");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "projector"), 0);
}

}  // namespace
