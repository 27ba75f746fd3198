// SPDX-License-Identifier: GPL-3.0-or-later
// The assignment engine: rolling the present dancers into squares, partner search, the
// out-dancer list and asking, square tagging, skip-tip and must-once requests, and the
// dancer tooltip text. Headless: everything shown on screen goes through core/screen.h.
#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "core/dorvels.h"

// One priority class of a running roll. The classes exist only while RollSquares runs.
struct Priority {
    int qty = 0;                  // dancers in the class
    SqrDancer** sd = nullptr;     // the class's dancers in dances-list order
    SqrDancer* hd = nullptr;      // class list through sqnxt/sqprv
    SqrDancer* tl = nullptr;
    int* deck = nullptr;          // random permutation of 0..qty-1 (setdeck); null when empty
    const char* type = "";        // "wmst", "must", "want" or "luck"
};

// State of the latest roll besides the globals of core/dorvels.h.
extern int qtyprio;                          // classes of the running roll (0 outside a roll)
extern int cntm, cntf, cntmf, cntfm, cnte;   // present dancers at or above the floor, by role
extern int sqrtagindex;                      // tag slot used last by SqrTagDancer (0..3)
extern int rollsanityfailed;                 // RollSqrSanity found a problem in the latest roll
extern int sanitypauseseconds;               // pause after each sanity warning (2; tests use 0)

// ---- rolling squares -------------------------------------------------------------------
// Rolls the present dancers at or above pgmfloor into totsquare squares. Returns sqr, or
// null (with a warning and the EDIT display) when fewer than squaresize dancers are present.
Square* RollSquares();
// Checks the latest roll; warns about each fault found (sets rollsanityfailed).
void RollSqrSanity();
// squaresize as a roll uses it: below 1 becomes 8, odd values are rounded up to even.
int SquareSizeSane(int size);

// ---- mixing ---------------------------------------------------------------------------
// With mixflag set, RollSquares calls this right after the deal. The couples and pairs just
// dealt (slots 2k and 2k+1 of a square) are placed into the squares again so that dancers
// meet as few of the dancers they met in the earlier tips of the history as possible: the
// sum over pairs of dancers of the square of the times they have met is kept low; with
// season memory, faces met on earlier evenings count too, less than tonight's. Two singles
// of the same role in pairs of singles may change places, so that they dance beside
// partners the partner search could have given them. Who dances, couples, the pairs of a
// single beside an empty place and how many places each square uses stay as dealt; tagged
// dancers' pairs stay as they are and go to their tag square. Draws no random numbers.
void MixSquares();

// The evening so far, from the tip history, for the present dancers at or above the floor.
struct MixReport {
    int tips = 0;                            // tips in the history
    int present = 0;                         // present dancers at or above the floor
    int mindances = 0, maxdances = 0;        // their fewest and most tips danced
    int mostout = 0;                         // the most tips one of them sat out
    std::vector<const SqrDancer*> outmost;   // who sat out that often (roster order)
    long mates = 0;                          // distinct square-mates met, each dancer at most its limit
    long limit = 0;                          // the most they could have met: a single min(7d, N-1),
                                             // a dancer with a partner min(1+6d, N-1) (d tips danced,
                                             // N present; 7 and 6 for squares of 8)
    int maxmeet = 0;                         // the most times two dancers met, not as partners
    bool season = false;                     // season memory in use
    long seasonmates = 0;                    // pairs of square-mates tonight
    long seasonnew = 0;                      // of those, not met on an earlier evening
    double Coverage() const;                 // mates as a percentage of limit
};
MixReport EveningReport();
// The text of the fairness note (key v): dance-count spread, who sat out most, mixing share,
// and with season memory the share of tonight's square-mates new this season.
std::string FairnessNoteText();
// Every pair of two roster dancers who shared a square in the tips of the history, with how
// often (for the season memory).
std::vector<std::tuple<SqrDancer*, SqrDancer*, int>> TonightMeetings();

// ---- partner search --------------------------------------------------------------------
// Chooses a single of a compatible role for a dancer of role `sex` among the classes `prio`
// (qtyprio of them); null when none qualifies. Changes nothing.
SqrDancer* LookForPartner(SDSEX sex, Priority* prio);
// The plain scan over every class and pass; same result as LookForPartner (which uses an
// index while a roll runs). Kept as the reference.
SqrDancer* LookForPartnerScan(SDSEX sex, Priority* prio, int nprio);
// Makes every couple's partner links mutual again (the later dancer of the roster wins).
void RePartner();

// ---- out-dancers and asking -----------------------------------------------------------
OutDancer* OutDancerMake(SqrDancer* sd);
void OutDancerFree(OutDancer* od);
void OutDancerFreeAll();
void OutDancerShow(const char* funcname, int iprio);
// Fills the empty partner slot of sd with a compatible out-dancer; 1 when one was found.
int AttemptAssignAsk(SqrDancer* sd, int useoutdancer);
// What the squares display does right after a roll, in the roster's current order (it sorts
// the roster by name first): every present dancer at or above the floor who sits out goes
// on the out-dancer list; then, only when askflag is 0, every single beside an empty slot
// gets an out-dancer through AttemptAssignAsk.
void OutDancerCollect();
void OutDancerAskAll();
void OutDancersAfterRoll();  // OutDancerCollect then OutDancerAskAll

// ---- square tagging --------------------------------------------------------------------
// Moves the tagged dancers (with their partners) into their tag squares; run by RollSquares.
void PerformSquareTagging();
// The tag command on sdtoggled (set, clear, overwrite a slot; clears all with no dancer).
void SqrTagDancer();
// Slot index (0..3) that holds sd, or -1.
int SqrTagSlotOf(const SqrDancer* sd);
// Builds mapi2sd: entry 0 = no dancer, then the present dancers in roster order. Returns
// the number of present dancers.
int SqrTagMapBuild();
// A tag slider (islider 0..3) moved to `value`: stores the dancer of that position (or
// none) in the slot, records the change, and returns the dancer (null = none).
SqrDancer* SqrTagSliderPick(int islider, double value);
// The label text of a tag slider for sd (null = none).
std::string SqrTagSliderLabel(const SqrDancer* sd);
// The setup dialog's clear button: every slot loses its dancer (the GUI resets sliders).
void SqrTagClearAll();
// The setup dialog's Done: every slot holding a dancer is tagged to square number
// `squarenumber` (1-based; values below 1 mean square 1).
void SqrTagApplySquare(int squarenumber);

// ---- skip-tips and must-once ----------------------------------------------------------
SkipTip* SkipTipAppend(SqrDancer* sd, int tip);
void SkipTipFree(SkipTip* st);
SkipTip* SkipTipFind(const SqrDancer* sd);
MustOnce* MustOnceAppend(SqrDancer* sd, int tip);
void MustOnceFree(MustOnce* mo);
MustOnce* MustOnceFind(const SqrDancer* sd);
// Applies the skip-tip and must-once requests for tip tipcnt (the squares display calls it
// right after advancing tipcnt, and when it builds the present display); clears sdtoggled.
void ApplySkipTips();
// The same for the present/edit display, which shows the coming tip tipcnt+1.
void UpdateSkips();
// Cancels every skip request (dancers present again); must-once requests stay.
void DelSkipTips();
// Deletes every must-once request.
void DelMustOnces();
// Cancels every must-once request: the priority each one changed goes back at once.
void CancelMustOnces();
// Ctrl-click on a name: flips avail; now absent -> a skip record for tipcnt+2 (replacing an
// old one) and a note; now present -> the record goes, with a note. Tooltips are rebuilt.
void SkipTipToggle(SqrDancer* sd);
// A skip request by command card: skip 1 (one tip) or 2 (alternate tips); the dancer is
// made absent by the caller (SetToggleAvail in the edit display, avail=0 elsewhere).
SkipTip* SkipTipRequest(SqrDancer* sd, int skip);
// The logic of the Luck/Must button: flips MUST and LUCK (records the line), and for a
// one-tip request appends a MustOnce and shows the note. Returns the new button label
// ("Must" / "Luck"), or null when the priority was left unchanged.
const char* LuckMustToggle(SqrDancer* sd, bool onetip);
// Rebuilds sd->tooltip and shows it on the dancer's grid button.
void SetupTooltip(SqrDancer* sd);
// The tooltip text SetupTooltip would build.
std::string TooltipText(const SqrDancer* sd);

// ---- lifetime -------------------------------------------------------------------------
// Drops every reference the assignment engine holds to sd (out-dancer, skip-tip and
// must-once lists, the squares, tag slots, temporary partners, the saved roll state).
void AssignForgetDancer(SqrDancer* sd);
// Frees all state of the engine and of the tip history (called by ResetEvening).
void ResetAssign();
