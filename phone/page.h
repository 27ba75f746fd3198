// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page: what the hall's board shows, as a small page for the dancers' phones and
// as JSON for the page's own updates. Read from the evening's state without changing it;
// no GTK and no network here (the server in server/ sends what this makes).
#pragma once

#include <string>
#include <vector>

// One cell of the board: the name part as the board shows it ("Smith", "Ann:Bob",
// "Sue+Tom") and the square, 0 for "Out", -1 on the present list before the first tip.
struct PhoneEntry {
    std::string name;
    int square = -1;
    bool operator==(const PhoneEntry&) const = default;
};

struct PhoneBoard {
    std::string club;  // the club's name, else its file's; "" when it has neither
    int tip = 0;       // the latest tip; 0 before the first: the entries are who is present
    std::vector<PhoneEntry> entries;  // the board's cells, in the board's order
    // Every dancer of the board one by one, by the name the board gives each (a square's cell
    // may join two), so that a dancer finds the square by the name typed; in name order,
    // each name and square once. Never more of a name than the board shows.
    std::vector<PhoneEntry> dancers;
    // Beside each of dancers: the words that dancer is found by (NameSearchKey), never sent.
    std::vector<std::string> keys;
    bool operator==(const PhoneBoard&) const = default;
};

// The latest tip's board from the tip history, or the present list when no tip was rolled.
PhoneBoard CurrentPhoneBoard();
// The heading under the club's name: "Tip 3", or the present list's.
std::string PhoneBoardHeading(const PhoneBoard& b);

// A saved board text ("  Smith:   3", "Ann:Bob: Out") into name and square; false for a
// text of any other shape.
bool SplitBoardText(const std::string& text, PhoneEntry* e);

// Texts made safe: for HTML text and attribute values, and as a quoted JSON string (also
// safe inside HTML). Bytes that are not UTF-8 are taken as Latin-1.
std::string HtmlEscape(const std::string& s);
std::string JsonString(const std::string& s);

std::string PhonePageHtml(const PhoneBoard& b);
std::string PhoneBoardJson(const PhoneBoard& b);
// The board's JSON with "found": the dancers whose first name, family name or both the
// query names, ignoring case and accents ("dorte", "DÖRTE", "Doerte" for Dörte).
std::string PhoneBoardJson(const PhoneBoard& b, const std::string& query);
std::vector<PhoneEntry> PhoneFind(const PhoneBoard& b, const std::string& query);
// The page's one script and one style sheet, as they stand between their tags (the server
// names them by their hashes in the page's content security policy).
extern const char* const phonepagescript;
extern const char* const phonepagestyle;

// Where --serve listens: address "" = every address of the machine, "lan" = the machine's
// address on the local network, or a numeric IPv4/IPv6 address; port 0 = any free port.
constexpr int DEFAULTSERVEPORT = 8099;
struct ServeOption {
    std::string address;
    int port = DEFAULTSERVEPORT;
};
// The value of --serve=VALUE: PORT, ADDRESS, ADDRESS:PORT, [IPV6]:PORT, lan, lan:PORT, or
// empty (the defaults). On a bad value, false with the reason in *err.
bool ParseServeOption(const std::string& value, ServeOption* opt, std::string* err);
