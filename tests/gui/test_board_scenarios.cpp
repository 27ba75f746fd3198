// SPDX-License-Identifier: GPL-3.0-or-later
// Boards worked out by hand from the rules of the squares, present, edit and history displays,
// compared with what the program shows: cell texts with their padding, grid places column by
// column, stripes, shapes; and the availability line's names, numbers and ranges.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "assign/assign.h"
#include "display/boards.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"

namespace {

// One font set only, so that the column limits of the set decide the shape. The screen is
// wide enough for many more columns than the limits allow, and too tall to force scrolling.
void OneFontSet(int width, int maxsqrcolqty, int maxeditcolqty) {
    ResetResolutions();
    std::string path = TempDir() + "/scenario.res";
    WriteFile(path, strprintf("%d, \"DejaVu Sans 14\", \"DejaVu Sans 10\", \"DejaVu Sans 6\", \"DejaVu Sans 8\", "
                              "\"DejaVu Sans 10\", %d, %d\n",
                              width, maxsqrcolqty, maxeditcolqty));
    FILE* fp = fopen(path.c_str(), "r");
    ASSERT_NE(fp, nullptr);
    ReadResolutionFile(fp);
    fclose(fp);
    ChooseResolution(width);
    SetSpacing();
    screenwidth = width;
    screenheight = 100000;
}

SqrDancer* Named(const std::string& first, const std::string& last) {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->firstname == first && sd->lastname == last) return sd;
    return nullptr;
}

std::vector<std::string> SavedTexts(const History* h) {
    std::vector<std::string> out;
    for (int i = 0; i < 2 * h->totdancers; ++i)
        if (h->sqrlist[i]) out.push_back(h->sqrlist[i]);
    return out;
}

// Column-major places and row stripes of every cell of the current board.
void ExpectColumnMajor(const char* oddcolor) {
    ASSERT_GT(boardrowqty, 0);
    for (int i = 0; i < BoardCellQty(); ++i) {
        GtkWidget* w = BoardCell(i);
        EXPECT_EQ(GridPos(w), std::make_pair(i / boardrowqty, i % boardrowqty)) << "cell " << i;
        EXPECT_EQ(Background(w), (i % boardrowqty) % 2 == 0 ? "#fffff0" : oddcolor) << "cell " << i;
    }
}

// The font a board label is drawn in ("" when it has none of its own).
std::string LabelFont(GtkWidget* w) {
    if (!w || !GTK_IS_LABEL(w)) return "";
    PangoAttrList* attrs = gtk_label_get_attributes(GTK_LABEL(w));
    if (!attrs) return "";
    std::string out;
    PangoAttrIterator* it = pango_attr_list_get_iterator(attrs);
    PangoAttribute* a = pango_attr_iterator_get(it, PANGO_ATTR_FONT_DESC);
    if (a) {
        gchar* s = pango_font_description_to_string(reinterpret_cast<PangoAttrFontDesc*>(a)->desc);
        out = s;
        g_free(s);
    }
    pango_attr_iterator_destroy(it);
    return out;
}

std::string FontString(const std::string& desc) {
    PangoFontDescription* d = pango_font_description_from_string(desc.c_str());
    gchar* s = pango_font_description_to_string(d);
    std::string out = s;
    g_free(s);
    pango_font_description_free(d);
    return out;
}

}  // namespace

// ---- the squares board ----------------------------------------------------------------------
using SquaresScenario = BoardsWindow;

TEST_F(SquaresScenario, CoupleOfOneNameIsOneEntryRightAlignedToTheLongestName) {
    // Twelve couples of one last name each: three squares; the widest name part is the
    // nine letters of Abernathy, so every entry is the last name right-aligned to nine.
    static const char* last[] = {"Abernathy", "Baker", "Clark", "Davis", "Evans", "Fox",
                                 "Green",     "Hill",  "Ives",  "Jones", "Kent",  "Smith"};
    for (int i = 0; i < 12; ++i) AddCouple(i == 11 ? "Bob" : "Al", i == 11 ? "Ann" : "Bea", last[i]);
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(totsquare, 3);

    SqrDancer* bob = Named("Bob", "Smith");
    SqrDancer* ann = Named("Ann", "Smith");
    ASSERT_NE(bob, nullptr);
    ASSERT_NE(ann, nullptr);
    ASSERT_EQ(bob->square, ann->square);
    std::vector<std::string> texts = BoardTexts();
    ASSERT_EQ(texts.size(), 12u);  // Ann makes no entry and has no cell
    EXPECT_EQ(texts[11], strprintf("    Smith: %3d", bob->square + 1));
    EXPECT_EQ(ann->display, 0);
    EXPECT_EQ(bob->display, 1);
    // Every couple in name order, each with its own square; square 3 is on the board.
    bool third = false;
    for (int i = 0; i < 12; ++i) {
        SqrDancer* m = Named(i == 11 ? "Bob" : "Al", last[i]);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(texts[i], SqrEntry(9, last[i], m->square + 1));
        third = third || m->square == 2;
    }
    EXPECT_TRUE(third);
    ExpectColumnMajor("#90ee90");
}

TEST_F(SquaresScenario, CoupleOfTwoNamesSittingOutIsJoinedByAColonAndShowsOut) {
    for (const char* l : {"Adams", "Baker", "Clark", "Davis"}) Prio(AddCouple("Al", "Bea", l), MUST);
    SqrDancer* carl = Pair(AddDancer("Carl", "Jones", M), AddDancer("Dora", "Brown", F));
    SqrDancer* dora = carl->partner;
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(totsquare, 1);
    EXPECT_EQ(carl->assigned, 0);
    EXPECT_EQ(dora->assigned, 0);

    // Jones:Brown (eleven) sets the width; Carl leads, Dora (first in name order) makes no
    // entry and no cell.
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{SqrEntry(11, "Adams", 1), SqrEntry(11, "Baker", 1),
                                                      SqrEntry(11, "Clark", 1), SqrEntry(11, "Davis", 1),
                                                      "Jones:Brown: Out"}));
    EXPECT_EQ(dora->display, 0);
    std::vector<std::string> out;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) out.push_back(od->sd->firstlast);
    EXPECT_EQ(out, (std::vector<std::string>{"Dora Brown", "Carl Jones"}));
    ASSERT_NE(histtl, nullptr);
    EXPECT_STREQ(histtl->sqrlist[4], "Jones:Brown: Out");
    EXPECT_EQ(histtl->sqrlist[5], nullptr);
}

TEST_F(SquaresScenario, LeaderRuleAcrossRoles) {
    // One square of four couples with two last names each; who leads decides the order of
    // the two names: MF over F, FM over E, of two MF the later full name, E over F when its
    // full name sorts after the partner's.
    Pair(AddDancer("Al", "Ames", MF), AddDancer("Bea", "Bond", F));
    Pair(AddDancer("Cy", "Cole", FM), AddDancer("Di", "Dunn", E));
    Pair(AddDancer("Ed", "Eads", MF), AddDancer("Flo", "Fry", MF));
    Pair(AddDancer("Gus", "Gray", E), AddDancer("Ann", "Hill", F));
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(editmode, SQUARES);
    ASSERT_EQ(totsquare, 1);
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{SqrEntry(9, "Ames:Bond", 1), SqrEntry(9, "Cole:Dunn", 1),
                                                      SqrEntry(9, "Fry:Eads", 1), SqrEntry(9, "Gray:Hill", 1)}));
    for (const char* l : {"Bond", "Dunn", "Eads", "Hill"}) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (sd->lastname == l) {
                EXPECT_EQ(sd->display, 0) << l;
            }
    }
    ExpectColumnMajor("#90ee90");
}

TEST_F(SquaresScenario, WhenBothMayLeadTheFirstInNameOrderMakesTheEntry) {
    // An E whose full name sorts after its M partner's leads as well as the M: Vance comes
    // first in name order and names the couple. FM over F, M over MF, MF over FM.
    Pair(AddDancer("Bo", "Vance", E), AddDancer("Al", "Wood", M));
    Pair(AddDancer("Cy", "Cole", FM), AddDancer("Di", "Dunn", F));
    Pair(AddDancer("Ed", "Eads", M), AddDancer("Flo", "Fry", MF));
    Pair(AddDancer("Gil", "Gray", MF), AddDancer("Hy", "Hill", FM));
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(totsquare, 1);
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{SqrEntry(10, "Cole:Dunn", 1), SqrEntry(10, "Eads:Fry", 1),
                                                      SqrEntry(10, "Gray:Hill", 1), SqrEntry(10, "Vance:Wood", 1)}));
}

TEST_F(SquaresScenario, AnonymousSingleWithARecruitShowsThePairNameAtTheAskWidth) {
    askflag = 0;
    for (const char* l : {"Adams", "Baker", "Clark"}) Prio(AddCouple("Al", "Amy", l), MUST);
    AnonSingle(0, 1, 0, 0, 0, Basic);
    SqrDancer* sngl = nullptr;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname.rfind("Sngl#", 0) == 0) sngl = sd;
    ASSERT_NE(sngl, nullptr);
    sngl->priority = MUST;
    SqrDancer* ken = AddCouple("Ken", "Ann", "Kay");
    AddDancer("Zoe", "Zorn", F);
    SetupDispNames();
    SortByName();
    SwitchDisplay(SQUARES);

    ASSERT_EQ(sngl->tmppartner, ken);
    EXPECT_EQ(ken->assigned, 3);
    // Measured before the asking as "Sngl#001&(ask)" (fourteen); shown as the pair name. The
    // couple Kay, split, is told apart by initials.
    const int w = (int)std::string("Sngl#001&(ask)").size();
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{SqrEntry(w, "Adams", 1), SqrEntry(w, "Baker", 1),
                                                      SqrEntry(w, "Clark", 1), OutEntry(w, "Kay AF"),
                                                      SqrEntry(w, "Sngl#001+Kay K", 1), OutEntry(w, "Zorn"), ""}));
}

TEST_F(SquaresScenario, FontStepsThereAndBackGiveTheStartingFontAgain) {
    static const char* last[] = {"Adams", "Baker", "Clark", "Davis", "Evans", "Fox", "Green", "Hill"};
    for (const char* l : last) AddCouple("Al", "Bea", l);
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_NE(sqrres, nullptr);
    std::string start = FontString(sqrres->sdfont);
    GtkWidget* first = BoardCell(0);
    EXPECT_EQ(LabelFont(first), start);
    std::vector<std::string> texts = BoardTexts();

    if (ChangeFontSize(-1) != 0) GTEST_SKIP() << "no smaller font set for this screen";
    EXPECT_EQ(BoardCell(0), first);  // re-texted, not rebuilt
    EXPECT_NE(LabelFont(first), start);
    ASSERT_EQ(ChangeFontSize(1), 0);
    EXPECT_EQ(fontsizechg, 0);
    EXPECT_EQ(BoardCell(0), first);
    EXPECT_EQ(LabelFont(first), start);
    EXPECT_EQ(BoardTexts(), texts);
    EXPECT_EQ(tipcnt, 1);
}

// ---- the present board ------------------------------------------------------------------------
using PresentScenario = BoardsWindow;

TEST_F(PresentScenario, EveryOtherTipSkipperIsAbsentFromThePresentBoard) {
    SqrDancer* alt = AddDancer("Alf", "Alt", M);
    AddDancer("Bea", "Best", F);
    SortByName();
    tipcnt = 5;
    SkipTip* st = SkipTipRequest(alt, 2);  // back on tip 7
    ASSERT_NE(st, nullptr);
    alt->avail = 1;                        // as after the roll of the tip it danced
    SwitchDisplay(PRESENT);
    EXPECT_EQ(alt->avail, 0);
    EXPECT_EQ(alt->display, 0);
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{"Best"}));
    EXPECT_EQ(tipcnt, 5);
}

TEST_F(PresentScenario, AnonymousCoupleWomanStandsForHerselfWhenHerPartnerIsAway) {
    // Listed under the man while he is here; alone she is still on the attendance board.
    AnonCouple(1, Basic);
    AddDancer("Bea", "Best", F);
    SetupDispNames();
    SortByName();
    SwitchDisplay(PRESENT);
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{"Best", "Couple#001"}));
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname == "Couple#001" && sd->sex == M) sd->avail = 0;
    SwitchDisplay(PRESENT);
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{"Best", "Couple#001"}));
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname == "Couple#001") {
            EXPECT_EQ(sd->display, sd->sex == F ? 1 : 0);
        }
}

TEST_F(PresentScenario, NobodyPresentGivesAnEmptyGrid) {
    AddDancer("Alf", "Alt", M)->avail = 0;
    AddDancer("Bea", "Best", F, Basic);
    pgmfloor = Plus;  // present but below the floor
    SwitchDisplay(PRESENT);
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(BoardCellQty(), 0);
    ASSERT_NE(sdwin, nullptr);
    EXPECT_EQ(ShownDisplay(), sdgrid);
    EXPECT_EQ(sqrslider, nullptr);
    EXPECT_EQ(histhd, nullptr);
}

// ---- grid shapes from the column limits of the font set ----------------------------------------
using ShapeScenario = BoardsWindow;

TEST_F(ShapeScenario, EditThirtyDancersInFourColumnsFillDownTheFirstColumnFirst) {
    OneFontSet(1920, 10, 4);
    for (int i = 0; i < 15; ++i) AddCouple("Al", "Bea", strprintf("Nm%02d", i));
    SetupDispNames();
    SwitchDisplay(EDIT);
    // 30 cells want 6 columns; the set allows 4: 8 rows, and the grid scrolls.
    EXPECT_EQ(boardcolqty, 4);
    EXPECT_EQ(boardrowqty, 8);
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(res->colqty, 4);
    EXPECT_EQ(res->rowqty, 8);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        EXPECT_EQ(GridPos(EditCellFrame(sd)), std::make_pair(sd->gridposn / 8, sd->gridposn % 8)) << sd->firstlast;
    SqrDancer* ninth = nullptr;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->gridposn == 8) ninth = sd;
    ASSERT_NE(ninth, nullptr);
    EXPECT_EQ(GridPos(EditCellFrame(ninth)), std::make_pair(1, 0));
    EXPECT_TRUE(GTK_IS_VIEWPORT(gtk_widget_get_parent(sdgrid)));
}

TEST_F(ShapeScenario, EditThreeDancersInFiveColumnsBecomeOneColumnOfFiveRows) {
    OneFontSet(1920, 10, 5);
    SqrDancer* a = AddDancer("Al", "Able", M);
    SqrDancer* b = AddDancer("Bo", "Bell", F);
    SqrDancer* c = AddDancer("Cy", "Cole", E);
    SetupDispNames();
    SwitchDisplay(EDIT);
    EXPECT_EQ(boardcolqty, 1);
    EXPECT_EQ(boardrowqty, 5);
    EXPECT_EQ(res->colqty, 1);
    EXPECT_EQ(res->rowqty, 5);
    EXPECT_EQ(GridPos(EditCellFrame(a)), std::make_pair(0, 0));
    EXPECT_EQ(GridPos(EditCellFrame(b)), std::make_pair(0, 1));
    EXPECT_EQ(GridPos(EditCellFrame(c)), std::make_pair(0, 2));
}

TEST_F(ShapeScenario, HistoryTwentyTextsInFourColumnsFillColumnByColumnInSavedOrder) {
    OneFontSet(1920, 4, 10);
    for (int i = 0; i < 20; ++i) AddCouple("Al", "Bea", strprintf("Nm%02d", i));
    SetupDispNames();
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(totsquare, 5);
    ASSERT_NE(histtl, nullptr);
    std::vector<std::string> saved = SavedTexts(histtl);
    ASSERT_EQ(saved.size(), 20u);

    SwitchDisplay(EDIT);
    hist = histtl;
    cflag = 0;
    SwitchDisplay(HISTORY);
    EXPECT_EQ(boardcolqty, 4);
    EXPECT_EQ(boardrowqty, 5);
    ASSERT_EQ(BoardCellQty(), 20);
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(CellText(BoardCell(k)), saved[k]) << k;
        EXPECT_EQ(GridPos(BoardCell(k)), std::make_pair(k / 5, k % 5)) << k;
    }
    ExpectColumnMajor("#ff7f00");
    EXPECT_NE(sqrslider, nullptr);  // more columns were wanted than the set allows
}

// ---- the history board ------------------------------------------------------------------------
using HistoryScenario = BoardsWindow;

TEST_F(HistoryScenario, DancersWhoSatOutAreOnTheBoardShownAgain) {
    // Eight singles dance, seven sit out: fifteen texts for eight places in the square.
    for (int i = 0; i < 8; ++i) AddDancer("In", strprintf("Dancer%02d", i), E, Basic, MUST);
    for (int i = 0; i < 7; ++i) AddDancer("Out", strprintf("Sitter%02d", i), E, Basic, LUCK);
    SetupDispNames();
    SortByName();
    SwitchDisplay(SQUARES);
    ASSERT_EQ(totsquare, 1);
    std::vector<std::string> board = BoardTexts();
    ASSERT_EQ(board.size(), 15u);
    int outs = 0;
    for (const std::string& t : board) outs += t.size() > 5 && t.compare(t.size() - 5, 5, ": Out") == 0;
    EXPECT_EQ(outs, 7);

    SwitchDisplay(SQUARES);
    hist = histhd;
    cflag = 0;
    SwitchDisplay(HISTORY);
    EXPECT_EQ(tipcnt, 2);  // showing an older tip leaves the evening at its newest
    EXPECT_EQ(BoardTexts(), board);
    ExpectColumnMajor("#ff7f00");
    EXPECT_EQ(std::string(gtk_window_get_title(GTK_WINDOW(sdwin))),
              "HISTORY : None's Square Dance with None calling tip#1");
}

// ---- the availability line -----------------------------------------------------------------------
using AvailScenario = BoardsWindow;

TEST_F(AvailScenario, ACoupleNumberIsTakenBeforeASingleOfTheSameNumber) {
    SqrDancer* cm = AddDancer("M", "Couple#007", M);
    SqrDancer* cf = AddDancer("F", "Couple#007", F);
    Pair(cm, cf);
    SqrDancer* s7 = AddDancer("E", "Sngl#007", E);
    SqrDancer* s8 = AddDancer("E", "Sngl#008", E);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    SetupDispNames();
    SortByName();
    SwitchDisplay(EDIT);
    AvailByName("7", 1);
    EXPECT_EQ(cm->avail, 1);
    EXPECT_EQ(cf->avail, 1);  // with its partner
    EXPECT_EQ(s7->avail, 0);
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(cm->availbttn)));
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s7->availbttn)));
    // A range reaches the singles after the couple, also one running far past the last number.
    AvailByName("6-2000000000", 1);
    EXPECT_EQ(s7->avail, 0);  // 7 is the couple's number
    EXPECT_EQ(s8->avail, 1);
    AvailByName("8-8", 0);
    EXPECT_EQ(s8->avail, 0);
}

TEST_F(AvailScenario, TokensSplitAtBlanksTabsAndLaterCommas) {
    SqrDancer* amy = AddDancer("Amy", "Able", F);
    SqrDancer* bob = AddDancer("Bob", "Bell", M);
    SqrDancer* cy = AddDancer("Cy", "Cole", E);
    SqrDancer* di = AddDancer("Di", "Dunn", F);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    SortByName();
    SwitchDisplay(EDIT);
    AvailByName("   Able\tBell,Cole", 1);
    EXPECT_EQ(amy->avail, 1);
    EXPECT_EQ(bob->avail, 1);
    EXPECT_EQ(cy->avail, 1);
    EXPECT_EQ(di->avail, 0);
    // Behind the first token a comma is part of it; "Dunn," matches nobody, Able still applies.
    AvailByName("Dunn,Able Able", 0);
    EXPECT_EQ(di->avail, 0);
    EXPECT_EQ(amy->avail, 0);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(amy->availbttn)));
    // Runs of blanks and commas around a name still find it; an empty line changes nothing.
    AvailByName("  Bell   ,  ", 0);
    EXPECT_EQ(bob->avail, 0);
    AvailByName("", 1);
    AvailByName("     ", 1);
    EXPECT_EQ(bob->avail, 0);
}

// ---- the switch -----------------------------------------------------------------------------------
using SwitchScenario = BoardsWindow;

TEST_F(SwitchScenario, UnknownRoleIsWarnedButDoesNotBlock) {
    for (int i = 0; i < 4; ++i) AddCouple("Al", "Bea", strprintf("Nm%02d", i));
    SqrDancer* odd = AddDancer("Xi", "Xenon", E);
    odd->sex = NOSEX;
    SetupDispNames();
    EXPECT_EQ(RosterProblems(true), 0);
    EXPECT_EQ(PopupText(), "sd<Xenon> has unknown sex\n");
}

TEST_F(SwitchScenario, ARollClearsTheSquareNumbersFromTheNames) {
    for (int i = 0; i < 4; ++i) AddCouple("Al", "Bea", strprintf("Nm%02d", i));
    SortByName();
    Aflag = 1;
    SetupDispNames();
    EXPECT_NE(sdhd->dispname, sdhd->lastname);  // the square number in front
    SwitchDisplay(SQUARES);
    EXPECT_EQ(Aflag, 0);
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{SqrEntry(4, "Nm00", 1), SqrEntry(4, "Nm01", 1),
                                                      SqrEntry(4, "Nm02", 1), SqrEntry(4, "Nm03", 1)}));
    EXPECT_EQ(std::string(gtk_window_get_title(GTK_WINDOW(sdwin))), "None's Square Dance with None calling tip#1");
}
