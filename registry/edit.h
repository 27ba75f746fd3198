// SPDX-License-Identifier: GPL-3.0-or-later
// Changing one dancer from the dancer dialogs: the names typed for a new or renamed dancer
// ("&" between two names makes a couple), the placeholder record of a dancer being entered,
// and the choice of a partner.
#pragma once

#include <string>
#include <vector>

#include "core/dorvels.h"

// The texts a fresh new-dancer dialog holds in its two entries.
extern const char* const firstname_default;  // "first-name"
extern const char* const lastname_default;   // "last-name"

// The two entries of a name dialog, read: trimmed, every blank inside a name made "_", and
// "&" cut into the names of two partners.
struct TypedNames {
    std::string first, last;    // the dancer's names
    std::string first2, last2;  // the partner's names when "&" makes a couple
    bool couple = false;
    std::string problem;        // why the names cannot be taken; empty when they can
    int field = 0;              // the entry the problem is in: 1 first name, 2 last name
};

// True when the new-dancer dialog's entries still hold their first texts (empty, or the
// placeholder words): nothing typed.
bool NamesUntouched(const std::string& first, const std::string& last);

// Reads the texts of the first- and last-name entries for the dancer `sd` (who may keep its
// own names; null for nobody). A problem is reported, never repaired: an empty name, "&"
// with no name on one side or twice in a name, "&" in the last name only, the placeholder
// name, a first name the club file would read as a comment or a setting, a run of ten
// digits (a card swiped into the name), a full name already on the roster, or a couple made
// for a dancer who has a partner.
TypedNames ReadTypedNames(const std::string& first, const std::string& last, const SqrDancer* sd);

// A dancer being entered in the new-dancer dialog: a roster record whose first and last
// names are both "*". NewPlaceholder appends one (level pgmfloor, role M, priority LUCK).
bool IsPlaceholder(const SqrDancer* sd);
SqrDancer* NewPlaceholder();

// Sets the names of sd: its full name ("first last", the last name alone for an anonymous
// couple), display name and the name trie (its old names no longer lead to it).
void SetDancerNames(SqrDancer* sd, const std::string& first, const std::string& last);

// Gives sd the names read (without a problem). A couple also creates the partner, with the
// complementary role. A dancer who gets new names counts as having missed one tip: its
// dance count becomes maxdances - 1 (0 before the first tip). Names the dancer has already
// change nothing. The roster is sorted by name. Returns the partner made, or null.
SqrDancer* ApplyTypedNames(SqrDancer* sd, const TypedNames& names);

// The partner pop-up's map from slider position to dancer: entry 0 is "no partner", then
// the candidates for sd in roster order. When sd is present at or above pgmfloor only
// dancers who are too are offered. A candidate is never sd itself and has no partner (or sd)
// and a role that fits: any but M for an M dancer, any but F for an F dancer, any for the
// others. sd's current partner is always offered. *position = the current partner's entry.
std::vector<SqrDancer*> PartnerMapi2sd(const SqrDancer* sd, int* position);

// Makes np sd's partner (null breaks sd's couple), keeping every link mutual: whoever was
// partnered with sd or np before becomes single and is displayed on its own. Tooltips of all
// dancers concerned are rebuilt.
void SetPartner(SqrDancer* sd, SqrDancer* np);

// True when sd is on the roster (a dialog's dancer may have been deleted meanwhile).
bool OnRoster(const SqrDancer* sd);
