// SPDX-License-Identifier: GPL-3.0-or-later
// Names of levels, roles, priorities, styles and display modes.
#include "core/dorvels.h"
#include "support/intl.h"

const char* const pgmname[PGMQTY] = {"Basic", "SSD", "Main", "Plus", "DBD", "A1",
                                     "A2",    "C1",  "C2",   "C3A",  "C3B", "C4"};

SDPGM idpgm(const std::string& t) {
    struct Alias {
        const char* text;
        SDPGM pgm;
    };
    static const Alias aliases[] = {
        {"Basic", Basic}, {"basic", Basic}, {"SSD", SSD}, {"ssd", SSD},   {"Main", Main},
        {"main", Main},   {"Plus", Plus},   {"plus", Plus}, {"DBD", DBD}, {"Dbd", DBD},
        {"dbd", DBD},     {"A1", A1},       {"a1", A1},   {"A2", A2},     {"a2", A2},
        {"C1", C1},       {"c1", C1},       {"C2", C2},   {"c2", C2},     {"C3A", C3A},
        {"c3A", C3A},     {"c3a", C3A},     {"C3B", C3B}, {"c3B", C3B},   {"c3b", C3B},
        {"C4", C4},       {"c4", C4},
    };
    for (const Alias& a : aliases)
        if (t == a.text) return a.pgm;
    return NOPGM;
}

const char* strpgm(int pgm) { return pgm >= 0 && pgm < PGMQTY ? pgmname[pgm] : "???"; }

SDSEX idsex(const std::string& t) {
    if (t == "M" || t == "m") return M;
    if (t == "F" || t == "f") return F;
    if (t == "MF" || t == "mf") return MF;
    if (t == "FM" || t == "fm") return FM;
    if (t == "E" || t == "e") return E;
    return NOSEX;
}

const char* strsex(int sex) {
    static const char* const names[] = {"M", "F", "MF", "FM", "E"};
    return sex >= 0 && sex < SEXQTY ? names[sex] : "???";
}

const char* strprio(int prio) {
    static const char* const names[] = {"wmst", "must", "want", "luck"};
    return prio >= 0 && prio <= LUCK ? names[prio] : "???";
}

const char* strdispnamestyle() {
    static const char* const names[] = {"lastname", "lastfi", "firstname", "firstli"};
    int s = dispnamestyle;
    return s >= 0 && s <= FIRSTLI ? names[s] : "???";
}

const char* streditmode() {
    static const char* const names[] = {"begin", "edit", "setup", "squares", "present", "history"};
    int m = editmode;
    return m >= 0 && m <= HISTORY ? names[m] : "???";
}

const char* Streditmode() {
    static const char* const names[] = {N_("Begin"), N_("Edit"), N_("Setup"), N_("Squares"), N_("Present"), N_("History")};
    int m = editmode;
    return m >= 0 && m <= HISTORY ? _(names[m]) : "???";
}

const char* strcmdbynmbr(int slot) {
    static const char* const names[SPECCARDQTY] = {
        "PRESENT_ROLL", "INFO", "SKIPTIP", "SKIPALTTIP", "M",   "F",   "MF",  "FM",
        "E",            "BASIC", "SSD",    "MAIN",       "PLUS", "DBD", "A1",  "A2",
        "C1",           "C2",    "C3A",    "C3B",        "C4",   "SKIP"};
    return slot >= 0 && slot < SPECCARDQTY ? names[slot] : "not supported";
}
