// SPDX-License-Identifier: GPL-3.0-or-later
// The tip history: every rolled tip with a snapshot of its squares, paging through it,
// re-using a tip, and saving/restoring the state before a roll so it can be repeated.
#include "history/history.h"
#include "core/dlist.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "assign/assign.h"
#include "assign/partnerindex.h"
#include "core/screen.h"
#include "support/helmtext.h"
#include "support/intl.h"
#include "support/rndm.h"

namespace {
// What a roll depends on besides seeds and dance counts, saved by SaveRollDisplay so that
// RepeatRollDisplay can make the next roll an exact repeat: the out-dancer list the roll
// consumes, and the skip/must-once requests (with the fields they change) that the squares
// display applies right before the roll.
struct SavedSkip {
    SqrDancer* sd;
    int tip;
    int skip;
    int avail;
};
struct SavedOnce {
    SqrDancer* sd;
    int tip;
    SDPRIORITY priority;
};
struct RollState {
    bool valid = false;
    int tip = 0;  // tipcnt of the roll the state precedes
    std::vector<std::pair<SqrDancer*, int>> outdancers;
    std::vector<SavedSkip> skips;
    std::vector<SavedOnce> onces;
    std::vector<intptr_t> after;  // RollInputs() when the roll had been made and saved
} saved;

// What the operator can change after a roll that the roll depends on: the roster in its
// order with each dancer's presence, level, role, priority, partner, requests and count, the
// square tags and the club's settings for rolling.
std::vector<intptr_t> RollInputs() {
    std::vector<intptr_t> v = {pgmfloor, squaresize, maxsquares, askflag};
    for (const SquareTag& t : sqrtag) {
        v.push_back(reinterpret_cast<intptr_t>(t.sd));
        v.push_back(t.isqr);
    }
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        v.insert(v.end(), {reinterpret_cast<intptr_t>(sd), sd->avail, sd->pgm, sd->sex, sd->priority,
                           reinterpret_cast<intptr_t>(sd->partner), sd->skip, sd->tagged, sd->dances});
    return v;
}

void FreeOutList(OutDancer*& hd, OutDancer*& tl) {
    while (hd) {
        OutDancer* n = hd->nxt;
        delete hd;
        hd = n;
    }
    tl = nullptr;
}

// Frees record h after unlinking it; counters untouched.
void FreeRecord(History* h) {
    ++historyversion;
    ListUnlink(histhd, histtl, h);
    if (hist == h) hist = nullptr;
    if (h->histsqr) {
        for (int i = 0; i < h->totsquares; ++i) free(h->histsqr[i].histsd);
        free(h->histsqr);
    }
    if (h->sqrlist) {
        for (int i = 0; i < 2 * h->totdancers; ++i) free(h->sqrlist[i]);
        free(h->sqrlist);
    }
    FreeOutList(h->outdancerhd, h->outdancertl);
    delete h;
}

void FreeSqrlist(char** sqrlist, int totdancers) {
    if (!sqrlist) return;
    for (int i = 0; i < 2 * totdancers; ++i) free(sqrlist[i]);
    free(sqrlist);
}

void RestoreFrom(const History* h, bool undo) {
    for (int i = 0; i < h->totsquares; ++i)
        for (int j = 0; j < h->sqrsize; ++j) {
            const HistoryDancer& hd = h->histsqr[i].histsd[j];
            SqrDancer* sd = hd.sd;
            if (!sd) continue;
            if (undo) {  // take the tip back: its dancers go back to their count before it
                sd->dances = hd.prvdances;
                continue;
            }
            sd->dances = hd.dances;
            sd->prvdances = hd.prvdances;
            sd->avail = hd.avail;
            sd->square = hd.square;
            sd->pgm = hd.pgm;
            sd->sex = hd.sex;
            sd->tagged = hd.tagged;
        }
}
}  // namespace

unsigned historyversion = 0;

void HistorySave(char** sqrlist, int totdancers) {
    edbg("HistorySave(totdancers=%d)", totdancers);
    if (editmode == PRESENT || totsquare < 1 || !sqr) {
        FreeSqrlist(sqrlist, totdancers);  // the list is ours even when nothing is kept
        rdbg("HistorySave : not saved");
        return;
    }
    History* h = new (std::nothrow) History;
    outofmem(h, "%s\n", "HistorySave");
    h->tipcnt = tipcnt;
    h->prvtipcnt = prvtipcnt;
    h->totdancers = totdancers < 0 ? 0 : totdancers;
    h->sqrlist = sqrlist;
    h->totsquares = totsquare;
    h->sqrsize = rollsqrsize > 0 ? rollsqrsize : squaresize;
    h->s1 = s1;
    h->s2 = s2;
    h->s3 = s3;
    h->pgmfloor = pgmfloor;
    ListAppend(histhd, histtl, h);
    ++historyversion;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) {
        OutDancer* c = new (std::nothrow) OutDancer;
        outofmem(c, "%s\n", "OutDancer List");
        c->sd = od->sd;
        c->assigned = od->assigned;
        ListAppend(h->outdancerhd, h->outdancertl, c);
    }
    h->histsqr = static_cast<HistorySquare*>(calloc(static_cast<size_t>(h->totsquares), sizeof(HistorySquare)));
    outofmem(h->histsqr, "%s\n", "HistorySave");
    for (int i = 0; i < h->totsquares; ++i) {
        h->histsqr[i].histsd =
            static_cast<HistoryDancer*>(calloc(static_cast<size_t>(h->sqrsize), sizeof(HistoryDancer)));
        outofmem(h->histsqr[i].histsd, "%s\n", "HistorySave");
        for (int j = 0; j < h->sqrsize; ++j) {
            HistoryDancer& hd = h->histsqr[i].histsd[j];
            hd = HistoryDancer{};
            SqrDancer* sd = sqr[i].dancer ? sqr[i].dancer[j] : nullptr;
            if (!sd) continue;
            hd.avail = sd->avail;
            hd.dances = sd->dances;
            hd.prvdances = sd->prvdances;
            hd.square = sd->square;
            hd.tagged = sd->tagged;
            hd.pgm = sd->pgm;
            hd.sex = sd->sex;
            hd.partner = sd->partner;
            hd.sd = sd;
            hd.tmppartner = sd->tmppartner;
        }
    }
    if (saved.valid && saved.tip == tipcnt) saved.after = RollInputs();
    hist = nullptr;
    rdbg("HistorySave");
}

void HistoryChange(int chg) {
    edbg("HistoryChange(chg=%d)", chg);
    History* show = nullptr;
    if (chg == 0) {
        if (!histtl) {
            prehistory = 0;
            SwitchDisplay(SQUARES);
            rdbg("HistoryChange");
            return;
        }
        show = histtl;
        cflag = 1;  // only with a tip to show: a roll instead would leave it for a later tip
    } else if (!hist) {
        if (!histhd) {
            prehistory = 0;
            if (sdhd)
                GtkWarning(_("No history available!\nHave you rolled up any squares yet?"));
            else
                GtkNote(_("               History Display\nNo dancers have been entered into Dorvels yet!\n    (use n to "
                        "enter a new dancer)"));
            rdbg("HistoryChange");
            return;
        }
        if (chg > 0) show = histhd;
        else if (!prehistory) show = histtl;
    } else if (chg > 0) {
        show = hist->nxt ? hist->nxt : hist;
    } else {
        if (hist->prv) {
            show = hist->prv;
        } else {  // back up before the first tip; no tip is shown any more, so hist is none
            // (paging newer from here shows the oldest tip again, not the second)
            hist = nullptr;
            prvtipcnt = tipcnt = 0;
            prehistory = 1;
            SwitchDisplay(EDIT);
            rdbg("HistoryChange");
            return;
        }
    }
    if (show) {
        hist = show;
        SwitchDisplay(HISTORY);
    }
    prehistory = 0;
    rdbg("HistoryChange");
}

void HistoryUse() {
    edbg("HistoryUse()");
    if (!hist && !prehistory) {
        GtkWarning(_("Need to use History first! (h or H)"));
        rdbg("HistoryUse");
        return;
    }
    DelSkipTips();
    saved.valid = false;
    if (prehistory) {
        hist = nullptr;
        prehistory = 0;
        HistoryClear();
        tipcnt = prvtipcnt = 0;
        s1 = initial_s1;
        s2 = initial_s2;
        s3 = initial_s3;
        rdbg("HistoryUse");
        return;
    }
    History* shown = hist;
    while (histtl && histtl != shown) {
        // Every later tip is taken back: whoever danced in it loses that tip again, also
        // the dancers who sat out the shown tip.
        RestoreFrom(histtl, true);
        RestoreFrom(shown, false);
        FreeRecord(histtl);
    }
    OutDancerFreeAll();
    if (histtl) {
        for (OutDancer* od = histtl->outdancerhd; od; od = od->nxt) OutDancerMake(od->sd);
        tipcnt = histtl->tipcnt;
        prvtipcnt = histtl->prvtipcnt;
        s1 = histtl->s1;
        s2 = histtl->s2;
        s3 = histtl->s3;
    } else {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = sd->prvdances = sd->tagged = 0;
        tipcnt = prvtipcnt = 0;
        s1 = initial_s1;
        s2 = initial_s2;
        s3 = initial_s3;
    }
    rdbg("HistoryUse");
}

void HistoryDelete(History* h) {
    if (!histtl) return;
    if (!h) h = histtl;
    FreeRecord(h);
    tipcnt = histtl ? histtl->tipcnt : 0;
    prvtipcnt = histtl ? histtl->prvtipcnt : 0;
}

void HistoryClear() {
    while (histtl) FreeRecord(histtl);
    hist = nullptr;
}

void HistoryForget(const SqrDancer* sd) {
    for (History* h = histhd; h; h = h->nxt) {
        if (!HistoryNames(h, sd)) continue;
        ++historyversion;
        for (int i = 0; i < h->totsquares && h->histsqr; ++i)
            for (int j = 0; j < h->sqrsize && h->histsqr[i].histsd; ++j) {
                HistoryDancer& hd = h->histsqr[i].histsd[j];
                if (hd.sd == sd) hd = HistoryDancer{};
                if (hd.partner == sd) hd.partner = nullptr;
                if (hd.tmppartner == sd) hd.tmppartner = nullptr;
            }
        for (OutDancer* od = h->outdancerhd; od;) {
            OutDancer* next = od->nxt;
            if (od->sd == sd) {
                ListUnlink(h->outdancerhd, h->outdancertl, od);
                delete od;
            }
            od = next;
        }
    }
}

void HistoryRestore(const HistoryTip& t) {
    History* h = new (std::nothrow) History;
    outofmem(h, "%s\n", "HistoryRestore");
    h->tipcnt = t.tipcnt;
    h->prvtipcnt = t.prvtipcnt;
    h->totsquares = t.totsquares;
    h->sqrsize = t.sqrsize;
    h->totdancers = t.totdancers;
    h->pgmfloor = t.pgmfloor;
    h->s1 = t.s1;
    h->s2 = t.s2;
    h->s3 = t.s3;
    if (h->totdancers > 0) {
        h->sqrlist = static_cast<char**>(calloc(static_cast<size_t>(2 * h->totdancers), sizeof(char*)));
        outofmem(h->sqrlist, "%s\n", "HistoryRestore");
        for (const auto& [i, text] : t.cells) {
            if (i < 0 || i >= 2 * h->totdancers) continue;
            free(h->sqrlist[i]);
            h->sqrlist[i] = strdup(text.c_str());
            outofmem(h->sqrlist[i], "%s\n", "HistoryRestore");
        }
    }
    if (h->totsquares > 0) {
        h->histsqr = static_cast<HistorySquare*>(calloc(static_cast<size_t>(h->totsquares), sizeof(HistorySquare)));
        outofmem(h->histsqr, "%s\n", "HistoryRestore");
        for (int q = 0; q < h->totsquares; ++q) {
            h->histsqr[q].histsd = static_cast<HistoryDancer*>(calloc(static_cast<size_t>(h->sqrsize), sizeof(HistoryDancer)));
            outofmem(h->histsqr[q].histsd, "%s\n", "HistoryRestore");
            for (int j = 0; j < h->sqrsize; ++j) h->histsqr[q].histsd[j] = HistoryDancer{};
        }
    }
    for (const HistoryPlace& p : t.places)
        if (p.hd.sd && p.square >= 0 && p.square < h->totsquares && p.slot >= 0 && p.slot < h->sqrsize)
            h->histsqr[p.square].histsd[p.slot] = p.hd;
    for (const auto& [sd, assigned] : t.outs) {
        if (!sd) continue;
        OutDancer* od = new (std::nothrow) OutDancer;
        outofmem(od, "%s\n", "HistoryRestore");
        od->sd = sd;
        od->assigned = assigned;
        ListAppend(h->outdancerhd, h->outdancertl, od);
    }
    ListAppend(histhd, histtl, h);
    ++historyversion;
}

bool HistoryNames(const History* h, const SqrDancer* sd) {
    if (!h || !sd) return false;
    for (int i = 0; i < h->totsquares && h->histsqr; ++i)
        for (int j = 0; j < h->sqrsize && h->histsqr[i].histsd; ++j) {
            const HistoryDancer& hd = h->histsqr[i].histsd[j];
            if (hd.sd == sd || hd.partner == sd || hd.tmppartner == sd) return true;
        }
    for (const OutDancer* od = h->outdancerhd; od; od = od->nxt)
        if (od->sd == sd) return true;
    return false;
}

bool rollrepeat = false;

void SaveRollDisplay() {
    // A repeat asked for before a display that rolls nothing (the present board) is over by
    // the time a new tip is rolled.
    rollrepeat = rollrepeat && saved.valid && saved.tip == tipcnt;
    get_rndm(&s1, &s2, &s3);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->prvdances = sd->dances;
    saved = RollState{};
    saved.valid = true;
    saved.tip = tipcnt;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) saved.outdancers.emplace_back(od->sd, od->assigned);
    for (SkipTip* st = skiptiphd; st; st = st->nxt)
        if (st->sd) saved.skips.push_back({st->sd, st->tip, st->sd->skip, st->sd->avail});
    for (MustOnce* mo = mustoncehd; mo; mo = mo->nxt)
        if (mo->sd) saved.onces.push_back({mo->sd, mo->tip, mo->sd->priority});
}

void RepeatRollDisplay() {
    // The roll being repeated is saved again when it is shown: drop its first record.
    bool repeat = saved.valid && tipcnt == saved.tip;
    rollrepeat = repeat;
    if (repeat && histtl && histtl->tipcnt == saved.tip && tipcnt > prvtipcnt) FreeRecord(histtl);
    set_rndm(s1, s2, s3);
    maxdances = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->dances = sd->prvdances;
        if (sd->prvdances > maxdances) maxdances = sd->prvdances;
    }
    tipcnt = prvtipcnt;
    if (!repeat) return;
    OutDancerFreeAll();
    for (auto& [sd, assigned] : saved.outdancers) OutDancerMake(sd)->assigned = assigned;
    while (skiptiphd) SkipTipFree(skiptiphd);
    for (const SavedSkip& s : saved.skips) {
        SkipTipAppend(s.sd, s.tip);
        s.sd->skip = s.skip;
        s.sd->avail = s.avail;
    }
    DelMustOnces();
    for (const SavedOnce& o : saved.onces) {
        MustOnceAppend(o.sd, o.tip);
        o.sd->priority = o.priority;
    }
}

bool LastRollRepeatable() {
    return saved.valid && histtl && histtl->tipcnt == saved.tip && !saved.after.empty() &&
           saved.after == RollInputs();
}

void HistoryForgetDancer(const SqrDancer* sd) {
    std::erase_if(saved.outdancers, [sd](const auto& p) { return p.first == sd; });
    std::erase_if(saved.skips, [sd](const SavedSkip& s) { return s.sd == sd; });
    std::erase_if(saved.onces, [sd](const SavedOnce& o) { return o.sd == sd; });
}

void HistoryReset() {
    HistoryClear();
    saved = RollState{};
    rollrepeat = false;
}
