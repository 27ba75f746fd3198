// SPDX-License-Identifier: GPL-3.0-or-later
// Scenarios of the assignment engine and the tip history, checked against outcomes worked
// out independently: a whole roll predicted from the generator's draws, the role tables of
// the partner search and of recruiting, the swap rules of tagging, the tag command's slot
// order, skip and must-once requests across tips, and the history's snapshots and paging.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "assign/assign.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/helmtext.h"
#include "support/rndm.h"
#include "support/screen_recorder.h"
#include "test_assign_util.h"

using namespace assigntest;

namespace {
class Scenario : public Evening {
protected:
    void SetUp() override {
        Evening::SetUp();
        set_rndm(31, 41, 59);
    }
    void TearDown() override {
        qtyprio = 0;
        sanitypauseseconds = 2;
        Evening::TearDown();
    }
};

bool Qual(const SqrDancer* sd) {
    return sd->avail && static_cast<unsigned>(sd->pgm) >= static_cast<unsigned>(pgmfloor);
}

// ---- a roll predicted step by step, written from the rules, not from the engine --------
// Accepted roles per pass for each seeker; a pass that does not apply is left out.
std::vector<std::set<SDSEX>> PassesFor(SDSEX seeker) {
    switch (seeker) {
    case M: return {{F}, {FM}, {F, FM}, {MF, FM, E}};
    case F: return {{M}, {MF}, {M, MF}, {MF, FM, E}};
    case MF: return {{F, FM}, {M, F, MF, FM, E, NOSEX}};
    case FM: return {{M, MF}, {M, F, MF, FM, E, NOSEX}};
    case E: return {{M, F, MF, FM, E, NOSEX}};
    default: return {};
    }
}

struct Predicted {
    bool null = false;
    int totsquare = 0;
    std::vector<std::vector<SqrDancer*>> squares;  // slot by slot
    std::map<SqrDancer*, int> dances;
};

// Consumes the generator exactly as the roll must: one deck per non-empty class in class
// order, then one starting square.
Predicted Predict(const std::vector<SqrDancer*>& outlist) {
    Predicted r;
    int size = squaresize < 1 ? 8 : squaresize;
    std::map<SqrDancer*, SqrDancer*> partner;
    std::vector<SqrDancer*> roster;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        roster.push_back(sd);
        partner[sd] = sd->partner;
        r.dances[sd] = sd->dances;
    }
    int totavail = 0;
    for (SqrDancer* sd : roster) {
        if (!Qual(sd)) continue;
        ++totavail;
        SqrDancer*& p = partner[sd];
        if (p && !Qual(p)) p = nullptr;
        if (p && p->avail) partner[p] = sd;
    }
    if (totavail < size) {
        r.null = true;
        return r;
    }
    int tot = totavail / size;
    std::vector<SqrDancer*> bydances;
    for (SqrDancer* sd : roster)
        if (Qual(sd)) bydances.push_back(sd);
    std::sort(bydances.begin(), bydances.end(), [](SqrDancer* a, SqrDancer* b) {
        if (a->dances != b->dances) return a->dances < b->dances;
        return a->lastname + " " + a->firstname < b->lastname + " " + b->firstname;
    });
    int mind = bydances.front()->dances;
    int dancesprio = bydances.back()->dances - mind + 1;
    int nprio = 2 * dancesprio;
    std::vector<std::vector<SqrDancer*>> cls(static_cast<size_t>(nprio));
    auto kprio = [&](SqrDancer* sd) { return (static_cast<int>(sd->priority) / 2) * dancesprio + sd->dances - mind; };
    for (SqrDancer* sd : bydances) cls[static_cast<size_t>(kprio(sd))].push_back(sd);
    std::map<SDSEX, int> cnt;
    for (SqrDancer* sd : roster)
        if (Qual(sd)) ++cnt[sd->sex];
    int others = cnt[F] + cnt[MF] + cnt[FM] + cnt[E];
    if (cnt[M] - others > 0) tot = std::min(tot, 2 * others / size);
    others = cnt[M] + cnt[MF] + cnt[FM] + cnt[E];
    if (cnt[F] - others > 0) tot = std::min(tot, 2 * others / size);
    if (maxsquares > 0 && tot > maxsquares) tot = maxsquares;
    std::vector<std::vector<int>> deck(static_cast<size_t>(nprio));
    for (int k = 0; k < nprio; ++k)
        if (!cls[k].empty()) {
            int* d = setdeck(static_cast<int>(cls[k].size()));
            deck[k].assign(d, d + cls[k].size());
            free(d);
        }
    for (size_t n = 0; n < outlist.size(); ++n) {
        SqrDancer* sd = outlist[n];
        if (!Qual(sd)) continue;
        auto& dk = deck[static_cast<size_t>(kprio(sd))];
        auto& cl = cls[static_cast<size_t>(kprio(sd))];
        for (size_t p = 0; p < dk.size(); ++p)
            if (cl[static_cast<size_t>(dk[p])] == sd) {
                if (n < dk.size() && n != p) std::swap(dk[p], dk[n]);
                break;
            }
    }
    long isqr = urndm(0, tot - 1);
    r.totsquare = tot;
    r.squares.assign(static_cast<size_t>(tot), {});
    std::set<SqrDancer*> placed;
    auto qualifies = [&](SqrDancer* c) { return !placed.count(c) && !partner[c] && Qual(c); };
    int cursqd = 0;
    for (int k = 0; k < nprio; ++k)
        for (size_t i = 0; i < deck[k].size() && cursqd < tot * size; ++i) {
            SqrDancer* cand = cls[k][static_cast<size_t>(deck[k][i])];
            if (placed.count(cand)) continue;
            isqr = (isqr + 1) % tot;
            auto& s = r.squares[static_cast<size_t>(isqr)];
            s.push_back(cand);
            placed.insert(cand);
            ++r.dances[cand];
            SqrDancer* mate = partner[cand];
            if (!mate) {
                for (int kk = 0; kk < nprio && !mate; ++kk)
                    for (const std::set<SDSEX>& pass : PassesFor(cand->sex)) {
                        for (int di : deck[kk]) {
                            SqrDancer* c = cls[kk][static_cast<size_t>(di)];
                            if (qualifies(c) && pass.count(c->sex)) {
                                mate = c;
                                break;
                            }
                        }
                        if (mate) break;
                    }
            }
            s.push_back(mate);
            if (mate) {
                placed.insert(mate);
                ++r.dances[mate];
            }
            cursqd += 2;
        }
    return r;
}

void RandomRoster(std::mt19937& rng, int n) {
    for (int made = 0; made < n;) {
        SDSEX sex = static_cast<SDSEX>(rng() % 5);
        if (rng() % 3 == 0) {
            SDSEX s = sex == F ? M : sex == FM ? MF : sex;
            SqrDancer* a = AddCouple("a" + std::to_string(made), "b" + std::to_string(made), "K" + std::to_string(made), s);
            if (rng() % 6 == 0) a->partner->avail = 0;
            if (rng() % 9 == 0) a->partner->pgm = Basic, a->pgm = Plus;
            made += 2;
        } else {
            SqrDancer* sd = AddDancer("s" + std::to_string(made), "L" + std::to_string(made % 7), sex);
            if (rng() % 5 == 0) sd->priority = MUST;
            if (rng() % 9 == 0) sd->avail = 0;
            if (rng() % 4 == 0) sd->pgm = Plus;
            sd->dances = static_cast<int>(rng() % 3);
            ++made;
        }
    }
}
}  // namespace

// ---- rolling ----------------------------------------------------------------------------

TEST_F(Scenario, EveryRollMatchesTheRulesDrawForDraw) {
    std::mt19937 rng(4711);
    int compared = 0;
    for (int evening = 0; evening < 150; ++evening) {
        ResetEvening();
        RandomRoster(rng, 6 + static_cast<int>(rng() % 70));
        pgmfloor = rng() % 4 == 0 ? Main : Basic;
        maxsquares = rng() % 5 == 0 ? 1 + static_cast<int>(rng() % 2) : 0;
        squaresize = rng() % 6 == 0 ? 4 : 8;
        askflag = 1;
        set_rndm(static_cast<int64_t>(rng()), 17, static_cast<int64_t>(evening));
        for (int tip = 0; tip < 4; ++tip) {
            std::vector<SqrDancer*> outlist;
            for (OutDancer* od = outdancerhd; od; od = od->nxt) outlist.push_back(od->sd);
            int64_t a, b, c;
            get_rndm(&a, &b, &c);
            Predicted want = Predict(outlist);
            int64_t x, y, z;
            get_rndm(&x, &y, &z);
            set_rndm(a, b, c);
            Square* got = RollSquares();
            int64_t u, v, w;
            get_rndm(&u, &v, &w);
            ASSERT_EQ(std::vector<int64_t>({u, v, w}), std::vector<int64_t>({x, y, z}))
                << "the roll drew differently from the generator, evening " << evening;
            if (want.null) {
                ASSERT_EQ(got, nullptr);
                break;
            }
            ASSERT_NE(got, nullptr);
            ASSERT_EQ(totsquare, want.totsquare) << "evening " << evening << " tip " << tip;
            for (int i = 0; i < totsquare; ++i) {
                ASSERT_EQ(sqr[i].qty, static_cast<int>(want.squares[i].size()));
                for (int j = 0; j < sqr[i].qty; ++j)
                    ASSERT_EQ(sqr[i].dancer[j], want.squares[i][j])
                        << "evening " << evening << " tip " << tip << " square " << i << " slot " << j;
            }
            for (auto& [sd, d] : want.dances) ASSERT_EQ(sd->dances, d) << sd->firstlast;
            ++compared;
            OutDancersAfterRoll();
        }
    }
    EXPECT_GT(compared, 300);
}

TEST_F(Scenario, WithoutSquaresTheClassesAreStillShuffledAndOneStartIsDrawn) {
    // Only men: the balance leaves no square; decks for "must 0 dances", "luck 0" and
    // "luck 1" are still drawn in class order, then the start square with 0..-1.
    for (int i = 0; i < 3; ++i) AddDancer("mu" + std::to_string(i), "M", M, Basic, MUST);
    for (int i = 0; i < 9; ++i) AddDancer("l" + std::to_string(i), "M", M);
    for (int i = 0; i < 4; ++i) AddDancer("h" + std::to_string(i), "M", M)->dances = 1;
    set_rndm(2, 7, 1);
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(totsquare, 0);
    int64_t a, b, c, x, y, z;
    get_rndm(&a, &b, &c);
    set_rndm(2, 7, 1);
    for (int n : {3, 9, 4}) free(setdeck(n));
    urndm(0, -1);
    get_rndm(&x, &y, &z);
    EXPECT_EQ(a, x);
    EXPECT_EQ(b, y);
    EXPECT_EQ(c, z);
}

TEST_F(Scenario, TheFirstDancerDealtGoesToTheSquareAfterTheRandomStart) {
    // 24 singles of role E with equal standing: one class, three squares. Replaying the
    // draws gives the deck and the start; dealing then runs round robin from start + 1.
    std::vector<SqrDancer*> v = Singles(24, E, "e");
    for (int seed = 1; seed < 25; ++seed) {
        for (SqrDancer* sd : v) sd->dances = 0;
        set_rndm(seed, 3, 9);
        int* deck = setdeck(24);
        long start = urndm(0, 2);
        set_rndm(seed, 3, 9);
        ASSERT_NE(RollSquares(), nullptr);
        ASSERT_EQ(totsquare, 3);
        // Sorted by last name, blank, first name: e0, e1, e10.. as texts.
        std::vector<SqrDancer*> order(v);
        std::sort(order.begin(), order.end(),
                  [](SqrDancer* a, SqrDancer* b) { return a->lastname + " " + a->firstname < b->lastname + " " + b->firstname; });
        SqrDancer* first = order[static_cast<size_t>(deck[0])];
        EXPECT_EQ(first->square, (start + 1) % 3);
        EXPECT_EQ(first->posn, 0);
        EXPECT_EQ(first->assigned, 1);
        // Its partner is the next single of the deck, beside it.
        SqrDancer* second = order[static_cast<size_t>(deck[1])];
        EXPECT_EQ(second->square, first->square);
        EXPECT_EQ(second->posn, 1);
        EXPECT_EQ(second->assigned, 2);
        EXPECT_EQ(first->tmppartner, second);
        EXPECT_EQ(second->tmppartner, first);
        SqrDancer* third = order[static_cast<size_t>(deck[2])];
        EXPECT_EQ(third->square, (start + 2) % 3);
        free(deck);
    }
}

TEST_F(Scenario, ARollMakesAPresentCouplesLinksMutual) {
    SqrDancer* a = AddDancer("Al", "One", M);
    SqrDancer* b = AddDancer("Bo", "One", F);
    a->partner = b;  // b's link is missing
    for (int i = 0; i < 3; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i));
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(b->partner, a);
    EXPECT_EQ(a->square, b->square);
    EXPECT_EQ(a->posn ^ 1, b->posn);
}

TEST_F(Scenario, MaxDancesFollowsTheRollAndDancesGrowByOnePerPlacedDancer) {
    Singles(8, E, "e");
    SqrDancer* late = AddDancer("Late", "Comer", E);
    late->avail = 0;
    late->dances = 9;  // absent: not counted
    Tip();
    EXPECT_EQ(maxdances, 1);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd != late) {
            EXPECT_EQ(sd->dances, 1);
        }
    EXPECT_EQ(late->dances, 9);
}

TEST_F(Scenario, SanityCheckReportsPresentDancersBelowTheLevel) {
    sanitypauseseconds = 0;
    pgmfloor = Plus;
    for (int i = 0; i < 4; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i), M, Plus);
    SqrDancer* low = AddDancer("Lo", "Level", E, Main);
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(low->square, -1);
    RollSqrSanity();
    EXPECT_EQ(rollsanityfailed, 1);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "sd<" + low->dispname + "> has pgm<Main> < pgmfloor<Plus>\n");
    low->avail = 0;  // absent: no longer a fault
    screen::clear();
    RollSqrSanity();
    EXPECT_EQ(rollsanityfailed, 0);
    EXPECT_TRUE(screen::warnings.empty());
}

// ---- partner search ---------------------------------------------------------------------

TEST_F(Scenario, PartnerRoleTableForOneCandidateOfEachRole) {
    // For each seeker and a lone candidate of each role: who may dance beside whom.
    const SDSEX roles[] = {M, F, MF, FM, E, NOSEX};
    const char* accept[] = {
        // candidate:  M  F  MF FM E  NOSEX
        /* M  */ "011110",
        /* F  */ "101110",
        /* MF */ "111111",
        /* FM */ "111111",
        /* E  */ "111111",
        /* NOSEX */ "000000",
    };
    for (int s = 0; s < 6; ++s)
        for (int c = 0; c < 6; ++c) {
            ResetEvening();
            SqrDancer* cand = AddDancer("c", "x", roles[c]);
            std::vector<SqrDancer*> members{cand};
            std::vector<int> deck{0};
            Priority p;
            p.qty = 1;
            p.sd = members.data();
            p.deck = deck.data();
            qtyprio = 1;
            SqrDancer* got = LookForPartner(roles[s], &p);
            EXPECT_EQ(got != nullptr, accept[s][c] == '1') << "seeker " << s << " candidate " << c;
        }
}

TEST_F(Scenario, SideSeekersTakeTheirSideFirstThenAnybody) {
    SqrDancer* e = AddDancer("e", "x", E);
    SqrDancer* m = AddDancer("m", "x", M);
    SqrDancer* f = AddDancer("f", "x", F);
    SqrDancer* mf = AddDancer("mf", "x", MF);
    std::vector<SqrDancer*> members{e, m, f, mf};
    std::vector<int> deck{0, 1, 2, 3};
    Priority p;
    p.qty = 4;
    p.sd = members.data();
    p.deck = deck.data();
    qtyprio = 1;
    EXPECT_EQ(LookForPartner(MF, &p), f);   // F side before the E ahead of it
    EXPECT_EQ(LookForPartner(FM, &p), m);   // M side (M before MF in the deck)
    f->assigned = 2;
    EXPECT_EQ(LookForPartner(MF, &p), e);   // no F side left: the first of anybody
    m->assigned = 2;
    EXPECT_EQ(LookForPartner(FM, &p), mf);  // pass 3 still finds the MF behind the E
    EXPECT_EQ(LookForPartner(F, &p), mf);   // F: pass 2 (MF) before pass 4 (E)
    mf->assigned = 2;
    EXPECT_EQ(LookForPartner(F, &p), e);
}

// ---- asking and out-dancers ---------------------------------------------------------------

TEST_F(Scenario, RecruitingRoleTable) {
    const SDSEX roles[] = {M, F, MF, FM, E, NOSEX};
    const char* accept[] = {"011110", "101110", "111111", "111111", "111111", "000000"};
    askflag = 1;
    for (int s = 0; s < 6; ++s)
        for (int c = 0; c < 6; ++c) {
            ResetEvening();
            SqrDancer* seeker = AddDancer("s", "x", roles[s]);
            SqrDancer* out = AddDancer("o", "x", roles[c]);
            OutDancerMake(out);
            EXPECT_EQ(AttemptAssignAsk(seeker, 1), accept[s][c] == '1' ? 1 : 0) << s << " " << c;
            EXPECT_EQ(outdancerhd->assigned, accept[s][c] == '1' ? 1 : 0);
        }
}

TEST_F(Scenario, AskingOffAfterARealRollRecruitsFromSittingOutCouples) {
    // Four must singles of role M are dealt first and find no single partner (couple
    // members are never taken by the partner search): one square of four M beside four
    // empty slots, all four couples sit out. With asking off each M recruits the first
    // compatible out-dancer in name order: the women of the couples.
    askflag = 0;
    std::vector<SqrDancer*> solo;
    for (int i = 0; i < 4; ++i) solo.push_back(AddDancer("Solo" + std::to_string(i), "Zed", M, Basic, MUST));
    for (int i = 0; i < 4; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "Cpl" + std::to_string(i));
    ASSERT_NE(RollSquares(), nullptr);
    ASSERT_EQ(totsquare, 1);
    for (SqrDancer* sd : solo) {
        EXPECT_EQ(sd->square, 0);
        EXPECT_EQ(sqr[0].dancer[sd->posn + 1], nullptr);
    }
    EXPECT_EQ(sqr[0].qty, 8);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->partner) sd->display = 0;
    SortByName();
    OutDancerCollect();
    std::vector<SqrDancer*> out;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) out.push_back(od->sd);
    ASSERT_EQ(out.size(), 8u);
    OutDancerAskAll();
    SqrDancer* firstsolo = nullptr;
    for (SqrDancer* sd = sdhd; sd && !firstsolo; sd = sd->nxt)
        if (sd->assigned == 1 && !sd->partner) firstsolo = sd;
    SqrDancer* firstwoman = nullptr;
    for (SqrDancer* sd : out)
        if (!firstwoman && sd->sex == F) firstwoman = sd;
    ASSERT_NE(firstsolo, nullptr);
    EXPECT_EQ(firstsolo->tmppartner, firstwoman);
    std::set<int> posns;
    for (SqrDancer* sd : solo) {
        SqrDancer* r = sd->tmppartner;
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->sex, F);
        EXPECT_EQ(r->tmppartner, sd);
        EXPECT_EQ(r->assigned, 3);
        EXPECT_EQ(r->square, 0);
        EXPECT_EQ(r->dances, 0);
        EXPECT_EQ(r->partner->display, 1);  // its partner, sitting out, is shown again
        posns.insert(r->posn);
        for (int j = 0; j < 8; ++j) EXPECT_NE(sqr[0].dancer[j], r);
    }
    EXPECT_EQ(posns, std::set<int>({9, 10, 11, 12}));  // each the square's new count
    EXPECT_EQ(sqr[0].qty, 12);
    int left = 0;
    for (OutDancer* od = outdancerhd; od; od = od->nxt, ++left) {
        EXPECT_EQ(od->sd->sex, M);
        EXPECT_EQ(od->assigned, 0);
    }
    EXPECT_EQ(left, 4);
    // The tip's history still names every recruit, through the pairing.
    editmode = SQUARES;
    char** cells = static_cast<char**>(calloc(2, sizeof(char*)));
    HistorySave(cells, 1);
    for (SqrDancer* sd : solo) EXPECT_TRUE(HistoryNames(histtl, sd->tmppartner));
}

TEST_F(Scenario, TheOutDancerListHoldsTheSitOutsInRosterOrder) {
    pgmfloor = SSD;
    for (int i = 0; i < 5; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i), M, Plus);
    SqrDancer* away = AddDancer("Away", "Zz", E, Plus);
    away->avail = 0;
    AddDancer("Low", "Zz", E, Basic);
    ASSERT_NE(RollSquares(), nullptr);
    OutDancersAfterRoll();
    std::vector<SqrDancer*> want;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (Qual(sd) && sd->assigned == 0) want.push_back(sd);
    std::vector<SqrDancer*> got;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) got.push_back(od->sd);
    EXPECT_EQ(got, want);
    ASSERT_EQ(got.size(), 2u);  // one couple of five sits out; the absent and the low never count
    EXPECT_EQ(got[0]->partner, got[1]);
}

// ---- square tagging ---------------------------------------------------------------------

namespace {
// Two squares of four places built by hand; every dancer placed with its square and slot.
struct Board {
    std::vector<SqrDancer*> d;  // 8 dancers: square 0 slots 0..3, square 1 slots 0..3
    Board() {
        squaresize = 4;
        totsquare = 2;
        sqr = static_cast<Square*>(calloc(2, sizeof(Square)));
        for (int i = 0; i < 2; ++i) {
            sqr[i].square = i;
            sqr[i].qty = 4;
            sqr[i].dancer = static_cast<SqrDancer**>(calloc(4, sizeof(SqrDancer*)));
        }
        for (int k = 0; k < 8; ++k) {
            SqrDancer* sd = AddDancer("d" + std::to_string(k), "T", k % 2 ? F : M);
            d.push_back(sd);
        }
        for (int k = 0; k < 8; k += 2) {  // neighbours are couples
            d[k]->partner = d[k + 1];
            d[k + 1]->partner = d[k];
        }
        for (int k = 0; k < 8; ++k) {
            sqr[k / 4].dancer[k % 4] = d[k];
            d[k]->square = k / 4;
            d[k]->posn = k % 4;
            d[k]->assigned = k % 2 ? 2 : 1;
        }
    }
    std::vector<SqrDancer*> Row(int i) const { return {sqr[i].dancer, sqr[i].dancer + 4}; }
};
}  // namespace

TEST_F(Scenario, TaggedDancerTakesThePlaceOfTheFirstUntaggedPairOfTheTarget) {
    Board b;
    sqrtag[0] = SquareTag{1, nullptr, b.d[2]};  // d2 (with d3) from square 0 to square 1
    PerformSquareTagging();
    EXPECT_EQ(sqrtag[0].sqr, &sqr[1]);
    EXPECT_EQ(b.Row(0), std::vector<SqrDancer*>({b.d[0], b.d[1], b.d[4], b.d[5]}));
    EXPECT_EQ(b.Row(1), std::vector<SqrDancer*>({b.d[2], b.d[3], b.d[6], b.d[7]}));
    EXPECT_EQ(b.d[2]->square, 1);
    EXPECT_EQ(b.d[3]->square, 1);
    EXPECT_EQ(b.d[4]->square, 0);
    EXPECT_EQ(b.d[5]->square, 0);
    EXPECT_EQ(b.d[2]->tagged, 1);
    EXPECT_EQ(b.d[3]->tagged, 1);
    EXPECT_EQ(b.d[4]->tagged, 0);
}

TEST_F(Scenario, ATaggedPartnerSlotDancerReversesThePair) {
    // The tagged dancer sits in the partner slot (odd): it lands in the even slot of the
    // target, its partner beside it, and the displaced pair comes back reversed.
    Board b;
    sqrtag[0] = SquareTag{1, nullptr, b.d[3]};
    PerformSquareTagging();
    EXPECT_EQ(b.Row(0), std::vector<SqrDancer*>({b.d[0], b.d[1], b.d[5], b.d[4]}));
    EXPECT_EQ(b.Row(1), std::vector<SqrDancer*>({b.d[3], b.d[2], b.d[6], b.d[7]}));
    EXPECT_EQ(b.d[5]->square, 0);
    EXPECT_EQ(b.d[4]->square, 0);
}

TEST_F(Scenario, TaggedDancersInTheTargetAreNotDisplaced) {
    Board b;
    sqrtag[0] = SquareTag{1, nullptr, b.d[4]};  // already there: stays, and is tagged
    sqrtag[1] = SquareTag{1, nullptr, b.d[0]};  // must take the pair at slot 2, not slot 0
    PerformSquareTagging();
    EXPECT_EQ(b.Row(1), std::vector<SqrDancer*>({b.d[4], b.d[5], b.d[0], b.d[1]}));
    EXPECT_EQ(b.Row(0), std::vector<SqrDancer*>({b.d[6], b.d[7], b.d[2], b.d[3]}));
    // All even slots of the target tagged: the last one looked at is taken.
    sqrtag[2] = SquareTag{1, nullptr, b.d[2]};
    PerformSquareTagging();
    EXPECT_EQ(b.d[2]->square, 1);
    EXPECT_EQ(b.d[2]->posn, 2);
    EXPECT_EQ(b.d[0]->square, 0);
}

TEST_F(Scenario, ATemporaryPartnerMovesWithTheTaggedSingle) {
    Board b;
    b.d[6]->partner = b.d[7]->partner = nullptr;
    b.d[6]->tmppartner = b.d[7];
    b.d[7]->tmppartner = b.d[6];
    sqrtag[0] = SquareTag{0, nullptr, b.d[6]};
    PerformSquareTagging();
    EXPECT_EQ(b.d[7]->tagged, 1);
    EXPECT_EQ(b.d[6]->square, 0);
    EXPECT_EQ(b.d[7]->square, 0);
    EXPECT_EQ(b.Row(0), std::vector<SqrDancer*>({b.d[6], b.d[7], b.d[2], b.d[3]}));
    EXPECT_EQ(b.Row(1), std::vector<SqrDancer*>({b.d[4], b.d[5], b.d[0], b.d[1]}));
}

TEST_F(Scenario, TagCommandSearchesFromTheRememberedSlot) {
    std::vector<SqrDancer*> d = Singles(6, E, "t");
    editmode = EDIT;
    auto tag = [&](SqrDancer* sd) {
        sd->avail = !sd->avail;  // the click that selected it
        sdtoggled = sd;
        SqrTagDancer();
    };
    tag(d[0]);
    tag(d[1]);
    EXPECT_EQ(sqrtagindex, 1);
    EXPECT_EQ(screen::switches.back(), EDIT);
    tag(d[0]);  // tagged already: its slot (#1) is cleared; remembered becomes 3
    EXPECT_EQ(screen::notes.back(), "cleared sqrtag#1 (previously " + d[0]->firstlast + ")");
    EXPECT_EQ(sqrtagindex, 3);
    tag(d[2]);  // the search starts at slot 4
    EXPECT_EQ(sqrtag[3].sd, d[2]);
    EXPECT_EQ(screen::notes.back(), "initialized sqrtag#4 with " + d[2]->firstlast);
    EXPECT_NE(d[2]->tooltip.find("  tagged"), std::string::npos);
    tag(d[3]);  // from slot 4 round to slot 1
    EXPECT_EQ(sqrtag[0].sd, d[3]);
    tag(d[4]);
    EXPECT_EQ(sqrtag[2].sd, d[4]);
    // Full: the slot after the remembered one (#3, so #4) is overwritten.
    tag(d[5]);
    EXPECT_EQ(sqrtag[3].sd, d[5]);
    EXPECT_EQ(d[2]->tagged, 0);
    EXPECT_EQ(d[2]->tooltip.find("tagged"), std::string::npos);
    EXPECT_EQ(screen::notes.back(), "overwrote sqrtag#4 with " + d[5]->firstlast);
    for (SqrDancer* sd : d) EXPECT_EQ(sd->avail, 1);
}

TEST_F(Scenario, SliderLabelsAndClearing) {
    SqrDancer* a = AddDancer("Ann", "Smith", F);
    EXPECT_EQ(SqrTagSliderLabel(a), "Dancer<" + a->dispname + ">" + std::string(22 - a->dispname.size(), ' '));
    sqrtag[0] = SquareTag{2, nullptr, a};
    SqrTagClearAll();
    EXPECT_EQ(sqrtag[0].sd, nullptr);
    for (int i = 0; i < 3; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "C" + std::to_string(i));
    AddDancer("Bo", "Smith", M);
    a->tagged = 1;
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(a->tagged, 0);  // recomputed from the empty slots
}

// ---- skip-tips and must-once --------------------------------------------------------------

TEST_F(Scenario, ARequestForALaterTipLeavesThisTipAlone) {
    SqrDancer* d = AddDancer("Dan", "Later", M);
    tipcnt = 4;
    SkipTipToggle(d);  // record for tip 6
    ++tipcnt;          // tip 5
    ApplySkipTips();
    EXPECT_EQ(d->avail, 0);
    EXPECT_EQ(d->skip, 1);
    ASSERT_NE(skiptiphd, nullptr);
    EXPECT_EQ(skiptiphd->tip, 6);
    ++tipcnt;  // tip 6 without the edit display in between
    ApplySkipTips();
    EXPECT_EQ(d->avail, 1);
    EXPECT_EQ(d->skip, 0);
    EXPECT_EQ(skiptiphd, nullptr);
}

TEST_F(Scenario, CtrlClickOnAnAlternateSkipperMakesItAPlainSkip) {
    SqrDancer* d = AddDancer("Al", "Ternate", F);
    tipcnt = 2;
    SkipTipRequest(d, 2);
    d->avail = 1;  // came back for a tip
    tipcnt = 4;
    SkipTipToggle(d);  // absent again: the old record is replaced
    EXPECT_EQ(d->skip, 1);
    ASSERT_NE(skiptiphd, nullptr);
    EXPECT_EQ(skiptiphd, skiptiptl);
    EXPECT_EQ(skiptiphd->tip, 6);
    EXPECT_EQ(screen::notes.back(), "Al Ternate will be available on tip#6");
}

TEST_F(Scenario, UsingTheHistoryCancelsSkipsButKeepsMustOnce) {
    SqrDancer* d = AddDancer("Sk", "Ip", M);
    SqrDancer* m = AddDancer("Mu", "St", F);
    SkipTipRequest(d, 2);
    d->avail = 0;
    LuckMustToggle(m, true);
    DelSkipTips();
    EXPECT_EQ(d->avail, 1);
    EXPECT_EQ(d->skip, 0);
    EXPECT_EQ(skiptiphd, nullptr);
    EXPECT_NE(mustoncehd, nullptr);
    EXPECT_EQ(m->priority, MUST);
}

TEST_F(Scenario, MustOnceOnAMustDancerGivesLuckForOneTip) {
    SqrDancer* d = AddDancer("Mo", "Must", M, Basic, MUST);
    tipcnt = 7;
    EXPECT_STREQ(LuckMustToggle(d, true), "Luck");
    EXPECT_EQ(d->priority, LUCK);
    EXPECT_EQ(screen::notes.back(), "Mo Must will revert to must on tip#9");
    EXPECT_EQ(d->tooltip, "Mo Must\n0 dances  luck-once - no rfid");
    tipcnt = 9;
    ApplySkipTips();
    EXPECT_EQ(d->priority, MUST);
    SetupTooltip(d);
    EXPECT_EQ(d->tooltip, "Mo Must\n0 dances - no rfid");
}

TEST_F(Scenario, TooltipShowsMustOnceOnlyWhilePendingAndNoParenthesesWhenBothPresent) {
    SqrDancer* a = AddCouple("Cy", "Di", "Pair");
    a->priority = MUST;
    tipcnt = 3;
    MustOnceAppend(a, 5);
    SetupTooltip(a);
    EXPECT_EQ(a->tooltip, "Cy Pair : Di Pair\n0 dances  must-once - no rfid");
    tipcnt = 5;  // the record's tip is reached: no longer pending
    SetupTooltip(a);
    EXPECT_EQ(a->tooltip, "Cy Pair : Di Pair\n0 dances - no rfid");
    a->avail = 0;
    a->partner->avail = 0;  // both absent: no parentheses either
    SetupTooltip(a);
    EXPECT_EQ(a->tooltip, "Cy Pair : Di Pair\n0 dances - no rfid");
}

// ---- tip history --------------------------------------------------------------------------

namespace {
class HistScenario : public Scenario {
protected:
    void SetUp() override {
        Scenario::SetUp();
        for (int i = 0; i < 5; ++i) AddCouple("m" + std::to_string(i), "f" + std::to_string(i), "H" + std::to_string(i));
        Singles(3, E, "e");
        initial_s1 = 5, initial_s2 = 6, initial_s3 = 7;
    }
};
int Records() {
    int n = 0;
    for (History* h = histhd; h; h = h->nxt) ++n;
    return n;
}
}  // namespace

TEST_F(HistScenario, SaveKeepsASnapshotOfEveryPlaceAndItsOwnOutDancers) {
    Tip();
    Tip();
    History* h = histtl;
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(hist, nullptr);
    EXPECT_EQ(h->tipcnt, 2);
    EXPECT_EQ(h->prvtipcnt, 1);
    EXPECT_EQ(h->totsquares, totsquare);
    EXPECT_EQ(h->sqrsize, 8);
    EXPECT_EQ(h->pgmfloor, pgmfloor);
    EXPECT_EQ(h->s1, s1);
    EXPECT_EQ(h->s2, s2);
    EXPECT_EQ(h->s3, s3);
    for (int j = 0; j < 8; ++j) {
        SqrDancer* sd = sqr[0].dancer[j];
        const HistoryDancer& hd = h->histsqr[0].histsd[j];
        ASSERT_EQ(hd.sd, sd);
        if (!sd) continue;
        EXPECT_EQ(hd.dances, sd->dances);
        EXPECT_EQ(hd.prvdances, sd->prvdances);
        EXPECT_EQ(hd.prvdances + 1, hd.dances);
        EXPECT_EQ(hd.square, 0);
        EXPECT_EQ(hd.partner, sd->partner);
        EXPECT_EQ(hd.tmppartner, sd->tmppartner);
        EXPECT_EQ(hd.sex, sd->sex);
    }
    // The record's out-dancers are its own copy: emptying the live list leaves it whole.
    int n = 0;
    for (OutDancer* od = h->outdancerhd; od; od = od->nxt) ++n;
    EXPECT_EQ(n, 13 - CountPlaced());
    OutDancerFreeAll();
    int m = 0;
    for (OutDancer* od = h->outdancerhd; od; od = od->nxt) ++m;
    EXPECT_EQ(m, n);
}

TEST_F(HistScenario, PagingFromNoTipAndBackBeforeTheFirst) {
    Tip();
    Tip();
    Tip();
    History* first = histhd;
    History* second = histhd->nxt;
    HistoryChange(1);  // no tip shown: the oldest
    EXPECT_EQ(hist, first);
    EXPECT_EQ(screen::switches.back(), HISTORY);
    HistoryChange(1);
    EXPECT_EQ(hist, second);
    HistoryChange(-1);
    EXPECT_EQ(hist, first);
    HistoryChange(-1);  // before the first tip
    EXPECT_EQ(prehistory, 1);
    EXPECT_EQ(tipcnt, 3);  // the newest tip is still the evening's
    EXPECT_EQ(screen::switches.back(), EDIT);
    size_t switches = screen::switches.size();
    HistoryChange(-1);  // nothing older to show
    EXPECT_EQ(screen::switches.size(), switches);
    EXPECT_EQ(hist, nullptr);
    HistoryChange(1);  // forwards again: the oldest tip
    EXPECT_EQ(hist, first);
    EXPECT_EQ(prehistory, 0);
}

TEST_F(HistScenario, UseBeforeTheFirstTipLeavesTheDanceCountsAlone) {
    Tip();
    Tip();
    std::map<SqrDancer*, int> counts;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) counts[sd] = sd->dances;
    SqrDancer* skipper = sdtl;
    SkipTipRequest(skipper, 1);
    skipper->avail = 0;
    HistoryChange(1);
    HistoryChange(-1);
    HistoryUse();
    EXPECT_EQ(histhd, nullptr);
    EXPECT_EQ(hist, nullptr);
    EXPECT_EQ(s1, 5);
    EXPECT_EQ(s2, 6);
    EXPECT_EQ(s3, 7);
    EXPECT_EQ(skiptiphd, nullptr);  // requests go too
    EXPECT_EQ(skipper->avail, 1);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_EQ(sd->dances, counts[sd]);
}

TEST_F(HistScenario, UsingTheNewestTipRebuildsTheOutDancersFromItsCopy) {
    Tip();
    Tip();
    std::vector<SqrDancer*> sitouts;
    for (OutDancer* od = histtl->outdancerhd; od; od = od->nxt) sitouts.push_back(od->sd);
    OutDancerFreeAll();
    HistoryChange(0);
    EXPECT_EQ(cflag, 1);
    EXPECT_EQ(hist, histtl);
    HistoryUse();
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(tipcnt, 2);
    std::vector<SqrDancer*> got;
    for (OutDancer* od = outdancerhd; od; od = od->nxt) {
        got.push_back(od->sd);
        EXPECT_EQ(od->assigned, 0);
    }
    EXPECT_EQ(got, sitouts);
}

TEST_F(HistScenario, UsingAnOlderTipRollsOnFromItsSeeds) {
    Tip();
    Tip();
    History* h2 = histtl;
    int64_t seeds[3] = {h2->s1, h2->s2, h2->s3};
    Tip();
    Tip();
    HistoryChange(1);
    HistoryChange(1);
    ASSERT_EQ(hist, h2);
    HistoryUse();
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(tipcnt, 2);
    EXPECT_EQ(prvtipcnt, 1);
    EXPECT_EQ(s1, seeds[0]);
    EXPECT_EQ(s2, seeds[1]);
    EXPECT_EQ(s3, seeds[2]);
    // Repeating from there puts that tip's seeds back into the generator.
    RepeatRollDisplay();
    EXPECT_EQ(tipcnt, 1);
    int64_t x, y, z;
    get_rndm(&x, &y, &z);
    EXPECT_EQ(x, seeds[0]);
    EXPECT_EQ(y, seeds[1]);
    EXPECT_EQ(z, seeds[2]);
}

TEST_F(HistScenario, DeletingAnOlderRecordKeepsTheNewestCounters) {
    Tip();
    Tip();
    Tip();
    HistoryDelete(histhd->nxt);
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(histhd->nxt, histtl);
    EXPECT_EQ(histtl->prv, histhd);
    EXPECT_EQ(tipcnt, 3);
    EXPECT_EQ(prvtipcnt, 2);
}

TEST_F(HistScenario, SaveAndRepeatRestoreGeneratorCountsAndTipCounter) {
    Tip();
    tipcnt = 4;
    prvtipcnt = 3;
    SqrDancer* a = sdhd;
    a->dances = 6;
    SaveRollDisplay();
    EXPECT_EQ(a->prvdances, 6);
    int64_t x, y, z;
    get_rndm(&x, &y, &z);
    EXPECT_EQ(s1, x);
    EXPECT_EQ(s2, y);
    EXPECT_EQ(s3, z);
    free(setdeck(10));  // the generator moves on
    a->dances = 9;
    sdtl->dances = 2;
    maxdances = 42;
    RepeatRollDisplay();
    int64_t u, v, w;
    get_rndm(&u, &v, &w);
    EXPECT_EQ(u, x);
    EXPECT_EQ(v, y);
    EXPECT_EQ(w, z);
    EXPECT_EQ(a->dances, 6);
    EXPECT_EQ(sdtl->dances, sdtl->prvdances);
    EXPECT_EQ(tipcnt, 3);
    EXPECT_EQ(maxdances, 6);
}
