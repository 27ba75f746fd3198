// SPDX-License-Identifier: GPL-3.0-or-later
// Creating, deleting and ordering the dancers of the roster; the card table and name trie.
#include "registry/registry.h"
#include "core/dlist.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assign/assign.h"
#include "core/screen.h"
#include "history/history.h"
#include "support/helmtext.h"

void SqrDancerInit(SqrDancer* sd) {
    if (!sd) return;
    sd->assigned = 0;
    sd->display = 1;
    sd->dispname.clear();
    sd->avail = 1;
    sd->availsigid = -1;
    sd->partner = nullptr;
    sd->sex = E;
    sd->tmppartner = nullptr;
    sd->pgm = Basic;
    sd->sqnxt = sd->sqprv = nullptr;
    sd->dances = 0;
    sd->priority = LUCK;
    sd->square = 0;
    sd->tagged = 0;
    sd->tooltip.clear();
    sd->skip = 0;
    sd->gridposn = -1;
}

static SDSEX Complement(SDSEX sex) {
    switch (sex) {
    case M: return F;
    case F: return M;
    case MF: return FM;
    case FM: return MF;
    default: return E;
    }
}

SqrDancer* NewSqrDancerAlloc(SqrDancer* sd) {
    auto* nsd = new (std::nothrow) SqrDancer;
    outofmem(nsd, "%s\n", "(NewSqrDancerAlloc) unable to make a new square dancer!\n");
    nsd->priority = sd ? sd->priority : LUCK;
    nsd->dances = maxdances >= 1 ? maxdances - 1 : 0;
    nsd->avail = sd ? sd->avail : 1;
    nsd->display = sd ? sd->display : 1;
    nsd->pgm = sd ? sd->pgm : pgmfloor;
    nsd->sex = sd ? Complement(sd->sex) : M;
    if (sd) {
        nsd->partner = sd;
        sd->partner = nsd;
        nsd->firstname_entry = sd->firstname_entry;
        nsd->lastname_entry = sd->lastname_entry;
    }
    ListAppend(sdhd, sdtl, nsd);
    return nsd;
}

int RosterCount() {
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) ++n;
    return n;
}

// ---- card table ------------------------------------------------------------------------
uint64_t RfidHash(const void* key) {
    const auto* p = static_cast<const signed char*>(key);
    uint64_t h = 0;
    for (int i = 0; i < 8; ++i) {
        h = (h << 4) + static_cast<uint64_t>(static_cast<int64_t>(p[i]));
        uint64_t g = h & 0xF0000000ULL;
        if (g) h ^= g >> 24;
        h &= ~g;
    }
    return h;
}

int RfidCmp(const void* a, const void* b) {
    uint64_t x, y;
    memcpy(&x, a, sizeof x);
    memcpy(&y, b, sizeof y);
    return x > y ? 1 : 0;
}

void RfidInsert(SqrDancer* sd) {
    if (!sd || !sd->rfid) return;
    if (!varhash) varhash = VarHashBuild(2000, RfidHash, RfidCmp);
    VarHashInsert(varhash, sd, &sd->rfid, sizeof sd->rfid);
}

SqrDancer* RfidFind(uint64_t card) {
    if (!varhash || !card) return nullptr;
    return static_cast<SqrDancer*>(VarHashFind(varhash, &card, sizeof card));
}

void RfidRemove(uint64_t card) {
    if (varhash && card) VarHashDelete(varhash, &card, sizeof card, 0);
}

// ---- name trie -------------------------------------------------------------------------
void NameTrieInsert(SqrDancer* sd) {
    if (!sd) return;
    if (!ps) ps = ps_make();
    if (sd->firstlast.empty()) sd->firstlast = sd->firstname + " " + sd->lastname;
    ps_insert(ps, sd->firstlast, sd);
    // Anonymous dancers' full name is their number; their club file line still reads as
    // "first last", so that form leads to them too.
    std::string both = sd->firstname + " " + sd->lastname;
    if (both != sd->firstlast) ps_insert(ps, both, sd);
    ps_insert(ps, sd->firstname, sd);
    ps_insert(ps, sd->lastname, sd);
}

// Takes sd's names out of the trie; a first or last name that other dancers share is made
// to lead to one of them again.
void NameTrieRemove(SqrDancer* sd) {
    if (!ps) return;
    std::string both = sd->firstname + " " + sd->lastname;
    const std::string* words[] = {&sd->firstlast, &both, &sd->firstname, &sd->lastname};
    for (const std::string* w : words) {
        if (w->empty()) continue;
        ps_remove(ps, *w, sd);
        void* item = nullptr;
        if (ps_search(ps, *w, &item)) continue;
        for (SqrDancer* o = sdhd; o; o = o->nxt)
            if (o != sd && (o->firstlast == *w || o->firstname + " " + o->lastname == *w ||
                            o->firstname == *w || o->lastname == *w)) {
                ps_insert(ps, *w, o);
                break;
            }
    }
}

SqrDancer* NameTrieFind(const std::string& first, const std::string& last, int* how) {
    void* item = nullptr;
    int found = 0;
    if (ps) {
        if (ps_search(ps, first + " " + last, &item) && item) found = 1;
        else if (ps_search(ps, first, &item) && item) found = 2;
        else if (ps_search(ps, last, &item) && item) found = 3;
    }
    if (how) *how = found;
    return found ? static_cast<SqrDancer*>(item) : nullptr;
}

// ---- deleting ------------------------------------------------------------------------
// Removes every reference the pointer globals and the roster's own lists hold to sd; the
// requests, squares, tags and saved roll state are the assignment engine's to drop.
static void ForgetDancer(SqrDancer* sd) {
    AssignForgetDancer(sd);
    if (currsd == sd) currsd = nullptr;
    if (newsd == sd) newsd = nullptr;
    if (zflagpending == sd) {
        zflagpending = nullptr;
        zflagpendingrfid = 0;
    }
    if (sdtoggled == sd) sdtoggled = nullptr;
    if (rfid_sd == sd) rfid_sd = nullptr;
    for (int i = 0; i < mapi2sdqty; ++i)
        if (mapi2sd[i] == sd) mapi2sd[i] = nullptr;
    // The dances list is rebuilt at every roll; unlink sd so a walk never reaches it.
    if (sd->dprv || sd->dnxt || dhd == sd) {
        if (sd->dprv) sd->dprv->dnxt = sd->dnxt; else if (dhd == sd) dhd = sd->dnxt;
        if (sd->dnxt) sd->dnxt->dprv = sd->dprv; else if (dtl == sd) dtl = sd->dprv;
    }
    if (sd->sqprv) sd->sqprv->sqnxt = sd->sqnxt;
    if (sd->sqnxt) sd->sqnxt->sqprv = sd->sqprv;
}

void DelDancer(SqrDancer* sd) {
    if (!sd) return;
    NameTrieRemove(sd);
    if (sd->rfid) {
        RfidRemove(sd->rfid);
        sd->rfid = 0;
    }
    ForgetDancer(sd);
    ListUnlink(sdhd, sdtl, sd);
    for (SqrDancer* o = sdhd; o; o = o->nxt) {
        if (o->partner == sd) o->partner = nullptr;
        if (o->tmppartner == sd) o->tmppartner = nullptr;
        if (o->newpartner == sd) o->newpartner = nullptr;
        if (o->sqnxt == sd) o->sqnxt = nullptr;
        if (o->sqprv == sd) o->sqprv = nullptr;
    }
    // The tips stay, with their numbers; the dancer leaves them.
    HistoryForget(sd);
    DancerLeaves(sd);
    delete sd;
}

void ClearDancers() {
    for (int i = 0; i < SQRTAGQTY; ++i) {
        sqrtag[i].sd = nullptr;
        sqrtag[i].sqr = nullptr;
        sqrtag[i].isqr = -1;
        ClearSqrTagSlider(i);
    }
    // The trie goes first: every name leaves it anyway, and keeping it up to date dancer
    // by dancer costs a walk over the roster per name.
    if (ps) {
        ps_free(ps, 0);
        ps = nullptr;
    }
    while (sdhd) DelDancer(sdhd);
    if (sqr) {
        for (int i = 0; i < totsquare; ++i) free(sqr[i].dancer);
        free(sqr);
        sqr = nullptr;
    }
    totsquare = 0;
    free(mapi2sd);
    mapi2sd = nullptr;
    mapi2sdqty = 0;
    currsd = nullptr;
    editmode = BEGIN;
}

// ---- orders ----------------------------------------------------------------------------
static const std::string& SortName(const SqrDancer* sd) {
    if (editmode == SQUARES && sd->partner && sd->partner->lastname == sd->lastname) return sd->lastname;
    return sd->dispname;
}

// Names in the order of the operator's language (Köhler before Krüger, Öztürk among the
// O's); names that collate alike in byte order, then by last and first name.
static int NameOrder(const std::string& akey, const SqrDancer* a, const std::string& bkey, const SqrDancer* b) {
    int c = akey.compare(bkey);
    if (!c) c = SortName(a).compare(SortName(b));
    if (!c) c = a->lastname.compare(b->lastname);
    if (!c) c = a->firstname.compare(b->firstname);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int DancerCmp(const SqrDancer* a, const SqrDancer* b) {
    return NameOrder(NameCollateKey(SortName(a)), a, NameCollateKey(SortName(b)), b);
}

static std::string DancesKey(const SqrDancer* sd) { return sd->lastname + " " + sd->firstname; }

int DancerCmpDances(const SqrDancer* a, const SqrDancer* b) {
    if (a->dances != b->dances) return a->dances < b->dances ? -1 : 1;
    int c = DancesKey(a).compare(DancesKey(b));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void SortDancersByName(std::vector<std::pair<const SqrDancer*, int>>& dancers) {
    std::vector<std::pair<std::string, size_t>> keys;  // made once per dancer
    for (size_t i = 0; i < dancers.size(); ++i) keys.push_back({NameCollateKey(SortName(dancers[i].first)), i});
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        return NameOrder(a.first, dancers[a.second].first, b.first, dancers[b.second].first) < 0;
    });
    std::vector<std::pair<const SqrDancer*, int>> sorted;
    for (const auto& k : keys) sorted.push_back(dancers[k.second]);
    dancers.swap(sorted);
}

void SortByName() {
    // The collation keys are made once per dancer, not once per comparison.
    std::vector<std::pair<std::string, SqrDancer*>> v;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) v.push_back({NameCollateKey(SortName(sd)), sd});
    std::stable_sort(v.begin(), v.end(),
                     [](const auto& a, const auto& b) { return NameOrder(a.first, a.second, b.first, b.second) < 0; });
    sdhd = sdtl = nullptr;
    for (auto& [key, sd] : v) ListAppend(sdhd, sdtl, sd);
}

void SortByDances() {
    // The sort keys are built once per dancer, not once per comparison.
    struct Keyed {
        int dances;
        std::string key;
        SqrDancer* sd;
    };
    std::vector<Keyed> v;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->dnxt = sd->dprv = nullptr;
        if (sd->avail && static_cast<unsigned>(sd->pgm) >= static_cast<unsigned>(pgmfloor))
            v.push_back({sd->dances, DancesKey(sd), sd});
    }
    std::stable_sort(v.begin(), v.end(), [](const Keyed& a, const Keyed& b) {
        return a.dances != b.dances ? a.dances < b.dances : a.key < b.key;
    });
    dhd = dtl = nullptr;
    for (const Keyed& k : v) {
        k.sd->dprv = dtl;
        if (dtl) dtl->dnxt = k.sd; else dhd = k.sd;
        dtl = k.sd;
    }
}
