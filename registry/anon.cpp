// SPDX-License-Identifier: GPL-3.0-or-later
// Anonymous dancers: numbered placeholders for an evening run without names.
#include <algorithm>

#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"

static SqrDancer* NewAnon(const std::string& first, const std::string& last, SDSEX sex, SDPGM pgm) {
    SqrDancer* sd = NewSqrDancerAlloc(nullptr);
    SqrDancerInit(sd);
    sd->firstname = first;
    sd->lastname = last;
    sd->firstlast = last;
    sd->sex = sex;
    sd->pgm = pgm;
    NameTrieInsert(sd);
    SetupDispName(sd);
    return sd;
}

void AnonCouple(int qty, SDPGM pgm) {
    for (int i = 0; i < qty; ++i) {
        ++anoncnt;
        ++anoncounts[5];
        std::string last = strprintf("Couple#%03d", anoncnt);
        SqrDancer* m = NewAnon("M", last, M, pgm);
        SqrDancer* f = NewAnon("F", last, F, pgm);
        m->partner = f;
        f->partner = m;
        f->display = 0;  // a present couple shows as one entry, under its M member
    }
}

void AnonSingle(int qtyM, int qtyF, int qtyMF, int qtyFM, int qtyE, SDPGM pgm) {
    const int qty[SEXQTY] = {qtyM, qtyF, qtyMF, qtyFM, qtyE};
    for (int sex = M; sex <= E; ++sex)
        for (int i = 0; i < qty[sex]; ++i) {
            ++anoncnt;
            ++anoncounts[sex];
            NewAnon(strsex(sex), strprintf("Sngl#%03d", anoncnt), static_cast<SDSEX>(sex), pgm);
        }
}

int AnonNumber(const std::string& lastname, bool* couple) {
    size_t skip = lastname.starts_with("Couple#") ? 7 : lastname.starts_with("Sngl#") ? 5 : 0;
    if (couple) *couple = skip == 7;
    if (!skip || skip == lastname.size()) return 0;
    long n = 0;
    for (size_t i = skip; i < lastname.size(); ++i) {
        char c = lastname[i];
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
        if (n > MAXANONNUMBER) return 0;
    }
    return static_cast<int>(n);
}

int HighestAnonNumber() {
    int most = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) most = std::max(most, AnonNumber(sd->lastname));
    return most;
}

bool IsAnonCouple(const SqrDancer* sd) { return sd && sd->lastname.starts_with("Couple#"); }

bool IsAnonymous(const SqrDancer* sd) {
    return sd && (IsAnonCouple(sd) || sd->lastname.starts_with("Sngl#"));
}

// The anoncounts entry of an anonymous dancer's kind.
static int AnonSlot(const SqrDancer* sd) {
    if (IsAnonCouple(sd)) return 5;
    return sd->sex >= M && sd->sex <= E ? sd->sex : E;
}

// The other half of an anonymous couple: the partner of the same last name.
static SqrDancer* CoupleHalf(SqrDancer* sd) {
    SqrDancer* p = sd->partner;
    return p && p != sd && p->lastname == sd->lastname ? p : nullptr;
}

SqrDancer* AnonForCard(uint64_t card, SDSEX kind, SDPGM pgm, bool keepnumber) {
    if (!card) return nullptr;
    bool couple = kind < M || kind > E;
    SpecCardForget(card);
    SqrDancer* sd = RfidHolder(card);
    if (sd && !IsAnonymous(sd)) {
        RfidTakeAway(card);
        sd = nullptr;
    }
    int number = 0;
    SqrDancer* half = nullptr;
    if (sd) {
        int& was = anoncounts[AnonSlot(sd)];
        if (was > 0) --was;
        if (keepnumber) number = AnonNumber(sd->lastname);
        else sd->pgm = pgm;
        half = CoupleHalf(sd);
        if (!half && sd->partner) {
            // A partner who is not the other half of this couple keeps its own name.
            if (sd->partner->partner == sd) sd->partner->partner = nullptr;
            sd->partner = nullptr;
        }
        if (!couple && half) {
            DelDancer(half);
            half = nullptr;
        }
        RfidInsert(sd);
    } else {
        sd = NewSqrDancerAlloc(nullptr);
        sd->pgm = pgm;
        sd->rfid = card;
        RfidInsert(sd);
    }
    if (!number) number = ++anoncnt;
    ++anoncounts[couple ? 5 : kind];
    if (couple) {
        std::string last = strprintf("Couple#%03d", number);
        sd->sex = M;
        if (!half) half = NewSqrDancerAlloc(sd);
        else if (!keepnumber) half->pgm = pgm;
        half->sex = F;
        SetDancerNames(sd, "M", last);
        SetDancerNames(half, "F", last);
        sd->display = 1;
        half->display = 0;  // a present couple shows as one entry, under its M member
    } else {
        sd->sex = kind;
        SetDancerNames(sd, strsex(kind), strprintf("Sngl#%03d", number));
    }
    return sd;
}

bool PresentHidden(const SqrDancer* sd) {
    const SqrDancer* p = sd->partner;
    return sd->sex == F && IsAnonCouple(sd) && p && p->avail && p->pgm >= pgmfloor;
}
