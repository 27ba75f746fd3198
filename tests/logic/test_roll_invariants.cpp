// SPDX-License-Identifier: GPL-3.0-or-later
// Invariants of the roll over thousands of generated evenings: random rosters of couples
// and singles of every role, must dancers, absences, late arrivals, skip requests, tags.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "assign/assign.h"
#include "history/history.h"
#include "support/fixtures.h"
#include "support/rndm.h"
#include "test_assign_util.h"

namespace {
class Invariants : public Evening {};

void Check(const std::map<SqrDancer*, int>& before) {
    for (int i = 0; i < totsquare; ++i) {
        int n = 0;
        for (int j = 0; j < squaresize; ++j) n += sqr[i].dancer[j] != nullptr;
        ASSERT_LE(n, squaresize);
        for (int j = 0; j + 1 < squaresize; j += 2) {
            SqrDancer* a = sqr[i].dancer[j];
            SqrDancer* b = sqr[i].dancer[j + 1];
            if (a && b) {
                ASSERT_FALSE(a->sex == M && b->sex == M);
                ASSERT_FALSE(a->sex == F && b->sex == F);
            }
        }
    }
    std::map<int, int> persquare;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        bool placed = sd->assigned == 1 || sd->assigned == 2;
        if (placed) {
            ASSERT_TRUE(sd->avail);
            ASSERT_GE(static_cast<int>(sd->pgm), static_cast<int>(pgmfloor));
            ASSERT_GE(sd->square, 0);
            ASSERT_LT(sd->square, totsquare);
            ASSERT_EQ(sqr[sd->square].dancer[sd->posn], sd);
            ++persquare[sd->square];
            if (sd->partner) {
                ASSERT_EQ(sd->partner->square, sd->square);  // couples stay together
            }
        } else {
            ASSERT_EQ(sd->square, -1);
        }
        ASSERT_EQ(sd->dances, before.at(sd) + (placed ? 1 : 0));
    }
    for (auto& [sq, n] : persquare) ASSERT_LE(n, squaresize);
}
}  // namespace

TEST_F(Invariants, HoldOverThousandsOfEvenings) {
    std::mt19937 rng(2024);
    int rolls = 0;
    for (int evening = 0; evening < 2000; ++evening) {
        ResetEvening();
        int n = rng() % 10 == 0 ? 8 + static_cast<int>(rng() % 393) : 8 + static_cast<int>(rng() % 60);
        assigntest::GeneratedRoster(rng, n);
        if (rng() % 4 == 0) pgmfloor = Main;
        if (rng() % 5 == 0) sqrtag[0] = SquareTag{static_cast<int>(rng() % 4) - 1, nullptr, sdhd};
        if (rng() % 5 == 0) sqrtag[1] = SquareTag{static_cast<int>(rng() % 3), nullptr, sdtl};
        askflag = rng() % 2;
        set_rndm(static_cast<int64_t>(rng()), static_cast<int64_t>(rng()), 7);
        int tips = 1 + static_cast<int>(rng() % 4);
        for (int t = 0; t < tips; ++t) {
            // between tips: a late arrival, a skip request
            if (rng() % 3 == 0)
                for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
                    if (!sd->avail) {
                        sd->avail = 1;
                        sd->dances = maxdances > 0 ? maxdances - 1 : 0;
                        break;
                    }
            if (rng() % 3 == 0) SkipTipToggle(sdhd);
            prvtipcnt = tipcnt;
            ++tipcnt;
            SaveRollDisplay();
            ApplySkipTips();
            std::map<SqrDancer*, int> before;
            for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) before[sd] = sd->dances;
            Square* s = RollSquares();
            if (!s) continue;
            ++rolls;
            Check(before);
            if (HasFatalFailure()) return;
            OutDancersAfterRoll();
            char** cells = static_cast<char**>(calloc(2, sizeof(char*)));
            HistorySave(cells, 1);
        }
    }
    EXPECT_GT(rolls, 3000);
}

TEST_F(Invariants, SameSeedsInAFreshEveningGiveTheSameEvening) {
    auto run = [](int64_t seed) {
        ResetEvening();
        std::mt19937 rng(99);
        assigntest::GeneratedRoster(rng, 90);
        set_rndm(seed, 5, 9);
        std::string all;
        for (int t = 0; t < 10; ++t) {
            assigntest::Tip();
            all += assigntest::Picture() + "\n";
        }
        return all;
    };
    std::string a = run(42);
    std::string b = run(42);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, run(43));
}
