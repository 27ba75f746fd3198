// SPDX-License-Identifier: GPL-3.0-or-later
// The setup dialog, which is the Setup display: the club's name and caller, the hall's
// limits, the name style, the ask policy and the club's level; anonymous dancers for an
// evening without a roster; the club file; square tagging; the RfidWarn, Record, Stat,
// Phone Page and Mix switches; and the buttons that clear parts of the evening.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "display/display.h"

constexpr int ANONENTRYQTY = 7;  // single M, F, MF, FM, E; couples; the next number

// The dialog's widgets; every one is null while the dialog is closed. (The square-tag
// sliders and their labels are declared in display/display.h.)
extern GtkWidget *clubname_entry, *caller_entry, *maxsquares_entry, *squaresize_entry;
extern GtkWidget* outputfile_entry;
extern GtkWidget* namestylebttn;
extern GtkWidget* namestylebttns[4];  // radio buttons of the name-style pop-up
extern GtkWidget* pgmbttns[PGMQTY];
extern GtkWidget* anon_entry[ANONENTRYQTY];
extern GtkWidget* anon_label_cnts[ANONENTRYQTY];
extern GtkWidget *squaretag_entry, *squaretag_clear;
extern GtkWidget *Rflag_bttn, *record_bttn, *Sflag_bttn, *phonepage_bttn, *mix_bttn;
extern gulong Rflag_sigid, record_sigid, Sflag_sigid, phonepage_sigid, mix_sigid;
// 1 once the operator has chosen or typed a club file that Done has not taken yet.
extern int didoutputfile;

// The bottom row's buttons, as the psd of SetupDispCancelBttn.
enum SETUPBTTN { SETUP_CANCEL = 0, SETUP_RESET, SETUP_CLEARDANCERS, SETUP_CLEARCOUNTS, SETUP_CLEARRFID };

// True while the dialog is open (it is then sdnew).
bool SetupOpen();

// "clicked": Done (psd 0) and DoItNow (1) apply the dialog; Done also closes it. Nothing is
// applied while a number entry is refused or the club file chosen cannot be taken.
void SetupDispDoneBttn(GtkWidget* bttn, void* psd);
// "clicked" of the bottom row (psd a SETUPBTTN); the buttons that throw data away ask first.
void SetupDispCancelBttn(GtkWidget* bttn, void* psd);
void SetupNewSqrDancerBttn(GtkWidget* bttn, void* psd);
// Import dancers…: the setup applied and closed, a spreadsheet chosen and previewed.
void SetupImportBttn(GtkWidget* bttn, void* psd);
// Export dancers…: the roster written to a CSV file chosen.
void SetupExportBttn(GtkWidget* bttn, void* psd);
// The greeting of a first start (a club folder of its own with no club yet): psd
// WELCOME_SAMPLE opens the bundled sample club and shows its roster, WELCOME_NEW leaves the
// dialog open for the new club's name.
enum { WELCOME_SAMPLE = 0, WELCOME_NEW = 1 };
// The sample club installed with the program.
inline const char* const samplefile = "sample.dorvel";
void SetupWelcomeBttn(GtkWidget* bttn, void* psd);
void AskBttn(GtkWidget* bttn, void* psd);
void NameStyleBttn(GtkWidget* bttn, void* psd);
void NameStyleDoneBttn(GtkWidget* bttn, void* psd);
// "activate" (Enter) of the club-name, caller and next-anonymous entries.
void ClubEntry(GtkWidget* entry, void* psd);
void CallerEntry(GtkWidget* entry, void* psd);
void AnonEntry(GtkWidget* entry, void* psd);
// "toggled".
void SetupPgmRadioBttn(GtkToggleButton* bttn, void* index);
void NameStyleRadioBttn(GtkToggleButton* bttn, void* index);
void ToggleRflag(GtkToggleButton* bttn, void* psd);
void ToggleRecord(GtkToggleButton* bttn, void* psd);
void ToggleSflag(GtkToggleButton* bttn, void* psd);
// The phone page's server on or off (not kept in the club file: off at every start).
void TogglePhonePage(GtkToggleButton* bttn, void* psd);
// Mixing on or off (kept in the club file).
void ToggleMix(GtkToggleButton* bttn, void* psd);
// A folder or a file chosen with the dialog's choosers.
void ChooserDir(GtkFileChooser* dirchooser, GtkFileChooser* filechooser);
void ChooserFile(GtkFileChooser* filechooser, GtkWidget* entry);

// Square tagging: "value-changed" of slider number islider (0..3); the sliders' ranges and
// positions from the roster and the tag slots; ranges widened after `newanoncnt` anonymous
// dancers were made; the "Clear Square Tagging" button.
void SqrTagSlider(GtkWidget* slider, void* islider);
void SetupSqrTagSliders();
void UpdSquareTagSliders(int newanoncnt);
void SqrTaggingClearBttn(GtkWidget* bttn, void* psd);

// The message shown beside an entry of the dialog ("" when none), and whether it refuses
// the entry's text.
std::string SetupMessage(GtkWidget* entry, bool* refused = nullptr);

// The replay of the lines written by the dialog's handlers: the same button, entry, switch or
// slider once more, with what the operator had typed.
void ReplaySetupDispDoneBttn(const std::string& text);
void ReplaySetupDispCancelBttn(const std::string& text);
void ReplaySetupNewSqrDancerBttn(const std::string& text);
void ReplaySetupImportBttn(const std::string& text);
void ReplayAskBttn(const std::string& text);
void ReplaySetupWelcomeBttn(const std::string& text);
void ReplayNameStyleRadioBttn(const std::string& text);
void ReplayNameStyleDoneBttn(const std::string& text);
void ReplayClubEntry(const std::string& text);
void ReplayCallerEntry(const std::string& text);
void ReplayAnonEntry(const std::string& text);
void ReplaySetupPgmRadioBttn(const std::string& text);
void ReplayToggleRflag(const std::string& text);
void ReplayToggleSflag(const std::string& text);
void ReplayToggleMix(const std::string& text);
void ReplayChooserFile(const std::string& text);
void ReplaySqrTagSlider(const std::string& text);
void ReplaySqrTaggingClearBttn(const std::string& text);
