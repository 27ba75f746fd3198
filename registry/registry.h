// Roster operations: creating and deleting dancers, the two orders of the roster, the card
// table's key functions, display names and anonymous dancers.
#pragma once

#include <cstdint>
#include <string>

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
int DancerCmpDances(const SqrDancer* a, const SqrDancer* b);
int RosterCount();

// Card table key functions over 8-byte card numbers.
uint64_t RfidHash(const void* key);
int RfidCmp(const void* a, const void* b);
// Card table helpers (the table is made on first use with 2000 buckets).
void RfidInsert(SqrDancer* sd);
SqrDancer* RfidFind(uint64_t card);
void RfidRemove(uint64_t card);

// Name trie helpers: the full, first and last name of sd lead to sd.
void NameTrieInsert(SqrDancer* sd);
// Takes sd's names out of the trie; a name other dancers share leads to one of them again.
void NameTrieRemove(SqrDancer* sd);
// Finds a dancer by full name, then first name, then last name; `how` tells which matched
// (1 full, 2 first, 3 last, 0 none).
SqrDancer* NameTrieFind(const std::string& first, const std::string& last, int* how);

// Display names.
void SetupDispName(SqrDancer* sd);
void SetupDispNames();
std::string DancerPairName(const SqrDancer* sd1, const SqrDancer* sd2);

// Anonymous dancers.
constexpr int MAXANONNUMBER = 999999;  // highest number an anonymous dancer can have
void AnonCouple(int qty, SDPGM pgm);
void AnonSingle(int qtyM, int qtyF, int qtyMF, int qtyFM, int qtyE, SDPGM pgm);
// The number in an anonymous dancer's last name ("Couple#007", "Sngl#012"); 0 when the name
// is not an anonymous one or its number is above MAXANONNUMBER. *couple tells the kind.
int AnonNumber(const std::string& lastname, bool* couple = nullptr);
// The highest number of an anonymous dancer in the roster (0 when there is none).
int HighestAnonNumber();
