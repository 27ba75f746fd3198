// SPDX-License-Identifier: GPL-3.0-or-later
// The program's documentation tables and the two texts made from them: --help and the
// manual page. Add an option, argument, key, file or environment variable as one line of
// its table; both texts follow.
#include "core/manual.h"

#include <cstring>

#include "support/intl.h"

#ifndef DORVELS_VERSION
#define DORVELS_VERSION "0"
#endif

#include "support/helmtext.h"

// Stands in the files table for the data folder of the installation, filled in when shown.
static const char* const DATADIR = "DATADIR";

const std::vector<DocItem> docoptions = {
    {"-l", "", "Do not consult lastdance.dorvels when no club is named (each -l toggles this)."},
    {"-r", "", "Record the operator's actions in dorvels.recordNNN from the start."},
    {"-d", "FILE", "A record of actions to replay, step by step with the g key or to the end with G."},
    {"-m", "",
     "Mixing: each tip's couples and pairs go into the squares where they meet the fewest dancers "
     "they have met this evening, and then this season; singles may change partners of the same "
     "role. Who dances and who sits out stay as without it. Kept in the club file (a line mix)."},
    {"-M", "", "No mixing: the squares as dealt (the default)."},
    {"--print-pdf", "FILE",
     "Write the Present board of the club file (every present dancer, in the board's order) to "
     "FILE as a PDF and end, without opening a window. For mailing the attendance list before "
     "the evening."},
    {"--import", "=FILE",
     "Open the program with the preview of the dancers the spreadsheet FILE (CSV or TSV: UTF-8, "
     "UTF-16 or Windows-1252; comma, semicolon or tab) would add to the club: every row with its "
     "problems by line number, and a button that adds them. A header row in English or German "
     "names the columns (first name, last name, role, partner, level, card, priority); without "
     "one the first two columns are the first and last name. Nothing is added before the button "
     "is pressed; a file that is no list of dancers is refused and nothing changes. The setup "
     "dialog's Import dancers button does the same."},
    {"--export", "=FILE",
     "Write the dancers of the club file to FILE as CSV (first name, last name, role, partner, "
     "level, card, priority, with a header; UTF-8, which spreadsheets open with umlauts intact) "
     "and end, without opening a window. --import reads it back."},
    {"--attendance", "=FILE",
     "Write the season's attendance of the club file (CLUB.attendance) to FILE as CSV and end, "
     "without opening a window: per dancer the evenings attended, tips danced, first and last "
     "evening seen and whether not seen for 4 weeks or more; then per evening its date, the "
     "dancers present and the tips rolled. The menu's season attendance window shows the same."},
    {"--serve", "[=[ADDRESS:]PORT]",
     "Serve the phone page: the board of the latest tip (or who is present) for the dancers' "
     "phones, the names as the board shows them, with a box to type one's name. Its address, "
     "printed at start and shown with a QR code by the i key, ends in /k/KEY/: KEY is a random "
     "key of the evening, and without it the page shows no name. Whoever has the address (who "
     "scanned the code in the hall, and whoever they pass it on to) can read the page while it "
     "is served; a new evening makes a new key. Only requests that name this computer by one "
     "of its addresses, localhost or its host name are answered. Without ADDRESS it listens on "
     "every address of the computer; ADDRESS lan listens on its address on the local network "
     "only, a numeric address on that one (127.0.0.1: this computer only). PORT defaults to "
     "8099. Read only: it answers GET and HEAD and shows names and squares, nothing else of the "
     "club file. Off unless asked for here or by the Phone Page switch of the setup; that "
     "switch, or the end of the program, stops it."},
    {"--trace", "=N", "Trace level N (1 to 3) on standard error."},
    {"--tracefile", "=FILE", "Write the trace to FILE (level 1 unless --trace says otherwise)."},
    {"--help", "", "Show the options and arguments, and end."},
    {"--version", "", "Show the program's version, and end."},
};

const std::vector<DocItem> docarguments = {
    {"club", "",
     "The club file to read; the extension .dorvel may be left out. A name that cannot be opened "
     "starts a new club of that name."},
    {"level", "",
     "The program level of the evening: Basic, SSD, Main, Plus, DBD, A1, A2, C1, C2, C3A, C3B or "
     "C4. Also the level of the anonymous dancers named after it."},
    {"numbers", "",
     "Anonymous dancers for an evening without a roster: the first number is couples, the next "
     "ones single M, F, MF, FM and E dancers."},
    {"maxsqr =N", "", "At most N squares per tip."},
    {"WIDTHxHEIGHT", "", "Window size in pixels, e.g. 1024x768 (default: maximised)."},
};

const std::vector<DocItem> dockeys = {
    {"m", "",
     "Open the menu of the common commands, each with its key and a help text, centred on the screen; F1 and ? "
     "do the same, and a right click opens it at the mouse. Pressed again, or Escape, closes it."},
    {"r", "", "Roll the squares of a new tip and show them: every name with its square number or Out."},
    {"c", "", "Show the squares of the current tip again."},
    {"V", "",
     "On the squares of a tip: the hall view (the tip number large, every name with its square "
     "number or Out in the largest font that fills the screen, pages when they do not fit), or "
     "the board again. The choice stays for the next rolls, for c, h and H, and is kept in the club "
     "file (a line hallview)."},
    {"D", "",
     "Open or close the projector window: the hall view of the current tip (of the tip the history "
     "shows, marked as history) in a second window for a projector or TV, while the main window "
     "stays the operator's. With a second monitor it opens full-screen there; F11 or a double "
     "click in it switches full-screen, Escape leaves full-screen. Kept in the club file and "
     "opened again at the next start."},
    {"p", "", "Present display: the dancers who are here, in name order."},
    {"e", "", "Edit display: the whole roster; a click on a name marks the dancer present or absent."},
    {"s", "", "Setup: the club's name, caller and level, the square size and limits, anonymous dancers, the club file and the options."},
    {"n", "", "New dancer: first and last name, role, level, Luck or Must, partner and card of a dancer who walks in; \"Ann & Bob\" as the first name enters a couple. DoItNow keeps the window open for the next one."},
    {"a", "", "Open or close the availability window: mark dancers present or absent by name or number."},
    {"A", "", "Absent without notice: on the Present display, click the dancers who left after the roll; c returns to the squares."},
    {"o", "", "Everybody present, or everybody absent when anyone is present; dance counts back to 0 (Edit or Present display)."},
    {"S", "", "Skip requests of the dancer clicked last on the Edit display: clicked absent, the dancer dances every other tip; clicked present, the skips end."},
    {"T", "", "Tag the dancer clicked last to the square chosen in the setup; with no dancer clicked, clear all tags."},
    {"h", "", "History: one tip back."},
    {"H", "", "History: one tip forward."},
    {"u", "", "Use the tip shown by the history as the current tip; the tips after it are taken back."},
    {"B", "", "Start the evening again from the club's reset file (with nobody present, first ask whether to write one)."},
    {"l", "", "Lower the program level of the evening (shown on the Edit or Present display)."},
    {"L", "", "Raise the program level of the evening."},
    {"d", "", "Next style of names: last name, last name and initial, first name, first name and initial."},
    {"k", "", "Remove the dancer entered last this evening, and a partner entered with it, after asking; nobody read from the club file."},
    {"P", "", "Print the board shown (squares, present, history; on the Edit display the roster), through the print dialog; Print to File makes a PDF."},
    {"+", "", "Larger font (on the hall view, its own font)."},
    {"-", "", "Smaller font."},
    {"J", "", "One column more on the board."},
    {"j", "", "One column fewer on the board."},
    {"F", "", "Faster auto-scrolling of a long board."},
    {"f", "", "Slower auto-scrolling."},
    {"t", "", "Show the totals of the board, or close the note."},
    {"b", "", "Chart of tonight's dance counts of the present dancers, their names under the bars: dorvelbarsNN.png (NN the tip) and a window, drawn by gnuplot."},
    {"i", "", "Show the phone page's address and a QR code of it for the dancers to scan; i again closes it."},
    {"g", "", "Replay the record named with -d: one action of the operator's."},
    {"G", "", "Replay the record named with -d up to the next change of display; at the end of the record the next g or G starts it again."},
    {"v", "", "Show how fair and how mixed the evening has been: the spread of dance counts, who sat out most, the share of the possible square-mates met and, with the season memory, the share of tonight's square-mates new this season; or close the note."},
    {"R", "", "Show the last timed note again."},
    {"E", "", "The next card swiped is given to another dancer."},
    {"I", "", "The next card swiped shows whose card it is."},
    {"z", "", "The next card swiped becomes a command card."},
    {"M", "", "Multi-card window: every card swiped goes to a new anonymous couple or single of the kind and level chosen there; M again ends it."},
    {"0 ... 9, Enter", "", "A card number: ten digits and Enter, as the card reader types them."},
    {"w", "", "Write the club file, dance counts as 0."},
    {"W", "", "Write the club file with tonight's dance counts."},
    {"x", "", "Write the club file (dance counts as 0) and quit."},
    {"X", "", "Write the club file with the dance counts and quit."},
    {"Escape", "", "Leave the absent-without-notice view, or close the open pop-up or menu; otherwise ask as q does, and QUIT writes the club file (dance counts as 0) and quits."},
    {"q", "", "Quit without writing (tonight's evening is not offered again), after confirmation."},
    {"Q", "", "Quit at once without writing (tonight's evening is not offered again)."},
};

const std::vector<DocItem> docfiles = {
    {"dorvels.dorvel", "",
     "The club file read when no club is named and lastdance.dorvels names none: the roster and "
     "the club's settings. The club file read (named, through lastdance.dorvels, or chosen in "
     "the setup dialog) is the file written back, after every tip and when the program ends by "
     "x, X, Escape or by closing the window. A new club's file is named after the club, never "
     "over a file of the folder that was not read."},
    {"lastdance.dorvels", "", "Names the club file written last; read at start when no club (only a window size) is named."},
    {"CLUB.evening", "",
     "Tonight's evening beside its club file: the roster and settings as changed tonight, dance "
     "counts, presence, tips, requests and choices, written after every roll, key and click. A "
     "start on the same club file within 12 hours asks whether to resume it: Resume is the "
     "default after a crash, New evening after an evening ended on purpose."},
    {"resolution.unix", "", "The font sets for the screen, largest first."},
    {"CLUB.reset", "", "The reset file of a club, read and written by the B key."},
    {"CLUB.season", "",
     "The season memory of a club with mixing on: who met whom in a square on the evenings of "
     "the last 26 weeks, written after every tip. Deleting it forgets them; a replay (-d) "
     "neither reads nor writes it."},
    {"CLUB.attendance", "",
     "The season's attendance beside its club file: every evening with a tip rolled, and each "
     "dancer present with the tips danced, written after every tip. A resumed evening stays one "
     "evening; a replay (-d) neither reads nor writes it; a damaged file is kept as "
     "CLUB.attendance.damaged and a new one begun."},
    {"dorvels.recordNNN", "", "The record of the operator's actions (-r), numbered 000 to 999."},
    {"CLUB.stat", "",
     "The statistics log of a club file with the Statistics option: one line per tip with the "
     "date and time and the dancers present (couples of anonymous dancers, single dancers by role)."},
    {"dorvelbarsNN.dat, dorvelbarsNN.png", "", "Data and picture of the dance-count chart of tip NN (b key)."},
    {"$XDG_DATA_HOME/dorvels", "",
     "The working folder of a start with no club named from the home folder, when the home "
     "folder holds neither dorvels.dorvel nor lastdance.dorvels (a start from the desktop's "
     "menu): the club files, lastdance.dorvels, backups and records of such starts are kept "
     "there, never in the home folder itself. Without XDG_DATA_HOME it is "
     "~/.local/share/dorvels, made when needed. The first start there opens the setup dialog, "
     "which offers the sample club or a new club."},
    {DATADIR, "",
     "The installed data folder: resolution.unix and sample.dorvel, a sample club to try the "
     "program with."},
};

const std::vector<DocItem> docexit = {
    {"0", "",
     "The evening ended (by a key, the menu or closing the window), or --help, --version or "
     "--print-pdf, --export or --attendance did what was asked."},
    {"1", "", "The display could not be opened, the PDF or CSV file could not be written, a spreadsheet to import was refused, or memory ran out."},
    {"2", "", "A wrong command line: an option without its value, or a value that cannot be taken."},
};

const std::vector<DocItem> docenvironment = {
    {"DORVELS", "", "Folders, colon separated, searched for files named without a folder."},
    {"DORVELS_TRACE", "", "Trace level, as --trace."},
    {"DORVELS_TRACEFILE", "", "Trace file, as --tracefile."},
};

static const char* const summary =
    N_("Runs a square-dance club evening: attendance, squares for every tip, tip history.");
static const char* const searchlist =
    N_("Files named without a folder are looked for in the working directory, then in the "
    "folders of $DORVELS, then in the installed data folder.");
static const char* const keysnote =
    N_("The main window is driven by single keys: r rolls the squares of a tip, p shows who is "
    "present, e the roster, P prints the board shown, q quits; a right click, m, F1 or ? shows a "
    "menu of the common commands. Every key is listed in the "
    "manual page (man dorvels); the README has the keys of a first evening.");

// ---- --help -----------------------------------------------------------------------------
static const size_t helpwidth = 79, helpindent = 19;

// Columns a UTF-8 text takes on a terminal: one per character, not per byte.
static size_t Columns(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

// The section titles of --help, for the translators' template: HelpSection translates them.
[[maybe_unused]] static const char* const helptitles[] = {N_("options"), N_("arguments"), N_("files"),
                                                          N_("environment"), N_("exit status")};

// Appends text wrapped to helpwidth, its first line starting at column `at` of the current
// line and every further line indented by `indent`.
static void Wrap(std::string& out, const std::string& text, size_t at, size_t indent) {
    size_t col = at;
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(pos, end - pos);
        pos = end + 1;
        if (word.empty()) continue;
        if (!first && col + 1 + Columns(word) > helpwidth) {
            out += '\n';
            out.append(indent, ' ');
            col = indent;
        } else if (!first) {
            out += ' ';
            ++col;
        }
        out += word;
        col += Columns(word);
        first = false;
    }
    out += '\n';
}

// An option's value written joined to it ("--trace=N", "--serve[=PORT]"), not after a blank.
static bool Joined(const char* arg) { return arg[0] == '=' || arg[0] == '['; }

static std::string Joined(const DocItem& item) {
    std::string s = item.name;
    if (*item.arg) {
        if (!Joined(item.arg)) s += ' ';
        s += item.arg;
    }
    return s;
}

// The files table with the data folder in place of DATADIR (the items borrow its text).
static std::vector<DocItem> FilesIn(const std::string& datadir) {
    std::vector<DocItem> items = docfiles;
    for (DocItem& item : items)
        if (item.name == DATADIR) item.name = datadir.c_str();
    return items;
}

static void HelpSection(std::string& out, const char* title, const std::vector<DocItem>& items) {
    out += std::string(_(title)) + ":\n";
    for (const DocItem& item : items) {
        std::string head = "  " + Joined(item);
        if (head.size() + 1 > helpindent) {
            out += head + "\n" + std::string(helpindent, ' ');
        } else {
            out += head + std::string(helpindent - head.size(), ' ');
        }
        Wrap(out, _(item.text), helpindent, helpindent);
    }
}

std::string UsageText() {
    std::string out = _("usage: dorvels [options] [club[.dorvel]] [level]\n"
                        "               [couples [M [F [MF [FM [E]]]]]] [maxsqr =N] [WIDTHxHEIGHT]\n\n");
    Wrap(out, _(summary), 0, 0);
    out += "\n";
    HelpSection(out, "options", docoptions);
    out += "\n";
    HelpSection(out, "arguments", docarguments);
    out += std::string("\n") + _("keys") + ":\n  ";
    Wrap(out, _(keysnote), 2, 2);
    out += "\n";
    std::string datadir = ProgramDataFolder();
    HelpSection(out, "files", FilesIn(datadir));
    out += "  ";
    Wrap(out, _(searchlist), 2, 2);
    out += "\n";
    HelpSection(out, "environment", docenvironment);
    out += "\n";
    HelpSection(out, "exit status", docexit);
    return out;
}

// ---- the manual page ---------------------------------------------------------------------
std::string RoffEscape(const std::string& text) {
    std::string out;
    bool option = false;  // in a word that begins with a minus sign: "-l", "--print-pdf"
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '-' && (i == 0 || strchr(" (/[", text[i - 1]))) option = true;
        if (c == ' ') option = false;
        if (c == '\\')
            out += "\\e";
        else if (c == '-' && option)
            out += "\\-";  // a minus sign, which man keeps as typed; a hyphen may become a dash
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

// A quoted argument of a macro line.
static std::string Quoted(const std::string& s) {
    std::string q(1, '"');
    q += RoffEscape(s);
    q += '"';
    return q;
}

static void ManSection(std::string& out, const char* title, const std::vector<DocItem>& items, const char* font) {
    if (title) out += std::string(".SH ") + title + "\n";
    for (const DocItem& item : items) {
        out += ".TP\n";
        if (*item.arg)
            out += std::string(".") + font + "I " + Quoted(item.name) + " " +
                   Quoted(Joined(item.arg) ? item.arg : std::string(" ") + item.arg) + "\n";
        else
            out += std::string(".") + font + " " + Quoted(item.name) + "\n";
        out += RoffEscape(item.text) + "\n";
    }
}

std::string ManualPage(const std::string& datadir, const std::string& docdir, const std::string& date) {
    std::string out;
    out += ".TH DORVELS 1 " + Quoted(date) + " \"dorvels " DORVELS_VERSION "\" \"User Commands\"\n";
    out += ".SH NAME\ndorvels \\- run a square dance club evening\n";
    out += ".SH SYNOPSIS\n.B dorvels\n"
           "[\\fIoptions\\fR] [\\fIclub\\fR[\\fB.dorvel\\fR]] [\\fIlevel\\fR] "
           "[\\fIcouples\\fR [\\fIM\\fR [\\fIF\\fR [\\fIMF\\fR [\\fIFM\\fR [\\fIE\\fR]]]]]] "
           "[\\fBmaxsqr =\\fIN\\fR] [\\fIWIDTH\\fBx\\fIHEIGHT\\fR]\n";
    out += ".SH DESCRIPTION\n" + RoffEscape(summary) + "\n.PP\n" +
           RoffEscape("It keeps the club's roster in a plain-text club file, takes attendance by "
                      "clicks on the names or by RFID cards (a reader that types ten digits and "
                      "Enter like a keyboard), rolls the dancers who are present into squares for "
                      "every tip so that everybody dances about equally often, keeps the history "
                      "of the evening's tips and shows boards large enough to be read across a "
                      "dance hall.") +
           "\n";
    ManSection(out, "OPTIONS", docoptions, "B");
    ManSection(out, "ARGUMENTS", docarguments, "I");
    out += ".SH KEYS\n" +
           RoffEscape("Every command is one key typed into the main window. Keys that need a "
                      "dancer act on the one whose name was clicked last.") +
           "\n";
    ManSection(out, nullptr, dockeys, "B");
    ManSection(out, "EXIT STATUS", docexit, "B");
    ManSection(out, "FILES", FilesIn(datadir), "I");
    out += ".PP\n" + RoffEscape(searchlist) + "\n";
    ManSection(out, "ENVIRONMENT", docenvironment, "B");
    out += ".SH SEE ALSO\n" +
           RoffEscape(strprintf("The README, installed as %s/README.md: building, running, testing, "
                                "and a table of the keys of a first evening.",
                                docdir.c_str())) +
           "\n";
    return out;
}
