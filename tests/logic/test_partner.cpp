// SPDX-License-Identifier: GPL-3.0-or-later
// Partner search: class order before role preference, the passes within a class, who may
// be taken, the indexed search against the plain scan, and repairing couples' links.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "assign/assign.h"
#include "assign/partnerindex.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/rndm.h"
#include "test_assign_util.h"

namespace {
class Partner : public Evening {
protected:
    std::vector<std::vector<SqrDancer*>> members;
    std::vector<std::vector<int>> decks;
    std::vector<Priority> prio;

    // Classes in the given order; each class's deck is its listed order.
    Priority* Classes(std::vector<std::vector<SqrDancer*>> cls) {
        members = std::move(cls);
        decks.clear();
        prio.assign(members.size(), Priority{});
        for (size_t k = 0; k < members.size(); ++k) {
            decks.emplace_back();
            for (size_t i = 0; i < members[k].size(); ++i) decks[k].push_back(static_cast<int>(i));
            prio[k].qty = static_cast<int>(members[k].size());
            prio[k].sd = members[k].empty() ? nullptr : members[k].data();
            prio[k].deck = members[k].empty() ? nullptr : decks[k].data();
        }
        qtyprio = static_cast<int>(prio.size());
        return prio.data();
    }
    void TearDown() override {
        qtyprio = 0;
        Evening::TearDown();
    }
};
}  // namespace

TEST_F(Partner, PassOneBeatsPassFourInTheSameClass) {
    SqrDancer* e = AddDancer("Eve", "E", E);
    SqrDancer* f = AddDancer("Fay", "F", F);
    Priority* p = Classes({{e, f}});
    EXPECT_EQ(LookForPartner(M, p), f);
}

TEST_F(Partner, ABetterClassWinsOverABetterRole) {
    SqrDancer* e = AddDancer("Eve", "E", E);
    SqrDancer* f = AddDancer("Fay", "F", F);
    Priority* p = Classes({{e}, {f}});
    EXPECT_EQ(LookForPartner(M, p), e);
}

TEST_F(Partner, SameRoleOnlyGivesNull) {
    SqrDancer* a = AddDancer("Ann", "F", F);
    SqrDancer* b = AddDancer("Bea", "F", F);
    Priority* p = Classes({{}, {a}, {b}});
    EXPECT_EQ(LookForPartner(F, p), nullptr);
    EXPECT_EQ(LookForPartner(M, p), a);
}

TEST_F(Partner, CoupleMembersArePassedOver) {
    SqrDancer* c = AddCouple("Cal", "Cat", "Couple");
    SqrDancer* s = AddDancer("Sam", "Single", M);
    Priority* p = Classes({{c, c->partner, s}});
    EXPECT_EQ(LookForPartner(E, p), s);
}

TEST_F(Partner, PlacedAbsentAndBelowFloorAreNotTaken) {
    pgmfloor = Main;
    SqrDancer* placed = AddDancer("P", "X", F, Plus);
    placed->assigned = 1;
    SqrDancer* away = AddDancer("A", "X", F, Plus);
    away->avail = 0;
    SqrDancer* low = AddDancer("L", "X", F, Basic);
    SqrDancer* ok = AddDancer("O", "X", F, Plus);
    Priority* p = Classes({{placed, away, low, ok}});
    EXPECT_EQ(LookForPartner(M, p), ok);
}

TEST_F(Partner, RolePreferencesOfEachSeeker) {
    SqrDancer* e = AddDancer("e", "x", E);
    SqrDancer* mf = AddDancer("mf", "x", MF);
    SqrDancer* fm = AddDancer("fm", "x", FM);
    SqrDancer* m = AddDancer("m", "x", M);
    SqrDancer* f = AddDancer("f", "x", F);
    Priority* p = Classes({{e, mf, fm, m, f}});
    EXPECT_EQ(LookForPartner(M, p), f);     // pass 1
    EXPECT_EQ(LookForPartner(F, p), m);     // pass 1
    EXPECT_EQ(LookForPartner(MF, p), fm);   // pass 3: F side first (fm before f in deck)
    EXPECT_EQ(LookForPartner(FM, p), mf);   // pass 3: M side
    EXPECT_EQ(LookForPartner(E, p), e);     // anyone, first in deck
    EXPECT_EQ(LookForPartner(NOSEX, p), nullptr);
    f->assigned = 1;
    EXPECT_EQ(LookForPartner(M, p), fm);    // pass 2
    m->assigned = 1;
    EXPECT_EQ(LookForPartner(F, p), mf);    // pass 2
    fm->assigned = 1;
    EXPECT_EQ(LookForPartner(M, p), e);     // pass 4 takes the first of MF, FM, E
    EXPECT_EQ(LookForPartner(MF, p), e);    // pass 5 after pass 3 failed
}

TEST_F(Partner, MNeverGetsMAndFNeverGetsF) {
    std::vector<SqrDancer*> ms = assigntest::Singles(3, M, "m");
    Priority* p = Classes({ms});
    EXPECT_EQ(LookForPartner(M, p), nullptr);
    EXPECT_EQ(LookForPartner(F, p), ms[0]);
}

// The index used during a roll must give exactly the scan's answer at every step, for any
// pattern of placements. Random classes, random seekers, random placements in between.
TEST_F(Partner, IndexedSearchEqualsPlainScanOnRandomClasses) {
    std::mt19937 rng(12345);
    long compared = 0;
    for (int round = 0; round < 300; ++round) {
        ResetEvening();
        int n = 1 + static_cast<int>(rng() % 60);
        int ncls = 1 + static_cast<int>(rng() % 6);
        std::vector<std::vector<SqrDancer*>> cls(static_cast<size_t>(ncls));
        for (int i = 0; i < n; ++i) {
            SqrDancer* sd = AddDancer("d" + std::to_string(i), "r", static_cast<SDSEX>(rng() % 6));
            if (rng() % 7 == 0) sd->avail = 0;
            if (rng() % 9 == 0) sd->assigned = 2;
            cls[rng() % static_cast<unsigned>(ncls)].push_back(sd);
        }
        for (auto& c : cls)  // some couples among them
            for (size_t i = 0; i + 1 < c.size(); i += 5) {
                c[i]->partner = c[i + 1];
                c[i + 1]->partner = c[i];
            }
        Priority* p = Classes(cls);
        for (size_t k = 0; k < decks.size(); ++k) std::shuffle(decks[k].begin(), decks[k].end(), rng);
        PartnerIndexBuild(p, qtyprio);
        for (int step = 0; step < 3 * n; ++step) {
            SDSEX seeker = static_cast<SDSEX>(rng() % 6);
            SqrDancer* fast = LookForPartner(seeker, p);
            SqrDancer* scan = LookForPartnerScan(seeker, p, qtyprio);
            ASSERT_EQ(fast, scan) << "round " << round << " step " << step;
            ++compared;
            if (fast && rng() % 2) fast->assigned = 2;  // the deal takes it
            if (rng() % 3 == 0) {                       // or somebody is dealt in turn
                auto& c = cls[rng() % cls.size()];
                if (!c.empty()) c[rng() % c.size()]->assigned = 1;
            }
        }
        PartnerIndexDrop();
    }
    EXPECT_GT(compared, 10000);
}

TEST_F(Partner, IndexedSearchEqualsPlainScanInsideRealRolls) {
    std::mt19937 rng(777);
    long checks = 0, mismatches = 0;
    for (int round = 0; round < 40; ++round) {
        ResetEvening();
        partnercheck = 1;
        int n = 8 + static_cast<int>(rng() % 150);
        for (int i = 0; i < n; ++i) {
            if (rng() % 3 == 0) {
                AddCouple("a" + std::to_string(i), "b" + std::to_string(i), "c" + std::to_string(i),
                          static_cast<SDSEX>(rng() % 5));
            } else {
                SqrDancer* sd = AddDancer("s" + std::to_string(i), "x", static_cast<SDSEX>(rng() % 5));
                sd->priority = rng() % 5 == 0 ? MUST : LUCK;
                sd->dances = static_cast<int>(rng() % 4);
                sd->avail = rng() % 10 != 0;
            }
        }
        set_rndm(static_cast<int64_t>(rng()), 1, 2);
        for (int t = 0; t < 4; ++t) assigntest::Tip();
        checks += partnerchecks;
        mismatches += partnermismatches;
    }
    EXPECT_GT(checks, 1000);
    EXPECT_EQ(mismatches, 0);
    partnercheck = 0;
}

TEST_F(Partner, RePartnerRestoresTheLinkOfAnAbsentPartnersCouple) {
    SqrDancer* bob = AddCouple("Bob", "Ann", "Smith");
    SqrDancer* ann = bob->partner;
    bob->partner = nullptr;  // as a roll leaves it when Ann was absent
    RePartner();
    EXPECT_EQ(bob->partner, ann);
    EXPECT_EQ(ann->partner, bob);
}

TEST_F(Partner, RePartnerLetsTheLaterDancerWinAndKeepsLinksMutual) {
    SqrDancer* a = AddDancer("A", "x", M);
    SqrDancer* b = AddDancer("B", "x", F);
    SqrDancer* c = AddDancer("C", "x", M);
    a->partner = b;
    c->partner = b;
    RePartner();
    EXPECT_EQ(b->partner, c);
    EXPECT_EQ(c->partner, b);
    EXPECT_EQ(a->partner, nullptr);
    SqrDancer* self = AddDancer("S", "x", E);
    self->partner = self;
    RePartner();
    EXPECT_EQ(self->partner, nullptr);
}
