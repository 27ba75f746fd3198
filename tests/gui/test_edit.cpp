// SPDX-License-Identifier: GPL-3.0-or-later
// The edit display read back: cells in name order column by column, the name toggle and its
// six small buttons, pressed-in absentees, level colours, hints.
#include <gtk/gtk.h>

#include <algorithm>
#include <map>
#include <random>

#include "assign/assign.h"
#include "display/boards.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"

using EditBoard = BoardsWindow;

TEST_F(EditBoard, CellsCarryNameToggleAndSixButtonsInNameOrder) {
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");
    SqrDancer* ann = bob->partner;
    SqrDancer* zed = AddDancer("Zed", "Zorn", MF, A2, MUST);
    SqrDancer* low = AddDancer("Lou", "Low", FM, Basic);
    SqrDancer* gone = AddDancer("Gus", "Gone", E, Basic);
    gone->avail = 0;
    bob->pgm = ann->pgm = Plus;
    pgmfloor = Plus;
    SetupDispNames();
    SwitchDisplay(EDIT);

    EXPECT_EQ(editmode, EDIT);
    ASSERT_EQ(gridbttnqty, 5);
    // Name order: Gone, Low, Smith A, Smith B, Zorn (the couple told apart by their initials);
    // filled column by column.
    std::vector<SqrDancer*> order = {gone, low, ann, bob, zed};
    for (int i = 0; i < 5; ++i) {
        SqrDancer* sd = order[i];
        EXPECT_EQ(sd->gridposn, i);
        EXPECT_EQ(gridbttn[i], sd->availbttn);
        EXPECT_EQ(GridPos(EditCellFrame(sd)), std::make_pair(i / boardrowqty, i % boardrowqty));
    }
    EXPECT_GE(boardrowqty, boardcolqty);

    auto labels = [](SqrDancer* sd) {
        std::vector<std::string> out;
        for (GtkWidget* w : EditCellButtons(sd)) out.push_back(CellText(w));
        return out;
    };
    EXPECT_EQ(labels(zed), (std::vector<std::string>{"Zorn", "Del", "Must", "Name", "Prtnr", "A2", "MF"}));
    EXPECT_EQ(labels(ann), (std::vector<std::string>{"Smith A", "Del", "Luck", "Name", "Prtnr", "Plus", "F"}));
    EXPECT_EQ(labels(gone), (std::vector<std::string>{"Gone", "Del", "Luck", "Name", "Prtnr", "Basic", "E"}));
    EXPECT_EQ(zed->pgmbttn, EditCellButtons(zed)[5]);
    EXPECT_EQ(zed->sexbttn, EditCellButtons(zed)[6]);

    // Pressed in = absent.
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(gone->availbttn)));
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(bob->availbttn)));
    // Present below the floor: red level; absent below the floor: black.
    GtkWidget* lowlabel = gtk_bin_get_child(GTK_BIN(low->pgmbttn));
    EXPECT_EQ(Foreground(lowlabel), "#ff0000");
    EXPECT_EQ(Foreground(gtk_bin_get_child(GTK_BIN(gone->pgmbttn))), "#000000");
    EXPECT_EQ(Foreground(gtk_bin_get_child(GTK_BIN(bob->pgmbttn))), "#000000");

    // The tooltip of the name button is the dancer's tooltip text.
    bob->dances = 3;
    ann->avail = 0;
    SwitchDisplay(EDIT);
    gchar* tip = gtk_widget_get_tooltip_text(bob->availbttn);
    ASSERT_NE(tip, nullptr);
    EXPECT_STREQ(tip, "Bob Smith : (Ann Smith)\n3 dances - no rfid");
    g_free(tip);
}

TEST_F(EditBoard, ClickingAnAbsentNameMakesTheLateArrivalPresent) {
    SqrDancer* a = AddDancer("Amy", "Able", F);
    SqrDancer* b = AddDancer("Ben", "Best", M);
    a->avail = b->avail = 0;
    maxdances = 3;
    SwitchDisplay(EDIT);
    BoardsPump();
    ASSERT_TRUE(ClickButton(a->availbttn));
    EXPECT_EQ(a->avail, 1);
    EXPECT_EQ(a->dances, 2);
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(a->availbttn)));
    EXPECT_EQ(sdtoggled, a);

    maxdances = 0;
    ASSERT_TRUE(ClickButton(b->availbttn));
    EXPECT_EQ(b->avail, 1);
    EXPECT_EQ(b->dances, 0);

    // Clicking again makes the dancer absent and presses the button in.
    ASSERT_TRUE(ClickButton(a->availbttn));
    EXPECT_EQ(a->avail, 0);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(a->availbttn)));
    EXPECT_EQ(a->dances, 2);
}

TEST_F(EditBoard, EmptyRosterNoteThenHintsOnce) {
    hintflag = 1;
    SwitchDisplay(EDIT);
    EXPECT_EQ(PopupText(), "               Edit Display\nNo dancers have been entered into Dorvels yet!\n"
                           "    (use n to enter a new dancer)");
    EXPECT_EQ(hintflag, 1);
    AddDancer("Amy", "Able", F);
    SwitchDisplay(EDIT);
    EXPECT_EQ(PopupText(), "    Hints\ne: edit display\nm: menu\nn: new dancer\nr: roll squares\ns: setup display");
    EXPECT_EQ(hintflag, 0);
    SwitchDisplay(EDIT);
    EXPECT_EQ(PopupText(), "");
}

TEST_F(EditBoard, SmallButtonsAreConnectedToTheirHandlers) {
    SqrDancer* sd = AddDancer("Amy", "Able", F);
    SwitchDisplay(EDIT);
    std::vector<GtkWidget*> b = EditCellButtons(sd);
    ASSERT_EQ(b.size(), 7u);
    void* handlers[] = {(void*)DelBttn, (void*)LuckMustBttn, (void*)NameBttn, (void*)PartnerBttn,
                        (void*)PgmBttn, (void*)SexBttn};
    for (int i = 0; i < 6; ++i) {
        gulong id = g_signal_handler_find(b[i + 1], GSignalMatchType(G_SIGNAL_MATCH_FUNC | G_SIGNAL_MATCH_DATA), 0, 0, nullptr,
                                          handlers[i], sd);
        EXPECT_NE(id, 0u) << "button " << i;
    }
    EXPECT_EQ(g_signal_handler_find(sd->availbttn, GSignalMatchType(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_FUNC),
                                    g_signal_lookup("toggled", GTK_TYPE_TOGGLE_BUTTON), 0, nullptr,
                                    (void*)ToggleAvail, nullptr),
              (gulong)sd->availsigid);
    EXPECT_GT(sd->availsigid, 0);
}

TEST_F(EditBoard, ThreeHundredDancersScroll) {
    for (int i = 0; i < 150; ++i) AddCouple("Al", "Bea", strprintf("Surname%03d", i));
    SwitchDisplay(EDIT);
    ASSERT_EQ(gridbttnqty, 300);
    GtkWidget* vp = gtk_widget_get_parent(sdgrid);
    ASSERT_NE(vp, nullptr);
    EXPECT_TRUE(GTK_IS_VIEWPORT(vp));
    EXPECT_TRUE(GTK_IS_SCROLLED_WINDOW(gtk_widget_get_parent(vp)));
    for (int i = 0; i < 300; i += 37) {
        SqrDancer* sd = nullptr;
        for (SqrDancer* x = sdhd; x; x = x->nxt)
            if (x->gridposn == i) sd = x;
        ASSERT_NE(sd, nullptr);
        EXPECT_EQ(GridPos(EditCellFrame(sd)), std::make_pair(i / boardrowqty, i % boardrowqty));
    }
}

class SmallEditScreen : public BoardsWindow {
protected:
    void SetUp() override { Open(1024, 768); }
};

TEST_F(SmallEditScreen, CellsThatDoNotFitTakeFewerColumnsAndScroll) {
    for (int i = 0; i < 24; ++i) AddCouple("Al", "Bea", strprintf("Crumpetshire%02d", i));
    SwitchDisplay(EDIT);
    BoardsSettle();
    GtkWidget* vp = gtk_widget_get_parent(sdgrid);
    ASSERT_NE(vp, nullptr);
    EXPECT_TRUE(GTK_IS_VIEWPORT(vp));
    // Every cell gets at least the width it asks for, and the columns fit the window.
    int space = gtk_grid_get_column_spacing(GTK_GRID(sdgrid));
    int maxright = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        GtkWidget* f = EditCellFrame(sd);
        int minw = 0, natw = 0;
        gtk_widget_get_preferred_width(f, &minw, &natw);
        GtkAllocation a;
        gtk_widget_get_allocation(f, &a);
        EXPECT_GE(a.width, minw) << sd->firstlast;
        maxright = std::max(maxright, a.x + a.width);
        EXPECT_EQ(GridPos(f), std::make_pair(sd->gridposn / boardrowqty, sd->gridposn % boardrowqty));
    }
    EXPECT_LE(maxright, 1024 + space);
}

// The edit display is kept across switches: over a random evening of presence, level, role,
// priority and name changes, deletions and arrivals, switches and scrolling, every cell made
// shows its dancer as the dancer is whenever the display shows, a deleted dancer's cell
// reaches it no more, the rows in view have their cells, and the cells are the same widgets
// as long as nobody joined, left or moved in the name order.
TEST_F(EditBoard, KeptCellsFollowTheirDancersOverARandomEvening) {
    for (int i = 0; i < 100; ++i) AddCouple("Al", "Bea", strprintf("Surname%03d", i));
    SetupDispNames();
    std::mt19937 rng(20261207);
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    auto any = [&] {
        std::vector<SqrDancer*> all;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) all.push_back(sd);
        return all[(size_t)pick((int)all.size())];
    };
    std::map<SqrDancer*, GtkWidget*> before;  // the cells of the last edit display shown
    bool moved = true;                        // someone joined, left or was renamed since
    for (int step = 0; step < 80; ++step) {
        SqrDancer* sd = any();
        switch (pick(8)) {
            case 0: CardPresenceFlip(sd); break;
            case 1: sd->pgm = SDPGM(pick(PGMQTY)); break;
            case 2: sd->sex = SDSEX(pick(SEXQTY)); break;
            case 3: sd->priority = sd->priority == LUCK ? MUST : LUCK; break;
            case 4:
                sd->firstname = strprintf("Re%d", step);
                sd->firstlast = sd->firstname + " " + sd->lastname;
                SetupDispNames();
                moved = true;
                break;
            case 5:
                if (RosterCount() > 20) DelDancer(sd), moved = true;
                break;
            case 6:
                AddDancer(strprintf("New%d", step), strprintf("Late%03d", pick(200)), F);
                SetupDispNames();
                moved = true;
                break;
            default: break;
        }
        static const EDITMODE modes[] = {EDIT, EDIT, PRESENT, SQUARES};
        EDITMODE mode = modes[pick(4)];
        SwitchDisplay(mode);
        // A roll that cannot be made (roles out of balance) leaves the display as it was.
        if (editmode != mode) continue;
        if (editmode == EDIT) {
            GtkWidget* shown = EditScrolled();
            if (shown && pick(2)) {
                GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(shown));
                gtk_adjustment_set_value(adj, gtk_adjustment_get_upper(adj) * pick(100) / 100.0);
            }
            BoardsSettle();
            BoardsPump();
            std::map<SqrDancer*, GtkWidget*> now;
            for (auto [d, t] : EditCellsMade())
                if (d) now[d] = t;
            if (!moved) {
                for (auto [d, t] : before)
                    EXPECT_EQ(now[d], t) << "step " << step << ": " << d->firstlast << "'s cell made anew";
            }
            before = now;
            moved = false;
        }
        ASSERT_EQ(EditCellFaults(), "") << "step " << step;
    }
}

// A double click on one of a couple sets the partner through the partner's name button, also
// when the partner's cell is out of view and not made yet.
TEST_F(EditBoard, DoubleClickSetsAPartnerWhoseCellIsOutOfView) {
    for (int i = 0; i < 150; ++i) AddCouple("Al", "Bea", strprintf("Surname%03d", i));
    SqrDancer* a = Pair(AddDancer("Amos", "Aaron", M), AddDancer("Zoe", "Zyx", F));
    SqrDancer* z = a->partner;
    SetupDispNames();
    g_signal_connect(sdwin, "button-press-event", G_CALLBACK(BttnPress), nullptr);
    SwitchDisplay(EDIT);
    BoardsSettle();
    ASSERT_NE(a->availbttn, nullptr);
    ASSERT_EQ(z->availbttn, nullptr);  // the last name of the roster: far out of view
    ASSERT_TRUE(ClickButton(a->availbttn, 0, 2));
    EXPECT_EQ(a->avail, 1);
    EXPECT_EQ(z->avail, 0);
    EXPECT_EQ(EditCellFaults(), "");
}

// A roster of a thousand scrolled to and fro, with dancers changing while out of view and the
// display left and shown again: no more than about three screens of cells live, and a cell
// re-used for the rows coming into view shows its new dancer as the dancer is now (name,
// presence, level and its colour, role, priority) and a click on it reaches that dancer only.
TEST_F(EditBoard, ReusedCellsOfABigRosterShowAndReachTheirNewDancers) {
    for (int i = 0; i < 500; ++i) AddCouple("Al", "Bea", strprintf("Surname%03d", i));
    pgmfloor = Plus;
    SetupDispNames();
    std::vector<SqrDancer*> all;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) all.push_back(sd);
    SwitchDisplay(EDIT);
    BoardsSettle();
    const size_t screen = EditCellsMade().size();
    std::mt19937 rng(20261208);
    auto pick = [&](size_t n) { return (size_t)rng() % n; };
    auto present = [&] { return std::count_if(all.begin(), all.end(), [](SqrDancer* d) { return d->avail; }); };
    for (int step = 0; step < 24; ++step) {
        for (int k = 0; k < 40; ++k) {
            SqrDancer* sd = all[pick(all.size())];
            if (sd->availbttn) continue;  // in view: its cell would show it only after a switch
            switch (pick(4)) {
                case 0: CardPresenceFlip(sd); break;
                case 1: sd->pgm = SDPGM(pick(PGMQTY)); break;
                case 2: sd->sex = SDSEX(pick(SEXQTY)); break;
                default: sd->priority = sd->priority == LUCK ? MUST : LUCK; break;
            }
        }
        if (pick(4) == 0) {
            SwitchDisplay(PRESENT);
            SwitchDisplay(EDIT);
        }
        ASSERT_NE(EditScrolled(), nullptr) << "step " << step;
        GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(EditScrolled()));
        double v = gtk_adjustment_get_upper(adj) * (double)pick(100) / 100.0;
        gtk_adjustment_set_value(adj, v);
        BoardsSettle();
        BoardsPump();
        ASSERT_EQ(EditCellFaults(), "") << "step " << step;
        EXPECT_LE(EditCellsMade().size(), 3 * screen + 3 * (size_t)boardcolqty) << "step " << step;

        // A name in view, once the cells moved into view have their places on screen.
        v = gtk_adjustment_get_value(adj);
        double page = gtk_adjustment_get_page_size(adj);
        std::vector<SqrDancer*> seen;
        for (int i = 0; i < 200 && seen.empty(); ++i) {
            BoardsPump();
            for (auto [d, t] : EditCellsMade()) {
                GtkAllocation a;
                gtk_widget_get_allocation(EditCellFrame(d), &a);
                if (a.y >= v && a.y + a.height <= v + page) seen.push_back(d);
            }
            if (seen.empty()) g_usleep(10000);
        }
        ASSERT_FALSE(seen.empty()) << "step " << step;
        SqrDancer* sd = seen[pick(seen.size())];
        int was = sd->avail;
        auto before = present();
        ASSERT_TRUE(ClickButton(sd->availbttn)) << sd->firstlast;
        EXPECT_NE(sd->avail, was) << "step " << step << ": " << sd->firstlast;
        EXPECT_EQ(std::abs(present() - before), 1) << "step " << step << ": " << sd->firstlast;
    }
}
