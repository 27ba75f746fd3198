// SPDX-License-Identifier: GPL-3.0-or-later
// The club file: the club's roster and settings in a plain text file, its reader and
// writer, the output file name, the pointer file "lastdance.dorvels" and the reset file.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

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

// The file of another kind that belongs to a club file, named by one rule: ".dorvel" gives way
// to the kind's extension ("harbor.dorvel" -> "harbor.evening", "harbor.season",
// "harbor.reset"); a club file of any other name keeps it and gets the extension added
// ("club.txt" -> "club.txt.evening"), so that a companion is never a club file's own name.
std::string CompanionFile(const std::string& clubfile, const char* ext);

// Puts the roster and settings of a club file's text (its lines, as ClubFileText makes them)
// in place of the present ones, dancers in the order given; nothing is locked, reported or
// sorted, and the "Record" key is left out (whether this run records is its own affair).
void ClubTextRestore(const std::vector<std::string>& lines);

// Reads an open club file (positioned at its start) into the end of the roster and the
// settings; the caller closes it. Display names are rebuilt at the end. A file that cannot
// be read to its end, is no text (UTF-16, binary), is larger than any club file (64 MiB) or
// holds no dancer and no setting is not read at all: false is returned, nothing changes,
// and the file is not written over in this run unless the operator saves on purpose. The
// file is locked against a second Dorvels. What the operator must know (a file not read, in
// use, or the problems of its lines with what was kept) waits in TakeClubFileNotice.
bool ReadDorvels(FILE* fp);

// Writes the roster and settings to the club file (keepdances 1: with dance counts, 0: every
// count 0) or to the reset file (-1). The new content goes to a temporary file that replaces
// the club file only once it is complete, so a failed write leaves the old file untouched;
// the first write of a run keeps the file's previous version as "name~". A club file that
// another Dorvels holds is never written; one that could not be read only when the operator
// saves on purpose (explicitsave). Returns true when the file was written; otherwise the
// operator is warned (a refusal once, unless saving on purpose) and false is returned
// (false also when there is no output file name, or a new club has nothing entered yet).
bool WriteDorvels(int keepdances, bool explicitsave = false);

// What a write did.
enum WriteOutcome {
    WRITE_WRITTEN,  // written
    WRITE_NOTHING,  // nothing to write: no output name, or a new club nothing was entered into
    WRITE_INUSE,    // refused: another Dorvels holds the club file
    WRITE_UNREAD,   // refused: the club file could not be read, and the write was not on purpose
    WRITE_FAILED,   // the system refused the write
};
// WriteDorvels without telling the operator: *why says what went wrong. With asname the
// file written is that one, as named (a club file then becomes the output file).
WriteOutcome WriteClub(int keepdances, bool explicitsave, const std::string& asname, std::string* why);

// Writes the club file (or with keepdances -1 the reset file) at a moment the operator must
// not miss a failure: at the end of the evening (quitting) and after the reset dialog. When
// the write fails the operator chooses (AskSaveFailed): try again, save under another name,
// or go on without saving. A file kept from being written is only asked about when
// something was entered since the start. False when the operator chose not to save.
bool SaveWithChoice(int keepdances, bool quitting);

// A message about a club file for the operator (also written to stderr at once); start-up
// shows them in one warning once the window is open.
void ClubFileNotice(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// The messages not shown yet, as one text ("" when none); they are forgotten.
std::string TakeClubFileNotice();

// Remembers the roster and settings as they are now, as the start of the evening. With
// isnew, a club named on the command line was not found: it is written (and named in the
// pointer file) only once a dancer or a setting has been entered.
void MarkClubUnchanged(bool isnew = false);
// When the club file was last written by this run, or else when the evening started.
time_t ClubSavedAt();
// Whether the roster or the settings differ from that start (the roster's order aside).
bool ClubChanged();
// Forgets the club files of the run: their locks, notices, the start (ResetEvening).
void ResetClubFiles();

// The text WriteDorvels writes after the kept comment block: settings, the command-card
// header and line, and one line per dancer.
std::string ClubFileText(int keepdances);

// What the reader takes a line beginning with `text` for: "%" for a comment, the key word of a
// key line ("caller=", "Record", ...), or null for a dancer line. A dancer whose first name
// makes its line read as anything else would be lost by the next read.
const char* ClubFileLineKey(std::string_view text);

// Derives outputfilename from the name given, the club name or the default. A bound output
// file (BindOutputFile) is left as it is.
void BuildOutputFilename();
// The club file read at start-up, chosen in the setup dialog, or written once under a name
// made from the club's name, is the file every later write goes to: `name` becomes
// outputfilename and stays so, whatever the club is renamed to, until another output name
// is set (the setup dialog's Reset, another file chosen).
void BindOutputFile(const std::string& name);
// Whether outputfilename is the bound club file.
bool OutputFileBound();
// The club file named after a club: the club name's last word in lower case with ".dorvel";
// the default file for a name without a word.
std::string ClubFileName(const std::string& club);
// True when the folder exists and a file can be made in it.
bool FolderWritable(const std::string& dir);

// The reset command: writes the reset file, or throws the roster away and reads the reset
// file back (after asking the operator when nobody is present yet).
void ResetB();

// Why the open file fp is not a club file the setup dialog takes, "" when it is one: it can
// be read as ReadDorvels reads a file, and holds at least one setting or dancer line and
// nothing but those, comments and blank lines. Reads fp to its end.
std::string NotAClubFile(FILE* fp);

// Makes `name` the club file, as the setup dialog's file choice does. An existing club file
// is read once, with the checks of ReadDorvels and those of NotAClubFile, in place of the
// roster and the club's settings (*read set), unless it is the file the roster was read
// from; the roster is first written to its own club file. A name that does not exist yet
// becomes the file the roster is written to. The chosen file is locked against a second
// Dorvels, and the club files left behind are let go. Returns "" on success; otherwise why
// not (a folder that cannot be written, a file that cannot be read, is no club file or is in
// use by another Dorvels), and nothing has changed.
std::string ChooseClubFile(const std::string& name, bool* read);

// Name of the pointer file that names the club file written last.
extern const char* const lastdancefile;  // "lastdance.dorvels"

// Makes s valid UTF-8: bytes that are not are taken as Latin-1 and converted.
void MakeValidUtf8(std::string& s);
// A name as one word of the club file: blanks become "_", an empty name "_".
std::string FileWord(const std::string& name);
