// SPDX-License-Identifier: GPL-3.0-or-later
// Card check-in through the real key handler: card numbers typed at reader speed (the ten
// digits and Enter queued at once, on the main keys or the keypad) into whichever window has
// the focus, with the card window, the command grid and the multi-card window driven through
// their own buttons.
#include <gtest/gtest.h>

#include <random>

#include "commands/keys.h"
#include "commands/swipe.h"
#include "dialogs/dancer.h"
#include "display/boards.h"
#include "display/display.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"
#include "test_keys_util.h"

namespace {

constexpr uint64_t kUnknown = 4200000001;

// 8 couples and 4 singles; every dancer but the last two has a card 4100000001, 4100000002...
class Rfid : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        BuildClub(8, 2, 2);
        uint64_t card = 4100000001;
        for (SqrDancer* sd = sdhd; sd && sd->nxt && sd->nxt->nxt; sd = sd->nxt) {
            sd->rfid = card++;
            RfidInsert(sd);
        }
        SwitchDisplay(EDIT);
        Pump();
    }
    // Whether keys typed into the main window reach the dispatcher.
    static bool KeysWork() {
        int steps = scrollerincrchg;
        Type("F");
        bool moved = scrollerincrchg == steps + 1;
        Type("f");
        return moved && didhandler == 1;
    }
    // Runs the main loop for ms milliseconds, or until the card window is gone with gone set.
    static void PumpFor(int ms, bool gone = false) {
        for (gint64 end = g_get_monotonic_time() + ms * 1000; g_get_monotonic_time() < end;) {
            g_usleep(5000);
            Pump();
            if (gone && !sdnew) return;
        }
    }
    // The number the card window shows (its label outside the buttons).
    static std::string CardWindowText() {
        GtkWidget* box = sdnew ? gtk_bin_get_child(GTK_BIN(sdnew)) : nullptr;
        GList* kids = box ? gtk_container_get_children(GTK_CONTAINER(box)) : nullptr;
        std::string text = kids && GTK_IS_LABEL(kids->data) ? gtk_label_get_text(GTK_LABEL(kids->data)) : "";
        g_list_free(kids);
        return text;
    }
    static std::string SdnewTitle() {
        const char* t = sdnew ? gtk_window_get_title(GTK_WINDOW(sdnew)) : nullptr;
        return t ? t : "";
    }
};

TEST_F(Rfid, KnownCardsCheckInAndOutOnEveryDisplay) {
    SqrDancer* sd = RfidFind(4100000003);
    ASSERT_NE(sd, nullptr);
    sd->avail = 0;
    pgmfloor = Main;
    Type("p");
    int cells = BoardCellQty();
    Swipe(sd->rfid);
    EXPECT_EQ(sd->avail, 1);
    EXPECT_EQ(sd->pgm, Main);
    EXPECT_EQ(BoardCellQty(), cells + 1);  // redrawn
    EXPECT_EQ(PopupText(), sd->dispname + " is available to dance");
    Swipe(sd->rfid, true);  // at once, while the note is up, on the keypad
    EXPECT_EQ(sd->avail, 0);
    EXPECT_EQ(PopupText(), sd->dispname + " is no longer available to dance");

    pgmfloor = Basic;
    Type("r");
    ASSERT_EQ(editmode, SQUARES);
    int tip = tipcnt;
    GtkWidget* first = BoardCell(0);
    Swipe(sd->rfid);
    EXPECT_EQ(sd->avail, 1);
    EXPECT_EQ(BoardCell(0), first);  // the tip's board stays
    EXPECT_EQ(tipcnt, tip);
    EXPECT_EQ(PopupText(), sd->dispname + " is available to dance");

    Type("e");
    Swipe(sd->rfid);
    EXPECT_EQ(editmode, EDIT);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(sd->availbttn)));  // pressed in: absent
    EXPECT_EQ(PopupText(), sd->dispname + " is no longer available to dance");

    Type("h");
    ASSERT_EQ(editmode, HISTORY);
    Swipe(sd->rfid);
    EXPECT_EQ(sd->avail, 1);
    Swipe(kUnknown);
    EXPECT_EQ(PopupText(), "please try again when square assignments are not being shown");
    EXPECT_EQ(sdnew, nullptr);
    // Digits are never commands: nothing but the check-ins happened.
    EXPECT_EQ(editmode, HISTORY);
    EXPECT_EQ(Eflag + Iflag + Mflag + zflag + skiptipflag, 0);
    EXPECT_EQ(CardTableFaults(), "");
}

TEST_F(Rfid, AnUnknownCardGoesToANewAnonymousDancerOrToADancerWithoutCard) {
    int before = RosterCount();
    Swipe(kUnknown);
    EXPECT_EQ(SdnewTitle(), "Rfid Display");
    EXPECT_EQ(CardWindowText(), "rfid#4200000001");
    ASSERT_NE(ButtonLabelled(sdnew, "Sngl-FM"), nullptr);
    EXPECT_EQ(didhandler, 0);
    // A number typed into the window is taken as a card: a wrong one is refused, and its
    // Enter does not press the button that has the focus.
    gtk_widget_grab_focus(ButtonLabelled(sdnew, "Couple"));
    QueueKeys(sdnew, "1234567\r");
    PumpFor(400);  // a button pressed by a key clicks only after a moment
    EXPECT_EQ(RosterCount(), before);
    ASSERT_NE(sdnew, nullptr);
    Swipe(kUnknown + 1);  // a second card replaces the window
    EXPECT_EQ(CardWindowText(), "rfid#4200000002");
    // The operator's own Enter presses the button that has the focus.
    gtk_widget_grab_focus(ButtonLabelled(sdnew, "Couple"));
    QueueKeys(sdnew, "\r");
    PumpFor(3000, true);
    SqrDancer* cpl = RfidFind(kUnknown + 1);
    ASSERT_NE(cpl, nullptr);
    EXPECT_EQ(cpl->firstname + " " + cpl->lastname, "M Couple#001");
    EXPECT_EQ(cpl->avail + cpl->partner->avail, 2);
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_TRUE(KeysWork());

    // E and a known card: the card moves to a dancer without one, who becomes present.
    SqrDancer* holder = RfidFind(4100000001);
    SqrDancer* target = sdtl;  // has no card
    target->avail = 0;
    Type("E");
    Swipe(holder->rfid);
    gtk_button_clicked(GTK_BUTTON(ButtonLabelled(sdnew, "SqrDancer")));
    Pump();
    ASSERT_NE(rfidslider, nullptr);
    GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(rfidslider));
    ASSERT_EQ((int)gtk_adjustment_get_upper(adj), mapi2sdqty - 1);
    int pos = 0;
    for (int i = 1; i < mapi2sdqty - 1; ++i) {
        EXPECT_EQ(mapi2sd[i]->rfid, 0u);
        if (mapi2sd[i] == target) pos = i;
    }
    EXPECT_EQ(mapi2sd[0], nullptr);
    EXPECT_EQ(mapi2sd[mapi2sdqty - 1], nullptr);
    gtk_range_set_value(GTK_RANGE(rfidslider), pos);
    EXPECT_EQ(gtk_button_get_label(GTK_BUTTON(rfidsliderbttn)), target->firstlast);
    gtk_button_clicked(GTK_BUTTON(rfidsliderbttn));
    Pump();
    EXPECT_EQ(RfidFind(4100000001), target);
    EXPECT_EQ(holder->rfid, 0u);
    EXPECT_EQ(target->avail, 1);
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_TRUE(KeysWork());

    // "None" on the slider takes the card from everybody and leaves the window open.
    Type("E");
    Swipe(4100000001);
    gtk_button_clicked(GTK_BUTTON(ButtonLabelled(sdnew, "SqrDancer")));
    Pump();
    gtk_button_clicked(GTK_BUTTON(rfidsliderbttn));
    Pump();
    EXPECT_EQ(target->rfid, 0u);
    EXPECT_EQ(RfidFind(4100000001), nullptr);
    ASSERT_NE(sdnew, nullptr);
    gtk_button_clicked(GTK_BUTTON(ButtonLabelled(sdnew, "Cancel")));
    Pump();
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_TRUE(KeysWork());

    // With RfidWarn unknown cards are refused.
    Rflag = 1;
    Swipe(kUnknown + 2);
    EXPECT_EQ(PopupText(), strprintf("rfid#%lu is not supported (Rflag=1)", kUnknown + 2));
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(CardTableFaults(), "");
}

// The operator clicked a name in the main window while the card window is open, so the
// reader types the next card into the main window: it still checks its dancer in, and
// neither its Enter nor a stray Enter or space presses the name button that has the focus.
TEST_F(Rfid, ACardTypedBehindTheCardWindowPressesNoName) {
    Swipe(kUnknown);
    ASSERT_EQ(SdnewTitle(), "Rfid Display");
    SqrDancer* clicked = sdhd;
    ASSERT_TRUE(ClickName(clicked));
    int presence = clicked->avail;
    for (const char* k : {"\r", " ", "\n"}) {
        gtk_widget_grab_focus(clicked->availbttn);
        QueueKeys(sdwin, k);
        Pump();
        EXPECT_EQ(clicked->avail, presence) << int(k[0]);
    }
    SqrDancer* arriving = RfidFind(4100000003);
    int was = arriving->avail;
    gtk_widget_grab_focus(clicked->availbttn);
    QueueKeys(sdwin, "4100000003\r");
    Pump();
    EXPECT_NE(arriving->avail, was);
    EXPECT_EQ(clicked->avail, presence);
    EXPECT_EQ(CardTableFaults(), "");
}

TEST_F(Rfid, CommandCards) {
    speccard[PRESENT_ROLL] = 4300000000;
    speccard[SPECCARD_INFO] = speccard[SPECCARD_M] = 4300000001;  // acts as the lower slot
    speccard[SPECCARD_SKIPTIP] = 4300000002;
    speccard[SPECCARD_FM] = 4300000003;
    speccard[SPECCARD_C1] = 4300000004;
    speccard[SPECCARD_SKIP] = 4100000005;  // no command: still the dancer's card
    Type("p");
    Swipe(4300000000);
    EXPECT_EQ(editmode, SQUARES);
    EXPECT_EQ(tipcnt, 1);
    Swipe(4300000000);
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(tipcnt, 1);

    SqrDancer* sd = RfidFind(4100000001);
    Swipe(4300000001);
    EXPECT_EQ(PopupText(), "Pending: swipe any dancer card");
    Swipe(sd->rfid);
    EXPECT_EQ(PopupText(), strprintf("rfid#4100000001: %s %s Basic partner<%s>", sd->firstlast.c_str(),
                                     strsex(sd->sex), sd->partner->firstlast.c_str()));
    EXPECT_EQ(sd->avail, 1);  // reported, not checked out
    Type("I");
    Swipe(4300000000);
    EXPECT_EQ(PopupText(), "rfid#4300000000: present:roll (command cmd card)");
    EXPECT_EQ(editmode, PRESENT);
    Type("I");
    Swipe(4300000004);
    EXPECT_EQ(PopupText(), "rfid#4300000004: C1 (command cmd card)");
    Type("I");
    Swipe(kUnknown);
    EXPECT_EQ(PopupText(), strprintf("rfid#%lu - no square dancer or cmd card is currently associated", kUnknown));

    Swipe(4300000003);
    EXPECT_EQ(PopupText(), "Pending: enter card");
    Swipe(sd->rfid);
    EXPECT_EQ(sd->sex, FM);
    Swipe(4300000004);
    EXPECT_EQ(PopupText(), "Change program pending: swipe dancer's card");
    Swipe(kUnknown);  // nobody's card: the change is dropped, not left for the next dancer
    EXPECT_EQ(chgpgmflag, -1);
    Swipe(sd->rfid);
    EXPECT_EQ(sd->pgm, Basic);
    EXPECT_EQ(sd->avail, 0);

    SqrDancer* skipper = RfidFind(4100000002);
    Swipe(4300000002);
    EXPECT_EQ(skiptipflag, 1);
    Swipe(skipper->rfid);
    EXPECT_EQ(PopupText(), skipper->firstlast + " will be skipping the next tip");
    EXPECT_EQ(skipper->avail, 0);
    EXPECT_EQ(skipper->skip, 1);
    EXPECT_EQ(skiptipflag, 0);

    SqrDancer* five = RfidFind(4100000005);
    Swipe(4100000005);
    EXPECT_EQ(five->avail, 0);
}

TEST_F(Rfid, ACardIsGivenACommandInTheGrid) {
    SqrDancer* sd = RfidFind(4100000004);
    speccard[SPECCARD_M] = speccard[SPECCARD_A1] = 4300000009;
    Type("z");
    Swipe(sd->rfid);
    ASSERT_NE(speccardgrid, nullptr);
    EXPECT_EQ(sd->rfid, 0u);
    EXPECT_EQ(RfidFind(4100000004), nullptr);
    EXPECT_EQ(didhandler, 0);
    GtkWidget* m = speccardgridbttn[SPECCARD_M];
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(speccardgridbttn[SPECCARD_F])));
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m)));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m), TRUE);
    Pump();
    EXPECT_EQ(speccardgrid, nullptr);
    EXPECT_EQ(speccard[SPECCARD_M], 4100000004u);
    EXPECT_EQ(speccard[SPECCARD_A1], 0u);  // the old card lost all its commands
    EXPECT_EQ(PopupText(), "rfid command card<M> set to 4100000004\n");
    EXPECT_TRUE(KeysWork());
    Type("z0\r");  // the pending restore of the next z finds nothing to give back
    EXPECT_EQ(sd->rfid, 0u);
    Type("t");

    // A grid closed without a command gives the card back, also when a card swiped meanwhile
    // closes it; one whose dancer is gone meanwhile gives nothing back.
    SqrDancer* other = RfidFind(4100000006);
    Type("z");
    Swipe(other->rfid);
    ASSERT_NE(speccardgrid, nullptr);
    bool was = RfidFind(4100000007)->avail;
    Swipe(4100000007);  // a dancer checks in while the grid is up
    EXPECT_NE(RfidFind(4100000007)->avail, was);
    EXPECT_EQ(speccardgrid, nullptr);
    EXPECT_EQ(RfidFind(4100000006), other);
    EXPECT_TRUE(KeysWork());
    Type("z");
    Swipe(other->rfid);
    DelDancer(other);
    Type("1\r");  // a warning takes the grid's place
    EXPECT_EQ(speccardgrid, nullptr);
    EXPECT_EQ(RfidFind(4100000006), nullptr);
    EXPECT_TRUE(KeysWork());
    EXPECT_EQ(CardTableFaults(), "");
}

TEST_F(Rfid, MultiCardWindowMakesAnonymousDancers) {
    Type("M");
    EXPECT_EQ(Mflag, 1);
    EXPECT_EQ(SdnewTitle(), "Multiple-Anonymous Rfid Display");
    for (uint64_t c = 1; c <= 3; ++c) Swipe(4400000000 + c);  // into the window that has the focus
    EXPECT_EQ(RfidFind(4400000003)->lastname, "Couple#003");
    EXPECT_EQ(anoncounts[5], 3);
    EXPECT_EQ(RosterCount(), 20 + 6);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(ButtonLabelled(sdnew, "F")), TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(ButtonLabelled(sdnew, "Couple")), TRUE);
    Swipe(4400000004);
    EXPECT_EQ(RfidFind(4400000004)->lastname, "Couple#004");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(ButtonLabelled(sdnew, "F")), TRUE);
    Swipe(4400000004);  // re-typed: the same dancer keeps the card
    SqrDancer* s = RfidFind(4400000004);
    EXPECT_EQ(s->firstlast, "F Sngl#005");
    EXPECT_EQ(s->partner, nullptr);
    EXPECT_EQ(anoncounts[5], 3);
    EXPECT_EQ(anoncounts[F], 1);
    EXPECT_EQ(RosterCount(), 20 + 8 - 1);
    QueueKeys(KeyTarget(), "M");  // typed into the window: multi-card mode off
    Pump();
    EXPECT_EQ(Mflag, 0);
    EXPECT_EQ(sdnew, nullptr);
    Type("M");
    gtk_button_clicked(GTK_BUTTON(ButtonLabelled(sdnew, "Done")));
    Pump();
    EXPECT_EQ(Mflag, 0);
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_TRUE(KeysWork());
    EXPECT_EQ(CardTableFaults(), "");
}

TEST_F(Rfid, TheNewDancersCard) {
    SqrDancer* fresh = AddDancer("New", "Comer", F);
    SqrDancer* old = RfidFind(4100000008);
    newsd = fresh;
    NDflag = 1;
    Swipe(4100000008);
    EXPECT_EQ(RfidFind(4100000008), fresh);
    EXPECT_EQ(old->rfid, 0u);
    EXPECT_EQ(NDflag, 0);
    EXPECT_EQ(newsd, nullptr);
    newsd = AddDancer("Gone", "Before", M);
    NDflag = 1;
    DelDancer(newsd);
    Swipe(kUnknown);
    EXPECT_EQ(PopupText(), strprintf("rfid#%010lu: no new dancer is waiting for a card", kUnknown));
    EXPECT_EQ(CardTableFaults(), "");
}

// A card swiped into a text field of a dialog (the setup dialog's club name, the new dancer's
// name) checks its dancer in or out and changes nothing else: the field keeps its text, the
// dialog stays open. Digits typed at a person's speed are typed into the field.
TEST_F(Rfid, ACardSwipedIntoADialogFieldChecksInAndTypesNothing) {
    EventFilterInstall();
    SqrDancer* sd = RfidFind(4100000003);
    for (char open : {'s', 'n'}) {
        SCOPED_TRACE(open);
        Type(std::string(1, open));
        GtkWidget* win = sdnew;
        GtkWidget* entry = win ? gtk_window_get_focus(GTK_WINDOW(win)) : nullptr;
        ASSERT_TRUE(entry && GTK_IS_ENTRY(entry));
        std::string before = gtk_entry_get_text(GTK_ENTRY(entry));
        int avail = sd->avail;
        QueueKeys(win, "4100000003\r");
        Pump();
        EXPECT_EQ(gtk_entry_get_text(GTK_ENTRY(entry)), before);
        EXPECT_EQ(sd->avail, !avail);
        EXPECT_EQ(sdnew, win);
        // A slow reader, 40 ms a key: still a card, not typing.
        QueueKeys(win, "4100000003\r", false, 40);
        PumpFor(100);
        EXPECT_EQ(gtk_entry_get_text(GTK_ENTRY(entry)), before);
        EXPECT_EQ(sd->avail, avail);
        EXPECT_EQ(sdnew, win);
        QueueKeys(win, "4100000003\r", false, 40);
        PumpFor(100);
        QueueKeys(win, "4100000003", false, 120);
        PumpFor(300);
        EXPECT_NE(std::string(gtk_entry_get_text(GTK_ENTRY(entry))).find("4100000003"), std::string::npos);
        EXPECT_EQ(sd->avail, !avail);
        SwitchDisplay(EDIT);
    }
    gdk_event_handler_set([](GdkEvent* e, gpointer) { gtk_main_do_event(e); }, nullptr, nullptr);
}

// A card read slowly (40 ms a key) into a window over the main one does what it does there,
// whichever widget has the focus: a second unknown card replaces the card window; over a
// dancer's pop-up, a known card checks in or out with its note, an unknown one opens the card window.
TEST_F(Rfid, CardsInTheCardWindowAndTheDancersPopupsGoTheMainWindowsWay) {
    EventFilterInstall();
    for (bool search : {true, false}) {
        SCOPED_TRACE(search);
        Swipe(kUnknown);
        ASSERT_EQ(CardWindowText(), "rfid#4200000001");
        if (!search) gtk_widget_grab_focus(ButtonLabelled(sdnew, "Couple"));
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(sdnew));
        ASSERT_EQ(focus && GTK_IS_ENTRY(focus), search);
        QueueKeys(sdnew, "4200000002\r", false, 40);
        PumpFor(150);
        EXPECT_EQ(CardWindowText(), "rfid#4200000002");
        gtk_button_clicked(GTK_BUTTON(ButtonLabelled(sdnew, "Cancel")));
        Pump();
    }
    SqrDancer* sd = sdhd->nxt->nxt;
    SqrDancer* arriving = RfidFind(4100000005);
    for (void (*open)(GtkWidget*, void*) : {NameBttn, PgmBttn, SexBttn, PartnerBttn}) {
        for (bool known : {true, false}) {
            SwitchDisplay(EDIT);
            open(nullptr, sd);
            Pump();
            ASSERT_TRUE(DancerPopupOpen());
            int was = arriving->avail;
            QueueKeys(sdpop, known ? "4100000005\r" : "4200000003\r", false, 40);
            PumpFor(150);
            if (!known) {
                EXPECT_EQ(CardWindowText(), "rfid#4200000003");
                break;
            }
            EXPECT_NE(arriving->avail, was);
            EXPECT_EQ(PopupText(), strprintf(arriving->avail ? "%s is available to dance" : "%s is no longer available to dance",
                                             arriving->dispname.c_str()));
        }
        if (sdnew) gtk_button_clicked(GTK_BUTTON(ButtonLabelled(sdnew, "Cancel")));
        Pump();
        EXPECT_TRUE(KeysWork());
    }
    EXPECT_EQ(CardTableFaults(), "");
    gdk_event_handler_set([](GdkEvent* e, gpointer) { gtk_main_do_event(e); }, nullptr, nullptr);
}

// Whatever the operator and the dancers do, the card table agrees with the roster and the
// keys come back to the main window once no card window is open.
TEST_F(Rfid, CardTableAgreesWithTheRosterThroughAnyEvening) {
    speccard[PRESENT_ROLL] = 4300000000;
    speccard[SPECCARD_INFO] = 4300000001;
    speccard[SPECCARD_SKIPTIP] = 4300000002;
    speccard[SPECCARD_F] = 4300000003;
    speccard[SPECCARD_PLUS] = 4300000004;
    std::mt19937 rng(11);
    auto pick = [&](unsigned n) { return (unsigned)(rng() % n); };
    std::string trail;
    for (int step = 0; step < 300; ++step) {
        unsigned kind = pick(20);
        if (kind < 8) {  // a card: a dancer's, a command, or one of a few unknown ones
            uint64_t card = pick(3) == 0 ? 4300000000 + pick(5) : pick(4) == 0 ? kUnknown + pick(4) : 4100000001 + pick(14);
            Swipe(card, pick(2));
            trail += 's';
        } else if (kind < 13) {
            if (!ActOnCardWindows(pick(1000))) {
                QueueKeys(KeyTarget(), std::string(1, "EIzMpre"[pick(7)]));
                Pump();
            }
            trail += 'a';
        } else if (kind < 15) {
            // k asks before it removes a dancer entered tonight: answered either way.
            AnswerDialog("Remove the newest dancer?", pick(2) ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_REJECT);
            QueueKeys(KeyTarget(), "k");
            Pump();
            CancelAnswers();
            trail += 'k';
        } else if (kind < 17 && sdhd) {
            SqrDancer* sd = sdhd;
            for (unsigned n = pick((unsigned)RosterCount()); n && sd->nxt; --n) sd = sd->nxt;
            DelDancer(sd);
            SwitchDisplay(EDIT);
            trail += 'd';
        } else if (kind < 18) {
            SwitchDisplay(EDIT);  // the windows close before their dancers go
            ResetEvening();
            ResetKeybrd();
            outputfilename = "club.dorvel";
            SwitchDisplay(EDIT);
            BuildClub(4, 1, 1);
            trail += 'R';
        } else {  // the roster as written, read back
            ASSERT_TRUE(WriteDorvels(1));
            SwitchDisplay(EDIT);
            ResetEvening();
            FILE* fp = fopen("club.dorvel", "r");
            ASSERT_NE(fp, nullptr);
            ReadDorvels(fp);
            fclose(fp);
            outputfilename = "club.dorvel";
            SwitchDisplay(EDIT);
            trail += 'w';
        }
        if (trail.size() > 40) trail.erase(0, 1);
        ASSERT_EQ(CardTableFaults(), "") << "step " << step << " after " << trail;
        if (!sdnew && !speccardgrid) {
            ASSERT_EQ(didhandler, 1) << "step " << step << " after " << trail;
        }
    }
}

}  // namespace
