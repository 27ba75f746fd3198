// SPDX-License-Identifier: GPL-3.0-or-later
// Text, file, table and trace helpers the program is written against.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

// ---- text ------------------------------------------------------------------------------
// First non-blank (blank = space or tab) of s.
const char* stpblk(const char* s);
// Strips trailing white space (line end included) in place.
char* srmtrblk(char* s);
std::string& srmtrblk(std::string& s);
// Pointer past the fields of fmt at s: "%s%b" a word, "%c%b" a character, "%d%b" an
// integer, each followed by the blanks after it. Several fields may be chained ("%s%b%s%b").
const char* stpnxt(const char* s, const char* fmt);
// Copies the next token of s (delimited by any of delims, at most size-1 bytes) to tok and
// returns the rest after the delimiter; a null s continues the previous text. Returns null
// when no token is left.
const char* stptok(const char* s, char* tok, size_t size, const char* delims);
// printf into a std::string.
std::string strprintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vstrprintf(const char* fmt, va_list ap);
// Reads the next line of any length (line end removed) into line; false at end of file.
bool autobuf_fgets(FILE* fp, std::string& line);
// Non-zero for an optionally signed decimal integer.
int isnumber(const char* s);
// Accepts any character (the trie's accept function).
int isany(int c);
// Printable forms for traces; sprt accepts null.
std::string sprt(const char* s);
std::string cprt(int c);

// ---- files -----------------------------------------------------------------------------
// Opens name; failing that, name + "." + ext (an ext starting with "=" always appends the
// rest instead). With search "DORVELS" the name is looked for, when it is not a path, in the
// working directory, then in each folder of the environment variable DORVELS (colon
// separated), then in the installed data folder. Sets fopenfilename to the name actually
// opened; null on failure.
FILE* fopenx(const std::string& name, const char* mode, const char* ext, const char* search);
extern std::string fopenfilename;
// The installed data folder searched last by fopenx (set by the build).
const char* dorvels_datadir();
// The data folder of the program running: the installed one beside it, else the configured one.
std::string ProgramDataFolder();
// True when path lies in one of the program's own data folders (the last folders fopenx
// searches), which hold the shipped files, not the club's own.
bool InDataFolder(const std::string& path);
// The data folder of an installed program, found beside the program wherever it was
// installed; "" for a program run from its build tree.
std::string InstalledDataFolder();
// Opens the file at path for reading ("r" or "rb") without waiting on it, and only when it is
// a plain file: a pipe or a device put in a file's place cannot stop the program, and a
// folder is no file. Null with errno on failure (EINVAL for what is not a plain file).
FILE* OpenPlainFile(const std::string& path, const char* mode = "rb");
// File name of an open descriptor ("" when unknown).
std::string fd2name(int fd);

// ---- messages --------------------------------------------------------------------------
// Reports a message on stderr. Severity 0 internal inconsistency, 1 bad data, 2 bad command
// line. The program carries on.
void error(int severity, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// The last message passed to error (for tests and for showing it on screen).
extern std::string lasterror;
// When p is null: reports "out of memory" with the message and ends the program.
void outofmem(const void* p, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// ---- hash table keyed by byte strings --------------------------------------------------
// Items are looked up by exact key; cmp answers only whether the first key is greater, so
// two keys are equal when neither is greater.
using VarHashFn = uint64_t (*)(const void* key);
using VarCmpFn = int (*)(const void* a, const void* b);
struct VarHash;
VarHash* VarHashBuild(size_t size, VarHashFn hash, VarCmpFn cmp);
void VarHashInsert(VarHash* vh, void* item, const void* key, size_t keylen);
void* VarHashFind(const VarHash* vh, const void* key, size_t keylen);
void VarHashDelete(VarHash* vh, const void* key, size_t keylen, int freeitem);
void VarHashFree(VarHash* vh, int freeitems);
size_t VarHashCount(const VarHash* vh);

// ---- word trie -------------------------------------------------------------------------
struct PS;
PS* ps_make();
void ps_insert(PS* ps, const std::string& word, void* item);
// Sets item to the word's item (null when absent); returns non-zero when found.
int ps_search(const PS* ps, const std::string& word, void** item);
// Removes word when it leads to item (or any item when item is null).
void ps_remove(PS* ps, const std::string& word, const void* item);
// Every word that starts with prefix, with its item, in byte order.
std::vector<std::pair<std::string, void*>> ps_prefix(const PS* ps, const std::string& prefix);
void ps_free(PS* ps, int freeitems);

// ---- tracing (off unless asked for) ----------------------------------------------------
// Takes "--trace=N" / "--tracefile=F" out of argv (the rest of the option scan never sees
// them); the environment variables DORVELS_TRACE and DORVELS_TRACEFILE do the same.
void initdbg(int* argc, char** argv);
void setdbglevel(int level);
int dbgtst(int level);
void edbg(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void rdbg(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void dthrdexit(int);
void dbgDFLpush(const char* file, int line);
void dbgDFLpop();
void dprintf_linux(int level, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// A detail line with its source position.
#define DPRINTF(level, ...)                                      \
    do {                                                         \
        if (dbgtst(level)) {                                     \
            dbgDFLpush(__FILE__, __LINE__);                      \
            dprintf_linux(level, __VA_ARGS__);                   \
            dbgDFLpop();                                         \
        }                                                        \
    } while (0)
