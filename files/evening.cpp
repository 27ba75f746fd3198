// SPDX-License-Identifier: GPL-3.0-or-later
// The evening file: the state of a club evening beside its club file, written whenever it
// changes and offered back at the next start.
#include "files/evening.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <new>
#include <string_view>
#include <vector>

#include "assign/assign.h"
#include "core/dlist.h"
#include "core/screen.h"
#include "core/dorvels.h"
#include "files/clubfile.h"
#include "files/clubguard.h"
#include "files/season.h"
#include "files/record.h"
#include "history/history.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"
#include "support/rndm.h"

namespace {

constexpr const char* HEADER = "dorvels-evening 1";
constexpr size_t MAXFILE = (size_t)32 << 20;  // far beyond an evening of a large club
constexpr long long MAXCOUNT = 1000000;       // dancers, tips, places: far beyond any hall

struct Extra {
    std::string key;
    std::function<std::string()> save;
    std::function<bool(const std::string&)> load;
};
std::vector<Extra>& Extras() {
    static std::vector<Extra> extras;  // kept across EveningReset: registered once at start-up
    return extras;
}

// ---- what the file holds, read and checked before anything of it is used ----------------
struct DancerRec {
    std::string first, last;
    long long avail = 0, dances = 0, prvdances = 0, skip = 0, square = 0, tagged = 0, assigned = 0,
              outdancer = 0, posn = 0, display = 0, pgm = 0, partner = -1, tmppartner = -1;
    char priority = 'L';
};
struct PlaceRec {
    long long sq = 0, slot = 0, d = -1, avail = 0, dances = 0, prvdances = 0, square = 0, tagged = 0, pgm = 0,
              sex = 0, partner = -1, tmppartner = -1;
};
struct TipRec {
    long long tipcnt = 0, prvtipcnt = 0, totsquares = 0, sqrsize = 0, totdancers = 0, pgm = 0;
    long long s1 = 0, s2 = 0, s3 = 0;
    std::vector<std::pair<long long, std::string>> cells;
    std::vector<PlaceRec> places;
    std::vector<std::pair<long long, long long>> outs;  // dancer, assigned
};
struct Evening {
    std::string club;
    std::vector<std::string> clublines;  // the roster and settings as the club file writes them
    long long saved = 0, lastroll = 0, ended = 0, day = -1, backedup = 0;
    long long tip = 0, prvtip = 0;
    long long seeds[3] = {}, initial[3] = {}, rndm[3] = {};
    long long mix = 0, hall = 0, hallfont = 0, level = 0;
    std::vector<DancerRec> dancers;
    std::vector<std::pair<long long, long long>> outs, skips, onces;  // dancer, assigned / tip
    std::vector<std::array<long long, 3>> tags;                     // slot, square, dancer
    std::vector<TipRec> tips;
    std::map<std::string, std::string> extras;
};

// What this run knows of its evening file.
struct State {
    std::string written;    // the body last written (or read back): unchanged evenings are not written
    std::string writtento;  // where
    int lastrolltip = 0;    // the newest tip, rolled at lastroll
    time_t lastroll = 0;
    int day = -1;           // the evening's date (days since 1970), set by its first save
    bool failed = false;    // a failed write was said
    bool ended = false;     // the evening was ended on purpose: the next start offers it, not as default
    bool found = false;     // `offer` holds the evening read at start-up: nothing is written until
                            // the operator has chosen to resume it or not
    Evening offer;
    std::string foundpath, foundtext;
    // The history's lines as last made, with what they were made from.
    unsigned historyversion = ~0u;
    std::vector<const SqrDancer*> historyroster;
    std::string historytext;
} state;

// The newest tip rolled (the number of the last record, not the tip shown with h).
int NewestTip() { return histtl ? histtl->tipcnt : 0; }

int Today(time_t now) {
    struct tm tm;
    if (!localtime_r(&now, &tm)) return -1;
    return SeasonDay(strprintf("%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
}

std::string_view NextWord(std::string_view& s);

// The club file's text of the roster and settings, less the key that starts or stops
// recording (whether this run records is its own affair).
std::string ClubLines() {
    std::string text = ClubFileText(1), out;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        // A dancer still being entered in the new-dancer dialog ("* *") is not kept.
        std::string_view words = line;
        bool placeholder = NextWord(words) == "*" && NextWord(words) == "*";
        if (line != "Record" && !line.empty() && line[0] != '%' && !placeholder)
            (((out += "clubline=") += line) += '\n');
    }
    return out;
}

std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

// The dancers of the roster, in order, with their numbers in the file.
std::unordered_map<const SqrDancer*, long long> Numbers() {
    std::unordered_map<const SqrDancer*, long long> n;
    long long i = 0;
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (!IsPlaceholder(sd)) n[sd] = i++;
    return n;
}

template <class Ref>
std::string HistoryLines(const Ref& ref);

// Everything but the times: what is compared to tell whether the evening changed.
std::string Body() {
    auto num = Numbers();
    auto ref = [&](const SqrDancer* sd) -> long long {
        auto it = sd ? num.find(sd) : num.end();
        return it == num.end() ? -1 : it->second;
    };
    std::string out;
    out += strprintf("club=%s\n", OneLine(outputfilename.substr(BaseStart(outputfilename))).c_str());
    out += strprintf("tip=%d %d\n", tipcnt, prvtipcnt);
    out += strprintf("seeds=%lld %lld %lld\n", (long long)s1, (long long)s2, (long long)s3);
    int64_t r[3];
    get_rndm(&r[0], &r[1], &r[2]);  // where the generator stands: the next roll goes on from here
    out += strprintf("rndm=%lld %lld %lld\n", (long long)r[0], (long long)r[1], (long long)r[2]);
    out += strprintf("initialseeds=%lld %lld %lld\n", (long long)initial_s1, (long long)initial_s2,
                     (long long)initial_s3);
    out += strprintf("mix=%d\nhallview=%d\nhallfont=%d\nlevel=%d\n", mixflag, hallview, hallfontchg, (int)pgmfloor);
    out += ClubLines();
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (!IsPlaceholder(sd))
            out += strprintf("dancer=%s %s %d %d %d %d %d %d %d %d %d %d %d %c %lld %lld\n", FileWord(sd->firstname).c_str(),
                         FileWord(sd->lastname).c_str(), sd->avail, sd->dances, sd->prvdances, sd->skip, sd->square,
                         sd->tagged, sd->assigned, sd->outdancer, sd->posn, sd->display, (int)sd->pgm,
                         sd->priority == MUST ? 'M' : 'L', ref(sd->partner), ref(sd->tmppartner));
    for (const OutDancer* od = outdancerhd; od; od = od->nxt)
        if (ref(od->sd) >= 0) out += strprintf("out=%lld %d\n", ref(od->sd), od->assigned);
    for (const SkipTip* st = skiptiphd; st; st = st->nxt)
        if (ref(st->sd) >= 0) out += strprintf("skiptip=%lld %d\n", ref(st->sd), st->tip);
    for (const MustOnce* mo = mustoncehd; mo; mo = mo->nxt)
        if (ref(mo->sd) >= 0) out += strprintf("mustonce=%lld %d\n", ref(mo->sd), mo->tip);
    for (int i = 0; i < SQRTAGQTY; ++i)
        if (sqrtag[i].sd) out += strprintf("tag=%d %d %lld\n", i, sqrtag[i].isqr, ref(sqrtag[i].sd));
    // The tips change only at a roll, a tip taken back or a dancer deleted; their lines are
    // made again only then (or when the roster's order, which numbers the dancers, changed).
    std::vector<const SqrDancer*> roster;
    roster.reserve(num.size());
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt) roster.push_back(sd);
    if (state.historyversion != historyversion || state.historyroster != roster) {
        state.historyversion = historyversion;
        state.historyroster = std::move(roster);
        state.historytext = HistoryLines(ref);
    }
    out += state.historytext;
    for (const Extra& e : Extras()) {
        std::string v = e.save ? OneLine(e.save()) : "";
        if (!v.empty()) out += e.key + "=" + v + "\n";
    }
    return out;
}

template <class Ref>
std::string HistoryLines(const Ref& ref) {
    std::string out;
    for (const History* h = histhd; h; h = h->nxt) {
        out += strprintf("history=%d %d %d %d %d %d %lld %lld %lld\n", h->tipcnt, h->prvtipcnt, h->totsquares,
                         h->sqrsize, h->totdancers, (int)h->pgmfloor, (long long)h->s1, (long long)h->s2,
                         (long long)h->s3);
        for (int i = 0; h->sqrlist && i < 2 * h->totdancers; ++i)
            if (h->sqrlist[i]) out += strprintf("cell=%d %s\n", i, OneLine(h->sqrlist[i]).c_str());
        for (int q = 0; h->histsqr && q < h->totsquares; ++q)
            for (int j = 0; h->histsqr[q].histsd && j < h->sqrsize; ++j) {
                const HistoryDancer& p = h->histsqr[q].histsd[j];
                if (ref(p.sd) < 0) continue;
                out += strprintf("place=%d %d %lld %d %d %d %d %d %d %d %lld %lld\n", q, j, ref(p.sd), p.avail,
                                 p.dances, p.prvdances, p.square, p.tagged, (int)p.pgm, (int)p.sex, ref(p.partner),
                                 ref(p.tmppartner));
            }
        for (const OutDancer* od = h->outdancerhd; od; od = od->nxt)
            if (ref(od->sd) >= 0) out += strprintf("historyout=%lld %d\n", ref(od->sd), od->assigned);
    }
    return out;
}

// ---- reading -----------------------------------------------------------------------------
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view NextWord(std::string_view& s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    size_t j = i;
    while (j < s.size() && !IsBlank(s[j])) ++j;
    std::string_view w = s.substr(i, j - i);
    s = s.substr(j);
    return w;
}

// n integers of the value, each within [lo, hi]; nothing may follow unless rest is given,
// which then gets the text after them (blanks after the last number skipped).
bool Ints(std::string_view v, long long* out, int n, long long lo, long long hi, std::string_view* rest = nullptr) {
    for (int i = 0; i < n; ++i) {
        std::string w(NextWord(v));
        if (w.empty()) return false;
        char* end = nullptr;
        errno = 0;
        long long x = strtoll(w.c_str(), &end, 10);
        if (errno || *end || x < lo || x > hi) return false;
        out[i] = x;
    }
    if (rest) {
        size_t i = 0;
        while (i < v.size() && IsBlank(v[i])) ++i;
        *rest = v.substr(i);
        return true;
    }
    return NextWord(v).empty();
}

// Seeds are any 64-bit numbers.
bool Seeds(std::string_view v, long long* out) { return Ints(v, out, 3, LLONG_MIN, LLONG_MAX); }

// Parses the file's text; false with *why (the line and what is wrong) when a line of a known
// key cannot be taken.
bool Parse(const std::string& text, Evening* ev, std::string* why) {
    size_t pos = 0, lineno = 0;
    TipRec* tip = nullptr;
    auto bad = [&](const char* what) {
        *why = strprintf(_("line %zu: %s"), lineno, what);
        return false;
    };
    const long long D = MAXCOUNT;  // dancer numbers are checked once all dancers are known
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        ++lineno;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineno == 1) {
            if (line != HEADER) return bad(_("this is no evening file of this version"));
            continue;
        }
        if (line.empty()) continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) return bad(_("a line without \"=\""));
        std::string key(line.substr(0, eq));
        std::string_view v = line.substr(eq + 1);
        long long n[16];
        if (key == "club") {
            ev->club = v;
        } else if (key == "clubline") {
            if (ev->clublines.size() >= (size_t)MAXCOUNT) return bad(_("too many dancers"));
            ev->clublines.emplace_back(v);
        } else if (key == "ended" || key == "backedup") {
            if (!Ints(v, key == "ended" ? &ev->ended : &ev->backedup, 1, 0, 1))
                return bad(_("a switch that is neither 0 nor 1"));
        } else if (key == "day") {
            if ((ev->day = SeasonDay(std::string(v))) < 0) return bad(_("no date"));
        } else if (key == "saved" || key == "lastroll") {
            if (!Ints(v, n, 1, 0, LLONG_MAX)) return bad(_("a time that is no number"));
            (key == "saved" ? ev->saved : ev->lastroll) = n[0];
        } else if (key == "tip") {
            if (!Ints(v, n, 2, 0, MAXCOUNT)) return bad(_("a tip number out of range"));
            ev->tip = n[0];
            ev->prvtip = n[1];
        } else if (key == "seeds" || key == "initialseeds" || key == "rndm") {
            if (!Seeds(v, key == "seeds" ? ev->seeds : key == "rndm" ? ev->rndm : ev->initial))
                return bad(_("seeds that are no numbers"));
        } else if (key == "mix" || key == "hallview") {
            if (!Ints(v, n, 1, 0, 1)) return bad(_("a switch that is neither 0 nor 1"));
            (key == "mix" ? ev->mix : ev->hall) = n[0];
        } else if (key == "hallfont") {
            if (!Ints(v, &ev->hallfont, 1, -100, 100)) return bad(_("a font step out of range"));
        } else if (key == "level") {
            if (!Ints(v, &ev->level, 1, Basic, C4)) return bad(_("no level"));
        } else if (key == "dancer") {
            DancerRec d;
            d.first = NextWord(v);
            d.last = NextWord(v);
            std::string_view rest;
            if (d.last.empty() || !Ints(v, n, 11, -1, MAXCOUNT, &rest)) return bad(_("a dancer line that is damaged"));
            std::string prio(NextWord(rest));
            if ((prio != "L" && prio != "M") || !Ints(rest, n + 11, 2, -1, D)) return bad(_("a dancer line that is damaged"));
            if (n[10] < Basic || n[10] > C4) return bad(_("a dancer's level out of range"));
            d.avail = n[0] != 0;
            d.dances = n[1];
            d.prvdances = n[2];
            d.skip = n[3];
            d.square = n[4];
            d.tagged = n[5];
            d.assigned = n[6];
            d.outdancer = n[7];
            d.posn = n[8];
            d.display = n[9];
            d.pgm = n[10];
            d.priority = prio[0];
            d.partner = n[11];
            d.tmppartner = n[12];
            if (ev->dancers.size() >= (size_t)MAXCOUNT) return bad(_("too many dancers"));
            ev->dancers.push_back(std::move(d));
        } else if (key == "out" || key == "skiptip" || key == "mustonce" || key == "historyout") {
            if (!Ints(v, n, 2, 0, MAXCOUNT)) return bad(_("a request or out line that is damaged"));
            if (key == "historyout") {
                if (!tip) return bad(_("an out line before its tip"));
                tip->outs.emplace_back(n[0], n[1]);
            } else {
                (key == "out" ? ev->outs : key == "skiptip" ? ev->skips : ev->onces).emplace_back(n[0], n[1]);
            }
        } else if (key == "tag") {
            if (!Ints(v, n, 3, -1, MAXCOUNT) || n[0] < 0 || n[0] >= SQRTAGQTY || n[2] < 0)
                return bad(_("a square tag that is damaged"));
            ev->tags.push_back({n[0], n[1], n[2]});
        } else if (key == "history") {
            std::string_view rest;
            if (!Ints(v, n, 6, 0, MAXCOUNT, &rest) || !Seeds(rest, n + 6))
                return bad(_("a tip that is damaged"));
            if (n[3] < 1 || n[3] > MAXSQUARESIZE || n[5] > C4 || n[2] * n[3] > MAXCOUNT)
                return bad(_("a tip whose squares are out of range"));
            if (ev->tips.size() >= (size_t)MAXCOUNT) return bad(_("too many tips"));
            ev->tips.emplace_back();
            tip = &ev->tips.back();
            tip->tipcnt = n[0];
            tip->prvtipcnt = n[1];
            tip->totsquares = n[2];
            tip->sqrsize = n[3];
            tip->totdancers = n[4];
            tip->pgm = n[5];
            tip->s1 = n[6];
            tip->s2 = n[7];
            tip->s3 = n[8];
        } else if (key == "cell") {
            std::string_view rest;
            if (!tip || !Ints(v, n, 1, 0, 2 * tip->totdancers - 1, &rest)) return bad(_("a board text out of place"));
            tip->cells.emplace_back(n[0], std::string(rest));
        } else if (key == "place") {
            if (!tip || !Ints(v, n, 12, -1, MAXCOUNT)) return bad(_("a place of a square that is damaged"));
            PlaceRec p{n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9], n[10], n[11]};
            if (p.sq < 0 || p.sq >= tip->totsquares || p.slot < 0 || p.slot >= tip->sqrsize || p.d < 0 ||
                p.pgm < Basic || p.pgm > C4 || p.sex < M || p.sex > E)
                return bad(_("a place of a square out of range"));
            tip->places.push_back(p);
        } else {
            ev->extras[key] = v;  // another part's field, or one of a later version
        }
    }
    if (lineno == 0) return bad(_("the file is empty"));
    // Every dancer named exists.
    long long nd = (long long)ev->dancers.size();
    auto known = [&](long long i, bool none) { return (none && i == -1) || (i >= 0 && i < nd); };
    for (const DancerRec& d : ev->dancers)
        if (!known(d.partner, true) || !known(d.tmppartner, true)) return bad(_("a partner that is no dancer"));
    for (auto* list : {&ev->outs, &ev->skips, &ev->onces})
        for (auto& [d, x] : *list)
            if (!known(d, false)) return bad(_("a request for no dancer"));
    for (auto& t : ev->tags)
        if (!known(t[2], false)) return bad(_("a square tag for no dancer"));
    for (const TipRec& t : ev->tips) {
        for (const PlaceRec& p : t.places)
            if (!known(p.d, false) || !known(p.partner, true) || !known(p.tmppartner, true))
                return bad(_("a tip naming no dancer"));
        for (auto& [d, a] : t.outs)
            if (!known(d, false)) return bad(_("a tip naming no dancer"));
    }
    return true;
}

// The roster's dancer for each dancer of the file (null for one who has left the club file):
// the n-th of the same first and last name.
std::vector<SqrDancer*> MapDancers(const Evening& ev) {
    std::map<std::string, std::vector<SqrDancer*>> byname;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) byname[FileWord(sd->firstname) + " " + FileWord(sd->lastname)].push_back(sd);
    std::map<std::string, size_t> used;
    std::vector<SqrDancer*> map;
    for (const DancerRec& d : ev.dancers) {
        std::string key = d.first + " " + d.last;
        auto it = byname.find(key);
        size_t k = used[key]++;
        map.push_back(it != byname.end() && k < it->second.size() ? it->second[k] : nullptr);
    }
    return map;
}

bool ReadAllFile(const std::string& path, std::string* text, std::string* why) {
    FILE* fp = fopen(path.c_str(), "rb");
    if (!fp) {
        *why = strerror(errno);
        return false;
    }
    char buf[65536];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, fp)) > 0) {
        text->append(buf, got);
        if (text->size() > MAXFILE) {
            fclose(fp);
            *why = _("it is larger than any evening");
            return false;
        }
    }
    bool ok = !ferror(fp);
    fclose(fp);
    if (!ok) *why = _("it cannot be read");
    return ok;
}

// A time of day ("21:40"), with its date when it is not on the day of `now`; "" for a time
// the clock cannot convert.
std::string Clock(time_t t, time_t now) {
    char buf[64];
    struct tm tm, today;
    if (t <= 0 || !localtime_r(&t, &tm) || !localtime_r(&now, &today)) return "";
    bool sameday = tm.tm_year == today.tm_year && tm.tm_yday == today.tm_yday;
    if (!strftime(buf, sizeof buf, sameday ? "%H:%M" : "%Y-%m-%d %H:%M", &tm)) return "";
    return buf;
}

}  // namespace

void EveningField(const std::string& key, std::function<std::string()> save,
                  std::function<bool(const std::string&)> load) {
    for (Extra& e : Extras())
        if (e.key == key) {
            e.save = std::move(save);
            e.load = std::move(load);
            return;
        }
    Extras().push_back({key, std::move(save), std::move(load)});
}

std::string EveningFileName(const std::string& clubfile) { return CompanionFile(clubfile, "evening"); }

std::string EveningPath() {
    if (!dbgfile.empty() || !OutputFileBound() || !GuardOurs(outputfilename)) return "";
    return EveningFileName(outputfilename);
}

bool EveningSave(bool ended) {
    std::string path = EveningPath();
    // While the operator is asked whether to resume the evening found, that file is what
    // is offered: nothing may take its place.
    if (path.empty() || state.found) return true;
    std::string body = Body();
    if (body == state.written && path == state.writtento && ended == state.ended) return true;
    time_t now = time(nullptr);
    if (NewestTip() != state.lastrolltip) {
        state.lastrolltip = NewestTip();
        state.lastroll = state.lastrolltip > 0 ? now : 0;
    }
    if (state.day < 0) state.day = seasontoday >= 0 ? seasontoday : Today(now);
    // The season counts the evening's meetings on its own day, also after midnight.
    if (seasontoday < 0) seasontoday = state.day;
    std::string head = strprintf("%s\nsaved=%lld\nlastroll=%lld\n", HEADER, (long long)now, (long long)state.lastroll);
    if (state.day >= 0) head += "day=" + SeasonDate(state.day) + "\n";
    if (ended) head += "ended=1\n";
    if (GuardBackedUp(outputfilename)) head += "backedup=1\n";
    if (!ReplaceFile(path, head + body)) {
        std::string why = strerror(errno);
        if (!state.failed) {
            // Said once (every change would say it again), in the window as club-file problems are.
            error(1, "%s\n", strprintf(_("unable to write <%s>: %s"), path.c_str(), why.c_str()).c_str());
            GtkWarning(_("The evening cannot be kept in <%s>: %s.\nA crash or power cut would lose what "
                         "was entered since the last roll; the club file is still written at every roll."),
                       ShownName(path).c_str(), why.c_str());
        }
        state.failed = true;
        return false;
    }
    state.failed = false;
    state.written = std::move(body);
    state.writtento = path;
    state.ended = ended;
    return true;
}

EveningOffer EveningFind(time_t now) {
    EveningOffer offer;
    state.found = false;
    std::string path = EveningPath();
    if (path.empty()) return offer;
    // What a break left beside the club file of this run's own: half-written files.
    for (const char* kind : {"evening", "season", "reset"}) RemoveLeftovers(CompanionFile(outputfilename, kind));
    RemoveLeftovers(outputfilename);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return offer;
    std::string text, why;
    Evening ev;
    if (!ReadAllFile(path, &text, &why) || !Parse(text, &ev, &why)) {
        ClubFileNotice(_("<%s> was not used: %s. Tonight starts as a new evening."), ShownName(path).c_str(), why.c_str());
        return offer;
    }
    // Another club file's evening (a folder copied), or one too old for tonight. One dated
    // later than the clock (a clock set back) is offered with its date, never written over
    // unasked.
    if (ev.club != outputfilename.substr(BaseStart(outputfilename))) return offer;
    if (now - ev.saved > EVENINGHOURS * 3600) return offer;
    // Anything done: a tip, a count, a request, presence or the roster changed.
    std::vector<SqrDancer*> map = MapDancers(ev);
    bool changed = ev.tip > 0 || !ev.tips.empty() || !ev.outs.empty() || !ev.skips.empty() || !ev.onces.empty() ||
                   !ev.tags.empty();
    for (size_t i = 0; i < map.size(); ++i) {
        changed = changed || ev.dancers[i].dances != 0;
        if (!map[i]) continue;
        changed = changed || (map[i]->avail != 0) != (ev.dancers[i].avail != 0);
    }
    if (!ev.clublines.empty()) {
        std::string now_lines = ClubLines(), then_lines;
        for (const std::string& l : ev.clublines) ((then_lines += "clubline=") += l) += '\n';
        changed = changed || now_lines != then_lines;
        offer.present = 0;
        for (const DancerRec& d : ev.dancers) offer.present += d.avail != 0;
    } else {
        for (size_t i = 0; i < map.size(); ++i) offer.present += map[i] && ev.dancers[i].avail != 0;
    }
    if (!changed) return offer;
    offer.offered = true;
    offer.tip = ev.tips.empty() ? (int)ev.tip : (int)ev.tips.back().tipcnt;
    offer.lastroll = (time_t)ev.lastroll;
    offer.saved = (time_t)ev.saved;
    offer.ended = ev.ended != 0;
    offer.now = now;
    state.found = true;
    state.offer = std::move(ev);
    state.foundpath = path;
    state.foundtext = std::move(text);
    return offer;
}

std::string EveningQuestion(const EveningOffer& offer) {
    std::string at = Clock(offer.tip > 0 ? offer.lastroll : offer.saved, offer.now ? offer.now : time(nullptr));
    if (offer.tip > 0 && !at.empty())
        // TRANSLATORS: the last %s is a time of day (21:40), with its date when not today.
        return strprintf(_("Resume tonight's evening (tip %d, %d present, last roll at %s)?"), offer.tip, offer.present,
                         at.c_str());
    if (offer.tip > 0)
        return strprintf(_("Resume tonight's evening (tip %d, %d present)?"), offer.tip, offer.present);
    if (!at.empty())
        return strprintf(_("Resume tonight's evening (no tip rolled yet, %d present, last change at %s)?"),
                         offer.present, at.c_str());
    return strprintf(_("Resume tonight's evening (no tip rolled yet, %d present)?"), offer.present);
}

bool EveningResume() {
    if (!state.found) return false;
    const Evening& ev = state.offer;
    // The roster and settings as they were (dancers entered, deleted, renamed, cards given
    // since the club file was written); an evening file that does not hold them is laid
    // over the club file's roster.
    if (!ev.clublines.empty()) {
        EDITMODE mode = editmode;
        ClubTextRestore(ev.clublines);
        editmode = mode;
    }
    std::vector<SqrDancer*> map = MapDancers(ev);
    auto at = [&](long long i) { return i >= 0 && (size_t)i < map.size() ? map[(size_t)i] : nullptr; };

    for (size_t i = 0; i < map.size(); ++i) {
        SqrDancer* sd = map[i];
        if (!sd) continue;
        const DancerRec& d = ev.dancers[i];
        sd->avail = (int)d.avail;
        sd->dances = (int)d.dances;
        sd->prvdances = (int)d.prvdances;
        sd->skip = (int)d.skip;
        sd->square = (int)d.square;
        sd->tagged = (int)d.tagged;
        sd->assigned = (int)d.assigned;
        sd->outdancer = (int)d.outdancer;
        sd->posn = (int)d.posn;
        sd->display = (int)d.display;
        sd->pgm = (SDPGM)d.pgm;
        sd->priority = d.priority == 'M' ? MUST : LUCK;
        sd->tmppartner = at(d.tmppartner);
    }
    // Partner links as they were tonight (a present dancer whose partner stayed away dances
    // single); a link to a dancer who has left the club file is dropped.
    for (size_t i = 0; i < map.size(); ++i)
        if (map[i]) map[i]->partner = at(ev.dancers[i].partner);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->partner == sd) sd->partner = nullptr;

    OutDancerFreeAll();
    for (auto& [d, assigned] : ev.outs)
        if (SqrDancer* sd = at(d)) OutDancerMake(sd)->assigned = (int)assigned;
    while (skiptiphd) SkipTipFree(skiptiphd);
    for (auto& [d, tip] : ev.skips)
        if (SqrDancer* sd = at(d)) SkipTipAppend(sd, (int)tip);
    DelMustOnces();
    for (auto& [d, tip] : ev.onces)
        if (SqrDancer* sd = at(d)) MustOnceAppend(sd, (int)tip);
    for (auto& t : sqrtag) t = SquareTag{};
    for (auto& t : ev.tags)
        if (SqrDancer* sd = at(t[2])) sqrtag[t[0]] = SquareTag{(int)t[1], nullptr, sd};

    HistoryClear();
    for (const TipRec& t : ev.tips) {
        HistoryTip tip;
        tip.tipcnt = (int)t.tipcnt;
        tip.prvtipcnt = (int)t.prvtipcnt;
        tip.totsquares = (int)t.totsquares;
        tip.sqrsize = (int)t.sqrsize;
        tip.totdancers = (int)t.totdancers;
        tip.pgmfloor = (SDPGM)t.pgm;
        tip.s1 = t.s1;
        tip.s2 = t.s2;
        tip.s3 = t.s3;
        for (auto& [i, text] : t.cells) tip.cells.emplace_back((int)i, text);
        for (const PlaceRec& p : t.places) {
            HistoryPlace place;
            place.square = (int)p.sq;
            place.slot = (int)p.slot;
            HistoryDancer& hd = place.hd;
            hd.sd = at(p.d);
            hd.avail = (int)p.avail;
            hd.dances = (int)p.dances;
            hd.prvdances = (int)p.prvdances;
            hd.square = (int)p.square;
            hd.tagged = (int)p.tagged;
            hd.pgm = (SDPGM)p.pgm;
            hd.sex = (SDSEX)p.sex;
            hd.partner = at(p.partner);
            hd.tmppartner = at(p.tmppartner);
            tip.places.push_back(place);
        }
        for (auto& [d, assigned] : t.outs) tip.outs.emplace_back(at(d), (int)assigned);
        HistoryRestore(tip);
    }
    hist = nullptr;

    tipcnt = (int)ev.tip;
    prvtipcnt = (int)ev.prvtip;
    mixflag = (int)ev.mix;
    hallview = (int)ev.hall;
    hallfontchg = (int)ev.hallfont;
    pgmfloor = (SDPGM)ev.level;
    s1 = ev.seeds[0];
    s2 = ev.seeds[1];
    s3 = ev.seeds[2];
    set_rndm(ev.rndm[0], ev.rndm[1], ev.rndm[2]);
    initial_s1 = ev.initial[0];
    initial_s2 = ev.initial[1];
    initial_s3 = ev.initial[2];
    maxdances = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) maxdances = std::max(maxdances, sd->dances);
    for (const Extra& e : Extras()) {
        auto it = ev.extras.find(e.key);
        if (it != ev.extras.end() && e.load && !e.load(it->second))
            ClubFileNotice(_("<%s>: the value <%s> of %s was not taken."), ShownName(state.foundpath).c_str(),
                           it->second.c_str(), e.key.c_str());
    }
    SetupDispNames();
    // The season counts tonight's meetings on the evening's own day, also after midnight.
    if (ev.day >= 0) seasontoday = state.day = (int)ev.day;
    // The club file's copy from before the evening, once made, is kept by a write after the
    // break.
    if (ev.backedup) GuardKeepBackup(outputfilename);
    state.lastrolltip = NewestTip();
    state.lastroll = (time_t)ev.lastroll;
    // A record made from here on replays from the evening resumed: a copy of it beside the
    // record, named in the record.
    std::string copy = RecordFileName().empty() ? "" : RecordFileName() + ".evening";
    if (!copy.empty() && ReplaceFile(copy, state.foundtext)) Record("(EveningResume) %s\n", copy.c_str());
    state.foundtext.clear();
    state.found = false;
    state.offer = Evening{};
    // On disk at once as resumed: a second break before the next change loses nothing.
    state.written.clear();
    EveningSave();
    return true;
}

bool EveningResumeFrom(const std::string& path) {
    std::string text, why;
    Evening ev;
    if (!ReadAllFile(path, &text, &why) || !Parse(text, &ev, &why)) {
        GtkWarning(_("<%s> was not used: %s."), path.c_str(), why.c_str());
        return false;
    }
    state.offer = std::move(ev);
    state.foundpath = path;
    state.foundtext = std::move(text);
    state.found = true;
    return EveningResume();
}

void EveningNew(bool everybodyabsent) {
    Record("(EveningNew) %s\n", everybodyabsent ? "absent" : "present");
    bool asked = state.found;
    state.found = false;
    state.offer = Evening{};
    if (everybodyabsent) {
        RePartner();
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    }
    // The answer given, the new evening takes the old one's place at once.
    if (asked) EveningSave();
}

bool RosterHasCards() {
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->rfid) return true;
    return false;
}

void EveningReset() { state = State{}; }
