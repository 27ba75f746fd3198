// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting dancers in the middle of an evening: nothing may still point at a freed record.
// Run under the address sanitizer, a stale pointer anywhere shows up as a use after free.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "assign/assign.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/rndm.h"

namespace {
class DeleteMidEvening : public Evening {
protected:
    // One tip as the squares display runs it, without the board.
    void Tip() {
        ++tipcnt;
        SaveRollDisplay();
        ApplySkipTips();
        RollSquares();
        OutDancersAfterRoll();
        char** cells = static_cast<char**>(calloc(2, sizeof(char*)));
        HistorySave(cells, 1);
    }

    // Every pointer to a dancer the evening holds must lead to a roster member.
    void ExpectNoStaleReferences() {
        std::set<const SqrDancer*> roster;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) roster.insert(sd);
        auto ok = [&](const SqrDancer* sd) { return !sd || roster.count(sd); };
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            EXPECT_TRUE(ok(sd->partner) && ok(sd->tmppartner) && ok(sd->newpartner));
            EXPECT_TRUE(ok(sd->sqnxt) && ok(sd->sqprv));
        }
        for (SqrDancer* sd = dhd; sd; sd = sd->dnxt) EXPECT_TRUE(ok(sd));
        for (OutDancer* od = outdancerhd; od; od = od->nxt) EXPECT_TRUE(ok(od->sd));
        for (SkipTip* st = skiptiphd; st; st = st->nxt) EXPECT_TRUE(ok(st->sd));
        for (MustOnce* mo = mustoncehd; mo; mo = mo->nxt) EXPECT_TRUE(ok(mo->sd));
        for (auto& t : sqrtag) EXPECT_TRUE(ok(t.sd));
        for (int i = 0; sqr && i < totsquare; ++i)
            for (int j = 0; j < squaresize; ++j) EXPECT_TRUE(ok(sqr[i].dancer[j]));
        for (History* h = histhd; h; h = h->nxt) {
            for (int i = 0; i < h->totsquares; ++i)
                for (int j = 0; j < h->sqrsize; ++j) {
                    const HistoryDancer& hd = h->histsqr[i].histsd[j];
                    EXPECT_TRUE(ok(hd.sd) && ok(hd.partner) && ok(hd.tmppartner));
                }
            for (OutDancer* od = h->outdancerhd; od; od = od->nxt) EXPECT_TRUE(ok(od->sd));
        }
        EXPECT_TRUE(ok(currsd) && ok(newsd) && ok(sdtoggled) && ok(rfid_sd));
        for (int i = 0; i < mapi2sdqty; ++i) EXPECT_TRUE(ok(mapi2sd[i]));
    }
};
}  // namespace

// A dancer deleted leaves every tip it was in; the tips, their numbers and the others' places
// stay, so the evening goes on at its tip number with everybody's history.
TEST_F(DeleteMidEvening, DeletedDancerLeavesTheTipsWhichAllStay) {
    set_rndm(1, 2, 3);
    SqrDancer* pair[8];
    for (int i = 0; i < 8; ++i) pair[i] = AddDancer("D" + std::to_string(i), "X", i % 2 ? F : M);
    SqrDancer* extra = AddDancer("Late", "Comer", M);
    extra->avail = 0;
    for (int t = 1; t <= 7; ++t) {
        extra->avail = (t == 3 || t == 5 || t == 7);
        if (extra->avail) pair[0]->avail = 0; else pair[0]->avail = 1;
        Tip();
    }
    auto places = [] {
        int n = 0;
        for (History* h = histhd; h; h = h->nxt)
            for (int i = 0; i < h->totsquares * h->sqrsize; ++i) n += h->histsqr[i / h->sqrsize].histsd[i % h->sqrsize].sd != nullptr;
        return n;
    };
    int before = places();
    History* shown = histhd->nxt;
    hist = shown;
    DelDancer(extra);
    std::vector<int> tips;  // a tip still naming the dancer as a negative number
    for (History* h = histhd; h; h = h->nxt) tips.push_back(HistoryNames(h, extra) ? -h->tipcnt : h->tipcnt);
    EXPECT_EQ(tips, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(tipcnt, 7);
    EXPECT_EQ(places(), before - 3);  // danced in tips 3, 5 and 7 (8 dancers: nobody sat out)
    EXPECT_EQ(hist, shown);
    ExpectNoStaleReferences();
    pair[0]->avail = 1;
    Tip();
    EXPECT_EQ(histtl->tipcnt, 8);
}

TEST_F(DeleteMidEvening, RandomDeletionsLeaveNoStalePointers) {
    set_rndm(7, 8, 9);
    srand(4242);
    for (int i = 0; i < 30; ++i) AddCouple("A" + std::to_string(i), "B" + std::to_string(i), "C" + std::to_string(i));
    for (int i = 0; i < 20; ++i) AddDancer("S" + std::to_string(i), "Single", static_cast<SDSEX>(i % 5));
    for (int round = 0; round < 12; ++round) {
        // Requests, tags and pointer globals that name dancers who are about to go.
        int n = RosterCount();
        SqrDancer* pick = sdhd;
        for (int k = rand() % n; k > 0; --k) pick = pick->nxt;
        SkipTipAppend(pick, tipcnt + 2);
        MustOnceAppend(pick, tipcnt + 2);
        sqrtag[round % 4].sd = pick;
        sqrtag[round % 4].isqr = 0;
        sdtoggled = currsd = rfid_sd = newsd = pick;
        SqrTagMapBuild();
        Tip();
        Tip();
        // Delete the picked dancer and one more at random, then roll again.
        DelDancer(pick);
        ExpectNoStaleReferences();
        SqrDancer* other = sdhd;
        for (int k = rand() % RosterCount(); k > 0; --k) other = other->nxt;
        DelDancer(other);
        ExpectNoStaleReferences();
        Tip();
        HistoryChange(-1);
        ExpectNoStaleReferences();
    }
}
