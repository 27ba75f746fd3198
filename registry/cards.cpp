// SPDX-License-Identifier: GPL-3.0-or-later
// Card numbers kept in step with the roster and the command-card table. Every change of a
// dancer's card goes through here, so that the card table leads from each number to the one
// dancer holding it, and a number that performs a command is nobody's card.
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

int SpecCardSlot(uint64_t card) {
    if (!card) return -1;
    for (int i = 0; i < SPECCARDQTY; ++i)
        if (speccard[i] == card) return i;
    return -1;
}

bool IsCommandCard(uint64_t card) {
    int slot = SpecCardSlot(card);
    return slot >= 0 && slot != SPECCARD_SKIP;
}

void SpecCardForget(uint64_t card) {
    if (!card) return;
    for (uint64_t& c : speccard)
        if (c == card) c = 0;
}

SqrDancer* RfidHolder(uint64_t card) {
    if (!card) return nullptr;
    if (varhash) return RfidFind(card);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->rfid == card) return sd;
    return nullptr;
}

void RfidTakeAway(uint64_t card) {
    if (!card) return;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->rfid == card) sd->rfid = 0;
    RfidRemove(card);
}

void RfidGive(SqrDancer* sd, uint64_t card) {
    if (!sd || !card) return;
    SpecCardForget(card);
    if (sd->rfid && sd->rfid != card && RfidFind(sd->rfid) == sd) RfidRemove(sd->rfid);
    RfidTakeAway(card);
    sd->rfid = card;
    RfidInsert(sd);
}

void RfidCommandCardsWin() {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->rfid || !IsCommandCard(sd->rfid)) continue;
        error(1, _("%s: card %010llu is the command card %s; it stays a command card only\n"),
              sd->firstlast.c_str(), (unsigned long long)sd->rfid, strcmdbynmbr(SpecCardSlot(sd->rfid)));
        if (RfidFind(sd->rfid) == sd) RfidRemove(sd->rfid);
        sd->rfid = 0;
    }
}

void RfidPendingRestore() {
    SqrDancer* sd = zflagpending;
    uint64_t card = zflagpendingrfid;
    zflagpending = nullptr;
    zflagpendingrfid = 0;
    if (!sd || !card || sd->rfid || IsCommandCard(card) || RfidHolder(card)) return;
    sd->rfid = card;
    RfidInsert(sd);
}

void CardArrives(SqrDancer* sd) {
    if (!sd) return;
    sd->avail = 1;
    if (sd->dances == 0) sd->dances = maxdances > 0 ? maxdances - 1 : 0;
}

// Presence of sd set to avail, as a check-in or a check-out.
static void Presence(SqrDancer* sd, int avail) {
    if (avail) CardArrives(sd);
    else sd->avail = 0;
}

void CardPresenceFlip(SqrDancer* sd) {
    if (!sd) return;
    int avail = !sd->avail;
    if (sd->pgm < pgmfloor) sd->pgm = pgmfloor;
    Presence(sd, avail);
    // The two halves of an anonymous couple share one card: the partner follows the holder
    // (flipping it by itself would part a couple whose halves were out of step).
    if (sd->partner && IsAnonCouple(sd)) Presence(sd->partner, avail);
}
