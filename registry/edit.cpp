// SPDX-License-Identifier: GPL-3.0-or-later
// Changing one dancer from the dancer dialogs: names typed, placeholders, partners.
#include "registry/edit.h"

#include <algorithm>

#include "assign/assign.h"
#include "files/clubfile.h"
#include "files/season.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

const char* const firstname_default = N_("first-name");
const char* const lastname_default = N_("last-name");

namespace {

// Blanks and the control characters a pasted text may carry: the club file separates words
// at them, so none may stay inside a name.
bool IsBlankByte(char c) { return c == ' ' || (unsigned char)c < 0x20 || c == 0x7f; }

// One name as stored: no blanks around it, each blank inside it an underscore.
std::string Word(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlankByte(text[b])) ++b;
    while (e > b && IsBlankByte(text[e - 1])) --e;
    std::string w = text.substr(b, e - b);
    for (char& c : w)
        if (IsBlankByte(c)) c = '_';
    return w;
}

// An underscore shows as a blank: a name of underscores only shows as nothing.
bool Empty(const std::string& w) { return w.find_first_not_of('_') == std::string::npos; }

bool HasCardNumber(const std::string& w) {
    int run = 0;
    for (char c : w) {
        run = c >= '0' && c <= '9' ? run + 1 : 0;
        if (run >= 10) return true;
    }
    return false;
}

// A full name as the operator reads it (underscores shown as blanks).
std::string Shown(const std::string& first, const std::string& last) {
    std::string s = first + " " + last;
    for (char& c : s)
        if (c == '_') c = ' ';
    return s;
}

bool Taken(const std::string& first, const std::string& last, const SqrDancer* sd) {
    for (const SqrDancer* o = sdhd; o; o = o->nxt)
        if (o != sd && o->firstname == first && o->lastname == last) return true;
    return false;
}

// The problem with one name, "" when there is none.
std::string NameProblem(const std::string& w, bool first, bool half) {
    if (Empty(w) || w == (first ? firstname_default : lastname_default))
        return half ? _("Type a name on each side of \"&\": \"Ann & Bob\".")
               : first ? _("Please type a first name.")
                       : _("Please type a last name.");
    if (HasCardNumber(w))
        return first ? _("The first name holds a card number: press Rfid, then swipe the card.")
                     : _("The last name holds a card number: press Rfid, then swipe the card.");
    if (first)
        if (const char* key = ClubFileLineKey(w))
            return strprintf(_("A first name cannot begin with \"%s\": the club file would not read it back."), key);
    return "";
}

bool RoleFits(SDSEX sex, SDSEX other) {
    if (sex == M) return other != M;
    if (sex == F) return other != F;
    return true;
}

}  // namespace

bool NamesUntouched(const std::string& first, const std::string& last) {
    // Empty entries (the dialog shows what belongs in them greyed), or the names of old.
    bool empty = Word(first).empty() && Word(last).empty();
    return empty || (Word(first) == firstname_default && Word(last) == lastname_default);
}

TypedNames ReadTypedNames(const std::string& first, const std::string& last, const SqrDancer* sd) {
    TypedNames t;
    auto fail = [&t](int field, const std::string& problem) {
        t.problem = problem;
        t.field = field;
        return t;
    };
    size_t af = first.find('&'), al = last.find('&');
    if (af != std::string::npos && first.find('&', af + 1) != std::string::npos)
        return fail(1, _("Use one \"&\" only: \"Ann & Bob\" makes a couple."));
    if (al != std::string::npos && last.find('&', al + 1) != std::string::npos)
        return fail(2, _("Use one \"&\" only: \"Smith & Jones\" gives the partner another last name."));
    if (al != std::string::npos && af == std::string::npos)
        return fail(2, _("\"&\" in the last name needs one in the first name too: \"Ann & Bob\"."));
    t.couple = af != std::string::npos;
    t.first = Word(first.substr(0, af));
    t.last = Word(last.substr(0, al));
    if (t.couple) {
        t.first2 = Word(first.substr(af + 1));
        t.last2 = al != std::string::npos ? Word(last.substr(al + 1)) : t.last;
    }

    struct Check {
        const std::string& name;
        int field;
        bool half;
    };
    const Check checks[] = {{t.first, 1, t.couple},
                            {t.last, 2, al != std::string::npos},
                            {t.first2, 1, true},
                            {t.last2, 2, true}};
    for (const Check& c : checks) {
        if (!t.couple && &c.name == &t.first2) break;
        std::string problem = NameProblem(c.name, c.field == 1, c.half);
        if (!problem.empty()) return fail(c.field, problem);
    }
    const std::string placeholder = _("\"*\" stands for a dancer being entered: please type the real name.");
    if (t.first == "*" && t.last == "*") return fail(1, placeholder);
    if (t.couple && t.first2 == "*" && t.last2 == "*") return fail(1, placeholder);
    if (Taken(t.first, t.last, sd)) return fail(1, strprintf(_("%s is on the roster already."), Shown(t.first, t.last).c_str()));
    if (t.couple) {
        if ((t.first2 == t.first && t.last2 == t.last) || Taken(t.first2, t.last2, sd))
            return fail(1, strprintf(_("%s is on the roster already."), Shown(t.first2, t.last2).c_str()));
        if (sd && sd->partner)
            return fail(1, strprintf(_("This dancer has a partner already (%s): remove \"&\", or change the partner first."),
                                     Shown(sd->partner->firstname, sd->partner->lastname).c_str()));
    }
    return t;
}

bool IsPlaceholder(const SqrDancer* sd) { return sd && sd->firstname == "*" && sd->lastname == "*"; }

SqrDancer* NewPlaceholder() {
    SqrDancer* sd = NewSqrDancerAlloc(nullptr);
    SetDancerNames(sd, "*", "*");
    return sd;
}

void SetDancerNames(SqrDancer* sd, const std::string& first, const std::string& last) {
    if (!sd) return;
    NameTrieRemove(sd);
    const std::string before = sd->firstlast;
    sd->firstname = first;
    sd->lastname = last;
    sd->firstlast = last.compare(0, 7, "Couple#") == 0 ? last : first + " " + last;
    SeasonRename(before, sd->firstlast);
    // A number typed by hand ("Couple#003") is taken: new anonymous dancers come after it.
    anoncnt = std::max(anoncnt, AnonNumber(last));
    SetupDispName(sd);
    // The placeholder name leads nowhere: a name typed in the availability dialog never
    // reaches a dancer still being entered.
    if (!IsPlaceholder(sd)) NameTrieInsert(sd);
}

SqrDancer* ApplyTypedNames(SqrDancer* sd, const TypedNames& names) {
    if (!sd || !names.problem.empty()) return nullptr;
    if (!names.couple && sd->firstname == names.first && sd->lastname == names.last) return nullptr;
    SetDancerNames(sd, names.first, names.last);
    SqrDancer* partner = nullptr;
    if (names.couple) {
        partner = NewSqrDancerAlloc(sd);
        SetDancerNames(partner, names.first2, names.last2);
    }
    sd->dances = maxdances > 0 ? maxdances - 1 : 0;
    SortByName();
    return partner;
}

std::vector<SqrDancer*> PartnerMapi2sd(const SqrDancer* sd, int* position) {
    std::vector<SqrDancer*> map{nullptr};
    if (position) *position = 0;
    if (!sd) return map;
    bool presentonly = sd->avail && sd->pgm >= pgmfloor;
    for (SqrDancer* o = sdhd; o; o = o->nxt) {
        if (o == sd || IsPlaceholder(o)) continue;
        if (o == sd->partner) {
            if (position) *position = (int)map.size();
            map.push_back(o);
            continue;
        }
        if (presentonly && !(o->avail && o->pgm >= pgmfloor)) continue;
        if ((!o->partner || o->partner == sd) && RoleFits(sd->sex, o->sex)) map.push_back(o);
    }
    return map;
}

void SetPartner(SqrDancer* sd, SqrDancer* np) {
    if (!sd) return;
    if (np == sd) np = nullptr;
    std::vector<SqrDancer*> changed{sd};
    if (np) changed.push_back(np);
    // Whoever was partnered with either of the two becomes single.
    for (SqrDancer* o = sdhd; o; o = o->nxt) {
        if (o == sd || o == np) continue;
        if (o->partner == sd || (np && o->partner == np) || sd->partner == o || (np && np->partner == o)) {
            if (o->partner == sd || o->partner == np) o->partner = nullptr;
            o->newpartner = o->tmppartner = nullptr;
            o->display = 1;
            changed.push_back(o);
        }
    }
    sd->partner = np;
    sd->tmppartner = sd->newpartner = nullptr;
    sd->display = 1;
    if (np) {
        np->partner = sd;
        np->tmppartner = np->newpartner = nullptr;
        np->display = 1;
    }
    for (SqrDancer* x : changed) SetupTooltip(x);
}

bool OnRoster(const SqrDancer* sd) {
    for (const SqrDancer* o = sdhd; o; o = o->nxt)
        if (o == sd) return true;
    return false;
}
