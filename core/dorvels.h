// SPDX-License-Identifier: GPL-3.0-or-later
// The dancer record, the program's enumerations and the shared state of a club evening.
// This header belongs to the logic library: it includes no GTK header. Widget handles are
// only forward-declared here and never dereferenced by the logic.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

typedef struct _GtkWidget GtkWidget;

// Program levels in rising order; NOPGM is not a level. Values are stored in files.
enum SDPGM { Basic = 0, SSD, Main, Plus, DBD, A1, A2, C1, C2, C3A, C3B, C4, NOPGM };
constexpr int PGMQTY = 12;

// Dancing roles.
enum SDSEX { M = 0, F, MF, FM, E, NOSEX };
constexpr int SEXQTY = 5;

// Priority classes of a roll; a dancer record holds MUST or LUCK.
enum SDPRIORITY { WMST = 0, MUST, WANT, LUCK };

// Display modes of the main window.
enum EDITMODE { BEGIN = 0, EDIT, SETUP, SQUARES, PRESENT, HISTORY };

// Display-name styles.
enum DISPNAME { LASTNAME = 0, LASTFI, FIRSTNAME, FIRSTLI };

// Font roles of a font set.
enum FONTTYPE { SDFONT = 0, BTTNFONT1, BTTNFONT2, LBLFONT1, LBLFONT2 };

// Slots of the command-card table.
enum SPECCARD {
    PRESENT_ROLL = 0, SPECCARD_INFO, SPECCARD_SKIPTIP, SPECCARD_SKIPALTTIP,
    SPECCARD_M, SPECCARD_F, SPECCARD_MF, SPECCARD_FM, SPECCARD_E,
    SPECCARD_BASIC, SPECCARD_SSD, SPECCARD_MAIN, SPECCARD_PLUS, SPECCARD_DBD,
    SPECCARD_A1, SPECCARD_A2, SPECCARD_C1, SPECCARD_C2, SPECCARD_C3A, SPECCARD_C3B,
    SPECCARD_C4, SPECCARD_SKIP, NOSPECCARD
};
constexpr int SPECCARDQTY = NOSPECCARD;

// Buttons of the availability dialog.
enum AVAILACTION { AVAIL_DONE = 1, AVAIL_DOIT = 2, AVAIL_CANCEL = 3 };

// Slots of the colour table.
enum COLOR {
    COLOR_squares1 = 0, COLOR_squares2, COLOR_warning, COLOR_note, COLOR_present,
    COLOR_history, COLOR_pgmfloor, COLOR_rfidsex, COLOR_black
};
constexpr int COLORQTY = 9;

extern const char* const pgmname[PGMQTY];

// One dancer of the club, present or not. Texts are owned by the record; widgets are
// borrowed from GTK and cleared when the display or dialog that made them goes away.
struct SqrDancer {
    std::string dispname;   // name on buttons and labels (rebuilt by SetupDispName)
    std::string firstlast;  // "first last"
    std::string firstname;
    std::string lastname;   // anonymous dancers: "Couple#%03d" / "Sngl#%03d"
    std::string tooltip;    // tooltip of the dancer's button; empty = none
    long availsigid = -1;   // handler id of the presence toggle; -1 = none
    int assigned = 0;       // 0 sits out, 1 placed in turn, 2 placed as partner, 3 recruited out-dancer
    int avail = 1;          // present tonight
    int dances = 0;         // tips danced tonight
    int display = 1;        // has an entry of its own in name grids
    int gridposn = -1;      // index of the dancer's button in the current grid
    int outdancer = 0;      // already put on the out-dancer list after an absence without notice
    int posn = 0;           // slot inside the rolled square
    int prvdances = 0;      // dances before the latest roll
    int skip = 0;           // 0 none, 1 skipping one tip, 2 alternate tips
    int square = 0;         // square index of the latest roll; -1 when in none
    int tagged = 0;         // tagged for square tagging
    int entered = 0;        // order of entry this evening (a partner entered with it shares it); 0 = read from the club file
    SDPGM pgm = Basic;
    SDPRIORITY priority = LUCK;
    SDSEX sex = E;
    uint64_t rfid = 0;      // card number; 0 = no card
    GtkWidget* availbttn = nullptr;
    GtkWidget* firstname_entry = nullptr;
    GtkWidget* lastname_entry = nullptr;
    GtkWidget* partnerbttn = nullptr;
    GtkWidget* partnerslider = nullptr;
    GtkWidget* pgmbttn = nullptr;
    GtkWidget* pgmbttns[PGMQTY] = {};
    GtkWidget* rfidbttn = nullptr;
    GtkWidget* sexbttn = nullptr;
    GtkWidget* sexbttns[SEXQTY] = {};
    SqrDancer* newpartner = nullptr;
    SqrDancer* partner = nullptr;
    SqrDancer* tmppartner = nullptr;
    SqrDancer* nxt = nullptr;
    SqrDancer* prv = nullptr;
    SqrDancer* sqnxt = nullptr;
    SqrDancer* sqprv = nullptr;
    SqrDancer* dnxt = nullptr;
    SqrDancer* dprv = nullptr;
};

// One rolled square: slots come in pairs (dancer placed in turn, then its partner; a
// partner slot may be empty).
struct Square {
    int square = 0;
    int qty = 0;
    SqrDancer** dancer = nullptr;  // squaresize slots
};

// A present dancer sitting out the current tip.
struct OutDancer {
    SqrDancer* sd = nullptr;
    int assigned = 0;
    OutDancer* nxt = nullptr;
    OutDancer* prv = nullptr;
};

// One of the four square-tag slots.
struct SquareTag {
    int isqr = -1;
    Square* sqr = nullptr;
    SqrDancer* sd = nullptr;
};
constexpr int SQRTAGQTY = 4;

// A skip request: the dancer comes back at tip `tip`.
struct SkipTip {
    SqrDancer* sd = nullptr;
    int tip = 0;
    SkipTip* nxt = nullptr;
    SkipTip* prv = nullptr;
};

// A one-tip priority swap that swaps back at tip `tip`.
struct MustOnce {
    SqrDancer* sd = nullptr;
    int tip = 0;
    MustOnce* nxt = nullptr;
    MustOnce* prv = nullptr;
};

// Snapshot of one place of a square in a saved tip.
struct HistoryDancer {
    int avail = 0;
    int dances = 0;
    int prvdances = 0;
    int square = 0;
    int tagged = 0;
    SDPGM pgm = Basic;
    SDSEX sex = E;
    SqrDancer* partner = nullptr;
    SqrDancer* sd = nullptr;  // null for an empty place
    SqrDancer* tmppartner = nullptr;
};

struct HistorySquare {
    HistoryDancer* histsd = nullptr;  // sqrsize places
};

// One rolled tip of the evening.
struct History {
    char** sqrlist = nullptr;  // 2 * totdancers cell texts (null = empty cell), owned
    int tipcnt = 0;
    int prvtipcnt = 0;
    int totsquares = 0;
    int totdancers = 0;
    int sqrsize = 0;
    int64_t s1 = 0, s2 = 0, s3 = 0;
    SDPGM pgmfloor = Basic;
    OutDancer* outdancerhd = nullptr;
    OutDancer* outdancertl = nullptr;
    HistorySquare* histsqr = nullptr;  // totsquares squares
    History* nxt = nullptr;
    History* prv = nullptr;
};

struct VarHash;
struct PS;

// ---- shared state of the evening -------------------------------------------------------
extern SqrDancer *sdhd, *sdtl;            // roster, sorted by name after loading
extern SqrDancer *dhd, *dtl;              // present dancers at or above the floor, by dances
extern VarHash* varhash;                  // card number -> dancer
extern PS* ps;                            // full, first and last name -> dancer
extern SqrDancer *currsd, *newsd, *sdtoggled, *rfid_sd;
extern SqrDancer** mapi2sd;               // slider position -> dancer (0 = no dancer)
extern int mapi2sdqty;                    // entries in mapi2sd
extern int anoncnt;
extern int anoncounts[6];                 // per role M..E, index 5 couples
extern std::string caller, clubname;
extern SDPGM pgmfloor;
extern int squaresize;
constexpr int MAXSQUARESIZE = 100;        // larger squares are certainly a typing error
extern int maxsquares;
extern int askflag;
extern int mixflag;                       // place the pairs of a roll for new faces (off: as dealt)
extern DISPNAME dispnamestyle;
extern int scrollerincrchg;
constexpr int MAXSCROLLERINCRCHG = 50;      // speed steps either way (factor 1.189 each)
extern uint64_t speccard[SPECCARDQTY];
extern int Rflag, Sflag;
extern FILE* rflag;                       // open record file, null when not recording
extern const char* const dfltsavefile;    // "dorvels.dorvel"
extern std::string inputfilename;         // empty = none
extern std::string outputfilename;        // empty = none
extern std::string os;                    // platform word
extern std::string resfile;               // "resolution.unix"
extern std::string dbgfile;               // replay file name; empty = none
extern FILE* dbgfilefp;
extern EDITMODE editmode;
extern int tipcnt, prvtipcnt, prehistory;
extern History *hist, *histhd, *histtl;
extern int totavail, totsquare, maxdances;
extern Square* sqr;
extern SquareTag sqrtag[SQRTAGQTY];
extern OutDancer *outdancerhd, *outdancertl;
extern SkipTip *skiptiphd, *skiptiptl;
extern MustOnce *mustoncehd, *mustoncetl;
extern int64_t s1, s2, s3;
extern int64_t initial_s1, initial_s2, initial_s3;
extern int Aflag, Eflag, Iflag, Mflag, NDflag, zflag, skiptipflag;
extern int chgpgmflag, chgsexflag;
extern uint64_t rfid;                     // the card number being handled; 0 = none
// A dancer whose card was turned into a command card, and that card's number, while the
// command is being chosen: the card goes back to the dancer when no command takes it.
extern SqrDancer* zflagpending;
extern uint64_t zflagpendingrfid;
// The multi-card window's choice for new anonymous dancers: pgm is their level, sex their
// role (NOSEX for couples), pgmbttn the window's level button. Set up on first use (its
// dispname is then "&statsd"); it is no dancer of the roster.
extern SqrDancer statsd;
extern int cflag, hintflag;
extern int lflag;
extern int reqW, reqH;                    // window size asked for on the command line
extern int hallview;                      // 1 = the Squares display shows the hall view (key V; club file)
extern int hallfontchg;                   // the operator's font steps on the hall view (+ larger)
extern int projector;                     // 1 = the projector window is open (key D); kept in the club file

// Resets every global of the evening to its initial value and frees the roster and every
// list, so that each test (and a fresh evening) starts clean. Also resets the state of the
// assignment engine (roll classes, tag memory), the history and the card table.
void ResetEvening();
// Puts the settings a club file holds back to the values of a club that has none (club and
// caller "None", level Basic, squares of 8, asking on, no mixing, the board rather than the
// hall view, no options, no command cards), so that a club file read next sets exactly what
// it says.
void ClubSettingsDefaults();

// Level and role names (club file, command line, titles).
SDPGM idpgm(const std::string& text);
const char* strpgm(int pgm);
SDSEX idsex(const std::string& text);
const char* strsex(int sex);
const char* strprio(int prio);
const char* strdispnamestyle();
const char* streditmode();
const char* Streditmode();
// Name of a command-card slot ("PRESENT_ROLL", "INFO", ...); "not supported" for any other.
const char* strcmdbynmbr(int slot);
