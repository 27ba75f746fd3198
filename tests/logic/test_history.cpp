// SPDX-License-Identifier: GPL-3.0-or-later
// The tip history: saving, paging, re-using and deleting tips; repeating a roll.
#include <gtest/gtest.h>

#include <map>

#include "assign/assign.h"
#include "history/history.h"
#include "support/fixtures.h"
#include "support/rndm.h"
#include "support/screen_recorder.h"
#include "test_assign_util.h"

using namespace assigntest;

namespace {
class Hist : public Evening {
protected:
    void SetUp() override {
        Evening::SetUp();
        for (int i = 0; i < 6; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i));
        for (int i = 0; i < 5; ++i) AddDancer("s" + std::to_string(i), "Single", static_cast<SDSEX>(i));
        initial_s1 = 1, initial_s2 = 2, initial_s3 = 3;
        set_rndm(1, 2, 3);
    }
    std::map<SqrDancer*, int> Counts() {
        std::map<SqrDancer*, int> m;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) m[sd] = sd->dances;
        return m;
    }
};
int Records() {
    int n = 0;
    for (History* h = histhd; h; h = h->nxt) ++n;
    return n;
}
}  // namespace

TEST_F(Hist, UsingTheSecondOfThreeTipsRestoresItsCountsAndSeeds) {
    Tip();
    Tip();
    auto after2 = Counts();
    History* second = histtl;
    int64_t seeds[3] = {second->s1, second->s2, second->s3};
    Tip();
    ASSERT_EQ(Records(), 3);
    HistoryChange(-1);  // newest
    EXPECT_EQ(hist, histtl);
    HistoryChange(-1);  // second
    EXPECT_EQ(hist, second);
    EXPECT_EQ(screen::switches.back(), HISTORY);
    HistoryUse();
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(histtl, second);
    EXPECT_EQ(tipcnt, 2);
    EXPECT_EQ(s1, seeds[0]);
    EXPECT_EQ(s2, seeds[1]);
    EXPECT_EQ(s3, seeds[2]);
    EXPECT_EQ(Counts(), after2);  // everybody, also those who sat out tip 2
    // The out-dancers are tip 2's sit-outs again.
    int n = 0;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) ++n;
    int m = 0;
    for (OutDancer* od = second->outdancerhd; od; od = od->nxt) ++m;
    EXPECT_EQ(n, m);
}

TEST_F(Hist, BackingUpBeforeTheFirstTipThenUseClearsEverything) {
    Tip();
    Tip();
    HistoryChange(1);  // oldest
    EXPECT_EQ(hist, histhd);
    HistoryChange(-1);  // before the first tip
    EXPECT_EQ(prehistory, 1);
    EXPECT_EQ(tipcnt, 2);  // looking back numbers nothing
    EXPECT_EQ(NextTipNumber(), 3);
    EXPECT_EQ(screen::switches.back(), EDIT);
    set_rndm(9, 9, 9);
    s1 = s2 = s3 = 77;
    HistoryUse();
    EXPECT_EQ(histhd, nullptr);
    EXPECT_EQ(tipcnt, 0);
    EXPECT_EQ(prvtipcnt, 0);
    EXPECT_EQ(s1, 1);
    EXPECT_EQ(s2, 2);
    EXPECT_EQ(s3, 3);
    EXPECT_EQ(prehistory, 0);
    EXPECT_EQ(NextTipNumber(), 1);  // every tip taken back
}

TEST_F(Hist, PagingNewerAtTheNewestStaysThere) {
    Tip();
    Tip();
    HistoryChange(0);
    EXPECT_EQ(hist, histtl);
    EXPECT_EQ(cflag, 1);
    HistoryChange(1);
    EXPECT_EQ(hist, histtl);
}

TEST_F(Hist, MessagesWithoutHistory) {
    HistoryChange(1);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "No history available!\nHave you rolled up any squares yet?");
    HistoryUse();
    EXPECT_EQ(screen::warnings.back(), "Need to use History first! (h or H)");
    HistoryChange(0);
    EXPECT_EQ(screen::switches.back(), SQUARES);
    ResetEvening();
    screen::clear();
    HistoryChange(-1);
    ASSERT_EQ(screen::notes.size(), 1u);
    EXPECT_EQ(screen::notes[0],
              "               History Display\nNo dancers have been entered into Dorvels yet!\n    (use n to enter a "
              "new dancer)");
}

// A record deleted with a dancer was danced: its number is not given again.
TEST_F(Hist, DeletedRecordsKeepTheirNumbersGiven) {
    Tip();
    Tip();
    Tip();
    HistoryChange(-1);
    ASSERT_EQ(hist, histtl);
    HistoryDelete(nullptr);
    EXPECT_EQ(hist, nullptr);  // the shown record is gone: nothing dangles
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(tipcnt, 3);
    HistoryDelete(histhd);
    EXPECT_EQ(Records(), 1);
    HistoryDelete(nullptr);
    HistoryDelete(nullptr);  // nothing left: nothing happens
    EXPECT_EQ(tipcnt, 3);
    EXPECT_EQ(NextTipNumber(), 4);
    Tip();
    HistoryChange(-1);
    HistoryUse();  // the newest used: the numbers go on from it
    EXPECT_EQ(NextTipNumber(), 5);
}

TEST_F(Hist, NothingIsSavedInThePresentDisplayOrWithoutSquares) {
    Tip();
    editmode = PRESENT;
    char** cells = static_cast<char**>(calloc(4, sizeof(char*)));
    cells[0] = strdup("x");
    HistorySave(cells, 2);  // freed, not kept (the sanitizer would report a leak)
    EXPECT_EQ(Records(), 1);
}

TEST_F(Hist, HistoryNamesFindsPlacesAndSitOuts) {
    Tip();
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_TRUE(HistoryNames(histtl, sd)) << sd->firstlast;
    SqrDancer* stranger = AddDancer("New", "Comer", E);
    EXPECT_FALSE(HistoryNames(histtl, stranger));
}

TEST_F(Hist, RepeatRollGivesTheSameSquaresAlsoWithSitOutsAndAlternateSkips) {
    Tip();
    SqrDancer* alt = sdtl;
    SkipTipRequest(alt, 2);
    alt->avail = 0;
    Tip();
    Tip();
    std::string pic = Picture();
    auto counts = Counts();
    int records = Records();
    RepeatRollDisplay();
    Tip();
    EXPECT_EQ(Picture(), pic);
    EXPECT_EQ(Counts(), counts);
    EXPECT_EQ(Records(), records);  // the repeated tip is kept once
    EXPECT_EQ(tipcnt, 3);
}

TEST_F(Hist, TheWholeEveningCanBeWalkedBackAndUsedAtAnyTip) {
    std::vector<std::map<SqrDancer*, int>> after;
    for (int t = 0; t < 8; ++t) {
        Tip();
        after.push_back(Counts());
    }
    for (int back = 7; back >= 1; --back) {
        HistoryChange(-1);
        HistoryChange(-1);
        HistoryUse();
        hist = nullptr;  // as the use command leaves it
        ASSERT_EQ(tipcnt, back);
        EXPECT_EQ(Counts(), after[back - 1]) << "tip " << back;
        // Carry on from here: the next roll starts from the seeds of that tip's record.
    }
}
