// SPDX-License-Identifier: GPL-3.0-or-later
// The import preview on real widgets: it adds exactly what it showed, reads the file again
// when the roster changed while it was open, and a file that is no list of dancers opens no
// preview and changes nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialogs/spreadsheet.h"
#include "registry/registry.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

class ImportWindow : public ClubWindow {};

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

TEST_F(ImportWindow, AddsWhatItShowedAndNothingElse) {
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

}  // namespace
