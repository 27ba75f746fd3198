// SPDX-License-Identifier: GPL-3.0-or-later
// Square tagging: moving tagged dancers and their partners, the tag command's slots.
#include <gtest/gtest.h>

#include "assign/assign.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/rndm.h"
#include "support/helmtext.h"
#include "support/screen_recorder.h"
#include "test_assign_util.h"

namespace {
class Tagging : public Evening {
protected:
    void SetUp() override {
        Evening::SetUp();
        set_rndm(4, 5, 6);
    }
};

std::vector<SqrDancer*> Couples(int n) {
    std::vector<SqrDancer*> v;
    for (int i = 0; i < n; ++i)
        v.push_back(AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i)));
    return v;
}

int DancersIn(int isqr) {
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) n += sd->square == isqr;
    return n;
}
}  // namespace

TEST_F(Tagging, TagSquareBeyondTheRollWarnsAndUsesTheLastSquare) {
    auto c = Couples(8);  // 2 squares
    sqrtag[0].sd = c[0];
    sqrtag[0].isqr = 2;  // square 3
    ASSERT_NE(RollSquares(), nullptr);
    ASSERT_EQ(totsquare, 2);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "tag-square is #3, but only 2 squares! (tagging to square#2 instead)\n");
    EXPECT_EQ(sqrtag[0].isqr, 1);
    EXPECT_EQ(sqrtag[0].sqr, &sqr[1]);
    EXPECT_EQ(c[0]->square, 1);
    EXPECT_EQ(c[0]->partner->square, 1);
    EXPECT_EQ(c[0]->tagged, 1);
    EXPECT_EQ(c[0]->partner->tagged, 1);
}

TEST_F(Tagging, TwoTaggedCouplesEndInTheTagSquareAndTheDisplacedSwapOut) {
    auto c = Couples(12);  // 3 squares
    for (int seed = 1; seed < 40; ++seed) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
        sqrtag[0] = SquareTag{0, nullptr, c[0]};
        sqrtag[1] = SquareTag{0, nullptr, c[5]};
        set_rndm(seed, 1, 1);
        ASSERT_NE(RollSquares(), nullptr);
        EXPECT_EQ(c[0]->square, 0);
        EXPECT_EQ(c[0]->partner->square, 0);
        EXPECT_EQ(c[5]->square, 0);
        EXPECT_EQ(c[5]->partner->square, 0);
        for (int i = 0; i < totsquare; ++i) {
            EXPECT_EQ(DancersIn(i), 8);
            for (int j = 0; j < 8; ++j) {
                SqrDancer* sd = sqr[i].dancer[j];
                ASSERT_NE(sd, nullptr);
                EXPECT_EQ(sd->square, i);
                EXPECT_EQ(sd->posn, j);
                EXPECT_EQ(sqr[i].dancer[j ^ 1], sd->partner);  // couples stay side by side
            }
        }
    }
}

TEST_F(Tagging, TaggedDancerAlreadyInItsSquareIsNotMoved) {
    auto c = Couples(8);
    ASSERT_NE(RollSquares(), nullptr);
    int home = c[2]->square, posn = c[2]->posn;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
    sqrtag[0] = SquareTag{home, nullptr, c[2]};
    set_rndm(4, 5, 6);  // same roll again
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(c[2]->square, home);
    EXPECT_EQ(c[2]->posn, posn);
}

TEST_F(Tagging, TaggedSitOutIsNotBroughtIn) {
    auto c = Couples(5);  // 1 square, one couple out
    for (int seed = 1; seed < 30; ++seed) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
        sqrtag[0] = SquareTag{0, nullptr, c[4]};
        set_rndm(seed, 2, 2);
        ASSERT_NE(RollSquares(), nullptr);
        if (c[4]->assigned == 0) {
            EXPECT_EQ(c[4]->square, -1);
        }
        EXPECT_EQ(DancersIn(0), 8);
    }
}

TEST_F(Tagging, SingleBesideAnEmptySlotSwapsWithoutLosingAnybody) {
    // Singles M with too few partners leave empty slots; tagging must not drop dancers.
    for (int i = 0; i < 10; ++i) AddDancer("m" + std::to_string(i), "M", M);
    for (int i = 0; i < 6; ++i) AddDancer("e" + std::to_string(i), "E", E);
    for (int i = 0; i < 8; ++i) AddCouple("a" + std::to_string(i), "b" + std::to_string(i), "C" + std::to_string(i));
    for (int seed = 1; seed < 40; ++seed) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
        sqrtag[0] = SquareTag{0, nullptr, sdhd};
        set_rndm(seed, 7, 7);
        ASSERT_NE(RollSquares(), nullptr);
        int inarray = 0;
        for (int i = 0; i < totsquare; ++i)
            for (int j = 0; j < squaresize; ++j)
                if (SqrDancer* sd = sqr[i].dancer[j]) {
                    ++inarray;
                    EXPECT_EQ(sd->square, i);
                }
        EXPECT_EQ(inarray, assigntest::CountPlaced());
    }
}

TEST_F(Tagging, NegativeTagSquareMovesNobody) {
    auto c = Couples(8);
    sqrtag[0] = SquareTag{-1, nullptr, c[1]};
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(lasterror.rfind("(PerformSquareTagging) somehow sd<", 0), 0u);
    EXPECT_GE(c[1]->square, 0);
    EXPECT_EQ(c[1]->tagged, 1);
}

TEST_F(Tagging, TagCommandFillsClearsAndOverwritesSlots) {
    auto c = Couples(3);
    std::vector<SqrDancer*> d{c[0], c[0]->partner, c[1], c[1]->partner, c[2]};
    for (int i = 0; i < 4; ++i) {
        d[i]->avail = 0;  // the click that selected it flipped it
        sdtoggled = d[i];
        SqrTagDancer();
        EXPECT_EQ(sqrtag[i].sd, d[i]);
        EXPECT_EQ(sqrtag[i].isqr, 0);
        EXPECT_EQ(d[i]->avail, 1);
        EXPECT_EQ(d[i]->tagged, 1);
        EXPECT_EQ(sdtoggled, nullptr);
        EXPECT_EQ(screen::notes.back(), "initialized sqrtag#" + std::to_string(i + 1) + " with " + d[i]->firstlast);
    }
    // Fifth: slot after the last used one ((3+1) mod 4 = slot 0) is overwritten.
    d[4]->avail = 0;
    sdtoggled = d[4];
    SqrTagDancer();
    EXPECT_EQ(sqrtag[0].sd, d[4]);
    EXPECT_EQ(d[0]->tagged, 0);
    EXPECT_EQ(screen::notes.back(), "overwrote sqrtag#1 with " + d[4]->firstlast);
    // Tagging a tagged dancer clears its slot.
    d[2]->avail = 0;
    sdtoggled = d[2];
    SqrTagDancer();
    EXPECT_EQ(sqrtag[2].sd, nullptr);
    EXPECT_EQ(sqrtag[2].isqr, -1);
    EXPECT_EQ(d[2]->tagged, 0);
    EXPECT_EQ(d[2]->avail, 1);
    EXPECT_EQ(screen::notes.back(), "cleared sqrtag#3 (previously " + d[2]->firstlast + ")");
    EXPECT_EQ(sqrtagindex, 1);
    // No dancer clicked: every tag goes.
    sdtoggled = nullptr;
    SqrTagDancer();
    for (auto& t : sqrtag) {
        EXPECT_EQ(t.sd, nullptr);
        EXPECT_EQ(t.isqr, -1);
    }
    for (SqrDancer* sd : d) EXPECT_EQ(sd->tagged, 0);
    EXPECT_EQ(screen::notes.back(), "cleared all square dancer tags");
}

TEST_F(Tagging, TagCommandUsesTheSquareOfTheFirstFilledSlot) {
    auto c = Couples(2);
    sqrtag[2] = SquareTag{3, nullptr, c[0]};
    sdtoggled = c[1];
    c[1]->avail = 0;
    SqrTagDancer();
    EXPECT_EQ(sqrtag[0].sd, c[1]);
    EXPECT_EQ(sqrtag[0].isqr, 3);
}

TEST_F(Tagging, SlidersPickPresentDancersAndDoneSetsTheSquare) {
    auto c = Couples(2);
    c[0]->avail = 0;
    EXPECT_EQ(SqrTagMapBuild(), 3);
    EXPECT_EQ(SqrTagSliderPick(1, 1.7), c[0]->partner);  // entry 1 = first present
    EXPECT_EQ(sqrtag[1].sd, c[0]->partner);
    SqrDancer* last = mapi2sd[3];
    EXPECT_EQ(SqrTagSliderPick(1, 99), last);             // clamped
    EXPECT_EQ(SqrTagSliderPick(1, -3), nullptr);
    EXPECT_EQ(sqrtag[1].sd, nullptr);
    SqrTagSliderPick(2, 2);
    SqrTagApplySquare(0);  // below 1: square 1
    EXPECT_EQ(sqrtag[2].isqr, 0);
    SqrTagApplySquare(3);
    EXPECT_EQ(sqrtag[2].isqr, 2);
    EXPECT_EQ(sqrtag[2].sd->tagged, 1);
    EXPECT_EQ(SqrTagSliderLabel(nullptr), "Dancer<---->" + std::string(26, ' '));
    SqrTagClearAll();
    for (auto& t : sqrtag) EXPECT_EQ(t.sd, nullptr);
}
