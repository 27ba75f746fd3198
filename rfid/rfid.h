// SPDX-License-Identifier: GPL-3.0-or-later
// Card check-in. The reader types a card's ten digits and Enter like a keyboard; the hotkey
// dispatcher collects them and hands the number here: a command card performs its command, a
// pending command takes the card, a dancer's card checks the dancer in or out, and an unknown
// card opens the "Rfid Display" window, which gives it to a dancer without a card or to a new
// anonymous couple or single. The multi-card window gives card after card to new anonymous
// dancers. Card numbers arrive as the ten digits typed (nmbrbuf).
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

#include "core/dorvels.h"

// ---- arrival and the "Rfid Display" window (rfid/arrival.cpp) ---------------------------------
// Buttons of the open card window: "Couple" and the five single roles (also the six radio
// buttons of the multi-card window); the slider pop-up's slider and button. Null while closed.
extern GtkWidget* rfidcplsnglbttns[6];
extern GtkWidget* rfidslider;
extern GtkWidget* rfidsliderbttn;

// The number of a card: its digits as an unsigned decimal (0 for none).
uint64_t RfidParse(const char* nmbrbuf);

// A complete card number arrives.
void RfidDisplay(const char* nmbrbuf);
// A card number arrives while the new-dancer dialog waits for one (NDflag): the dancer in
// newsd gets the card (taken from any dancer or command that had it).
void RfidNewDancerAssoc(const char* nmbrbuf);
// The card window's buttons: "SqrDancer" opens the slider of dancers without a card; the
// slider chooses one, its button gives the card to the dancer chosen ("None": to nobody).
void RfidSqrDancerBttn(GtkWidget* bttn, void* data);
void RfidSlider(GtkRange* slider, void* data);
void RfidSliderBttn(GtkWidget* bttn, void* data);
// "Cancel" of the card window and "Done" of the multi-card window: both windows close and the
// keys come back to the main window.
void RfidCancelBttn(GtkWidget* bttn, void* data);
void RfidDoneBttn(GtkWidget* bttn, void* data);
// "destroy" of the card and multi-card windows, however they close.
void RfidDestroy(GtkWidget* window, void* data);
// Closes the pop-up and the secondary window and makes sdnew a new top-level window of that
// title, centred over the main window, ended by RfidDestroy; the caller fills and shows it.
GtkWidget* RfidWindowNew(const char* title);

// ---- command cards (rfid/speccard.cpp) ------------------------------------------------------
// The grid in which a freshly swiped card is given to a command (in sdpop while open).
extern GtkWidget* speccardgrid;
extern GtkWidget** speccardgridbttn;  // SPECCARDQTY entries; the SKIP slot has no button

// Performs the command of a command card; 1 when the card was one (none while Iflag is set).
int RfidSpecCardAction(uint64_t card);
// Completes a pending program or role change or information request with the card of `sd`
// (null: the card is nobody's); 1 when the swipe was taken.
int RfidSpecCardDeferred(uint64_t card, SqrDancer* sd);
// The card swiped after a skip command card: its dancer skips the next tip or every other tip.
void RfidSkipTip(const char* nmbrbuf);
// The card swiped after z: the grid of commands opens to give it one.
void RfidSpecCardDisplay(const char* nmbrbuf);
// "toggled" of a grid button; slot is the command-card slot (GINT_TO_POINTER).
void RfidSpecCard(GtkToggleButton* bttn, void* slot);
// The card in slot `action` stops being a command card (in every slot that holds it).
void RfidSpecCardClear(int action);

// ---- anonymous dancers by card (rfid/multicard.cpp) ------------------------------------------
// The card window's six buttons ("clicked", psd = index 0 couple, 1..5 single roles M..E) give
// the card to a new or re-typed anonymous dancer; the multi-card window's radio buttons
// ("toggled", psd = &statsd) choose the kind of the next ones.
void RfidCplSnglBttn(GtkWidget* bttn, void* psd);
// Opens (or brings up to date) the multi-card window; with a complete card number, that card
// first goes to an anonymous dancer of the kind and level chosen in statsd.
void RfidMDisplay(const char* nmbrbuf);

// ---- the commands of the keys E, I, M and z, shared with their menu entries ----------------------
void RfidAssocPending();                   // E: the next card is given anew (card window)
void RfidInfoPending();                    // I: the next card is reported
void RfidCmdCardPending(const char* note); // z: the next card becomes a command card
void RfidMultiCardSwitch(bool on);         // M: multi-card mode on (window opens) or off

// ---- replaying the lines of the card windows' handlers ----------------------------------------
// The same button, slider choice or grid command once more, for the card the replayed swipe
// opened the window with.
void ReplayRfidSqrDancerBttn(const std::string& text);
void ReplayRfidSliderBttn(const std::string& text);
void ReplayRfidCplSnglBttn(const std::string& text);
void ReplayRfidCancelBttn(const std::string& text);
void ReplayRfidDoneBttn(const std::string& text);
void ReplayRfidDestroy(const std::string& text);
void ReplayRfidSpecCard(const std::string& text);
