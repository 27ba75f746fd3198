// SPDX-License-Identifier: GPL-3.0-or-later
// Out-dancers: the list after a roll, asking off and on, recruiting from the list.
#include <gtest/gtest.h>

#include "assign/assign.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/rndm.h"
#include "test_assign_util.h"

namespace {
class Out : public Evening {};

int ListLength() {
    int n = 0;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) ++n;
    return n;
}
}  // namespace

TEST_F(Out, MakeAndFreeKeepHeadAndTail) {
    SqrDancer* a = AddDancer("A", "x", M);
    SqrDancer* b = AddDancer("B", "x", F);
    SqrDancer* c = AddDancer("C", "x", E);
    OutDancer* oa = OutDancerMake(a);
    OutDancer* ob = OutDancerMake(b);
    OutDancer* oc = OutDancerMake(c);
    EXPECT_EQ(outdancerhd, oa);
    EXPECT_EQ(outdancertl, oc);
    EXPECT_EQ(ob->assigned, 0);
    OutDancerFree(ob);
    EXPECT_EQ(oa->nxt, oc);
    EXPECT_EQ(oc->prv, oa);
    OutDancerFree(oc);
    EXPECT_EQ(outdancertl, oa);
    OutDancerFree(oa);
    EXPECT_EQ(outdancerhd, nullptr);
    EXPECT_EQ(outdancertl, nullptr);
}

TEST_F(Out, AskingOffRecruitsTheFirstCompatibleOutDancer) {
    askflag = 0;
    // One square: 3 couples and a single M whose partner slot is empty.
    for (int i = 0; i < 3; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i));
    SqrDancer* single = AddDancer("Sam", "Single", M);
    SqrDancer* outm = AddDancer("Max", "Out", M);
    SqrDancer* oute = AddDancer("Eli", "Out", E);
    // As a roll would leave it: single placed beside an empty slot, the others out.
    squaresize = 8;
    SortByName();
    set_rndm(3, 3, 3);
    // Build the situation by hand so the test does not depend on the deck.
    totsquare = 1;
    sqr = static_cast<Square*>(calloc(1, sizeof(Square)));
    sqr[0].dancer = static_cast<SqrDancer**>(calloc(8, sizeof(SqrDancer*)));
    int slot = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->assigned = 0;
        sd->square = -1;
    }
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->partner && sd->sex == M) {
            sqr[0].dancer[slot] = sd;
            sd->assigned = 1, sd->square = 0, sd->posn = slot++;
            sqr[0].dancer[slot] = sd->partner;
            sd->partner->assigned = 2, sd->partner->square = 0, sd->partner->posn = slot++;
        }
    sqr[0].dancer[6] = single;
    single->assigned = 1, single->square = 0, single->posn = 6;
    sqr[0].qty = 8;
    OutDancerCollect();
    ASSERT_EQ(ListLength(), 2);
    EXPECT_EQ(outdancerhd->sd, oute);  // name order: Eli Out before Max Out
    // Put Max first to match the example: an M, then an E.
    OutDancerFreeAll();
    OutDancerMake(outm);
    OutDancerMake(oute);
    OutDancerAskAll();
    EXPECT_EQ(single->tmppartner, oute);
    EXPECT_EQ(oute->tmppartner, single);
    EXPECT_EQ(oute->assigned, 3);
    EXPECT_EQ(oute->square, 0);
    EXPECT_EQ(oute->dances, 0);  // a recruit's count is not raised
    ASSERT_EQ(ListLength(), 1);
    EXPECT_EQ(outdancerhd->sd, outm);
    // The recruit counts as one more place (posn = the new count) but is not put into the
    // square's places: the empty slot stays empty, the pairing is the tmppartner link.
    EXPECT_EQ(sqr[0].dancer[7], nullptr);
    EXPECT_EQ(sqr[0].qty, 9);
    EXPECT_EQ(oute->posn, 9);
}

TEST_F(Out, AskingOffWithoutOutDancersLeavesTheSlotEmpty) {
    askflag = 0;
    SqrDancer* s = AddDancer("Sam", "Single", M);
    s->assigned = 1;
    EXPECT_EQ(AttemptAssignAsk(s, 1), 0);
    EXPECT_EQ(s->tmppartner, nullptr);
    OutDancerMake(AddDancer("Max", "Other", M));
    EXPECT_EQ(AttemptAssignAsk(s, 1), 0);  // only an incompatible one
    EXPECT_EQ(outdancerhd->assigned, 0);
    EXPECT_EQ(AttemptAssignAsk(nullptr, 1), 0);
}

TEST_F(Out, AskingOnNeverRecruitsAndTheNextRollPutsSitOutsFirst) {
    askflag = 1;
    for (int i = 0; i < 4; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i));
    SqrDancer* x = AddDancer("Xan", "Solo", M);
    SqrDancer* y = AddDancer("Yul", "Solo", M);
    set_rndm(9, 9, 9);
    for (int tip = 0; tip < 6; ++tip) {
        assigntest::Tip();
        int out = ListLength();
        EXPECT_EQ(out, totavail - assigntest::CountPlaced());
        for (OutDancer* od = outdancerhd; od; od = od->nxt) EXPECT_EQ(od->assigned, 0);
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_NE(sd->assigned, 3);
    }
    (void)x;
    (void)y;
}

TEST_F(Out, RecruitWithAPartnerSittingOutMakesThePartnerDisplayed) {
    askflag = 0;
    SqrDancer* s = AddDancer("Sam", "Single", M);
    SqrDancer* c = AddCouple("Cal", "Cat", "Pair", F);  // Cal F, Cat M
    c->partner->display = 0;
    s->assigned = 1;
    s->square = -1;
    OutDancerMake(c);
    OutDancerMake(c->partner);
    EXPECT_EQ(AttemptAssignAsk(s, 1), 1);
    EXPECT_EQ(s->tmppartner, c);
    EXPECT_EQ(c->partner->display, 1);
    EXPECT_EQ(c->assigned, 3);
}

TEST_F(Out, CompatibilityFollowsTheSeekersRole) {
    askflag = 1;  // asking on: the node is marked, nobody is paired
    SqrDancer* seekerf = AddDancer("F", "x", F);
    SqrDancer* outf = AddDancer("G", "x", F);
    SqrDancer* outmf = AddDancer("H", "x", MF);
    OutDancerMake(outf);
    OutDancer* n2 = OutDancerMake(outmf);
    EXPECT_EQ(AttemptAssignAsk(seekerf, 1), 1);
    EXPECT_EQ(n2->assigned, 1);
    EXPECT_EQ(outdancerhd->assigned, 0);
    EXPECT_EQ(seekerf->tmppartner, nullptr);
    SqrDancer* nosex = AddDancer("N", "x", E);
    nosex->sex = NOSEX;
    EXPECT_EQ(AttemptAssignAsk(nosex, 1), 0);
}
