// SPDX-License-Identifier: GPL-3.0-or-later
// The evening kept on disk after each action.
#include "commands/autosave.h"

#include <gtk/gtk.h>

#include "core/dorvels.h"
#include "dialogs/setup.h"
#include "files/clubfile.h"
#include "files/evening.h"
#include "support/helmtext.h"

namespace {
guint idle = 0;
bool pending = false;
bool clubfailed = false;  // a new club's file could not be written: said once

// A club with no file of its own yet (nothing read, nothing written): written once something
// was entered. Not while the setup dialog is open, where the club's name (and the file name
// made from it) is still being typed.
void NewClubFile() {
    if (OutputFileBound() || outputfilename.empty() || SetupOpen() || !ClubChanged()) return;
    std::string why;
    WriteOutcome outcome = WriteClub(1, false, "", &why);
    if (outcome == WRITE_FAILED && !clubfailed) {
        clubfailed = true;
        error(1, "%s\n", why.c_str());
        GtkWarning("%s", why.c_str());
    }
}

void Save() {
    pending = false;
    if (idle) g_source_remove(idle);
    idle = 0;
    NewClubFile();
    EveningSave();
}
}  // namespace

void AutosaveSoon() {
    pending = true;
    // Right after the window is redrawn (GDK_PRIORITY_REDRAW): the operator sees the change
    // first, and nothing else that waits for an idle moment comes before the save.
    if (!idle) idle = g_idle_add_full(G_PRIORITY_HIGH_IDLE + 30, [](gpointer) -> gboolean {
            idle = 0;
            Save();
            return G_SOURCE_REMOVE;
        }, nullptr, nullptr);
}

void AutosaveNow() {
    if (pending) Save();
}
