// SPDX-License-Identifier: GPL-3.0-or-later
// Roster operations: creating and deleting dancers, the two orders of the roster, the card
// table's key functions, display names and anonymous dancers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/dorvels.h"

void SqrDancerInit(SqrDancer* sd);
// A new record at the end of the roster; with sd given, it becomes sd's partner.
SqrDancer* NewSqrDancerAlloc(SqrDancer* sd);
// Removes sd and every reference to it (lists, tables, tag slots, pointer globals, history).
void DelDancer(SqrDancer* sd);
void ClearDancers();
void SortByName();
void SortByDances();
int DancerCmp(const SqrDancer* a, const SqrDancer* b);
// Dancers with a value each (a square), in name order as SortByName orders the roster.
void SortDancersByName(std::vector<std::pair<const SqrDancer*, int>>& dancers);
int DancerCmpDances(const SqrDancer* a, const SqrDancer* b);
int RosterCount();

// Card table key functions over 8-byte card numbers.
uint64_t RfidHash(const void* key);
int RfidCmp(const void* a, const void* b);
// Card table helpers (the table is made on first use with 2000 buckets).
void RfidInsert(SqrDancer* sd);
SqrDancer* RfidFind(uint64_t card);
void RfidRemove(uint64_t card);

// Cards and command cards in step: a card number belongs to at most one dancer, and a
// number that is a command card belongs to no dancer (registry/cards.cpp).
// Lowest command-card slot holding card, or -1. A number only in the SKIP slot is no command.
int SpecCardSlot(uint64_t card);
bool IsCommandCard(uint64_t card);
// Every command slot holding card becomes empty.
void SpecCardForget(uint64_t card);
// The dancer holding card (the card table, or the roster when there is no table yet).
SqrDancer* RfidHolder(uint64_t card);
// Every dancer holding card loses it, in the record and in the card table.
void RfidTakeAway(uint64_t card);
// sd gets card: any other holder and every command slot lose it, sd's old card leaves the
// table, and the table leads from card to sd.
void RfidGive(SqrDancer* sd, uint64_t card);
// After a club file was read: a dancer's card that is also a command card stays the command
// card only (the command is what a swipe of it performs); the dancer loses it, with a message.
void RfidCommandCardsWin();
// A dancer whose card was set aside for a command (zflagpending) gets it back, unless the card
// has become a command card or another dancer's, or the dancer has another card by now.
void RfidPendingRestore();
// sd is present from now on; a dancer who has not danced yet counts one tip behind the most
// active dancer (a late arrival), as for a click on the name.
void CardArrives(SqrDancer* sd);
// A card check-in or check-out: presence flips, a level below the club's is raised to it, the
// partner of an anonymous couple (who shares the card) follows, and a late arrival counts
// as in CardArrives.
void CardPresenceFlip(SqrDancer* sd);

// Name trie helpers: the full, first and last name of sd lead to sd.
void NameTrieInsert(SqrDancer* sd);
// Takes sd's names out of the trie; a name other dancers share leads to one of them again.
void NameTrieRemove(SqrDancer* sd);
// Finds a dancer by full name, then first name, then last name; `how` tells which matched
// (1 full, 2 first, 3 last, 0 none).
SqrDancer* NameTrieFind(const std::string& first, const std::string& last, int* how);

// Display names.
void SetupDispName(SqrDancer* sd);
// Every dancer's display name; dancers who would show the same one (a couple "Brown",
// "Brown" in the last-name style, two families of one name) get the other name's initial as
// well, as the styles with initials do, so that every board tells them apart.
void SetupDispNames();
// The same (kept for the boards that ask for it by this name).
void DispNamesApart();
std::string DancerPairName(const SqrDancer* sd1, const SqrDancer* sd2);
// Finding and ordering names the way people read them.
// Text folded for finding a name: lower case, accents gone ("DÖRTE" and "Dörte" give "dorte").
std::string NameFolded(const std::string& text);
// The words sd is found by, folded: first name, last name, display name, and the names
// spelled without accents the language's way as well ("Dörte Lammle": "dorte lammle doerte").
std::string NameSearchKey(const SqrDancer* sd);
// True when every word of the query begins a word of the key (both folded by NameFolded);
// false for a query without words.
bool NameKeyMatches(const std::string& key, const std::string& query);
// A key whose byte order is the order of the operator's language (Köhler before Krüger,
// Öztürk among the O's).
std::string NameCollateKey(const std::string& name);
// The collation NameCollateKey follows: a locale's name, "" for the environment's (the
// default), falling back to code-point order when the locale is not installed.
void SetNameCollation(const char* locale);

// A dancer's whole name for people to read (paper, phones): blanks for the club file's
// underscores.
std::string FullName(const SqrDancer* sd);

// Anonymous dancers.
// The female half of an anonymous couple is listed under the male half on the present
// board. When her partner is not on the board she stands for herself, so that nobody who is
// present disappears from the attendance check.
bool PresentHidden(const SqrDancer* sd);
constexpr int MAXANONNUMBER = 999999;  // highest number an anonymous dancer can have
void AnonCouple(int qty, SDPGM pgm);
void AnonSingle(int qtyM, int qtyF, int qtyMF, int qtyFM, int qtyE, SDPGM pgm);
// The number in an anonymous dancer's last name ("Couple#007", "Sngl#012"); 0 when the name
// is not an anonymous one or its number is above MAXANONNUMBER. *couple tells the kind.
int AnonNumber(const std::string& lastname, bool* couple = nullptr);
// The highest number of an anonymous dancer in the roster (0 when there is none).
int HighestAnonNumber();
// An anonymous dancer's last name begins "Couple#" (a couple) or "Sngl#" (a single).
bool IsAnonymous(const SqrDancer* sd);
bool IsAnonCouple(const SqrDancer* sd);
// Gives card to an anonymous dancer of kind `kind` (NOSEX: a couple, whose first record
// holds the card; else a single of that role). A named holder loses the card to a new
// anonymous dancer of level pgm. The card's anonymous holder is re-typed instead and keeps
// the card: with keepnumber it keeps its number and level, otherwise it takes the next number
// and level pgm. A couple's other half is kept or made; a couple re-typed as a single loses
// it. Returns the dancer holding the card.
SqrDancer* AnonForCard(uint64_t card, SDSEX kind, SDPGM pgm, bool keepnumber);
