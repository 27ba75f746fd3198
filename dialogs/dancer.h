// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs that change one dancer: the pop-ups of the small buttons of an edit cell
// (name, partner, level, role; their handlers DelBttn, NameBttn, PartnerBttn, PgmBttn and
// SexBttn are declared in display/boards.h), the delete question, and the new-dancer dialog
// that the n key opens. Every pop-up is the one pop-up window sdpop; the new-dancer dialog
// is sdnew. The dialog is modal over the main window, so that nothing else changes the roster
// while it holds the dancer being entered; a pop-up of an edit cell leaves the main window
// usable (the board's redraws close it, and a dancer deleted takes its pop-up with it).
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "core/dorvels.h"

// ---- pop-ups (dialogs/popups.cpp) ------------------------------------------------------
// "toggled" handlers of the level and role pop-ups' radio buttons (psd = the dancer).
void PgmRadioBttn(GtkWidget* bttn, void* psd);
void SexRadioBttn(GtkWidget* bttn, void* psd);
// The partner pop-up's scale ("value-changed") and its button (the choice is committed).
void PartnerSlider(GtkWidget* slider, void* psd);
void PartnerSetBttn(GtkWidget* bttn, void* psd);
// Closes the open pop-up.
void DoneBttn(GtkWidget* bttn, void* psdpop);

// Closes every dancer window that holds sd (its pop-up, its new-dancer dialog), before sd
// is deleted; leaves no pending card request and no widget pointing at it.
void ForgetDancerWindows(SqrDancer* sd);

// ---- shared by the pop-ups and the new-dancer dialog --------------------------------------
// What the keys Escape and Return do in a dancer window (null: nothing special); `sd` is the
// window's dancer, passed to them.
struct DancerKeys {
    void (*escape)(GtkWidget*, void*) = nullptr;
    void (*enter)(GtkWidget*, void*) = nullptr;
    SqrDancer* sd = nullptr;
};
// The key handler of every dancer window (data: its DancerKeys). The digits of a card number
// and the Enter that ends it go to the card entry of the main window while its keys are on
// or a new dancer's card is awaited; any other key ends the wait for a new dancer's card.
gboolean DancerWindowKey(GtkWidget* w, GdkEventKey* event, gpointer data);
// A modal window over `parent` (null: over nothing), gone with it.
GtkWidget* DancerWindowNew(const char* title, GtkWidget* parent, GtkWindowPosition position);
// A new pop-up window for sd, which becomes sdpop (a note or warning there goes): modal and
// transient over the new-dancer dialog when that is open, else transient over the main
// window and not modal.
GtkWidget* DancerPopupNew(SqrDancer* sd, const char* title, DancerKeys keys);
// A dancer window going away gives the keyboard focus back to the window it came from
// (without a window manager nobody else would).
void ReturnFocus(GtkWidget* w);
// Closes the open dancer pop-up, as a second click on a dancer button does. False when none
// was open.
bool CloseDancerPopup();
// Whether a pop-up of a dancer's cell (level, role, partner, name) is open.
bool DancerPopupOpen();
// A cell's button clicked: closes the open dancer pop-up; true when that was the pop-up this
// button opens for sd (`title`), which the click only closes. Otherwise the caller opens its
// own.
bool DancerPopupToggled(const SqrDancer* sd, const char* title);
// The keyboard of the main window is taken while a name form is open, and given back here
// once none is (and no other window that takes the keyboard is open).
void RestoreKeysAfterDialog();

// ---- names and the new-dancer dialog (dialogs/newdancer.cpp) ------------------------------
// Opens the new-dancer dialog (the n key and the pop-up menu's n entry: NewDancerCmd).
void NewSqrDancerDisplay();
// What n does: in Squares or Present the edit display comes first, then the dialog.
void NewDancerCmd();
// The new-dancer dialog's buttons (Done and Cancel also serve the name pop-up).
void NewSqrDancerDoneBttn(GtkWidget* bttn, void* psd);
void NewSqrDancer_DoItNowBttn(GtkWidget* bttn, void* psd);
void NewSqrDancer_CancelBttn(GtkWidget* bttn, void* psd);
void NewSqrDancerRfidBttn(GtkWidget* bttn, void* psd);
// Applies the name entries of psd's dialog to psd; true when it did. False when the names
// have a problem (shown beside the entry, which takes the focus; the dialog stays open) or
// were never typed (the new-dancer dialog is then cancelled: nobody is added).
bool NewSqrDancerCommon(GtkWidget* bttn, void* psd);
// The dancer of the open new-dancer dialog (the placeholder being entered), or null.
SqrDancer* NewDancerBeingEntered();
// The problem shown in the open name form ("" when none).
const char* NameFormProblem();
// After a key that may have ended a card number: shows the new dancer's card.
void NewDancerCardShown();
// sd is about to be deleted: a name form holding it is closed without doing anything, and
// a card awaited for it is no longer.
void NewDancerForget(SqrDancer* sd);

// ---- replaying the lines of these dialogs ---------------------------------------------------
// A click on a dancer's button (level, role, partner, name) once more, for the dancer the line
// names (the multi-card window's level button for a line that names nobody).
void ReplayDancerBttn(void (*handler)(GtkWidget*, void*), const std::string& text);
// The choice in a pop-up, its Done, the delete question's answer, and the name form's buttons
// with the names typed.
void ReplayPgmRadioBttn(const std::string& text);
void ReplaySexRadioBttn(const std::string& text);
void ReplayPartnerSlider(const std::string& text);
void ReplayDoneBttn(const std::string& text);
void ReplayDelBttn(const std::string& text);
void ReplayNewSqrDancerDoneBttn(const std::string& text);
void ReplayNewSqrDancer_DoItNowBttn(const std::string& text);
void ReplayNewSqrDancer_CancelBttn(const std::string& text);
void ReplayNewSqrDancerRfidBttn(const std::string& text);
