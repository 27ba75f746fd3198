// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: titles, spacings, colours, the roster check before a switch, cleanup,
// the window's size, and the screen services the logic asks for.
#include <gtest/gtest.h>

#include "registry/registry.h"
#include "test_window_helpers.h"

using WindowTest = Screen;

TEST_F(WindowTest, TitleNamesClubLevelCallerAndTip) {
    clubname = "Hilltop";
    caller = "Joe";
    pgmfloor = Plus;
    tipcnt = 3;
    EXPECT_EQ(WinTitle(nullptr), "Hilltop's Plus Square Dance with Joe calling tip#3");

    pgmfloor = Basic;
    tipcnt = 0;
    EXPECT_EQ(WinTitle(nullptr), "Hilltop's Square Dance with Joe calling");
    EXPECT_EQ(WinTitle(" Setup"), "Hilltop's Square Dance Setup with Joe calling");

    clubname = "Swans";
    EXPECT_EQ(WinTitle(nullptr), "Swans' Square Dance with Joe calling");
    clubname = "SWANS";  // only a lower-case s takes the bare apostrophe
    EXPECT_EQ(WinTitle(nullptr), "SWANS's Square Dance with Joe calling");

    // The title lands on the window itself.
    GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    SetWinTitle(win, nullptr);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(win)), "SWANS's Square Dance with Joe calling");
    gtk_widget_destroy(win);
    SetWinTitle(nullptr, nullptr);  // no window: nothing happens
}

TEST_F(WindowTest, TitlePrefixesFollowTheMode) {
    clubname = "Hilltop";
    caller = "Joe";
    tipcnt = 4;
    editmode = PRESENT;
    EXPECT_EQ(WinTitle(nullptr), "PRESENT : Hilltop's Square Dance with Joe calling tip#4");

    History h;
    h.tipcnt = 2;
    hist = &h;
    editmode = HISTORY;
    EXPECT_EQ(WinTitle(nullptr), "HISTORY : Hilltop's Square Dance with Joe calling tip#2");
    prehistory = 1;
    EXPECT_EQ(WinTitle(nullptr), "PREHISTORY : Hilltop's Square Dance with Joe calling tip#2");
    hist = nullptr;
    prehistory = 0;
}

TEST_F(WindowTest, MissingCallerAndClubReadNone) {
    caller.clear();
    clubname.clear();
    EXPECT_EQ(WinTitle(nullptr), "none's Square Dance with none calling");
    EXPECT_EQ(caller, "none");
    EXPECT_EQ(clubname, "none");
}

TEST_F(WindowTest, SpacingsScaleWithTheSetAndNeverReachZero) {
    Resolution r;
    res = &r;
    r.sf = 0.04;
    SetSpacing();
    EXPECT_EQ(sp25, 1);
    EXPECT_EQ(sp10, 1);
    EXPECT_EQ(sp5, 1);
    EXPECT_EQ(sp2, 1);
    r.sf = 1.3;
    SetSpacing();
    EXPECT_EQ(sp25, 33);
    EXPECT_EQ(sp10, 13);
    EXPECT_EQ(sp5, 7);
    EXPECT_EQ(sp2, 3);
    EXPECT_EQ(sp1, 1);
    EXPECT_EQ(sp4, 1);
    res = nullptr;
    SetSpacing();  // no set: unchanged
    EXPECT_EQ(sp10, 13);
}

TEST_F(WindowTest, ColourTable) {
    auto hex = [](const GdkRGBA& c) {
        return strprintf("#%02x%02x%02x", (int)(c.red * 255 + .5), (int)(c.green * 255 + .5),
                         (int)(c.blue * 255 + .5));
    };
    EXPECT_EQ(hex(sqrcolor[COLOR_squares1]), "#fffff0");
    EXPECT_EQ(hex(sqrcolor[COLOR_squares2]), "#90ee90");
    EXPECT_EQ(hex(sqrcolor[COLOR_warning]), "#ff0000");
    EXPECT_EQ(hex(sqrcolor[COLOR_note]), "#0088ff");
    EXPECT_EQ(hex(sqrcolor[COLOR_present]), "#70d0ff");
    EXPECT_EQ(hex(sqrcolor[COLOR_history]), "#ff7f00");
    EXPECT_EQ(hex(sqrcolor[COLOR_rfidsex]), "#70d0ff");
    EXPECT_EQ(sqrcolor[COLOR_pgmfloor].alpha, 0);
    EXPECT_EQ(hex(redpgmgdk), "#ff0000");
    EXPECT_EQ(hex(blkgdk), "#000000");
}

TEST_F(WindowTest, ProgramButtonIsRedOnlyForAPresentDancerBelowTheFloor) {
    SqrDancer* sd = AddDancer("Ann", "Smith", F, Basic);
    pgmfloor = Plus;
    GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    sd->pgmbttn = gtk_button_new_with_label("Basic");
    gtk_container_add(GTK_CONTAINER(win), sd->pgmbttn);
    GtkWidget* lbl = gtk_bin_get_child(GTK_BIN(sd->pgmbttn));
    SelectPgmColor(sd);
    EXPECT_EQ(ColorOf(lbl), "#ff0000");
    sd->avail = 0;
    SelectPgmColor(sd);
    EXPECT_EQ(ColorOf(lbl), "#000000");
    sd->avail = 1;
    sd->pgm = Plus;
    SelectPgmColor(sd);
    EXPECT_EQ(ColorOf(lbl), "#000000");
    SelectPgmColor(nullptr);
    gtk_widget_destroy(win);
    sd->pgmbttn = nullptr;
}

TEST_F(WindowTest, BelleShortageBlocksTheRoll) {
    for (int i = 0; i < 9; ++i) AddDancer("M" + std::to_string(i), "Man", M);
    AddDancer("Wanda", "Woman", F);
    editmode = EDIT;
    SwitchDisplay(SQUARES);
    EXPECT_EQ(editmode, EDIT);
    EXPECT_EQ(tipcnt, 0);
    EXPECT_EQ(PopupText(), "M,F imbalance:, insufficient belle dancers to form a square\n");
}

TEST_F(WindowTest, RoleBalanceLimits) {
    for (int i = 0; i < 5; ++i) AddDancer("M" + std::to_string(i), "Man", M);
    for (int i = 0; i < 3; ++i) AddDancer("F" + std::to_string(i), "Woman", F);
    EXPECT_EQ(RosterProblems(true), 1);  // 3 < 5 and 3 < 4
    AddDancer("F3", "Woman", F);
    EXPECT_EQ(RosterProblems(true), 0);  // 4 < 4 does not hold
    // Beaus short the other way round; absent dancers and those below the floor don't count.
    for (int i = 4; i < 12; ++i) AddDancer("F" + std::to_string(i), "Woman", F);
    EXPECT_EQ(RosterProblems(true), 0);  // 5 beaus are not fewer than 4
    int absent = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->sex == M && absent < 2) sd->avail = 0, ++absent;
    EXPECT_EQ(RosterProblems(true), 1);
    EXPECT_EQ(PopupText(), "M,F imbalance:, insufficient beau dancers to form a square\n");
}

TEST_F(WindowTest, SameRoleCoupleIsWarnedFromBothSidesButBlocksOnlyARoll) {
    SqrDancer* a = AddCouple("Ann", "Bea", "Smith", F);
    a->partner->sex = F;
    for (int i = 0; i < 4; ++i) AddCouple("X" + std::to_string(i), "Y", "Pair" + std::to_string(i));
    EXPECT_EQ(RosterProblems(false), 2);
    EXPECT_EQ(PopupText(), "Bea Smith and Ann Smith are both F!\n");
    EXPECT_EQ(VisiblePopups(), 1);
    editmode = EDIT;
    SwitchDisplay(SQUARES);
    EXPECT_EQ(editmode, EDIT);
    EXPECT_EQ(tipcnt, 0);
}

TEST_F(WindowTest, UnknownModeIsReported) {
    lasterror.clear();
    SwitchDisplay((EDITMODE)42);
    EXPECT_EQ(lasterror, "(SwitchDisplay) neweditmode=42 is unsupported\n");
}

TEST_F(WindowTest, CleanupEmptiesTheWindowAndForgetsItsWidgets) {
    SqrDancer* sd = AddDancer("Ann", "Smith", F);
    sdwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(sdwin), scrolled);
    sqrslider = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(scrolled));
    gridlabel = g_new0(GtkWidget*, 4);
    gridbttn = g_new0(GtkWidget*, 4);
    gridbttnqty = 4;
    sd->availbttn = gtk_toggle_button_new();
    g_object_ref_sink(sd->availbttn);
    GtkWidget* held = sd->availbttn;
    sd->gridposn = 2;
    sdnew = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* newwin = sdnew;
    g_object_add_weak_pointer(G_OBJECT(newwin), (gpointer*)&newwin);
    GtkNote("hello");
    sdgrid = gtk_grid_new();  // made but never packed

    CleanupMainWindow();
    EXPECT_EQ(gtk_bin_get_child(GTK_BIN(sdwin)), nullptr);
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(newwin, nullptr);  // destroyed, not merely forgotten
    EXPECT_EQ(VisiblePopups(), 0);
    EXPECT_EQ(gridlabel, nullptr);
    EXPECT_EQ(gridbttn, nullptr);
    EXPECT_EQ(sqrslider, nullptr);
    EXPECT_EQ(sdgrid, nullptr);
    EXPECT_EQ(sd->availbttn, nullptr);
    EXPECT_EQ(sd->gridposn, -1);
    EXPECT_NE(sdwin, nullptr);  // the main window stays
    g_object_unref(held);
}

// Runs RunDisplay until its window has been laid out, then leaves its main loop.
static gboolean LeaveMainLoop(gpointer) {
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

TEST_F(WindowTest, RequestedSizeFixesTheWindow) {
    reqW = 1024;
    reqH = 768;
    editmode = (EDITMODE)SETUP;  // shows no board: only the window is looked at here
    lasterror.clear();
    g_timeout_add(200, LeaveMainLoop, nullptr);
    RunDisplay();
    EXPECT_EQ(lasterror, "(RunDisplay) editmode=2: unsupported\n");
    ASSERT_NE(sdwin, nullptr);
    int w = 0, h = 0;
    gtk_widget_get_size_request(sdwin, &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(sdwin)));
    EXPECT_NE(sdgrid, nullptr);
    EXPECT_TRUE(gtk_grid_get_row_homogeneous(GTK_GRID(sdgrid)));
    EXPECT_EQ(didhandler, 1);
    // The first display is spaced as every display after a switch: the edit display kept its
    // columns after the first card (five became four on a 1366 pixel panel).
    guint first = gtk_grid_get_row_spacing(GTK_GRID(sdgrid));
    SwitchDisplay(EDIT);
    ASSERT_NE(sdgrid, nullptr);
    EXPECT_EQ(gtk_grid_get_row_spacing(GTK_GRID(sdgrid)), first);
}

TEST_F(WindowTest, NoRequestedSizeMaximises) {
    reqW = reqH = 0;
    editmode = (EDITMODE)SETUP;
    g_timeout_add(500, LeaveMainLoop, nullptr);
    RunDisplay();
    ASSERT_NE(sdwin, nullptr);
    EXPECT_TRUE(gtk_window_get_resizable(GTK_WINDOW(sdwin)));
    int w = 0, h = 0;
    gtk_widget_get_size_request(sdwin, &w, &h);
    EXPECT_EQ(w, -1);
    EXPECT_EQ(h, -1);
}

TEST_F(WindowTest, TooltipGoesOnTheDancersGridButton) {
    SqrDancer* sd = AddDancer("Ann", "Smith", F);
    sd->tooltip = "skips tip 4";
    ShowDancerTooltip(sd);  // no grid: nothing happens
    GtkWidget* b = gtk_toggle_button_new_with_label("Smith");
    g_object_ref_sink(b);
    gridbttn = g_new0(GtkWidget*, 3);
    gridbttnqty = 3;
    gridbttn[1] = b;
    sd->gridposn = 1;
    ShowDancerTooltip(sd);
    gchar* tip = gtk_widget_get_tooltip_text(b);
    ASSERT_NE(tip, nullptr);
    EXPECT_STREQ(tip, "skips tip 4");
    g_free(tip);
    sd->tooltip.clear();
    ShowDancerTooltip(sd);
    EXPECT_EQ(gtk_widget_get_tooltip_text(b), nullptr);
    sd->gridposn = 7;  // outside the grid: ignored
    ShowDancerTooltip(sd);
    g_object_unref(b);
}

TEST_F(WindowTest, ClearingATagSlotResetsItsSliderAndLabel) {
    ClearSqrTagSlider(0);  // no setup dialog: nothing to do
    GtkWidget* s = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 10, 1);
    GtkWidget* l = gtk_label_new("Dancer<Smith>");
    g_object_ref_sink(s);
    g_object_ref_sink(l);
    squaretag_dancerslider[2] = s;
    squaretag_dancerlabel[2] = l;
    gtk_range_set_value(GTK_RANGE(s), 5);
    ClearSqrTagSlider(2);
    EXPECT_EQ(gtk_range_get_value(GTK_RANGE(s)), 0);
    EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(l))), "Dancer<---->");  // fixed width: no padding
    ClearSqrTagSlider(4);  // no such slot
    squaretag_dancerslider[2] = nullptr;
    squaretag_dancerlabel[2] = nullptr;
    g_object_unref(s);
    g_object_unref(l);
}

// Answers the reset dialog once it is up.
static gboolean AnswerReset(gpointer answer) {
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next) {
        const char* t = gtk_window_get_title(GTK_WINDOW(l->data));
        if (t && std::string(t) == "Reset Dialog" && GTK_IS_DIALOG(l->data)) {
            gtk_dialog_response(GTK_DIALOG(l->data), GPOINTER_TO_INT(answer));
            g_list_free(all);
            return G_SOURCE_REMOVE;
        }
    }
    g_list_free(all);
    return G_SOURCE_CONTINUE;
}

// Answers at high priority, ahead of any other answerer still waiting in the main loop.
static int Ask(int answer) {
    g_timeout_add_full(G_PRIORITY_HIGH, 1, AnswerReset, GINT_TO_POINTER(answer), nullptr);
    return AskResetDialog();
}

TEST_F(WindowTest, ResetDialogAnswers) {
    EXPECT_EQ(Ask(1), 1);
    EXPECT_EQ(Ask(2), 2);
    EXPECT_EQ(Ask(0), 0);
    // Closing the dialog without a button keeps the roster: it cancels.
    EXPECT_EQ(Ask(GTK_RESPONSE_DELETE_EVENT), 0);
}
