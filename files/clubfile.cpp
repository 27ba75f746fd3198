// SPDX-License-Identifier: GPL-3.0-or-later
// The club file: reader, writer, output naming, pointer file and reset file.
//
// The club file is the club's only database. The reader accepts anything without crashing
// (hand-edited files, files from older versions, files in Latin-1); the writer never leaves a
// half-written club file behind: the new content is written to a temporary file in the same
// folder, synced, and renamed over the club file only when it is complete.
#include "files/clubfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdarg>
#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/screen.h"
#include "files/clubguard.h"
#include "files/record.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

const SpecCardInsert speccardinserts[] = {
    {19, 1, 2},  // slots 2 and 3 (skip-tip cards) came after files with 19 cards
    {0, 0, 0},
};

const char* const lastdancefile = "lastdance.dorvels";

namespace {

constexpr const char* DORVELEXT = ".dorvel";
constexpr uint64_t MAXCARD = 9999999999ull;  // card numbers have ten digits
constexpr size_t MAXNAME = 255;       // bytes of a first or last name; longer ones are cut
constexpr size_t MAXCLUBFILE = (size_t)64 << 20;  // far beyond the largest club's roster

bool newclub = false;  // the club named was not found: a new one, written once entered into
std::string boundname;  // the club file every write goes to while it is outputfilename ("" = none)
std::string derivedname;  // the name BuildOutputFilename made from the club's name last
std::set<std::string> reportedrefusals;  // refused writes the operator was told about
time_t savedat = 0;  // when the club file was last written, or the evening started

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool HasUtf8Bom(std::string_view s) { return s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF"; }

// What was wrong in the club file being read, and what was kept instead, each with its line.
int readline = 0;  // line being read, 1-based
std::vector<std::string> problems;

void Problem(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Problem(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    problems.push_back(strprintf(_("line %d: "), readline) + vstrprintf(fmt, ap));
    va_end(ap);
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string_view SkipBlanks(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

// Next blank-delimited word of s; s is advanced past the word and the blanks after it.
std::string_view NextWord(std::string_view& s) {
    s = SkipBlanks(s);
    size_t i = 0;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    std::string_view w = s.substr(0, i);
    s = SkipBlanks(s.substr(i));
    return w;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// An optionally signed decimal integer at the start of s, saturated to the int range.
// False when s does not start with one.
bool ParseInt(std::string_view s, long long lo, long long hi, long long* out) {
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    if (i >= s.size() || !IsDigit(s[i])) return false;
    long long v = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        if (v < LLONG_MAX / 10 - 10) v = v * 10 + (s[i] - '0');
        else v = LLONG_MAX / 10;  // saturated; clamped below
    }
    if (neg) v = -v;
    *out = v < lo ? lo : v > hi ? hi : v;
    return true;
}

// Digits at the start of s as an unsigned 64-bit number; false when there is no digit or
// the number does not fit.
bool ParseCard(std::string_view s, uint64_t* out) {
    if (s.empty() || !IsDigit(s[0])) return false;
    uint64_t v = 0;
    for (size_t i = 0; i < s.size() && IsDigit(s[i]); ++i) {
        unsigned d = s[i] - '0';
        if (v > (UINT64_MAX - d) / 10) return false;
        v = v * 10 + d;
    }
    *out = v;
    return true;
}

}  // namespace

// Bytes that are not valid UTF-8 are taken as Latin-1 and converted, so that every text
// read from a club file can be shown by the display (which accepts UTF-8 only). A file
// saved by an old editor in Latin-1 is thus rewritten in UTF-8.
void MakeValidUtf8(std::string& s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n && (unsigned char)s[i] < 0x80) ++i;
    if (i == n) return;  // plain ASCII, the usual case
    std::string out(s, 0, i);
    out.reserve(n + 16);
    while (i < n) {
        unsigned char c = s[i];
        size_t len = 0;
        if (c < 0x80) len = 1;
        else if (c >= 0xC2 && c <= 0xDF) len = 2;
        else if (c >= 0xE0 && c <= 0xEF) len = 3;
        else if (c >= 0xF0 && c <= 0xF4) len = 4;
        bool ok = len > 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) ok = ((unsigned char)s[i + k] & 0xC0) == 0x80;
        if (ok && len >= 3) {
            unsigned char c1 = s[i + 1];
            if (c == 0xE0 && c1 < 0xA0) ok = false;                 // overlong
            else if (c == 0xED && c1 >= 0xA0) ok = false;           // surrogate
            else if (c == 0xF0 && c1 < 0x90) ok = false;            // overlong
            else if (c == 0xF4 && c1 >= 0x90) ok = false;           // beyond U+10FFFF
        }
        if (ok) {
            out.append(s, i, len);
            i += len;
        } else {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
            ++i;
        }
    }
    s.swap(out);
}

namespace {

// Why the bytes of a file are no text to read as a club file ("" when they are).
std::string NotText(const std::string& data) {
    if (data.size() >= 2 && ((data[0] == '\xFF' && data[1] == '\xFE') || (data[0] == '\xFE' && data[1] == '\xFF')))
        return _("it is UTF-16 text: save it as UTF-8 or plain text");
    // A NUL or control byte here and there is damage (read as a blank, and reported); many
    // are no text: UTF-16 without its mark, or a binary file.
    size_t n = std::min(data.size(), (size_t)65536), odd = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = data[i];
        odd += (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || c == 0x7f;
    }
    if (odd * 16 > n) return _("it is no text file (UTF-16, or not a club file at all)");
    return "";
}

// The whole content of an open file, at most MAXCLUBFILE bytes; false with the reason when
// it cannot be read.
bool ReadAll(FILE* fp, std::string* data, std::string* why) {
    struct stat st;
    if (fstat(fileno(fp), &st) == 0 && S_ISREG(st.st_mode) && (uintmax_t)st.st_size > MAXCLUBFILE) {
        *why = strprintf(_("it is %jd MiB, larger than any club file (at most %zu MiB)"),
                         (intmax_t)(st.st_size >> 20), MAXCLUBFILE >> 20);
        return false;
    }
    char buf[65536];
    size_t got;
    errno = 0;
    while ((got = fread(buf, 1, sizeof buf, fp)) > 0) {
        if (data->size() + got > MAXCLUBFILE) {  // a device or pipe that never ends
            *why = strprintf(_("it is larger than any club file (at most %zu MiB)"), MAXCLUBFILE >> 20);
            return false;
        }
        data->append(buf, got);
    }
    if (ferror(fp)) {
        *why = strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

// Control characters found by the last SplitLines, as problems of their lines: the reader
// reports them with the other problems of the file it reads.
std::vector<std::string> controlproblems;

std::string ControlName(unsigned char c) {
    if (c == 0) return "NUL";
    if (c == 0x7f) return "DEL";
    return strprintf("^%c", c + '@');
}

// The lines of a club file's text, converted to valid UTF-8, control characters made blanks,
// and stripped of trailing white space. The byte-order mark some editors put at the start of
// UTF-8 text is no content. A control character (a NUL byte, a stray form feed) separates
// words like a blank, so that neither the rest of its line (a card, a partner) is lost nor a
// name holds one that the display could not show; each line holding one is noted in
// controlproblems. The carriage return of a line end written on another system is no problem.
std::vector<std::string> SplitLines(const std::string& data) {
    std::vector<std::string> lines;
    controlproblems.clear();
    size_t pos = HasUtf8Bom(data) ? 3 : 0;
    while (pos < data.size()) {
        size_t end = data.find('\n', pos);
        if (end == std::string::npos) end = data.size();
        std::string line(data, pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        int count = 0;
        unsigned char first = 0;
        for (char& c : line)
            if (((unsigned char)c < 0x20 && c != '\t') || c == 0x7f) {
                if (count++ == 0) first = (unsigned char)c;
                c = ' ';
            }
        if (count == 1)
            controlproblems.push_back(strprintf(_("line %zu: a control character (%s) read as a blank"),
                                                lines.size() + 1, ControlName(first).c_str()));
        else if (count > 1)
            controlproblems.push_back(strprintf(ngettext("line %zu: %d control character (the first %s) read as blanks",
                                                         "line %zu: %d control characters (the first %s) read as blanks",
                                                         count),
                                                lines.size() + 1, count, ControlName(first).c_str()));
        srmtrblk(line);
        MakeValidUtf8(line);
        lines.push_back(std::move(line));
        pos = end + 1;
    }
    return lines;
}

// Reads the command-card line's numbers (fixed pitch of 11 characters after the blanks
// that follow "="), then widens a line written when the table had fewer slots.
void ReadSpecCards(std::string_view value) {
    std::string_view p = SkipBlanks(value);
    int qty = SPECCARDQTY;
    for (int i = 0; i < SPECCARDQTY; ++i) {
        uint64_t card = 0;
        size_t at = (size_t)i * 11;
        bool ok = at < p.size();
        if (ok) {
            std::string_view field = SkipBlanks(p.substr(at));
            ok = ParseCard(field, &card);
            if (!ok && !field.empty() && IsDigit(field[0])) ok = true;
            // More than ten digits is no card: the slot stays empty (and the line keeps its
            // fixed pitch when written again).
            if (ok && card > MAXCARD) card = 0;
        }
        speccard[i] = ok ? card : 0;
        if (!ok && qty == SPECCARDQTY) qty = i;
    }
    DPRINTF(2, "(ReadDorvels) speccard: %d numbers\n", qty);
    if (qty >= SPECCARDQTY) return;
    for (const SpecCardInsert* rule = speccardinserts; rule->qtyspeccard; ++rule) {
        if (qty > rule->qtyspeccard + 1) continue;
        for (int j = qty - 1; j > rule->insertionpoint; --j)
            if (j + rule->insertqty < SPECCARDQTY) speccard[j + rule->insertqty] = speccard[j];
        for (int j = rule->insertionpoint + 1;
             j <= rule->insertionpoint + rule->insertqty && j < SPECCARDQTY; ++j)
            speccard[j] = 0;
        qty += rule->insertqty;
        if (qty > SPECCARDQTY) qty = SPECCARDQTY;
    }
}

void SetLevel(std::string_view value) {
    std::string level(SkipBlanks(value));
    SDPGM pgm = idpgm(level);
    // A value that names no level keeps the evening's level.
    if (pgm == NOPGM) {
        GtkWarning(_("unsupported pgm<%s>\n"), level.c_str());
        Problem(_("unknown level <%s> after pgm=; %s kept"), level.c_str(), strpgm(pgmfloor));
    } else {
        pgmfloor = pgm;
    }
}

void SetSquareSize(std::string_view value) {
    long long n;
    if (ParseInt(SkipBlanks(value), -1, INT_MAX, &n) && n >= 1 && n <= MAXSQUARESIZE) {
        squaresize = (int)(n + (n & 1));
    } else {
        error(1, _("(ReadDorvels) squaresize<%s> ignored (accepts 2 to %d)\n"), std::string(value).c_str(),
              MAXSQUARESIZE);
        Problem(_("square size <%s> is not 2 to %d; %d kept"), std::string(value).c_str(), MAXSQUARESIZE,
                squaresize);
    }
}

// Each step changes the scroll speed by a factor 1.189: far beyond the range the speed is
// nil or unbounded, and applying the steps one by one would take seconds.
void SetScrollSteps(std::string_view value) {
    long long n;
    if (ParseInt(SkipBlanks(value), INT_MIN, INT_MAX, &n) && n >= -MAXSCROLLERINCRCHG &&
        n <= MAXSCROLLERINCRCHG) {
        scrollerincrchg = (int)n;
    } else {
        error(1, _("(ReadDorvels) scrollerincrchg<%s> ignored (accepts %d to %d)\n"), std::string(value).c_str(),
              -MAXSCROLLERINCRCHG, MAXSCROLLERINCRCHG);
        Problem(_("scroll speed steps <%s> are not %d to %d; %d kept"), std::string(value).c_str(),
                -MAXSCROLLERINCRCHG, MAXSCROLLERINCRCHG, scrollerincrchg);
    }
}

void SetNameStyle(std::string_view value) {
    std::string_view v = SkipBlanks(value);
    if (StartsWith(v, "lastname")) dispnamestyle = LASTNAME;
    else if (StartsWith(v, "lastfi")) dispnamestyle = LASTFI;
    else if (StartsWith(v, "firstname")) dispnamestyle = FIRSTNAME;
    else if (StartsWith(v, "firstli")) dispnamestyle = FIRSTLI;
}

// The key lines in the order they are tried: the key, whether it must be the whole line, and
// what the value (the rest of the line after the key) sets.
struct KeyRule {
    const char* key;
    bool whole;
    void (*apply)(std::string_view value);
};
const KeyRule keyrules[] = {
    {"caller=", false, [](std::string_view v) { caller = std::string(v); }},
    {"club=", false, [](std::string_view v) { clubname = std::string(v); BuildOutputFilename(); }},
    {"pgm=", false, SetLevel},
    {"squaresize=", false, SetSquareSize},
    {"noask", true, [](std::string_view) { askflag = 0; }},
    {"ask", true, [](std::string_view) { askflag = 1; }},
    {"mix", true, [](std::string_view) { mixflag = 1; }},
    {"nomix", true, [](std::string_view) { mixflag = 0; }},
    {"hallview", true, [](std::string_view) { hallview = 1; }},
    {"nohallview", true, [](std::string_view) { hallview = 0; }},
    {"projector", true, [](std::string_view) { projector = 1; }},
    {"dispnamestyle=", false, SetNameStyle},
    {"scrollerincrchg=", false, SetScrollSteps},
    {"speccard=", false, ReadSpecCards},
    {"RfidWarn", false, [](std::string_view) { Rflag = 1; }},
    {"Statistics", false, [](std::string_view) { Sflag = 1; }},
    {"Record", false, [](std::string_view) { rflag ? CloseRecordFile() : OpenRecordFile(); }},
};

const KeyRule* FindKey(std::string_view line) {
    for (const KeyRule& r : keyrules)
        if (r.whole ? line == r.key : StartsWith(line, r.key)) return &r;
    return nullptr;
}

// A line a club file can hold besides comments: a key line, or a dancer line (two names and
// a role). A file with content but no such line is no club file.
bool ClubLine(std::string_view line) {
    if (FindKey(line)) return true;
    NextWord(line);
    NextWord(line);
    return idsex(std::string(NextWord(line))) != NOSEX;
}

// The length of the longest start of s that has at most max bytes and ends between two
// characters (s is valid UTF-8).
size_t Utf8Cut(std::string_view s, size_t max) {
    if (s.size() <= max) return s.size();
    size_t n = max;
    while (n > 0 && ((unsigned char)s[n] & 0xC0) == 0x80) --n;
    return n;
}

// A dancer line as the writer writes it: two names, a role, "L" or "M", a dance count, a
// presence and a level. A misspelt role or level still counts (the reader repairs those);
// a line of another shape is no dancer line.
bool DancerShaped(std::string_view line) {
    std::string_view words[7];
    for (std::string_view& w : words)
        if ((w = NextWord(line)).empty()) return false;
    long long n;
    return (words[3] == "L" || words[3] == "M") && ParseInt(words[4], 0, LLONG_MAX, &n);
}

// The lines of a club file's bytes, or false with why they are no club file: no text, or
// content without a dancer or a setting. With strict (a file chosen in the setup dialog in
// place of the roster), every line must be a comment, a setting or a dancer line as the
// writer writes it, so that no other file of the folder (a recording, notes) is taken, and
// a file without content is refused too.
bool ClubText(const std::string& data, std::vector<std::string>* lines, std::string* why, bool strict) {
    *why = NotText(data);
    if (!why->empty()) return false;
    *lines = SplitLines(data);
    bool content = false, club = false;
    for (size_t i = 0; i < lines->size(); ++i) {
        std::string_view line = SkipBlanks((*lines)[i]);
        if (line.empty() || line[0] == '%') continue;
        if (strict && !FindKey(line) && !DancerShaped(line)) {
            *why = strprintf(_("line %zu reads <%s>"), i + 1, std::string(line.substr(0, Utf8Cut(line, 40))).c_str());
            return false;
        }
        content = true;
        club = club || ClubLine(line);
        if (club && !strict) break;  // one line of a club file is enough to read it
    }
    if (club || (!content && !strict)) return true;  // an empty file is an empty club
    *why = _("it holds no dancer and no setting");
    return false;
}

// The lines of the club file open as fp, read once; false with why it is not read ("" when
// it is).
bool ClubLines(FILE* fp, std::vector<std::string>* lines, std::string* why) {
    std::string data;
    return ReadAll(fp, &data, why) && ClubText(data, lines, why, false);
}

// Applies a key line of the club file; false when the line is no key line.
bool KeyLine(std::string_view line) {
    const KeyRule* r = FindKey(line);
    if (r) r->apply(line.substr(strlen(r->key)));
    return r != nullptr;
}

// Anonymous dancers' numbers keep the counters above every number in use.
void CountAnonymous(const std::string& lastname, SDSEX sex) {
    bool couple;
    int n = AnonNumber(lastname, &couple);
    int slot = couple ? 5 : sex;
    if (n <= 0 || slot < 0 || slot > 5) return;
    if (n > anoncnt) anoncnt = n;
    if (n > anoncounts[slot]) anoncounts[slot] = n;
}

// A name longer than any real one (a damaged file) is cut to MAXNAME bytes, at a character
// boundary, so that it neither floods the display nor the name trie.
void CutName(std::string& name, bool report = true) {
    if (name.size() <= MAXNAME) return;
    if (report) {
        error(1, _("(ReadDorvels) name<%.40s...> of %zu bytes cut to %zu\n"), name.c_str(), name.size(),
              MAXNAME);
        Problem(_("a name of %zu bytes cut to %zu"), name.size(), MAXNAME);
    }
    name.resize(Utf8Cut(name, MAXNAME));
}

// First pass over one dancer line: a new record with names, role, priority, presence and
// level. Returns null for a line without a last name, which is no dancer line.
SqrDancer* DancerLine(std::string_view line) {
    std::string_view rest = line;
    std::string first(NextWord(rest));
    std::string last(NextWord(rest));
    CutName(first);
    CutName(last);
    if (last.empty()) {
        error(1, _("(ReadDorvels) line<%s> names no square dancer (first and last name)\n"),
              first.c_str());
        Problem(_("<%s> names no dancer (first and last name); the line is passed over"), first.c_str());
        return nullptr;
    }
    SqrDancer* sd = NewSqrDancerAlloc(nullptr);
    sd->firstname = first;
    sd->lastname = last;
    sd->firstlast = first + " " + last;

    std::string sexword(NextWord(rest));
    sd->sex = idsex(sexword);
    if (sd->sex == NOSEX) {
        error(1, _("%s %s: unknown sex<%s> (accepts M F MF FM E)\n"), first.c_str(), last.c_str(),
              sexword.c_str());
        Problem(_("%s %s: unknown role <%s>; E (either role) kept"), first.c_str(), last.c_str(),
                sexword.c_str());
        sd->sex = E;  // dances either part rather than none
    }
    CountAnonymous(last, sd->sex);

    sd->priority = LUCK;
    if (!rest.empty()) {
        char prio = rest[0];
        if (prio == 'M') sd->priority = MUST;
        else if (prio != 'L') {
            GtkWarning(_("unsupported priority<%c>\n"), prio);
            Problem(_("%s %s: unknown priority <%c>; L (luck) kept"), first.c_str(), last.c_str(), prio);
        }
        rest = SkipBlanks(rest.substr(1));
    }

    NextWord(rest);  // the dance count: every evening starts at 0
    std::string_view presence = NextWord(rest);
    if (!presence.empty() && IsLetter(presence[0])) {
        sd->avail = presence[0] == 'A' || presence[0] == 'a';
    } else {
        long long n = 1;
        if (ParseInt(presence, -1, 1, &n)) sd->avail = n != 0;
    }

    std::string level(NextWord(rest));
    for (char& c : level)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    sd->pgm = idpgm(level);
    if (sd->pgm == NOPGM) {
        GtkWarning(_("unsupported pgm<%s>\n"), level.c_str());
        Problem(_("%s %s: unknown level <%s>; Plus kept"), first.c_str(), last.c_str(), level.c_str());
        sd->pgm = Plus;
    }

    sd->dances = 0;
    sd->partner = nullptr;
    NameTrieInsert(sd);
    return sd;
}

void Unlink(SqrDancer* sd) {
    if (sd->partner && sd->partner->partner == sd) sd->partner->partner = nullptr;
    sd->partner = nullptr;
}

// Second pass over one dancer line: the card and the partner. The dancer's own two names
// are taken as they stand; a "%" after them starts a comment.
void CardAndPartner(SqrDancer* sd, std::string_view line) {
    std::string_view rest = line;
    NextWord(rest);
    NextWord(rest);

    // The partner's names are read as they stand too, so that a name holding "%" or "+"
    // does not disturb the comment or card search.
    size_t amp = rest.find('&');
    size_t pbeg = std::string_view::npos, pend = std::string_view::npos;
    std::string pfirst, plast;
    if (amp != std::string_view::npos) {
        std::string_view p = rest.substr(amp + 1);
        pfirst = NextWord(p);
        plast = NextWord(p);
        CutName(pfirst, false);
        CutName(plast, false);
        pbeg = amp;
        pend = rest.size() - p.size();
    }
    auto inPartner = [&](size_t i) { return pbeg != std::string_view::npos && i >= pbeg && i < pend; };
    size_t pct = std::string_view::npos;
    for (size_t i = 0; i < rest.size(); ++i)
        if (rest[i] == '%' && !inPartner(i)) {
            pct = i;
            break;
        }
    if (amp != std::string_view::npos && pct != std::string_view::npos && pct < amp)
        amp = std::string_view::npos;  // the "&" is part of a comment

    uint64_t card = 0;
    for (size_t i = 0; i < rest.size() && i < pct; ++i) {
        if (amp != std::string_view::npos && inPartner(i)) continue;
        if (rest[i] != '+') continue;
        if (i + 1 < rest.size() && IsDigit(rest[i + 1]) && !ParseCard(rest.substr(i + 1), &card)) {
            std::string_view digits = rest.substr(i + 1);
            std::string number(NextWord(digits));
            error(1, _("%s: card number<%s> too large\n"), sd->firstlast.c_str(), number.c_str());
            Problem(_("%s: card number <%.20s> too large; no card kept"), sd->firstlast.c_str(),
                    number.c_str());
            card = 0;
        }
        break;
    }
    if (sd->rfid && sd->rfid != card && RfidFind(sd->rfid) == sd) RfidRemove(sd->rfid);
    sd->rfid = 0;
    if (card) {
        SqrDancer* owner = RfidFind(card);
        if (owner && owner != sd) {
            // A card belongs to one dancer only; the first one named keeps it.
            error(1, _("%s: card %010llu already belongs to %s\n"), sd->firstlast.c_str(),
                  (unsigned long long)card, owner->firstlast.c_str());
            Problem(_("%s: card %010llu belongs to %s already; no card kept"), sd->firstlast.c_str(),
                    (unsigned long long)card, owner->firstlast.c_str());
        } else {
            sd->rfid = card;
            if (!owner) RfidInsert(sd);
        }
    }

    if (amp == std::string_view::npos) return;
    int how = 0;
    SqrDancer* partner = NameTrieFind(pfirst, plast, &how);
    if (how == 3) return;
    if (!partner) {
        GtkWarning(_("2nd pass: unable to find square dancer named<%s %s>\n"), pfirst.c_str(),
                   plast.c_str());
        Problem(_("%s: partner <%s %s> not found; no partner kept"), sd->firstlast.c_str(),
                pfirst.c_str(), plast.c_str());
        return;
    }
    if (partner == sd || (sd->partner == partner && partner->partner == sd)) return;
    // The links stay mutual: both lose any other partner they had.
    Unlink(sd);
    Unlink(partner);
    sd->partner = partner;
    partner->partner = sd;
}

bool IsRoleM(const SqrDancer* sd) { return sd->sex == M || sd->sex == MF; }

// Of a present couple exactly one member is displayed: the M or MF member, or, when both
// or neither are, the one whose full name sorts first.
int CoupleDisplay(const SqrDancer* sd, const SqrDancer* partner) {
    bool a = IsRoleM(sd), b = IsRoleM(partner);
    if (a != b) return a ? 1 : 0;
    int c = sd->firstlast.compare(partner->firstlast);
    if (c == 0) return sd < partner ? 1 : 0;
    return c < 0 ? 1 : 0;
}

// Position of the extension's "." in the file name part, npos when there is none.
size_t ExtDot(const std::string& name) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < BaseStart(name)) return std::string::npos;
    return dot;
}

bool EndsWith(const std::string& s, const char* suffix) {
    size_t n = strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

std::string ResetFilename(const std::string& name) { return CompanionFile(name, "reset"); }

// The reset file an older version made for a club file of another extension ("club.txt" ->
// "club.reset"): still read.
std::string OldResetFilename(const std::string& name) {
    size_t dot = ExtDot(name);
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".reset";
}

// The leading comment block of an existing club file, byte for byte: the lines from its
// start whose first non-blank character is "%". False (with errno) when the file exists but
// cannot be read.
bool CommentBlock(const std::string& path, std::string* block) {
    block->clear();
    FILE* fp = fopen(path.c_str(), "rb");
    if (!fp) return errno == ENOENT;
    std::string line;
    int c;
    bool ok = true;
    for (;;) {
        line.clear();
        while ((c = getc(fp)) != EOF) {
            line += (char)c;
            if (c == '\n') break;
        }
        // A byte-order mark before the first line is kept with the block it starts.
        size_t i = block->empty() && HasUtf8Bom(line) ? 3 : 0;
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size() || line[i] != '%') break;
        block->append(line);
        if (c == EOF) {
            block->push_back('\n');  // a comment at the very end still ends its line
            break;
        }
    }
    if (ferror(fp)) ok = false;
    fclose(fp);
    return ok;
}

void AppendPadded(std::string& out, const std::string& s, size_t width, bool right) {
    if (right && s.size() < width) out.append(width - s.size(), ' ');
    out += s;
    if (!right && s.size() < width) out.append(width - s.size(), ' ');
}

const char* FileRole(SDSEX sex) {
    switch (sex) {
        case M: return "m";
        case F: return "f";
        case MF: return "mf";
        case FM: return "fm";
        default: return "e";
    }
}

}  // namespace

// A name as one word of the club file: blanks become "_" (which the display shows as a
// blank), an empty name becomes "_".
std::string FileWord(const std::string& name) {
    if (name.empty()) return "_";
    std::string w = name;
    for (char& c : w)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') c = '_';
    return w;
}

const char* ClubFileLineKey(std::string_view text) {
    // The key lines a dancer line can be mistaken for: those that must be the whole line
    // ("ask", "mix", ...) are no dancer line.
    std::string_view line = SkipBlanks(text);
    if (!line.empty() && line[0] == '%') return "%";
    for (const KeyRule& r : keyrules)
        if (!r.whole && StartsWith(line, r.key)) return r.key;
    return nullptr;
}

std::string ClubFileText(int keepdances) {
    std::string out;
    if (!clubname.empty()) out += "club=" + clubname + "\n";
    if (!caller.empty()) out += "caller=" + caller + "\n";
    if (pgmfloor != Basic) out += strprintf("pgm=%s\n", strpgm(pgmfloor));
    if (squaresize != 8) out += strprintf("squaresize=%d\n", squaresize);
    if (askflag == 0) out += "noask\n";
    if (mixflag) out += "mix\n";
    if (hallview) out += "hallview\n";
    if (projector) out += "projector\n";
    if (scrollerincrchg != 0) out += strprintf("scrollerincrchg=%d\n", scrollerincrchg);
    if (Rflag) out += "RfidWarn\n";
    if (RecordingOn()) out += "Record\n";
    if (Sflag) out += "Statistics\n";
    out += strprintf("dispnamestyle=%s\n", strdispnamestyle());

    out += "%         PR         INFO       SKIPTIP    SKIPALTTIP";
    for (int s = M; s <= E; ++s) out += strprintf(" %-10s", strsex(s));
    for (int p = Basic; p < PGMQTY; ++p) out += strprintf(" %-10s", strpgm(p));
    out += "\n";

    bool anycard = false;
    for (int i = 0; i < SPECCARDQTY; ++i) anycard |= speccard[i] != 0;
    if (anycard) {
        out += "speccard=";
        for (int i = 0; i < SPECCARDQTY; ++i)
            out += strprintf(" %010llu", (unsigned long long)speccard[i]);
        out += "\n";
    }

    size_t maxfirst = 0, maxlast = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        maxfirst = std::max(maxfirst, FileWord(sd->firstname).size());
        maxlast = std::max(maxlast, FileWord(sd->lastname).size());
    }
    char buf[128];
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        AppendPadded(out, FileWord(sd->firstname), maxfirst, false);
        out += ' ';
        AppendPadded(out, FileWord(sd->lastname), maxlast, false);
        snprintf(buf, sizeof buf, " %2s %c %d %d %-5s", FileRole(sd->sex),
                 sd->priority == MUST ? 'M' : 'L', keepdances == 1 ? sd->dances : 0, sd->avail,
                 strpgm(sd->pgm));
        out += buf;
        if (sd->rfid) snprintf(buf, sizeof buf, " +%010llu", (unsigned long long)sd->rfid);
        else snprintf(buf, sizeof buf, "  %10s", "");
        out += buf;
        if (sd->partner == sd) sd->partner = nullptr;
        if (sd->partner) {
            out += " & ";
            AppendPadded(out, FileWord(sd->partner->firstname), maxfirst, true);
            out += ' ';
            out += FileWord(sd->partner->lastname);
        }
        out += '\n';
    }
    return out;
}

// The name a write goes to: the output file name brought up to date (stored back only when
// `update` is set).
static std::string ChosenOutputName(bool update) {
    std::string name;
    if (!outputfilename.empty()) {
        std::string keep = outputfilename;
        BuildOutputFilename();
        name = outputfilename;
        if (!update) outputfilename = keep;
    }
    if (name.empty() || isspace((unsigned char)name[0])) name = dfltsavefile;
    return name;
}

// Reads the lines of a club file into the roster and the settings (the two passes and the
// completion); the problems found are collected with their lines.
static void ReadClubLines(const std::vector<std::string>& lines) {
    if (!ps) ps = ps_make();
    for (int i = 0; i < SPECCARDQTY; ++i) speccard[i] = 0;
    problems = controlproblems;  // of these lines, split last

    // First pass: settings and one record per dancer line (whole-line comments only).
    std::vector<std::pair<SqrDancer*, int>> dancers;  // with the index of the line
    for (size_t i = 0; i < lines.size(); ++i) {
        readline = (int)i + 1;
        std::string_view line = SkipBlanks(lines[i]);
        if (line.empty() || line[0] == '%') continue;
        if (KeyLine(line)) continue;
        if (SqrDancer* sd = DancerLine(line)) dancers.emplace_back(sd, (int)i);
    }

    // Second pass: cards and partners, once every dancer is known. Each line goes back to
    // the record its first pass made, so two dancers of the same name keep their own data.
    for (auto& [sd, i] : dancers) {
        readline = i + 1;
        CardAndPartner(sd, SkipBlanks(lines[i]));
    }
    RfidCommandCardsWin();

    // Completion: present dancers start the evening unassigned; a present dancer whose
    // partner is absent dances single tonight; a present couple shows as one entry.
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail) continue;
        sd->assigned = 0;
        sd->display = 1;
        if (sd->partner && !sd->partner->avail) sd->partner = nullptr;
        if (sd->partner) sd->display = CoupleDisplay(sd, sd->partner);
    }
    SetupDispNames();
    DPRINTF(1, "(ReadDorvels) %zu dancer lines\n", dancers.size());
}

// Most problems listed in the notice; the rest are counted.
constexpr size_t NOTICEDPROBLEMS = 12;

// Takes the lines read from the club file open as fp (unread: why it could not be read) as
// ReadDorvels does: the file is recorded and locked, the lines replace nothing but are read
// into the roster and the settings, and the operator's notices wait. False when not read.
static bool TakeClubLines(FILE* fp, const std::vector<std::string>& lines, const std::string& unread) {
    bool inuse = false;
    std::string path = GuardRead(fp, unread, &inuse);
    std::string name = path.empty() ? _("The club file") : "<" + ShownName(path) + ">";
    if (!unread.empty()) {
        // Nothing of it is taken: a roster read in part would be written over the whole.
        ClubFileNotice(_("%s was not read: %s.\nIt is not written over unless saved on purpose "
                       "(w), which keeps the old file as <%s~>."),
                       name.c_str(), unread.c_str(), path.empty() ? _("name") : ShownName(path).c_str());
        return false;
    }
    if (inuse) ClubFileNotice("%s.", InUseText(ShownName(path)).c_str());
    ReadClubLines(lines);
    if (!problems.empty()) {
        std::string text = strprintf(ngettext("%s: %zu problem", "%s: %zu problems", problems.size()), name.c_str(),
                                     problems.size());
        if (!path.empty())
            text += strprintf(_(" (the file as it is now is kept as <%s~> when it is first written)"),
                              ShownName(path).c_str());
        text += ":";
        for (size_t i = 0; i < problems.size() && i < NOTICEDPROBLEMS; ++i) text += "\n" + problems[i];
        if (problems.size() > NOTICEDPROBLEMS)
            text += strprintf(_("\n... and %zu more"), problems.size() - NOTICEDPROBLEMS);
        ClubFileNotice("%s", text.c_str());
    }
    return true;
}

void ClubTextRestore(const std::vector<std::string>& text) {
    std::vector<std::string> lines;
    for (const std::string& l : text) {
        std::vector<std::string> one = SplitLines(l);
        if (!one.empty() && one[0] != "Record") lines.push_back(std::move(one[0]));
    }
    ClubSettingsDefaults();
    anoncnt = 0;
    for (int& c : anoncounts) c = 0;
    ClearDancers();
    ReadClubLines(lines);
    problems.clear();
}

bool ReadDorvels(FILE* fp) {
    edbg("ReadDorvels(fp<%s>)", fp && fileno(fp) >= 0 ? fd2name(fileno(fp)).c_str() : "");
    bool read = false;
    if (fp) {
        std::vector<std::string> lines;
        std::string why;
        ClubLines(fp, &lines, &why);  // why stays "" when the file can be read
        read = TakeClubLines(fp, lines, why);
    }
    rdbg("ReadDorvels");
    return read;
}

std::string CompanionFile(const std::string& clubfile, const char* ext) {
    if (EndsWith(clubfile, DORVELEXT) && clubfile.size() - strlen(DORVELEXT) > BaseStart(clubfile))
        return clubfile.substr(0, clubfile.size() - strlen(DORVELEXT)) + "." + ext;
    return clubfile + "." + ext;
}

std::string ClubFileName(const std::string& club) {
    // The club name's last word, in lower case; a club name is not a path.
    size_t end = club.size();
    while (end > 0 && IsBlank(club[end - 1])) --end;
    size_t beg = end;
    while (beg > 0 && !IsBlank(club[beg - 1])) --beg;
    std::string word = club.substr(beg, end - beg);
    if (word.empty()) return dfltsavefile;
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
        if (c == '/') c = '_';
    }
    return word + DORVELEXT;
}

void BindOutputFile(const std::string& name) {
    outputfilename = boundname = name;
}

bool OutputFileBound() { return !boundname.empty() && outputfilename == boundname; }

void BuildOutputFilename() {
    edbg("BuildOutputFilename() outputfilename<%s>", outputfilename.c_str());
    if (OutputFileBound()) {
        // The club file read or chosen: renaming the club does not move it.
    } else if (!outputfilename.empty() && outputfilename != dfltsavefile) {
        if (!EndsWith(outputfilename, DORVELEXT)) {
            size_t dot = ExtDot(outputfilename);
            if (dot != std::string::npos) outputfilename.erase(dot);
            outputfilename += DORVELEXT;
        }
    } else if ((clubname.empty() || clubname == "None") && !inputfilename.empty()) {
        // A club file read without a club name is written back to itself.
        outputfilename = inputfilename;
    } else {
        outputfilename = derivedname = ClubFileName(clubname);
    }
    DPRINTF(1, "(BuildOutputFilename) outputfilename<%s>\n", outputfilename.c_str());
    rdbg("BuildOutputFilename");
}

bool FolderWritable(const std::string& dir) {
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && Writable(dir, st);
}

// A name made from the club's name never replaces a file that this run has not read or
// written: another club's roster (two clubs whose names end in the same word), a file that is
// no club file, or an older roster nobody read. The first free "name-N.dorvel" is taken then.
static std::string FreeClubFileName(const std::string& name) {
    if (access(name.c_str(), F_OK) != 0 || GuardKnown(name)) return name;
    size_t dot = ExtDot(name);
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    for (int n = 2;; ++n) {
        std::string free = strprintf("%s-%d%s", stem.c_str(), n, DORVELEXT);
        if (access(free.c_str(), F_OK) != 0 || GuardKnown(free)) return free;
    }
}

WriteOutcome WriteClub(int keepdances, bool explicitsave, const std::string& asname, std::string* why) {
    edbg("WriteClub(keepdances=%d, explicitsave=%d, asname<%s>)", keepdances, (int)explicitsave,
         asname.c_str());
    why->clear();
    if (asname.empty() && outputfilename.empty()) {
        rdbg("WriteClub : no name");
        return WRITE_NOTHING;
    }
    // A new club that nobody has entered anything into yet is not written, so that a
    // misspelt club name leaves no empty club file and the pointer file its club.
    if (keepdances != -1 && asname.empty() && !explicitsave && newclub && !ClubChanged()) {
        rdbg("WriteClub : new club, nothing entered");
        return WRITE_NOTHING;
    }
    std::string name = asname.empty() ? ChosenOutputName(true) : asname;
    bool derived = asname.empty() && !OutputFileBound() && name == derivedname;
    std::string target, note, changednote;
    bool ok;
    if (keepdances == -1) {
        target = asname.empty() ? ResetFilename(name) : asname;
        ok = ReplaceFile(target, ClubFileText(-1));
        if (!ok) *why = strprintf(_("unable to write <%s>: %s"), target.c_str(), strerror(errno));
    } else {
        // The club file as named, else with ".dorvel"; a new file gets the name as is.
        target = name;
        struct stat st;
        if (asname.empty() && stat(name.c_str(), &st) != 0 && stat((name + DORVELEXT).c_str(), &st) == 0)
            target = name + DORVELEXT;
        if (derived && (name = FreeClubFileName(target)) != target) {
            note = strprintf(_("<%s> holds data this Dorvels did not read (another club's roster, or no "
                               "club file): the club is saved as <%s> instead"),
                             target.c_str(), name.c_str());
            target = name;
        }
        GuardCheck check = GuardBeforeWrite(target, explicitsave || !asname.empty(), why);
        if (check != GUARD_OK) {
            rdbg("WriteClub : refused");
            return check == GUARD_INUSE ? WRITE_INUSE : WRITE_UNREAD;
        }
        std::string block;
        ok = CommentBlock(target, &block);
        if (!ok) *why = strprintf(_("unable to write <%s>: %s"), target.c_str(), strerror(errno));
        else ok = GuardedWrite(target, block + ClubFileText(keepdances), why, &changednote);
        if (!changednote.empty()) note = changednote;
    }
    if (!ok) {
        rdbg("WriteClub : failed");
        return WRITE_FAILED;
    }
    // The file written is the club's file from now on, also when its name was made from the
    // club's name: a club renamed later is not written to a second file.
    if (keepdances != -1) {
        BindOutputFile(asname.empty() ? target : asname);
        savedat = time(nullptr);
    }
    // The pointer file names the club file (also after a reset file was written). It is
    // written only once the club file is safe, so it never names a file that failed.
    std::string pointed = keepdances == -1 && !asname.empty() ? ChosenOutputName(false) : name;
    if (!ReplaceFile(lastdancefile, pointed + "\n"))
        DPRINTF(1, "(WriteClub) unable to write <%s>\n", lastdancefile);
    if (!note.empty()) {
        error(1, "%s\n", note.c_str());
        GtkWarning("%s", note.c_str());
    }
    DPRINTF(1, "(WriteClub) wrote <%s>\n", target.c_str());
    rdbg("WriteClub");
    return WRITE_WRITTEN;
}

bool WriteDorvels(int keepdances, bool explicitsave) {
    std::string why;
    WriteOutcome outcome = WriteClub(keepdances, explicitsave, "", &why);
    // A failure is shown every time; a refusal when the operator saved on purpose, else
    // once (it would come again at every roll).
    if (outcome == WRITE_FAILED || ((outcome == WRITE_INUSE || outcome == WRITE_UNREAD) &&
                                    (reportedrefusals.insert(why).second || explicitsave))) {
        error(1, "%s\n", why.c_str());
        GtkWarning("%s", why.c_str());
    }
    return outcome == WRITE_WRITTEN;
}

bool SaveWithChoice(int keepdances, bool quitting) {
    edbg("SaveWithChoice(keepdances=%d, quitting=%d)", keepdances, (int)quitting);
    std::string why, othername;
    bool explicitsave = false;
    for (;;) {
        WriteOutcome outcome = WriteClub(keepdances, explicitsave, othername, &why);
        if (outcome == WRITE_WRITTEN || outcome == WRITE_NOTHING) break;
        error(1, "%s\n", why.c_str());
        // A file kept from being written, with nothing entered since the start: nothing
        // of the evening is lost by leaving it as it is.
        if (outcome != WRITE_FAILED && !ClubChanged()) break;
        std::string text = why;
        if (outcome == WRITE_UNREAD)
            text += _("\n\nTry again writes it all the same, keeping the old file.");
        else if (outcome == WRITE_INUSE)
            text += _("\n\nTo keep this evening's changes, save them under another name.");
        othername.clear();
        int answer = AskSaveFailed(text, quitting, &othername);
        if (answer == SAVE_NOT) {
            error(1, _("(SaveWithChoice) %s not saved\n"), keepdances == -1 ? _("reset file") : _("club file"));
            rdbg("SaveWithChoice : not saved");
            return false;
        }
        explicitsave = answer == SAVE_RETRY;
        if (answer != SAVE_OTHERNAME) othername.clear();
    }
    rdbg("SaveWithChoice");
    return true;
}

// ---- choosing the club file --------------------------------------------------------------
namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return !a.empty() && !b.empty() && stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Before another club file replaces the roster, the roster is written to its own club file
// as the end of the evening would write it; not when that file is the one about to be read.
std::string SaveRosterBefore(const std::string& toread) {
    if (!sdhd || outputfilename.empty()) return "";
    std::string target = ChosenOutputName(false);
    if (SameFile(target, toread) || SameFile(target + DORVELEXT, toread)) return "";
    if (WriteDorvels(0)) return "";
    return strprintf(_("<%s> was not read: the roster could not be saved to its own file first"), toread.c_str());
}

}  // namespace

// The lines of the file open as fp, read once, for the setup dialog: "" when it is a club
// file, otherwise why not.
static std::string ChosenLines(FILE* fp, std::vector<std::string>* lines) {
    std::string data, why;
    if (!ReadAll(fp, &data, &why)) return _("cannot be read: ") + why;
    if (!ClubText(data, lines, &why, true)) return _("is not a club file: ") + why;
    return "";
}

std::string NotAClubFile(FILE* fp) {
    std::vector<std::string> lines;
    return ChosenLines(fp, &lines);
}

std::string ChooseClubFile(const std::string& name, bool* read) {
    edbg("ChooseClubFile(name<%s>)", name.c_str());
    *read = false;
    std::string dir = DirOf(name), why, chosen = name;
    FILE* fp = nullptr;
    if (!FolderWritable(dir)) {
        why = strprintf(_("the folder <%s> cannot be written"), dir.c_str());
    } else if (!(fp = fopenx(name, "r", "dorvel", "DORVELS"))) {
        for (const std::string& c : {name, name + DORVELEXT})
            if (why.empty() && access(c.c_str(), F_OK) == 0 && access(c.c_str(), R_OK) != 0)
                why = strprintf(_("<%s> cannot be read: %s"), c.c_str(), strerror(errno));
        // Otherwise a new file: the roster is written there from now on.
    } else if (chosen = fopenfilename; !sdhd || !SameFile(chosen, inputfilename)) {
        // Read once, through the checks of the start-up's reader; the file is locked before
        // the roster is saved and replaced, so that no other Dorvels has it meanwhile.
        std::vector<std::string> lines;
        why = ChosenLines(fp, &lines);
        if (!why.empty()) why = "<" + chosen + "> " + why;
        else if (!GuardLock(chosen)) why = InUseText(chosen);
        else if (!(why = SaveRosterBefore(chosen)).empty()) GuardUnlock(chosen);
        if (why.empty()) {
            // A fresh club: what the file leaves out takes its default, not the old club's value.
            EDITMODE mode = editmode;
            ClubSettingsDefaults();
            anoncnt = 0;
            for (int& c : anoncounts) c = 0;
            ClearDancers();
            editmode = mode;
            inputfilename = chosen;
            BindOutputFile(name);
            TakeClubLines(fp, lines, "");
            SortByName();
            *read = true;
        }
    }
    if (fp) fclose(fp);
    if (why.empty()) {
        if (!*read) BindOutputFile(name);
        GuardUnlock(chosen, true);  // the club files left behind are free for others
        MarkClubUnchanged();        // the club chosen is the evening's start now
    }
    DPRINTF(1, "(ChooseClubFile) read=%d why<%s>\n", (int)*read, why.c_str());
    rdbg("ChooseClubFile");
    return why;
}

void ResetB() {
    edbg("ResetB()");
    if (sdhd) {
        bool anypresent = false;
        for (SqrDancer* sd = sdhd; sd && !anypresent; sd = sd->nxt) anypresent = sd->avail != 0;
        if (!anypresent) {
            int answer = AskResetDialog();
            if (answer == 0) {
                rdbg("ResetB");
                return;
            }
            if (answer == 1) {
                editmode = PRESENT;
                SwitchDisplay(PRESENT);
                // After the redraw, so that a failure is not closed by it at once.
                SaveWithChoice(-1, false);
                rdbg("ResetB");
                return;
            }
        }
    }

    // The reset file is read before the roster goes, so that a missing or unreadable reset
    // file does not cost the club its roster (which the next write would save over the club
    // file).
    FILE* fp = nullptr;
    std::string resetname;
    std::vector<std::string> lines;
    if (!inputfilename.empty()) {
        std::vector<std::string> candidates;
        if (!outputfilename.empty())
            candidates.push_back(ResetFilename(ChosenOutputName(false)));
        candidates.push_back(ResetFilename(inputfilename));
        candidates.push_back(OldResetFilename(inputfilename));
        for (const std::string& c : candidates)
            if ((fp = fopen(c.c_str(), "r"))) {
                resetname = c;
                break;
            }
        if (!fp) {
            GtkWarning(_("unable to read reset file <%s>: %s"), candidates.front().c_str(),
                       strerror(errno));
            rdbg("ResetB");
            return;
        }
        std::string why;
        bool readable = ClubLines(fp, &lines, &why);
        fclose(fp);
        if (!readable) {
            GtkWarning(_("reset file <%s> not read: %s"), resetname.c_str(), why.c_str());
            rdbg("ResetB");
            return;
        }
    }

    // The trie goes first: every name leaves it anyway, and keeping it up to date dancer
    // by dancer costs a walk over the roster per name.
    if (ps) {
        ps_free(ps, 0);
        ps = nullptr;
    }
    while (sdhd) DelDancer(sdhd);
    if (fp) {
        DPRINTF(1, "(ResetB) reading <%s>\n", resetname.c_str());
        ReadClubLines(lines);
        SortByName();
    }
    editmode = PRESENT;
    SwitchDisplay(PRESENT);
    rdbg("ResetB");
}

// ---- what the operator is told about club files, and what was entered since ----------------

namespace {
std::vector<std::string> notices;  // for the operator, not shown yet
std::string startedtext;           // the roster and settings as the evening started
}  // namespace

time_t ClubSavedAt() { return savedat; }

void ClubFileNotice(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrprintf(fmt, ap);
    va_end(ap);
    fprintf(stderr, "dorvels: %s\n", text.c_str());
    notices.push_back(text);
}

std::string TakeClubFileNotice() {
    std::string all;
    for (const std::string& n : notices) all += (all.empty() ? "" : "\n\n") + n;
    notices.clear();
    return all;
}

// The club file's text for comparing: its lines sorted, since the roster's order changes
// with the boards (a squares board sorts couples by family name) while nothing is entered.
static std::string ComparableText() {
    std::string text = ClubFileText(0);
    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(text.data() + pos, end - pos);
        pos = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (std::string_view l : lines) (sorted += l) += '\n';
    return sorted;
}

void MarkClubUnchanged(bool isnew) {
    startedtext = ComparableText();
    savedat = time(nullptr);
    newclub = isnew;
}

bool ClubChanged() { return ComparableText() != startedtext; }

void ResetClubFiles() {
    GuardReset();
    notices.clear();
    startedtext.clear();
    newclub = false;
    boundname.clear();
    derivedname.clear();
    reportedrefusals.clear();
}
