// SPDX-License-Identifier: GPL-3.0-or-later
// The import preview and the attendance window on real widgets.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "dialogs/spreadsheet.h"
#include "registry/registry.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

class SpreadsheetWindows : public ClubWindow {};

// The rows of all tree views inside root.
int TreeRows(GtkWidget* root) {
    if (GTK_IS_TREE_VIEW(root))
        return gtk_tree_model_iter_n_children(gtk_tree_view_get_model(GTK_TREE_VIEW(root)), nullptr);
    int n = 0;
    if (GTK_IS_CONTAINER(root))
        gtk_container_foreach(GTK_CONTAINER(root), [](GtkWidget* w, gpointer p) { *(int*)p += TreeRows(w); }, &n);
    return n;
}

// The preview of a file opened as the menu opens it (null when refused).
GtkWidget* Preview(const std::string& file) {
    bool opened = ImportDancersFile(file);
    Pump();
    return opened ? importwin : nullptr;
}

// The preview adds exactly what it showed, reads the file again when the roster changed while
// it was open; a file that is no list of dancers opens no preview and changes nothing.
TEST_F(SpreadsheetWindows, AddsWhatItShowedAndNothingElse) {
    WriteFile("m.csv", "First name;Last name;Role;Partner\nAnn;Zed;F;Bob Zed\nBob;Zed;M;Ann Zed\nCy;Zed;E;\n;;;\n;Nameless;;\n");
    const int before = RosterCount();
    ASSERT_NE(Preview("m.csv"), nullptr);
    EXPECT_EQ(TreeRows(importwin), 4);  // the empty row is no row; the nameless one is listed
    EXPECT_NE(ButtonLabelled(importwin, "Add 3 dancers"), nullptr);
    EXPECT_EQ(RosterCount(), before);

    // Bob is entered by hand meanwhile: the button does not add what it no longer shows.
    AddDancer("Bob", "Zed", M);
    EXPECT_EQ(ImportPreviewAdd(), 0);
    Pump();
    ASSERT_NE(importwin, nullptr);
    EXPECT_EQ(RosterCount(), before + 1);
    StartRecording();
    ASSERT_TRUE(ClickButton(ButtonLabelled(importwin, "Add 2 dancers")));
    Pump();
    const std::vector<std::string> lines = Recorded();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "(ImportPreviewAdd) 2 m.csv"), lines.end());
    EXPECT_EQ(importwin, nullptr);
    EXPECT_EQ(RosterCount(), before + 3);
    int zeds = 0;
    SqrDancer* ann = nullptr;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname == "Zed" && ++zeds && sd->firstname == "Ann") ann = sd;
    EXPECT_EQ(zeds, 3);
    ASSERT_TRUE(ann && ann->partner);  // Bob of the roster had no partner: a couple now
    EXPECT_EQ(ann->partner->firstname, "Bob");
    EXPECT_EQ(ann->avail, 0);
    EXPECT_EQ(editmode, EDIT);

    // Read again, everything is on the roster: nothing to add; Cancel closes.
    ASSERT_NE(Preview("m.csv"), nullptr);
    GtkWidget* none = ButtonLabelled(importwin, "Add 0 dancers");
    EXPECT_TRUE(none && !gtk_widget_get_sensitive(none));
    ASSERT_TRUE(ClickButton(ButtonLabelled(importwin, "Cancel")));
    Pump();
    EXPECT_EQ(importwin, nullptr);
    EXPECT_EQ(RosterCount(), before + 3);

    // A replay of the line adds the file's dancers again, only when it gives the same ones.
    ReplayImportPreviewAdd("2 m.csv");
    EXPECT_EQ(RosterCount(), before + 3);
    for (SqrDancer *sd = sdhd, *next; sd; sd = next)
        if (next = sd->nxt, sd->lastname == "Zed" && sd->firstname != "Bob") DelDancer(sd);
    ReplayImportPreviewAdd("2 m.csv");
    EXPECT_EQ(RosterCount(), before + 3);
    EXPECT_EQ(CardTableFaults(), "");

    // Escape closes the preview.
    ASSERT_NE(Preview("m.csv"), nullptr);
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
    EXPECT_NE(Find(attendancewin, [](GtkWidget* w) {
                  return GTK_IS_LABEL(w) && std::string(gtk_label_get_text(GTK_LABEL(w))) == "Not seen for 4 weeks or more: Bo Yu";
              }), nullptr);
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
