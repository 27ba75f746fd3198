// Anonymous dancers: numbered placeholders for an evening run without names.
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
