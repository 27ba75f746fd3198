// SPDX-License-Identifier: GPL-3.0-or-later
// Rolling squares: head counts, role balance, caps, couples, classes, decks and the deal.
#include <gtest/gtest.h>

#include <cstdlib>

#include "assign/assign.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/helmtext.h"
#include "support/rndm.h"
#include "support/screen_recorder.h"
#include "test_assign_util.h"

using namespace assigntest;

namespace {
class Roll : public Evening {
protected:
    void SetUp() override {
        Evening::SetUp();
        set_rndm(11, 22, 33);
    }
};

void Couples(int n, const std::string& last = "C") {
    for (int i = 0; i < n; ++i) AddCouple("M" + std::to_string(i), "F" + std::to_string(i), last + std::to_string(i));
}
}  // namespace

TEST_F(Roll, TooFewDancersWarnsSwitchesToEditAndReturnsNull) {
    Couples(3);
    AddDancer("Sue", "Solo", F);
    ASSERT_EQ(RosterCount(), 7);
    EXPECT_EQ(RollSquares(), nullptr);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "Not enough dancers for even one square!  (need 8, have 7)\n");
    ASSERT_EQ(screen::switches.size(), 1u);
    EXPECT_EQ(screen::switches[0], EDIT);
    EXPECT_EQ(sqr, nullptr);
    EXPECT_EQ(totsquare, 0);
    EXPECT_EQ(totavail, 7);
}

TEST_F(Roll, AFailedRollDiscardsThePreviousSquares) {
    Couples(4);
    ASSERT_NE(RollSquares(), nullptr);
    sdhd->avail = 0;
    EXPECT_EQ(RollSquares(), nullptr);
    EXPECT_EQ(sqr, nullptr);
    EXPECT_EQ(totsquare, 0);
}

TEST_F(Roll, SeventeenBalancedDancersMakeTwoSquaresAndOneSitsOut) {
    Singles(8, M, "m");
    Singles(8, F, "f");
    AddDancer("Odd", "One", E);
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(totsquare, 2);
    EXPECT_EQ(totavail, 17);
    EXPECT_EQ(CountPlaced(), 16);
    int out = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) out += sd->assigned == 0;
    EXPECT_EQ(out, 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(sqr[i].square, i);
        EXPECT_EQ(sqr[i].qty, 8);
    }
}

TEST_F(Roll, ExcessOfOneRoleLimitsTheSquares) {
    Singles(10, M, "m");
    Singles(6, F, "f");
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(cntm, 10);
    EXPECT_EQ(cntf, 6);
    EXPECT_EQ(totsquare, 1);  // excessm 4: 2*6/8 = 1
    // Every pair is M beside F.
    for (int j = 0; j < 8; j += 2) {
        ASSERT_NE(sqr[0].dancer[j], nullptr);
        ASSERT_NE(sqr[0].dancer[j + 1], nullptr);
        EXPECT_NE(sqr[0].dancer[j]->sex, sqr[0].dancer[j + 1]->sex);
    }
}

TEST_F(Roll, ExcessOfWomenLimitsTheSquaresToo) {
    Singles(3, M, "m");
    Singles(14, F, "f");
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(totsquare, 0);  // 2*3/8 = 0: an empty array, not a failure
    EXPECT_TRUE(screen::warnings.empty());
    EXPECT_EQ(CountPlaced(), 0);
}

TEST_F(Roll, OnlyMenGiveNoSquaresWithoutWarning) {
    Singles(16, M, "m");
    Square* s = RollSquares();
    EXPECT_NE(s, nullptr);
    EXPECT_EQ(totsquare, 0);
    EXPECT_TRUE(screen::warnings.empty());
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        EXPECT_EQ(sd->assigned, 0);
        EXPECT_EQ(sd->dances, 0);
        EXPECT_EQ(sd->square, -1);
    }
}

TEST_F(Roll, MaxSquaresCapsTheRoll) {
    Couples(20);
    maxsquares = 2;
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(totsquare, 2);
    int out = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) out += sd->assigned == 0;
    EXPECT_EQ(out, 24);
}

TEST_F(Roll, CoupleWithAbsentPartnerIsDealtAsSingleAndTheLinkSurvivesOnTheAbsentSide) {
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");  // Bob M, Ann F
    SqrDancer* ann = bob->partner;
    ann->avail = 0;
    Couples(3);
    AddDancer("Sue", "Single", F);
    AddDancer("Zed", "Single", M);
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(bob->partner, nullptr);
    EXPECT_EQ(ann->partner, bob);
    EXPECT_NE(bob->assigned, 0);
    ASSERT_NE(bob->tmppartner, nullptr);
    EXPECT_NE(bob->tmppartner->sex, M);
    EXPECT_EQ(bob->tmppartner->tmppartner, bob);
    EXPECT_EQ(ann->square, -1);
    RePartner();
    EXPECT_EQ(bob->partner, ann);
}

TEST_F(Roll, CoupleWithPartnerBelowTheFloorIsDealtAsSingle) {
    pgmfloor = Plus;
    SqrDancer* a = AddCouple("Al", "Bea", "Low", M, Plus);
    a->partner->pgm = Main;
    for (int i = 0; i < 4; ++i) AddCouple("M" + std::to_string(i), "F" + std::to_string(i), "P" + std::to_string(i), M, Plus);
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(a->partner, nullptr);
    EXPECT_EQ(totavail, 9);
    EXPECT_EQ(a->partner, nullptr);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->pgm < Plus) {
            EXPECT_EQ(sd->square, -1);
        }
}

TEST_F(Roll, CouplesAreNeverSplit) {
    Couples(9);
    for (int seed = 1; seed < 40; ++seed) {
        set_rndm(seed, seed * 7, seed * 13);
        ASSERT_NE(RollSquares(), nullptr);
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            ASSERT_NE(sd->partner, nullptr);
            EXPECT_EQ(sd->square, sd->partner->square);
            if (sd->square >= 0) {
                EXPECT_EQ(sd->posn ^ 1, sd->partner->posn);
            }
        }
    }
}

TEST_F(Roll, SameStandingLuckGivesTwoClassesAndTheMustHalfIsEmpty) {
    // The classes are gone after the roll; their effect is the dealing order. With one
    // non-empty class the generator is asked for exactly one deck and one start square.
    Couples(4);
    AddDancer("Xa", "Y", E);
    int64_t a, b, c;
    set_rndm(5, 6, 7);
    ASSERT_NE(RollSquares(), nullptr);
    get_rndm(&a, &b, &c);
    EXPECT_EQ(qtyprio, 0);
    set_rndm(5, 6, 7);
    free(setdeck(9));
    urndm(0, 0);
    int64_t x, y, z;
    get_rndm(&x, &y, &z);
    EXPECT_EQ(a, x);
    EXPECT_EQ(b, y);
    EXPECT_EQ(c, z);
}

TEST_F(Roll, GeneratorIsCalledOncePerNonEmptyClassInClassOrderThenOnce) {
    // Classes: must with 0 dances (2), luck 0 (3), luck 1 (empty), luck 2 (4); 9 dancers.
    auto m = Singles(2, M, "mu");
    for (SqrDancer* sd : m) sd->priority = MUST;
    auto l0 = Singles(3, F, "l0");
    auto l2 = Singles(4, E, "l2");
    for (SqrDancer* sd : l2) sd->dances = 2;
    set_rndm(8, 9, 10);
    ASSERT_NE(RollSquares(), nullptr);
    int64_t a, b, c, x, y, z;
    get_rndm(&a, &b, &c);
    set_rndm(8, 9, 10);
    free(setdeck(2));  // must, 0 dances
    free(setdeck(3));  // luck, 0 dances
    free(setdeck(4));  // luck, 2 dances
    urndm(0, totsquare - 1);
    get_rndm(&x, &y, &z);
    EXPECT_EQ(a, x);
    EXPECT_EQ(b, y);
    EXPECT_EQ(c, z);
}

TEST_F(Roll, MustDancersGoFirstAndFewestDancesBeforeMore) {
    // 12 present, one square: the 2 must dancers and the 6 with fewest dances dance.
    std::vector<SqrDancer*> must = Singles(2, E, "must");
    for (SqrDancer* sd : must) {
        sd->priority = MUST;
        sd->dances = 5;
    }
    std::vector<SqrDancer*> low = Singles(6, E, "low");
    std::vector<SqrDancer*> high = Singles(4, E, "high");
    for (SqrDancer* sd : high) sd->dances = 3;
    for (int seed = 1; seed < 30; ++seed) {
        for (SqrDancer* sd : must) sd->dances = 5;
        for (SqrDancer* sd : low) sd->dances = 0;
        for (SqrDancer* sd : high) sd->dances = 3;
        set_rndm(seed, 2 * seed, 3 * seed);
        ASSERT_NE(RollSquares(), nullptr);
        ASSERT_EQ(totsquare, 1);
        for (SqrDancer* sd : must) EXPECT_NE(sd->assigned, 0);
        for (SqrDancer* sd : low) EXPECT_NE(sd->assigned, 0);
        for (SqrDancer* sd : high) EXPECT_EQ(sd->assigned, 0);
        EXPECT_EQ(maxdances, 6);
    }
}

TEST_F(Roll, LastTipsSitOutIsDealtFirstInItsClass) {
    Couples(4);
    SqrDancer* x = AddDancer("Xavier", "Out", E);
    for (int seed = 1; seed < 60; ++seed) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
        OutDancerMake(x);
        set_rndm(seed, seed + 1, seed + 2);
        ASSERT_NE(RollSquares(), nullptr);
        EXPECT_EQ(x->assigned, 1) << "seed " << seed;
        EXPECT_EQ(outdancerhd, nullptr);  // consumed
    }
}

TEST_F(Roll, OutDancerListPositionCountsOverTheWholeList) {
    // Entry 0 names a dancer of another class; entry 1 is the sit-out: it goes to deck
    // position 1 of its class, not 0, so across seeds it is not always dealt first.
    SqrDancer* must = AddDancer("Mu", "St", E, Basic, MUST);
    Couples(4);
    SqrDancer* x = AddDancer("Xavier", "Out", E);
    int dealtfirst = 0, runs = 0;
    for (int seed = 1; seed < 200; ++seed) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
        OutDancerMake(must);
        OutDancerMake(x);
        set_rndm(seed, 3, 5);
        ASSERT_NE(RollSquares(), nullptr);
        ++runs;
        // must is dealt first (its class comes first); x second when at deck front.
        dealtfirst += x->square == (must->square + 1) % totsquare && x->assigned == 1 && x->posn == 0;
    }
    EXPECT_LT(dealtfirst, runs);
}

TEST_F(Roll, SingleWithoutCompatiblePartnerKeepsAnEmptySlot) {
    Singles(5, M, "m");
    Singles(3, F, "f");
    Singles(1, E, "e");  // 9 present; 1 square by balance
    squaresize = 8;
    int emptyslots = 0;
    for (int seed = 1; seed < 50 && !emptyslots; ++seed) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
        set_rndm(seed, 1, 1);
        ASSERT_NE(RollSquares(), nullptr);
        for (int j = 1; j < 8; j += 2)
            if (!sqr[0].dancer[j]) {
                ++emptyslots;
                EXPECT_EQ(sqr[0].dancer[j - 1]->sex, M);
                EXPECT_EQ(sqr[0].dancer[j - 1]->tmppartner, nullptr);
            }
        EXPECT_EQ(sqr[0].qty, 8);
    }
    EXPECT_GT(emptyslots, 0);
}

TEST_F(Roll, SquareSizeZeroNegativeAndOddAreMadeUsable) {
    Couples(8);
    squaresize = 0;
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(squaresize, 8);
    EXPECT_EQ(totsquare, 2);
    squaresize = -4;
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(squaresize, 8);
    squaresize = 5;  // odd: rounded up, so pairs always fit
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(squaresize, 6);
    EXPECT_EQ(totsquare, 2);
    for (int i = 0; i < totsquare; ++i) EXPECT_EQ(sqr[i].qty, 6);
    EXPECT_EQ(SquareSizeSane(7), 8);
    EXPECT_EQ(SquareSizeSane(2), 2);
    EXPECT_EQ(SquareSizeSane(-1), 8);
}

TEST_F(Roll, UnknownRoleIsReportedAndNotCounted) {
    Couples(4);
    SqrDancer* odd = AddDancer("No", "Role", E);
    odd->sex = NOSEX;
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(lasterror, "(RollSquares) sd<No Role>->sex not M MF F FM E\n");
    EXPECT_EQ(cntm + cntf + cntmf + cntfm + cnte, 8);
}

TEST_F(Roll, AbsentAndBelowFloorDancersAreNeverPlaced) {
    pgmfloor = Main;
    Couples(6);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->pgm = Plus;
    SqrDancer* low = AddDancer("Low", "Level", E, Basic);
    SqrDancer* gone = AddDancer("Gone", "Home", E, Plus);
    gone->avail = 0;
    for (int seed = 1; seed < 20; ++seed) {
        set_rndm(seed, 1, 2);
        ASSERT_NE(RollSquares(), nullptr);
        EXPECT_EQ(low->square, -1);
        EXPECT_EQ(gone->square, -1);
        EXPECT_EQ(low->dances, 0);
        EXPECT_EQ(gone->dances, 0);
    }
}

TEST_F(Roll, InconsistentPartnerLinksNeverPlaceADancerTwice) {
    Couples(4);
    SqrDancer* a = AddDancer("A", "Tri", M);
    SqrDancer* b = AddDancer("B", "Tri", F);
    SqrDancer* c = AddDancer("C", "Tri", M);
    a->partner = b;
    b->partner = c;
    c->partner = b;
    for (int seed = 1; seed < 30; ++seed) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
        set_rndm(seed, 4, 4);
        ASSERT_NE(RollSquares(), nullptr);
        int seen = 0;
        for (int i = 0; i < totsquare; ++i)
            for (int j = 0; j < squaresize; ++j) seen += sqr[i].dancer[j] == b;
        EXPECT_LE(seen, 1);
        EXPECT_LE(b->dances, 1);
    }
}

TEST_F(Roll, SanityCheckPassesOnAGoodRollAndReportsABadOne) {
    sanitypauseseconds = 0;
    Couples(4);
    ASSERT_NE(RollSquares(), nullptr);
    tipcnt = 1;
    RollSqrSanity();
    EXPECT_EQ(rollsanityfailed, 0);
    EXPECT_TRUE(screen::warnings.empty());
    sdhd->avail = 0;  // placed, then gone
    RollSqrSanity();
    EXPECT_EQ(rollsanityfailed, 1);
    ASSERT_FALSE(screen::warnings.empty());
    EXPECT_EQ(screen::warnings[0],
              strprintf("sd<%s> is in square#%d but not available! (tip#1)\n", sdhd->dispname.c_str(), sdhd->square + 1));
    sdhd->avail = 1;
    screen::clear();
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->square = 0;
    squaresize = 6;
    RollSqrSanity();
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "sqr#0 has 8 members > [squaresize=6]!\n");
    sanitypauseseconds = 2;
}

TEST_F(Roll, RollingAgainFromTheSameStateGivesTheSameSquares) {
    Couples(10);
    Singles(5, M, "m");
    Singles(6, F, "f");
    Singles(3, E, "e");
    set_rndm(101, 202, 303);
    Tip();
    Tip();
    // Save, roll, restore, roll.
    prvtipcnt = tipcnt;
    ++tipcnt;
    SaveRollDisplay();
    ApplySkipTips();
    ASSERT_NE(RollSquares(), nullptr);
    std::string first = Picture();
    OutDancersAfterRoll();
    RepeatRollDisplay();
    ++tipcnt;
    ApplySkipTips();
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(Picture(), first);
}
