// SPDX-License-Identifier: GPL-3.0-or-later
// Roster operations, the card table's keys, display names and anonymous dancers.
#include <gtest/gtest.h>

#include <locale.h>

#include <cstring>
#include <random>

#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/helmtext.h"

class Registry : public Evening {};

TEST_F(Registry, NewDancerDefaultsAndPartners) {
    SqrDancer* a = NewSqrDancerAlloc(nullptr);
    EXPECT_EQ(a->sex, M);
    EXPECT_EQ(a->priority, LUCK);
    EXPECT_EQ(a->avail, 1);
    EXPECT_EQ(a->gridposn, -1);
    EXPECT_EQ(a->partner, nullptr);
    a->sex = MF;
    a->pgm = A2;
    a->priority = MUST;
    a->avail = 0;
    SqrDancer* b = NewSqrDancerAlloc(a);
    EXPECT_EQ(b->sex, FM);
    EXPECT_EQ(b->partner, a);
    EXPECT_EQ(a->partner, b);
    EXPECT_EQ(b->pgm, A2);
    EXPECT_EQ(b->priority, MUST);
    EXPECT_EQ(b->avail, 0);
    EXPECT_EQ(sdhd, a);
    EXPECT_EQ(sdtl, b);
    // A newcomer starts one tip behind the most active dancer.
    maxdances = 5;
    EXPECT_EQ(NewSqrDancerAlloc(nullptr)->dances, 4);
    maxdances = 0;
    EXPECT_EQ(NewSqrDancerAlloc(nullptr)->dances, 0);
    // A fresh record as the init gives it.
    SqrDancer fresh;
    fresh.sex = F;
    fresh.square = 4;
    SqrDancerInit(&fresh);
    EXPECT_EQ(fresh.sex, E);
    EXPECT_EQ(fresh.square, 0);
    EXPECT_EQ(fresh.display, 1);
}

TEST_F(Registry, DeletingClearsEveryReference) {
    SqrDancer* smith = AddCouple("John", "Mary", "Smith");
    SqrDancer* mary = smith->partner;
    SqrDancer* solo = AddDancer("Sam", "Solo", E);
    solo->rfid = 1234567890;
    RfidInsert(solo);
    sdtoggled = solo;
    currsd = solo;
    sqrtag[2].sd = solo;
    sqrtag[2].isqr = 0;
    smith->tmppartner = solo;
    ASSERT_EQ(RfidFind(1234567890), solo);

    DelDancer(solo);
    EXPECT_EQ(RfidFind(1234567890), nullptr);
    EXPECT_EQ(sdtoggled, nullptr);
    EXPECT_EQ(currsd, nullptr);
    EXPECT_EQ(sqrtag[2].sd, nullptr);
    EXPECT_EQ(sqrtag[2].isqr, -1);
    EXPECT_EQ(smith->tmppartner, nullptr);
    int how = 0;
    EXPECT_EQ(NameTrieFind("Sam", "Solo", &how), nullptr);

    // Deleting one member of a couple leaves the other single, still findable.
    DelDancer(smith);
    EXPECT_EQ(mary->partner, nullptr);
    EXPECT_EQ(sdhd, mary);
    EXPECT_EQ(sdtl, mary);
    EXPECT_EQ(NameTrieFind("Mary", "Smith", &how), mary);
    EXPECT_EQ(how, 1);
    // The shared last name now leads to the remaining Smith.
    EXPECT_EQ(NameTrieFind("Nobody", "Smith", &how), mary);
    EXPECT_EQ(how, 3);
    DelDancer(nullptr);
    ClearDancers();
    EXPECT_EQ(sdhd, nullptr);
    EXPECT_EQ(editmode, BEGIN);
}

TEST_F(Registry, OrdersByNameAndByDances) {
    SqrDancer* c = AddDancer("Carl", "Zed", M);
    SqrDancer* a = AddDancer("Anna", "Adams", F);
    SqrDancer* v1 = AddDancer("Zoe", "Van", F);
    SqrDancer* v2 = AddDancer("Al", "Vance", M);
    SqrDancer* gone = AddDancer("Gus", "Gone", M);
    SqrDancer* low = AddDancer("Lou", "Low", M, Basic);
    gone->avail = 0;
    pgmfloor = Basic;
    low->pgm = Basic;
    SortByName();
    std::vector<SqrDancer*> order;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) order.push_back(sd);
    EXPECT_EQ(order, (std::vector<SqrDancer*>{a, gone, low, v1, v2, c}));
    EXPECT_EQ(sdtl, c);

    c->dances = 0;
    a->dances = 2;
    v1->dances = 1;
    v2->dances = 1;
    low->dances = 1;
    SortByDances();
    order.clear();
    for (SqrDancer* sd = dhd; sd; sd = sd->dnxt) order.push_back(sd);
    // "Low Lou" < "Van Zoe" < "Vance Al": the blank after a shorter name sorts first.
    EXPECT_EQ(order, (std::vector<SqrDancer*>{c, low, v1, v2, a}));
    EXPECT_EQ(dtl, a);
    EXPECT_LT(DancerCmpDances(v1, v2), 0);

    pgmfloor = C4;
    SortByDances();
    EXPECT_EQ(dhd, nullptr);
    EXPECT_EQ(dtl, nullptr);
}

TEST_F(Registry, CouplesSortUnderTheirFamilyNameOnTheSquaresBoard) {
    dispnamestyle = FIRSTNAME;
    SqrDancer* john = AddCouple("John", "Mary", "Smith");
    SqrDancer* bob = AddDancer("Bob", "Jones", M);
    SetupDispNames();
    editmode = EDIT;
    EXPECT_LT(DancerCmp(bob, john), 0);  // "Bob" < "John"
    editmode = SQUARES;
    EXPECT_LT(DancerCmp(bob, john), 0);  // "Bob" < "Smith"
    SqrDancer* zed = AddDancer("Al", "Zed", M);
    SetupDispName(zed);
    EXPECT_LT(DancerCmp(zed, john), 0);  // "Al" < "Smith" here, though "Al" < "John" too
    EXPECT_GT(DancerCmp(john->partner, bob), 0);
}

TEST_F(Registry, CardKeyFunctions) {
    uint64_t a = 1234567890, b = 1234567891;
    EXPECT_EQ(RfidCmp(&b, &a), 1);
    EXPECT_EQ(RfidCmp(&a, &b), 0);
    EXPECT_EQ(RfidCmp(&a, &a), 0);
    // ELF hash over the little-endian bytes taken as signed values, 64-bit accumulator.
    uint64_t one = 1, ff = 0xff, big = 9999999999ULL;
    EXPECT_EQ(RfidHash(&a), 0xf00000000456f2c0ULL);
    EXPECT_EQ(RfidHash(&one), 0x10ULL);
    EXPECT_EQ(RfidHash(&ff), 0xf00000000ffff000ULL);  // 0xff is -1: the high bits stay set
    EXPECT_EQ(RfidHash(&big), 0xf00000000dfbd020ULL);
}

TEST_F(Registry, DisplayNameStyles) {
    SqrDancer* mary = AddDancer("Mary", "Van_Dyke", F);
    dispnamestyle = LASTFI;
    SetupDispName(mary);
    EXPECT_EQ(mary->dispname, "Van DykeM");
    dispnamestyle = FIRSTLI;
    SetupDispName(mary);
    EXPECT_EQ(mary->dispname, "MaryV");
    dispnamestyle = LASTNAME;
    SetupDispName(mary);
    EXPECT_EQ(mary->dispname, "Van Dyke");

    Aflag = 1;
    dispnamestyle = FIRSTNAME;
    mary->square = 2;
    SetupDispName(mary);
    EXPECT_EQ(mary->dispname, "003 Mary");
    mary->square = -1;
    SetupDispName(mary);
    EXPECT_EQ(mary->dispname, "--- Mary");
    dispnamestyle = LASTFI;
    SetupDispName(mary);
    EXPECT_EQ(mary->dispname, "--- Van DykeM");

    // An initial is a whole character (names are UTF-8), in upper case where it has one.
    Aflag = 0;
    struct { const char *first, *last, *lastfi, *firstli; } scripts[] = {
        {"élodie", "øster", "østerÉ", "élodieØ"},
        {"ωmega", "παππάς", "παππάςΩ", "ωmegaΠ"},
        {"明", "王", "王明", "明王"},
        {"ǆemal", "ivić", "ivićǄ", "ǆemalI"},
    };
    for (auto& n : scripts) {
        SqrDancer* sd = AddDancer(n.first, n.last, M);
        dispnamestyle = LASTFI;
        SetupDispName(sd);
        EXPECT_EQ(sd->dispname, n.lastfi);
        dispnamestyle = FIRSTLI;
        SetupDispName(sd);
        EXPECT_EQ(sd->dispname, n.firstli);
    }
    Aflag = 1;

    AnonCouple(4, Basic);
    SqrDancer* c4 = sdtl;
    ASSERT_EQ(c4->lastname, "Couple#004");
    tipcnt = 0;
    c4->square = 1;
    SetupDispName(c4);
    EXPECT_EQ(c4->dispname, "--- Couple#004");
    tipcnt = 1;
    SetupDispName(c4);
    EXPECT_EQ(c4->dispname, "002 Couple#004");
    Aflag = 0;
    dispnamestyle = FIRSTNAME;
    SetupDispName(c4);
    EXPECT_EQ(c4->dispname, "Couple#004");
}

TEST_F(Registry, PairNames) {
    AnonCouple(3, Basic);
    SqrDancer* f3 = sdtl;
    SqrDancer* m3 = f3->prv;
    EXPECT_EQ(DancerPairName(m3, f3), "CplM#003+CplF#003");
    AnonSingle(0, 0, 0, 0, 2, Basic);
    SqrDancer* s5 = sdtl;
    SqrDancer* s4 = s5->prv;
    EXPECT_EQ(DancerPairName(s4, s5), "Sngl#004+005");
    SqrDancer* ann = AddDancer("Ann", "Lee", F);
    SqrDancer* bo = AddDancer("Bo", "Day", M);
    EXPECT_EQ(DancerPairName(bo, ann), "Day+Lee");
    EXPECT_EQ(DancerPairName(bo, s4), "Day+Sngl#004");
}

TEST_F(Registry, AnonymousNumbering) {
    AnonCouple(2, Plus);
    AnonSingle(0, 1, 0, 0, 0, Plus);
    std::vector<std::string> last;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) last.push_back(sd->lastname);
    EXPECT_EQ(last, (std::vector<std::string>{"Couple#001", "Couple#001", "Couple#002", "Couple#002", "Sngl#003"}));
    EXPECT_EQ(anoncnt, 3);
    EXPECT_EQ(anoncounts[5], 2);
    EXPECT_EQ(anoncounts[F], 1);
    EXPECT_EQ(sdhd->partner, sdhd->nxt);
    EXPECT_EQ(sdhd->nxt->partner, sdhd);
    EXPECT_EQ(sdhd->sex, M);
    EXPECT_EQ(sdhd->nxt->sex, F);
    EXPECT_EQ(sdtl->firstname, "F");
    EXPECT_EQ(sdtl->pgm, Plus);
    AnonCouple(0, Basic);
    AnonSingle(0, 0, 0, 0, 0, Basic);
    EXPECT_EQ(anoncnt, 3);
}

// Names as people read them: found whatever the case and accents (and "oe" for "ö"), ordered
// the language's way, and told apart on every board when two would show the same name.
TEST_F(Registry, NamesToldApartFoundAndOrderedAsTheLanguageDoes) {
    dispnamestyle = LASTNAME;
    SqrDancer* doerte = AddDancer("Dörte", "Lämmle", F);
    for (const char* last : {"Zorn", "Öztürk", "Krüger", "Köhler", "Otto"}) AddDancer("Al", last, M);
    SetupDispNames();
    std::string key = NameSearchKey(doerte);
    for (const char* q : {"dorte", "DÖRTE", "Doerte", "lammle", "Lämmle", "dörte lammle", "doer"})
        EXPECT_TRUE(NameKeyMatches(key, q)) << q;
    for (const char* q : {"", " ", "ammle", "dorte zorn", "doerteX"}) EXPECT_FALSE(NameKeyMatches(key, q)) << q;

    auto order = [](const char* collation) {
        SetNameCollation(collation);
        SortByName();
        std::string shown;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) shown += sd->dispname + ",";
        return shown;
    };
    locale_t de = newlocale(LC_COLLATE_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    if (de) {
        EXPECT_EQ(order("de_DE.UTF-8"), "Köhler,Krüger,Lämmle,Otto,Öztürk,Zorn,");
    }
    EXPECT_EQ(order("C.UTF-8"), "Krüger,Köhler,Lämmle,Otto,Zorn,Öztürk,");  // code points: r before ö, Ö after Z
    SetNameCollation("");

    SqrDancer* ann = AddCouple("Ann", "Bernd", "Weiß");
    ann->partner->lastname = "Schmidt";
    SqrDancer* gerd = AddDancer("Gerd", "Weiß", M);
    SetupDispNames();
    EXPECT_EQ(ann->dispname, "Weiß A");
    EXPECT_EQ(gerd->dispname, "Weiß G");
    EXPECT_EQ(ann->partner->dispname, "Schmidt");
    DispNamesApart();  // the same again, not a second initial
    EXPECT_EQ(gerd->dispname, "Weiß G");
    // Whatever the roster: two dancers show one name only when their other names begin alike.
    std::mt19937 rng(7);
    const char* pool[] = {"Ann", "Anna", "Bob", "Öle", "Ole"};
    for (int round = 0; round < 50; ++round) {
        ClearDancers();
        for (int i = 0; i < 6; ++i) AddDancer(pool[rng() % 5], pool[rng() % 5], M);
        dispnamestyle = rng() % 2 ? LASTNAME : FIRSTNAME;
        SetupDispNames();
        for (SqrDancer* a = sdhd; a; a = a->nxt)
            for (SqrDancer* b = a->nxt; b; b = b->nxt)
                if (a->dispname == b->dispname) {
                    const std::string& x = dispnamestyle == LASTNAME ? a->firstname : a->lastname;
                    const std::string& y = dispnamestyle == LASTNAME ? b->firstname : b->lastname;
                    EXPECT_EQ(x.substr(0, x[0] & 0x80 ? 2 : 1), y.substr(0, y[0] & 0x80 ? 2 : 1)) << a->dispname;
                }
    }
    if (!de) GTEST_SKIP() << "no de_DE.UTF-8 locale here: the language's order is unchecked";
    freelocale(de);
}
