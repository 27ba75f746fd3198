// SPDX-License-Identifier: GPL-3.0-or-later
// Display names: the text on a dancer's buttons and labels.
#include <locale.h>
#include <wctype.h>

#include <glib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>

#include "files/clubfile.h"
#include "registry/registry.h"
#include "support/helmtext.h"

// The first character of a name (all its bytes: names are UTF-8), in upper case. Upper case
// follows Unicode whatever the operator's locale; letters without a case stay as they are.
static std::string Initial(const std::string& name) {
    if (name.empty()) return " ";
    unsigned char c = static_cast<unsigned char>(name[0]);
    size_t len = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (len > name.size()) len = 1;
    for (size_t i = 1; i < len; ++i)
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) len = 1;
    if (len == 1) return std::string(1, static_cast<char>(toupper(c)));
    wint_t wc = c & (0x7F >> len);
    for (size_t i = 1; i < len; ++i) wc = (wc << 6) | (static_cast<unsigned char>(name[i]) & 0x3F);
    static locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    wint_t up = unicode ? towupper_l(wc, unicode) : wc;
    // The upper-case letter is written back in as many bytes as it needs.
    std::string out;
    if (up < 0x80) {
        out += static_cast<char>(up);
    } else if (up < 0x800) {
        out += static_cast<char>(0xC0 | (up >> 6));
        out += static_cast<char>(0x80 | (up & 0x3F));
    } else if (up < 0x10000) {
        out += static_cast<char>(0xE0 | (up >> 12));
        out += static_cast<char>(0x80 | ((up >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (up & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (up >> 18));
        out += static_cast<char>(0x80 | ((up >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((up >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (up & 0x3F));
    }
    return out;
}

static bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

static std::string BuildDispName(const SqrDancer* sd) {
    const std::string& first = sd->firstname;
    const std::string& last = sd->lastname;
    if (!Aflag) {
        if (StartsWith(last, "Couple#") || StartsWith(last, "Sngl#")) return last;
        switch (dispnamestyle) {
        case LASTFI: return last + Initial(first);
        case FIRSTNAME: return first;
        case FIRSTLI: return first + Initial(last);
        default: return last;
        }
    }
    // With the "absent without notification" view on, every name carries its square.
    if (last.find('#') != std::string::npos) {
        if (tipcnt >= 1 && sd->square != -1) return strprintf("%03d %s", sd->square + 1, last.c_str());
        return "--- " + last;
    }
    std::string number = sd->square < 0 ? std::string("---") : strprintf("%03d", sd->square + 1);
    switch (dispnamestyle) {
    case LASTFI: return number + " " + last + Initial(first);
    case FIRSTNAME: return number + " " + first;
    case FIRSTLI: return number + " " + first + Initial(last);
    default: return number + " " + last;
    }
}

void SetupDispName(SqrDancer* sd) {
    if (!sd) return;
    std::string name = BuildDispName(sd);
    for (char& c : name)
        if (c == '_') c = ' ';
    sd->dispname = name;
}

// Dancers who would show the same name are told apart on every board (the squares board,
// the hall view, the projector, the history, the chart, the printout, the phone page, Edit
// and Present): all of them take their names from here.
void SetupDispNames() {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) SetupDispName(sd);
    std::unordered_map<std::string, int> shown;  // display name -> dancers showing it
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) ++shown[sd->dispname];
    // Dancers who would show the same name (a couple "Brown" and "Brown") are told apart by
    // the initial of their other name, after a blank ("Brown A", "Brown B": still the whole
    // word Brown for whoever looks for it); everybody else keeps the plain name. Anonymous
    // dancers are numbered and never alike. The styles with initials already show one.
    bool last = dispnamestyle == LASTNAME, first = dispnamestyle == FIRSTNAME;
    if (!last && !first) return;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (shown[sd->dispname] > 1 && sd->lastname.find('#') == std::string::npos)
            sd->dispname.append(" ").append(Initial(last ? sd->firstname : sd->lastname));
}

void DispNamesApart() { SetupDispNames(); }

static size_t AnonPrefix(const std::string& dispname) {
    if (StartsWith(dispname, "Couple#")) return 7;
    if (StartsWith(dispname, "Sngl#")) return 5;
    return 0;
}

std::string DancerPairName(const SqrDancer* sd1, const SqrDancer* sd2) {
    if (!sd1 || !sd2) return sd1 ? sd1->dispname : sd2 ? sd2->dispname : std::string();
    size_t p1 = AnonPrefix(sd1->dispname), p2 = AnonPrefix(sd2->dispname);
    std::string rest1 = sd1->dispname.substr(p1), rest2 = sd2->dispname.substr(p2);
    if (p1 == 5 && p2 == 5) return "Sngl#" + rest1 + "+" + rest2;
    auto part = [](const SqrDancer* sd, size_t p, const std::string& rest) {
        std::string kind = p == 7 ? "Cpl" : p == 5 ? "Sngl" : "";
        std::string role = p == 7 && (sd->sex == M || sd->sex == F) ? strsex(sd->sex) : "";
        return kind + role + (p ? "#" : "") + rest;
    };
    return part(sd1, p1, rest1) + "+" + part(sd2, p2, rest2);
}

std::string FullName(const SqrDancer* sd) {
    std::string s = sd->firstlast.empty() ? sd->dispname : sd->firstlast;
    std::replace(s.begin(), s.end(), '_', ' ');
    size_t start = s.find_first_not_of(' '), end = s.find_last_not_of(' ');
    return start == std::string::npos ? "" : s.substr(start, end - start + 1);
}

std::string NameFolded(const std::string& text) {
    std::string valid = text;
    MakeValidUtf8(valid);
    std::replace(valid.begin(), valid.end(), '_', ' ');
    gchar* nfd = g_utf8_normalize(valid.c_str(), -1, G_NORMALIZE_NFD);
    if (!nfd) return valid;
    std::string bare;  // without the combining accents
    for (const gchar* p = nfd; *p; p = g_utf8_next_char(p)) {
        gunichar c = g_utf8_get_char(p);
        if (g_unichar_ismark(c)) continue;
        char buf[6];
        bare.append(buf, (size_t)g_unichar_to_utf8(c, buf));
    }
    g_free(nfd);
    gchar* folded = g_utf8_casefold(bare.c_str(), -1);
    std::string out = folded;
    g_free(folded);
    return out;
}

std::string NameSearchKey(const SqrDancer* sd) {
    std::string names = sd->firstname + " " + sd->lastname;
    std::string key = NameFolded(names + " " + sd->dispname);
    // "Dörte" is also typed "Doerte" by whoever has no umlaut on the keyboard.
    std::string valid = names;
    MakeValidUtf8(valid);
    gchar* ascii = g_str_to_ascii(valid.c_str(), "de");
    std::string spelled = NameFolded(ascii);
    g_free(ascii);
    if (spelled != NameFolded(names)) key += " " + spelled;
    return key;
}

static std::vector<std::string> Words(const std::string& folded) {
    std::vector<std::string> words;
    std::string w;
    for (const gchar* p = folded.c_str(); *p; p = g_utf8_next_char(p)) {
        gunichar c = g_utf8_get_char(p);
        if (g_unichar_isalnum(c) || c == '#' || c == '\'' || c == '-') {
            char buf[6];
            w.append(buf, (size_t)g_unichar_to_utf8(c, buf));
        } else if (!w.empty()) {
            words.push_back(w);
            w.clear();
        }
    }
    if (!w.empty()) words.push_back(w);
    return words;
}

bool NameKeyMatches(const std::string& key, const std::string& query) {
    std::vector<std::string> q = Words(NameFolded(query)), k = Words(key);
    if (q.empty()) return false;
    for (const std::string& w : q)
        if (std::none_of(k.begin(), k.end(), [&](const std::string& x) { return x.rfind(w, 0) == 0; })) return false;
    return true;
}

// The language's collation, for names only: the program's own locale keeps the C collation
// for everything else.
static locale_t collation = static_cast<locale_t>(0);

void SetNameCollation(const char* locale) {
    locale_t l = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, locale, static_cast<locale_t>(0));
    if (!l) l = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (!l) return;
    if (collation) freelocale(collation);
    collation = l;
}

std::string NameCollateKey(const std::string& name) {
    std::string valid = name;
    MakeValidUtf8(valid);
    std::replace(valid.begin(), valid.end(), '_', ' ');
    if (!collation) SetNameCollation("");
    gchar* nfc = g_utf8_normalize(valid.c_str(), -1, G_NORMALIZE_NFC);
    std::string text = nfc ? nfc : valid;
    g_free(nfc);
    if (!collation) return text;
    size_t n = strxfrm_l(nullptr, text.c_str(), 0, collation);
    std::string out(n + 1, '\0');
    strxfrm_l(out.data(), text.c_str(), n + 1, collation);
    out.resize(n);
    return out;
}
