// SPDX-License-Identifier: GPL-3.0-or-later
// What a new operator reads on the screens of a first evening, read back from the real
// window: the edit display's legend in the colours of its name buttons (pixels read from
// the X server), the note of a card swiped there, dancers of one name told apart; the present
// board kept in step with the swipes at the door; the card window's search; long notes.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "commands/keys.h"
#include "display/boards.h"
#include "display/display.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

// The colour the X server shows at x, y of widget w (a point of its own allocation).
std::array<int, 3> Pixel(GtkWidget* w, int x, int y) {
    GtkAllocation a;
    gtk_widget_get_allocation(w, &a);
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(gtk_widget_get_window(w), a.x + x, a.y + y, 1, 1);
    if (!pb) return {-1, -1, -1};
    const guchar* p = gdk_pixbuf_get_pixels(pb);
    std::array<int, 3> rgb{p[0], p[1], p[2]};
    g_object_unref(pb);
    return rgb;
}

// The background of a button: beside its text, halfway down.
std::array<int, 3> ButtonColour(GtkWidget* b) { return Pixel(b, 4, gtk_widget_get_allocated_height(b) / 2); }

GtkWidget* LegendButton(const char* text) {
    return Find(EditLegend(), [&](GtkWidget* w) { return GTK_IS_TOGGLE_BUTTON(w) && CellText(w) == text; });
}

// The window drawn: everything laid out, and the frame on the X server.
void Drawn() {
    BoardsSettle();
    for (int i = 0; i < 5; ++i) {
        BoardsPump();
        g_usleep(20000);
    }
}

class FirstEvening : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        gtk_window_resize(GTK_WINDOW(sdwin), 1920, 1080);
        Pump();
    }
};

TEST_F(FirstEvening, EditDisplaySaysWhatItsColoursMeanAndWhichWayACardWent) {
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");
    SqrDancer* ann = bob->partner;
    SqrDancer* zed = AddDancer("Zed", "Zorn", M);
    SqrDancer* amy = AddDancer("Amy", "Able", F);
    amy->avail = 0;
    zed->rfid = 4100000001;
    RfidInsert(zed);
    Type("e");
    Drawn();

    // The couple of one last name shows its initials; everybody else the plain name.
    EXPECT_EQ(CellText(bob->availbttn), "Smith B");
    EXPECT_EQ(CellText(ann->availbttn), "Smith A");
    EXPECT_EQ(CellText(zed->availbttn), "Zorn");
    Type("p");
    EXPECT_EQ(BoardTexts(), (std::vector<std::string>{"Smith A", "Smith B", "Zorn"}));
    Type("e");
    Drawn();

    // The legend's buttons look as the name buttons of a present and of an absent dancer.
    ASSERT_NE(EditLegend(), nullptr);
    GtkWidget* present = LegendButton("Present");
    GtkWidget* absent = LegendButton("Absent");
    ASSERT_TRUE(present && absent);
    EXPECT_EQ(ButtonColour(present), ButtonColour(zed->availbttn));
    EXPECT_EQ(ButtonColour(absent), ButtonColour(amy->availbttn));
    EXPECT_NE(ButtonColour(present), ButtonColour(absent));

    // A card swiped on the edit display: the note says whether it checked in or out.
    Swipe(zed->rfid);
    EXPECT_EQ(zed->avail, 0);
    EXPECT_EQ(PopupText(), "Zorn is no longer available to dance");
    Swipe(zed->rfid);
    EXPECT_EQ(PopupText(), "Zorn is available to dance");
    EXPECT_EQ(editmode, EDIT);
}

// Cards swiped at the door on the present board, as a queue of dancers checks in and out:
// after every swipe the board shows what a board built afresh shows, cell by cell (text,
// place, stripe); the labels are kept while the board keeps its shape.
TEST_F(FirstEvening, PresentBoardFollowsEverySwipeAsIfBuiltAfresh) {
    BuildClub(30, 5, 5);
    uint64_t card = 4100000000;
    std::vector<SqrDancer*> all;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->rfid = ++card;
        RfidInsert(sd);
        all.push_back(sd);
    }
    Type("p");
    std::mt19937 rng(27);
    auto cells = [] {
        std::vector<std::string> out;
        for (int i = 0; i < BoardCellQty(); ++i) {
            GtkWidget* c = BoardCell(i);
            auto [col, row] = GridPos(c);
            out.push_back(strprintf("%s @%d,%d %s", CellText(c).c_str(), col, row, Background(c).c_str()));
        }
        return out;
    };
    int kept = 0;
    for (int step = 0; step < 40; ++step) {
        GtkWidget* first = BoardCell(0);
        Swipe(all[rng() % all.size()]->rfid);
        ASSERT_EQ(editmode, PRESENT);
        std::vector<std::string> now = cells();
        if (BoardCellQty() > 0 && BoardCell(0) == first) ++kept;
        Type("ep");  // built afresh
        EXPECT_EQ(now, cells()) << "step " << step;
    }
    EXPECT_GT(kept, 20);
}

// An unknown card at the door: letters typed into the card window keep the dancers without a
// card whose name holds them; Enter gives the card to the first, Down and the arrows choose
// another; a note names the dancer and the card.
TEST_F(FirstEvening, CardWindowFindsTheDancerByTypedLetters) {
    AddDancer("Jasper", "Nettlebottom", M);
    AddDancer("Nora", "Nettle", F);
    SqrDancer* ned = AddDancer("Ned", "Nettlefold", M);
    ned->rfid = 4100000009;
    RfidInsert(ned);
    AddDancer("Tom", "Uhl", M);
    SortByName();
    Type("e");
    auto shown = [] {
        std::vector<std::string> names;
        GtkWidget* list = Find(sdnew, [](GtkWidget* w) { return GTK_IS_LIST_BOX(w); });
        for (int i = 0; list && gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), i); ++i) {
            GtkWidget* row = GTK_WIDGET(gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), i));
            if (gtk_widget_get_child_visible(row)) names.push_back(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(row)))));
        }
        return names;
    };
    auto typein = [](const std::string& s) {
        for (char c : s) SendKeyTo(sdnew, gdk_unicode_to_keyval((guint)c), std::string(1, c).c_str());
        Pump();
    };

    Swipe(4100000001);
    ASSERT_NE(sdnew, nullptr);
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(sdnew)), RfidFinderEntry());
    EXPECT_EQ(shown().size(), 3u);  // everybody without a card
    typein("NETT");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Nora Nettle", "Jasper Nettlebottom"}));
    SendKeyTo(sdnew, GDK_KEY_Return, "\r");
    Pump();
    SqrDancer* nora = RfidFind(4100000001);
    ASSERT_NE(nora, nullptr);
    EXPECT_EQ(nora->firstlast, "Nora Nettle");
    EXPECT_EQ(nora->avail, 1);
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(PopupText(), "rfid#4100000001 is now the card of Nora Nettle, who is available to dance");

    Swipe(4100000002);
    ASSERT_NE(sdnew, nullptr);
    typein("t");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Jasper Nettlebottom", "Tom Uhl"}));
    SendKeyTo(sdnew, GDK_KEY_Down, "");
    SendKeyTo(sdnew, GDK_KEY_Down, "");
    SendKeyTo(sdnew, GDK_KEY_Return, "\r");
    Pump();
    ASSERT_NE(RfidFind(4100000002), nullptr);
    EXPECT_EQ(RfidFind(4100000002)->firstlast, "Tom Uhl");
}

// Notes wrap within the window at 1024 pixels, whatever their length; a short one keeps its
// line. The fairness note of one tip says "1 tip".
TEST_F(FirstEvening, LongNotesWrapWithinTheWindow) {
    gtk_window_unmaximize(GTK_WINDOW(sdwin));
    gtk_window_resize(GTK_WINDOW(sdwin), 1024, 768);
    Drawn();
    GtkNote("a short note");
    Drawn();
    int line = gtk_widget_get_allocated_height(sdpop);
    int shortwidth = gtk_widget_get_allocated_width(sdpop);
    std::string text;
    for (int i = 0; text.size() < 400; ++i) text += strprintf("Puddingstone%d ", i);
    GtkNoteText(text);
    Drawn();
    EXPECT_EQ(PopupText(), text);
    EXPECT_LE(gtk_widget_get_allocated_width(sdpop), gtk_widget_get_allocated_width(sdwin));
    EXPECT_GT(gtk_widget_get_allocated_width(sdpop), 2 * shortwidth);
    EXPECT_GE(gtk_widget_get_allocated_height(sdpop), 3 * line);  // on several lines

    BuildClub(8, 0, 0);
    Type("r");
    Type("v");
    EXPECT_EQ(PopupText().rfind("fairness after 1 tip: ", 0), 0u) << PopupText();
}

}  // namespace
