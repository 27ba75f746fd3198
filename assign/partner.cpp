// SPDX-License-Identifier: GPL-3.0-or-later
// Partner search for the singles of a roll, and repair of couples' partner links.
#include <cstdlib>
#include <vector>

#include "assign/assign.h"
#include "assign/partnerindex.h"
#include "support/helmtext.h"

int partnercheck = 0;
long partnerchecks = 0, partnermismatches = 0;

namespace {
// Role groups of a candidate; NOSEX and anything unknown fall into the last one.
constexpr int ROLEQTY = 6;
constexpr unsigned bM = 1u << M, bF = 1u << F, bMF = 1u << MF, bFM = 1u << FM, bE = 1u << E;
constexpr unsigned bALL = (1u << ROLEQTY) - 1;

int RoleOf(const SqrDancer* sd) {
    return sd->sex >= M && sd->sex <= E ? static_cast<int>(sd->sex) : ROLEQTY - 1;
}

// The passes run for a seeker of role `sex`, in order: each a set of accepted roles.
int Passes(SDSEX sex, unsigned* masks) {
    switch (sex) {
    case M:
        masks[0] = bF; masks[1] = bFM; masks[2] = bF | bFM; masks[3] = bMF | bFM | bE;
        return 4;
    case F:
        masks[0] = bM; masks[1] = bMF; masks[2] = bM | bMF; masks[3] = bMF | bFM | bE;
        return 4;
    case MF: masks[0] = bF | bFM; masks[1] = bALL; return 2;
    case FM: masks[0] = bM | bMF; masks[1] = bALL; return 2;
    case E: masks[0] = bALL; return 1;
    default: return 0;
    }
}

bool Qualifies(const SqrDancer* sd) {
    return sd && sd->assigned == 0 && !sd->partner && sd->avail &&
           static_cast<unsigned>(sd->pgm) >= static_cast<unsigned>(pgmfloor);
}

// ---- the index ------------------------------------------------------------------------
// For each class k and role r, the qualifying singles of that role in deck order
// (entries[start[k*ROLEQTY+r] .. start[k*ROLEQTY+r+1])) with a cursor past the ones
// already placed; for each role, a cursor over the classes that may still hold one.
// Placement only ever goes from 0 to non-zero during a roll, so cursors only move forward.
struct Entry {
    int deckpos;
    SqrDancer* sd;
};
struct Index {
    const Priority* prio = nullptr;
    int nprio = 0;
    std::vector<Entry> entries;
    std::vector<int> start;   // nprio*ROLEQTY+1 offsets
    std::vector<int> cursor;  // nprio*ROLEQTY positions into entries
    int classcursor[ROLEQTY] = {};
} ix;

// First unplaced single of role r in class k (advancing past placed ones), or null.
const Entry* Head(int k, int r) {
    int cell = k * ROLEQTY + r;
    int& c = ix.cursor[cell];
    int end = ix.start[cell + 1];
    while (c < end && !Qualifies(ix.entries[c].sd)) ++c;
    return c < end ? &ix.entries[c] : nullptr;
}

// First class, from the role's cursor on, that still holds an unplaced single of role r.
int FirstClass(int r) {
    int& k = ix.classcursor[r];
    while (k < ix.nprio && !Head(k, r)) ++k;
    return k;
}
}  // namespace

void PartnerIndexBuild(Priority* prio, int nprio) {
    ix.prio = prio;
    ix.nprio = nprio;
    ix.entries.clear();
    ix.start.assign(static_cast<size_t>(nprio) * ROLEQTY + 1, 0);
    // Count per cell, then place in deck order (a counting sort keeps the deck order).
    for (int k = 0; k < nprio; ++k)
        for (int i = 0; i < prio[k].qty; ++i) {
            SqrDancer* sd = prio[k].sd[prio[k].deck[i]];
            if (Qualifies(sd)) ++ix.start[k * ROLEQTY + RoleOf(sd) + 1];
        }
    for (size_t c = 1; c < ix.start.size(); ++c) ix.start[c] += ix.start[c - 1];
    ix.entries.resize(static_cast<size_t>(ix.start.back()));
    ix.cursor.assign(ix.start.begin(), ix.start.end() - 1);
    std::vector<int> fill(ix.cursor);
    for (int k = 0; k < nprio; ++k)
        for (int i = 0; i < prio[k].qty; ++i) {
            SqrDancer* sd = prio[k].sd[prio[k].deck[i]];
            if (Qualifies(sd)) ix.entries[fill[k * ROLEQTY + RoleOf(sd)]++] = Entry{i, sd};
        }
    for (int& k : ix.classcursor) k = 0;
}

void PartnerIndexDrop() {
    ix.prio = nullptr;
    ix.nprio = 0;
    ix.entries.clear();
    ix.start.clear();
    ix.cursor.clear();
}

bool PartnerIndexActive(const Priority* prio) { return prio && ix.prio == prio; }

SqrDancer* PartnerIndexFind(SDSEX sex) {
    unsigned masks[4];
    int npass = Passes(sex, masks);
    if (npass == 0) return nullptr;
    unsigned any = 0;
    for (int p = 0; p < npass; ++p) any |= masks[p];
    // The best class holding any role some pass accepts: every pass fails in better ones.
    int best = ix.nprio;
    for (int r = 0; r < ROLEQTY; ++r)
        if (any & (1u << r)) {
            int k = FirstClass(r);
            if (k < best) best = k;
        }
    if (best >= ix.nprio) return nullptr;
    // Within that class each pass takes the earliest deck position among its roles.
    for (int p = 0; p < npass; ++p) {
        const Entry* pick = nullptr;
        for (int r = 0; r < ROLEQTY; ++r)
            if (masks[p] & (1u << r)) {
                const Entry* h = Head(best, r);
                if (h && (!pick || h->deckpos < pick->deckpos)) pick = h;
            }
        if (pick) return pick->sd;
    }
    return nullptr;
}

SqrDancer* LookForPartnerScan(SDSEX sex, Priority* prio, int nprio) {
    if (!prio) return nullptr;
    unsigned masks[4];
    int npass = Passes(sex, masks);
    for (int k = 0; k < nprio; ++k) {
        const Priority& pr = prio[k];
        if (pr.qty <= 0 || !pr.sd || !pr.deck) continue;
        for (int p = 0; p < npass; ++p)
            for (int i = 0; i < pr.qty; ++i) {
                SqrDancer* sd = pr.sd[pr.deck[i]];
                if (Qualifies(sd) && (masks[p] & (1u << RoleOf(sd)))) return sd;
            }
    }
    return nullptr;
}

SqrDancer* LookForPartner(SDSEX sex, Priority* prio) {
    DPRINTF(2, "(LookForPartner) sex<%s>\n", strsex(sex));
    if (!PartnerIndexActive(prio)) return LookForPartnerScan(sex, prio, qtyprio);
    SqrDancer* found = PartnerIndexFind(sex);
    if (partnercheck) {
        ++partnerchecks;
        if (found != LookForPartnerScan(sex, prio, qtyprio)) ++partnermismatches;
    }
    return found;
}

void RePartner() {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        SqrDancer* p = sd->partner;
        if (!p) continue;
        if (p == sd) {  // a dancer is never its own partner
            sd->partner = nullptr;
            continue;
        }
        if (p->partner != sd) p->partner = sd;
    }
    // A dancer whose partner was won by a later dancer is single now: links stay mutual.
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->partner && sd->partner->partner != sd) sd->partner = nullptr;
}
