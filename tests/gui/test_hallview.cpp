// SPDX-License-Identifier: GPL-3.0-or-later
// The hall view read back: its letters against the squares board's, every entry whole inside
// its cell, the same tip as the board, paging, and the keys and clicks of a board; and the
// projector window, the tip's board in a window of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>

#include "commands/keys.h"
#include "display/boards.h"
#include "display/print.h"
#include "display/projector.h"
#include "files/clubfile.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

// A club of `dancers` present dancers with names as long as the sample club's: couples of one
// last name, couples of two, and singles (who make pairs, two names to an entry).
void HallRoster(int dancers, unsigned seed) {
    static const char* heads[] = {"Bram", "Crin", "Dapple", "Fiddle", "Gumble", "Hob", "Jumble", "Lark",
                                  "Moss", "Muffin", "Nettle", "Noodle", "Pickle", "Pudding", "Quill",
                                  "Snicker", "Thimble", "Tumble", "Twinkle", "Waddle", "Wiggle", "Wobble"};
    static const char* tails[] = {"blecot", "kleton", "grim", "sworth", "thorpe", "nobble", "sby", "spurr",
                                  "grove", "ton", "bottom", "whistle", "berry", "stone", "feather", "don"};
    std::vector<std::string> lasts;  // every name once, in a shuffled order
    for (const char* h : heads)
        for (const char* t : tails) lasts.push_back(std::string(h) + t);
    std::mt19937 rng(seed);
    std::shuffle(lasts.begin(), lasts.end(), rng);
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    size_t next = 0;
    auto last = [&] { return lasts[next++ % lasts.size()]; };
    for (int n = 0; n < dancers;) {
        int kind = dancers - n == 1 ? 19 : pick(20);
        if (kind < 8) {
            AddCouple("Al", "Bea", last());
            n += 2;
        } else if (kind < 11) {
            Pair(AddDancer("Cy", last(), M), AddDancer("Di", last(), F));
            n += 2;
        } else {
            AddDancer("Ed", last(), SDSEX(pick(5)));
            n += 1;
        }
    }
    SetupDispNames();
    SortByName();
}

std::string Text(GtkWidget* label) { return gtk_label_get_text(GTK_LABEL(label)); }

// The two labels of a cell: the name and the square number (or "Out").
std::pair<GtkWidget*, GtkWidget*> CellLabels(GtkWidget* cell) {
    GList* kids = gtk_container_get_children(GTK_CONTAINER(cell));
    std::pair<GtkWidget*, GtkWidget*> out{GTK_WIDGET(kids->data), GTK_WIDGET(kids->next->data)};
    g_list_free(kids);
    return out;
}

// "name" or "line1\nline2" back to the board's name part, with its tag: "Smith: 3".
std::vector<std::string> HallEntries() {
    std::vector<std::string> out;
    for (GtkWidget* c : HallViewCells()) {
        auto [name, tag] = CellLabels(c);
        std::string n = Text(name);
        size_t nl = n.find('\n');
        if (nl != std::string::npos) n = n.substr(0, nl) + (n[nl + 1] == '+' || n[nl + 1] == '&' ? "" : ":") + n.substr(nl + 1);
        out.push_back(n + ": " + Text(tag));
    }
    return out;
}

bool Inside(const GtkAllocation& in, const GtkAllocation& out) {
    return in.x >= out.x && in.y >= out.y && in.x + in.width <= out.x + out.width &&
           in.y + in.height <= out.y + out.height;
}

// Every text of the hall view is laid out whole inside its label, every label inside its
// cell, every cell inside the part of the window that shows its page.
void ExpectNothingCut() {
    BoardsSettle();
    HallViewFacts f = HallViewNow();
    std::vector<GtkWidget*> cells = HallViewCells();
    ASSERT_FALSE(cells.empty());
    GtkWidget* page = gtk_widget_get_parent(cells[0]);
    GtkWidget* view = gtk_widget_get_ancestor(page, GTK_TYPE_SCROLLED_WINDOW);
    GtkAllocation va;
    gtk_widget_get_allocation(view, &va);
    for (size_t i = 0; i < cells.size(); ++i) {
        GtkWidget* cell = cells[i];
        GtkAllocation ca, pa;
        gtk_widget_get_allocation(cell, &ca);
        gtk_widget_get_allocation(gtk_widget_get_parent(cell), &pa);
        int x = 0, y = 0;  // the cell's place within the visible view of its page
        gtk_widget_translate_coordinates(cell, gtk_widget_get_parent(cell), 0, 0, &x, &y);
        EXPECT_TRUE(x >= 0 && x + ca.width <= std::min(pa.width, va.width) && y >= 0 &&
                    y + ca.height <= std::min(pa.height, va.height))
            << "cell " << i << " outside its page: " << x << "," << y << " " << ca.width << "x" << ca.height << " page " << pa.width << "x" << pa.height << " view " << va.width << "x" << va.height << " window " << gtk_widget_get_allocated_width(sdwin) << "x" << gtk_widget_get_allocated_height(sdwin);
        for (GtkWidget* l : {CellLabels(cell).first, CellLabels(cell).second}) {
            GtkAllocation la;
            gtk_widget_get_allocation(l, &la);
            EXPECT_TRUE(Inside(la, ca)) << "label of cell " << i << " outside the cell";
            PangoRectangle ink, logical;
            pango_layout_get_pixel_extents(gtk_label_get_layout(GTK_LABEL(l)), &ink, &logical);
            int lx = 0, ly = 0;
            gtk_label_get_layout_offsets(GTK_LABEL(l), &lx, &ly);
            // The text takes its place in the label; its ink (a J reaches left of its place)
            // stays inside the cell.
            GtkAllocation text{lx + logical.x, ly + logical.y, logical.width, logical.height};
            GtkAllocation drawn{lx + ink.x, ly + ink.y, ink.width, ink.height};
            EXPECT_TRUE(Inside(text, la) && Inside(drawn, ca)) << "<" << Text(l) << "> of cell " << i << " is cut";
        }
    }
    EXPECT_GE(f.tipletter * 10, f.height) << "tip number letters below a tenth of the window";
}

using HallView = BoardsWindow;

// Runs the main loop until the hall view is fitted to the window's size (at most 2 s).
void SettleHall() {
    for (int i = 0; i < 200; ++i) {
        BoardsSettle();
        HallViewFacts f = HallViewNow();
        // The view is a page of the window: it must have its place as well as the window.
        GtkWidget* top = ShownDisplay();
        if (f.width == gtk_widget_get_allocated_width(sdwin) && f.height == gtk_widget_get_allocated_height(sdwin) &&
            top && gtk_widget_get_allocated_width(top) == f.width && gtk_widget_get_allocated_height(top) == f.height)
            return;
        g_usleep(10000);
    }
    ADD_FAILURE() << "the hall view is not fitted to the window";
}

// The letters of the hall view against those of the squares board of the same tip, at
// 1920x1080: at least twice as high for the sample club, 40 and 100 dancers, 1.5 times for
// 300.
TEST_F(HallView, LettersAgainstTheBoardAt40_100_300Dancers) {
    for (int dancers : {0, 40, 100, 300}) {
        ResetEvening();
        if (dancers == 0) {
            FILE* fp = fopen(DORVELS_TESTDATA "/sample.dorvel", "r");
            ASSERT_NE(fp, nullptr);
            ReadDorvels(fp);
            fclose(fp);
            outputfilename = "club.dorvel";
            SortByName();
        } else {
            HallRoster(dancers, (unsigned)dancers);
        }
        SwitchDisplay(SQUARES);
        int board = LetterHeight(sdfont);
        KeybrdCmd('V');
        ASSERT_TRUE(HallViewShown());
        SettleHall();
        HallViewFacts f = HallViewNow();
        printf("hall view at 1920x1080, %s: board letters %2d px, hall view %2d px (%.2fx), "
               "%d x %d cells%s, %d page(s); tip number %d px\n",
               dancers ? strprintf("%3d dancers", dancers).c_str() : "sample club", board, f.letter,
               (double)f.letter / board, f.cols, f.rows, f.twolines ? ", couples on two lines" : "", f.pages,
               f.tipletter);
        EXPECT_GE(f.letter, (dancers <= 100 ? 2.0 : 1.5) * board) << dancers << " dancers";
        ExpectNothingCut();
    }
}

// Rosters of any size at several window sizes: the entries of the board, in its order, the
// text filling its cells (the limiting side within a tenth), nothing cut; a window that
// changes size gets the view fitted again.
TEST_F(HallView, EveryEntryWholeAndTheCellsFilledAtAnySize) {
    std::mt19937 rng(7);
    const std::pair<int, int> sizes[] = {{1024, 768}, {1920, 1080}, {1280, 1024}, {3840, 2160}, {800, 1280}};
    for (int round = 0; round < 10; ++round) {
        ResetEvening();
        hallview = 0;
        auto [w, h] = sizes[round % 5];
        gtk_window_resize(GTK_WINDOW(sdwin), w, h);
        BoardsSettle();
        HallRoster(1 + (int)(rng() % 320), rng());
        SwitchDisplay(SQUARES);
        std::vector<std::string> board = BoardEntries(BoardTexts());
        KeybrdCmd('V');
        SettleHall();
        HallViewFacts f = HallViewNow();
        SCOPED_TRACE(strprintf("round %d: %dx%d, %zu entries, %d px", round, w, h, board.size(), f.fontpx));
        EXPECT_EQ(HallEntries(), board);
        ExpectNothingCut();
        if (f.pages == 1 && f.fontpx < f.tippx) {
            // The cells take the whole window below the tip number, and the widest name or
            // the tallest cell text leaves at most a tenth of its cell free.
            GtkWidget* grid = gtk_widget_get_parent(HallViewCells()[0]);
            GtkWidget* view = gtk_widget_get_ancestor(grid, GTK_TYPE_SCROLLED_WINDOW);
            EXPECT_EQ(gtk_widget_get_allocated_height(grid), gtk_widget_get_allocated_height(view));
            EXPECT_EQ(gtk_widget_get_allocated_width(grid), gtk_widget_get_allocated_width(view));
            double fill = 0;
            for (GtkWidget* c : HallViewCells()) {
                GtkAllocation ca, la;
                gtk_widget_get_allocation(c, &ca);
                auto [name, tag] = CellLabels(c);
                gtk_widget_get_allocation(name, &la);
                int nw = 0, nh = 0, tw = 0;
                gtk_widget_get_preferred_width(name, nullptr, &nw);
                gtk_widget_get_preferred_width(tag, nullptr, &tw);
                gtk_widget_get_preferred_height(name, nullptr, &nh);
                fill = std::max({fill, (double)(nw + tw) / ca.width, (double)nh / ca.height});
            }
            EXPECT_GE(fill, 0.9);
        }
    }
}

// The same tip on the board and in the hall view, with a few dancers: Smith's couple is one
// entry, Jones and Brown share one on two lines, the pair found by the roll has an entry each.
TEST_F(HallView, CouplesAndPairsAsTheBoardMakesThem) {
    OneSquareClub();
    hallview = 1;
    SwitchDisplay(SQUARES);
    ASSERT_TRUE(HallViewShown());
    EXPECT_EQ(Text(HallViewTipLabel()), "Tip 1");
    EXPECT_EQ(HallEntries(), (std::vector<std::string>{"Jones:Brown: 1", "Lee: 1", "Smith: 1", "Tam+Uhl: 1", "Uhl+Tam: 1"}));
    ASSERT_NE(histtl, nullptr);  // the history keeps the board's texts
    EXPECT_EQ(BoardEntries({histtl->sqrlist, histtl->sqrlist + 5}), HallEntries());
    ExpectNothingCut();
}

// Hundreds of dancers on a small window: pages of whole cells that follow each other on the
// auto-scroll tick, one page per 150 / scrollerincr ticks (F makes it faster), round again.
TEST_F(HallView, PagesFollowEachOtherOnTheScrollTick) {
    gtk_window_resize(GTK_WINDOW(sdwin), 1024, 768);
    BoardsSettle();
    HallRoster(400, 3);
    hallview = 1;
    SwitchDisplay(SQUARES);
    ExpectNothingCut();
    HallViewFacts f = HallViewNow();
    ASSERT_GE(f.pages, 3);
    EXPECT_EQ(f.fontpx, f.minpx);
    GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(sqrslider));
    int pageheight = gtk_widget_get_allocated_height(gtk_widget_get_parent(HallViewCells()[0]));
    for (int speed : {0, 3}) {
        AutoScrollSpeed(speed);
        int dwell = (int)std::lround(150 / scrollerincr);
        for (int page = 1; page <= f.pages; ++page) {
            for (int t = 0; t < dwell; ++t) TimerAlarmUnix(SIGALRM);
            BoardsPump();
            EXPECT_EQ(HallViewNow().page, page % f.pages);
            EXPECT_EQ(gtk_adjustment_get_value(adj), (page % f.pages) * pageheight);
        }
    }
}

// Through the key handler: V shows the other view of the tip on screen without rolling or
// writing anything; the font keys on the hall view change its size only; the choice stays
// for the next roll; V elsewhere changes no display; a click on the hall view reaches the
// window's handler; a card number typed on it is no command.
class HallViewKeys : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        gtk_window_resize(GTK_WINDOW(sdwin), 1920, 1080);
        BuildClub(8, 2, 2);
        SwitchDisplay(EDIT);
        Pump();
    }
};

struct EveningState {
    int tipcnt, dances = 0, records = 0;
    std::string club, title;
    bool operator==(const EveningState&) const = default;
};
EveningState Now() {
    EveningState s{tipcnt, 0, 0, "", ""};
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) s.dances += sd->dances;
    for (History* h = histhd; h; h = h->nxt) ++s.records;
    s.club = ReadFile("club.dorvel");
    s.title = Title();
    return s;
}

TEST_F(HallViewKeys, VShowsTheSameTipAndTheFontKeysChangeOnlyItsSize) {
    Type("r");
    std::vector<std::string> board = BoardTexts();
    int cols = boardcolqty, rows = boardrowqty;
    EveningState tip1 = Now();
    Type("V");
    ASSERT_TRUE(HallViewShown());
    EXPECT_EQ(editmode, SQUARES);
    EXPECT_EQ(HallEntries(), BoardEntries(board));
    EXPECT_EQ(Now(), tip1);
    // P prints the tip's squares from the hall view as from the board.
    std::vector<std::string> paper = ShownBoard().entries;
    EXPECT_EQ(BoardEntries(paper), BoardEntries(board));
    EXPECT_EQ(paper.size(), BoardEntries(board).size());

    int px = HallViewNow().fontpx;
    Type("-");
    EXPECT_LT(HallViewNow().fontpx, px);
    Type("++");
    EXPECT_GT(HallViewNow().fontpx, px);
    for (int i = 0; i < 20; ++i) Type("+");
    EXPECT_EQ(PopupText(), "can't increase fontsize any more");
    EXPECT_EQ(HallViewNow().fontpx, HallViewNow().tippx);
    EXPECT_EQ(Now(), tip1);
    while (hallfontchg > 0) Type("-");

    // A note stays over the view and a click on the view closes it, as on the board.
    Type("t");
    ASSERT_FALSE(PopupText().empty());
    // A right press where the first cell is, delivered to the window under it.
    GtkWidget* cell = HallViewCells()[0];
    GtkAllocation ca;
    gtk_widget_get_allocation(cell, &ca);
    GdkEvent* ev = gdk_event_new(GDK_BUTTON_PRESS);
    ev->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(cell)));
    ev->button.x = ca.x + ca.width / 2.0;
    ev->button.y = ca.y + ca.height / 2.0;
    ev->button.button = 3;
    gdk_event_set_device(ev, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
    EXPECT_EQ(sdpop, nullptr);

    Type("0123456789\r");
    EXPECT_TRUE(HallViewShown());
    EXPECT_EQ(Now(), tip1);

    Type("V");
    EXPECT_FALSE(HallViewShown());
    EXPECT_EQ(BoardTexts(), board);
    EXPECT_EQ(std::make_pair(boardcolqty, boardrowqty), std::make_pair(cols, rows));
    EXPECT_EQ(Now(), tip1);

    // Once chosen, the hall view shows every tip: the history's (an earlier tip marked as
    // history, as the projector window marks it; printed as that tip), c's; V there shows the
    // tip's board. The club file keeps the choice.
    auto shows = [&](int tip, const std::vector<std::string>& entries, bool earlier) {
        ASSERT_TRUE(HallViewShown()) << tip;
        EXPECT_EQ(Text(HallViewTipLabel()), strprintf("Tip %d", tip));
        EXPECT_EQ(HallEntries(), entries);
        ASSERT_GT(HallViewCells().size(), 1u);
        EXPECT_EQ(Background(HallViewCells()[1]), earlier ? "#ff7f00" : "#90ee90") << tip;
        EXPECT_EQ(!!Find(ShownDisplay(), [](GtkWidget* w) { return GTK_IS_LABEL(w) && Text(w) == "History"; }), earlier);
        EXPECT_EQ(BoardEntries(ShownBoard().entries), entries);
    };
    Type("VVVr");
    EXPECT_EQ(tipcnt, 2);
    std::vector<std::string> tip2 = HallEntries();
    shows(2, tip2, false);
    Type("hh");
    ASSERT_EQ(editmode, HISTORY);
    shows(1, BoardEntries(board), true);
    Type("c");
    shows(2, tip2, false);
    EXPECT_NE(ClubFileText(1).find("\nhallview\n"), std::string::npos);
    Type("V");
    EXPECT_FALSE(HallViewShown());
    EXPECT_EQ(BoardEntries(), tip2);
    EXPECT_EQ(ClubFileText(1).find("hallview"), std::string::npos);

    Type("Vp");
    std::string present = Title();
    Type("V");
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(Title(), present);
    EXPECT_EQ(PopupText(), "Squares will show the board (V for the hall view)");
    Type("r");
    EXPECT_FALSE(HallViewShown());
    EXPECT_GT(BoardCellQty(), 0);
}

// ---- the projector window ----------------------------------------------------------------------
// As the operator drives it: D opens it beside the main window, which keeps the key focus
// through every redraw; it shows the club before the first tip, then the newest tip (never one
// the operator pages back to), u and the font keys, fitted to its own size; keys typed into it reach the main window
// except F11 and Escape, which only switch full-screen. (Closing it and the club file that
// opens it again: tests/cli/evening.sh.)
using Projector = ClubWindow;

bool Has(const std::string& text) {
    std::vector<std::string> t = ProjectorTexts();
    return std::find(t.begin(), t.end(), text) != t.end();
}

bool Tag(const std::string& t) { return t == "Out" || (!t.empty() && t.find_first_not_of("0123456789") == std::string::npos); }

// "name: tag" of every cell, two lines joined as the board joins them.
std::vector<std::string> ProjectorEntries() {
    std::vector<std::string> t = ProjectorTexts(), out;
    for (size_t i = 1; i < t.size(); ++i) {
        std::string n = t[i - 1];
        if (size_t nl = n.find('\n'); nl != std::string::npos) n.replace(nl, 1, n[nl + 1] == '+' || n[nl + 1] == '&' ? "" : ":");
        if (Tag(t[i]) && !Tag(n)) out.push_back(n + ": " + t[i]);
    }
    return out;
}

// Whether the window has the key focus, once the X server has said where the focus is.
bool Active(GtkWidget* w) {
    for (int i = 0; i < 100 && !gtk_window_is_active(GTK_WINDOW(w)); ++i) {
        gdk_display_sync(gdk_display_get_default());
        Pump();
        g_usleep(10000);
    }
    return gtk_window_is_active(GTK_WINDOW(w));
}

TEST_F(Projector, FollowsTheTipsWhileTheMainWindowKeepsTheKeys) {
    clubname = "Hilltop";
    gtk_window_present(GTK_WINDOW(sdwin));
    ASSERT_TRUE(Active(sdwin));
    Type("D");
    GtkWidget* proj = ProjectorWindow();
    ASSERT_TRUE(proj && gtk_widget_get_visible(proj));
    EXPECT_TRUE(Has("Hilltop") && Has("Squares will follow"));

    Type("rrr");
    EXPECT_TRUE(Has("Tip 3") && !Has("History"));
    EXPECT_EQ(ProjectorEntries(), BoardEntries());
    std::vector<std::string> newest = BoardEntries();
    // Paging back through the history is the operator's: the hall keeps the tip it dances.
    Type("hh");
    EXPECT_TRUE(Has("Tip 3") && !Has("History") && !Has("Tip 2"));
    EXPECT_EQ(ProjectorEntries(), newest);
    Type("u");
    ASSERT_NE(histtl, nullptr);
    EXPECT_TRUE(Has(strprintf("Tip %d", histtl->tipcnt)) && !Has("History"));
    int px = ProjectorFacts().fontpx;
    Type("-");
    EXPECT_LT(ProjectorFacts().fontpx, px);
    Type("+");
    EXPECT_EQ(ProjectorFacts().fontpx, px);
    gtk_window_resize(GTK_WINDOW(proj), 800, 600);
    for (int i = 0; i < 100 && ProjectorFacts().width != 800; ++i) Active(proj);
    EXPECT_EQ(ProjectorFacts().width, gtk_widget_get_allocated_width(proj));
    EXPECT_TRUE(Active(sdwin) && !gtk_window_is_active(GTK_WINDOW(proj)));

    // Typed into the projector window (the operator clicked it): a card checks its dancer out;
    // F11 and Escape switch full-screen and never end the evening.
    SqrDancer* sd = sdhd;
    sd->rfid = 4100000001;
    RfidInsert(sd);
    QueueKeys(proj, "4100000001\r");
    Pump();
    EXPECT_EQ(sd->avail, 0);
    TypeTo(proj, "\x1b");
    SendKeyTo(proj, GDK_KEY_F11, "");
    EXPECT_TRUE(ProjectorFullscreen());
    TypeTo(proj, "\x1b\x1b");
    EXPECT_FALSE(ProjectorFullscreen());
    EXPECT_NE(sdwin, nullptr);

    // D closes it, and the club file no longer opens it.
    Type("Dw");
    EXPECT_EQ(ProjectorWindow(), nullptr);
    std::vector<std::string> lines = FileLines("club.dorvel");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "projector"), 0);
}

// The text colour of a label as the theme draws it now.
std::string TextColour(GtkWidget* label) {
    GdkRGBA c;
    GtkStyleContext* ctx = gtk_widget_get_style_context(label);
    gtk_style_context_get_color(ctx, gtk_style_context_get_state(ctx), &c);
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

// Idle, the waiting view stays as it was built (it was built again without end); the projector
// window and the hall view keep their text colour when their window is not the focused one
// (the theme greys it: the projector is never focused).
TEST_F(Projector, IdleItStaysAndUnfocusedItKeepsItsColours) {
    clubname = "Hilltop";
    Type("D");
    GtkWidget* proj = ProjectorWindow();
    ASSERT_NE(proj, nullptr);
    Pump();
    GtkWidget* built = gtk_bin_get_child(GTK_BIN(proj));
    for (int i = 0; i < 40; ++i, g_usleep(5000)) Pump();
    EXPECT_EQ(gtk_bin_get_child(GTK_BIN(proj)), built);

    // Premise: the theme greys a plain label of an unfocused window.
    GtkWidget* other = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* plain = gtk_label_new("plain");
    gtk_container_add(GTK_CONTAINER(other), plain);
    std::string focused = TextColour(plain);
    gtk_widget_set_state_flags(other, GTK_STATE_FLAG_BACKDROP, FALSE);
    bool greyed = TextColour(plain) != focused;
    gtk_widget_destroy(other);
    if (!greyed) GTEST_SKIP() << "the theme keeps the text colour of an unfocused window";

    Type("rV");
    GtkWidget* views[] = {ProjectorTipLabel(), HallViewTipLabel()};
    for (GtkWidget* label : views) {
        ASSERT_NE(label, nullptr);
        GtkWidget* win = gtk_widget_get_toplevel(label);
        gtk_widget_unset_state_flags(win, GTK_STATE_FLAG_BACKDROP);
        std::string before = TextColour(label);
        gtk_widget_set_state_flags(win, GTK_STATE_FLAG_BACKDROP, FALSE);
        EXPECT_EQ(TextColour(label), before) << gtk_label_get_text(GTK_LABEL(label));
        gtk_widget_unset_state_flags(win, GTK_STATE_FLAG_BACKDROP);
    }
}

}  // namespace
