// SPDX-License-Identifier: GPL-3.0-or-later
// The squares and present boards read back: cell texts, grid positions, stripes.
#include <gtk/gtk.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <random>

#include "assign/assign.h"
#include "display/boards.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"

namespace {

int HistoryCount() {
    int n = 0;
    for (History* h = histhd; h; h = h->nxt) ++n;
    return n;
}

// Every cell of the board sits at its column-major place, striped by row.
void ExpectLayout(const char* oddcolor) {
    ASSERT_GT(boardrowqty, 0);
    for (int i = 0; i < BoardCellQty(); ++i) {
        GtkWidget* w = BoardCell(i);
        EXPECT_EQ(GridPos(w), std::make_pair(i / boardrowqty, i % boardrowqty)) << "cell " << i;
        EXPECT_EQ(Background(w), (i % boardrowqty) % 2 == 0 ? "#fffff0" : oddcolor) << "cell " << i;
    }
}

// Nothing on the board is narrower than its text.
void ExpectNothingCut() {
    BoardsSettle();
    for (int i = 0; i < BoardCellQty(); ++i) {
        GtkWidget* w = BoardCell(i);
        int minw = 0, natw = 0;
        gtk_widget_get_preferred_width(w, &minw, &natw);
        GtkAllocation a;
        gtk_widget_get_allocation(w, &a);
        EXPECT_GE(a.width, natw) << "cell " << i << " <" << CellText(w) << ">";
    }
}

// The board as the hall and a screen reader see it: cells, the grid's child order, shape, title.
std::vector<std::string> BoardLook() {
    std::vector<std::string> look;
    for (int i = 0; i < BoardCellQty(); ++i) {
        GtkWidget* w = BoardCell(i);
        auto [col, row] = GridPos(w);
        PangoAttrList* attrs = GTK_IS_LABEL(w) ? gtk_label_get_attributes(GTK_LABEL(w)) : nullptr;
        g_autofree gchar* own = attrs ? pango_attr_list_to_string(attrs) : nullptr;
        look.push_back(strprintf("%d <%s> %d,%d %s %s %s %d", i, CellText(w).c_str(), col, row, Background(w).c_str(),
                                 Foreground(w).c_str(), own ? own : "", (int)gtk_widget_get_visible(w)));
    }
    std::string order;
    GList* kids = sdgrid ? gtk_container_get_children(GTK_CONTAINER(sdgrid)) : nullptr;
    for (GList* l = kids; l; l = l->next) order += CellText(GTK_WIDGET(l->data)) + "|";
    g_list_free(kids);
    look.push_back(order);
    look.push_back(strprintf("%dx%d scrolls %d shown %d: %s", boardcolqty, boardrowqty, (int)(sqrslider != nullptr),
                             (int)(ShownDisplay() != nullptr), WinTitle(nullptr).c_str()));
    return look;
}

}  // namespace

using SquaresBoard = BoardsWindow;

// Boards kept from one display to the next and retexted in place look, over a random evening
// of arrivals, departures, renames, rolls, font steps and display changes, as built afresh.
TEST_F(SquaresBoard, BoardsUpdatedInPlaceLookAsBoardsBuiltAfresh) {
    for (int i = 0; i < 30; ++i) AddCouple("Al", "Bea", strprintf("Fam%0*d", 2 + i % 5, i));
    for (int i = 0; i < 8; ++i) AddDancer(strprintf("Solo%d", i), strprintf("Single%d", i), i % 2 ? F : M);
    SortByName();
    std::mt19937 rng(20261208);
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    auto any = [&] {
        std::vector<SqrDancer*> all;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) all.push_back(sd);
        return all[(size_t)pick((int)all.size())];
    };
    std::map<EDITMODE, GtkWidget*> firstcell;  // the first label of each kind's board built last
    int inplace = 0, boards = 0;
    for (int step = 0; step < 70; ++step) {
        if (int act = pick(6); act < 2) {
            for (int k = pick(3) + 1; k > 0; --k) CardPresenceFlip(any());
        } else if (act == 2) {
            SqrDancer* sd = any();
            sd->firstname = strprintf("Re%d", step * 7 % 23);
            sd->firstlast = sd->firstname + " " + sd->lastname;
            SetupDispNames();
        } else if (act == 3) AddDancer(strprintf("New%d", step), strprintf("Late%02d", pick(40)), pick(2) ? F : M);
        Resolution* startres = res;  // the font set the board built afresh starts from too
        int key = pick(10), tips = tipcnt;
        if (key < 3) SwitchDisplay(SQUARES);
        else if (key < 6) SwitchDisplay(PRESENT);
        else if (key < 8 && histtl) HistoryChange(pick(2) ? -1 : 0);
        else if (key < 9) SwitchDisplay(EDIT);
        else if (editmode == SQUARES) ChangeFontSize(pick(2) ? 1 : -1), startres = res;
        else continue;  // nothing shown anew
        DestroyWidget(sdpop);  // a note about the font leaves the board as it is
        // A roll that cannot be made (roles out of balance) leaves the display as it was.
        if ((key < 3 && tipcnt == tips) || (editmode != SQUARES && editmode != PRESENT && editmode != HISTORY)) continue;
        BoardsSettle();
        if (BoardCellQty() == 0) continue;
        ++boards;
        if (firstcell[editmode] == BoardCell(0)) ++inplace;
        EDITMODE mode = editmode;
        std::vector<std::string> kept = BoardLook();
        BoardForgetShown();
        res = startres;
        if (mode == SQUARES) SquaresBoardAgain();
        else if (mode == PRESENT) PresentRetext();
        else HistoryRedisplay();
        BoardsSettle();
        ASSERT_EQ(editmode, mode);
        ASSERT_EQ(kept, BoardLook()) << "step " << step << ", display " << (int)mode << ": kept, then afresh";
        firstcell[mode] = BoardCell(0);
    }
    EXPECT_GT(boards, 25);  // the evening went through kept boards, not only fresh ones
    EXPECT_GT(inplace, 10);
}

TEST_F(SquaresBoard, OneSquareCoupleSinglePairAndMixedNames) {
    OneSquareClub();
    SwitchDisplay(SQUARES);

    EXPECT_EQ(editmode, SQUARES);
    EXPECT_EQ(tipcnt, 1);
    // Couples of one last name make one entry under the leader; the couple of two names is
    // joined by a colon; the pair found by the roll has an entry each, naming itself first.
    std::vector<std::string> want = {SqrEntry(11, "Jones:Brown", 1), SqrEntry(11, "Lee", 1),
                                     SqrEntry(11, "Smith", 1), SqrEntry(11, "Tam+Uhl", 1),
                                     SqrEntry(11, "Uhl+Tam", 1)};
    EXPECT_EQ(BoardTexts(), want);
    EXPECT_EQ(want[2], "      Smith:   1");
    SqrDancer* ann = nullptr;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->firstname == "Ann") ann = sd;
    ASSERT_NE(ann, nullptr);
    EXPECT_EQ(ann->display, 0);
    EXPECT_EQ(ann->partner->display, 1);
    ExpectLayout("#90ee90");
    EXPECT_GE(boardrowqty, boardcolqty);
    EXPECT_GE(boardrowqty * boardcolqty, 6);  // 8 dancers, two couples of one name

    // The board is the tip's history record, and the club file is on disk.
    ASSERT_EQ(HistoryCount(), 1);
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(histtl->sqrlist[i], want[i].c_str());
    struct stat st;
    EXPECT_EQ(stat("club.dorvel", &st), 0);
    EXPECT_GT(st.st_size, 0);
}

TEST_F(SquaresBoard, SingleWithoutPartnerAsksAndOutDancersShowOut) {
    for (const char* last : {"Adams", "Baker", "Clark"}) Prio(AddCouple("Al", "Amy", last), MUST);
    AddDancer("Sue", "Tam", F, Basic, MUST);
    AddCouple("Ken", "Ann", "Kay");
    AddDancer("Zoe", "Zorn", F);
    SortByName();
    SwitchDisplay(SQUARES);

    std::vector<std::string> want = {SqrEntry(9, "Adams", 1), SqrEntry(9, "Baker", 1),
                                     SqrEntry(9, "Clark", 1), OutEntry(9, "Kay"),
                                     SqrEntry(9, "Tam&(ask)", 1), OutEntry(9, "Zorn")};
    EXPECT_EQ(BoardTexts(), want);
    std::vector<std::string> out;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) out.push_back(od->sd->firstlast);
    EXPECT_EQ(out, (std::vector<std::string>{"Ann Kay", "Ken Kay", "Zoe Zorn"}));
}

TEST_F(SquaresBoard, AskingOffBringsInACompatibleOutDancer) {
    askflag = 0;
    for (const char* last : {"Adams", "Baker", "Clark"}) Prio(AddCouple("Al", "Amy", last), MUST);
    SqrDancer* sue = AddDancer("Sue", "Tam", F, Basic, MUST);
    SqrDancer* ken = AddCouple("Ken", "Ann", "Kay");
    AddDancer("Zoe", "Zorn", F);
    SortByName();
    SwitchDisplay(SQUARES);

    // Ann Kay (F) cannot partner Sue; Ken Kay can. Widths come from before the asking. The
    // couple, apart on the board, is told apart by the first initials.
    EXPECT_EQ(sue->tmppartner, ken);
    EXPECT_EQ(ken->assigned, 3);
    EXPECT_EQ(ken->square, sue->square);
    std::vector<std::string> want = {SqrEntry(9, "Adams", 1), SqrEntry(9, "Baker", 1),
                                     SqrEntry(9, "Clark", 1), OutEntry(9, "Kay AF"),
                                     SqrEntry(9, "Tam+Kay K", 1), OutEntry(9, "Zorn"), ""};
    EXPECT_EQ(BoardTexts(), want);
    std::string saved;  // the history record, which the hall view and the phone page read, too
    for (int i = 0; i < 2 * histtl->totdancers; ++i) saved += histtl->sqrlist[i] ? histtl->sqrlist[i] + std::string("|") : "";
    EXPECT_NE(saved.find("Tam+Kay K"), std::string::npos) << saved;
    std::vector<std::string> out;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) out.push_back(od->sd->firstlast);
    EXPECT_EQ(out, (std::vector<std::string>{"Ann Kay", "Zoe Zorn"}));
}

TEST_F(SquaresBoard, AnonymousCouplesAndPairNames) {
    AnonCouple(3, Basic);
    AnonSingle(1, 1, 0, 0, 0, Basic);
    SetupDispNames();
    SortByName();
    SwitchDisplay(SQUARES);
    std::vector<std::string> want = {SqrEntry(12, "Couple#001", 1), SqrEntry(12, "Couple#002", 1),
                                     SqrEntry(12, "Couple#003", 1), SqrEntry(12, "Sngl#004+005", 1),
                                     SqrEntry(12, "Sngl#005+004", 1)};
    EXPECT_EQ(BoardTexts(), want);
}

TEST_F(SquaresBoard, TwoSquaresWithFixedSeedsNameEveryCoupleOnceWithItsSquare) {
    static const char* last[] = {"Adams", "Baker", "Clark", "Davis", "Evans", "Fox", "Green", "Hill"};
    for (const char* l : last) AddCouple("Al", "Bea", l);
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(totsquare, 2);
    std::vector<std::string> texts = BoardTexts();
    ASSERT_EQ(texts.size(), 8u);
    std::map<int, int> persquare;
    int i = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd->sex != M) continue;
        EXPECT_EQ(texts[i++], SqrEntry(5, sd->lastname, sd->square + 1));
        persquare[sd->square]++;
    }
    EXPECT_EQ(persquare, (std::map<int, int>{{0, 4}, {1, 4}}));
    ExpectLayout("#90ee90");
    ExpectNothingCut();
}

TEST_F(SquaresBoard, SeventeenEntriesFromFiveColumnsBecomeFourByFive) {
    // One font set, on a screen exactly wide enough for five cells of the widest name.
    std::vector<SqrDancer*> dancers;
    for (int i = 0; i < 17; ++i) dancers.push_back(AddDancer("Al", strprintf("Lastnamelongerstill%02d", i), E));
    SetupDispNames();
    ResetResolutions();
    std::string path = TempDir() + "/one.res";
    WriteFile(path, "1000, \"DejaVu Sans 20\", \"DejaVu Sans 12\", \"DejaVu Sans 8\", \"DejaVu Sans 8\", "
                    "\"DejaVu Sans 12\", 10, 8\n");
    FILE* fp = fopen(path.c_str(), "r");
    ASSERT_NE(fp, nullptr);
    ReadResolutionFile(fp);
    fclose(fp);
    ChooseResolution(1000);
    SetSpacing();
    int meh = 0;
    int mew = MaxEntryWidth(res, &meh, "Lastnamelongerstill16", sp10, SDFONT);
    res->screenwidth = 5 * (sp10 + mew + 2) + sp10 + 1;
    screenwidth = (int)res->screenwidth;
    screenheight = 100000;
    SwitchDisplay(PRESENT);

    EXPECT_EQ(boardcolqty, 4);
    EXPECT_EQ(boardrowqty, 5);
    ASSERT_EQ(BoardCellQty(), 17);
    for (int k = 0; k < 17; ++k) {
        EXPECT_EQ(CellText(BoardCell(k)), strprintf("Lastnamelongerstill%02d", k));
        EXPECT_EQ(GridPos(BoardCell(k)), std::make_pair(k / 5, k % 5));
    }
    EXPECT_EQ(sqrslider, nullptr);
}

using PresentBoard = BoardsWindow;

TEST_F(PresentBoard, ListsPresentDancersOnceWithBlueStripesAndNoRoll) {
    AnonCouple(2, Basic);
    AddCouple("Bob", "Ann", "Smith");
    AddDancer("Sue", "Tam", F);
    AddDancer("Tom", "Uhl", M);
    SqrDancer* gone = AddDancer("Val", "Vance", F);
    gone->avail = 0;
    SqrDancer* low = AddDancer("Wes", "West", M, Basic);
    pgmfloor = Main;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd != low) sd->pgm = Plus;
    SetupDispNames();
    SortByName();
    SwitchDisplay(PRESENT);

    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(tipcnt, 0);
    EXPECT_EQ(HistoryCount(), 0);
    EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(sdwin)), std::string("PRESENT : None's Main Square Dance with None calling"));
    // The anonymous couple under its male half; absent and below-floor dancers left out; the
    // couple of one last name told apart by their initials.
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{"Couple#001", "Couple#002", "Smith A", "Smith B", "Tam", "Uhl"}));
    ExpectLayout("#70d0ff");
    struct stat st;
    EXPECT_NE(stat("club.dorvel", &st), 0);  // only a roll writes the club file
}

TEST_F(PresentBoard, AbsentWithoutNoticeButtonsMarkTheDancerAndFreeItsSquareMates) {
    AnonCouple(1, Basic);
    AddCouple("Bob", "Ann", "Smith");
    AddCouple("Carl", "Cora", "Cole");
    SqrDancer* sue = AddDancer("Sue", "Tam", F);
    AddDancer("Tom", "Uhl", M);
    SqrDancer* late = AddDancer("Xena", "Xu", F);
    late->avail = 0;
    SetupDispNames();
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(totsquare, 1);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->avail) {
            ASSERT_EQ(sd->dances, 1);
        }

    Aflag = 1;
    SetupDispNames();
    SwitchDisplay(PRESENT);
    ASSERT_EQ(BoardCellQty(), 7);
    ASSERT_NE(gridbttn, nullptr);
    EXPECT_TRUE(GTK_IS_TOGGLE_BUTTON(BoardCell(0)));
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{"001 Cole C", "001 Cole C", "001 Couple#001", "001 Smith A",
                                                      "001 Smith B", "001 Tam", "001 Uhl"}));
    int sueposn = 5;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(BoardCell(sueposn)), TRUE);
    BoardsPump();

    EXPECT_EQ(sue->avail, 0);
    EXPECT_EQ(sue->dances, 1);
    EXPECT_EQ(Aflag, 0);
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(gridbttn, nullptr);  // labels again
    EXPECT_TRUE(GTK_IS_LABEL(BoardCell(0)));
    EXPECT_EQ(PopupText(), "Tam is now marked as unavailable (use c to show Squares)");
    int freed = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd == sue || sd == late) continue;
        EXPECT_EQ(sd->dances, 0) << sd->firstlast;
        EXPECT_EQ(sd->outdancer, 0) << sd->firstlast;  // the rebuilt board clears the mark
        ++freed;
    }
    int listed = 0;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) ++listed;
    EXPECT_EQ(listed, freed);
    EXPECT_EQ(late->dances, 0);

    // The anonymous couple leaves as one.
    Aflag = 1;
    SetupDispNames();
    SwitchDisplay(PRESENT);
    GtkWidget* anon = nullptr;
    for (int i = 0; i < BoardCellQty(); ++i)
        if (CellText(BoardCell(i)).find("Couple#001") != std::string::npos) anon = BoardCell(i);
    ASSERT_NE(anon, nullptr);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(anon), TRUE);
    BoardsPump();
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname == "Couple#001") {
            EXPECT_EQ(sd->avail, 0);
        }
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{"Cole C", "Cole C", "Smith A", "Smith B", "Uhl"}));
}

TEST_F(PresentBoard, EmptyRosterShowsTheNote) {
    SwitchDisplay(PRESENT);
    EXPECT_EQ(PopupText(), "               Present Display\nNo dancers have been entered into Dorvels yet!\n"
                           "    (use n to enter a new dancer)");
    EXPECT_EQ(BoardCellQty(), 0);
}

TEST_F(SquaresBoard, TooFewDancersKeepTheTipCountAndShowTheEditDisplay) {
    AddCouple("Bob", "Ann", "Smith");
    AddCouple("Carl", "Cora", "Cole");
    SwitchDisplay(SQUARES);
    EXPECT_EQ(editmode, EDIT);
    EXPECT_EQ(tipcnt, 0);
    EXPECT_EQ(HistoryCount(), 0);
    EXPECT_NE(PopupText().find("Not enough dancers for even one square!"), std::string::npos);
    EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(sdwin)), std::string("None's Square Dance with None calling"));
}

TEST_F(SquaresBoard, FontChangeRetextsTheSameCellsAndKeepsOneRecordPerTip) {
    static const char* last[] = {"Adams", "Baker", "Clark", "Davis", "Evans", "Fox", "Green", "Hill"};
    for (const char* l : last) AddCouple("Al", "Bea", l);
    SortByName();
    SwitchDisplay(SQUARES);
    SwitchDisplay(SQUARES);
    ASSERT_EQ(tipcnt, 2);
    std::vector<std::string> before = BoardTexts();
    GtkWidget* first = BoardCell(0);
    ASSERT_EQ(ChangeFontSize(-1), 0);
    EXPECT_EQ(BoardCell(0), first);
    EXPECT_EQ(BoardTexts(), before);
    EXPECT_EQ(tipcnt, 2);
    EXPECT_EQ(HistoryCount(), 2);
    EXPECT_STREQ(histtl->sqrlist[0], before[0].c_str());
}

TEST_F(SquaresBoard, LongBoardScrollsAndKeepsEveryNameWhole) {
    for (int i = 0; i < 150; ++i) AddCouple("Al", "Bea", strprintf("Surname%03d", i));
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_NE(sqrslider, nullptr);
    EXPECT_TRUE(GTK_IS_SCROLLBAR(sqrslider));
    EXPECT_EQ(BoardCellQty(), 150);
    ExpectLayout("#90ee90");
    ExpectNothingCut();
}

class SmallScreen : public BoardsWindow {
protected:
    void SetUp() override { Open(1024, 768); }
};

TEST_F(SmallScreen, FortyDancersFitAndStayWhole) {
    for (int i = 0; i < 16; ++i) AddCouple("Al", "Bea", strprintf("Family%02d", i));
    for (int i = 0; i < 4; ++i) AddDancer(strprintf("Mo%d", i), strprintf("Single%d", i), i % 2 ? F : M);
    SortByName();
    SwitchDisplay(SQUARES);
    EXPECT_GT(BoardCellQty(), 16);
    ExpectNothingCut();
    SwitchDisplay(PRESENT);
    EXPECT_EQ(BoardCellQty(), 36);
    ExpectLayout("#70d0ff");
    ExpectNothingCut();
}

// The squares, history and present boards fit the window on every screen width of the bundled
// resolution file (no wider; no taller unless scrolled), for rosters of wide (W, M), narrow and
// plain syllables, couples of one or two last names, singles, and short names that sort first.
TEST_F(SquaresBoard, EveryBoardFitsItsWindowOnEveryScreen) {
    const std::pair<int, int> screens[] = {{800, 600},   {1024, 768},  {1280, 1024}, {1366, 768},
                                           {1600, 900},  {1920, 1080}, {2560, 1440}, {3840, 2160}};
    auto roster = [](unsigned seed) {
        static const char* syll[] = {"Wim", "Mow", "Waw", "Mem", "il", "li", "Ti", "Jil", "Tum", "weed", "kle", "combe"};
        std::mt19937 rnd(seed);
        auto name = [&](int parts) {
            std::string n;
            for (int i = 0; i < parts; ++i) n += syll[rnd() % 12];
            n[0] = (char)toupper((unsigned char)n[0]);
            return n;
        };
        for (int i = 4 + (int)(rnd() % 30); i > 0; --i) {
            std::string last = name(1 + (int)(rnd() % 4));
            if (rnd() % 3 == 0) Pair(AddDancer(name(1), last, M), AddDancer(name(1), name(1 + (int)(rnd() % 3)), F));
            else AddCouple(name(1), name(1), last);
        }
        for (int i = (int)(rnd() % 12); i > 0; --i) AddDancer(name(1), name(1 + (int)(rnd() % 4)), i % 2 ? F : M);
        AddCouple("Ann", "Bob", "Abel");
    };
    for (unsigned seed : {1u, 2u}) {
        for (auto [w, h] : screens) {
            SCOPED_TRACE(strprintf("roster %u on %dx%d", seed, w, h));
            TearDown();
            Open(w, h);
            roster(seed);
            SetupDispNames();
            SortByName();
            for (char board : std::string("shp")) {
                SCOPED_TRACE(board);
                board == 's' ? SwitchDisplay(SQUARES) : board == 'h' ? HistoryChange(0) : SwitchDisplay(PRESENT);
                ASSERT_GT(BoardCellQty(), 0);
                GtkRequisition min;  // what the window must hold (it grows when the board asks more)
                gtk_widget_get_preferred_size(sdwin, &min, nullptr);
                EXPECT_LE(min.width, w);
                EXPECT_TRUE(sqrslider || min.height <= h) << min.height;
            }
        }
    }
}
