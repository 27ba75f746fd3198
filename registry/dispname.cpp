// Display names: the text on a dancer's buttons and labels.
#include <algorithm>
#include <cctype>

#include "registry/registry.h"
#include "support/helmtext.h"

static char Initial(const std::string& name) {
    return name.empty() ? ' ' : static_cast<char>(toupper(static_cast<unsigned char>(name[0])));
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

void SetupDispNames() {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) SetupDispName(sd);
}

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
