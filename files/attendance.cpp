// SPDX-License-Identifier: GPL-3.0-or-later
// The season's attendance: written beside the club file after every roll, read back for the
// season report.
#include "files/attendance.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include "core/dorvels.h"
#include "core/screen.h"
#include "files/clubfile.h"
#include "files/clubguard.h"
#include "files/evening.h"
#include "files/members.h"
#include "files/season.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

time_t attendancestart = 0;

namespace {
constexpr const char* kHeader = "dorvels-attendance";
constexpr int kVersion = 1;
constexpr long kMaxBytes = 64L << 20;
constexpr int kMaxCount = 1000000;

struct Rec {
    std::string first, last;
    int nth = 1, tips = 0;
};
struct Ev {
    long long id = 0;
    int day = 0, tips = 0;
    std::vector<Rec> recs;
};

struct State {
    std::string path;      // the file read; empty = none yet
    bool blocked = false;  // neither used nor written (cannot be read or put aside, newer format)
    std::map<long long, Ev> evenings;
    std::string written;   // the text last written or read
    std::set<std::string> reported;
} st;

bool Number(const std::string& text, long long lo, long long hi, long long* value) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    long long v = std::stoll(text);
    if (v < lo || v > hi) return false;
    *value = v;
    return true;
}

bool Word(const std::string& w) {
    if (w.empty() || w.size() > 256) return false;
    for (unsigned char c : w)
        if (c <= 0x20 || c == 0x7f) return false;
    return g_utf8_validate(w.data(), (gssize)w.size(), nullptr);
}

std::vector<std::string> Split(const std::string& l) {
    std::vector<std::string> f;
    for (size_t a = 0;;) {
        size_t t = l.find('\t', a);
        f.push_back(l.substr(a, t == std::string::npos ? std::string::npos : t - a));
        if (t == std::string::npos) break;
        a = t + 1;
    }
    return f;
}

// The lines of an attendance file; "" when all is well, "newer" for a later format, else
// what is wrong.
std::string Parse(const std::string& text, std::map<long long, Ev>* evenings) {
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
            const std::string h = std::string(kHeader) + " ";
            long long version = 0;
            if (l.compare(0, h.size(), h) != 0 || !Number(l.substr(h.size()), 1, 999999, &version))
                return _("no attendance header");
            if (version > kVersion) return "newer";
            header = true;
            continue;
        }
        std::vector<std::string> f = Split(l);
        long long id = 0, a = 0, b = 0;
        if (f[0] == "evening" && f.size() == 4) {
            int day = SeasonDay(f[2]);
            if (!Number(f[1], 1, 1LL << 40, &id) || day < 0 || !Number(f[3], 0, kMaxCount, &a))
                return strprintf(_("line %d has an impossible evening"), line);
            if (evenings->count(id)) return strprintf(_("line %d names an evening again"), line);
            (*evenings)[id] = Ev{id, day, (int)a, {}};
        } else if (f[0] == "dancer" && f.size() == 6) {
            auto ev = Number(f[1], 1, 1LL << 40, &id) ? evenings->find(id) : evenings->end();
            if (ev == evenings->end() || !Word(f[2]) || !Word(f[3]) || !Number(f[4], 1, kMaxCount, &a) ||
                !Number(f[5], 0, kMaxCount, &b))
                return strprintf(_("line %d names no dancer of an evening"), line);
            for (const Rec& r : ev->second.recs)
                if (r.first == f[2] && r.last == f[3] && r.nth == a)
                    return strprintf(_("line %d names a dancer again"), line);
            ev->second.recs.push_back(Rec{f[2], f[3], (int)a, (int)b});
        } else {
            return strprintf(_("line %d is no attendance record"), line);
        }
    }
    return header || text.find_first_not_of(" \t\r\n") == std::string::npos ? "" : _("no attendance header");
}

// Reads path: false with *why (a text for the operator) when it cannot be read; a missing
// file is empty. *text gets the content.
bool ReadAll(const std::string& path, std::string* text, std::string* why, bool* missing) {
    *missing = false;
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        *missing = true;
        return true;
    }
    struct stat s {};
    if (fd < 0 || fstat(fd, &s) != 0) {
        *why = strerror(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    if (!S_ISREG(s.st_mode) || s.st_size > kMaxBytes) {
        *why = S_ISREG(s.st_mode) ? _("far too large") : _("it is not a plain file");
        close(fd);
        return false;
    }
    text->assign((size_t)s.st_size, '\0');
    size_t got = 0;
    while (got < text->size()) {
        ssize_t n = read(fd, text->data() + got, text->size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *why = strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0) break;
        got += (size_t)n;
    }
    close(fd);
    text->resize(got);
    return true;
}

int LocalDay(time_t t) {
    struct tm tm;
    if (!localtime_r(&t, &tm)) return 0;
    return SeasonDay(strprintf("%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
}

void Load(const std::string& path) {
    st.path = path;
    st.blocked = false;
    st.evenings.clear();
    st.written.clear();
    std::string text, why;
    bool missing = false;
    const std::string shown = ShownName(path);
    if (!ReadAll(path, &text, &why, &missing)) {
        st.blocked = true;
        error(1, "(AttendanceSave) %s: %s\n", path.c_str(), why.c_str());
        GtkWarning(_("The attendance file <%s> cannot be read (%s): tonight's attendance is not kept, and the file stays as it is."),
                   shown.c_str(), why.c_str());
        return;
    }
    if (missing) return;
    why = Parse(text, &st.evenings);
    if (why.empty()) {
        st.written = text;
        return;
    }
    st.evenings.clear();
    st.blocked = !CompanionPutAside(
        path, why, "AttendanceSave",
        _("The attendance file <%s> was written by a newer Dorvels: tonight's attendance is not kept, and the file stays as it is."),
        _("The attendance file <%s> is damaged (%s): it is kept as <%s>, and a new one is begun."),
        _("The attendance file <%s> is damaged (%s) and cannot be put aside (%s): tonight's attendance is not kept."));
}

std::string Text(const std::map<long long, Ev>& evenings) {
    std::string text =
        "% Dorvels attendance: every evening of the club (its start, date and tips rolled) and\n"
        "% each dancer who came, with the tips danced. Written after every tip.\n";
    text += strprintf("%s %d\n", kHeader, kVersion);
    for (const auto& [id, ev] : evenings) {
        text += strprintf("evening\t%lld\t%s\t%d\n", id, SeasonDate(ev.day).c_str(), ev.tips);
        for (const Rec& r : ev.recs)
            text += strprintf("dancer\t%lld\t%s\t%s\t%d\t%d\n", id, r.first.c_str(), r.last.c_str(), r.nth, r.tips);
    }
    return text;
}

// This evening as the roster has it: the dancers present or who danced (not anonymous
// dancers, who are somebody else every evening).
Ev Tonight() {
    Ev ev;
    ev.id = attendancestart;
    ev.day = LocalDay(attendancestart);
    ev.tips = tipcnt;
    std::map<std::pair<std::string, std::string>, int> seen;
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        const std::string first = FileWord(sd->firstname), last = FileWord(sd->lastname);
        const int nth = ++seen[{first, last}];
        if (IsPlaceholder(sd) || IsAnonymous(sd) || !(sd->avail || sd->dances > 0)) continue;
        if (!Word(first) || !Word(last)) continue;
        ev.recs.push_back(Rec{first, last, nth, std::max(0, sd->dances)});
    }
    return ev;
}

// The collation of the operator's language, for names.
struct Collator {
    locale_t loc = (locale_t)0;
    Collator() {
        const char* env = getenv("LC_ALL");
        if (!env || !*env) env = getenv("LC_COLLATE");
        if (!env || !*env) env = getenv("LANG");
        // The C locale orders bytes, which puts every accented letter after z.
        const std::string name = env ? env : "";
        if (!name.empty() && name != "POSIX" && name != "C" && name.compare(0, 2, "C.") != 0)
            loc = newlocale(LC_COLLATE_MASK, env, (locale_t)0);
    }
    ~Collator() {
        if (loc) freelocale(loc);
    }
    // Without the language's collation: letters without their accents, case folded.
    static std::string Plain(const std::string& s) {
        gchar* n = g_utf8_normalize(s.c_str(), -1, G_NORMALIZE_NFD);
        std::string out;
        for (const gchar* p = n; p && *p; p = g_utf8_next_char(p)) {
            gunichar c = g_utf8_get_char(p);
            if (g_unichar_combining_class(c) != 0) continue;
            char buf[8];
            out.append(buf, (size_t)g_unichar_to_utf8(g_unichar_tolower(c), buf));
        }
        g_free(n);
        return out;
    }
    int Compare(const std::string& a, const std::string& b) const {
        if (loc) {
            int c = strcoll_l(a.c_str(), b.c_str(), loc);
            if (c) return c;
        }
        int c = Plain(a).compare(Plain(b));
        return c ? c : a.compare(b);
    }
};

std::string Shown(const std::string& w) {
    std::string s = w;
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}

AttendanceReport Report(const std::map<long long, Ev>& evenings) {
    AttendanceReport rep;
    std::map<std::tuple<std::string, std::string, int>, AttendanceDancer> by;
    int latest = 0;
    for (const auto& [id, ev] : evenings) {
        rep.evenings.push_back(AttendanceEvening{id, ev.day, (int)ev.recs.size(), ev.tips});
        latest = std::max(latest, ev.day);
        for (const Rec& r : ev.recs) {
            AttendanceDancer& d = by[{r.first, r.last, r.nth}];
            if (d.evenings == 0) {
                d.first = r.first;
                d.last = r.last;
                d.nth = r.nth;
                d.firstday = d.lastday = ev.day;
            }
            ++d.evenings;
            d.tips += r.tips;
            d.firstday = std::min(d.firstday, ev.day);
            d.lastday = std::max(d.lastday, ev.day);
        }
    }
    std::stable_sort(rep.evenings.begin(), rep.evenings.end(),
                     [](const AttendanceEvening& a, const AttendanceEvening& b) { return a.day < b.day; });
    for (auto& [key, d] : by) {
        d.gone = latest - d.lastday >= ATTENDANCEGONEDAYS;
        rep.dancers.push_back(d);
    }
    Collator coll;
    std::stable_sort(rep.dancers.begin(), rep.dancers.end(), [&coll](const AttendanceDancer& a, const AttendanceDancer& b) {
        int c = coll.Compare(Shown(a.last), Shown(b.last));
        if (!c) c = coll.Compare(Shown(a.first), Shown(b.first));
        return c ? c < 0 : a.nth < b.nth;
    });
    return rep;
}
}  // namespace

std::string AttendanceFilename(const std::string& clubfile) { return CompanionFile(clubfile, "attendance"); }

bool AttendanceSave() {
    // Not in a replay, nor for a club file this run does not own (the evening file's rule).
    if (EveningPath().empty()) return true;
    const std::string path = AttendanceFilename(outputfilename);
    if (path != st.path) Load(path);
    if (st.blocked) return false;
    if (tipcnt <= 0 && (!attendancestart || !st.evenings.count(attendancestart))) return true;
    if (!attendancestart) attendancestart = time(nullptr);
    std::map<long long, Ev> evenings = st.evenings;
    if (tipcnt > 0) evenings[attendancestart] = Tonight();
    else evenings.erase(attendancestart);  // every tip taken back
    const std::string text = Text(evenings);
    struct stat there {};
    // Unchanged and still there (a file deleted meanwhile is written again).
    if (text == st.written && stat(path.c_str(), &there) == 0) return true;
    if (ReplaceFile(path, text)) {
        st.written = text;
        st.evenings = std::move(evenings);
        return true;
    }
    const std::string why =
        strprintf(_("unable to write the attendance file <%s>: %s"), ShownName(path).c_str(), strerror(errno));
    error(1, "%s\n", why.c_str());
    if (st.reported.insert(why).second) GtkWarning("%s", why.c_str());
    return false;
}

void AttendanceKeepWithEvening() {
    EveningField(
        "attendance", [] { return attendancestart ? std::to_string((long long)attendancestart) : std::string(); },
        [](const std::string& v) {
            long long t = 0;
            if (!Number(v, 1, 1LL << 40, &t)) return false;
            attendancestart = (time_t)t;
            return true;
        });
}

void AttendanceReset() {
    st = State{};
    attendancestart = 0;
}

bool AttendanceRead(const std::string& path, AttendanceReport* report, std::string* why) {
    std::string text;
    bool missing = false;
    *report = AttendanceReport{};
    if (!ReadAll(path, &text, why, &missing)) return false;
    std::map<long long, Ev> evenings;
    if (!missing) {
        *why = Parse(text, &evenings);
        if (*why == "newer") *why = _("it was written by a newer Dorvels");
        if (!why->empty()) return false;
    }
    *report = Report(evenings);
    return true;
}

std::string AttendanceName(const AttendanceDancer& d) { return Shown(d.first) + " " + Shown(d.last); }

std::string AttendanceCsv(const AttendanceReport& rep) {
    std::string out = "\xEF\xBB\xBF";
    const char sep = CsvSeparator();
    auto row = [&out, sep](const std::vector<std::string>& fields) {
        for (size_t i = 0; i < fields.size(); ++i) out += (i ? std::string(1, sep) : "") + CsvField(fields[i], sep);
        out += "\r\n";
    };
    row({_("First name"), _("Last name"), _("Evenings attended"), _("Tips danced"), _("First evening"),
         _("Last evening"), _("Not seen for 4 weeks or more")});
    for (const AttendanceDancer& d : rep.dancers)
        row({Shown(d.first), Shown(d.last), std::to_string(d.evenings), std::to_string(d.tips), SeasonDate(d.firstday),
             SeasonDate(d.lastday), d.gone ? _("yes") : ""});
    out += "\r\n";
    row({_("Evening"), _("Dancers present"), _("Tips rolled")});
    for (const AttendanceEvening& e : rep.evenings)
        row({SeasonDate(e.day), std::to_string(e.present), std::to_string(e.tips)});
    return out;
}

std::vector<std::string> AttendanceLines(const AttendanceReport& rep) {
    std::vector<std::string> lines;
    for (const AttendanceDancer& d : rep.dancers)
        lines.push_back(strprintf(_("%s: %d evenings, %d tips, %s to %s%s"), AttendanceName(d).c_str(), d.evenings,
                                  d.tips, SeasonDate(d.firstday).c_str(), SeasonDate(d.lastday).c_str(),
                                  d.gone ? _(" (not seen for 4 weeks or more)") : ""));
    for (const AttendanceEvening& e : rep.evenings)
        lines.push_back(strprintf(_("%s: %d dancers present, %d tips rolled"), SeasonDate(e.day).c_str(), e.present,
                                  e.tips));
    return lines;
}

bool WriteAttendanceCsv(const std::string& path, const AttendanceReport& report, std::string* why) {
    *why = CsvTargetProblem(path);
    if (!why->empty()) return false;
    if (ReplaceFile(path, AttendanceCsv(report))) return true;
    *why = strprintf(_("unable to write <%s>: %s"), path.c_str(), strerror(errno));
    return false;
}

int AttendanceCommand(const std::string& csv) {
    if (inputfilename.empty()) {
        fprintf(stderr, _("dorvels: --attendance: no club file was read, so there is no season to report\n"));
        return 1;
    }
    const std::string path = AttendanceFilename(outputfilename.empty() ? inputfilename : outputfilename);
    AttendanceReport rep;
    std::string why;
    if (!AttendanceRead(path, &rep, &why)) {
        fprintf(stderr, _("dorvels: --attendance: <%s> cannot be used: %s\n"), path.c_str(), why.c_str());
        return 1;
    }
    if (!WriteAttendanceCsv(csv, rep, &why)) {
        fprintf(stderr, "dorvels: --attendance: %s\n", why.c_str());
        return 1;
    }
    printf(_("dorvels: wrote <%s>: %zu dancers, %zu evenings\n"), csv.c_str(), rep.dancers.size(), rep.evenings.size());
    return 0;
}
