// SPDX-License-Identifier: GPL-3.0-or-later
// Season memory: the square-mates of the club's earlier evenings, read from and written to
// the season file beside the club file.
#include "files/season.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <set>
#include <vector>

#include "assign/assign.h"
#include "core/screen.h"
#include "files/clubfile.h"
#include "files/clubguard.h"
#include "support/helmtext.h"
#include "support/intl.h"

int seasonflag = 0;
int seasontoday = -1;

namespace {
constexpr const char* kHeader = "dorvels-season";
constexpr int kVersion = 1;
constexpr int kMaxCount = 1000000;
constexpr size_t kMaxName = 256;

struct Remembered {
    int count = 0;   // meetings
    int last = 0;    // day of the last one
    int onlast = 0;  // meetings on that day
};

// The memory as read from the season file; tonight's meetings are never added to it, only
// to what is written, so that a tip rolled again is mixed against the same memory.
struct Memory {
    std::string path;        // the season file read; empty = none yet
    bool blocked = false;    // the file is neither used nor written (unreadable, newer format)
    int today = 0;
    std::vector<std::string> names;
    std::unordered_map<std::string, int> nameid;
    std::unordered_map<uint64_t, Remembered> pairs;
    std::vector<std::pair<uint64_t, Remembered>> often;  // the pairs, met most often first; made when asked
    // The pairs in the order of the file (by the first name, then the second, each pair's
    // names in order): made at the first write, for every later one.
    struct Ordered {
        int x, y;  // name numbers, names[x] < names[y]
        uint64_t key;
        const Remembered* r;
    };
    std::vector<Ordered> ordered;
    bool isordered = false;
};
Memory mem;
std::set<std::string> reported;  // write failures already shown

uint64_t Key(int a, int b) {
    if (a > b) std::swap(a, b);
    return (static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32) | static_cast<uint32_t>(b);
}

int DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int LocalToday() {
    time_t now = time(nullptr);
    struct tm tm;
    if (!localtime_r(&now, &tm)) return 0;
    return DaysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

// A full name that can stand in the file: no tab, line end or other control character.
bool Storable(const std::string& name) {
    if (name.empty() || name.size() > kMaxName || name == "* *") return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f) return false;
    return true;
}

bool Number(const std::string& text, int lo, int hi, int* value) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return false;
    *value = v;
    return true;
}

int NameId(Memory& m, const std::string& name) {
    auto [it, added] = m.nameid.emplace(name, static_cast<int>(m.names.size()));
    if (added) m.names.push_back(name);
    return it->second;
}

// How many dancers of the roster carry each full name.
std::unordered_map<std::string, int> NameUses() {
    std::unordered_map<std::string, int> uses;
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt) ++uses[sd->firstlast];
    return uses;
}

// The lines of a season file into m; "" when all is well, else what is wrong. A newer
// format is "newer". Pairs naming a dancer not on the roster (`uses`) are left out: they
// would only cost time at every roll, and are not written again. A pair dated after today
// (a clock that was ahead) is taken as met today, so that it is counted once.
std::string Parse(const std::string& text, Memory& m, const std::unordered_map<std::string, int>& uses) {
    bool header = false;
    size_t pos = 0;
    int line = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string l = text.substr(pos, end - pos);
        pos = end + 1;
        ++line;
        while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
        if (l.empty() || l[0] == '%') continue;
        if (!header) {
            int version = 0;
            const std::string h = std::string(kHeader) + " ";
            if (l.compare(0, h.size(), h) != 0 || !Number(l.substr(h.size()), 1, 999999, &version))
                return _("no season header");
            if (version > kVersion) return "newer";
            header = true;
            continue;
        }
        std::vector<std::string> f;
        for (size_t a = 0;;) {
            size_t t = l.find('\t', a);
            f.push_back(l.substr(a, t == std::string::npos ? std::string::npos : t - a));
            if (t == std::string::npos) break;
            a = t + 1;
        }
        Remembered r;
        if (f.size() != 5 || !Storable(f[0]) || !Storable(f[1]) || f[0] == f[1])
            return strprintf(_("line %d names no pair"), line);
        if (!Number(f[2], 1, kMaxCount, &r.count) || (r.last = SeasonDay(f[3])) < 0 ||
            !Number(f[4], 0, r.count, &r.onlast))
            return strprintf(_("line %d has an impossible count or date"), line);
        if (m.today - r.last > SEASONDAYS || !uses.count(f[0]) || !uses.count(f[1])) continue;  // forgotten, or gone
        r.last = std::min(r.last, m.today);
        if (!m.pairs.emplace(Key(NameId(m, f[0]), NameId(m, f[1])), r).second)
            return strprintf(_("line %d names a pair again"), line);
    }
    return header ? "" : _("no season header");
}

void Load(const std::string& path) {
    mem = Memory{};
    mem.path = path;
    mem.today = seasontoday >= 0 ? seasontoday : LocalToday();
    // Opened without waiting, so that a pipe put in the file's place cannot stop the evening.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return;  // a new season
    struct stat st {};
    std::string why, text;
    if (fd < 0) why = strerror(errno);
    else if (fstat(fd, &st) != 0) why = strerror(errno);
    else if (!S_ISREG(st.st_mode)) why = _("it is not a plain file");
    else if (st.st_size <= SEASONMAXBYTES) {
        text.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < text.size()) {
            ssize_t n = read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) why = strerror(errno);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        text.resize(got);
    }
    if (fd >= 0) close(fd);
    // Messages name the file as the operator knows it, and stay short enough for a pop-up.
    const std::string shown = ShownName(path);
    if (!why.empty()) {
        mem.blocked = true;
        error(1, "(SeasonReady) %s: %s\n", path.c_str(), why.c_str());
        GtkWarning(_("The season memory <%s> cannot be read (%s): mixing goes on without it, and the file stays as it is."),
                   shown.c_str(), why.c_str());
        return;
    }
    why = st.st_size > SEASONMAXBYTES ? _("far too large") : Parse(text, mem, NameUses());
    if (why.empty()) return;
    mem.names.clear();
    mem.nameid.clear();
    mem.pairs.clear();
    mem.blocked = !CompanionPutAside(
        path, why, "SeasonReady",
        _("The season memory <%s> was written by a newer Dorvels: mixing goes on without it, and the file stays as it is."),
        _("The season memory <%s> is damaged (%s): it is kept as <%s>, and this evening starts a new one."),
        _("The season memory <%s> is damaged (%s) and cannot be put aside (%s): mixing goes on without it."));
}

}  // namespace

std::string SeasonFilename(const std::string& clubfile) { return CompanionFile(clubfile, "season"); }

int SeasonDay(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return -1;
    int y, m, d;
    if (!Number(text.substr(0, 4), 1970, 9999, &y) || !Number(text.substr(5, 2), 1, 12, &m) ||
        !Number(text.substr(8, 2), 1, 31, &d))
        return -1;
    const int day = DaysFromCivil(y, m, d);
    return SeasonDate(day) == text ? day : -1;  // no 31 April
}

std::string SeasonDate(int day) {
    day += 719468;
    const int era = (day >= 0 ? day : day - 146096) / 146097;
    const int doe = day - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    return strprintf("%04d-%02d-%02d", yoe + era * 400 + (m <= 2), m, d);
}

bool SeasonReady() {
    if (!seasonflag || !mixflag) return false;
    const std::string path = SeasonFilename(outputfilename.empty() ? dfltsavefile : outputfilename);
    if (path != mem.path) Load(path);
    return !mem.blocked;
}

void SeasonPairs(const std::unordered_map<const SqrDancer*, int>& id,
                 const std::function<void(int, int, int, int)>& f, size_t most) {
    if (!SeasonReady() || mem.pairs.empty()) return;
    const auto uses = NameUses();
    std::vector<int> at(mem.names.size(), -1);
    for (const auto& [sd, i] : id) {
        auto u = uses.find(sd->firstlast);
        auto it = mem.nameid.find(sd->firstlast);
        if (u != uses.end() && u->second == 1 && it != mem.nameid.end()) at[it->second] = i;
    }
    if (most >= mem.pairs.size()) {
        for (const auto& [key, r] : mem.pairs) {
            const int a = at[key >> 32], b = at[key & 0xffffffffu];
            if (a >= 0 && b >= 0) f(a, b, r.count, r.last == mem.today ? r.onlast : 0);
        }
        return;
    }
    if (mem.often.size() != mem.pairs.size()) {  // made once for the memory as read (or renamed)
        mem.often.assign(mem.pairs.begin(), mem.pairs.end());
        std::sort(mem.often.begin(), mem.often.end(), [](const auto& x, const auto& y) {
            return x.second.count != y.second.count ? x.second.count > y.second.count : x.first < y.first;
        });
    }
    for (const auto& [key, r] : mem.often) {
        const int a = at[key >> 32], b = at[key & 0xffffffffu];
        if (a < 0 || b < 0) continue;
        f(a, b, r.count, r.last == mem.today ? r.onlast : 0);
        if (--most == 0) return;
    }
}

bool SeasonSave() {
    if (!SeasonReady()) return false;
    // Written after every roll, with a full season of a large club half a million pairs: the
    // memory is not copied, only tonight's pairs are worked out anew, and the lines are put in
    // order by the ranks of their names.
    const auto uses = NameUses();
    std::vector<std::string> names = mem.names;
    std::unordered_map<std::string, int> added;  // names met tonight that the memory did not know
    auto idof = [&](const std::string& name) {
        if (auto it = mem.nameid.find(name); it != mem.nameid.end()) return it->second;
        auto [it, isnew] = added.emplace(name, static_cast<int>(names.size()));
        if (isnew) names.push_back(name);
        return it->second;
    };
    auto usable = [&](const SqrDancer* sd) {
        auto u = uses.find(sd->firstlast);
        return u != uses.end() && u->second == 1 && Storable(sd->firstlast);
    };
    const int today = mem.today;
    std::unordered_map<uint64_t, Remembered> tonight;
    for (const auto& [a, b, times] : TonightMeetings()) {
        if (!usable(a) || !usable(b)) continue;
        const uint64_t key = Key(idof(a->firstlast), idof(b->firstlast));
        auto [it, isnew] = tonight.emplace(key, Remembered{});
        Remembered& r = it->second;
        if (isnew)
            if (auto old = mem.pairs.find(key); old != mem.pairs.end()) r = old->second;
        if (r.count == 0) {
            r = Remembered{times, today, times};
        } else if (r.last == today) {
            // Written earlier this evening: a program started again has the first part of the
            // evening either in its history again or not at all, so the larger count is tonight's.
            r.count += std::max(r.onlast, times) - r.onlast;
            r.onlast = std::max(r.onlast, times);
        } else {
            r.count += times;
            r.last = today, r.onlast = times;
        }
        // Within what the reader takes: a count beyond its limit would cost the whole memory.
        r.count = std::min(r.count, kMaxCount);
        r.onlast = std::min(r.onlast, r.count);
    }
    // Each name's rank in order; equal names share a rank.
    std::vector<int> order(names.size()), rank(names.size());
    for (size_t i = 0; i < names.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int x, int y) { return names[x] < names[y]; });
    for (size_t i = 0, r = 0; i < order.size(); ++i) {
        if (i > 0 && names[order[i]] != names[order[i - 1]]) ++r;
        rank[order[i]] = static_cast<int>(r);
    }
    // Written: names a dancer of the roster has and the file can hold.
    std::vector<char> written(names.size());
    for (size_t i = 0; i < names.size(); ++i) written[i] = uses.count(names[i]) && Storable(names[i]);
    using Ordered = Memory::Ordered;
    auto before = [&](const Ordered& p, const Ordered& q) {
        return rank[p.x] != rank[q.x] ? rank[p.x] < rank[q.x] : rank[p.y] < rank[q.y];
    };
    auto ordered = [&](uint64_t key, const Remembered* r) {
        int x = static_cast<int>(key >> 32), y = static_cast<int>(key & 0xffffffffu);
        if (rank[x] > rank[y]) std::swap(x, y);
        return Ordered{x, y, key, r};
    };
    // The memory's pairs keep their order (names met first tonight fall in between).
    if (!mem.isordered) {
        mem.ordered.clear();
        mem.ordered.reserve(mem.pairs.size());
        for (const auto& [key, r] : mem.pairs) mem.ordered.push_back(ordered(key, &r));
        std::sort(mem.ordered.begin(), mem.ordered.end(), before);
        mem.isordered = true;
    }
    std::vector<Ordered> news;
    for (const auto& [key, r] : tonight) news.push_back(ordered(key, &r));
    std::sort(news.begin(), news.end(), before);

    std::string text =
        "% Dorvels season memory: who met whom in a square this season (two dancers, meetings,\n"
        "% date of the last meeting, meetings on that date). A pair not met for 26 weeks is\n"
        "% forgotten; deleting this file forgets everything, and mixing goes on without it.\n";
    text += strprintf("%s %d\n", kHeader, kVersion);
    text.reserve(text.size() + (mem.ordered.size() + news.size()) * 48);
    std::vector<std::string> dates(SEASONDAYS + 1);  // by days before today
    auto line = [&](const Ordered& l) {
        const Remembered& r = *l.r;
        const int ago = today - r.last;
        if (ago < 0 || ago > SEASONDAYS || !written[l.x] || !written[l.y] || rank[l.x] == rank[l.y]) return;
        if (dates[ago].empty()) dates[ago] = SeasonDate(r.last);
        text += names[l.x];
        text += '\t';
        text += names[l.y];
        text += '\t';
        text += std::to_string(r.count);
        text += '\t';
        text += dates[ago];
        text += '\t';
        text += std::to_string(r.onlast);
        text += '\n';
    };
    size_t j = 0;
    for (const Ordered& o : mem.ordered) {
        for (; j < news.size() && before(news[j], o); ++j) line(news[j]);
        if (!tonight.count(o.key)) line(o);
    }
    for (; j < news.size(); ++j) line(news[j]);
    if (ReplaceFile(mem.path, text)) return true;
    const std::string why =
        strprintf(_("unable to write the season memory <%s>: %s"), ShownName(mem.path).c_str(), strerror(errno));
    error(1, "%s\n", why.c_str());
    if (reported.insert(why).second) GtkWarning("%s", why.c_str());
    return false;
}

void SeasonRename(const std::string& from, const std::string& to) {
    if (from == to || mem.path.empty()) return;
    mem.often.clear();
    mem.ordered.clear();
    mem.isordered = false;
    if (auto it = mem.nameid.find(to); it != mem.nameid.end()) {
        const int gone = it->second;
        std::erase_if(mem.pairs, [gone](const auto& p) {
            return static_cast<int>(p.first >> 32) == gone || static_cast<int>(p.first & 0xffffffffu) == gone;
        });
        mem.nameid.erase(it);
        mem.names[gone].clear();
    }
    if (auto it = mem.nameid.find(from); it != mem.nameid.end()) {
        const int id = it->second;
        mem.nameid.erase(it);
        mem.names[id] = to;
        mem.nameid[to] = id;
    }
}

void SeasonReset() {
    mem = Memory{};
    reported.clear();
    seasonflag = 0;
    seasontoday = -1;
}
