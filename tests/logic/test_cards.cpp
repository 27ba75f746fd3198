// SPDX-License-Identifier: GPL-3.0-or-later
// Cards and anonymous dancers without a screen: check-in by card, anonymous couples and
// singles made and re-typed from cards, cards moved between dancers and command cards.
#include <gtest/gtest.h>

#include <random>

#include "core/swipe.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "test_clubfile_util.h"

namespace {

using Cards = Evening;

SqrDancer* Named(const std::string& last) {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname == last) return sd;
    return nullptr;
}

TEST_F(Cards, CheckInAndOutByCard) {
    pgmfloor = Plus;
    maxdances = 4;
    SqrDancer* ann = AddCouple("Ann", "Bob", "Smith", F, Basic);
    SqrDancer* bob = ann->partner;
    ann->avail = 0;
    CardPresenceFlip(ann);  // a late arrival: one tip behind, raised to the club's level
    EXPECT_EQ(ann->avail, 1);
    EXPECT_EQ(ann->dances, 3);
    EXPECT_EQ(ann->pgm, Plus);
    EXPECT_EQ(bob->avail, 1);  // a named partner does not follow
    bob->pgm = Basic;
    CardPresenceFlip(ann);
    EXPECT_EQ(ann->avail, 0);
    EXPECT_EQ(bob->avail, 1);
    EXPECT_EQ(ann->dances, 3);

    // The halves of an anonymous couple share the card; the partner follows the holder even
    // when the two were out of step.
    SqrDancer* m = AnonForCard(4100000001, NOSEX, Basic, false);
    SqrDancer* f = m->partner;
    f->avail = 0;
    CardPresenceFlip(m);
    EXPECT_EQ(m->avail, 0);
    EXPECT_EQ(f->avail, 0);
    CardPresenceFlip(m);
    EXPECT_EQ(m->avail, 1);
    EXPECT_EQ(f->avail, 1);
    EXPECT_EQ(m->pgm, Plus);  // raised at every swipe, out or in
}

TEST_F(Cards, AnonymousDancersMadeAndRetypedFromCards) {
    // Three new cards as couples: Couple#001..003, six records, the card on the M half.
    for (uint64_t c = 1; c <= 3; ++c) AnonForCard(4100000000 + c, NOSEX, A1, false);
    EXPECT_EQ(RosterCount(), 6);
    EXPECT_EQ(anoncnt, 3);
    EXPECT_EQ(anoncounts[5], 3);
    SqrDancer* c2 = RfidFind(4100000002);
    ASSERT_NE(c2, nullptr);
    EXPECT_EQ(c2->firstname + " " + c2->lastname, "M Couple#002");
    EXPECT_EQ(c2->partner->firstname + " " + c2->partner->lastname, "F Couple#002");
    EXPECT_EQ(c2->partner->rfid, 0u);
    EXPECT_EQ(c2->pgm, A1);

    // The card window's E button for Couple#002's card: Sngl#002, the other half is gone.
    SqrDancer* s = AnonForCard(4100000002, E, Basic, true);
    EXPECT_EQ(s, c2);
    EXPECT_EQ(s->firstlast, "E Sngl#002");
    EXPECT_EQ(s->sex, E);
    EXPECT_EQ(s->partner, nullptr);
    EXPECT_EQ(s->pgm, A1);  // keeps its level with its number
    EXPECT_EQ(RosterCount(), 5);
    EXPECT_EQ(anoncounts[5], 2);
    EXPECT_EQ(anoncounts[E], 1);

    // The multi-card window re-types with a new number and level; the card stays the
    // dancer's, so the next swipe finds it again instead of making a second holder.
    SqrDancer* again = AnonForCard(4100000002, F, C1, false);
    EXPECT_EQ(again, s);
    EXPECT_EQ(s->firstlast, "F Sngl#004");
    EXPECT_EQ(s->pgm, C1);
    EXPECT_EQ(anoncounts[E], 0);
    EXPECT_EQ(anoncounts[F], 1);
    EXPECT_EQ(AnonForCard(4100000002, F, C1, false), s);
    EXPECT_EQ(RosterCount(), 5);
    EXPECT_EQ(CardTableFaults(), "");

    // A named holder loses the card to a new couple; a named partner of an anonymous single
    // is neither renamed nor deleted when that single is re-typed.
    SqrDancer* joe = AddDancer("Joe", "Named", M);
    joe->rfid = 4100000009;
    RfidInsert(joe);
    SqrDancer* cpl = AnonForCard(4100000009, NOSEX, Basic, true);
    EXPECT_EQ(joe->rfid, 0u);
    EXPECT_EQ(cpl->lastname, "Couple#006");
    SqrDancer* ann = AddDancer("Ann", "Named", F);
    ann->partner = s;
    s->partner = ann;
    AnonForCard(4100000002, NOSEX, Basic, true);
    EXPECT_EQ(Named("Named"), joe);
    EXPECT_EQ(ann->firstlast, "Ann Named");
    EXPECT_EQ(ann->partner, nullptr);
    EXPECT_EQ(s->partner->lastname, "Couple#005");  // a half of its own, its number kept
    AnonForCard(4100000002, M, Basic, true);
    EXPECT_EQ(ann->firstlast, "Ann Named");
    EXPECT_EQ(CardTableFaults(), "");
    int how = 0;
    NameTrieFind("E", "Sngl#002", &how);  // an old full name leads nowhere
    EXPECT_NE(how, 1);
}

TEST_F(Cards, ACardIsOneDancersOrACommandNeverBoth) {
    SqrDancer* a = AddDancer("Ann", "Adams", F);
    SqrDancer* b = AddDancer("Bob", "Baker", M);
    speccard[SPECCARD_INFO] = speccard[SPECCARD_C4] = 4100000005;
    RfidGive(a, 4100000005);  // a new dancer's card that was a command card
    EXPECT_EQ(speccard[SPECCARD_INFO], 0u);
    EXPECT_EQ(speccard[SPECCARD_C4], 0u);
    RfidGive(b, 4100000005);
    RfidGive(b, 4100000006);  // the old card leaves the table
    EXPECT_EQ(a->rfid, 0u);
    EXPECT_EQ(RfidFind(4100000005), nullptr);
    EXPECT_EQ(CardTableFaults(), "");

    // A card set aside for a command comes back only while it is nobody's and no command.
    zflagpending = a;
    zflagpendingrfid = 4100000007;
    speccard[PRESENT_ROLL] = 4100000007;
    RfidPendingRestore();
    EXPECT_EQ(a->rfid, 0u);
    EXPECT_EQ(zflagpending, nullptr);
    zflagpending = a;
    zflagpendingrfid = 4100000008;
    RfidPendingRestore();
    EXPECT_EQ(RfidFind(4100000008), a);
    // A pending dancer who is deleted is forgotten.
    zflagpending = b;
    zflagpendingrfid = 4100000009;
    DelDancer(b);
    EXPECT_EQ(zflagpending, nullptr);
    EXPECT_EQ(zflagpendingrfid, 0u);
    EXPECT_EQ(CardTableFaults(), "");
}

using CardsInClubFile = ClubFileTest;

TEST_F(CardsInClubFile, ADancersCardThatIsACommandCardStaysACommandCard) {
    ReadText("speccard= 4100000001 4100000002\n"
             "Ann Adams f L 0 1 Basic +4100000001\n"
             "Bob Baker m L 0 1 Basic +4100000003\n");
    EXPECT_EQ(speccard[PRESENT_ROLL], 4100000001u);
    EXPECT_EQ(sdhd->rfid, 0u);
    EXPECT_EQ(RfidFind(4100000003), sdtl);
    EXPECT_EQ(CardTableFaults(), "");
}

}  // namespace

// A card reader's ten digits and Enter are told from a person's typing by their speed alone:
// every reader burst (a fast reader or one at 40 ms a key with late keys, however it is mixed
// with typing) is one card, taken whole; no key a person typed (100 ms a key or slower) is
// taken or lost, and the keys come out in the order typed.
TEST(SwipeGate, ReaderBurstsAreCardsAndTypingStaysTyping) {
    std::mt19937 rng(5);
    for (int round = 0; round < 500; ++round) {
        SwipeGate gate;
        std::string typed, delivered, held, cards, expectcards;
        uint32_t t = rng();  // event times wrap around
        auto feed = [&](char c, uint32_t gap) {
            t += gap;
            int release = 0;
            SwipeGate::Verdict v = gate.Key(c, t, &release);
            ASSERT_LE((size_t)release, held.size());
            delivered += held.substr(0, (size_t)release);
            held.erase(0, (size_t)release);
            (v == SwipeGate::PASS ? delivered : held) += c;
            // A card: the digits held, as the gate tells them.
            if (v == SwipeGate::SWIPE) cards += (held == gate.card() + c ? gate.card() : "?") + ";", held.clear();
        };
        for (int part = 0; part < 4; ++part) {
            if (rng() % 2) {  // a swipe: digits up to 60 ms apart, Enter soon after
                std::string card;
                uint32_t pace = rng() % 2 ? 16 : 50;  // a quick reader, or a slow one with late keys
                for (int i = 0; i < 10; ++i) feed((card += (char)('0' + rng() % 10)).back(), i ? rng() % pace + (rng() % 9 ? 0 : 10) : 300 + rng() % 2000);
                feed('\r', rng() % 60);
                expectcards += card + ";";
            } else {  // a person, a fast one too: digits (a card number), letters and Enter
                bool fast = rng() % 2;
                for (int i = 0, n = 1 + (int)(rng() % 14); i <= n; ++i) {
                    char c = fast ? (i < n ? (char)('0' + rng() % 10) : '\r')
                                  : rng() % 4 ? (char)('0' + rng() % 10) : rng() % 2 ? '\r' : 'a';
                    typed += c;
                    feed(c, fast ? 100 + rng() % 30 : 100 + rng() % 400);
                }
                if (rng() % 2) delivered += held.substr(0, (size_t)gate.Expire()), held.clear();  // a pause
            }
        }
        delivered += held.substr(0, (size_t)gate.Expire());
        EXPECT_EQ(cards, expectcards);
        EXPECT_EQ(delivered, typed);
        if (HasFailure()) break;
    }
}
