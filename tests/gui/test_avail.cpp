// SPDX-License-Identifier: GPL-3.0-or-later
// Taking attendance by clicks: Shift blocks, Ctrl skip-tips, the availability dialog, the
// Luck/Must button.
#include <gtk/gtk.h>

#include <functional>

#include "assign/assign.h"
#include "display/boards.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"

namespace {

std::vector<SqrDancer*> Six() {
    std::vector<SqrDancer*> v;
    for (const char* last : {"Adams", "Baker", "Clark", "Davis", "Evans", "Foster"})
        v.push_back(AddDancer("Al", last, E));
    SortByName();
    return v;
}

bool Pressed(SqrDancer* sd) { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(sd->availbttn)); }

}  // namespace

using Attendance = BoardsWindow;

TEST_F(Attendance, ShiftClickFlipsTheBlockDownFromTheLastClickedName) {
    auto d = Six();
    d[4]->avail = 0;  // Evans is absent and must stay so: it is outside the block
    SwitchDisplay(EDIT);
    BoardsPump();
    ASSERT_TRUE(ClickButton(d[0]->availbttn));
    EXPECT_EQ(d[0]->avail, 0);
    GtkWidget* old = d[3]->availbttn;
    ASSERT_TRUE(ClickButton(d[3]->availbttn, GDK_SHIFT_MASK));
    EXPECT_EQ(d[3]->availbttn, old);  // the display is kept and brought up to date
    std::vector<int> avail;
    for (SqrDancer* sd : d) avail.push_back(sd->avail);
    EXPECT_EQ(avail, (std::vector<int>{0, 0, 0, 0, 0, 1}));
    for (SqrDancer* sd : d) EXPECT_EQ(Pressed(sd), sd->avail == 0) << sd->firstlast;
    EXPECT_EQ(sdtoggled, nullptr);
    EXPECT_EQ(sdblock, nullptr);
}

TEST_F(Attendance, ShiftClickAboveTheAnchorWalksUpwards) {
    auto d = Six();
    d[1]->avail = 0;
    SwitchDisplay(EDIT);
    BoardsPump();
    ASSERT_TRUE(ClickButton(d[4]->availbttn));
    ASSERT_TRUE(ClickButton(d[1]->availbttn, GDK_SHIFT_MASK));
    std::vector<int> avail;
    for (SqrDancer* sd : d) avail.push_back(sd->avail);
    EXPECT_EQ(avail, (std::vector<int>{1, 1, 0, 0, 0, 1}));
    for (SqrDancer* sd : d) EXPECT_EQ(Pressed(sd), sd->avail == 0) << sd->firstlast;
}

TEST_F(Attendance, ShiftClickWithoutAnchorIsAPlainClick) {
    auto d = Six();
    SwitchDisplay(EDIT);
    BoardsPump();
    ASSERT_TRUE(ClickButton(d[2]->availbttn, GDK_SHIFT_MASK));
    std::vector<int> avail;
    for (SqrDancer* sd : d) avail.push_back(sd->avail);
    EXPECT_EQ(avail, (std::vector<int>{1, 1, 0, 1, 1, 1}));
    EXPECT_EQ(sdtoggled, d[2]);
}

TEST_F(Attendance, CtrlClickSkipsOneTipAndSecondCtrlClickTakesItBack) {
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");
    SqrDancer* ann = bob->partner;
    SortByName();
    tipcnt = 5;
    SwitchDisplay(EDIT);
    BoardsPump();
    ASSERT_TRUE(ClickButton(ann->availbttn, GDK_CONTROL_MASK));
    EXPECT_EQ(ann->avail, 0);
    EXPECT_TRUE(Pressed(ann));
    EXPECT_EQ(ann->skip, 1);
    ASSERT_NE(SkipTipFind(ann), nullptr);
    EXPECT_EQ(SkipTipFind(ann)->tip, 7);
    EXPECT_EQ(PopupText(), "Ann Smith will be available on tip#7");
    EXPECT_EQ(sdtoggled, nullptr);
    gchar* tip = gtk_widget_get_tooltip_text(ann->availbttn);
    ASSERT_NE(tip, nullptr);
    EXPECT_NE(std::string(tip).find("  skipping-tip"), std::string::npos);
    g_free(tip);

    ASSERT_TRUE(ClickButton(ann->availbttn, GDK_CONTROL_MASK));
    EXPECT_EQ(ann->avail, 1);
    EXPECT_FALSE(Pressed(ann));
    EXPECT_EQ(ann->skip, 0);
    EXPECT_EQ(SkipTipFind(ann), nullptr);
    EXPECT_EQ(PopupText(), "Ann Smith will not skip a tip");
}

TEST_F(Attendance, SetToggleAvailSetsTheButtonWithoutRunningTheClickHandler) {
    auto d = Six();
    SwitchDisplay(EDIT);
    d[2]->dances = 0;
    maxdances = 4;
    SetToggleAvail(d[2], 0);
    EXPECT_EQ(d[2]->avail, 0);
    EXPECT_TRUE(Pressed(d[2]));
    SetToggleAvail(d[2], 1);
    EXPECT_EQ(d[2]->avail, 1);
    EXPECT_FALSE(Pressed(d[2]));
    EXPECT_EQ(d[2]->dances, 0);  // no late-arrival rule: the click handler did not run
    EXPECT_EQ(sdtoggled, nullptr);
    // The handler is connected again and answers the next click.
    BoardsPump();
    ASSERT_TRUE(ClickButton(d[2]->availbttn));
    EXPECT_EQ(d[2]->avail, 0);
}

TEST_F(Attendance, AvailByNameTakesNumbersRangesAndNamesWithPartners) {
    AnonCouple(3, Basic);                // 1, 2, 3
    AnonSingle(1, 1, 0, 0, 0, Basic);    // 4 (M), 5 (F)
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");
    SqrDancer* tom = AddDancer("Tom", "Uhl", M);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    SetupDispNames();
    SortByName();
    SwitchDisplay(EDIT);

    AvailByName("  3-5 Smith", 1);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        bool want = sd->lastname == "Couple#003" || sd->lastname == "Sngl#004" || sd->lastname == "Sngl#005" ||
                    sd->lastname == "Smith";
        EXPECT_EQ(sd->avail, want ? 1 : 0) << sd->firstlast;
        EXPECT_EQ(Pressed(sd), !want) << sd->firstlast;
    }
    // Unknown names and numbers are skipped (the names returned); the rest of the line applies.
    EXPECT_EQ(AvailByName("Nobody 99 1,Uhl", 1), "Nobody");
    EXPECT_EQ(tom->avail, 1);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname == "Couple#001") {
            EXPECT_EQ(sd->avail, 1);
        }
    // A comma right behind the first name stays part of it: that name matches nobody.
    EXPECT_EQ(AvailByName("Smith, Uhl", 0), "Smith,");
    EXPECT_EQ(bob->avail, 1);
    EXPECT_EQ(tom->avail, 0);
    // Names forgive case and accents, first names too.
    SqrDancer* doerte = AddDancer("Dörte", "Lämmle", F);
    SqrDancer* koehler = AddDancer("Kai", "Köhler", M);
    doerte->avail = koehler->avail = 0;
    SetupDispNames();
    SwitchDisplay(EDIT);
    EXPECT_EQ(AvailByName("köhler Lammle uhl", 1), "");
    EXPECT_EQ(doerte->avail + koehler->avail + tom->avail, 3);
    EXPECT_EQ(AvailByName("DÖRTE kai UHL", 0), "");
    EXPECT_EQ(doerte->avail + koehler->avail + tom->avail, 0);
    // Outside the edit display nothing changes.
    SwitchDisplay(PRESENT);
    AvailByName("Uhl", 1);
    EXPECT_EQ(tom->avail, 0);
}

TEST_F(Attendance, DialogDoItNowKeepsItOpenDoneAppliesAndCloses) {
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");
    SqrDancer* tom = AddDancer("Tom", "Uhl", M);
    tom->avail = 0;
    SortByName();
    SwitchDisplay(EDIT);
    AvailDisplay();
    ASSERT_NE(sdavail, nullptr);
    // The rows and buttons as the operator sees them.
    std::vector<std::string> texts;
    std::function<void(GtkWidget*)> walk = [&](GtkWidget* w) {
        if (GTK_IS_LABEL(w)) texts.push_back(gtk_label_get_text(GTK_LABEL(w)));
        if (GTK_IS_CONTAINER(w)) {
            GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
            for (GList* l = kids; l; l = l->next) walk(GTK_WIDGET(l->data));
            g_list_free(kids);
        }
    };
    walk(sdavail);
    EXPECT_EQ(texts, (std::vector<std::string>{"  Available: ", "Unavailable: ", "Done", "DoItNow", "Cancel"}));

    gtk_entry_set_text(GTK_ENTRY(avail_entry), "Uhl");
    gtk_entry_set_text(GTK_ENTRY(unavail_entry), "Bob");
    AvailAction(nullptr, GINT_TO_POINTER(AVAIL_DOIT));
    EXPECT_EQ(tom->avail, 1);
    EXPECT_EQ(bob->avail, 0);
    EXPECT_EQ(bob->partner->avail, 0);
    ASSERT_NE(sdavail, nullptr);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(avail_entry)), " ");
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(unavail_entry)), " ");
    EXPECT_TRUE(Pressed(bob));

    gtk_entry_set_text(GTK_ENTRY(avail_entry), "Smith Smyth");
    AvailAction(nullptr, GINT_TO_POINTER(AVAIL_DONE));
    EXPECT_EQ(sdavail, nullptr);
    EXPECT_EQ(bob->avail, 1);
    EXPECT_EQ(editmode, EDIT);
    EXPECT_FALSE(Pressed(bob));
    EXPECT_EQ(PopupText(), "No dancer of that name: Smyth");  // a miss says so

    // Cancel applies nothing; closing the window is a cancel.
    AvailDisplay();
    gtk_entry_set_text(GTK_ENTRY(unavail_entry), "Uhl");
    AvailAction(nullptr, GINT_TO_POINTER(AVAIL_CANCEL));
    EXPECT_EQ(sdavail, nullptr);
    EXPECT_EQ(tom->avail, 1);
    AvailDisplay();
    gtk_entry_set_text(GTK_ENTRY(unavail_entry), "Uhl");
    gtk_widget_destroy(sdavail);
    EXPECT_EQ(sdavail, nullptr);
    EXPECT_EQ(tom->avail, 1);
    EXPECT_EQ(editmode, EDIT);
}

TEST_F(Attendance, LuckMustButtonFlipsAndCtrlClickLastsOneTip) {
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");
    SqrDancer* ann = bob->partner;
    SortByName();
    tipcnt = 2;
    SwitchDisplay(EDIT);
    BoardsPump();
    GtkWidget* luck = EditCellButtons(bob)[2];
    ASSERT_EQ(CellText(luck), "Luck");
    ASSERT_TRUE(ClickButton(luck));
    EXPECT_EQ(bob->priority, MUST);
    EXPECT_EQ(CellText(luck), "Must");
    ASSERT_TRUE(ClickButton(luck));
    EXPECT_EQ(bob->priority, LUCK);
    EXPECT_EQ(CellText(luck), "Luck");
    EXPECT_EQ(MustOnceFind(bob), nullptr);

    GtkWidget* annluck = EditCellButtons(ann)[2];
    ASSERT_TRUE(ClickButton(annluck, GDK_CONTROL_MASK));
    EXPECT_EQ(ann->priority, MUST);
    EXPECT_EQ(CellText(annluck), "Must");
    ASSERT_NE(MustOnceFind(ann), nullptr);
    EXPECT_EQ(MustOnceFind(ann)->tip, 4);
    EXPECT_EQ(PopupText(), "Ann Smith will revert to luck on tip#4");
    gchar* tip = gtk_widget_get_tooltip_text(ann->availbttn);
    ASSERT_NE(tip, nullptr);
    EXPECT_NE(std::string(tip).find("  must-once"), std::string::npos);
    g_free(tip);

    // A priority other than luck or must is left alone.
    bob->priority = WANT;
    LuckMustBttnWith(luck, bob, false);
    EXPECT_EQ(bob->priority, WANT);
    EXPECT_EQ(CellText(luck), "Luck");
}
