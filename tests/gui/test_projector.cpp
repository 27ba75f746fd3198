// The projector window as the operator drives it: D opens it beside the main window, which
// keeps the key focus through every redraw; it shows the club before the first tip, then each
// roll, a history step (marked), u and the font keys, fitted to its own size; keys typed into
// it reach the main window except F11 and Escape, which only switch full-screen; closing it
// ends nothing; the club file keeps the choice.
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

// "name: tag" for every cell, a name of two lines joined as the board joins it.
std::vector<std::string> ProjectorEntries() {
    std::vector<std::string> t = ProjectorTexts(), out;
    for (size_t i = 0; i + 1 < t.size(); ++i) {
        const std::string& tag = t[i + 1];
        if (tag != "Out" && (tag.empty() || tag.find_first_not_of("0123456789") != std::string::npos)) continue;
        std::string n = t[i];
        if (size_t nl = n.find('\n'); nl != std::string::npos)
            n = n.substr(0, nl) + (n[nl + 1] == '+' || n[nl + 1] == '&' ? "" : ":") + n.substr(nl + 1);
        out.push_back(n + ": " + tag);
        ++i;
    }
    return out;
}

std::vector<std::string> BoardEntries() {
    std::vector<std::string> out;
    for (std::string t : BoardTexts()) {
        t.erase(0, t.find_first_not_of(' '));
        size_t colon = t.rfind(": ");
        std::string tag = t.substr(colon + 2);
        out.push_back(t.substr(0, colon) + ": " + tag.substr(tag.find_first_not_of(' ')));
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

    // Closed as a window manager closes it: the evening goes on, the choice is off.
    GdkEvent* close = gdk_event_new(GDK_DELETE);
    close->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(proj)));
    gtk_main_do_event(close);
    gdk_event_free(close);
    EXPECT_EQ(ProjectorWindow(), nullptr);
    EXPECT_NE(sdwin, nullptr);
    Type("Dw");
    ASSERT_NE(ProjectorWindow(), nullptr);
    EXPECT_TRUE(Has("Tip 2"));
    std::vector<std::string> lines = FileLines("club.dorvel");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "projector"), 1);
    Type("Dw");
    EXPECT_EQ(ProjectorWindow(), nullptr);
    lines = FileLines("club.dorvel");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "projector"), 0);
}

}  // namespace
