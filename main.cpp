// SPDX-License-Identifier: GPL-3.0-or-later
// Dorvels: runs a square-dance club evening.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/dorvels.h"
#include "core/manual.h"
#include "core/startup.h"
#include "core/workfolder.h"
#include "display/display.h"
#include "display/print.h"
#include "dialogs/spreadsheet.h"
#include "files/attendance.h"
#include "files/evening.h"
#include "files/members.h"
#include "files/season.h"
#include "phone/accesskey.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

int main(int argc, char** argv) {
    // The program's name is its desktop id, so that a dock ties the window to its entry.
    g_set_prgname(DORVELS_APP_ID);
    g_set_application_name("Dorvels");
    initdbg(&argc, argv);
    // The language is set here, before GTK, which would otherwise set every locale category
    // from the environment, numbers included.
    InitLocale();
    gtk_disable_setlocale();
    // Until the main window is up, what the operator is told goes to stderr and waits for it.
    HoldMessages(true);
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(UsageText().c_str(), stdout);
            return 0;
        }
        if (strcmp(argv[i], "--version") == 0) {
            printf("dorvels %s\n", DORVELS_VERSION);
            return 0;
        }
    }
    // A typo must not turn into thousands of dancers or a club read as something else:
    // refused before anything is read or written.
    std::string problem = CommandLineProblem(argc, argv);
    if (!problem.empty()) {
        fprintf(stderr, "dorvels: %s\n", problem.c_str());
        return 2;
    }
    // --serve[=[ADDRESS:]PORT]: the phone page. Taken out before the club's arguments.
    std::string serve;
    bool serving = TakeLongOption(&argc, argv, "--serve", &serve, true) == 1;
    ServeOption serveopt;
    std::string err;
    if (serving && !ParseServeOption(serve, &serveopt, &err)) {
        fprintf(stderr, _("dorvels: --serve=%s: %s\n"), serve.c_str(), err.c_str());
        return 2;
    }
    std::string pdf;
    switch (TakeLongOption(&argc, argv, "--print-pdf", &pdf)) {
        case -1: fputs(_("dorvels: --print-pdf needs the name of the PDF file to write\n"), stderr); return 2;
        case 1:
            // No window and no display: GTK's printing writes the PDF without one.
            if (!(problem = PdfTargetProblem(pdf)).empty()) {
                fprintf(stderr, "dorvels: --print-pdf: %s\n", problem.c_str());
                return 2;
            }
            StartupArguments(argc, argv);
            // Now that the club file is known: it is never the PDF.
            if (!(problem = PdfTargetProblem(pdf)).empty()) {
                fprintf(stderr, "dorvels: --print-pdf: %s\n", problem.c_str());
                return 2;
            }
            return PrintPresentPdf(pdf);
        default: break;
    }
    // --export=FILE and --attendance=FILE: the roster, or the season's attendance, of the club
    // file as CSV, without a window. --import=FILE opens the program with the preview of the
    // dancers the file would add.
    std::string exportcsv, attendancecsv, importcsv;
    const struct {
        const char* name;
        std::string* value;
    } csvoptions[] = {{"--export", &exportcsv}, {"--attendance", &attendancecsv}, {"--import", &importcsv}};
    for (const auto& o : csvoptions)
        if (TakeLongOption(&argc, argv, o.name, o.value) == -1) {
            fprintf(stderr, _("dorvels: %s needs the name of a CSV file: %s=FILE\n"), o.name, o.name);
            return 2;
        }
    for (std::string* out : {&exportcsv, &attendancecsv}) {
        if (out->empty()) continue;
        if (!(problem = CsvTargetProblem(*out)).empty()) {
            fprintf(stderr, "dorvels: %s\n", problem.c_str());
            return 2;
        }
        StartupArguments(argc, argv);
        if (out == &attendancecsv) return AttendanceCommand(attendancecsv);
        if (inputfilename.empty()) {
            fputs(_("dorvels: --export: no club file was read, so there are no dancers to export\n"), stderr);
            return 1;
        }
        std::string why;
        if (!WriteMembersCsv(exportcsv, &why)) {
            fprintf(stderr, "dorvels: --export: %s\n", why.c_str());
            return 1;
        }
        printf(ngettext("dorvels: wrote <%s>: %d dancer\n", "dorvels: wrote <%s>: %d dancers\n", RosterCount()),
               exportcsv.c_str(), RosterCount());
        return 0;
    }
    // A file that is no list of dancers is refused before any window opens (the reasons do not
    // depend on the roster, which is not read yet).
    std::string importbytes;
    if (!importcsv.empty()) {
        MemberImport imp = ReadMembersFile(importcsv, &importbytes);
        if (!imp.refused.empty()) {
            fprintf(stderr, _("dorvels: <%s> cannot be imported: %s. Nothing was changed.\n"), importcsv.c_str(),
                    imp.refused.c_str());
            return 1;
        }
        // Named as found here, before the working folder is chosen (the record names it).
        if (char* full = realpath(importcsv.c_str(), nullptr)) {
            importcsv = full;
            free(full);
        }
    }
    gtk_init(&argc, &argv);
    gdk_set_program_class(DORVELS_APP_ID);  // the window's class too (GTK would capitalise it)
    ChooseWorkingFolder(argc, argv);
    StartupArguments(argc, argv);
    // The club's season memory (with mixing on); a replay neither reads nor writes it.
    seasonflag = dbgfile.empty();
    SetupResolutionList();
    if (scrollerincrchg) {
        // The stored step count is applied once to the base speed; AutoScrollSpeed counts
        // the steps again, so start from zero to end up with the stored value.
        int chg = scrollerincrchg;
        scrollerincrchg = 0;
        AutoScrollSpeed(chg);
    }
    StartupFinish();
    FirstStartFinish();
    // Kept with the evening, so that a resumed evening keeps them: the phone page's key (the
    // phones of the evening keep working) and whether the projector window is open.
    EveningField("phonekey", [] { return AccessKey(); }, [](const std::string& v) { return SetAccessKey(v); });
    EveningField("projector", [] { return std::string(projector ? "1" : ""); },
                 [](const std::string& v) { projector = v == "1"; return true; });
    // The evening's identity in the attendance file goes with the evening.
    AttendanceKeepWithEvening();
    if (!importcsv.empty()) {
        // The preview opens over the main window once that is shown, read against the roster.
        static std::string file, content;
        file = importcsv;
        content = std::move(importbytes);
        g_timeout_add(100, [](gpointer) -> gboolean {
            if (!sdwin || !gtk_widget_get_mapped(sdwin)) return G_SOURCE_CONTINUE;
            ImportPreview(ReadMembers(content), file, content);
            return G_SOURCE_REMOVE;
        }, nullptr);
    }
    if (serving) PhonePageStartup(serveopt);
    RunDisplay();
    return 0;
}
