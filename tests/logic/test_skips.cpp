// SPDX-License-Identifier: GPL-3.0-or-later
// Skip-tip, alternate-tip and must-once requests across tips, and the tooltip text.
#include <gtest/gtest.h>

#include "assign/assign.h"
#include "support/fixtures.h"
#include "support/screen_recorder.h"

namespace {
class Skips : public Evening {
protected:
    // The squares display's steps for a new tip, and the edit display after it.
    void RollTip() {
        ++tipcnt;
        ApplySkipTips();
    }
};
}  // namespace

TEST_F(Skips, SkipAfterTipFourIsOverByTheEditDisplayAfterTipFive) {
    SqrDancer* d = AddDancer("Dan", "Skip", M);
    tipcnt = 4;
    SkipTipToggle(d);  // Ctrl-click: absent, skip record
    EXPECT_EQ(d->avail, 0);
    EXPECT_EQ(d->skip, 1);
    ASSERT_NE(skiptiphd, nullptr);
    EXPECT_EQ(skiptiphd->tip, 6);
    EXPECT_EQ(screen::notes.back(), "Dan Skip will be available on tip#6");
    RollTip();  // tip 5: still absent
    EXPECT_EQ(d->avail, 0);
    UpdateSkips();  // the edit display after tip 5 shows tip 6
    EXPECT_EQ(d->avail, 1);
    EXPECT_EQ(d->skip, 0);
    EXPECT_EQ(skiptiphd, nullptr);
    RollTip();  // tip 6: nothing left
    EXPECT_EQ(d->avail, 1);
}

TEST_F(Skips, PlainSkipEndsAtItsRollToo) {
    SqrDancer* d = AddDancer("Dan", "Skip", M);
    tipcnt = 4;
    SkipTipToggle(d);
    RollTip();
    RollTip();
    EXPECT_EQ(d->avail, 1);
    EXPECT_EQ(skiptiphd, nullptr);
}

TEST_F(Skips, AlternateTipsSitOutEveryOtherTip) {
    SqrDancer* d = AddDancer("Alt", "Ernate", F);
    tipcnt = 4;
    SkipTipRequest(d, 2);
    d->avail = 0;
    EXPECT_EQ(skiptiphd->tip, 6);
    int expect[] = {0, 1, 0, 1, 0, 1};  // tips 5..10
    for (int i = 0; i < 6; ++i) {
        RollTip();
        EXPECT_EQ(d->avail, expect[i]) << "tip " << tipcnt;
        UpdateSkips();  // leaves alternate records alone
        EXPECT_EQ(d->avail, expect[i]);
    }
    EXPECT_EQ(skiptiphd->tip, 12);
    DelSkipTips();
    EXPECT_EQ(skiptiphd, nullptr);
    EXPECT_EQ(d->avail, 1);
    EXPECT_EQ(d->skip, 0);
}

TEST_F(Skips, CtrlClickAgainCancelsTheSkip) {
    SqrDancer* d = AddDancer("Dan", "Skip", M);
    tipcnt = 5;
    SkipTipToggle(d);
    EXPECT_EQ(skiptiphd->tip, 7);
    EXPECT_EQ(screen::notes.back(), "Dan Skip will be available on tip#7");
    SkipTipToggle(d);
    EXPECT_EQ(d->avail, 1);
    EXPECT_EQ(d->skip, 0);
    EXPECT_EQ(skiptiphd, nullptr);
    EXPECT_EQ(screen::notes.back(), "Dan Skip will not skip a tip");
}

TEST_F(Skips, MustOnceFlipsForOneTip) {
    SqrDancer* d = AddDancer("Mo", "Once", M);
    tipcnt = 2;
    EXPECT_STREQ(LuckMustToggle(d, true), "Must");
    EXPECT_EQ(d->priority, MUST);
    ASSERT_NE(mustoncehd, nullptr);
    EXPECT_EQ(mustoncehd->tip, 4);
    EXPECT_EQ(screen::notes.back(), "Mo Once will revert to luck on tip#4");
    EXPECT_NE(d->tooltip.find("  must-once"), std::string::npos);
    RollTip();  // tip 3
    EXPECT_EQ(d->priority, MUST);
    UpdateSkips();  // edit display after tip 3
    EXPECT_EQ(d->priority, LUCK);
    EXPECT_EQ(mustoncehd, nullptr);
}

TEST_F(Skips, MustOnceRevertsAtTheRollOfItsTip) {
    SqrDancer* d = AddDancer("Mo", "Once", M);
    tipcnt = 2;
    LuckMustToggle(d, true);
    RollTip();
    RollTip();
    EXPECT_EQ(d->priority, LUCK);
    EXPECT_EQ(mustoncehd, nullptr);
}

TEST_F(Skips, WantPriorityIsLeftAloneButARecordIsStillMade) {
    SqrDancer* d = AddDancer("W", "Ant", M);
    d->priority = WANT;
    EXPECT_EQ(LuckMustToggle(d, false), nullptr);
    EXPECT_EQ(d->priority, WANT);
    EXPECT_EQ(mustoncehd, nullptr);
    EXPECT_EQ(LuckMustToggle(d, true), nullptr);
    EXPECT_NE(mustoncehd, nullptr);
    tipcnt = 1;
    UpdateSkips();
    EXPECT_EQ(d->priority, WANT);
    EXPECT_EQ(mustoncehd, nullptr);
}

TEST_F(Skips, TooltipOfPresentDancerWithAbsentPartner) {
    SqrDancer* a = AddCouple("Bob", "Ann", "Smith");
    a->partner->avail = 0;
    a->dances = 3;
    SetupTooltip(a);
    EXPECT_EQ(a->tooltip, "Bob Smith : (Ann Smith)\n3 dances - no rfid");
    ASSERT_FALSE(screen::tooltips.empty());
    EXPECT_EQ(screen::tooltips.back(), a->dispname + "|" + a->tooltip);
    a->partner->avail = 1;
    a->tagged = 1;
    a->skip = 2;
    a->rfid = 1234567890;
    SetupTooltip(a);
    EXPECT_EQ(a->tooltip, "Bob Smith : Ann Smith  tagged\n3 dances  repeats skiptip - has rfid");
    SqrDancer* s = AddDancer("Sue", "Solo", F);
    s->skip = 1;
    MustOnceAppend(s, tipcnt + 2);
    SetupTooltip(s);
    EXPECT_EQ(s->tooltip, "Sue Solo\n0 dances  skipping-tip  luck-once - no rfid");
}

TEST_F(Skips, ForgettingADancerDropsItsRequests) {
    SqrDancer* d = AddDancer("Dan", "Gone", M);
    SqrDancer* k = AddDancer("Kim", "Stays", F);
    SkipTipRequest(d, 1);
    SkipTipRequest(k, 1);
    MustOnceAppend(d, 3);
    OutDancerMake(d);
    sqrtag[1].sd = d;
    AssignForgetDancer(d);
    EXPECT_EQ(SkipTipFind(d), nullptr);
    EXPECT_NE(SkipTipFind(k), nullptr);
    EXPECT_EQ(MustOnceFind(d), nullptr);
    EXPECT_EQ(outdancerhd, nullptr);
    EXPECT_EQ(sqrtag[1].sd, nullptr);
    ASSERT_EQ(screen::clearedsliders.size(), 1u);
    EXPECT_EQ(screen::clearedsliders[0], 1);
}
