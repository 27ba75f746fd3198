// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the setup dialog's number entries and the operations of its bottom row.
#include "core/settings.h"

#include "assign/assign.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

int SetupNumbers::FirstBad() const {
    int f = 0;
    while (f < SF_QTY && !bad[f]) ++f;
    return f;
}

// A whole number typed by the operator: blanks around it are allowed, nothing else is.
static bool ReadNumber(const std::string& text, int lo, int hi, int* value, std::string* why) {
    size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
    if (b == std::string::npos) {
        *why = _("type a number");
        return false;
    }
    size_t i = text[b] == '-' || text[b] == '+' ? b + 1 : b;
    if (i > e || text.find_first_not_of("0123456789", i) <= e) {
        *why = _("not a number: type digits only");
        return false;
    }
    long long v = 0;
    for (; i <= e && v <= hi; ++i) v = v * 10 + (text[i] - '0');  // past hi is too large anyway
    if (text[b] == '-') v = -v;
    if (v < lo || v > hi) {
        *why = v < lo ? strprintf(_("at least %d"), lo) : strprintf(_("at most %d"), hi);
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

// The dancers the anonymous count of field f makes (a couple is two).
static int Made(const SetupNumbers& n, int f) {
    return n.bad[f] ? 0 : n.value[f] * (f == SF_COUPLES ? 2 : 1);
}

int NewAnonDancers(const SetupNumbers& n) {
    int made = 0;
    for (int f = SF_ANON; f <= SF_COUPLES; ++f) made += Made(n, f);
    return made;
}

SetupNumbers CheckSetupNumbers(const std::string (&text)[SF_QTY]) {
    SetupNumbers n;
    for (int f = 0; f < SF_QTY; ++f) {
        int lo = f == SF_SQUARESIZE || f == SF_TAGSQUARE || f == SF_NEXTANON ? 1 : 0;
        // The next number may stand one past the highest (every number given out): the
        // dialog still opens usable, and only new anonymous dancers are refused.
        int hi = f == SF_SQUARESIZE ? MAXSQUARESIZE
                 : f == SF_NEXTANON ? MAXANONNUMBER + 1
                 : f < SF_ANON      ? MAXHALLSQUARES
                                    : MAXNEWANON;
        n.bad[f] = !ReadNumber(text[f], lo, hi, &n.value[f], &n.message[f]);
    }
    if (!n.bad[SF_MAXSQUARES] && n.value[SF_MAXSQUARES] == 0) n.message[SF_MAXSQUARES] = _("0: no limit");
    if (!n.bad[SF_SQUARESIZE] && n.value[SF_SQUARESIZE] % 2)
        n.message[SF_SQUARESIZE] = strprintf(_("odd: Done makes it %d"), n.value[SF_SQUARESIZE] + 1);

    // Too many new dancers together: every count that adds some says so.
    if (int made = NewAnonDancers(n); made > MAXNEWANON)
        for (int f = SF_ANON; f <= SF_COUPLES; ++f)
            if (Made(n, f) > 0) {
                n.bad[f] = true;
                n.message[f] = strprintf(_("%d new dancers at once: at most %d"), made, MAXNEWANON);
            }
    // New anonymous dancers never take a number in use, nor one the club file cannot hold.
    int next = n.value[SF_NEXTANON], inuse = HighestAnonNumber();
    if (!n.bad[SF_NEXTANON] && next <= inuse) {
        n.bad[SF_NEXTANON] = true;
        n.message[SF_NEXTANON] = strprintf(_("numbers up to %d are in use"), inuse);
    } else if (int made = NewAnonDancers(n); !n.bad[SF_NEXTANON] && next > MAXANONNUMBER - made + 1) {
        n.bad[SF_NEXTANON] = true;
        n.message[SF_NEXTANON] = strprintf(_("at most %d for %d new dancers"), MAXANONNUMBER - made + 1, made);
    }
    return n;
}

// ---- the bottom row ------------------------------------------------------------------------
void ClearDanceCounts() {
    DelSkipTips();
    CancelMustOnces();
    tipcnt = prvtipcnt = 0;
    maxdances = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = sd->prvdances = 0;
    HistoryReset();
}

void ClearAllRfid() {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->rfid) {
            RfidRemove(sd->rfid);
            sd->rfid = 0;
        }
    if (varhash) {
        VarHashFree(varhash, 0);
        varhash = nullptr;
    }
}

void ClearRoster() {
    EDITMODE mode = editmode;
    DelSkipTips();
    DelMustOnces();
    ClearDancers();  // the tag slots too
    HistoryReset();
    tipcnt = prvtipcnt = 0;
    maxdances = 0;
    anoncnt = 0;
    for (int& c : anoncounts) c = 0;
    editmode = mode;
}

void ResetSetup() {
    ClearRoster();
    pgmfloor = Basic;
    caller = "None";
    clubname = "None";
    outputfilename = dfltsavefile;
    dispnamestyle = LASTNAME;
}
