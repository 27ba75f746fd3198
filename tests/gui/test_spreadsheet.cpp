// SPDX-License-Identifier: GPL-3.0-or-later
// The import preview and the attendance window on real widgets: the preview adds exactly
// what it showed, reads the file again when the roster changed while it was open, and a file
// that is no list of dancers opens no preview and changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "dialogs/spreadsheet.h"
#include "registry/registry.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

class SpreadsheetWindows : public ClubWindow {};

int TreeRows(GtkWidget* root) {
    if (GTK_IS_TREE_VIEW(root))
        return gtk_tree_model_iter_n_children(gtk_tree_view_get_model(GTK_TREE_VIEW(root)), nullptr);
    int n = 0;
    if (GTK_IS_CONTAINER(root)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(root));
        for (GList* k = kids; k; k = k->next) n += TreeRows(GTK_WIDGET(k->data));
        g_list_free(kids);
    }
    return n;
}

TEST_F(SpreadsheetWindows, AddsWhatItShowedAndNothingElse) {
    WriteFile("m.csv", "First name;Last name;Role;Partner\nAnn;Zed;F;Bob Zed\nBob;Zed;M;Ann Zed\nCy;Zed;E;\n;;;\n;Nameless;;\n");
    const int before = RosterCount();
    ASSERT_TRUE(ImportDancersFile("m.csv"));
    Pump();
    ASSERT_NE(importwin, nullptr);
    EXPECT_EQ(TreeRows(importwin), 4);  // the empty row is no row; the nameless one is listed
    EXPECT_NE(ButtonLabelled(importwin, "Add 3 dancers"), nullptr);
    EXPECT_EQ(RosterCount(), before);

    // Bob is entered by hand meanwhile: the button does not add what it no longer shows.
    AddDancer("Bob", "Zed", M);
    EXPECT_EQ(ImportPreviewAdd(), 0);
    Pump();
    ASSERT_NE(importwin, nullptr);
    EXPECT_EQ(RosterCount(), before + 1);
    GtkWidget* add = ButtonLabelled(importwin, "Add 2 dancers");
    ASSERT_NE(add, nullptr);
    StartRecording();
    ASSERT_TRUE(ClickButton(add));
    Pump();
    std::vector<std::string> lines = Recorded();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "(ImportPreviewAdd) 2 m.csv"), lines.end());
    EXPECT_EQ(importwin, nullptr);
    EXPECT_EQ(RosterCount(), before + 3);
    int zeds = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd->lastname != "Zed") continue;
        ++zeds;
        if (sd->firstname == "Ann") {
            ASSERT_NE(sd->partner, nullptr);  // Bob of the roster had no partner: a couple now
            EXPECT_EQ(sd->partner->firstname, "Bob");
            EXPECT_EQ(sd->avail, 0);
        }
    }
    EXPECT_EQ(zeds, 3);
    EXPECT_EQ(editmode, EDIT);

    // Read again, everything is on the roster: nothing to add; Cancel closes.
    ASSERT_TRUE(ImportDancersFile("m.csv"));
    Pump();
    GtkWidget* none = ButtonLabelled(importwin, "Add 0 dancers");
    ASSERT_NE(none, nullptr);
    EXPECT_FALSE(gtk_widget_get_sensitive(none));
    ASSERT_TRUE(ClickButton(ButtonLabelled(importwin, "Cancel")));
    Pump();
    EXPECT_EQ(importwin, nullptr);
    EXPECT_EQ(RosterCount(), before + 3);

    // A replay of the line adds the file's dancers again, only when it gives the same ones.
    ReplayImportPreviewAdd("2 m.csv");
    EXPECT_EQ(RosterCount(), before + 3);
    for (SqrDancer* sd = sdhd; sd;) {
        SqrDancer* next = sd->nxt;
        if (sd->lastname == "Zed" && sd->firstname != "Bob") DelDancer(sd);
        sd = next;
    }
    ReplayImportPreviewAdd("2 m.csv");
    EXPECT_EQ(RosterCount(), before + 3);
    EXPECT_EQ(CardTableFaults(), "");

    // Escape closes the preview.
    ASSERT_TRUE(ImportDancersFile("m.csv"));
    Pump();
    ASSERT_NE(importwin, nullptr);
    SendKeyTo(importwin, GDK_KEY_Escape, "\x1b");
    Pump();
    EXPECT_EQ(importwin, nullptr);

    // No list of dancers: no preview, a warning, nothing changed.
    WriteFile("empty.csv", "");
    EXPECT_FALSE(ImportDancersFile("empty.csv"));
    EXPECT_FALSE(ImportDancersFile("no-such-file.csv"));
    EXPECT_EQ(importwin, nullptr);
    EXPECT_EQ(RosterCount(), before + 3);
}

// The attendance window shows the file beside the club file: a row per dancer and per
// evening, and who has not been seen for 4 weeks or more; a damaged file opens no window.
TEST_F(SpreadsheetWindows, AttendanceWindowShowsTheSeason) {
    WriteFile("club.attendance",
              "dorvels-attendance 1\n"
              "evening\t100\t2026-10-01\t9\ndancer\t100\tAnn\tZed\t1\t7\ndancer\t100\tBo\tYu\t1\t5\n"
              "evening\t200\t2026-11-05\t8\ndancer\t200\tAnn\tZed\t1\t6\n");
    AttendanceWindow();
    Pump();
    ASSERT_NE(attendancewin, nullptr);
    EXPECT_EQ(TreeRows(attendancewin), 4);  // two dancers, two evenings
    bool gone = false;
    std::vector<GtkWidget*> todo{attendancewin};
    while (!todo.empty()) {
        GtkWidget* w = todo.back();
        todo.pop_back();
        if (GTK_IS_LABEL(w)) gone = gone || std::string(gtk_label_get_text(GTK_LABEL(w))) ==
                                               "Not seen for 4 weeks or more: Bo Yu";
        if (GTK_IS_CONTAINER(w)) {
            GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
            for (GList* k = kids; k; k = k->next) todo.push_back(GTK_WIDGET(k->data));
            g_list_free(kids);
        }
    }
    EXPECT_TRUE(gone);
    ASSERT_TRUE(ClickButton(ButtonLabelled(attendancewin, "Close")));
    Pump();
    EXPECT_EQ(attendancewin, nullptr);

    WriteFile("club.attendance", "dorvels-attendance 1\nnonsense\n");
    AttendanceWindow();
    Pump();
    EXPECT_EQ(attendancewin, nullptr);
    EXPECT_EQ(ReadFile("club.attendance"), "dorvels-attendance 1\nnonsense\n");  // only looked at
}

}  // namespace
