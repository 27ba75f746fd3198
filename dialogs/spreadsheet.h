// SPDX-License-Identifier: GPL-3.0-or-later
// Spreadsheets on the screen: the preview of dancers to import, the file choosers of the
// setup dialog's import and export buttons, and the season's attendance window.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "display/print.h"
#include "files/attendance.h"
#include "files/members.h"

// The preview window of `import`, read from the file `name` whose content is `bytes`: every
// row with its problems by line number, and "Add N dancers". The rows are read again against
// the roster when the button is pressed.
void ImportPreview(const MemberImport& import, const std::string& name, const std::string& bytes);
// Reads `path` and shows its preview, or tells the operator why the file is no list of
// dancers. False when refused.
bool ImportDancersFile(const std::string& path);
// The setup dialog's buttons: a file chooser, then the preview or the export.
void ImportDancersChoose();
void ExportDancersChoose();
// The season's attendance of the club file in use: per dancer, per evening, those not seen
// for 4 weeks or more; saved as CSV or printed.
void AttendanceWindow();

// The report as it goes on paper: the club, "Season attendance", one line per dancer, then
// one per evening.
PaperBoard AttendanceBoard(const AttendanceReport& report);

// The windows open now (null when none), for the program's own checks.
extern GtkWidget* importwin;
extern GtkWidget* attendancewin;
// Presses "Add N dancers" of the open preview; the number added (-1 when no preview is open).
int ImportPreviewAdd();
// A recorded "(ImportPreviewAdd) N FILE": the dancers of FILE added again, without a preview,
// when the file still gives the N dancers it gave.
void ReplayImportPreviewAdd(const std::string& text);
