// SPDX-License-Identifier: GPL-3.0-or-later
// Members in and out as spreadsheets: the importer of CSV/TSV files and the CSV export.
#include "files/members.h"

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>

#include "files/clubfile.h"
#include "files/clubguard.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {

enum Column { COL_FIRST, COL_LAST, COL_ROLE, COL_PARTNER, COL_LEVEL, COL_CARD, COL_PRIORITY, COLQTY };

// Header words, compared after Fold and with blanks, "_", "-", "." and ":" left out.
const char* const headerwords[COLQTY][10] = {
    {"firstname", "first", "givenname", "forename", "vorname", "rufname"},
    {"lastname", "last", "surname", "familyname", "name", "nachname", "familienname", "zuname"},
    {"role", "rolle", "sex", "gender", "geschlecht", "anrede"},
    {"partner", "partnerin", "partnername"},
    {"level", "program", "programme", "programm", "stufe"},
    {"card", "cardnumber", "karte", "kartennummer", "rfid", "rfidcard", "rfidkarte"},
    {"priority", "priorität", "prio"},
};

std::string Fold(const std::string& s) {
    gchar* f = g_utf8_casefold(s.c_str(), (gssize)s.size());
    std::string out = f ? f : s;
    g_free(f);
    return out;
}

// Blanks (and the no-break space spreadsheets like) around a field go.
std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    auto blank = [&](size_t i, bool front) {
        if (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n') return (size_t)1;
        if (front && i + 1 < s.size() && (unsigned char)s[i] == 0xC2 && (unsigned char)s[i + 1] == 0xA0) return (size_t)2;
        if (!front && i >= 1 && (unsigned char)s[i - 1] == 0xC2 && (unsigned char)s[i] == 0xA0) return (size_t)2;
        return (size_t)0;
    };
    while (b < e) {
        size_t n = blank(b, true);
        if (!n) break;
        b += n;
    }
    while (e > b) {
        size_t n = blank(e - 1, false);
        if (!n) break;
        e -= n;
    }
    return s.substr(b, e - b);
}

std::string HeaderKey(const std::string& cell) {
    std::string k;
    for (char c : Fold(Trim(cell)))
        if (!strchr(" _-.:", c)) k += c;
    return k;
}

// A name as one word of the club file: blanks and control characters inside become "_".
std::string Word(const std::string& text) {
    std::string w = Trim(text);
    for (char& c : w)
        if (c == ' ' || (unsigned char)c < 0x20 || c == 0x7f) c = '_';
    return w;
}

// The key two spellings of one full name share: case folded, underscores and runs of blanks
// as one blank.
std::string NameKey(const std::string& first, const std::string& last) {
    std::string s = first + " " + last, out;
    for (char& c : s)
        if (c == '_' || c == '\t') c = ' ';
    for (char c : Trim(s))
        if (c != ' ' || out.empty() || out.back() != ' ') out += c;
    return Fold(out);
}

// The keys a partner's name may stand for: "First Last" as written, or "Last, First".
std::vector<std::string> PartnerKeys(const std::string& written) {
    std::vector<std::string> keys{NameKey(written, "")};
    size_t comma = written.rfind(',');
    if (comma != std::string::npos) keys.push_back(NameKey(written.substr(comma + 1), written.substr(0, comma)));
    return keys;
}

bool Names(const std::string& written, const std::string& key) {
    for (const std::string& k : PartnerKeys(written))
        if (k == key) return true;
    return false;
}

std::string Shown(const std::string& first, const std::string& last) {
    std::string s = first + " " + last;
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}

// ---- encodings ---------------------------------------------------------------------------
std::string Convert(const std::string& bytes, const char* from, bool* ok) {
    gsize written = 0;
    GError* err = nullptr;
    gchar* out = g_convert(bytes.data(), (gssize)bytes.size(), "UTF-8", from, nullptr, &written, &err);
    *ok = out != nullptr;
    std::string s = out ? std::string(out, written) : "";
    g_free(out);
    if (err) g_error_free(err);
    return s;
}

// The file's text as UTF-8; "" with *why when it is no text.
std::string Decode(const std::string& bytes, std::string* encoding, std::string* why) {
    auto starts = [&](const char* bom, size_t n) { return bytes.size() >= n && memcmp(bytes.data(), bom, n) == 0; };
    bool ok = true;
    std::string text;
    if (starts("\xEF\xBB\xBF", 3)) {
        *encoding = "UTF-8";
        text = bytes.substr(3);
        ok = g_utf8_validate(text.data(), (gssize)text.size(), nullptr);
    } else if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
        *encoding = "UTF-16";
        text = Convert(bytes.substr(2), bytes[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE", &ok);
    } else if (g_utf8_validate(bytes.data(), (gssize)bytes.size(), nullptr)) {
        *encoding = "UTF-8";
        text = bytes;
    } else {
        *encoding = "Windows-1252";
        text = Convert(bytes, "WINDOWS-1252", &ok);
        // Five bytes have no character in Windows-1252: such a file is taken as Latin-1.
        if (!ok) text = Convert(bytes, "ISO-8859-1", &ok);
    }
    if (!ok) {
        *why = _("it is no text (its characters cannot be read)");
        return "";
    }
    // Text has no NUL and hardly any control characters; a binary file has many.
    size_t controls = 0;
    for (unsigned char c : text) {
        if (c == 0) {
            *why = _("it is no text but a binary file");
            return "";
        }
        controls += c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    }
    if (controls > 8 + text.size() / 100) {
        *why = _("it is no text but a binary file");
        return "";
    }
    return text;
}

// ---- CSV ---------------------------------------------------------------------------------
struct Record {
    int line = 0;
    std::vector<std::string> fields;
};

// The separator the first record uses most outside quotes: tab, then semicolon, then comma
// on a tie; comma when it uses none.
char DetectSeparator(const std::string& text) {
    int counts[3] = {};
    const char seps[3] = {'\t', ';', ','};
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        for (int s = 0; s < 3; ++s) counts[s] += c == seps[s];
    }
    int best = 2;
    for (int s = 0; s < 3; ++s)
        if (counts[s] > counts[best] || (counts[s] == counts[best] && counts[s] > 0 && s < best)) best = s;
    return seps[best];
}

// The records of the text; *unclosed gets the line of a quote never closed (0 when none).
std::vector<Record> ParseCsv(const std::string& text, char sep, int* unclosed) {
    std::vector<Record> out;
    int quoteline = 0;
    Record rec;
    std::string field;
    bool quoted = false, wasquoted = false;
    int line = 1;
    rec.line = 1;
    auto endfield = [&] {
        rec.fields.push_back(wasquoted ? field : Trim(field));
        field.clear();
        wasquoted = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n') ++line;
                if (c != '\r') field += c;
            }
            continue;
        }
        if (c == '"' && Trim(field).empty()) {
            field.clear();
            quoted = wasquoted = true;
            quoteline = line;
        } else if (c == sep) {
            endfield();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endfield();
            out.push_back(std::move(rec));
            rec = Record{};
            rec.line = ++line;
        } else {
            field += c;
        }
    }
    if (!field.empty() || wasquoted || !rec.fields.empty()) {
        endfield();
        out.push_back(std::move(rec));
    }
    *unclosed = quoted ? quoteline : 0;
    return out;
}

bool EmptyRecord(const Record& r) {
    return std::all_of(r.fields.begin(), r.fields.end(), [](const std::string& f) { return Trim(f).empty(); });
}

// ---- values ------------------------------------------------------------------------------
SDSEX Role(const std::string& text, bool* known) {
    *known = true;
    std::string t = Trim(text);
    if (t.empty()) return E;
    SDSEX s = idsex(t);
    if (s != NOSEX) return s;
    std::string k = Fold(t);
    while (!k.empty() && k.back() == '.') k.pop_back();
    static const char* const men[] = {"man", "male", "mann", "herr", "hr", "gent", "gentleman", "boy", "junge", "männlich", "mr"};
    static const char* const women[] = {"w", "woman", "female", "frau", "fr", "lady", "dame", "girl", "mädchen", "weiblich", "mrs", "ms"};
    static const char* const either[] = {"either", "both", "beide", "beides"};
    for (const char* m : men)
        if (k == m) return M;
    for (const char* w : women)
        if (k == w) return F;
    for (const char* e : either)
        if (k == e) return E;
    s = idsex(k);
    if (s != NOSEX) return s;
    *known = false;
    return E;
}

SDPGM Level(const std::string& text, bool* known) {
    *known = true;
    std::string t = Trim(text);
    if (t.empty()) return Basic;
    std::string k = Fold(t);
    for (int p = 0; p < PGMQTY; ++p)
        if (k == Fold(pgmname[p])) return (SDPGM)p;
    if (k == "mainstream" || k == "ms") return Main;
    if (k == "p") return Plus;
    *known = false;
    return Basic;
}

// A card number as a spreadsheet keeps it: up to ten digits (leading zeros may be lost).
bool Card(const std::string& text, uint64_t* card) {
    std::string t;
    for (char c : Trim(text))
        if (c != ' ') t += c;
    *card = 0;
    if (t.empty()) return true;
    if (t.size() > 10 || t.find_first_not_of("0123456789") != std::string::npos) return false;
    *card = strtoull(t.c_str(), nullptr, 10);
    return true;
}

std::string Cell(const Record& r, int col) {
    return col >= 0 && (size_t)col < r.fields.size() ? r.fields[(size_t)col] : "";
}

}  // namespace

int MemberImport::Adding() const {
    int n = 0;
    for (const MemberRow& r : rows) n += r.add;
    return n;
}

MemberImport ReadMembers(const std::string& bytes) {
    MemberImport imp;
    auto refuse = [&imp](const std::string& why) {
        imp.refused = why;
        imp.rows.clear();
        return imp;
    };
    if (bytes.find_first_not_of(" \t\r\n") == std::string::npos) return refuse(_("it is empty"));
    if ((long)bytes.size() > MEMBERSMAXBYTES) return refuse(_("it is far larger than any list of dancers"));
    std::string why;
    std::string text = Decode(bytes, &imp.encoding, &why);
    if (!why.empty()) return refuse(why);
    // A line of thousands of characters is no row of a member list.
    for (size_t pos = 0, line = 1; pos < text.size(); ++line) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        if (end - pos > MEMBERSMAXLINE)
            return refuse(strprintf(_("line %zu is %zu characters long: it is no list of dancers"), line, end - pos));
        pos = end + 1;
    }
    if (text.compare(0, 8, "dorvels-") == 0) return refuse(_("it is a file Dorvels keeps beside a club file"));
    if (FILE* fp = fmemopen(text.data(), text.size(), "r")) {
        bool club = NotAClubFile(fp).empty();
        fclose(fp);
        if (club) return refuse(_("it is a club file (choose it in the setup dialog); the import reads spreadsheets"));
    }

    // A first line "sep=;" (as one spreadsheet program writes it) names the separator.
    int firstline = 1;
    if (text.size() > 5 && text.compare(0, 4, "sep=") == 0 && (text[5] == '\n' || text[5] == '\r')) {
        imp.separator = text[4];
        size_t next = text.find('\n');
        text.erase(0, next == std::string::npos ? text.size() : next + 1);
        firstline = 2;
    } else {
        imp.separator = DetectSeparator(text);
    }
    int unclosed = 0;
    std::vector<Record> records = ParseCsv(text, imp.separator, &unclosed);
    if (unclosed)
        return refuse(strprintf(_("a quote opened on line %d is never closed"), unclosed + firstline - 1));
    for (Record& r : records) r.line += firstline - 1;
    std::erase_if(records, EmptyRecord);
    if (records.empty()) return refuse(_("it is empty"));
    if ((int)records.size() > MEMBERSMAXROWS + 1)
        return refuse(strprintf(_("it has %zu rows: far more than any club"), records.size()));

    // The columns: by a header row (within the first rows: a title may stand above it),
    // else first and last name in the first two.
    int col[COLQTY];
    for (size_t h = 0; h < records.size() && h < 5 && !imp.header; ++h) {
        for (int& c : col) c = -1;
        for (size_t i = 0; i < records[h].fields.size(); ++i) {
            std::string k = HeaderKey(records[h].fields[i]);
            for (int c = 0; c < COLQTY; ++c)
                for (const char* w : headerwords[c])
                    if (w && col[c] < 0 && k == w) col[c] = (int)i;
        }
        // "Name" alone is the last name.
        imp.header = col[COL_FIRST] >= 0 || col[COL_LAST] >= 0;
        if (imp.header) records.erase(records.begin(), records.begin() + (long)h + 1);
    }
    if (!imp.header) {
        col[COL_FIRST] = 0;
        col[COL_LAST] = 1;
        for (int c = COL_ROLE; c < COLQTY; ++c) col[c] = -1;
    }

    std::map<std::string, int> names;  // name key -> first row of that name
    std::map<uint64_t, int> cards;     // card -> row holding it
    for (const Record& r : records) {
        MemberRow row;
        row.line = r.line;
        row.first = Word(Cell(r, col[COL_FIRST]));
        row.last = Word(Cell(r, col[COL_LAST]));
        row.partner = Trim(Cell(r, col[COL_PARTNER]));
        bool known = true;
        const std::string role = Trim(Cell(r, col[COL_ROLE]));
        row.sex = Role(role, &known);
        if (!known) row.problems.push_back(strprintf(_("role \"%s\" not known: E (either) is taken"), role.c_str()));
        const std::string level = Trim(Cell(r, col[COL_LEVEL]));
        row.pgm = Level(level, &known);
        if (!known) row.problems.push_back(strprintf(_("level \"%s\" not known: Basic is taken"), level.c_str()));
        const std::string prio = Fold(Trim(Cell(r, col[COL_PRIORITY])));
        row.priority = prio == "must" || prio == "m" || prio == "muss" ? MUST : LUCK;
        const std::string card = Trim(Cell(r, col[COL_CARD]));
        if (!Card(card, &row.card))
            row.problems.push_back(strprintf(_("\"%s\" is no card number: added without a card"), card.c_str()));

        const std::string shown = Shown(row.first, row.last);
        if (row.first.empty() && row.last.empty()) {
            row.problems.insert(row.problems.begin(), _("no name: not added"));
        } else if (row.first.empty() || row.last.empty()) {
            row.problems.insert(row.problems.begin(),
                                row.first.empty() ? _("no first name: not added") : _("no last name: not added"));
        } else if (row.first.size() + row.last.size() > MEMBERSMAXNAME) {
            row.problems.insert(row.problems.begin(), _("a name far longer than any dancer's: not added"));
        } else if (const char* key = ClubFileLineKey(row.first)) {
            row.problems.insert(row.problems.begin(),
                                strprintf(_("a first name cannot begin with \"%s\": not added"), key));
        } else if (row.first == "*" && row.last == "*") {
            row.problems.insert(row.problems.begin(), _("no name: not added"));
        } else {
            const std::string key = NameKey(row.first, row.last);
            bool onroster = false;
            for (const SqrDancer* sd = sdhd; sd && !onroster; sd = sd->nxt)
                onroster = NameKey(sd->firstname, sd->lastname) == key;
            if (onroster) {
                row.problems.insert(row.problems.begin(),
                                    strprintf(_("%s is on the roster already: not added twice"), shown.c_str()));
            } else if (auto it = names.find(key); it != names.end()) {
                row.problems.insert(row.problems.begin(),
                                    strprintf(_("%s is on line %d already: not added twice"), shown.c_str(),
                                              imp.rows[(size_t)it->second].line));
            } else {
                row.add = true;
                names[key] = (int)imp.rows.size();
            }
        }
        if (row.add && row.card) {
            if (IsCommandCard(row.card)) {
                row.problems.push_back(strprintf(_("card %010llu is a command card: added without it"),
                                                 (unsigned long long)row.card));
                row.card = 0;
            } else if (const SqrDancer* holder = RfidHolder(row.card)) {
                row.problems.push_back(strprintf(_("card %010llu belongs to %s: added without it"),
                                                 (unsigned long long)row.card, FullName(holder).c_str()));
                row.card = 0;
            } else if (auto it = cards.find(row.card); it != cards.end()) {
                row.problems.push_back(strprintf(_("card %010llu is on line %d already: added without it"),
                                                 (unsigned long long)row.card, imp.rows[(size_t)it->second].line));
                row.card = 0;
            } else {
                cards[row.card] = (int)imp.rows.size();
            }
        }
        imp.rows.push_back(std::move(row));
    }
    if (imp.rows.empty()) return refuse(_("it holds no dancer, only a header"));

    // Partners by name: a couple when the partner is there (a row added, or a dancer of the
    // roster without a partner) and names this dancer or nobody.
    for (size_t i = 0; i < imp.rows.size(); ++i) {
        MemberRow& row = imp.rows[i];
        if (!row.add || row.partner.empty() || row.partnerrow >= 0) continue;
        const std::string me = NameKey(row.first, row.last);
        std::string want;
        auto it = names.end();
        for (const std::string& k : PartnerKeys(row.partner))
            if (it == names.end() && (it = names.find(k)) != names.end()) want = k;
        if (want.empty()) want = PartnerKeys(row.partner)[0];
        if (it != names.end() && it->second != (int)i) {
            MemberRow& other = imp.rows[(size_t)it->second];
            if (other.partnerrow < 0 && (other.partner.empty() || Names(other.partner, me))) {
                row.partnerrow = it->second;
                other.partnerrow = (int)i;
                continue;
            }
            row.problems.push_back(strprintf(_("partner %s names another partner: added single"), row.partner.c_str()));
            continue;
        }
        SqrDancer* found = nullptr;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (Names(row.partner, NameKey(sd->firstname, sd->lastname))) found = sd;
        bool claimed = false;
        for (const MemberRow& o : imp.rows) claimed = claimed || (found && o.partnersd == found);
        if (found && !found->partner && !claimed) {
            row.partnersd = found;
        } else if (found) {
            row.problems.push_back(strprintf(_("partner %s has a partner already: added single"), row.partner.c_str()));
        } else {
            row.problems.push_back(strprintf(_("partner %s is neither in the file nor on the roster: added single"),
                                             row.partner.c_str()));
        }
    }
    return imp;
}

MemberImport ReadMembersFile(const std::string& path, std::string* keep) {
    MemberImport imp;
    // Opened without waiting, so that a pipe in the file's place cannot stop the program.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        imp.refused = strerror(errno);
        if (fd >= 0) close(fd);
        return imp;
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        imp.refused = _("it is not a plain file");
        return imp;
    }
    if (st.st_size > MEMBERSMAXBYTES) {
        close(fd);
        imp.refused = _("it is far larger than any list of dancers");
        return imp;
    }
    std::string bytes((size_t)st.st_size, '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += (size_t)n;
    }
    close(fd);
    bytes.resize(got);
    if (keep) *keep = bytes;
    return ReadMembers(bytes);
}

int AddMembers(const MemberImport& imp) {
    std::vector<SqrDancer*> made(imp.rows.size(), nullptr);
    int added = 0;
    for (size_t i = 0; i < imp.rows.size(); ++i) {
        const MemberRow& row = imp.rows[i];
        if (!row.add) continue;
        SqrDancer* sd = NewSqrDancerAlloc(nullptr);
        SetDancerNames(sd, row.first, row.last);
        sd->sex = row.sex;
        sd->pgm = row.pgm;
        sd->priority = row.priority;
        sd->avail = 0;
        sd->dances = sd->prvdances = 0;
        if (row.card && !RfidHolder(row.card) && !IsCommandCard(row.card)) RfidGive(sd, row.card);
        made[i] = sd;
        ++added;
    }
    for (size_t i = 0; i < imp.rows.size(); ++i) {
        const MemberRow& row = imp.rows[i];
        if (!made[i]) continue;
        if (row.partnerrow > (int)i && made[(size_t)row.partnerrow]) SetPartner(made[i], made[(size_t)row.partnerrow]);
        if (row.partnersd && OnRoster(row.partnersd) && !row.partnersd->partner) SetPartner(made[i], row.partnersd);
    }
    SortByName();
    SetupDispNames();
    return added;
}

char CsvSeparator() {
    const char* env = nullptr;
    for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"})
        if (!env || !*env) env = getenv(var);
    if (!env || !*env) return ',';
    locale_t loc = newlocale(LC_NUMERIC_MASK, env, (locale_t)0);
    if (!loc) return ',';
    const char* radix = nl_langinfo_l(RADIXCHAR, loc);
    const char sep = radix && strcmp(radix, ",") == 0 ? ';' : ',';
    freelocale(loc);
    return sep;
}

std::string CsvField(const std::string& text, char separator) {
    bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    for (char c : text) quote = quote || c == separator || c == '"' || c == '\n' || c == '\r';
    if (!quote) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string MembersCsv() {
    std::string out = "\xEF\xBB\xBF";
    const char sep = CsvSeparator();
    const char* const header[] = {N_("First name"), N_("Last name"), N_("Role"), N_("Partner"),
                                  N_("Level"), N_("Card"), N_("Priority")};
    for (size_t i = 0; i < std::size(header); ++i) out += (i ? std::string(1, sep) : "") + CsvField(_(header[i]), sep);
    out += "\r\n";
    // The steady partner: a dancer who stays away tonight keeps the link to a partner who
    // dances single, and the two are still a couple of the club.
    std::map<const SqrDancer*, const SqrDancer*> steady;
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->partner) steady[sd] = sd->partner, steady.emplace(sd->partner, sd);
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (IsPlaceholder(sd)) continue;
        const SqrDancer* partner = steady.count(sd) ? steady[sd] : nullptr;
        auto shown = [](std::string s) {
            std::replace(s.begin(), s.end(), '_', ' ');
            return s;
        };
        const std::string fields[] = {shown(sd->firstname), shown(sd->lastname), strsex(sd->sex),
                                      partner ? FullName(partner) : "", strpgm(sd->pgm),
                                      sd->rfid ? strprintf("%010llu", (unsigned long long)sd->rfid) : "",
                                      sd->priority == MUST ? "must" : "luck"};
        for (size_t i = 0; i < std::size(fields); ++i) out += (i ? std::string(1, sep) : "") + CsvField(fields[i], sep);
        out += "\r\n";
    }
    return out;
}

std::string CsvTargetProblem(const std::string& path) {
    const std::string base = path.substr(BaseStart(path));
    auto ends = [&](const char* e) {
        size_t n = strlen(e);
        return base.size() >= n && base.compare(base.size() - n, n, e) == 0;
    };
    if (base.empty()) return _("no file name");
    if (base == lastdancefile || ends(".dorvel") || ends(".dorvels") || ends(".reset") || ends(".evening") ||
        ends(".season") || ends(".attendance") || ends(".stat") || ends("~"))
        return strprintf(_("<%s> is a club file or a file Dorvels keeps beside one: a CSV file is never written there"),
                         path.c_str());
    struct stat st, club;
    if (stat(path.c_str(), &st) != 0) return "";
    for (const std::string& c : {inputfilename, outputfilename})
        if (!c.empty() && stat(c.c_str(), &club) == 0 && club.st_dev == st.st_dev && club.st_ino == st.st_ino)
            return strprintf(_("<%s> is the club file: a CSV file is never written there"), path.c_str());
    if (!S_ISREG(st.st_mode)) return strprintf(_("<%s> is no plain file: a CSV file is not written there"), path.c_str());
    return "";
}

bool WriteMembersCsv(const std::string& path, std::string* why) {
    *why = CsvTargetProblem(path);
    if (!why->empty()) return false;
    if (ReplaceFile(path, MembersCsv())) return true;
    *why = strprintf(_("unable to write <%s>: %s"), path.c_str(), strerror(errno));
    return false;
}
