// SPDX-License-Identifier: GPL-3.0-or-later
// What a new operator reads on the screens of a first evening, read back from the real window
// (colours as pixels of the X server): the edit display, the present board, the card window, notes.
#include <gtest/gtest.h>

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

// The colour the X server shows for a button: beside its text, halfway down ("" when none).
std::string ButtonColour(GtkWidget* b) {
    GtkAllocation a;
    gtk_widget_get_allocation(b, &a);
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(gtk_widget_get_window(b), a.x + 4, a.y + a.height / 2, 1, 1);
    std::string rgb = pb ? std::string((const char*)gdk_pixbuf_get_pixels(pb), 3) : "";
    if (pb) g_object_unref(pb);
    return rgb;
}

// The window drawn: everything laid out, and the frame on the X server.
void Drawn() {
    BoardsSettle();
    for (int i = 0; i < 5; ++i, g_usleep(20000)) BoardsPump();
}

using FirstEvening = KeysWindow;

// Cards swiped at the door on the present board: after every swipe the board shows what a
// board built afresh shows, cell by cell (text, place, stripe); its labels are kept while
// the board keeps its shape.
TEST_F(FirstEvening, PresentBoardFollowsEverySwipeAsIfBuiltAfresh) {
    BuildClub(30, 5, 5);
    std::vector<SqrDancer*> all;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->rfid = 4100000001 + all.size();
        RfidInsert(sd);
        all.push_back(sd);
    }
    Type("p");
    auto cells = [] {
        std::vector<std::string> out;
        for (int i = 0; GtkWidget* c = i < BoardCellQty() ? BoardCell(i) : nullptr; ++i)
            out.push_back(strprintf("%s @%d,%d %s", CellText(c).c_str(), GridPos(c).first, GridPos(c).second,
                                    Background(c).c_str()));
        return out;
    };
    std::mt19937 rng(27);
    int kept = 0;
    for (int step = 0; step < 40; ++step) {
        GtkWidget* first = BoardCell(0);
        Swipe(all[rng() % all.size()]->rfid);
        ASSERT_EQ(editmode, PRESENT);
        std::vector<std::string> now = cells();
        kept += BoardCellQty() > 0 && BoardCell(0) == first;
        Type("ep");  // built afresh
        EXPECT_EQ(now, cells()) << "step " << step;
    }
    EXPECT_GT(kept, 20);
}

// An unknown card at the door: letters typed into the card window keep the dancers without a
// card whose name holds them; Enter gives the card to the first (an Enter before any letter to
// nobody), Down and the arrows choose another; a note names the dancer and the card.
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
        for (int i = 0; GtkListBoxRow* row = list ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), i) : nullptr; ++i)
            if (gtk_widget_get_child_visible(GTK_WIDGET(row)))
                names.push_back(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(row)))));
        return names;
    };

    Swipe(4100000001);
    ASSERT_NE(sdnew, nullptr);
    TypeTo(sdnew, "\r");
    EXPECT_EQ(RfidFind(4100000001), nullptr);
    TypeTo(sdnew, "NETT");  // typed at once into the search; Ned has a card already
    EXPECT_EQ(shown(), (std::vector<std::string>{"Nora Nettle", "Jasper Nettlebottom"}));
    TypeTo(sdnew, "\r");
    ASSERT_NE(RfidFind(4100000001), nullptr);
    EXPECT_EQ(RfidFind(4100000001)->firstlast, "Nora Nettle");
    EXPECT_EQ(RfidFind(4100000001)->avail, 1);
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(PopupText(), "rfid#4100000001 is now the card of Nora Nettle, who is available to dance");

    Swipe(4100000002);
    TypeTo(sdnew, "t");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Jasper Nettlebottom", "Tom Uhl"}));
    SendKeyTo(sdnew, GDK_KEY_Down, "");
    SendKeyTo(sdnew, GDK_KEY_Down, "");
    TypeTo(sdnew, "\r");
    ASSERT_NE(RfidFind(4100000002), nullptr);
    EXPECT_EQ(RfidFind(4100000002)->firstlast, "Tom Uhl");
}

// The edit display's legend: its buttons look as the name buttons of a present and of an absent
// dancer. Notes wrap within a window of 1024 pixels, whatever their length, and are shown whole;
// a short one keeps its line. The fairness note of one tip says "1 tip".
TEST_F(FirstEvening, EditLegendColoursAndLongNotesAsDrawn) {
    SqrDancer* zed = AddDancer("Zed", "Zorn", M);
    SqrDancer* amy = AddDancer("Amy", "Able", F);
    amy->avail = 0;
    Type("e");
    Drawn();
    auto legend = [](const char* text) {
        return Find(EditLegend(), [&](GtkWidget* w) { return GTK_IS_TOGGLE_BUTTON(w) && CellText(w) == text; });
    };
    GtkWidget* present = legend("Present");
    GtkWidget* absent = legend("Absent");
    ASSERT_TRUE(present && absent);
    EXPECT_EQ(ButtonColour(present), ButtonColour(zed->availbttn));
    EXPECT_EQ(ButtonColour(absent), ButtonColour(amy->availbttn));
    EXPECT_NE(ButtonColour(present), ButtonColour(absent));

    gtk_window_unmaximize(GTK_WINDOW(sdwin));
    gtk_window_resize(GTK_WINDOW(sdwin), 1024, 768);
    Drawn();
    GtkNote("a short note");
    Drawn();
    int line = gtk_widget_get_allocated_height(sdpop), shortwidth = gtk_widget_get_allocated_width(sdpop);
    std::string text;
    while (text.size() < 400) text += strprintf("Puddingstone%zu ", text.size());
    GtkNoteText(text);
    Drawn();
    EXPECT_EQ(PopupText(), text);
    EXPECT_LE(gtk_widget_get_allocated_width(sdpop), gtk_widget_get_allocated_width(sdwin));
    EXPECT_GT(gtk_widget_get_allocated_width(sdpop), 2 * shortwidth);
    EXPECT_GE(gtk_widget_get_allocated_height(sdpop), 3 * line);  // on several lines

    BuildClub(8, 0, 0);
    Type("rv");
    EXPECT_EQ(PopupText().rfind("fairness after 1 tip: ", 0), 0u) << PopupText();
}

}  // namespace
