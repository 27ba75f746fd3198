// SPDX-License-Identifier: GPL-3.0-or-later
// Skip-tip and must-once requests, and the tooltip text of a dancer's name button.
#include <new>

#include "assign/assign.h"
#include "core/dlist.h"
#include "core/screen.h"
#include "files/record.h"
#include "files/replay.h"
#include "support/helmtext.h"
#include "support/intl.h"

SkipTip* SkipTipAppend(SqrDancer* sd, int tip) {
    SkipTip* st = new (std::nothrow) SkipTip;
    outofmem(st, "%s\n", "SkipTip");
    st->sd = sd;
    st->tip = tip;
    ListAppend(skiptiphd, skiptiptl, st);
    return st;
}

void SkipTipFree(SkipTip* st) {
    if (!st) return;
    ListUnlink(skiptiphd, skiptiptl, st);
    delete st;
}

SkipTip* SkipTipFind(const SqrDancer* sd) {
    for (SkipTip* st = skiptiphd; st; st = st->nxt)
        if (st->sd == sd) return st;
    return nullptr;
}

MustOnce* MustOnceAppend(SqrDancer* sd, int tip) {
    MustOnce* mo = new (std::nothrow) MustOnce;
    outofmem(mo, "%s\n", "MustOnce");
    mo->sd = sd;
    mo->tip = tip;
    ListAppend(mustoncehd, mustoncetl, mo);
    return mo;
}

void MustOnceFree(MustOnce* mo) {
    if (!mo) return;
    ListUnlink(mustoncehd, mustoncetl, mo);
    delete mo;
}

MustOnce* MustOnceFind(const SqrDancer* sd) {
    for (MustOnce* mo = mustoncehd; mo; mo = mo->nxt)
        if (mo->sd == sd) return mo;
    return nullptr;
}

static void SwapMustLuck(SqrDancer* sd) {
    if (!sd) return;
    if (sd->priority == MUST) sd->priority = LUCK;
    else if (sd->priority == LUCK) sd->priority = MUST;
}

void ApplySkipTips() {
    edbg("ApplySkipTips() tipcnt=%d", tipcnt);
    for (SkipTip *st = skiptiphd, *next; st; st = next) {
        next = st->nxt;
        SqrDancer* sd = st->sd;
        if (!sd) {
            SkipTipFree(st);
            continue;
        }
        if (st->tip == tipcnt) {
            sd->avail = 1;
            if (sd->skip != 2) {
                sd->skip = 0;
                SkipTipFree(st);
            } else {
                st->tip += 2;
            }
        } else if (sd->skip > 1) {
            sd->avail = 0;
        }
    }
    sdtoggled = nullptr;
    for (MustOnce *mo = mustoncehd, *next; mo; mo = next) {
        next = mo->nxt;
        if (mo->tip == tipcnt) {
            SwapMustLuck(mo->sd);
            MustOnceFree(mo);
        }
    }
    rdbg("ApplySkipTips");
}

void UpdateSkips() {
    edbg("UpdateSkips() tipcnt=%d", tipcnt);
    for (SkipTip *st = skiptiphd, *next; st; st = next) {
        next = st->nxt;
        if (!st->sd) {
            SkipTipFree(st);
            continue;
        }
        if (st->tip - 1 <= tipcnt && st->sd->skip != 2) {
            st->sd->avail = 1;
            st->sd->skip = 0;
            SkipTipFree(st);
        }
    }
    for (MustOnce *mo = mustoncehd, *next; mo; mo = next) {
        next = mo->nxt;
        if (mo->tip - 1 <= tipcnt) {
            SwapMustLuck(mo->sd);
            MustOnceFree(mo);
        }
    }
    rdbg("UpdateSkips");
}

void DelSkipTips() {
    while (skiptiphd) {
        if (SqrDancer* sd = skiptiphd->sd) {
            sd->avail = 1;
            sd->skip = 0;
        }
        SkipTipFree(skiptiphd);
    }
}

void DelMustOnces() {
    while (mustoncehd) MustOnceFree(mustoncehd);
}

void CancelMustOnces() {
    while (mustoncehd) {
        SwapMustLuck(mustoncehd->sd);
        MustOnceFree(mustoncehd);
    }
}

static void TooltipsOf(SqrDancer* sd) {
    SetupTooltip(sd);
    if (sd->partner) SetupTooltip(sd->partner);
}

void SkipTipToggle(SqrDancer* sd) {
    if (!sd) return;
    sd->avail = !sd->avail;
    if (!sd->avail) {
        if (SkipTip* old = SkipTipFind(sd)) {
            sd->skip = 0;
            SkipTipFree(old);
        }
        SkipTip* st = SkipTipAppend(sd, tipcnt + 2);
        sd->skip = 1;
        GtkNote(_("%s will be available on tip#%d"), sd->firstlast.c_str(), st->tip);
    } else if (SkipTip* st = SkipTipFind(sd)) {
        sd->skip = 0;
        GtkNote(_("%s will not skip a tip"), sd->firstlast.c_str());
        SkipTipFree(st);
    }
    TooltipsOf(sd);
}

SkipTip* SkipTipRequest(SqrDancer* sd, int skip) {
    if (!sd) return nullptr;
    // One request per dancer: a new one replaces the old.
    while (SkipTip* old = SkipTipFind(sd)) SkipTipFree(old);
    SkipTip* st = SkipTipAppend(sd, tipcnt + 2);
    sd->skip = skip == 2 ? 2 : 1;
    SetupTooltip(sd);
    return st;
}

const char* LuckMustToggle(SqrDancer* sd, bool onetip) {
    if (!sd) return nullptr;
    const char* label = nullptr;
    if (sd->priority == LUCK) {
        sd->priority = MUST;
        label = C_("priority", "Must");
        Record("(LuckMustBttn) sd<%s> must%s dancer<%s>\n", sd->dispname.c_str(), onetip ? " one-tip" : "",
               RecordName(sd).c_str());
    } else if (sd->priority == MUST) {
        sd->priority = LUCK;
        label = C_("priority", "Luck");
        Record("(LuckMustBttn) sd<%s> luck%s dancer<%s>\n", sd->dispname.c_str(), onetip ? " one-tip" : "",
               RecordName(sd).c_str());
    }
    if (onetip) {
        MustOnce* mo = MustOnceAppend(sd, tipcnt + 2);
        SetupTooltip(sd);
        GtkNote(_("%s will revert to %s on tip#%d"), sd->firstlast.c_str(), sd->priority == MUST ? C_("priority", "luck") : C_("priority", "must"),
                mo->tip);
    }
    return label;
}

std::string TooltipText(const SqrDancer* sd) {
    if (!sd) return "";
    bool pending = false;
    for (MustOnce* mo = mustoncehd; mo; mo = mo->nxt)
        if (mo->sd == sd && mo->tip > tipcnt) pending = true;
    const char* tagged = sd->tagged ? _("  tagged") : "";
    const char* skip = sd->skip == 1 ? _("  skipping-tip") : sd->skip == 2 ? _("  repeats skiptip") : "";
    const char* once = !pending ? "" : sd->priority == MUST ? _("  must-once") : _("  luck-once");
    const char* card = sd->rfid ? _("has rfid") : _("no rfid");
    std::string dances = strprintf(ngettext("%d dance", "%d dances", sd->dances), sd->dances);
    if (sd->partner) {
        bool paren = sd->avail && !sd->partner->avail;
        return strprintf("%s : %s%s%s%s\n%s%s%s - %s", sd->firstlast.c_str(), paren ? "(" : "",
                         sd->partner->firstlast.c_str(), paren ? ")" : "", tagged, dances.c_str(), skip, once, card);
    }
    return strprintf("%s%s\n%s%s%s - %s", sd->firstlast.c_str(), tagged, dances.c_str(), skip, once, card);
}

void SetupTooltip(SqrDancer* sd) {
    if (!sd) return;
    sd->tooltip = TooltipText(sd);
    ShowDancerTooltip(sd);
}
