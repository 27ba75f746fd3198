// SPDX-License-Identifier: GPL-3.0-or-later
// Lifetime of the engine's state: forgetting a deleted dancer, and a clean evening.
#include <cstdlib>

#include "assign/assign.h"
#include "assign/partnerindex.h"
#include "core/screen.h"
#include "files/season.h"
#include "history/history.h"

void AssignForgetDancer(SqrDancer* sd) {
    if (!sd) return;
    for (OutDancer *od = outdancerhd, *n; od; od = n) {
        n = od->nxt;
        if (od->sd == sd) OutDancerFree(od);
    }
    for (SkipTip *st = skiptiphd, *n; st; st = n) {
        n = st->nxt;
        if (st->sd == sd) SkipTipFree(st);
    }
    for (MustOnce *mo = mustoncehd, *n; mo; mo = n) {
        n = mo->nxt;
        if (mo->sd == sd) MustOnceFree(mo);
    }
    const int size = rollsqrsize > 0 ? rollsqrsize : squaresize;
    if (sqr)
        for (int i = 0; i < totsquare; ++i)
            for (int j = 0; j < size && sqr[i].dancer; ++j)
                if (sqr[i].dancer[j] == sd) sqr[i].dancer[j] = nullptr;
    for (int i = 0; i < SQRTAGQTY; ++i)
        if (sqrtag[i].sd == sd) {
            sqrtag[i].sd = nullptr;
            sqrtag[i].sqr = nullptr;
            sqrtag[i].isqr = -1;
            ClearSqrTagSlider(i);
        }
    for (SqrDancer* o = sdhd; o; o = o->nxt)
        if (o->tmppartner == sd) o->tmppartner = nullptr;
    sd->tmppartner = nullptr;
    HistoryForgetDancer(sd);
}

void ResetAssign() {
    OutDancerFreeAll();
    while (skiptiphd) SkipTipFree(skiptiphd);
    DelMustOnces();
    if (sqr) {
        for (int i = 0; i < totsquare; ++i) free(sqr[i].dancer);
        free(sqr);
        sqr = nullptr;
    }
    totsquare = 0;
    for (SquareTag& t : sqrtag) t = SquareTag{};
    sqrtagindex = 0;
    qtyprio = 0;
    cntm = cntf = cntmf = cntfm = cnte = 0;
    rollsanityfailed = 0;
    rollsqrsize = 0;
    PartnerIndexDrop();
    partnercheck = 0;
    partnerchecks = partnermismatches = 0;
    HistoryReset();
    SeasonReset();
}
