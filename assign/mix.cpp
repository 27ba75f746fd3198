// SPDX-License-Identifier: GPL-3.0-or-later
// Mixing: the couples and pairs a roll has chosen are placed into its squares so that, over
// the evening, dancers meet as many different dancers as the numbers allow. Also the
// evening's fairness and mixing figures for the operator's note.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <numeric>
#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "assign/assign.h"
#include "files/season.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {
// Two dancers who dance beside each other: a couple, a single and the partner found for it,
// or a single beside an empty place (second null).
using Pair = std::array<SqrDancer*, 2>;

// Calls f(pairs) with the pairs of every square of every saved tip numbered below `before`.
// An out-dancer recruited into an empty place is kept only as the temporary partner of the
// dancer beside that place; it is put back there.
template <class F>
void ForEachSavedSquare(int before, F&& f) {
    std::vector<Pair> pairs;
    for (const History* h = histhd; h; h = h->nxt) {
        if (h->tipcnt >= before || !h->histsqr) continue;
        for (int i = 0; i < h->totsquares; ++i) {
            const HistoryDancer* places = h->histsqr[i].histsd;
            if (!places) continue;
            pairs.clear();
            for (int j = 0; j + 1 < h->sqrsize; j += 2) {
                const HistoryDancer& a = places[j].sd ? places[j] : places[j + 1];
                const HistoryDancer& b = places[j].sd ? places[j + 1] : places[j];
                if (!a.sd) continue;
                pairs.push_back({a.sd, b.sd ? b.sd : a.tmppartner});
            }
            f(pairs);
        }
    }
}

// How often two dancers have met in a square, and how many of those times as partners.
struct Met {
    int other;
    int times;
    int partnered;
};
// Per dancer, in the order of first meeting. Dancers are numbered by `id`; meetings with
// dancers outside it are left out.
using MeetList = std::vector<std::vector<Met>>;

MeetList CountMeetings(const std::unordered_map<const SqrDancer*, int>& id, int before) {
    // The saved squares one after another as (dancer, pair in the square), where each starts,
    // and the squares of every dancer.
    std::vector<std::pair<int, int>> places;
    std::vector<size_t> start;
    std::vector<std::vector<std::pair<int, int>>> in(id.size());  // (square, own pair)
    ForEachSavedSquare(before, [&](const std::vector<Pair>& pairs) {
        const int sq = static_cast<int>(start.size());
        start.push_back(places.size());
        for (size_t k = 0; k < pairs.size(); ++k)
            for (SqrDancer* sd : pairs[k])
                if (auto it = id.find(sd); sd && it != id.end()) {
                    places.emplace_back(it->second, static_cast<int>(k));
                    in[it->second].emplace_back(sq, static_cast<int>(k));
                }
    });
    start.push_back(places.size());
    MeetList met(id.size());
    std::vector<int> at(id.size(), -1);  // where a dancer stands in the list being made
    for (size_t x = 0; x < id.size(); ++x) {
        std::vector<Met>& list = met[x];
        for (auto [sq, kx] : in[x])
            for (size_t i = start[sq]; i < start[sq + 1]; ++i) {
                auto [y, ky] = places[i];
                if (y == static_cast<int>(x)) continue;
                if (at[y] < 0) {
                    at[y] = static_cast<int>(list.size());
                    list.push_back({y, 0, 0});
                }
                ++list[at[y]].times;
                list[at[y]].partnered += kx == ky;
            }
        for (const Met& m : list) at[m.other] = -1;
    }
    return met;
}

// A dense array of sums that remembers which entries it touched, so that clearing it costs
// only what was added. Index -1 (an empty place) reads as 0.
struct Sums {
    std::vector<long> val;
    std::vector<int> touched;
    explicit Sums(size_t n = 0) : val(n, 0) {}
    void Add(int i, long v) {
        if (val[i] == 0) touched.push_back(i);
        val[i] += v;
    }
    long operator[](int i) const { return i < 0 ? 0 : val[i]; }
    void Clear() {
        for (int i : touched) val[i] = 0;
        touched.clear();
    }
};

// Two dancers who met `times` times earlier tonight and `season` times on earlier evenings
// meet again. Tonight's meetings weigh most: a fixed 8 for the new face either of them could
// have met instead, plus the square of the times, so that a third meeting weighs more than
// two second ones; scaled so that a face met tonight always weighs more than several met
// only on earlier evenings. A face met only earlier in the season costs a little, more the
// more often.
constexpr long kTonight = 4, kSeasonBase = 2;
long Cost(int times, int season) {
    if (times > 0) return kTonight * (8L + static_cast<long>(times) * times) + season;
    return season > 0 ? kSeasonBase + season : 0;
}

// The placing of one roll. Units are the slot pairs (2k, 2k+1) of the deal: a couple, two
// singles paired by the partner search, or a single beside an empty slot. Each square keeps
// the number of units it was dealt. Units move between squares whole; two singles of the
// same role in pairs of singles may also change places, which pairs them anew exactly as the
// partner search could have (it goes by role only).
class Mixer {
public:
    Mixer() {
        for (int s = 0; s < totsquare; ++s) {
            cap.push_back(sqr[s].qty / 2);
            for (int k = 0; k < cap[s]; ++k) {
                Unit u;
                u.home = u.sq = s;
                for (int j = 0; j < 2; ++j)
                    if (SqrDancer* sd = sqr[s].dancer[2 * k + j]) {
                        u.m[j] = static_cast<int>(dancers.size());
                        id[sd] = u.m[j];
                        dancers.push_back(sd);
                        unitof.push_back(static_cast<int>(units.size()));
                    }
                if (u.m[0] >= 0 && u.m[1] >= 0) {
                    const SqrDancer *a = dancers[u.m[0]], *b = dancers[u.m[1]];
                    u.loose = !a->partner && !b->partner && a->tmppartner == b && b->tmppartner == a &&
                              a->sex >= M && a->sex < NOSEX && b->sex >= M && b->sex < NOSEX;
                }
                u.dealt[0] = u.m[0];
                u.dealt[1] = u.m[1];
                units.push_back(u);
            }
        }
        Links();
        own.assign(dancers.size(), 0);
        intra.assign(units.size(), 0);
        dirty.assign(units.size(), 1);
        members.resize(static_cast<size_t>(totsquare));
        for (int j = 0; j < 2; ++j) {
            insq[j] = Sums(static_cast<size_t>(totsquare));
            with[j] = Sums(dancers.size());
        }
        inp = Sums(dancers.size());
    }

    void Run() {
        const long dealt = CostAsDealt();
        GreedyStart();
        ImprovingSwaps();
        Kicks();
        if (total > dealt) BackToDeal();  // never more meetings again than as dealt
        WriteBack();
    }

private:
    struct Unit {
        int m[2] = {-1, -1};      // dancer numbers, -1 for an empty slot
        int dealt[2] = {-1, -1};  // as dealt
        int home = 0;             // square of the deal
        int sq = 0;               // square now; -1 while unplaced
        bool pinned = false;      // a tagged dancer's pair, kept in the tag square
        bool loose = false;       // two singles that may be paired anew
    };
    struct Link {
        int other;
        long w;
    };
    std::vector<Unit> units;
    std::vector<int> cap;                        // pairs per square
    std::vector<std::vector<int>> members;       // units per square, in place order
    std::unordered_map<const SqrDancer*, int> id;
    std::vector<SqrDancer*> dancers;             // by dancer number
    std::vector<int> unitof;                     // dancer number -> unit
    std::vector<std::vector<Link>> links;        // the weight of meeting each dancer met before
    std::vector<long> own;                       // per dancer: weight of those in its square
    std::vector<long> intra;                     // per unit: weight of its two dancers
    std::vector<char> dirty;                     // per unit: its square changed since looked at
    long total = 0;                              // sum of own
    long work = 0;                               // list entries and units looked at
    std::vector<std::tuple<bool, int, int>> log; // moves of the current round of kicks
    bool logging = false;
    Sums insq[2], with[2], inp;                  // scratch of ImprovingSwaps

    // The work is bounded (passes, list entries and pairs looked at), never the time, so the
    // result does not depend on the speed of the machine.
    static constexpr int kMaxPasses = 24;
    static constexpr long kMaxWork = 40000000;
    static constexpr size_t kSeasonPairs = 48;
    bool seasonweighed = false;  // pairs of the season's memory are weighed

    // The earlier meetings of the placed dancers: tonight's tips before this one, and the
    // season's earlier evenings less what of tonight the memory already holds.
    void Links() {
        MeetList met = CountMeetings(id, tipcnt);
        struct Remembered {
            int other, count, tonight;
        };
        std::vector<std::vector<Remembered>> season(dancers.size());
        // A full season names nearly every pair of a large club, and every pair weighed costs
        // time at every move: only the pairs met most often on earlier evenings are weighed,
        // kSeasonPairs per dancer placed (all of them in a club of up to about a hundred).
        // Those left out met less often than any weighed, and cost little more than nothing.
        struct SeasonPair {
            int a, b, count, tonight;
        };
        std::vector<SeasonPair> pairs;
        SeasonPairs(
            id, [&](int a, int b, int count, int tonight) { pairs.push_back({a, b, count, tonight}); },
            kSeasonPairs * dancers.size());
        seasonweighed = !pairs.empty();
        for (const SeasonPair& p : pairs) {
            season[p.a].push_back({p.b, p.count, p.tonight});
            season[p.b].push_back({p.a, p.count, p.tonight});
        }
        links.resize(dancers.size());
        std::vector<int> at(dancers.size(), -1);
        for (size_t x = 0; x < dancers.size(); ++x) {
            std::vector<Met>& list = met[x];
            for (size_t i = 0; i < list.size(); ++i) at[list[i].other] = static_cast<int>(i);
            std::vector<int> earlier(list.size(), 0);
            for (const Remembered& r : season[x]) {
                if (at[r.other] < 0) {
                    at[r.other] = static_cast<int>(list.size());
                    list.push_back({r.other, 0, 0});
                    earlier.push_back(0);
                }
                const int i = at[r.other];
                earlier[i] = r.count - std::min(r.tonight, list[i].times);
            }
            for (size_t i = 0; i < list.size(); ++i) {
                at[list[i].other] = -1;
                if (long w = Cost(list[i].times, earlier[i]); w > 0) links[x].push_back({list[i].other, w});
            }
        }
    }

    int Sq(int d) const { return units[unitof[d]].sq; }
    long Own(int d) const { return d < 0 ? 0 : own[d]; }
    long Load(int u) const { return Own(units[u].m[0]) + Own(units[u].m[1]); }
    // A unit's weight with the other units of its square.
    long Outside(int u) const { return Load(u) - 2 * intra[u]; }
    // What a move could lower: a couple always meets itself.
    long Hot(int u) const { return units[u].loose ? Load(u) : Outside(u); }

    long OwnCost(int d) {
        long c = 0;
        const int s = Sq(d);
        work += static_cast<long>(links[d].size());
        for (const Link& l : links[d])
            if (Sq(l.other) == s) c += l.w;
        return c;
    }

    // Somebody met before comes back as partner rather than as one of the six others: a
    // little cheaper, so that the same two are seldom in one square twice but as partners.
    static long Discount(long w) { return w / 4; }

    long IntraCost(int u) {
        const int a = units[u].m[0], b = units[u].m[1];
        if (a < 0 || b < 0) return 0;
        for (const Link& l : links[a])
            if (l.other == b) return l.w;
        return 0;
    }

    void CostsAll() {
        total = 0;
        for (size_t d = 0; d < dancers.size(); ++d) total += own[d] = OwnCost(static_cast<int>(d));
        for (size_t u = 0; u < units.size(); ++u) total -= 2 * Discount(intra[u] = IntraCost(static_cast<int>(u)));
    }

    void Refresh(int s) {
        for (int v : members[s])
            for (int d : units[v].m)
                if (d >= 0) {
                    total -= own[d];
                    own[d] = OwnCost(d);
                    total += own[d];
                }
    }

    void AsDealt() {
        for (size_t u = 0; u < units.size(); ++u)
            for (int j = 0; j < 2; ++j)
                if ((units[u].m[j] = units[u].dealt[j]) >= 0) unitof[units[u].m[j]] = static_cast<int>(u);
    }

    long CostAsDealt() {
        for (Unit& u : units) u.sq = u.home;
        CostsAll();
        return total;
    }

    void BackToDeal() {
        AsDealt();
        for (auto& m : members) m.clear();
        for (size_t u = 0; u < units.size(); ++u) Put(static_cast<int>(u), units[u].home);
        CostsAll();
    }

    void Put(int u, int s) {
        units[u].sq = s;
        members[s].push_back(u);
    }

    // Tagged dancers' pairs go to their tag square first (the roll's tagging then finds them
    // there); a square takes no more of them than it has places.
    void PinTagged() {
        for (const SquareTag& t : sqrtag) {
            if (!t.sd || t.isqr < 0) continue;
            auto it = id.find(t.sd);
            if (it == id.end()) continue;
            int u = unitof[it->second];
            int s = std::min(t.isqr, totsquare - 1);
            if (units[u].pinned || static_cast<int>(members[s].size()) >= cap[s]) continue;
            units[u].pinned = true;
            Put(u, s);
        }
    }

    // The pairs who have met most go first, each into the square where it meets the fewest
    // it has met; ties keep the square of the deal, else take the emptiest, then the first.
    void GreedyStart() {
        for (Unit& u : units) u.sq = -1;
        PinTagged();
        std::vector<long> load(units.size(), 0);
        for (size_t u = 0; u < units.size(); ++u)
            for (int d : units[u].m)
                if (d >= 0)
                    for (const Link& l : links[d]) load[u] += l.w;
        std::vector<int> order(units.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return load[a] > load[b]; });
        Sums at(static_cast<size_t>(totsquare));
        auto room = [&](int s) { return cap[s] - static_cast<int>(members[s].size()); };
        // The squares with room, by how much (in square order), so that the square a pair
        // goes to is found without looking at every square.
        int most = 0;
        for (int c : cap) most = std::max(most, c);
        std::vector<std::set<int>> byroom(static_cast<size_t>(most) + 1);
        for (int s = 0; s < totsquare; ++s)
            if (room(s) > 0) byroom[room(s)].insert(s);
        for (int u : order) {
            if (units[u].pinned) continue;
            at.Clear();
            for (int d : units[u].m)
                if (d >= 0) {
                    work += static_cast<long>(links[d].size());
                    for (const Link& l : links[d])
                        if (Sq(l.other) >= 0) at.Add(Sq(l.other), l.w);
                }
            // Fewest meetings again; then the square of the deal; then the most room; then
            // the first. A square with nobody met beats any other: the first of the roomiest.
            const int home = units[u].home;
            int best = room(home) > 0 && at[home] == 0 ? home : -1;
            for (int r = most; best < 0 && r > 0; --r)
                for (int s : byroom[r]) {
                    work += 1;
                    if (at[s] == 0) {
                        best = s;
                        break;
                    }
                }
            if (best < 0) {
                auto better = [&](int s, int b) {
                    if (at[s] != at[b]) return at[s] < at[b];
                    if ((s == home) != (b == home)) return s == home;
                    if (room(s) != room(b)) return room(s) > room(b);
                    return s < b;
                };
                for (int s : at.touched)
                    if (room(s) > 0 && (best < 0 || better(s, best))) best = s;
            }
            byroom[room(best)].erase(best);
            Put(u, best);
            if (room(best) > 0) byroom[room(best)].insert(best);
        }
        at.Clear();
        CostsAll();
    }

    // Moves while one lowers the weight of meetings again: for each pair that meets somebody
    // again, the best exchange of it with a pair of another square, or of one of its singles
    // with a single of the same role there.
    // Only pairs whose square changed since they were last looked at are looked at again.
    void ImprovingSwaps() {
        const int n = static_cast<int>(units.size());
        for (int pass = 0; pass < kMaxPasses && work < kMaxWork; ++pass) {
            bool improved = false;
            for (int u = 0; u < n && work < kMaxWork; ++u) {
                if (!dirty[u]) continue;
                dirty[u] = 0;
                if (units[u].pinned || Hot(u) == 0) continue;
                const Unit& U = units[u];
                const int p = U.sq;
                for (int j = 0; j < 2; ++j) {
                    insq[j].Clear();
                    with[j].Clear();
                    if (U.m[j] < 0) continue;
                    work += static_cast<long>(links[U.m[j]].size());
                    for (const Link& l : links[U.m[j]]) {
                        insq[j].Add(Sq(l.other), l.w);
                        with[j].Add(l.other, l.w);
                    }
                }
                inp.Clear();
                for (int v : members[p])
                    if (v != u)
                        for (int d : units[v].m)
                            if (d >= 0) {
                                work += static_cast<long>(links[d].size());
                                for (const Link& l : links[d]) inp.Add(l.other, l.w);
                            }
                const long uout = Outside(u);
                long bestdelta = 0;
                int besta = -1, bestb = -1;
                bool single = false;
                work += n;
                for (int b = 0; b < n; ++b) {
                    const Unit& B = units[b];
                    const int q = B.sq;
                    if (q == p || B.pinned) continue;
                    const int b0 = B.m[0], b1 = B.m[1];
                    long delta = insq[0][q] + insq[1][q] - with[0][b0] - with[1][b0] - with[0][b1] - with[1][b1] +
                                 inp[b0] + inp[b1] - uout - Outside(b);
                    if (delta < bestdelta) {
                        bestdelta = delta;
                        besta = u, bestb = b, single = false;
                    }
                    if (!U.loose || !B.loose) continue;
                    for (int j = 0; j < 2; ++j)
                        for (int k = 0; k < 2; ++k) {
                            const int x = U.m[j], y = B.m[k];
                            if (dancers[x]->sex != dancers[y]->sex) continue;
                            const int y2 = B.m[1 - k];
                            delta = insq[j][q] - with[j][y] + inp[y] + with[1 - j][y] - own[x] - own[y] -
                                    Discount(with[j][y2]) - Discount(with[1 - j][y]) + Discount(intra[u]) +
                                    Discount(intra[b]);
                            if (delta < bestdelta) {
                                bestdelta = delta;
                                besta = x, bestb = y, single = true;
                            }
                        }
                }
                if (besta < 0) continue;
                Move(single, besta, bestb);
                improved = true;
            }
            if (!improved) break;
        }
    }

    // Out of a local optimum: a few pairs (or singles) that still meet somebody again are
    // exchanged with others, the moves improve from there, and the round is undone when it
    // ends worse. What is kicked follows a fixed sequence of numbers of its own, not the
    // roll's generator.
    void Kicks() {
        // Up to 400 rounds, ending once 100 rounds in a row have brought nothing. With the
        // season's memory nobody is a new face to everybody, the total never comes to nothing
        // and every round finds some face met a little less often: the rounds then take at
        // most the work the placing so far took, so that the memory costs a roll at most
        // about twice its time without it.
        constexpr int kRounds = 400, kStale = 100, kKicks = 2;
        const long limit = seasonweighed ? std::min(kMaxWork, 2 * work) : kMaxWork;
        uint64_t state = 0x9e3779b97f4a7c15ULL;
        auto next = [&state](size_t n) {
            uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            return static_cast<size_t>((z ^ (z >> 31)) % n);
        };
        std::vector<int> unpinned;
        for (size_t u = 0; u < units.size(); ++u)
            if (!units[u].pinned) unpinned.push_back(static_cast<int>(u));
        std::vector<int> hot;
        int stale = 0;
        for (int r = 0; r < kRounds && stale < kStale && total > 0 && work < limit && unpinned.size() > 1; ++r) {
            hot.clear();
            for (int u : unpinned)
                if (Hot(u) > 0) hot.push_back(u);
            if (hot.empty()) break;  // what still costs is pinned
            work += static_cast<long>(unpinned.size());
            const long before = total;
            log.clear();
            logging = true;
            for (int k = 0; k < kKicks; ++k) {
                const int a = hot[next(hot.size())], b = unpinned[next(unpinned.size())];
                if (units[a].sq == units[b].sq) continue;
                bool moved = false;
                if (units[a].loose && units[b].loose && next(2) == 0) {
                    const int j = static_cast<int>(next(2)), k2 = static_cast<int>(next(2));
                    for (int t = 0; t < 4 && !moved; ++t) {
                        const int x = units[a].m[(j + t / 2) % 2], y = units[b].m[(k2 + t) % 2];
                        if (dancers[x]->sex == dancers[y]->sex) Move(true, x, y), moved = true;
                    }
                }
                if (!moved) Move(false, a, b);
            }
            ImprovingSwaps();
            logging = false;
            stale = total < before ? 0 : stale + 1;
            if (total > before)
                for (size_t i = log.size(); i-- > 0;) Move(std::get<0>(log[i]), std::get<1>(log[i]), std::get<2>(log[i]));
        }
    }

    // Exchanges two units between their squares, or (single) two dancers between their pairs
    // and squares. Doing the same again undoes it.
    void Move(bool single, int a, int b) {
        int p, q;
        if (!single) {
            p = units[a].sq, q = units[b].sq;
            *std::find(members[p].begin(), members[p].end(), a) = b;
            *std::find(members[q].begin(), members[q].end(), b) = a;
            units[a].sq = q;
            units[b].sq = p;
        } else {
            const int u = unitof[a], w = unitof[b];
            p = units[u].sq, q = units[w].sq;
            *std::find(std::begin(units[u].m), std::end(units[u].m), a) = b;
            *std::find(std::begin(units[w].m), std::end(units[w].m), b) = a;
            unitof[a] = w;
            unitof[b] = u;
            total += 2 * (Discount(intra[u]) + Discount(intra[w]));
            intra[u] = IntraCost(u);
            intra[w] = IntraCost(w);
            total -= 2 * (Discount(intra[u]) + Discount(intra[w]));
        }
        Refresh(p);
        Refresh(q);
        for (int s : {p, q})
            for (int v : members[s]) dirty[v] = 1;
        if (logging) log.emplace_back(single, a, b);
    }

    // The squares as placed; singles paired anew get each other as partners, the first of a
    // pair counting as placed in turn and the second as its partner.
    void WriteBack() {
        for (int s = 0; s < totsquare; ++s)
            for (size_t k = 0; k < members[s].size(); ++k) {
                const Unit& u = units[members[s][k]];
                for (int j = 0; j < 2; ++j) {
                    const int slot = static_cast<int>(2 * k) + j;
                    SqrDancer* sd = u.m[j] < 0 ? nullptr : dancers[u.m[j]];
                    sqr[s].dancer[slot] = sd;
                    if (!sd) continue;
                    sd->square = s;
                    sd->posn = slot;
                    if (u.loose) {
                        sd->tmppartner = dancers[u.m[1 - j]];
                        sd->assigned = j == 0 ? 1 : 2;
                    }
                }
            }
    }
};
}  // namespace

void MixSquares() {
    edbg("MixSquares()");
    if (sqr && totsquare > 1) Mixer().Run();
    rdbg("MixSquares");
}

double MixReport::Coverage() const {
    return limit > 0 ? 100.0 * static_cast<double>(mates) / static_cast<double>(limit) : 100.0;
}

MixReport EveningReport() {
    MixReport r;
    std::unordered_map<const SqrDancer*, int> id;
    std::vector<SqrDancer*> present;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        id[sd] = static_cast<int>(id.size());
        if (sd->avail && static_cast<unsigned>(sd->pgm) >= static_cast<unsigned>(pgmfloor)) present.push_back(sd);
    }
    for (const History* h = histhd; h; h = h->nxt) ++r.tips;
    std::vector<int> danced(id.size(), 0), satout(id.size(), 0);
    ForEachSavedSquare(INT_MAX, [&](const std::vector<Pair>& pairs) {
        for (const Pair& pair : pairs)
            for (SqrDancer* sd : pair)
                if (auto it = id.find(sd); sd && it != id.end()) ++danced[it->second];
    });
    for (const History* h = histhd; h; h = h->nxt)
        for (const OutDancer* od = h->outdancerhd; od; od = od->nxt)
            if (auto it = id.find(od->sd); od->sd && it != id.end()) ++satout[it->second];
    const MeetList met = CountMeetings(id, INT_MAX);
    for (const auto& list : met)
        for (const Met& m : list) r.maxmeet = std::max(r.maxmeet, m.times - m.partnered);

    // Tonight's square-mates (pairs of two roster dancers) not met on an earlier evening.
    if (SeasonReady()) {
        r.season = true;
        std::unordered_map<uint64_t, int> earlier;  // by the pair's numbers
        auto key = [](int a, int b) { return (static_cast<uint64_t>(std::min(a, b)) << 32) | std::max(a, b); };
        SeasonPairs(id, [&](int a, int b, int count, int tonight) { earlier[key(a, b)] = count - tonight; });
        for (size_t x = 0; x < met.size(); ++x)
            for (const Met& m : met[x]) {
                if (m.other < static_cast<int>(x)) continue;
                ++r.seasonmates;
                auto it = earlier.find(key(static_cast<int>(x), m.other));
                // What the memory holds of tonight (a program started again) is tonight's.
                r.seasonnew += it == earlier.end() || it->second <= 0;
            }
    }

    r.present = static_cast<int>(present.size());
    const long others = r.present - 1;
    const int size = squaresize > 1 ? squaresize : 8;
    for (size_t i = 0; i < present.size(); ++i) {
        const SqrDancer* sd = present[i];
        const int k = id[sd];
        if (i == 0 || sd->dances < r.mindances) r.mindances = sd->dances;
        if (i == 0 || sd->dances > r.maxdances) r.maxdances = sd->dances;
        if (satout[k] > r.mostout) {
            r.mostout = satout[k];
            r.outmost.clear();
        }
        if (satout[k] > 0 && satout[k] == r.mostout) r.outmost.push_back(sd);
        const long d = danced[k];
        long limit = d == 0 ? 0 : sd->partner ? 1 + (size - 2) * d : (size - 1) * d;
        limit = std::min(limit, others);
        r.limit += limit;
        r.mates += std::min(static_cast<long>(met[k].size()), limit);
    }
    return r;
}

std::string FairnessNoteText() {
    const MixReport r = EveningReport();
    if (r.tips == 0) return _("fairness: no tip has been rolled yet");
    std::string who = _("nobody");
    if (r.mostout > 0) {
        who.clear();
        const size_t shown = std::min<size_t>(r.outmost.size(), 3);
        for (size_t i = 0; i < shown; ++i) who += (i ? ", " : "") + r.outmost[i]->firstlast;
        if (r.outmost.size() > shown) who += strprintf(_(" +%zu more"), r.outmost.size() - shown);
        who += strprintf(ngettext(" (%d of %d tip)", " (%d of %d tips)", r.tips), r.mostout, r.tips);
    }
    std::string text =
        strprintf(ngettext("fairness after %d tip: dances %d to %d (spread %d)\n",
                           "fairness after %d tips: dances %d to %d (spread %d)\n", r.tips),
                  r.tips, r.mindances, r.maxdances, r.maxdances - r.mindances) +
        strprintf(_("sat out most: %s\n"), who.c_str()) +
        strprintf(ngettext("mixing %s: %.0f%% of the possible square-mates met, the same two at most %d time",
                           "mixing %s: %.0f%% of the possible square-mates met, the same two at most %d times",
                           r.maxmeet),
                  mixflag ? _("on") : _("off"), r.Coverage(), r.maxmeet);
    if (r.season && r.seasonmates > 0)
        text += strprintf(_("\nseason memory: %.0f%% of tonight's square-mates are new this season"),
                          100.0 * static_cast<double>(r.seasonnew) / static_cast<double>(r.seasonmates));
    return text;
}

std::vector<std::tuple<SqrDancer*, SqrDancer*, int>> TonightMeetings() {
    std::unordered_map<const SqrDancer*, int> id;
    std::vector<SqrDancer*> who;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        id[sd] = static_cast<int>(who.size());
        who.push_back(sd);
    }
    std::vector<std::tuple<SqrDancer*, SqrDancer*, int>> pairs;
    const MeetList met = CountMeetings(id, INT_MAX);
    for (size_t x = 0; x < met.size(); ++x)
        for (const Met& m : met[x])
            if (m.other > static_cast<int>(x)) pairs.emplace_back(who[x], who[m.other], m.times);
    return pairs;
}
