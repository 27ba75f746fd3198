// SPDX-License-Identifier: GPL-3.0-or-later
// Notes, warnings, timed notes, the head-count note and auto-scrolling.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <chrono>
#include <climits>
#include <cmath>

#include "test_window_helpers.h"

using NotesTest = Screen;

TEST_F(NotesTest, OnlyOnePopupAtATime) {
    GtkWarning("first %d", 1);
    GtkWarning("second %d", 2);
    EXPECT_EQ(PopupText(), "second 2");
    EXPECT_EQ(VisiblePopups(), 1);
    GtkNote("a note");
    Pump();
    EXPECT_EQ(VisiblePopups(), 1);
    EXPECT_EQ(PopupText(), "a note");
    EXPECT_EQ(gtk_window_get_window_type(GTK_WINDOW(sdpop)), GTK_WINDOW_POPUP);
}

TEST_F(NotesTest, NotesAreBlueAndWarningsRed) {
    GtkNote("blue");
    ASSERT_NE(PopupLabel(), nullptr);
    EXPECT_EQ(ColorOf(PopupLabel()), "#0088ff");
    GtkWarning("red");
    EXPECT_EQ(ColorOf(PopupLabel()), "#ff0000");
    GtkTimeNote(3, "timed");
    EXPECT_EQ(ColorOf(PopupLabel()), "#0088ff");
}

TEST_F(NotesTest, NoteFontComesFromTheSetOnce) {
    if (lblfont2) {
        pango_font_description_free(lblfont2);
        lblfont2 = nullptr;
    }
    Resolution r;
    r.lblfont2 = "DejaVu Sans Bold 30";
    res = &r;
    GtkNote("big");
    ASSERT_NE(lblfont2, nullptr);
    EXPECT_EQ(pango_font_description_get_size(lblfont2), 30 * PANGO_SCALE);
    PangoFontDescription* f = nullptr;
    gtk_style_context_get(gtk_widget_get_style_context(PopupLabel()), GTK_STATE_FLAG_NORMAL, "font", &f, nullptr);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pango_font_description_get_size(f), 30 * PANGO_SCALE);
    pango_font_description_free(f);
    r.lblfont2 = "DejaVu Sans 8";  // later changes do not replace the parsed font
    GtkNote("still big");
    EXPECT_EQ(pango_font_description_get_size(lblfont2), 30 * PANGO_SCALE);
    res = nullptr;
}

TEST_F(NotesTest, TextIsCutAt255BytesWithoutBreakingACharacter) {
    std::string longtext(300, 'x');
    GtkNote("%s", longtext.c_str());
    EXPECT_EQ(PopupText(), std::string(255, 'x'));
    // A two-byte character straddling the limit is dropped whole.
    std::string accented = std::string(254, 'a') + "\xc3\xa9" + "tail";
    GtkWarning("%s", accented.c_str());
    EXPECT_EQ(PopupText(), std::string(254, 'a'));
    GtkNote("line one\nline two");
    EXPECT_EQ(PopupText(), "line one\nline two");
}

TEST_F(NotesTest, TimedNoteRemembersItsText) {
    GtkTimeNote(3, nullptr);
    EXPECT_EQ(PopupText(), "no message yet");
    GtkTimeNote(3, "Use c to return to %s", "Squares");
    EXPECT_EQ(PopupText(), "Use c to return to Squares");
    GtkNote("other");
    GtkTimeNote(2, nullptr);
    EXPECT_EQ(PopupText(), "Use c to return to Squares");
    // Shown as it stands: a per cent sign in the remembered text is not formatted again.
    GtkTimeNote(2, "%s", "50%d done");
    GtkTimeNote(2, nullptr);
    EXPECT_EQ(PopupText(), "50%d done");
}

TEST_F(NotesTest, TimedNoteArmsAOneShotTimerAndItsEndClosesIt) {
    GtkTimeNote(4, "bye");
    itimerval it;
    getitimer(ITIMER_REAL, &it);
    EXPECT_GT(it.it_value.tv_sec + it.it_value.tv_usec, 0);
    EXPECT_EQ(it.it_interval.tv_sec, 0);
    EXPECT_EQ(it.it_interval.tv_usec, 0);
    TimerNoteUnix(SIGALRM);
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(VisiblePopups(), 0);
}

TEST_F(NotesTest, EndOfTimedNoteLeavesAWarningThatReplacedIt) {
    GtkTimeNote(4, "hint");
    GtkWarning("important");
    TimerNoteUnix(SIGALRM);
    EXPECT_EQ(PopupText(), "important");
}

TEST_F(NotesTest, TimedNoteClosesByItselfThroughTheMainLoop) {
    GtkTimeNote(1, "one second");
    auto start = std::chrono::steady_clock::now();
    while (sdpop && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
        g_main_context_iteration(nullptr, TRUE);
    }
    EXPECT_EQ(sdpop, nullptr);
}

TEST_F(NotesTest, HeadCountToggles) {
    editmode = EDIT;
    AddCouple("Bob", "Ann", "Smith");
    AddDancer("Sue", "Jones", F);
    SqrDancer* low = AddDancer("Lo", "Level", M, Basic);
    AddDancer("Gone", "Away", M)->avail = 0;
    pgmfloor = Basic;
    low->pgm = Basic;
    maxdances = 3;
    TotDancersNote();
    EXPECT_EQ(PopupText(), "totals: displayed=4  couples=2  singles=2  maxdances=3");
    Iflag = Eflag = 1;
    TotDancersNote();
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(Iflag, 0);
    EXPECT_EQ(Eflag, 0);
    // Squares: only dancers shown on the board, or whose partner is shown.
    editmode = SQUARES;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->display = sd->firstname != "Sue";
    TotDancersNote();
    EXPECT_EQ(PopupText(), "totals: displayed=3  couples=2  singles=2  maxdances=3");
    TotDancersNote();
    editmode = SETUP;
    TotDancersNote();
    EXPECT_EQ(sdpop, nullptr);
}

TEST_F(NotesTest, ScrollSpeedSteps) {
    SetScrollerBase(1280);
    EXPECT_EQ(scrollertime, 62500u);
    EXPECT_DOUBLE_EQ(scrollerincr, 0.56);
    scrollerincrchg = 0;
    AutoScrollSpeed(2);
    EXPECT_NEAR(scrollerincr, 0.56 * 1.189 * 1.189, 1e-12);
    EXPECT_NEAR(scrollerincr, 0.7917, 1e-4);
    EXPECT_EQ(scrollerincrchg, 2);
    AutoScrollSpeed(-3);
    EXPECT_NEAR(scrollerincr, 0.56 / 1.189, 1e-12);
    EXPECT_EQ(scrollerincrchg, -1);
    // Steps stop at the ends of the range, however many are asked for: the speed stays
    // finite and above nil.
    AutoScrollSpeed(INT_MAX);
    EXPECT_EQ(scrollerincrchg, MAXSCROLLERINCRCHG);
    EXPECT_NEAR(scrollerincr, 0.56 * std::pow(1.189, MAXSCROLLERINCRCHG), 1e-6);
    AutoScrollSpeed(INT_MIN);
    EXPECT_EQ(scrollerincrchg, -MAXSCROLLERINCRCHG);
    EXPECT_GT(scrollerincr, 0.0);
    scrollerincrchg = 0;

    SetScrollerBase(1000);
    EXPECT_EQ(scrollertime, 48828u);
    SetScrollerBase(0);
    EXPECT_NEAR(scrollerincr, 0.0625, 1e-15);
    SetScrollerBase(2560);
    EXPECT_EQ(scrollertime, 125000u);
}

// Runs the scroll arithmetic against a bar that GTK would clamp to 0..maxv.
struct FakeBar {
    double v = 0, maxv;
    double s, e;
    explicit FakeBar(double maxv, double slider) : maxv(maxv), s(0), e(slider) {}
    void Tick() { v = std::clamp(AutoScrollStep(v, s, e), 0.0, maxv); }
};

TEST_F(NotesTest, ScrollRunsDownPausesSevenTicksAndComesBack) {
    scrollerincr = 1.0;
    FakeBar bar(100, 1500);  // steps of 1500 * 1.0 / 150 = 10
    bar.Tick();
    EXPECT_DOUBLE_EQ(bar.v, 10);
    int ticks = 1;
    while (bar.v < 100) {
        bar.Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 10);
    // At the bottom: one tick finds it did not move, one arms the pause, six count it down,
    // and the last of those turns round.
    int still = 0;
    while (bar.v == 100) {
        bar.Tick();
        ++still;
    }
    EXPECT_EQ(still, 8);
    EXPECT_DOUBLE_EQ(bar.v, 90);
    while (bar.v > 0) bar.Tick();
    still = 0;
    while (bar.v == 0) {
        bar.Tick();
        ++still;
    }
    EXPECT_EQ(still, 8);
    EXPECT_DOUBLE_EQ(bar.v, 10);
}

TEST_F(NotesTest, ScrollSpeedFollowsSliderLengthAndFactor) {
    scrollerincr = 0.56;
    EXPECT_NEAR(AutoScrollStep(0, 100, 400), 300 * 0.56 / 150, 1e-12);
    scrollerincr = 0.56 * 1.189;
    EXPECT_NEAR(AutoScrollStep(5, 100, 400), 5 + 300 * 0.56 * 1.189 / 150, 1e-12);
}

// A main window showing a scrolling board of `rows` tall rows.
static void TallBoard(int rows) {
    sdwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(sdwin), 400, 300);
    GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    for (int i = 0; i < rows; ++i) {
        GtkWidget* l = gtk_label_new(strprintf("row %d", i).c_str());
        gtk_widget_set_size_request(l, -1, 40);
        gtk_box_pack_start(GTK_BOX(box), l, FALSE, FALSE, 0);
    }
    gtk_container_add(GTK_CONTAINER(sw), box);
    gtk_container_add(GTK_CONTAINER(sdwin), sw);
    sqrslider = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(sw));
    gtk_widget_show_all(sdwin);
    for (int i = 0; i < 50; ++i) Pump();
}

static bool TimerRepeats() {
    itimerval it;
    getitimer(ITIMER_REAL, &it);
    return it.it_interval.tv_sec || it.it_interval.tv_usec;
}

TEST_F(NotesTest, TickMovesTheBoardAndStopsOutsideSquares) {
    editmode = SQUARES;
    TallBoard(100);
    SqrDisplayAutoScroller();
    EXPECT_TRUE(TimerRepeats());
    double before = gtk_range_get_value(GTK_RANGE(sqrslider));
    for (int i = 0; i < 5; ++i) TimerAlarmUnix(SIGALRM);
    EXPECT_GT(gtk_range_get_value(GTK_RANGE(sqrslider)), before);
    editmode = EDIT;
    TimerAlarmUnix(SIGALRM);
    EXPECT_FALSE(TimerRepeats());
}

TEST_F(NotesTest, TimedNoteSuspendsScrollingAndItsEndResumesIt) {
    editmode = SQUARES;
    TallBoard(100);
    SqrDisplayAutoScroller();
    EXPECT_TRUE(TimerRepeats());
    GtkTimeNote(3, "Use c to return to Squares");
    EXPECT_FALSE(TimerRepeats());  // the one-shot note timer replaced the tick
    TimerNoteUnix(SIGALRM);
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_TRUE(TimerRepeats());
    itimerval it;
    getitimer(ITIMER_REAL, &it);
    EXPECT_EQ(it.it_interval.tv_usec, (long)scrollertime);
}

TEST_F(NotesTest, RealTicksScrollThroughTheMainLoop) {
    editmode = PRESENT;
    scrollertime = 10000;  // 100 ticks a second
    scrollerincr = 5;
    TallBoard(100);
    SqrDisplayAutoScroller();
    double before = gtk_range_get_value(GTK_RANGE(sqrslider));
    auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300))
        g_main_context_iteration(nullptr, FALSE);
    EXPECT_GT(gtk_range_get_value(GTK_RANGE(sqrslider)), before);
    StopIntervalTimer();
}
