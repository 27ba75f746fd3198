// SPDX-License-Identifier: GPL-3.0-or-later
// The out-dancer list (dancers sitting out this tip) and filling empty partner slots.
#include <cstdlib>
#include <new>

#include "assign/assign.h"
#include "core/dlist.h"
#include "support/helmtext.h"

OutDancer* OutDancerMake(SqrDancer* sd) {
    OutDancer* od = new (std::nothrow) OutDancer;
    outofmem(od, "%s\n", "OutDancer List");
    od->sd = sd;
    od->assigned = 0;
    ListAppend(outdancerhd, outdancertl, od);
    return od;
}

void OutDancerFree(OutDancer* od) {
    if (!od) return;
    ListUnlink(outdancerhd, outdancertl, od);
    delete od;
}

void OutDancerFreeAll() {
    while (outdancerhd) OutDancerFree(outdancerhd);
    outdancertl = nullptr;
}

void OutDancerShow(const char* funcname, int iprio) {
    if (!dbgtst(2)) return;
    int n = 0;
    for (OutDancer* od = outdancerhd; od; od = od->nxt, ++n)
        DPRINTF(2, "(%s) iprio=%d outdancer#%d sd<%s> assigned=%d\n", funcname ? funcname : "OutDancerShow", iprio, n,
                od->sd ? od->sd->firstlast.c_str() : "-null-", od->assigned);
}

static bool Accepts(SDSEX seeker, SDSEX other) {
    switch (seeker) {
    case M: return other == F || other == FM || other == MF || other == E;
    case F: return other == M || other == FM || other == MF || other == E;
    case MF:
    case FM:
    case E: return true;
    default: return false;
    }
}

int AttemptAssignAsk(SqrDancer* sd, int /*useoutdancer*/) {
    if (!sd || sd->tmppartner || !outdancerhd) return 0;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) {
        if (od->assigned || !od->sd || od->sd == sd) continue;
        SqrDancer* recruit = od->sd;
        if (!Accepts(sd->sex, recruit->sex)) continue;
        od->assigned = 1;
        if (recruit->partner) recruit->partner->display = 1;
        if (askflag == 0) {
            // The recruit counts as one more place of sd's square, but the pairing lives in
            // the tmppartner links only: the recruit is not put into the square's places and
            // its dance count is not raised.
            int isqr = sd->square;
            recruit->assigned = 3;
            recruit->square = isqr;
            if (sqr && isqr >= 0 && isqr < totsquare) recruit->posn = ++sqr[isqr].qty;
            sd->tmppartner = recruit;
            recruit->tmppartner = sd;
            OutDancerFree(od);
        }
        return 1;
    }
    return 0;
}

static bool Counted(const SqrDancer* sd) {
    return sd->avail && static_cast<unsigned>(sd->pgm) >= static_cast<unsigned>(pgmfloor);
}

void OutDancerCollect() {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (Counted(sd) && sd->assigned == 0) OutDancerMake(sd);
}

void OutDancerAskAll() {
    if (askflag != 0) return;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (Counted(sd) && (sd->assigned == 1 || sd->assigned == 2) && !sd->partner && !sd->tmppartner)
            AttemptAssignAsk(sd, 1);
}

void OutDancersAfterRoll() {
    OutDancerCollect();
    OutDancerAskAll();
}
