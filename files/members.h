// SPDX-License-Identifier: GPL-3.0-or-later
// The club's members as a spreadsheet: a CSV or TSV file read into new dancers (after the
// operator has seen what will be added), and the roster written as CSV with a header.
//
// Read: UTF-8 with or without a byte-order mark, UTF-16 with one ("Unicode text"), else
// Windows-1252; comma, semicolon or tab, whichever the first line uses most outside quotes;
// quoted fields may hold separators, doubled quotes and line ends. A first row naming the
// columns (English or German) is a header; without one, the first two columns are the first
// and last name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/dorvels.h"

constexpr long MEMBERSMAXBYTES = 16L << 20;   // a larger file is no list of dancers
constexpr size_t MEMBERSMAXLINE = 64 * 1024;  // nor is one with a longer line
constexpr int MEMBERSMAXROWS = 20000;
constexpr size_t MEMBERSMAXNAME = 120;         // bytes of first and last name together

// One row of the file, as it would become a dancer.
struct MemberRow {
    int line = 0;           // line of the file the row begins on (from 1)
    std::string first, last;  // as the club file stores them (blanks as "_")
    SDSEX sex = E;
    SDPGM pgm = Basic;
    SDPRIORITY priority = LUCK;
    uint64_t card = 0;       // 0 = none (a card already used is dropped)
    std::string partner;     // the partner's name as written
    int partnerrow = -1;     // the row that becomes the partner
    SqrDancer* partnersd = nullptr;  // or the dancer of the roster that does
    bool add = false;        // the row becomes a dancer
    std::vector<std::string> problems;  // for the operator, each a short sentence
};

struct MemberImport {
    std::string refused;   // why the file is no list of dancers ("" when it is one)
    std::string encoding;  // "UTF-8", "UTF-16", "Windows-1252"
    char separator = ',';
    bool header = false;
    std::vector<MemberRow> rows;  // every row with something in it, in file order
    int Adding() const;           // rows that become dancers
};

// Reads the bytes of a spreadsheet file against the roster as it is now. Nothing changes.
MemberImport ReadMembers(const std::string& bytes);
// The same for a file; a file that cannot be read, is too large, no plain file or a file of
// Dorvels' own is refused. With bytes, the file's content is kept there, so that it can be
// read again against the roster as it is when the dancers are added.
MemberImport ReadMembersFile(const std::string& path, std::string* bytes = nullptr);

// Adds the rows that are to be added as absent dancers with 0 dances, couples linked, cards
// given; the roster is sorted by name again. Returns the number of dancers added.
int AddMembers(const MemberImport& import);

// The roster as CSV: a header and one row per dancer (first name, last name, role, partner,
// level, card, priority), UTF-8 with a byte-order mark so that spreadsheets keep umlauts.
std::string MembersCsv();
// Writes MembersCsv to path, replacing it atomically; false with *why on failure. A club
// file, its companions or a file that is not a CSV file already are never written over.
bool WriteMembersCsv(const std::string& path, std::string* why);

// The separator of the CSV files written: ";" where the operator's region writes numbers
// with a decimal comma (spreadsheet programs there split lines at semicolons), else ",".
char CsvSeparator();
// A CSV field, quoted when it holds the separator, a quote, a line end or blanks at an end.
std::string CsvField(const std::string& text, char separator = ',');
// Why `path` must not receive a CSV file ("" when it may): a club file, a file Dorvels keeps
// beside one, or an existing file that is no text.
std::string CsvTargetProblem(const std::string& path);
