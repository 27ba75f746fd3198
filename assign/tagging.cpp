// SPDX-License-Identifier: GPL-3.0-or-later
// Square tagging: up to four dancers (with their partners) moved into a chosen square.
#include <algorithm>
#include <cstdlib>

#include "assign/assign.h"
#include "assign/partnerindex.h"
#include "core/screen.h"
#include "files/record.h"
#include "files/replay.h"
#include "support/helmtext.h"
#include "support/intl.h"

int sqrtagindex = 0;

namespace {
SqrDancer* PairOf(const SqrDancer* sd) { return sd->partner ? sd->partner : sd->tmppartner; }

// Exchanges the pair at slot p1 of square a with the pair at slot p2 of square b (each pair
// is the slot and its neighbour slot^1), keeping the dancers' square and posn fields true.
// Partners always sit in the neighbour slot, so this is the same as moving each dancer's
// partner beside it; moving the two neighbour slots as a whole also carries a partner along
// when the other pair's partner slot is empty (moving partners one by one would take the
// partner out of its square without putting it anywhere).
void SwapPairs(Square& a, int p1, Square& b, int p2) {
    int q1 = p1 ^ 1, q2 = p2 ^ 1;
    std::swap(a.dancer[p1], b.dancer[p2]);
    std::swap(a.dancer[q1], b.dancer[q2]);
    for (int slot : {p1, q1})
        if (SqrDancer* sd = a.dancer[slot]) {
            sd->square = a.square;
            sd->posn = slot;
        }
    for (int slot : {p2, q2})
        if (SqrDancer* sd = b.dancer[slot]) {
            sd->square = b.square;
            sd->posn = slot;
        }
    a.qty = std::max(a.qty, std::max(p1, q1) + 1);
    b.qty = std::max(b.qty, std::max(p2, q2) + 1);
}
}  // namespace

void PerformSquareTagging() {
    edbg("PerformSquareTagging()");
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->tagged = 0;
    const int size = rollsqrsize > 0 ? rollsqrsize : squaresize;

    for (int i = 0; i < SQRTAGQTY; ++i) {
        SquareTag& t = sqrtag[i];
        if (!t.sd) {
            t.sqr = nullptr;
            continue;
        }
        t.sd->tagged = 1;
        if (SqrDancer* p = PairOf(t.sd)) p->tagged = 1;
        if (totsquare < 1 || !sqr) {  // no squares this tip: nothing to move, keep the slot
            t.sqr = nullptr;
            continue;
        }
        if (t.isqr >= totsquare) {
            GtkWarning(_("tag-square is #%d, but only %d squares! (tagging to square#%d instead)\n"), t.isqr + 1,
                       totsquare, totsquare);
            t.isqr = totsquare - 1;
        }
        t.sqr = t.isqr >= 0 ? &sqr[t.isqr] : nullptr;
    }

    for (int i = 0; i < SQRTAGQTY; ++i) {
        const SquareTag& t = sqrtag[i];
        if (!t.sd || totsquare < 1) continue;
        if (t.isqr >= totsquare)
            error(0, "(PerformSquareTagging) somehow sd<%s> has been tagged to [square#%d] ≥ [totsquare=%d]!\n",
                  t.sd->dispname.c_str(), t.isqr, totsquare);
        else if (t.isqr < 0)
            error(0, "(PerformSquareTagging) somehow sd<%s> has been tagged to [square#%d] < 0!\n",
                  t.sd->dispname.c_str(), t.isqr);
    }

    for (int i = 0; i < SQRTAGQTY; ++i) {
        const SquareTag& t = sqrtag[i];
        SqrDancer* sd1 = t.sd;
        // A tagged dancer who sits out is not brought in; a slot without a valid square
        // (reported above) moves nobody.
        if (!sd1 || !sd1->assigned || !t.sqr || t.isqr < 0 || t.isqr >= totsquare) continue;
        int isqr1 = sd1->square, isqr2 = t.isqr;
        if (isqr1 == isqr2) continue;
        if (isqr1 < 0 || isqr1 >= totsquare) continue;
        if (sd1->posn < 0 || sd1->posn >= size || sqr[isqr1].dancer[sd1->posn] != sd1) continue;
        // The first even slot of the target whose dancer is untagged (an empty slot will do
        // as well); when every one is tagged, the last even slot looked at.
        Square& target = sqr[isqr2];
        int p2 = -1;
        for (int j = 0; j < size; j += 2) {
            p2 = j;
            if (!target.dancer[j] || !target.dancer[j]->tagged) break;
        }
        if (p2 < 0) continue;
        SwapPairs(sqr[isqr1], sd1->posn, target, p2);
    }
    rdbg("PerformSquareTagging");
}

int SqrTagSlotOf(const SqrDancer* sd) {
    if (!sd) return -1;
    for (int i = 0; i < SQRTAGQTY; ++i)
        if (sqrtag[i].sd == sd) return i;
    return -1;
}

void SqrTagDancer() {
    edbg("SqrTagDancer()");
    int tagsquare = 0;
    for (int i = 0; i < SQRTAGQTY; ++i)
        if (sqrtag[i].sd) {
            tagsquare = sqrtag[i].isqr;
            break;
        }
    if (tagsquare < 0) tagsquare = 0;  // a slot set without a square: use square 1

    if (!sdtoggled) {
        for (int i = 0; i < SQRTAGQTY; ++i) {
            SqrDancer* sd = sqrtag[i].sd;
            sqrtag[i].sd = nullptr;
            sqrtag[i].sqr = nullptr;
            sqrtag[i].isqr = -1;
            if (sd) {
                sd->tagged = 0;
                SetupTooltip(sd);
            }
        }
        GtkNote(_("cleared all square dancer tags"));
        rdbg("SqrTagDancer");
        return;
    }

    SqrDancer* sd = sdtoggled;
    int slot = SqrTagSlotOf(sd);
    if (slot >= 0) {
        sqrtag[slot].sd = nullptr;
        sqrtag[slot].sqr = nullptr;
        sqrtag[slot].isqr = -1;
        sd->tagged = 0;
        SetupTooltip(sd);
        sd->avail = !sd->avail;
        sdtoggled = nullptr;
        sqrtagindex = (slot + SQRTAGQTY - 1) % SQRTAGQTY;
        if (editmode == EDIT) SwitchDisplay(EDIT);
        GtkNote(_("cleared sqrtag#%d (previously %s)"), slot + 1, sd->firstlast.c_str());
        rdbg("SqrTagDancer");
        return;
    }

    const char* how = _("initialized");
    int free_slot = -1;
    for (int n = 0; n < SQRTAGQTY; ++n) {
        int i = (sqrtagindex + n) % SQRTAGQTY;
        if (!sqrtag[i].sd) {
            free_slot = i;
            break;
        }
    }
    if (free_slot < 0) {
        free_slot = (sqrtagindex + 1) % SQRTAGQTY;
        if (SqrDancer* old = sqrtag[free_slot].sd) {
            old->tagged = 0;
            SetupTooltip(old);
        }
        how = _("overwrote");
    }
    sqrtag[free_slot].sd = sd;
    sqrtag[free_slot].isqr = tagsquare;
    sqrtag[free_slot].sqr = nullptr;
    sd->tagged = 1;
    sd->avail = !sd->avail;
    sqrtagindex = free_slot;
    SetupTooltip(sd);
    sdtoggled = nullptr;
    if (editmode == EDIT) SwitchDisplay(EDIT);
    GtkNote(_("%s sqrtag#%d with %s"), how, free_slot + 1, sd->firstlast.c_str());
    rdbg("SqrTagDancer");
}

int SqrTagMapBuild() {
    int count = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->avail) ++count;
    free(mapi2sd);
    mapi2sd = static_cast<SqrDancer**>(calloc(static_cast<size_t>(count) + 1, sizeof(SqrDancer*)));
    outofmem(mapi2sd, "%s\n", "(SqrTagSlider) mapi2sd");
    mapi2sdqty = count + 1;
    int n = 1;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->avail) mapi2sd[n++] = sd;
    return count;
}

std::string SqrTagSliderLabel(const SqrDancer* sd) {
    if (!sd) return strprintf(_("Dancer<---->%26s"), "");
    int pad = 22 - static_cast<int>(sd->dispname.size());
    return strprintf(_("Dancer<%s>%*s"), sd->dispname.c_str(), pad > 0 ? pad : 0, "");
}

SqrDancer* SqrTagSliderPick(int islider, double value) {
    if (!sdhd || islider < 0 || islider >= SQRTAGQTY) return nullptr;
    int count = SqrTagMapBuild();
    if (!(value >= 0)) value = 0;  // negative or not a number
    if (value > count) value = count;
    int r = static_cast<int>(value);
    SqrDancer* sd = mapi2sd[r];
    sqrtag[islider].sd = sd;
    // The display name may be shared; the full name after it tells the dancer for a replay.
    Record("(SqrTagSlider) islider=%d sd<%s>%s%s%s\n", islider, sd ? sd->dispname.c_str() : "-null-",
           sd ? " dancer<" : "", sd ? RecordName(sd).c_str() : "", sd ? ">" : "");
    return sd;
}

void SqrTagClearAll() {
    Record("(SqrTaggingClearBttn)\n");
    // The slots lose their dancers; the tagged marks are recomputed at the next roll.
    for (int i = 0; i < SQRTAGQTY; ++i) sqrtag[i].sd = nullptr;
}

void SqrTagApplySquare(int squarenumber) {
    int isqr = squarenumber - 1;
    if (isqr < 0) isqr = 0;
    for (int i = 0; i < SQRTAGQTY; ++i)
        if (sqrtag[i].sd) {
            sqrtag[i].isqr = isqr;
            sqrtag[i].sd->tagged = 1;
            sqrtag[i].sqr = nullptr;
        }
}
