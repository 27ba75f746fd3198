// SPDX-License-Identifier: GPL-3.0-or-later
// The dancer dialogs driven as the operator drives them: keys typed into the real windows,
// buttons clicked, and the club file written and read back.
#include <gtk/gtk.h>

#include <algorithm>
#include <functional>

#include "assign/assign.h"
#include "commands/keys.h"
#include "dialogs/dancer.h"
#include "display/boards.h"
#include "files/clubfile.h"
#include "history/history.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {
// Every widget inside w (w included) for which `want` holds.
void Collect(GtkWidget* w, const std::function<bool(GtkWidget*)>& want, std::vector<GtkWidget*>& out) {
    if (!w) return;
    if (want(w)) out.push_back(w);
    if (GTK_IS_CONTAINER(w)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = kids; l; l = l->next) Collect(GTK_WIDGET(l->data), want, out);
        g_list_free(kids);
    }
}

// The button (or radio button) of window w showing `label`.
GtkWidget* Button(GtkWidget* w, const std::string& label) {
    std::vector<GtkWidget*> found;
    Collect(w, [&](GtkWidget* x) { return GTK_IS_BUTTON(x) && CellText(x) == label; }, found);
    return found.empty() ? nullptr : found.front();
}

// The name entries of window w: first name, last name.
std::vector<GtkWidget*> Entries(GtkWidget* w) {
    std::vector<GtkWidget*> found;
    Collect(w, [](GtkWidget* x) { return GTK_IS_ENTRY(x); }, found);
    auto row = [](GtkWidget* e) {
        int top = 0;
        gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(e)), e, "top-attach", &top, nullptr);
        return top;
    };
    std::sort(found.begin(), found.end(), [&](GtkWidget* a, GtkWidget* b) { return row(a) < row(b); });
    return found;
}

std::string Text(GtkWidget* entry) { return gtk_entry_get_text(GTK_ENTRY(entry)); }

// Types UTF-8 text one character at a time, as keys pressed on the main window (a modal
// dialog takes them from there).
void TypeText(const std::string& s) {
    for (const char* p = s.c_str(); *p; p = g_utf8_next_char(p)) {
        std::string ch(p, g_utf8_next_char(p) - p);
        SendKey(gdk_unicode_to_keyval(g_utf8_get_char(p)), ch.c_str());
    }
}

void Click(GtkWidget* w, const std::string& label) {
    GtkWidget* b = Button(w, label);
    ASSERT_NE(b, nullptr) << label;
    ASSERT_TRUE(ClickButton(b)) << label;
    Pump();
}

// Chooses `choice` in the pop-up the button `opener` of window w opens, then closes it.
void Choose(GtkWidget* w, const std::string& opener, const std::string& choice) {
    Click(w, opener);
    ASSERT_NE(sdpop, nullptr) << opener;
    GtkWidget* pop = sdpop;
    Click(pop, choice);
    Click(pop, "Done");
    EXPECT_EQ(sdpop, nullptr);
}

SqrDancer* Named(const std::string& first, const std::string& last) {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->firstname == first && sd->lastname == last) return sd;
    return nullptr;
}

class DancerDialogs : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        BuildClub(4, 1, 1);
        SwitchDisplay(EDIT);
        Pump();
    }
    void TearDown() override {
        if (sdnew) gtk_widget_destroy(sdnew);
        KeysWindow::TearDown();
    }
};
}  // namespace

TEST_F(DancerDialogs, NewDancerTypedWithRoleAndLevelIsOnTheBoardAndInTheClubFile) {
    int before = RosterCount();
    Type("n");
    ASSERT_NE(sdnew, nullptr);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(sdnew)), "New Square Dancer");
    EXPECT_EQ(didhandler, 0);
    SqrDancer* sd = NewDancerBeingEntered();
    ASSERT_NE(sd, nullptr);
    std::vector<GtkWidget*> e = Entries(sdnew);
    ASSERT_EQ(e.size(), 2u);
    // Empty entries, what belongs in them shown greyed: a card read into them would show.
    EXPECT_EQ(Text(e[0]) + "|" + Text(e[1]), "|");
    EXPECT_STREQ(gtk_entry_get_placeholder_text(GTK_ENTRY(e[0])), "first-name");
    EXPECT_STREQ(gtk_entry_get_placeholder_text(GTK_ENTRY(e[1])), "last-name");

    TypeText("Mary Ann");
    SendKey(GDK_KEY_Return, "\r");  // on to the last name
    TypeText("Zed%Love+7");
    EXPECT_EQ(Text(e[0]), "Mary Ann");
    EXPECT_EQ(Text(e[1]), "Zed%Love+7");
    Choose(sdnew, "M", "F");
    Choose(sdnew, "Basic", "Plus");
    EXPECT_EQ(sd->sex, F);
    EXPECT_EQ(sd->pgm, Plus);
    Click(sdnew, "Done");

    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(didhandler, 1);
    EXPECT_EQ(RosterCount(), before + 1);
    EXPECT_EQ(Named("Mary_Ann", "Zed%Love+7"), sd);
    EXPECT_EQ(sd->firstlast, "Mary_Ann Zed%Love+7");
    ASSERT_NE(sd->availbttn, nullptr);
    EXPECT_EQ(CellText(sd->availbttn), "Zed%Love+7");
    EXPECT_EQ(CellText(sd->sexbttn), "F");
    EXPECT_EQ(CellText(sd->pgmbttn), "Plus");

    // The file read back names the dancer exactly as typed (a restart and a second write are
    // checked on the running program, tests/cli/newdancer.sh).
    Type("w");
    RosterFacts back = ReadBack("club.dorvel");
    ASSERT_EQ(back.count("Mary_Ann Zed%Love+7"), 1u) << ReadFile("club.dorvel");
    EXPECT_EQ(back["Mary_Ann Zed%Love+7"].sex, "F");
    EXPECT_EQ(back["Mary_Ann Zed%Love+7"].pgm, "Plus");
    EXPECT_EQ(FactsDiff(RosterNow(false), back), "");
}

TEST_F(DancerDialogs, NamesWithAProblemKeepTheDialogOpenWithEverythingTyped) {
    Type("n");
    ASSERT_NE(sdnew, nullptr);
    std::vector<GtkWidget*> e = Entries(sdnew);
    int count = RosterCount();
    struct {
        const char *first, *last;
        int field;  // entry that gets the focus: 0 first, 1 last
    } bad[] = {{"", "Zorn", 0}, {"Al0", "Adams0", 0}, {"Ann", "Zorn4100000016", 1}};
    for (const auto& b : bad) {
        gtk_entry_set_text(GTK_ENTRY(e[0]), b.first);
        gtk_entry_set_text(GTK_ENTRY(e[1]), b.last);
        if (b.field) {
            Click(sdnew, "Done");
        } else {
            gtk_widget_grab_focus(e[1]);
            SendKey(GDK_KEY_Return, "\r");  // Enter in the last name is Done
        }
        SCOPED_TRACE(std::string(b.first) + "/" + b.last);
        ASSERT_NE(sdnew, nullptr);
        EXPECT_STRNE(NameFormProblem(), "");
        EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(sdnew)), e[b.field]);
        EXPECT_EQ(Text(e[0]), b.first);
        EXPECT_EQ(Text(e[1]), b.last);
        EXPECT_EQ(RosterCount(), count);
    }
    // "&" makes a couple: two dancers, partners, of complementary roles, each with a cell.
    gtk_entry_set_text(GTK_ENTRY(e[0]), "Ann & Bob");
    gtk_entry_set_text(GTK_ENTRY(e[1]), "Zorn");
    Click(sdnew, "Done");
    EXPECT_EQ(sdnew, nullptr);
    SqrDancer *ann = Named("Ann", "Zorn"), *bob = Named("Bob", "Zorn");
    ASSERT_TRUE(ann && bob);
    EXPECT_EQ(ann->partner, bob);
    EXPECT_EQ(RosterCount(), count + 1);
    EXPECT_TRUE(ann->availbttn && bob->availbttn);
}

TEST_F(DancerDialogs, CancelDoItNowAndClosingKeepExactlyWhatWasEntered) {
    int count = RosterCount();
    auto hasPlaceholder = [] {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (IsPlaceholder(sd)) return true;
        return false;
    };
    Type("n");
    for (const char* first : {"Al", "Bo"}) {
        GtkWidget* dlg = sdnew;
        std::vector<GtkWidget*> e = Entries(dlg);
        gtk_entry_set_text(GTK_ENTRY(e[0]), first);
        gtk_entry_set_text(GTK_ENTRY(e[1]), "Zorn");
        Click(dlg, "DoItNow");
        ASSERT_NE(sdnew, nullptr);
        EXPECT_EQ(Text(Entries(sdnew)[0]), "");  // a fresh dialog for the next dancer
        EXPECT_NE(Named(first, "Zorn"), nullptr);
    }
    // A second n (or the menu's) brings the same dialog forward.
    GtkWidget* dlg = sdnew;
    SqrDancer* entering = NewDancerBeingEntered();
    NewDancerCmd();
    EXPECT_EQ(sdnew, dlg);
    EXPECT_EQ(NewDancerBeingEntered(), entering);
    SendKey(GDK_KEY_Escape, "\x1b");  // Cancel: only the untouched placeholder goes
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(didhandler, 1);
    EXPECT_EQ(RosterCount(), count + 2);
    EXPECT_FALSE(hasPlaceholder());

    // Done with nothing typed adds nobody.
    Type("n");
    Click(sdnew, "Done");
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(RosterCount(), count + 2);
    EXPECT_FALSE(hasPlaceholder());
    Type("n");
    Click(sdnew, "DoItNow");  // the same with DoItNow
    EXPECT_EQ(sdnew, nullptr);

    // The main window rebuilt under the dialog: names typed are kept, a placeholder is not.
    Type("n");
    gtk_entry_set_text(GTK_ENTRY(Entries(sdnew)[0]), "Cy");
    gtk_entry_set_text(GTK_ENTRY(Entries(sdnew)[1]), "Zorn");
    SwitchDisplay(EDIT);
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_NE(Named("Cy", "Zorn"), nullptr);
    Type("n");
    SwitchDisplay(EDIT);
    EXPECT_EQ(RosterCount(), count + 3);
    EXPECT_FALSE(hasPlaceholder());
    EXPECT_EQ(didhandler, 1);
}

TEST_F(DancerDialogs, RfidTakesTheCardNumberTypedNotTheNameEntry) {
    Type("n");
    SqrDancer* sd = NewDancerBeingEntered();
    std::vector<GtkWidget*> e = Entries(sdnew);
    Click(sdnew, "Rfid");
    EXPECT_EQ(NDflag, 1);
    EXPECT_EQ(newsd, sd);
    EXPECT_EQ(PopupText(), "New Dancer rfid: move cursor over edit display, then swipe card");
    EXPECT_NE(Button(sdnew, "Rfid: swipe the card"), nullptr);
    // A letter ends the wait and goes where it was typed.
    TypeText("X");
    EXPECT_EQ(NDflag, 0);
    EXPECT_EQ(newsd, nullptr);
    EXPECT_EQ(Text(e[0]), "X");
    EXPECT_NE(Button(sdnew, "Rfid"), nullptr);
    // Digits typed while the card is awaited are the card's, not the name's.
    Click(sdnew, "Rfid");
    TypeText("4100000099");
    EXPECT_EQ(Text(e[0]), "X");
    EXPECT_EQ(KeybrdNumber(), "4100000099");
    SendKey(GDK_KEY_Return, "\r");
    EXPECT_EQ(KeybrdDigitCount(), 0);
    EXPECT_NE(sdnew, nullptr);
}

TEST_F(DancerDialogs, NamePopupRenamesTheDancerOnTheBoardAndInTheNames) {
    SqrDancer* al = Named("Al0", "Adams0");
    ASSERT_NE(al, nullptr);
    maxdances = 3;
    al->dances = 1;
    ASSERT_TRUE(ClickButton(EditCellButtons(al)[3]));  // Name
    ASSERT_NE(sdpop, nullptr);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(sdpop)), "SqrDancer Name");
    EXPECT_EQ(didhandler, 0);
    std::vector<GtkWidget*> e = Entries(sdpop);
    EXPECT_EQ(Text(e[0]), "Al0");
    EXPECT_EQ(Text(e[1]), "Adams0");
    // Another dancer's button opens that dancer's pop-up in its place; the same again closes it.
    NameBttn(nullptr, Named("Mo0", "Single"));
    EXPECT_EQ(Text(Entries(sdpop)[0]), "Mo0");
    NameBttn(nullptr, Named("Mo0", "Single"));
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(didhandler, 1);

    ASSERT_TRUE(ClickButton(EditCellButtons(al)[3]));
    TypeText("Alan");
    SendKey(GDK_KEY_Return, "\r");
    TypeText("Ames");
    SendKey(GDK_KEY_Return, "\r");
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(al->firstlast, "Alan Ames");
    EXPECT_EQ(al->dances, 2);
    ASSERT_NE(al->availbttn, nullptr);
    EXPECT_EQ(CellText(al->availbttn), "Ames");
    EXPECT_EQ(didhandler, 1);

    // "&" cannot give a partner to a dancer who has one; Escape leaves the name as it was.
    ASSERT_TRUE(ClickButton(EditCellButtons(al)[3]));
    gtk_entry_set_text(GTK_ENTRY(Entries(sdpop)[0]), "Alan & Cy");
    Click(sdpop, "Done");
    ASSERT_NE(sdpop, nullptr);
    EXPECT_STRNE(NameFormProblem(), "");
    SendKey(GDK_KEY_Escape, "\x1b");
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(al->firstlast, "Alan Ames");
    EXPECT_EQ(al->partner, Named("Bea0", "Adams0"));
}

TEST_F(DancerDialogs, LevelRoleAndPartnerPopupsChangeTheCell) {
    SqrDancer* mo = Named("Mo0", "Single");
    SqrDancer* flo = Named("Flo0", "Single");
    pgmfloor = Main;
    mo->pgm = Main;
    SwitchDisplay(EDIT);
    Pump();
    ASSERT_TRUE(ClickButton(mo->pgmbttn));
    Click(sdpop, "Basic");
    EXPECT_EQ(mo->pgm, Basic);
    EXPECT_EQ(CellText(mo->pgmbttn), "Basic");
    EXPECT_EQ(Foreground(gtk_bin_get_child(GTK_BIN(mo->pgmbttn))), "#ff0000");  // present, below the floor
    SendKey(GDK_KEY_Return, "\r");
    EXPECT_EQ(sdpop, nullptr);
    ASSERT_TRUE(ClickButton(mo->sexbttn));
    Click(sdpop, "E");
    SendKey(GDK_KEY_Escape, "\x1b");
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(mo->sex, E);
    EXPECT_EQ(CellText(mo->sexbttn), "E");

    // Partner: the slider names the choice, the button makes the couple; position 0 parts it.
    auto choose = [&](SqrDancer* sd, SqrDancer* want) {
        ASSERT_TRUE(ClickButton(EditCellButtons(sd)[4]));
        std::vector<GtkWidget*> scales;
        Collect(sdpop, [](GtkWidget* x) { return GTK_IS_SCALE(x); }, scales);
        ASSERT_EQ(scales.size(), 1u);
        int position = -1;
        std::vector<SqrDancer*> map = PartnerMapi2sd(sd, &position);
        auto at = std::find(map.begin(), map.end(), want);
        ASSERT_NE(at, map.end());
        gtk_range_set_value(GTK_RANGE(scales[0]), double(at - map.begin()));
        Click(sdpop, want ? want->dispname : "None");
        EXPECT_EQ(sdpop, nullptr);
    };
    choose(flo, mo);
    EXPECT_EQ(flo->partner, mo);
    EXPECT_EQ(mo->partner, flo);
    gchar* tip = gtk_widget_get_tooltip_text(mo->availbttn);
    EXPECT_STREQ(tip, "Mo0 Single : Flo0 Single\n0 dances - no rfid");
    g_free(tip);
    choose(mo, nullptr);
    EXPECT_EQ(flo->partner, nullptr);
    EXPECT_EQ(mo->partner, nullptr);
    EXPECT_EQ(flo->display + mo->display, 2);
}

TEST_F(DancerDialogs, ARightPressOnTheMainWindowOnlyClosesACellPopup) {
    ASSERT_TRUE(ClickButton(Named("Mo0", "Single")->pgmbttn));
    ASSERT_TRUE(DancerPopupOpen());
    PressButton(sdwin, 3, 200, 150);
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(menubttnpopup, nullptr);
}

TEST_F(DancerDialogs, DeleteAsksAndLeavesNothingPointingAtTheDancer) {
    // A dancer in the rolled tip, in the history, tagged, with requests and a card.
    Type("r");
    SqrDancer* gone = nullptr;
    for (SqrDancer* sd = sdhd; sd && !gone; sd = sd->nxt)
        if (sd->square >= 0) gone = sd;
    ASSERT_NE(gone, nullptr);
    std::string name = gone->firstlast;
    sqrtag[0].sd = gone;
    SkipTipAppend(gone, tipcnt + 2);
    MustOnceAppend(gone, tipcnt + 2);
    OutDancerMake(gone);
    zflagpending = gone;  // its card was made a command card: given back at a key after the next z
    zflagpendingrfid = 4100000002;
    gone->rfid = 4100000001;
    RfidInsert(gone);
    Type("e");
    int count = RosterCount();
    auto del = [&] { ASSERT_TRUE(ClickButton(EditCellButtons(gone)[1])); };

    // Enter, as a card read ends, answers CANCEL.
    g_timeout_add(100, [](gpointer) { SendKey(GDK_KEY_Return, "\r"); return G_SOURCE_REMOVE; }, nullptr);
    del();
    EXPECT_EQ(RosterCount(), count);
    auto answered = AnswerDialog("Just checking: Are you sure?", GTK_RESPONSE_APPLY);
    del();
    EXPECT_TRUE(*answered);
    EXPECT_EQ(answered_buttons, (std::vector<std::string>{"OK", "Del Rfid Only", "CANCEL"}));
    EXPECT_EQ(gone->rfid, 0u);
    EXPECT_EQ(RfidFind(4100000001), nullptr);
    EXPECT_EQ(RosterCount(), count);

    answered = AnswerDialog("Just checking: Are you sure?", GTK_RESPONSE_ACCEPT);
    del();
    EXPECT_EQ(answered_buttons, (std::vector<std::string>{"OK", "CANCEL"}));
    EXPECT_EQ(RosterCount(), count - 1);
    EXPECT_EQ(gridbttnqty, count - 1);
    EXPECT_EQ(zflagpending, nullptr);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_NE(sd->firstlast, name);
    for (auto& t : sqrtag) EXPECT_EQ(t.sd, nullptr);
    EXPECT_EQ(skiptiphd, nullptr);
    EXPECT_EQ(mustoncehd, nullptr);
    Type("z");  // the pending card restore of the next key has nobody to give a card to
    Type("w");
    std::string file = ReadFile("club.dorvel");
    EXPECT_NE(file.find("Adams0"), std::string::npos);
    EXPECT_EQ(file.find(name), std::string::npos);
    int tip = tipcnt;
    Type("r");  // the next tip rolls without the deleted dancer
    EXPECT_EQ(tipcnt, tip + 1);
    EXPECT_EQ(editmode, SQUARES);
}
