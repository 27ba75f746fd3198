// Anonymous dancers: numbered placeholders for an evening run without names.
#include <algorithm>

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
