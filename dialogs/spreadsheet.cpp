// SPDX-License-Identifier: GPL-3.0-or-later
// The import preview, the setup dialog's import and export choosers and the attendance window.
#include "dialogs/spreadsheet.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/dorvels.h"
#include "core/screen.h"
#include "display/display.h"
#include "display/print.h"
#include "files/attendance.h"
#include "files/clubfile.h"
#include "files/clubguard.h"
#include "files/evening.h"
#include "files/record.h"
#include "files/season.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

GtkWidget* importwin = nullptr;
GtkWidget* attendancewin = nullptr;

namespace {

struct Pending {
    std::string name, bytes;
    int shown = 0;  // the number the Add button names
    GtkWidget* addbttn = nullptr;
} pending;

GtkWindow* Parent() { return sdwin ? GTK_WINDOW(sdwin) : nullptr; }

void Forget(GtkWidget* w, gpointer slot) {
    auto** p = static_cast<GtkWidget**>(slot);
    if (*p == w) *p = nullptr;
}

GtkWidget* NewWindow(GtkWidget** slot, const std::string& title, int width, int height) {
    if (*slot) gtk_widget_destroy(*slot);
    GtkWidget* w = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    *slot = w;
    gtk_window_set_title(GTK_WINDOW(w), title.c_str());
    if (Parent()) gtk_window_set_transient_for(GTK_WINDOW(w), Parent());
    gtk_window_set_default_size(GTK_WINDOW(w), width, height);
    gtk_container_set_border_width(GTK_CONTAINER(w), 8);
    g_signal_connect(w, "destroy", G_CALLBACK(Forget), slot);
    // Escape closes the window, as it closes the program's pop-ups.
    g_signal_connect(w, "key-press-event", G_CALLBACK(+[](GtkWidget* win, GdkEventKey* e, gpointer) -> gboolean {
                         if (e->keyval != GDK_KEY_Escape) return FALSE;
                         gtk_widget_destroy(win);
                         return TRUE;
                     }),
                     nullptr);
    return w;
}

// A list of text columns in a scrolled window.
GtkWidget* Table(const std::vector<const char*>& titles, GtkListStore* store) {
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    for (size_t i = 0; i < titles.size(); ++i) {
        GtkCellRenderer* r = gtk_cell_renderer_text_new();
        GtkTreeViewColumn* c =
            gtk_tree_view_column_new_with_attributes(_(titles[i]), r, "text", (int)i, nullptr);
        gtk_tree_view_column_set_resizable(c, TRUE);
        gtk_tree_view_append_column(GTK_TREE_VIEW(view), c);
    }
    GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroll), view);
    return scroll;
}

std::string Plain(std::string s) {
    for (char& c : s)
        if (c == '_') c = ' ';
    return s;
}

std::string AddLabel(int n) { return strprintf(ngettext("Add %d dancer", "Add %d dancers", n), n); }

void ImportAddBttn(GtkWidget*, gpointer) { ImportPreviewAdd(); }

void CloseBttn(GtkWidget*, gpointer win) { gtk_widget_destroy(GTK_WIDGET(win)); }

// ---- attendance ---------------------------------------------------------------------------
AttendanceReport shownreport;

void AttendanceSaveBttn(GtkWidget*, gpointer) {
    GtkWidget* dlg = gtk_file_chooser_dialog_new(_("Save the attendance as CSV"), GTK_WINDOW(attendancewin),
                                                 GTK_FILE_CHOOSER_ACTION_SAVE, _("Cancel"), GTK_RESPONSE_CANCEL,
                                                 _("Save"), GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dlg), TRUE);
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dlg), _("attendance.csv"));
    if (gtk_dialog_run(GTK_DIALOG(dlg)) == GTK_RESPONSE_ACCEPT) {
        gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dlg));
        std::string why;
        if (file && WriteAttendanceCsv(file, shownreport, &why)) GtkTimeNote(3, _("wrote <%s>"), ShownName(file).c_str());
        else GtkWarning("%s", why.c_str());
        g_free(file);
    }
    gtk_widget_destroy(dlg);
}

void AttendancePrintBttn(GtkWidget*, gpointer) {
    std::string err;
    int pages = PrintPaperBoard(AttendanceBoard(shownreport), nullptr, &err);
    if (pages < 0) GtkWarning(_("printing failed: %s"), err.c_str());
}

}  // namespace

PaperBoard AttendanceBoard(const AttendanceReport& report) {
    PaperBoard board;
    board.title = clubname;
    board.subtitle = _("Season attendance");
    board.entries = AttendanceLines(report);
    return board;
}

int ImportPreviewAdd() {
    if (!importwin) return -1;
    // Read again: the roster may have changed while the preview was open.
    MemberImport imp = ReadMembers(pending.bytes);
    if (!imp.refused.empty() || imp.Adding() != pending.shown) {
        ImportPreview(imp, pending.name, pending.bytes);
        if (!imp.refused.empty()) GtkWarning(_("<%s> cannot be imported: %s."), pending.name.c_str(), imp.refused.c_str());
        return 0;
    }
    Record("(ImportPreviewAdd) %d %s\n", pending.shown, pending.name.c_str());
    int added = AddMembers(imp);
    gtk_widget_destroy(importwin);
    // Written as after any change of the roster.
    WriteDorvels(1);
    EveningSave();
    SwitchDisplay(EDIT);
    GtkTimeNote(3, ngettext("%d dancer added", "%d dancers added", added), added);
    return added;
}

void ReplayImportPreviewAdd(const std::string& text) {
    int shown = -1;
    size_t blank = text.find(' ');
    if (sscanf(text.c_str(), "%d", &shown) != 1 || blank == std::string::npos) return;
    const std::string file = text.substr(blank + 1);
    MemberImport imp = ReadMembersFile(file);
    if (!imp.refused.empty() || imp.Adding() != shown) {
        GtkTimeNote(3, _("replay: <%s> no longer gives the dancers added then"), file.c_str());
        return;
    }
    AddMembers(imp);
    SwitchDisplay(EDIT);
}

void ImportPreview(const MemberImport& imp, const std::string& name, const std::string& bytes) {
    pending.name = name;
    pending.bytes = bytes;
    pending.shown = imp.Adding();
    GtkWidget* win = NewWindow(&importwin, strprintf(_("Import dancers: %s"), ShownName(name).c_str()), 900, 520);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_add(GTK_CONTAINER(win), box);
    const char* sep = imp.separator == '\t' ? _("tabs") : imp.separator == ';' ? _("semicolons") : _("commas");
    GtkWidget* head = gtk_label_new(
        strprintf(_("%zu rows read (%s, columns separated by %s, %s). Nothing is added until you press the button."),
                  imp.rows.size(), imp.encoding.c_str(), sep, imp.header ? _("with a header") : _("without a header"))
            .c_str());
    gtk_label_set_line_wrap(GTK_LABEL(head), TRUE);
    gtk_widget_set_halign(head, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(box), head, FALSE, FALSE, 0);

    GtkListStore* store = gtk_list_store_new(8, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                                             G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING);
    for (const MemberRow& r : imp.rows) {
        std::string partner = r.partnerrow >= 0 ? Plain(imp.rows[(size_t)r.partnerrow].first + " " +
                                                        imp.rows[(size_t)r.partnerrow].last)
                              : r.partnersd ? FullName(r.partnersd)
                                            : "";
        std::string problems;
        for (const std::string& p : r.problems) problems += (problems.empty() ? "" : "; ") + p;
        GtkTreeIter it;
        gtk_list_store_append(store, &it);
        gtk_list_store_set(store, &it, 0, r.line, 1, r.add ? _("add") : _("not added"), 2,
                           Plain(r.first + " " + r.last).c_str(), 3, strsex(r.sex), 4, strpgm(r.pgm), 5,
                           partner.c_str(), 6, r.card ? strprintf("%010llu", (unsigned long long)r.card).c_str() : "",
                           7, problems.c_str(), -1);
    }
    GtkWidget* table = Table({N_("Line"), N_("Added"), N_("Name"), N_("Role"), N_("Level"), N_("Partner"), N_("Card"),
                              N_("Problems")},
                             store);
    g_object_unref(store);
    gtk_box_pack_start(GTK_BOX(box), table, TRUE, TRUE, 0);

    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    pending.addbttn = gtk_button_new_with_label(AddLabel(pending.shown).c_str());
    gtk_widget_set_sensitive(pending.addbttn, pending.shown > 0);
    g_signal_connect(pending.addbttn, "clicked", G_CALLBACK(ImportAddBttn), nullptr);
    GtkWidget* cancel = gtk_button_new_with_label(_("Cancel"));
    g_signal_connect(cancel, "clicked", G_CALLBACK(CloseBttn), win);
    gtk_box_pack_start(GTK_BOX(row), pending.addbttn, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(row), cancel, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
    gtk_widget_show_all(win);
    gtk_widget_grab_focus(pending.shown > 0 ? pending.addbttn : cancel);
    gtk_window_present(GTK_WINDOW(win));
}

bool ImportDancersFile(const std::string& path) {
    std::string bytes;
    MemberImport imp = ReadMembersFile(path, &bytes);
    if (!imp.refused.empty()) {
        GtkWarning(_("<%s> cannot be imported: %s. Nothing was changed."), ShownName(path).c_str(), imp.refused.c_str());
        return false;
    }
    ImportPreview(imp, path, bytes);
    return true;
}

void ImportDancersChoose() {
    GtkWidget* dlg = gtk_file_chooser_dialog_new(_("Import dancers from a spreadsheet"), Parent(),
                                                 GTK_FILE_CHOOSER_ACTION_OPEN, _("Cancel"), GTK_RESPONSE_CANCEL,
                                                 _("Open"), GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, _("Spreadsheets (CSV, TSV, text)"));
    for (const char* p : {"*.csv", "*.CSV", "*.tsv", "*.TSV", "*.txt", "*.TXT"}) gtk_file_filter_add_pattern(filter, p);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dlg), filter);
    GtkFileFilter* all = gtk_file_filter_new();
    gtk_file_filter_set_name(all, _("All Files"));
    gtk_file_filter_add_pattern(all, "*");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dlg), all);
    std::string file;
    if (gtk_dialog_run(GTK_DIALOG(dlg)) == GTK_RESPONSE_ACCEPT)
        if (gchar* f = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dlg))) {
            file = f;
            g_free(f);
        }
    gtk_widget_destroy(dlg);
    if (!file.empty()) ImportDancersFile(file);
}

void ExportDancersChoose() {
    GtkWidget* dlg = gtk_file_chooser_dialog_new(_("Export the dancers as CSV"), Parent(), GTK_FILE_CHOOSER_ACTION_SAVE,
                                                 _("Cancel"), GTK_RESPONSE_CANCEL, _("Save"), GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dlg), TRUE);
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dlg), _("members.csv"));
    if (gtk_dialog_run(GTK_DIALOG(dlg)) == GTK_RESPONSE_ACCEPT) {
        gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dlg));
        std::string why;
        if (file && WriteMembersCsv(file, &why))
            GtkTimeNote(3, ngettext("wrote <%s>: %d dancer", "wrote <%s>: %d dancers", RosterCount()),
                        ShownName(file).c_str(), RosterCount());
        else
            GtkWarning("%s", why.c_str());
        g_free(file);
    }
    gtk_widget_destroy(dlg);
}

void AttendanceWindow() {
    const std::string path = AttendanceFilename(outputfilename.empty() ? dfltsavefile : outputfilename);
    std::string why;
    if (!AttendanceRead(path, &shownreport, &why)) {
        GtkWarning(_("The attendance file <%s> cannot be used: %s."), ShownName(path).c_str(), why.c_str());
        return;
    }
    GtkWidget* win = NewWindow(&attendancewin, _("Season attendance"), 1000, 600);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_add(GTK_CONTAINER(win), box);
    GtkWidget* head = gtk_label_new(strprintf(ngettext("%s: %zu evening kept in <%s>", "%s: %zu evenings kept in <%s>",
                                                       shownreport.evenings.size()),
                                              clubname.c_str(), shownreport.evenings.size(), ShownName(path).c_str())
                                        .c_str());
    gtk_widget_set_halign(head, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(box), head, FALSE, FALSE, 0);

    GtkListStore* dancers = gtk_list_store_new(6, G_TYPE_STRING, G_TYPE_INT, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING,
                                               G_TYPE_STRING);
    std::string gone;
    for (const AttendanceDancer& d : shownreport.dancers) {
        GtkTreeIter it;
        gtk_list_store_append(dancers, &it);
        gtk_list_store_set(dancers, &it, 0, AttendanceName(d).c_str(), 1, d.evenings, 2, d.tips, 3,
                           SeasonDate(d.firstday).c_str(), 4, SeasonDate(d.lastday).c_str(), 5, d.gone ? _("yes") : "",
                           -1);
        if (d.gone) gone += (gone.empty() ? "" : ", ") + AttendanceName(d);
    }
    GtkListStore* evenings = gtk_list_store_new(3, G_TYPE_STRING, G_TYPE_INT, G_TYPE_INT);
    for (const AttendanceEvening& e : shownreport.evenings) {
        GtkTreeIter it;
        gtk_list_store_append(evenings, &it);
        gtk_list_store_set(evenings, &it, 0, SeasonDate(e.day).c_str(), 1, e.present, 2, e.tips, -1);
    }
    GtkWidget* paned = gtk_paned_new(GTK_ORIENTATION_HORIZONTAL);
    gtk_paned_pack1(GTK_PANED(paned),
                    Table({N_("Dancer"), N_("Evenings attended"), N_("Tips danced"), N_("First evening"),
                           N_("Last evening"), N_("Not seen for 4 weeks or more")},
                          dancers),
                    TRUE, FALSE);
    gtk_paned_pack2(GTK_PANED(paned), Table({N_("Evening"), N_("Dancers present"), N_("Tips rolled")}, evenings), FALSE,
                    FALSE);
    gtk_paned_set_position(GTK_PANED(paned), 680);
    g_object_unref(dancers);
    g_object_unref(evenings);
    gtk_box_pack_start(GTK_BOX(box), paned, TRUE, TRUE, 0);
    GtkWidget* gonelbl = gtk_label_new(
        (std::string(_("Not seen for 4 weeks or more:")) + " " + (gone.empty() ? _("nobody") : gone)).c_str());
    gtk_label_set_line_wrap(GTK_LABEL(gonelbl), TRUE);
    gtk_widget_set_halign(gonelbl, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(box), gonelbl, FALSE, FALSE, 0);

    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    GtkWidget* save = gtk_button_new_with_label(_("Save as CSV…"));
    g_signal_connect(save, "clicked", G_CALLBACK(AttendanceSaveBttn), nullptr);
    GtkWidget* print = gtk_button_new_with_label(_("Print…"));
    g_signal_connect(print, "clicked", G_CALLBACK(AttendancePrintBttn), nullptr);
    GtkWidget* close = gtk_button_new_with_label(_("Close"));
    g_signal_connect(close, "clicked", G_CALLBACK(CloseBttn), win);
    gtk_box_pack_start(GTK_BOX(row), save, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), print, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(row), close, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
    gtk_widget_show_all(win);
    gtk_window_present(GTK_WINDOW(win));
}
