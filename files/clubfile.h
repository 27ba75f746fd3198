// The club file: the club's roster and settings in a plain text file, its reader and
// writer, the output file name, the pointer file "lastdance.dorvels" and the reset file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/dorvels.h"

// How a command-card line written when the table had fewer slots is widened: the slots
// after `insertionpoint` move `insertqty` places higher and the gap is filled with 0.
struct SpecCardInsert {
    int qtyspeccard;     // number of cards such an older line holds
    int insertionpoint;  // new slots were inserted after this slot
    int insertqty;       // number of slots inserted
};
// Rules in order, ended by a rule whose qtyspeccard is 0.
extern const SpecCardInsert speccardinserts[];

// Reads an open club file (rewindable, positioned at its start) into the end of the roster
// and the settings; the caller closes it. Display names are rebuilt at the end.
void ReadDorvels(FILE* fp);

// Writes the roster and settings to the club file (keepdances 1: with dance counts, 0: every
// count 0) or to the reset file (-1). The new content goes to a temporary file that replaces
// the club file only once it is complete, so a failed write leaves the old file untouched.
// Returns true when the file was written; on failure the operator is warned and false is
// returned (false also when there is no output file name, so nothing was written).
bool WriteDorvels(int keepdances);

// The text WriteDorvels writes after the kept comment block: settings, the command-card
// header and line, and one line per dancer.
std::string ClubFileText(int keepdances);

// What the reader takes a line beginning with `text` for: "%" for a comment, the key word of a
// key line ("caller=", "Record", ...), or null for a dancer line. A dancer whose first name
// makes its line read as anything else would be lost by the next read.
const char* ClubFileLineKey(std::string_view text);

// Derives outputfilename from the name given, the club name or the default.
void BuildOutputFilename();
// The club file named after a club: the club name's last word in lower case with ".dorvel";
// the default file for a name without a word.
std::string ClubFileName(const std::string& club);
// True when the folder exists and a file can be made in it.
bool FolderWritable(const std::string& dir);

// The reset command: writes the reset file, or throws the roster away and reads the reset
// file back (after asking the operator when nobody is present yet).
void ResetB();

// Why the open file fp is not a club file, "" when it is one: a club file holds at least one
// setting or dancer line, and nothing but those, comments and blank lines. Reads fp to its
// end (the caller rewinds it to read it).
std::string NotAClubFile(FILE* fp);

// Makes `name` the club file, as the setup dialog's file choice does. An existing club file
// is read in place of the roster and the club's settings (*read set), unless it is the file
// the roster was read from; the roster is first written to its own club file. A name that
// does not exist yet becomes the file the roster is written to. Returns "" on success;
// otherwise why not (a folder that cannot be written, a file that cannot be read or is no
// club file), and nothing has changed.
std::string ChooseClubFile(const std::string& name, bool* read);

// Name of the pointer file that names the club file written last.
extern const char* const lastdancefile;  // "lastdance.dorvels"

// Makes s valid UTF-8: bytes that are not are taken as Latin-1 and converted.
void MakeValidUtf8(std::string& s);
