// SPDX-License-Identifier: GPL-3.0-or-later
// The history board: an earlier tip shown again from its saved texts.
#include <gtk/gtk.h>

#include "display/boards.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"

namespace {

std::vector<std::string> SavedTexts(const History* h) {
    std::vector<std::string> out;
    for (int i = 0; i < 2 * h->totdancers; ++i)
        if (h->sqrlist[i]) out.push_back(h->sqrlist[i]);
    return out;
}

void ExpectStripes(const char* odd) {
    for (int i = 0; i < BoardCellQty(); ++i) {
        GtkWidget* w = BoardCell(i);
        EXPECT_EQ(GridPos(w), std::make_pair(i / boardrowqty, i % boardrowqty)) << i;
        EXPECT_EQ(Background(w), (i % boardrowqty) % 2 ? odd : "#fffff0") << i;
    }
}

}  // namespace

using HistoryBoard = BoardsWindow;

TEST_F(HistoryBoard, EarlierTipShowsItsOwnTextsWithOrangeStripes) {
    for (int i = 0; i < 10; ++i) AddCouple("Al", "Bea", strprintf("Name%02d", i));
    AddDancer("Sue", "Single", F);
    SortByName();
    for (int t = 0; t < 3; ++t) SwitchDisplay(SQUARES);
    ASSERT_EQ(tipcnt, 3);
    ASSERT_NE(histhd, nullptr);
    hist = histhd->nxt;
    ASSERT_NE(hist, nullptr);
    cflag = 0;
    SwitchDisplay(HISTORY);

    EXPECT_EQ(editmode, HISTORY);
    EXPECT_EQ(tipcnt, 3);  // the title names the tip shown; the evening stays at its newest
    std::string title = gtk_window_get_title(GTK_WINDOW(sdwin));
    EXPECT_EQ(title.rfind("HISTORY : ", 0), 0u) << title;
    EXPECT_EQ(title.substr(title.size() - 5), "tip#2");
    EXPECT_EQ(BoardTexts(), SavedTexts(hist));
    EXPECT_EQ(BoardCellQty(), 11);  // ten couples and the single
    ExpectStripes("#ff7f00");
}

TEST_F(HistoryBoard, LatestTipShownAgainIsGreenOnce) {
    for (int i = 0; i < 4; ++i) AddCouple("Al", "Bea", strprintf("Name%02d", i));
    SortByName();
    SwitchDisplay(SQUARES);
    std::vector<std::string> board = BoardTexts();
    hist = histtl;
    cflag = 1;
    SwitchDisplay(HISTORY);
    EXPECT_EQ(BoardTexts(), board);
    ExpectStripes("#90ee90");
    EXPECT_EQ(cflag, 0);
    SwitchDisplay(HISTORY);
    ExpectStripes("#ff7f00");
}

TEST_F(HistoryBoard, NoRecordShowsNothing) {
    AddDancer("Sue", "Single", F);
    SwitchDisplay(EDIT);
    hist = nullptr;
    HistoryDisplay();
    EXPECT_EQ(editmode, EDIT);
    EXPECT_EQ(BoardCellQty(), 0);
}
