// SPDX-License-Identifier: GPL-3.0-or-later
// The replay's table: for every handler that writes record lines, the function that performs
// a line of it again. A handler not in the table has its text typed as keys. One line per
// handler; the handler's own source defines its replay function.
#include <cstring>

#include "commands/keys.h"
#include "commands/menu.h"
#include "commands/swipe.h"
#include "core/screen.h"
#include "core/startup.h"
#include "dialogs/dancer.h"
#include "dialogs/setup.h"
#include "dialogs/spreadsheet.h"
#include "display/boards.h"
#include "files/evening.h"
#include "files/replay.h"
#include "history/history.h"
#include "rfid/rfid.h"

namespace {
// Types the keys a text stands for, as long as the replay goes on.
void TypeKeys(const std::string& text, bool keybrdline) {
    for (char c : ReplayKeys(text, keybrdline)) {
        if (!dbgfilefp) return;  // a key ended the replay
        KeybrdCmd(c);
    }
}

void ReplayKeybrdCmd(const std::string& text) { TypeKeys(text, true); }

// "(terminate)" on its own: the main window was closed. The replay ends here; the evening
// replayed goes on.
void ReplayTerminate(const std::string&) { ReplayEndsEvening(); }

// Lines that only tell what an action set off (a board built, a question answered); they are
// replayed with that action, never on their own.
void ReplayNothing(const std::string&) {}

// The evening the record resumed, or the new evening it began, comes first.
void ReplayEveningResume(const std::string& text) {
    if (!EveningResumeFrom(text)) return;
    if (histtl) HistoryChange(0);
    else SwitchDisplay(EDIT);
}
void ReplayEveningNew(const std::string& text) {
    EveningNew(text == "absent");
    SwitchDisplay(EDIT);
}

// Switching recording or the phone page on or off belongs to the evening that was recorded,
// not to the replay: a replay neither records over itself nor opens a network port.
void ReplayEveningSwitch(const std::string&) {}

struct ReplayHandler {
    const char* name;
    void (*replay)(const std::string& text);
};

const ReplayHandler handlers[] = {
    {"KeybrdCmd", ReplayKeybrdCmd},
    {"SwipeIntoEntry", [](const std::string& text) { SwipeIntoEntry(text); }},
    {"terminate", ReplayTerminate},
    {"EveningResume", ReplayEveningResume},
    {"EveningNew", ReplayEveningNew},
    {"BttnPress", ReplayBttnPress},
    {"MenuCallback", ReplayMenuCallback},
    {"EditDisplay", ReplayNothing},
    {"QuitConfirmDialog", ReplayNothing},
    {"AskResetDialog", ReplayNothing},
    {"RemoveNewestDialog", ReplayNothing},
    {"Confirm", ReplayNothing},
    {"ToggleAvail", ReplayToggleAvail},
    {"SetToggleAvail", ReplaySetToggleAvail},
    {"Awon", ReplayAwon},
    {"LuckMustBttn", ReplayLuckMustBttn},
    {"AvailAction", ReplayAvailAction},
    {"SetupDispDoneBttn", ReplaySetupDispDoneBttn},
    {"SetupDispCancelBttn", ReplaySetupDispCancelBttn},
    {"SetupNewSqrDancerBttn", ReplaySetupNewSqrDancerBttn},
    {"SetupImportBttn", ReplaySetupImportBttn},
    {"ImportPreviewAdd", ReplayImportPreviewAdd},
    {"AskBttn", ReplayAskBttn},
    {"SetupWelcomeBttn", ReplaySetupWelcomeBttn},
    {"NameStyleRadioBttn", ReplayNameStyleRadioBttn},
    {"NameStyleDoneBttn", ReplayNameStyleDoneBttn},
    {"ClubEntry", ReplayClubEntry},
    {"CallerEntry", ReplayCallerEntry},
    {"AnonEntry", ReplayAnonEntry},
    {"SetupPgmRadioBttn", ReplaySetupPgmRadioBttn},
    {"ToggleRflag", ReplayToggleRflag},
    {"ToggleRecord", ReplayEveningSwitch},
    {"ToggleSflag", ReplayToggleSflag},
    {"TogglePhonePage", ReplayEveningSwitch},
    {"ToggleMix", ReplayToggleMix},
    {"ChooserDir", ReplayNothing},
    {"ChooserFile", ReplayChooserFile},
    {"SqrTagSlider", ReplaySqrTagSlider},
    {"SqrTaggingClearBttn", ReplaySqrTaggingClearBttn},
    {"RfidDisplay", ReplayNothing},
    {"RfidSpecCardDisplay", ReplayNothing},
    {"RfidMDisplay", ReplayNothing},
    {"RfidSqrDancerBttn", ReplayRfidSqrDancerBttn},
    {"RfidSliderBttn", ReplayRfidSliderBttn},
    {"RfidCplSnglBttn", ReplayRfidCplSnglBttn},
    {"RfidCancelBttn", ReplayRfidCancelBttn},
    {"RfidDoneBttn", ReplayRfidDoneBttn},
    {"RfidDestroy", ReplayRfidDestroy},
    {"RfidSpecCard", ReplayRfidSpecCard},
    {"PgmBttn", [](const std::string& t) { ReplayDancerBttn(PgmBttn, t); }},
    {"SexBttn", [](const std::string& t) { ReplayDancerBttn(SexBttn, t); }},
    {"PartnerBttn", [](const std::string& t) { ReplayDancerBttn(PartnerBttn, t); }},
    {"NameBttn", [](const std::string& t) { ReplayDancerBttn(NameBttn, t); }},
    {"PartnerSetBttn", [](const std::string& t) { ReplayDancerBttn(PartnerSetBttn, t); }},
    {"PgmRadioBttn", ReplayPgmRadioBttn},
    {"SexRadioBttn", ReplaySexRadioBttn},
    {"PartnerSlider", ReplayPartnerSlider},
    {"DoneBttn", ReplayDoneBttn},
    {"DelBttn", ReplayDelBttn},
    {"NewSqrDancerDoneBttn", ReplayNewSqrDancerDoneBttn},
    {"NewSqrDancer_DoItNowBttn", ReplayNewSqrDancer_DoItNowBttn},
    {"NewSqrDancer_CancelBttn", ReplayNewSqrDancer_CancelBttn},
    {"NewSqrDancerRfidBttn", ReplayNewSqrDancerRfidBttn},
};
}  // namespace

void ReplayLine(const std::string& handler, const std::string& text) {
    for (const ReplayHandler& h : handlers)
        if (handler == h.name) return h.replay(text);
    TypeKeys(text, false);
}
