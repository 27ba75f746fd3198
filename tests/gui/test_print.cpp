// SPDX-License-Identifier: GPL-3.0-or-later
// The boards on paper: every board the operator can show, printed to PDF through the same
// layout the print dialog uses, read back with Debian's poppler tools; and the P key going
// through GTK's own print dialog to "Print to File".
#include <gtest/gtest.h>
#include <gtk/gtkunixprint.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "display/boards.h"
#include "dialogs/spreadsheet.h"
#include "display/print.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_keys_util.h"

namespace {

std::string Run(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

// Runs of blanks (line ends included) become one blank, with one at each end, so that a text
// can be found whole: " Adams0: 1 " is not found in " Adams0: 12 ".
std::string Words(const std::string& s) {
    std::string out = " ";
    std::istringstream in(s);
    for (std::string w; in >> w;) out += w + " ";
    return out;
}

struct Pdf {
    int pages = 0;
    std::string text;        // in drawing order
    int words = 0, outside = 0;  // words, and words not wholly on their page
    std::string sizes;       // the distinct page sizes
};

Pdf ReadPdf(const std::string& path) {
    Pdf pdf;
    pdf.text = Words(Run("pdftotext -raw '" + path + "' -"));
    std::istringstream info(Run("pdfinfo -f 1 -l 9999 '" + path + "'"));
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("Pages:", 0) == 0) pdf.pages = atoi(line.c_str() + 6);
        size_t at = line.find(" size:");
        if (line.rfind("Page", 0) != 0 || at == std::string::npos) continue;
        std::string size = Words(line.substr(at + 6));
        if (pdf.sizes.find(size) == std::string::npos) pdf.sizes += size + ";";
    }
    // Every word's box must lie on its page.
    std::istringstream boxes(Run("pdftotext -bbox '" + path + "' -"));
    double w = 0, h = 0;
    for (std::string line; std::getline(boxes, line);) {
        double x0, y0, x1, y1;
        if (sscanf(line.c_str(), " <page width=\"%lf\" height=\"%lf\"", &w, &h) == 2) continue;
        if (sscanf(line.c_str(), " <word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &x0, &y0, &x1, &y1) == 4) {
            ++pdf.words;
            if (x0 < 0 || y0 < 0 || x1 > w || y1 > h) ++pdf.outside;
        }
    }
    return pdf;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

class Print : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        clubname = "Hilltop";
        caller = "Joe";
        pgmfloor = Basic;
    }
    // Prints the board shown to a PDF and checks what every printed board must hold: the
    // heading, every entry whole and in the board's order, pages that fit the paper.
    PaperBoard PrintsWhole(const std::string& name, const std::string& board) {
        PaperBoard b = ShownBoard();
        std::string err;
        std::string file = dir + "/" + name + ".pdf";
        int pages = PrintPaperBoard(b, file.c_str(), &err);
        EXPECT_GT(pages, 0) << name << ": " << err;
        Pdf pdf = ReadPdf(file);
        EXPECT_EQ(pdf.pages, pages) << name;
        EXPECT_EQ(pdf.sizes, " 595.276 x 841.89 pts (A4) ;") << name;  // the default paper here
        EXPECT_GT(pdf.words, 0) << name;
        EXPECT_EQ(pdf.outside, 0) << name;
        std::string level = strprintf(" %s level ", strpgm(editmode == HISTORY ? hist->pgmfloor : pgmfloor));
        for (std::string head : {std::string(" Hilltop "), level, std::string(" caller Joe ")})
            EXPECT_NE(pdf.text.find(head), std::string::npos) << name << " lacks" << head;
        EXPECT_NE(pdf.text.find(Words(board)), std::string::npos) << name << " lacks " << board;
        size_t at = 0;
        for (const std::string& e : b.entries) {
            size_t found = pdf.text.find(Words(e), at);
            EXPECT_NE(found, std::string::npos) << name << ": <" << e << "> missing or out of order";
            if (found != std::string::npos) at = found + 1;
        }
        return b;
    }
    void EveryBoard() {
        Type("r");
        ASSERT_EQ(editmode, SQUARES);
        PaperBoard squares = PrintsWhole("squares", "Squares of tip 1");
        int cells = 0;
        for (int i = 0; i < BoardCellQty(); ++i)
            cells += CellText(BoardCell(i)).find_first_not_of(' ') != std::string::npos;
        EXPECT_EQ((int)squares.entries.size(), cells);
        EXPECT_TRUE(squares.aligned);

        Type("r");
        Type("h");
        ASSERT_EQ(editmode, HISTORY);
        ASSERT_NE(hist, nullptr);
        PrintsWhole("history", strprintf("Squares of tip %d (history)", hist->tipcnt));

        // Three dancers leave and one drops below the level: the present list holds every
        // dancer still here, in the order of the Present board.
        sdhd->avail = 0;
        sdtl->avail = 0;
        sdhd->nxt->nxt->avail = 0;
        SqrDancer* below = sdhd->nxt->nxt->nxt;
        pgmfloor = Plus;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (sd != below) sd->pgm = Plus;
        Type("p");
        ASSERT_EQ(editmode, PRESENT);
        PaperBoard present = PrintsWhole("present", strprintf("Present after tip %d", tipcnt));
        std::vector<std::string> board;  // the board's cells: display names, in board order
        for (int i = 0; i < BoardCellQty(); ++i) board.push_back(CellText(BoardCell(i)));
        std::vector<std::string> printed;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            if (!sd->avail) continue;
            std::string full = sd->firstname + " " + sd->lastname;
            if (sd == below) {
                EXPECT_NE(std::find(present.entries.begin(), present.entries.end(), full + " (Basic)"),
                          present.entries.end());
                continue;
            }
            printed.push_back(sd->dispname);
            EXPECT_NE(std::find(present.entries.begin(), present.entries.end(), full), present.entries.end()) << full;
        }
        EXPECT_EQ(present.entries.size(), printed.size() + 1);
        EXPECT_EQ(printed, board);

        Type("e");
        PaperBoard roster = PrintsWhole("roster", "Roster of");
        EXPECT_EQ((int)roster.entries.size(), RosterCount());
        EXPECT_NE(roster.entries.front().find("absent"), std::string::npos);  // sdhd left
    }
    static int RosterCount() {
        int n = 0;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) ++n;
        return n;
    }
};

TEST_F(Print, EveryBoardOfASmallClubOnOnePage) {
    BuildClub(8, 2, 2);
    SwitchDisplay(EDIT);
    EveryBoard();
}

TEST_F(Print, EveryBoardOfABigClubOverPagesAndNoNameCut) {
    BuildClub(170, 20, 20);
    // One name wider than the page: printed smaller, whole.
    AddDancer("Wilhelmina", "Featherstonehaugh-Cholmondeley-Marjoribanks-Auchinleck-Ffoulkes-Drummond", F);
    SortByName();
    SwitchDisplay(EDIT);
    EveryBoard();
    EXPECT_GT(ReadPdf(dir + "/roster.pdf").pages, 1);
}

// The P key, as the operator uses it: GTK's print dialog, the printer "Print to File".
gboolean PrintToFileWhenReady(gpointer data) {
    auto* seen = static_cast<std::string*>(data);
    GList* tops = gtk_window_list_toplevels();
    bool done = false;
    for (GList* l = tops; l; l = l->next) {
        if (!GTK_IS_PRINT_UNIX_DIALOG(l->data) || !gtk_widget_get_visible(GTK_WIDGET(l->data))) continue;
        GtkPrinter* printer = gtk_print_unix_dialog_get_selected_printer(GTK_PRINT_UNIX_DIALOG(l->data));
        if (!printer) continue;  // the printers are still being listed
        *seen = gtk_printer_get_name(printer);
        if (gtk_window_get_transient_for(GTK_WINDOW(l->data)) != GTK_WINDOW(sdwin)) *seen += " (not over the main window)";
        gtk_dialog_response(GTK_DIALOG(l->data), GTK_RESPONSE_OK);
        done = true;
    }
    g_list_free(tops);
    return done ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

TEST_F(Print, PKeyPrintsTheBoardShownThroughThePrintDialog) {
    // Nothing to print yet: a note, and no dialog.
    SwitchDisplay(EDIT);
    Type("P");
    EXPECT_NE(PopupText().find("nothing to print"), std::string::npos) << PopupText();

    BuildClub(8, 2, 2);
    Type("r");
    // Only the file printer: the printing system of a test machine is no business of ours.
    g_object_set(gtk_settings_get_default(), "gtk-print-backends", "file", nullptr);
    std::string file = dir + "/dialog.pdf";
    GtkPrintSettings* settings = gtk_print_settings_new();
    gtk_print_settings_set_printer(settings, "Print to File");
    gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, ("file://" + file).c_str());
    gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
    SetPrintSettings(settings);
    g_object_unref(settings);

    std::string printer;
    guint source = g_timeout_add(50, PrintToFileWhenReady, &printer);
    Type("P");
    for (int i = 0; i < 200 && !Exists(file); ++i) {
        Pump();
        g_usleep(10000);
    }
    if (printer.empty()) g_source_remove(source);
    EXPECT_EQ(printer, "Print to File");
    ASSERT_TRUE(Exists(file));
    Pdf pdf = ReadPdf(file);
    for (int i = 0; i < BoardCellQty(); ++i)
        EXPECT_NE(pdf.text.find(Words(CellText(BoardCell(i)))), std::string::npos) << CellText(BoardCell(i));
    EXPECT_NE(PopupText().find("1 page printed"), std::string::npos) << PopupText();

    // Cancelled: nothing printed, the board stays.
    unlink(file.c_str());
    auto answered = AnswerDialog("Print", GTK_RESPONSE_CANCEL);
    Type("P");
    EXPECT_TRUE(*answered);
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(editmode, SQUARES);
    SetPrintSettings(nullptr);
}

// The season's attendance on paper: every dancer's line and every evening's whole, in the
// report's order, on pages that fit the paper, also for long names and many dancers.
TEST_F(Print, SeasonAttendanceOnPaper) {
    AttendanceReport rep;
    for (int i = 0; i < 90; ++i)
        rep.dancers.push_back({"Maximiliane_Theodora" + std::to_string(i), "von_Hohenzollern-Sigmaringen", 1, 40, 3,
                               20000, 20000 + i, i < 5});
    for (int i = 0; i < 30; ++i) rep.evenings.push_back({i + 1, 20000 + 7 * i, 90 - i, 12});
    PaperBoard board = AttendanceBoard(rep);
    ASSERT_EQ(board.entries.size(), 120u);
    std::string err, file = dir + "/attendance.pdf";
    int pages = PrintPaperBoard(board, file.c_str(), &err);
    ASSERT_GT(pages, 0) << err;
    Pdf pdf = ReadPdf(file);
    EXPECT_EQ(pdf.outside, 0);
    EXPECT_NE(pdf.text.find(" Season attendance "), std::string::npos);
    size_t at = 0;
    for (const std::string& e : board.entries) {
        size_t found = pdf.text.find(Words(e), at);
        EXPECT_NE(found, std::string::npos) << "<" << e << "> missing or out of order";
        if (found != std::string::npos) at = found + 1;
    }
}

}  // namespace
