// SPDX-License-Identifier: GPL-3.0-or-later
// Rolling the present dancers into squares for one tip.
#include <unistd.h>

#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "assign/assign.h"
#include "assign/partnerindex.h"
#include "core/screen.h"
#include "files/statistics.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"
#include "support/rndm.h"

int qtyprio = 0;
int cntm = 0, cntf = 0, cntmf = 0, cntfm = 0, cnte = 0;
int rollsanityfailed = 0;
int sanitypauseseconds = 2;
int rollsqrsize = 0;

namespace {
bool AtFloor(const SqrDancer* sd) {
    return static_cast<unsigned>(sd->pgm) >= static_cast<unsigned>(pgmfloor);
}
bool Qualifying(const SqrDancer* sd) { return sd->avail && AtFloor(sd); }

void FreeSquares() {
    if (sqr) {
        for (int i = 0; i < totsquare; ++i) free(sqr[i].dancer);
        free(sqr);
        sqr = nullptr;
    }
    totsquare = 0;
}

// Class index of a dancer: must-like priorities first, then by dances above the fewest.
int KPrio(const SqrDancer* sd, int dancesprio, int mindances) {
    int half = (sd->priority == WMST || sd->priority == MUST) ? 0 : 1;
    return half * dancesprio + (sd->dances - mindances);
}

void FreeClasses(Priority* prio, int n) {
    if (!prio) return;
    for (int k = 0; k < n; ++k) {
        free(prio[k].sd);
        free(prio[k].deck);
    }
    delete[] prio;
}

void Place(Square& s, SqrDancer* sd, int assigned, int isqr) {
    int slot = s.qty++;
    s.dancer[slot] = sd;
    if (!sd) return;
    ++sd->dances;
    sd->assigned = assigned;
    sd->square = isqr;
    sd->posn = slot;
}
}  // namespace

int SquareSizeSane(int size) {
    if (size < 1) return 8;
    if (size > 1000000) size = 1000000;  // far beyond any hall; keeps arithmetic in range
    return size % 2 ? size + 1 : size;
}

Square* RollSquares() {
    edbg("RollSquares()");
    // 1. A usable square size: below 1 means 8. Pairs need an even size too: with an odd
    //    one the partner of the last dancer dealt into a square would be written past the
    //    end of its places, so an odd size is rounded up here as the setup dialog and the
    //    club file reader do.
    squaresize = SquareSizeSane(squaresize);

    // 2. Discard the previous roll.
    if (sqr) {
        FreeSquares();
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->tmppartner = sd->sqnxt = sd->sqprv = nullptr;
    }
    // Temporary pairs never outlive their roll, even when no squares were made.
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->tmppartner = nullptr;

    // 3. Count the present dancers and settle the couples.
    maxdances = 0;
    totavail = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->sqnxt = sd->sqprv = nullptr;
        sd->square = -1;
        if (!Qualifying(sd)) continue;
        ++totavail;
        if (sd->dances > maxdances) maxdances = sd->dances;
        if (sd->partner == sd) sd->partner = nullptr;
        if (sd->partner && !Qualifying(sd->partner)) sd->partner = nullptr;
        if (sd->partner && sd->partner->avail && sd->partner->partner != sd) sd->partner->partner = sd;
    }

    // 4. The statistics log, before the check below (a failed roll is logged too); a repeat
    //    of the last roll shows the same tip and is not logged again.
    if (Sflag && !rollrepeat) DorvelStatistics(totavail);
    rollrepeat = false;

    // 5. Too few dancers for one square.
    if (totavail < squaresize) {
        SwitchDisplay(EDIT);
        GtkWarning(_("Not enough dancers for even one square!  (need %d, have %d)\n"), squaresize, totavail);
        rdbg("RollSquares : null");
        return nullptr;
    }

    // 6. Raw square count.
    totsquare = totavail / squaresize;

    // 7. Present dancers at or above the floor by dances.
    SortByDances();
    int mindances = dhd ? dhd->dances : 0;

    // 8. Priority classes.
    int dancesprio = dhd ? dtl->dances - dhd->dances + 1 : 1;
    if (dancesprio < 1) dancesprio = 1;
    qtyprio = 2 * dancesprio;
    Priority* prio = new Priority[qtyprio];
    for (int k = 0; k < qtyprio; ++k) {
        int i = k / dancesprio, j = k % dancesprio;
        prio[k].type = i == 0 ? (j == dancesprio - 1 ? "must" : "wmst") : (j == dancesprio - 1 ? "luck" : "want");
    }

    // 9. Nobody is placed yet.
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->assigned = 0;
        sd->sqnxt = sd->sqprv = nullptr;
    }

    // 10. Fill the classes in dances order.
    for (SqrDancer* sd = dhd; sd; sd = sd->dnxt) {
        int k = KPrio(sd, dancesprio, mindances);
        if (k < 0 || k >= qtyprio) {  // cannot happen for a sorted list; never index out of it
            error(0, "(RollSquares) sd<%s> falls outside the priority classes\n", sd->firstlast.c_str());
            continue;
        }
        Priority& pr = prio[k];
        sd->sqprv = pr.tl;
        if (pr.tl) pr.tl->sqnxt = sd; else pr.hd = sd;
        pr.tl = sd;
        ++pr.qty;
    }
    for (int k = 0; k < qtyprio; ++k) {
        Priority& pr = prio[k];
        if (pr.qty <= 0) continue;
        pr.sd = static_cast<SqrDancer**>(malloc(sizeof(SqrDancer*) * static_cast<size_t>(pr.qty)));
        outofmem(pr.sd, "%s\n", "(RollSquares) priority class");
        int n = 0;
        for (SqrDancer* sd = pr.hd; sd; sd = sd->sqnxt) pr.sd[n++] = sd;
    }

    // 11. Roles of the present dancers.
    cntm = cntf = cntmf = cntfm = cnte = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!Qualifying(sd)) continue;
        switch (sd->sex) {
        case M: ++cntm; break;
        case F: ++cntf; break;
        case MF: ++cntmf; break;
        case FM: ++cntfm; break;
        case E: ++cnte; break;
        default: error(0, "(RollSquares) sd<%s>->sex not M MF F FM E\n", sd->firstlast.c_str());
        }
    }

    // 12. Role balance and the cap on squares.
    int excessm = cntm - (cntf + cntmf + cntfm + cnte);
    if (excessm > 0) {
        int lim = 2 * (cntf + cntmf + cntfm + cnte) / squaresize;
        if (lim < totsquare) totsquare = lim;
    }
    int excessf = cntf - (cntm + cntmf + cntfm + cnte);
    if (excessf > 0) {
        int lim = 2 * (cntm + cntmf + cntfm + cnte) / squaresize;
        if (lim < totsquare) totsquare = lim;
    }
    if (maxsquares > 0 && totsquare > maxsquares) totsquare = maxsquares;

    // 13. The squares (at least one element, so that no squares is not a failed roll).
    rollsqrsize = squaresize;
    sqr = static_cast<Square*>(calloc(static_cast<size_t>(totsquare > 0 ? totsquare : 1), sizeof(Square)));
    outofmem(sqr, "%s\n", "(RollSquares) squares");
    for (int i = 0; i < totsquare; ++i) {
        sqr[i].square = i;
        sqr[i].qty = 0;
        sqr[i].dancer = static_cast<SqrDancer**>(calloc(static_cast<size_t>(squaresize), sizeof(SqrDancer*)));
        outofmem(sqr[i].dancer, "%s\n", "(RollSquares) square places");
    }

    // 14. Shuffle every non-empty class, in class order.
    for (int k = 0; k < qtyprio; ++k)
        if (prio[k].qty > 0) {
            prio[k].deck = setdeck(prio[k].qty);
            outofmem(prio[k].deck, "%s\n", "(RollSquares) deck");
        }

    // 15. Last tip's sit-outs to the front of their class's deck. Positions are looked up
    //     through a map instead of a walk of the deck.
    if (outdancerhd) {
        struct Where {
            int k;
            int idx;
        };
        std::unordered_map<const SqrDancer*, Where> where;
        where.reserve(static_cast<size_t>(totavail) * 2);
        std::vector<std::vector<int>> inv(static_cast<size_t>(qtyprio));
        for (int k = 0; k < qtyprio; ++k) {
            inv[k].resize(static_cast<size_t>(prio[k].qty));
            for (int p = 0; p < prio[k].qty; ++p) {
                inv[k][prio[k].deck[p]] = p;
                where[prio[k].sd[prio[k].deck[p]]] = Where{k, prio[k].deck[p]};
            }
        }
        int n = 0;
        for (OutDancer* od = outdancerhd; od; od = od->nxt, ++n) {
            if (!od->sd) continue;
            auto it = where.find(od->sd);
            if (it == where.end()) continue;
            Priority& pr = prio[it->second.k];
            std::vector<int>& iv = inv[it->second.k];
            int p = iv[it->second.idx];
            if (n < pr.qty && n != p) {
                int a = pr.deck[p], b = pr.deck[n];
                pr.deck[p] = b;
                pr.deck[n] = a;
                iv[a] = n;
                iv[b] = p;
            }
        }
    }

    // 16. The list is consumed.
    OutDancerFreeAll();

    // 17. Starting square (one draw even when there are no squares).
    long isqr = urndm(0, totsquare - 1);

    // 18. Deal round robin, singles getting partners from the classes.
    PartnerIndexBuild(prio, qtyprio);
    int cursqd = 0;
    const int slots = totsquare * squaresize;
    for (int k = 0; k < qtyprio && cursqd < slots; ++k) {
        Priority& pr = prio[k];
        for (int i = 0; i < pr.qty && cursqd < slots; ++i) {
            SqrDancer* cand = pr.sd[pr.deck[i]];
            if (cand->assigned) continue;
            isqr = (isqr + 1) % totsquare;
            Square& s = sqr[isqr];
            Place(s, cand, 1, static_cast<int>(isqr));
            SqrDancer* p = cand->partner;
            // A partner already placed (links that disagree) never goes in twice.
            if (p && AtFloor(p) && p->assigned == 0 && p != cand) {
                Place(s, p, 2, static_cast<int>(isqr));
            } else {
                SqrDancer* found = LookForPartner(cand->sex, prio);
                Place(s, found, 2, static_cast<int>(isqr));
                if (found) {
                    cand->tmppartner = found;
                    found->tmppartner = cand;
                }
            }
            cursqd += 2;
        }
    }
    PartnerIndexDrop();

    // Mixing (off by default): the same pairs, placed into the squares for new faces.
    if (mixflag) MixSquares();

    // 19. The classes end with the roll.
    FreeClasses(prio, qtyprio);
    qtyprio = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->sqnxt = sd->sqprv = nullptr;

    // 20. Square tagging.
    PerformSquareTagging();

    // 21. Highest dance count of the present dancers.
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->avail && sd->dances > maxdances) maxdances = sd->dances;

    // 22. Self-check when tracing.
    if (dbgtst(1)) RollSqrSanity();
    rdbg("RollSquares : totsquare=%d", totsquare);
    return sqr;
}

void RollSqrSanity() {
    edbg("RollSqrSanity()");
    bool failed = false;
    auto warn = [&failed]() {
        failed = true;
        if (sanitypauseseconds > 0) sleep(static_cast<unsigned>(sanitypauseseconds));
    };
    int maxsqr = -1;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail && sd->square >= 0 && tipcnt > 0) {
            GtkWarning(_("sd<%s> is in square#%d but not available! (tip#%d)\n"), sd->dispname.c_str(), sd->square + 1,
                       tipcnt);
            warn();
        }
        // A present dancer below the program level cannot dance it: the operator should
        // raise its level or mark it absent (the edit display shows its level in red too).
        if (sd->avail && !AtFloor(sd)) {
            GtkWarning(_("sd<%s> has pgm<%s> < pgmfloor<%s>\n"), sd->dispname.c_str(), strpgm(sd->pgm), strpgm(pgmfloor));
            warn();
        }
        if (sd->square > maxsqr) maxsqr = sd->square;
    }
    if (maxsqr >= 0) {
        std::vector<int> count(static_cast<size_t>(maxsqr) + 1, 0);
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (sd->square >= 0) ++count[sd->square];
        for (int i = 0; i <= maxsqr; ++i)
            if (count[i] > squaresize) {
                GtkWarning(_("sqr#%d has %d members > [squaresize=%d]!\n"), i, count[i], squaresize);
                warn();
            }
    }
    rollsanityfailed = failed ? 1 : 0;
    DPRINTF(1, "(RollSqrSanity) %s\n", failed ? "FAILED SANITY CHECK" : "passed");
    rdbg("RollSqrSanity");
}
