// Mixing: the couples and pairs a roll has chosen are placed into its squares so that, over
// the evening, dancers meet as many different dancers as the numbers allow. Also the
// evening's fairness and mixing figures for the operator's note.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "assign/assign.h"
#include "support/helmtext.h"

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
// only what was added.
struct Sums {
    std::vector<long> val;
    std::vector<int> touched;
    explicit Sums(size_t n) : val(n, 0) {}
    void Add(int i, long v) {
        if (val[i] == 0) touched.push_back(i);
        val[i] += v;
    }
    void Clear() {
        for (int i : touched) val[i] = 0;
        touched.clear();
    }
};

// The placing of one roll: units are the slot pairs (2k, 2k+1) of the deal, a dancer and its
// partner (or an empty partner slot); each square keeps the number of pairs it was dealt.
class Mixer {
public:
    Mixer() {
        for (int s = 0; s < totsquare; ++s) {
            cap.push_back(sqr[s].qty / 2);
            for (int k = 0; k < cap[s]; ++k) {
                Unit u{{sqr[s].dancer[2 * k], sqr[s].dancer[2 * k + 1]}, {-1, -1}, s, s, false};
                for (int j = 0; j < 2; ++j)
                    if (u.sd[j]) {
                        u.d[j] = static_cast<int>(dancerunit.size());
                        id[u.sd[j]] = u.d[j];
                        dancerunit.push_back(static_cast<int>(units.size()));
                    }
                units.push_back(u);
            }
        }
        met = CountMeetings(id, tipcnt);
        own.assign(units.size(), 0);
        members.resize(static_cast<size_t>(totsquare));
        insq = Sums(static_cast<size_t>(totsquare));
        withu = Sums(units.size());
        inp = Sums(units.size());
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
        SqrDancer* sd[2];
        int d[2];  // dancer numbers, -1 for an empty slot
        int home;  // square of the deal
        int sq;    // square now; -1 while unplaced
        bool pinned;
    };
    std::vector<Unit> units;
    std::vector<int> cap;                        // pairs per square
    std::vector<std::vector<int>> members;       // units per square, in place order
    std::unordered_map<const SqrDancer*, int> id;
    std::vector<int> dancerunit;                 // dancer number -> unit
    MeetList met;                                // earlier meetings of the placed dancers
    std::vector<long> own;                       // cost of a unit inside its square
    long total = 0;                              // sum of own
    long work = 0;                               // list entries and units looked at
    std::vector<std::pair<int, int>> log;        // swaps of the current round of kicks
    bool logging = false;
    Sums insq{0}, withu{0}, inp{0};              // scratch of ImprovingSwaps

    // The work is bounded (passes, list entries and pairs looked at), never the time, so the
    // result does not depend on the speed of the machine.
    static constexpr int kMaxPasses = 24;
    static constexpr long kMaxWork = 40000000;

    // Two dancers who have met `times` times before meet again: a fixed 8 for the new face
    // either of them could have met instead, plus the square of the times, so that a third
    // meeting weighs more than two second ones and the sum over pairs of dancers of the
    // square of the times met stays low.
    static long Cost(long times) { return times > 0 ? 8 + times * times : 0; }

    template <class G>
    void ForMet(int u, G&& g) {
        for (int d : units[u].d) {
            if (d < 0) continue;
            work += static_cast<long>(met[d].size());
            for (const Met& m : met[d]) g(dancerunit[m.other], Cost(m.times));
        }
    }

    long OwnCost(int u) {
        long c = 0;
        const int s = units[u].sq;
        ForMet(u, [&](int v, long w) {
            if (v != u && units[v].sq == s) c += w;
        });
        return c;
    }

    long CostAsDealt() {
        for (Unit& u : units) u.sq = u.home;
        long c = 0;
        for (size_t u = 0; u < units.size(); ++u) c += OwnCost(static_cast<int>(u));
        return c;
    }

    void BackToDeal() {
        for (auto& m : members) m.clear();
        for (size_t u = 0; u < units.size(); ++u) Put(static_cast<int>(u), units[u].home);
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
            int u = dancerunit[it->second];
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
            ForMet(static_cast<int>(u), [&](int, long w) { load[u] += w; });
        std::vector<int> order(units.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return load[a] > load[b]; });
        Sums at(static_cast<size_t>(totsquare));
        for (int u : order) {
            if (units[u].pinned) continue;
            at.Clear();
            ForMet(u, [&](int v, long w) {
                if (units[v].sq >= 0) at.Add(units[v].sq, w);
            });
            // Fewest meetings again; then the square of the deal; then the most room.
            const int home = units[u].home;
            auto room = [&](int s) { return cap[s] - static_cast<int>(members[s].size()); };
            auto better = [&](int s, int b) {
                if (at.val[s] != at.val[b]) return at.val[s] < at.val[b];
                if ((s == home) != (b == home)) return s == home;
                return room(s) > room(b);
            };
            int best = room(home) > 0 && at.val[home] == 0 ? home : -1;
            for (int s = 0; best != home && s < totsquare; ++s)
                if (room(s) > 0 && (best < 0 || better(s, best))) best = s;
            Put(u, best);
        }
        at.Clear();
        for (size_t u = 0; u < units.size(); ++u) total += own[u] = OwnCost(static_cast<int>(u));
    }

    // Exchanges of two pairs between squares while one lowers the meetings again: for each
    // pair that meets somebody again, the exchange that lowers them most.
    void ImprovingSwaps() {
        const int n = static_cast<int>(units.size());
        for (int pass = 0; pass < kMaxPasses && work < kMaxWork; ++pass) {
            bool improved = false;
            for (int u = 0; u < n && work < kMaxWork; ++u) {
                if (units[u].pinned || own[u] == 0) continue;
                const int p = units[u].sq;
                insq.Clear();
                withu.Clear();
                inp.Clear();
                ForMet(u, [&](int v, long w) {
                    insq.Add(units[v].sq, w);
                    withu.Add(v, w);
                });
                for (int v : members[p])
                    if (v != u) ForMet(v, [&](int x, long w) { inp.Add(x, w); });
                long bestdelta = 0;
                int best = -1;
                work += n;
                for (int b = 0; b < n; ++b) {
                    const int q = units[b].sq;
                    if (q == p || units[b].pinned) continue;
                    long delta = insq.val[q] - withu.val[b] + inp.val[b] - own[u] - own[b];
                    if (delta < bestdelta) {
                        bestdelta = delta;
                        best = b;
                    }
                }
                if (best < 0) continue;
                Swap(u, best);
                improved = true;
            }
            if (!improved) break;
        }
    }

    // Out of a local optimum: a few pairs that still meet somebody again are exchanged with
    // others, the swaps improve from there, and the round is undone when it ends worse. The
    // pairs kicked follow a fixed sequence of numbers of its own, not the roll's generator.
    void Kicks() {
        constexpr int kRounds = 100, kKicks = 2;
        uint64_t state = 0x9e3779b97f4a7c15ULL;
        auto next = [&state](size_t n) {
            uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            return static_cast<size_t>((z ^ (z >> 31)) % n);
        };
        std::vector<int> loose;  // unpinned pairs
        for (size_t u = 0; u < units.size(); ++u)
            if (!units[u].pinned) loose.push_back(static_cast<int>(u));
        std::vector<int> hot;
        for (int r = 0; r < kRounds && total > 0 && work < kMaxWork && loose.size() > 1; ++r) {
            hot.clear();
            for (int u : loose)
                if (own[u] > 0) hot.push_back(u);
            if (hot.empty()) break;  // what still costs is pinned
            work += static_cast<long>(loose.size());
            const long before = total;
            log.clear();
            logging = true;
            for (int k = 0; k < kKicks; ++k) {
                int a = hot[next(hot.size())], b = loose[next(loose.size())];
                if (units[a].sq != units[b].sq) Swap(a, b);
            }
            ImprovingSwaps();
            logging = false;
            if (total > before)
                for (size_t i = log.size(); i-- > 0;) Swap(log[i].second, log[i].first);
        }
    }

    void Swap(int u, int b) {
        const int p = units[u].sq, q = units[b].sq;
        *std::find(members[p].begin(), members[p].end(), u) = b;
        *std::find(members[q].begin(), members[q].end(), b) = u;
        units[u].sq = q;
        units[b].sq = p;
        for (int s : {p, q})
            for (int v : members[s]) {
                total -= own[v];
                own[v] = OwnCost(v);
                total += own[v];
            }
        if (logging) log.emplace_back(u, b);
    }

    void WriteBack() {
        for (int s = 0; s < totsquare; ++s)
            for (size_t k = 0; k < members[s].size(); ++k)
                for (int j = 0; j < 2; ++j) {
                    int slot = static_cast<int>(2 * k) + j;
                    SqrDancer* sd = units[members[s][k]].sd[j];
                    sqr[s].dancer[slot] = sd;
                    if (!sd) continue;
                    sd->square = s;
                    sd->posn = slot;
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
    if (r.tips == 0) return "fairness: no tip has been rolled yet";
    std::string who = "nobody";
    if (r.mostout > 0) {
        who.clear();
        const size_t shown = std::min<size_t>(r.outmost.size(), 3);
        for (size_t i = 0; i < shown; ++i) who += (i ? ", " : "") + r.outmost[i]->firstlast;
        if (r.outmost.size() > shown) who += strprintf(" +%zu more", r.outmost.size() - shown);
        who += r.tips == 1 ? strprintf(" (%d of 1 tip)", r.mostout) : strprintf(" (%d of %d tips)", r.mostout, r.tips);
    }
    // Each line a whole sentence in the singular or the plural.
    std::string dances = r.tips == 1 ? strprintf("fairness after 1 tip: dances %d to %d (spread %d)", r.mindances,
                                                 r.maxdances, r.maxdances - r.mindances)
                                     : strprintf("fairness after %d tips: dances %d to %d (spread %d)", r.tips,
                                                 r.mindances, r.maxdances, r.maxdances - r.mindances);
    std::string mixing =
        r.maxmeet == 1
            ? strprintf("mixing %s: %.0f%% of the possible square-mates met, the same two at most 1 time",
                        mixflag ? "on" : "off", r.Coverage())
            : strprintf("mixing %s: %.0f%% of the possible square-mates met, the same two at most %d times",
                        mixflag ? "on" : "off", r.Coverage(), r.maxmeet);
    return dances + "\n" + strprintf("sat out most: %s", who.c_str()) + "\n" + mixing;
}
