// TO BE REPLACED: a minimal setup display, only so that the program links until the setup
// dialog (dialogs/) exists. Delete this file when the real SetupDisplay lands.
#include "display/display.h"

void SetupDisplay(EDITMODE) {
    editmode = SETUP;
    SetWinTitle(sdwin, nullptr);
    GtkNote("The setup dialog is not available yet.");
}
