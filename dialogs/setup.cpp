// SPDX-License-Identifier: GPL-3.0-or-later
// The setup dialog. One top-level window beside the main window; it takes the keyboard while
// it is open. Entries for names apply on Enter, the level, name style, ask policy and the
// switches apply at once, the numbers, the club file, tagging and anonymous dancers apply on
// Done or DoItNow. A number the dialog cannot take is marked where it was typed, with the
// reason beside it, and Done waits until it is mended. Closing the window any way other than
// Done applies nothing more.
#include "dialogs/setup.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "assign/assign.h"
#include "core/settings.h"
#include "core/workfolder.h"
#include "dialogs/dancer.h"
#include "dialogs/spreadsheet.h"
#include "files/clubfile.h"
#include "files/record.h"
#include "files/replay.h"
#include "history/history.h"
#include "registry/registry.h"
#include "server/server.h"
#include "support/helmtext.h"
#include "support/intl.h"

GtkWidget *clubname_entry = nullptr, *caller_entry = nullptr, *maxsquares_entry = nullptr,
          *squaresize_entry = nullptr, *outputfile_entry = nullptr;
GtkWidget* namestylebttn = nullptr;
GtkWidget* namestylebttns[4] = {};
GtkWidget* pgmbttns[PGMQTY] = {};
GtkWidget* anon_entry[ANONENTRYQTY] = {};
GtkWidget* anon_label_cnts[ANONENTRYQTY] = {};
GtkWidget *squaretag_entry = nullptr, *squaretag_clear = nullptr;
GtkWidget *Rflag_bttn = nullptr, *record_bttn = nullptr, *Sflag_bttn = nullptr, *phonepage_bttn = nullptr,
          *mix_bttn = nullptr;
gulong Rflag_sigid = 0, record_sigid = 0, Sflag_sigid = 0, phonepage_sigid = 0, mix_sigid = 0;
int didoutputfile = 0;
GtkWidget* squaretag_dancerslider[SQRTAGQTY] = {};
GtkWidget* squaretag_dancerlabel[SQRTAGQTY] = {};

static void SetNameStyle(int style);
static void ChosenFile(GtkWidget* entry, const std::string& name);

namespace {
GtkWidget* setupwin = nullptr;      // the dialog while it is open
GtkWidget* askbttn = nullptr;
GtkWidget* applybttns[2] = {};      // Done, DoItNow
GtkWidget* clearrfidbttn = nullptr;
GtkWidget* namestylepop = nullptr;  // the name-style pop-up while it is sdpop
GtkWidget* welcomebox = nullptr;    // the greeting of a first start, until it is answered

const char* const namestyles[4] = {"lastname", "lastfi", "firstname", "firstli"};
// The same styles as the operator reads them.
const char* const namestylelabels[4] = {N_("lastname"), N_("lastfi"), N_("firstname"), N_("firstli")};
// The bottom row's buttons (SETUPBTTN order), as their record lines name them.
const char* const cancelnames[] = {"Cancel", "Reset", "Clear Dancers", "Clear Dance Counts", "Clear All Rfid"};

// The number entry of a field of the number check.
GtkWidget* FieldEntry(int f) {
    switch (f) {
        case SF_MAXSQUARES: return maxsquares_entry;
        case SF_SQUARESIZE: return squaresize_entry;
        case SF_TAGSQUARE: return squaretag_entry;
        default: return anon_entry[f - SF_ANON];
    }
}

std::string EntryText(GtkWidget* e) {
    const gchar* t = e ? gtk_entry_get_text(GTK_ENTRY(e)) : nullptr;
    return t ? t : "";
}

std::string Stripped(std::string s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// Sets an entry's text without its "changed" handlers taking it for typing.
void SetEntry(GtkWidget* e, const std::string& text) {
    if (!e) return;
    g_signal_handlers_block_matched(e, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, setupwin);
    gtk_entry_set_text(GTK_ENTRY(e), text.c_str());
    g_signal_handlers_unblock_matched(e, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, setupwin);
}

void SetLabel(GtkWidget* l, const std::string& text) {
    if (l) gtk_label_set_text(GTK_LABEL(l), text.c_str());
}

void SetBttnLabel(GtkWidget* b, const char* text) {
    if (b) gtk_button_set_label(GTK_BUTTON(b), text);
}

// The message beside an entry: a reason in red marks the entry as refused; a remark is plain.
void ShowMessage(GtkWidget* entry, const std::string& text, bool refused) {
    GtkWidget* l = entry ? GTK_WIDGET(g_object_get_data(G_OBJECT(entry), "message")) : nullptr;
    if (!l) return;
    gtk_label_set_text(GTK_LABEL(l), text.c_str());
    g_object_set_data(G_OBJECT(entry), "refused", GINT_TO_POINTER(refused ? 1 : 0));
    GtkStyleContext* ctx = gtk_widget_get_style_context(entry);
    if (refused) gtk_style_context_add_class(ctx, GTK_STYLE_CLASS_ERROR);
    else gtk_style_context_remove_class(ctx, GTK_STYLE_CLASS_ERROR);
    SetWidgetColor(l, refused ? &sqrcolor[COLOR_warning] : &blkgdk);
}

// Checks every number entry, shows each one's message and lets Done and DoItNow be pressed
// only while every entry is taken.
SetupNumbers CheckFields() {
    std::string text[SF_QTY];
    for (int f = 0; f < SF_QTY; ++f) text[f] = EntryText(FieldEntry(f));
    SetupNumbers n = CheckSetupNumbers(text);
    for (int f = 0; f < SF_QTY; ++f) ShowMessage(FieldEntry(f), n.message[f], n.bad[f]);
    for (GtkWidget* b : applybttns)
        if (b) gtk_widget_set_sensitive(b, n.FirstBad() == SF_QTY);
    return n;
}

void FieldChanged(GtkEditable*, gpointer) { CheckFields(); }

// Enter in an entry moves on to the next field once its text is taken; it never closes the
// dialog (a card read ends in Enter too).
void NextField(GtkWidget* entry) {
    bool refused = false;
    SetupMessage(entry, &refused);
    if (!refused && setupwin) gtk_widget_child_focus(setupwin, GTK_DIR_TAB_FORWARD);
}

void NumberEntered(GtkEntry* entry, gpointer) {
    CheckFields();
    NextField(GTK_WIDGET(entry));
}

void Titles() {
    SetWinTitle(setupwin, _(" Setup"));
    SetWinTitle(sdwin, nullptr);
}

// Whether the Output File entry follows the club name as it is typed: only for a club whose
// file is named after it (no club file was read: a file read is the file written), and only
// until the operator types or chooses an output file.
bool outputfollows = false;

bool OutputFollowsClub() {
    return inputfilename.empty() && !OutputFileBound() &&
           (outputfilename == dfltsavefile || outputfilename == ClubFileName(clubname));
}

void ClubTyped(GtkEditable* e, gpointer) {
    if (!outputfollows) return;
    std::string name = Stripped(EntryText(GTK_WIDGET(e)));
    SetEntry(outputfile_entry, ClubFileName(name.empty() ? "None" : name));
}

// The club is renamed; a club without a club file yet has its file named after it (the file
// read or written once stays the club's file).
void SetClubName(const std::string& name) {
    if (inputfilename.empty() && !OutputFileBound() && outputfilename == ClubFileName(clubname))
        outputfilename = dfltsavefile;
    clubname = name.empty() ? "None" : name;
    BuildOutputFilename();
    SetEntry(outputfile_entry, outputfilename);
}

void DestroyPopup() {
    if (!sdpop) return;
    GtkWidget* w = sdpop;
    sdpop = nullptr;
    gtk_widget_destroy(w);
}

// ---- the switches of the bottom row -------------------------------------------------------
// A switch shows its option on by being pressed in, off by standing out, as a light switch
// or a toolbar's toggle does. Another option is one more row here,
// its flag functions and a one-line "toggled" handler.
bool RfidWarnOn() { return Rflag != 0; }
bool RecordOn() { return rflag != nullptr; }
bool StatOn() { return Sflag != 0; }
bool PhonePageOn() { return PhoneServerRunning(); }
bool MixOn() { return mixflag != 0; }

struct OptionSwitch {
    const char* label;
    GtkWidget** bttn;
    gulong* sigid;
    void (*handler)(GtkToggleButton*, void*);
    bool (*on)();
};
const OptionSwitch switches[] = {
    {N_("RfidWarn"), &Rflag_bttn, &Rflag_sigid, ToggleRflag, RfidWarnOn},
    {N_("Record"), &record_bttn, &record_sigid, ToggleRecord, RecordOn},
    {N_("Stat"), &Sflag_bttn, &Sflag_sigid, ToggleSflag, StatOn},
    {N_("Phone Page"), &phonepage_bttn, &phonepage_sigid, TogglePhonePage, PhonePageOn},
    {N_("Mix"), &mix_bttn, &mix_sigid, ToggleMix, MixOn},
};

void ShowSwitch(const OptionSwitch& s) {
    GtkWidget* b = *s.bttn;
    if (!b) return;
    if (*s.sigid) g_signal_handler_block(b, *s.sigid);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b), s.on());
    if (*s.sigid) g_signal_handler_unblock(b, *s.sigid);
}

// ---- showing the state ------------------------------------------------------------------
// A square-tag slot's label: its width is fixed, so the blanks that pad it go.
void SetTagLabel(int slot, std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    SetLabel(squaretag_dancerlabel[slot], text);
}

// The square-tag slot's slider and label: the slider at the dancer's place among the present
// dancers (mapi2sd, built by the caller), or at 0.
void ShowSqrTagSlot(int i) {
    GtkWidget* s = squaretag_dancerslider[i];
    if (!s) return;
    SqrDancer* sd = sqrtag[i].sd;
    int pos = 0;
    for (int k = 1; sd && k < mapi2sdqty; ++k)
        if (mapi2sd[k] == sd) pos = k;
    g_signal_handlers_block_by_func(s, (gpointer)SqrTagSlider, GINT_TO_POINTER(i));
    gtk_range_set_value(GTK_RANGE(s), pos);
    g_signal_handlers_unblock_by_func(s, (gpointer)SqrTagSlider, GINT_TO_POINTER(i));
    SetTagLabel(i, SqrTagSliderLabel(sd));
}

// What the roster decides: the anonymous counts, the next number, the sliders, the card button.
void ShowRoster() {
    for (int i = 0; i < ANONENTRYQTY - 1; ++i) SetLabel(anon_label_cnts[i], strprintf("%d", anoncounts[i]));
    SetLabel(anon_label_cnts[ANONENTRYQTY - 1], strprintf("%d", anoncnt + 1));
    SetEntry(anon_entry[ANONENTRYQTY - 1], strprintf("%d", anoncnt + 1));
    SetupSqrTagSliders();
    if (clearrfidbttn) gtk_widget_set_visible(clearrfidbttn, varhash != nullptr);
    CheckFields();
}

// Every widget from the state (the roster's part included); no handler takes it for input.
void ShowSetupState() {
    SetEntry(clubname_entry, clubname.empty() ? "None" : clubname);
    SetEntry(caller_entry, caller.empty() ? "None" : caller);
    SetEntry(maxsquares_entry, strprintf("%d", maxsquares));
    SetEntry(squaresize_entry, strprintf("%d", squaresize));
    SetEntry(outputfile_entry, outputfilename);
    ShowMessage(outputfile_entry, "", false);
    SetBttnLabel(namestylebttn, dispnamestyle >= 0 && dispnamestyle < 4 ? _(namestylelabels[dispnamestyle]) : strdispnamestyle());
    SetBttnLabel(askbttn, askflag ? _("ask") : _("use outdancer"));
    if (GtkWidget* b = pgmfloor >= 0 && pgmfloor < PGMQTY ? pgmbttns[pgmfloor] : nullptr) {
        g_signal_handlers_block_by_func(b, (gpointer)SetupPgmRadioBttn, GINT_TO_POINTER(pgmfloor));
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b), TRUE);
        g_signal_handlers_unblock_by_func(b, (gpointer)SetupPgmRadioBttn, GINT_TO_POINTER(pgmfloor));
    }
    for (const OptionSwitch& s : switches) ShowSwitch(s);
    for (int i = 0; i < ANONENTRYQTY - 1; ++i) SetEntry(anon_entry[i], "0");
    int tagsquare = 1;
    for (const SquareTag& t : sqrtag)
        if (t.sd && t.isqr >= 0) tagsquare = t.isqr + 1;
    SetEntry(squaretag_entry, strprintf("%3d", tagsquare));
    ShowRoster();
}

// ---- building ----------------------------------------------------------------------------
GtkWidget* Box(GtkOrientation o, int spacing) { return gtk_box_new(o, spacing); }

void Pack(GtkWidget* box, GtkWidget* child) { gtk_box_pack_start(GTK_BOX(box), child, TRUE, TRUE, sp2); }

GtkWidget* Label(const char* text, const PangoFontDescription* font) {
    GtkWidget* l = gtk_label_new(text);
    if (font) SetWidgetFont(l, font);
    return l;
}

GtkWidget* Framed(GtkWidget* child) {
    GtkWidget* f = gtk_frame_new(nullptr);
    gtk_container_add(GTK_CONTAINER(f), child);
    return f;
}

// An entry with its message label below it; "changed" rechecks the numbers when asked.
GtkWidget* Entry(GtkWidget* box, GtkWidget** entry, int width, bool number) {
    *entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(*entry), width);
    GtkWidget* msg = gtk_label_new("");
    gtk_label_set_line_wrap(GTK_LABEL(msg), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(msg), std::max(width, 16));
    g_object_set_data(G_OBJECT(*entry), "message", msg);
    GtkWidget* v = Box(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(v), *entry, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(v), msg, FALSE, FALSE, 0);
    Pack(box, v);
    if (number) {
        g_signal_connect(*entry, "changed", G_CALLBACK(FieldChanged), setupwin);
        if (entry != &anon_entry[ANONENTRYQTY - 1])
            g_signal_connect(*entry, "activate", G_CALLBACK(NumberEntered), setupwin);
    }
    return *entry;
}

// A label over its entry, which goes by the label's name (for a screen reader too).
GtkWidget* TitledEntry(GtkWidget* box, const char* title, const PangoFontDescription* font, GtkWidget** entry,
                       int width, bool number) {
    GtkWidget* l = Label(title, font);
    Pack(box, l);
    Entry(box, entry, width, number);
    gtk_label_set_mnemonic_widget(GTK_LABEL(l), *entry);
    atk_object_set_name(gtk_widget_get_accessible(*entry), title);
    return *entry;
}

GtkWidget* Button(const char* label, GCallback handler, int psd) {
    GtkWidget* b = gtk_button_new_with_label(label);
    g_signal_connect(b, "clicked", handler, GINT_TO_POINTER(psd));
    return b;
}

// Square tagging: the four slots one under the other (a label over its slider), the tagged
// square and the button that clears the tags; narrow, so that the dialog fits a small screen.
GtkWidget* TaggingColumn(const PangoFontDescription* font) {
    GtkWidget* col = Box(GTK_ORIENTATION_VERTICAL, sp2);
    Pack(col, Label(_("Square Tagging"), font));
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_homogeneous(GTK_GRID(grid), TRUE);
    gtk_grid_set_row_spacing(GTK_GRID(grid), sp10);
    // 250 pixels on the widest screens, less on smaller ones, so the dialog fits the screen.
    int width = std::max(100, (int)(250 * (res ? res->sf : 1.0) + 0.5));
    for (int i = 0; i < SQRTAGQTY; ++i) {
        GtkWidget* l = squaretag_dancerlabel[i] = Label("", font);
        GtkWidget* s = squaretag_dancerslider[i] = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 1, 1);
        gtk_scale_set_digits(GTK_SCALE(s), 0);
        gtk_widget_set_size_request(l, width, -1);
        gtk_widget_set_size_request(s, width, -1);
        // A long name is cut short rather than widening the dialog off the screen.
        gtk_label_set_ellipsize(GTK_LABEL(l), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(l), 1);
        gtk_label_set_xalign(GTK_LABEL(l), 0);
        g_signal_connect(s, "value-changed", G_CALLBACK(SqrTagSlider), GINT_TO_POINTER(i));
        GtkWidget* pair = Box(GTK_ORIENTATION_VERTICAL, 0);
        gtk_box_pack_start(GTK_BOX(pair), l, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(pair), s, FALSE, FALSE, 0);
        gtk_grid_attach(GTK_GRID(grid), pair, 0, i, 1, 1);
    }
    Pack(col, grid);
    GtkWidget* row = Box(GTK_ORIENTATION_HORIZONTAL, sp5);
    gtk_box_pack_start(GTK_BOX(row), Label(_("Tagged Square: "), font), FALSE, FALSE, sp2);
    Entry(row, &squaretag_entry, 4, true);
    GtkWidget* cell = gtk_widget_get_parent(squaretag_entry);
    gtk_box_set_child_packing(GTK_BOX(row), cell, FALSE, FALSE, sp2, GTK_PACK_START);
    gtk_widget_set_valign(cell, GTK_ALIGN_CENTER);
    Pack(col, row);
    squaretag_clear = Button(_("Clear Square Tagging"), G_CALLBACK(SqrTaggingClearBttn), 0);
    gtk_box_pack_start(GTK_BOX(col), squaretag_clear, FALSE, FALSE, sp2);
    return Framed(col);
}

GtkWidget* ClubColumn(const PangoFontDescription* font) {
    GtkWidget* col = Box(GTK_ORIENTATION_VERTICAL, sp2);
    TitledEntry(col, _("Club Name"), font, &clubname_entry, 14, false);
    g_signal_connect(clubname_entry, "activate", G_CALLBACK(ClubEntry), clubname_entry);
    g_signal_connect(clubname_entry, "changed", G_CALLBACK(ClubTyped), setupwin);
    TitledEntry(col, _("Caller"), font, &caller_entry, 14, false);
    g_signal_connect(caller_entry, "activate", G_CALLBACK(CallerEntry), caller_entry);
    TitledEntry(col, _("Max Squares"), font, &maxsquares_entry, 5, true);
    TitledEntry(col, _("Square Size"), font, &squaresize_entry, 5, true);
    Pack(col, Label(_("Name Style"), font));
    Pack(col, namestylebttn = Button("", G_CALLBACK(NameStyleBttn), 0));
    Pack(col, Label(_("Ask/Use Outdancer"), font));
    Pack(col, askbttn = Button("", G_CALLBACK(AskBttn), 0));
    Pack(col, Label(_("New Square Dancers"), font));
    Pack(col, Button(_("New Square Dancers"), G_CALLBACK(SetupNewSqrDancerBttn), 0));
    for (GtkWidget* b : {namestylebttn, askbttn})
        if (font) SetWidgetFont(b, font);
    return col;
}

GtkWidget* PgmColumn(const PangoFontDescription* font) {
    GtkWidget* col = Box(GTK_ORIENTATION_VERTICAL, sp2);
    Pack(col, Label(_("Minimum Pgm"), font));
    GSList* group = nullptr;
    for (int p = Basic; p < PGMQTY; ++p) {
        GtkWidget* b = pgmbttns[p] = gtk_radio_button_new_with_label(group, strpgm(p));
        group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(b));
        g_signal_connect(b, "toggled", G_CALLBACK(SetupPgmRadioBttn), GINT_TO_POINTER(p));
        Pack(col, b);
    }
    return Framed(col);
}

// The content scrolls on a screen too small for it.
GtkWidget* FitScreen(GtkWidget* content) {
    GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
    GtkScrolledWindow* s = GTK_SCROLLED_WINDOW(sw);
    gtk_scrolled_window_set_policy(s, GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_overlay_scrolling(s, FALSE);  // a scroll bar that shows there is more
    gtk_scrolled_window_set_propagate_natural_width(s, TRUE);
    gtk_scrolled_window_set_propagate_natural_height(s, TRUE);
    GdkMonitor* m = gdk_display_get_monitor(gdk_display_get_default(), 0);
    if (m) {
        GdkRectangle area;
        gdk_monitor_get_workarea(m, &area);
        gtk_scrolled_window_set_max_content_width(s, std::max(200, area.width - 2 * sp10));
        gtk_scrolled_window_set_max_content_height(s, std::max(200, area.height - 2 * sp10));
    }
    gtk_container_add(GTK_CONTAINER(sw), content);
    return sw;
}

// The anonymous dancers: for each kind a label over its count, and an entry for how many more.
GtkWidget* AnonColumns(const PangoFontDescription* font) {
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), sp2);
    gtk_grid_set_column_spacing(GTK_GRID(grid), sp5);
    static const int order[ANONENTRYQTY] = {5, 0, 1, 2, 3, 4, 6};
    for (int row = 0; row < ANONENTRYQTY; ++row) {
        int i = order[row];
        std::string text = i == 5 ? _("Anon Couples") : i == 6 ? _("Next Anon") : strprintf(_("Anon Singles %s"), strsex(i));
        GtkWidget* labels = Box(GTK_ORIENTATION_VERTICAL, sp2);
        gtk_widget_set_valign(labels, GTK_ALIGN_CENTER);
        Pack(labels, Label(text.c_str(), font));
        Pack(labels, anon_label_cnts[i] = Label("0", font));
        gtk_grid_attach(GTK_GRID(grid), labels, 0, row, 1, 1);
        GtkWidget* cell = Box(GTK_ORIENTATION_VERTICAL, sp2);
        gtk_widget_set_valign(cell, GTK_ALIGN_CENTER);
        Entry(cell, &anon_entry[i], 5, true);
        gtk_grid_attach(GTK_GRID(grid), cell, 1, row, 1, 1);
    }
    g_signal_connect(anon_entry[ANONENTRYQTY - 1], "activate", G_CALLBACK(AnonEntry), nullptr);
    return grid;
}

GtkWidget* FilesColumn(const PangoFontDescription* font) {
    GtkWidget* col = Box(GTK_ORIENTATION_VERTICAL, sp2);
    Pack(col, Label(_("Dorvels' File Selector"), font));
    char dirbuf[2048];
    const char* cwd = getcwd(dirbuf, sizeof dirbuf);
    GtkWidget* dir = gtk_file_chooser_button_new(_("Dorvels Directory"), GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
    GtkWidget* file = gtk_file_chooser_button_new(_("Dorvels Data File"), GTK_FILE_CHOOSER_ACTION_OPEN);
    for (GtkWidget* c : {dir, file}) {
        if (cwd) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(c), cwd);
        gtk_file_chooser_button_set_width_chars(GTK_FILE_CHOOSER_BUTTON(c), 12);
    }
    static const char* const filters[][2] = {{N_("Dorvels Data"), "*.dorvel"}, {N_("All Files"), "*"}};
    for (const auto& f : filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, _(f[0]));
        gtk_file_filter_add_pattern(filter, f[1]);
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(file), filter);
    }
    if (access(outputfilename.c_str(), R_OK) == 0)
        if (char* full = realpath(outputfilename.c_str(), nullptr)) {
            gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(file), full);
            free(full);
        }
    Pack(col, dir);
    Pack(col, file);
    TitledEntry(col, _("Output File"), font, &outputfile_entry, 16, false);
    // Only the operator's choice counts: "file-set" comes from the chooser's own dialog.
    g_signal_connect(dir, "file-set", G_CALLBACK(ChooserDir), file);
    g_signal_connect(file, "file-set", G_CALLBACK(ChooserFile), outputfile_entry);
    g_signal_connect(outputfile_entry, "changed", G_CALLBACK(+[](GtkEditable*, gpointer) {
                         didoutputfile = 1;  // a typed name is a choice too
                         outputfollows = false;
                         ShowMessage(outputfile_entry, "", false);
                     }),
                     setupwin);
    return col;
}

// The greeting of a first start: a short line and the two ways to begin.
GtkWidget* WelcomeBox(const PangoFontDescription* font) {
    GtkWidget* box = Box(GTK_ORIENTATION_HORIZONTAL, sp5);
    GtkWidget* line = Label(_("Welcome to Dorvels! Open the sample club to try the program, or start a new club: "
                            "type its name and caller below and press Done."),
                            font);
    gtk_label_set_line_wrap(GTK_LABEL(line), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(line), 60);
    gtk_box_pack_start(GTK_BOX(box), line, TRUE, TRUE, sp2);
    gtk_box_pack_start(GTK_BOX(box), Button(_("Open the Sample Club"), G_CALLBACK(SetupWelcomeBttn), WELCOME_SAMPLE),
                       FALSE, FALSE, sp2);
    gtk_box_pack_start(GTK_BOX(box), Button(_("Start a New Club"), G_CALLBACK(SetupWelcomeBttn), WELCOME_NEW), FALSE,
                       FALSE, sp2);
    return Framed(box);
}

// The dialog's own buttons: Done and DoItNow at the start, the spreadsheet buttons, Cancel at
// the end.
GtkWidget* ButtonRow() {
    GtkWidget* row = Box(GTK_ORIENTATION_HORIZONTAL, sp5);
    applybttns[0] = Button(_("Done"), G_CALLBACK(SetupDispDoneBttn), 0);
    applybttns[1] = Button(_("DoItNow"), G_CALLBACK(SetupDispDoneBttn), 1);
    for (GtkWidget* b : applybttns) gtk_box_pack_start(GTK_BOX(row), b, FALSE, FALSE, sp2);
    // The roster from and to a spreadsheet: after Done in the keyboard's order, so that Tab
    // from the fields still reaches Done first.
    gtk_box_pack_start(GTK_BOX(row), Button(_("Import dancers…"), G_CALLBACK(SetupImportBttn), 0), FALSE, FALSE, sp10);
    gtk_box_pack_start(GTK_BOX(row), Button(_("Export dancers…"), G_CALLBACK(SetupExportBttn), 0), FALSE, FALSE, sp2);
    gtk_box_pack_end(GTK_BOX(row), Button(_("Cancel"), G_CALLBACK(SetupDispCancelBttn), SETUP_CANCEL), FALSE, FALSE, sp2);
    return row;
}

// Below the dialog's buttons, apart from them: the switches of the evening, and in a frame of
// their own the buttons that throw something away (each asks first).
GtkWidget* OptionRow() {
    GtkWidget* row = Box(GTK_ORIENTATION_HORIZONTAL, sp10);
    GtkWidget* options = Box(GTK_ORIENTATION_HORIZONTAL, sp5);
    for (const OptionSwitch& s : switches) {
        *s.bttn = gtk_toggle_button_new_with_label(_(s.label));
        ShowSwitch(s);
        *s.sigid = g_signal_connect(*s.bttn, "toggled", G_CALLBACK(s.handler), nullptr);
        gtk_box_pack_start(GTK_BOX(options), *s.bttn, FALSE, FALSE, 0);
    }
    gtk_widget_set_valign(options, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(row), options, FALSE, FALSE, 0);

    GtkWidget* clears = Box(GTK_ORIENTATION_HORIZONTAL, sp5);
    gtk_container_set_border_width(GTK_CONTAINER(clears), sp4);
    static const char* const labels[] = {N_("Reset"), N_("Clear Dancers"), N_("Clear Dance Counts")};
    for (int psd = SETUP_RESET; psd <= SETUP_CLEARCOUNTS; ++psd)
        gtk_box_pack_start(GTK_BOX(clears), Button(_(labels[psd - SETUP_RESET]), G_CALLBACK(SetupDispCancelBttn), psd),
                           FALSE, FALSE, 0);
    clearrfidbttn = Button(_("Clear All Rfid"), G_CALLBACK(SetupDispCancelBttn), SETUP_CLEARRFID);
    gtk_widget_set_no_show_all(clearrfidbttn, TRUE);  // shown only while there is a card table
    gtk_box_pack_start(GTK_BOX(clears), clearrfidbttn, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(row), Framed(clears), FALSE, FALSE, 0);
    return row;
}

// "destroy": the dialog is gone, whoever closed it; only forget it and give the keyboard back.
void SetupGone(GtkWidget* w, gpointer) {
    if (sdnew == w) sdnew = nullptr;
    setupwin = askbttn = clearrfidbttn = welcomebox = nullptr;
    clubname_entry = caller_entry = maxsquares_entry = squaresize_entry = outputfile_entry = nullptr;
    namestylebttn = squaretag_entry = squaretag_clear = nullptr;
    for (const OptionSwitch& s : switches) {
        *s.bttn = nullptr;
        *s.sigid = 0;
    }
    std::fill(std::begin(applybttns), std::end(applybttns), nullptr);
    std::fill(std::begin(pgmbttns), std::end(pgmbttns), nullptr);
    std::fill(std::begin(anon_entry), std::end(anon_entry), nullptr);
    std::fill(std::begin(anon_label_cnts), std::end(anon_label_cnts), nullptr);
    std::fill(std::begin(squaretag_dancerslider), std::end(squaretag_dancerslider), nullptr);
    std::fill(std::begin(squaretag_dancerlabel), std::end(squaretag_dancerlabel), nullptr);
    if (sdpop && sdpop == namestylepop) DestroyPopup();
    KeybrdHandlerRestore();
}

// The window manager's close and Escape are Cancel.
gboolean SetupDeleted(GtkWidget*, GdkEvent*, gpointer) {
    SetupDispCancelBttn(nullptr, GINT_TO_POINTER(SETUP_CANCEL));
    return TRUE;
}

gboolean SetupKeyPress(GtkWidget*, GdkEventKey* event, gpointer) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    SetupDispCancelBttn(nullptr, GINT_TO_POINTER(SETUP_CANCEL));
    return TRUE;
}

// A short modal question before something is thrown away; Cancel is the answer to Enter,
// Escape and closing. True when the operator confirmed with the button `action`.
bool AskConfirm(const char* action, const std::string& question);

bool Confirm(const char* action, const std::string& question) {
    // The answer is recorded; a replay takes it from the record instead of asking.
    bool yes = Replaying() ? ReplayAnswer("Confirm") == std::string(action) + ": yes" : AskConfirm(action, question);
    Record("(Confirm) %s: %s\n", action, yes ? "yes" : "no");
    return yes && setupwin;
}

bool AskConfirm(const char* action, const std::string& question) {
    GtkWidget* dlg = gtk_dialog_new_with_buttons(
        _(action), setupwin ? GTK_WINDOW(setupwin) : nullptr,
        GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), _("Cancel"),
        GTK_RESPONSE_CANCEL, _(action), GTK_RESPONSE_ACCEPT, nullptr);
    GtkWidget* lbl = gtk_label_new(question.c_str());
    g_object_set(lbl, "margin", sp10, nullptr);
    if (lblfont2) SetWidgetFont(lbl, lblfont2);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dlg))), lbl);
    // The question goes with the dialog when the setup window is destroyed meanwhile.
    return RunQuestion(dlg, GTK_RESPONSE_CANCEL) == GTK_RESPONSE_ACCEPT;
}

std::string Dancers(int n) { return strprintf(ngettext("%d dancer", "%d dancers", n), n); }
std::string Tips(int n) { return strprintf(ngettext("%d tip", "%d tips", n), n); }

int TipCount() {
    int n = 0;
    for (History* h = histhd; h; h = h->nxt) ++n;
    return n;
}

int CardCount() {
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) n += sd->rfid != 0;
    return n;
}

// Runs a button of the bottom row that throws data away, after asking when there is any.
void ClearButton(int psd) {
    bool counts = tipcnt > 0 || histhd;
    for (SqrDancer* sd = sdhd; sd && !counts; sd = sd->nxt) counts = sd->dances != 0;
    std::string what = strprintf(_("the roster (%s) and the history (%s)"), Dancers(RosterCount()).c_str(),
                                 Tips(TipCount()).c_str());
    // The action names the button; its record line keeps the English name.
    const char* action = N_("Reset");
    std::string question;
    switch (psd) {
        case SETUP_RESET:
            if (sdhd || histhd) question = strprintf(_("Remove %s,\nand forget the club's name, caller and level?"), what.c_str());
            break;
        case SETUP_CLEARDANCERS:
            action = N_("Clear Dancers");
            if (sdhd || histhd) question = strprintf(_("Remove %s?"), what.c_str());
            break;
        case SETUP_CLEARCOUNTS:
            action = N_("Clear Dance Counts");
            if (counts)
                question = strprintf(_("Set every dance count back to 0 and delete the history (%s)?"), Tips(TipCount()).c_str());
            break;
        default:
            action = N_("Clear All Rfid");
            if (CardCount())
                question = strprintf(ngettext("Take the card away from %d dancer?\nCommand cards stay.",
                                              "Take the cards away from %d dancers?\nCommand cards stay.", CardCount()),
                                     CardCount());
            break;
    }
    if (!question.empty() && !Confirm(action, question)) return;
    switch (psd) {
        case SETUP_RESET:
            ResetSetup();
            didoutputfile = 0;
            ShowSetupState();
            outputfollows = OutputFollowsClub();
            Titles();  // no club and no caller any more
            break;
        case SETUP_CLEARDANCERS:
            ClearRoster();
            ShowRoster();
            break;
        case SETUP_CLEARCOUNTS: ClearDanceCounts(); break;
        default:
            ClearAllRfid();
            ShowRoster();
            break;
    }
}

// Names of the number fields in the record line of Done, in field order.
const char* const fieldnames[SF_QTY] = {"maxsquares", "squaresize", "tagsquare", "M", "F", "MF", "FM", "E",
                                        "couples", "next"};

// What the operator typed into the dialog, as the fields of Done's record line, so that a
// replay applies the same: the names, the numbers, and the club file when one was chosen.
std::string TypedFields() {
    std::string t = strprintf("club<%s> caller<%s>", EntryText(clubname_entry).c_str(), EntryText(caller_entry).c_str());
    for (int f = 0; f < SF_QTY; ++f) t += strprintf(" %s<%s>", fieldnames[f], EntryText(FieldEntry(f)).c_str());
    if (didoutputfile) t += strprintf(" file<%s>", EntryText(outputfile_entry).c_str());
    return t;
}

// Applies the numbers, the club file, tagging and the names. False when something could not
// be taken: its entry then says why, has the focus, and nothing has been applied. `button`
// names the button in the record line.
bool ApplySetup(const char* button) {
    SetupNumbers n = CheckFields();
    if (int bad = n.FirstBad(); bad < SF_QTY) {
        gtk_widget_grab_focus(FieldEntry(bad));
        return false;
    }
    Record("(SetupDispDoneBttn) %s %s\n", button, TypedFields().c_str());
    if (didoutputfile) {
        std::string name = Stripped(EntryText(outputfile_entry));
        bool read = false;
        std::string why = ChooseClubFile(name.empty() ? dfltsavefile : name, &read);
        if (!why.empty()) {
            ShowMessage(outputfile_entry, why, true);
            gtk_widget_grab_focus(outputfile_entry);
            return false;
        }
        didoutputfile = 0;
        if (read) {
            ShowSetupState();  // the club just read, and no anonymous dancers to make
            outputfollows = false;  // the file read is the file written
            n = CheckFields();
            // What reading found: the problems of its lines, with what was kept.
            std::string notice = TakeClubFileNotice();
            if (!notice.empty()) GtkWarningText(notice);
        }
    }
    anoncnt = n.value[SF_NEXTANON] - 1;
    if (int made = NewAnonDancers(n)) {
        dispnamestyle = LASTNAME;
        AnonCouple(n.value[SF_COUPLES], pgmfloor);
        const int* single = n.value + SF_ANON;
        AnonSingle(single[M], single[F], single[MF], single[FM], single[E], pgmfloor);
        UpdSquareTagSliders(made);
    }
    for (int i = 0; i < ANONENTRYQTY - 1; ++i) SetEntry(anon_entry[i], "0");
    SqrTagApplySquare(n.value[SF_TAGSQUARE]);
    maxsquares = n.value[SF_MAXSQUARES];
    squaresize = n.value[SF_SQUARESIZE] + n.value[SF_SQUARESIZE] % 2;
    SetEntry(squaresize_entry, strprintf("%d", squaresize));
    caller = Stripped(EntryText(caller_entry));
    if (caller.empty()) caller = "None";
    SetClubName(Stripped(EntryText(clubname_entry)));
    Titles();
    SetupDispNames();
    SortByName();
    SetBttnLabel(namestylebttn, dispnamestyle >= 0 && dispnamestyle < 4 ? _(namestylelabels[dispnamestyle]) : strdispnamestyle());
    ShowRoster();
    return true;
}
}  // namespace

// ---- the dialog ----------------------------------------------------------------------------
bool SetupOpen() { return setupwin != nullptr; }

std::string SetupMessage(GtkWidget* entry, bool* refused) {
    GtkWidget* l = entry ? GTK_WIDGET(g_object_get_data(G_OBJECT(entry), "message")) : nullptr;
    if (refused) *refused = entry && g_object_get_data(G_OBJECT(entry), "refused");
    return l ? gtk_label_get_text(GTK_LABEL(l)) : "";
}

// The display shown before the dialog opened, shown again when it closes: mid-evening the
// hall keeps its squares.
static EDITMODE setupfrom = EDIT;

static void ReturnFromSetup() {
    EDITMODE from = setupfrom;
    setupfrom = EDIT;
    if (from == SQUARES && tipcnt > 0 && LastRollRepeatable() && sdhd) {
        RepeatRollDisplay();  // the same tip again, not a new roll
        SwitchDisplay(SQUARES);
    } else if ((from == SQUARES || from == HISTORY) && tipcnt > 0 && histtl && sdhd)
        HistoryChange(0);  // the newest tip, as c shows it
    else if (from == PRESENT && sdhd)
        SwitchDisplay(PRESENT);
    else
        SwitchDisplay(EDIT);
}

void SetupDisplay(EDITMODE neweditmode) {
    edbg("SetupDisplay(neweditmode=%d)", (int)neweditmode);
    if (editmode != SETUP) setupfrom = editmode;
    DestroyPopup();
    MenuDestroy();
    if (sdnew) {
        GtkWidget* old = sdnew;
        sdnew = nullptr;
        gtk_widget_destroy(old);
    }
    KeybrdHandlerSuspend();
    PangoFontDescription* font = R && !R->lblfont1.empty() ? pango_font_description_from_string(R->lblfont1.c_str()) : nullptr;

    GtkWidget* win = sdnew = setupwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_set_border_width(GTK_CONTAINER(win), sp10);
    Titles();
    DialogOverMain(win);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(win), TRUE);
    g_signal_connect(win, "destroy", G_CALLBACK(SetupGone), nullptr);
    g_signal_connect(win, "delete-event", G_CALLBACK(SetupDeleted), nullptr);
    g_signal_connect(win, "key-press-event", G_CALLBACK(SetupKeyPress), nullptr);
    if (!clubname.empty()) BuildOutputFilename();

    GtkWidget* top = Box(GTK_ORIENTATION_VERTICAL, sp5);
    GtkWidget* about = Box(GTK_ORIENTATION_VERTICAL, sp2);
    if (access("dorvelsiconsmall.gif", R_OK) == 0) Pack(about, gtk_image_new_from_file("dorvelsiconsmall.gif"));
    Pack(about, gtk_label_new(strprintf(_("Version:  %d"), 14).c_str()));
    Pack(top, about);
    if (FirstStart() && !sdhd) Pack(top, welcomebox = WelcomeBox(font));
    GtkWidget* columns = Box(GTK_ORIENTATION_HORIZONTAL, sp5);
    Pack(columns, TaggingColumn(font));
    Pack(columns, ClubColumn(font));
    Pack(columns, PgmColumn(font));
    Pack(columns, AnonColumns(font));
    Pack(columns, FilesColumn(font));
    Pack(top, columns);
    gtk_box_pack_start(GTK_BOX(top), ButtonRow(), FALSE, FALSE, sp2);
    gtk_box_pack_start(GTK_BOX(top), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, sp2);
    gtk_box_pack_start(GTK_BOX(top), OptionRow(), FALSE, FALSE, sp2);
    gtk_container_add(GTK_CONTAINER(win), FitScreen(top));
    if (font) pango_font_description_free(font);

    // Numbers typed into names ("Couple#003") or read are taken: the next one is free.
    anoncnt = std::max(anoncnt, HighestAnonNumber());
    ShowSetupState();
    outputfollows = OutputFollowsClub();
    editmode = SETUP;
    gtk_widget_show_all(win);
    gtk_widget_grab_focus(clubname_entry);
    gtk_window_present(GTK_WINDOW(win));  // the keyboard goes to the dialog
    rdbg("SetupDisplay");
}

void SetupDispDoneBttn(GtkWidget* bttn, void* psd) {
    if (!setupwin || !ApplySetup(GPOINTER_TO_INT(psd) == 0 ? "Done" : "DoItNow")) return;
    if (GPOINTER_TO_INT(psd) == 0) SetupDispCancelBttn(bttn, GINT_TO_POINTER(SETUP_CANCEL));
}

void SetupDispCancelBttn(GtkWidget*, void* psd) {
    // A question of a button below runs a main loop of its own: a second press, or the window
    // closed meanwhile, must not act in the middle of the first.
    static int nesting = 0;
    int what = GPOINTER_TO_INT(psd);
    Record("(SetupDispCancelBttn) %s\n", what >= SETUP_CANCEL && what <= SETUP_CLEARRFID ? cancelnames[what] : "Cancel");
    if (nesting > 0 || !setupwin) return;
    ++nesting;
    DestroyPopup();
    if (what > SETUP_CANCEL && what <= SETUP_CLEARRFID) {
        ClearButton(what);
    } else {
        GtkWidget* w = setupwin;
        sdnew = nullptr;
        gtk_widget_destroy(w);
        ReturnFromSetup();
        if (sdwin) {
            gtk_widget_show_all(sdwin);
            gtk_window_present(GTK_WINDOW(sdwin));  // and the keyboard back to the hotkeys
        }
    }
    --nesting;
}

void SetupNewSqrDancerBttn(GtkWidget*, void*) {
    Record("(SetupNewSqrDancerBttn)\n");
    DestroyPopup();
    if (setupwin) {
        if (!ApplySetup("New")) return;
        GtkWidget* w = setupwin;
        sdnew = nullptr;
        gtk_widget_destroy(w);
    }
    if (editmode != EDIT) SwitchDisplay(EDIT);
    NewSqrDancerDisplay();
}

void SetupImportBttn(GtkWidget*, void*) {
    Record("(SetupImportBttn)\n");
    DestroyPopup();
    // As for a new dancer: the setup is applied and closed, the roster shown, then the file
    // is chosen and its preview opens.
    if (setupwin) {
        if (!ApplySetup("Import")) return;
        GtkWidget* w = setupwin;
        sdnew = nullptr;
        gtk_widget_destroy(w);
    }
    if (editmode != EDIT) SwitchDisplay(EDIT);
    // A replay adds the dancers where the preview's button was pressed (its own line).
    if (!Replaying()) ImportDancersChoose();
}

void SetupExportBttn(GtkWidget*, void*) { ExportDancersChoose(); }

void SetupWelcomeBttn(GtkWidget*, void* psd) {
    bool sample = GPOINTER_TO_INT(psd) == WELCOME_SAMPLE;
    Record("(SetupWelcomeBttn) %s\n", sample ? "sample" : "new");
    if (!setupwin) return;
    if (sample) {
        // Looked for first, so that a sample that is missing changes nothing.
        FILE* fp = fopenx(samplefile, "r", "dorvel", "DORVELS");
        if (!fp) {
            GtkWarning(_("The sample club <%s> was not found: start a new club instead."), samplefile);
            return;
        }
        fclose(fp);
        bool read = false;
        std::string why = ChooseClubFile(samplefile, &read);
        if (!why.empty() || !read) {
            GtkWarning(_("The sample club could not be opened: %s"), why.c_str());
            return;
        }
        EndFirstStart();
        std::string notice = TakeClubFileNotice();
        SetupDispCancelBttn(nullptr, GINT_TO_POINTER(SETUP_CANCEL));  // to the roster just read
        if (!notice.empty()) GtkWarningText(notice);
        return;
    }
    EndFirstStart();
    if (welcomebox) gtk_widget_destroy(welcomebox);
    welcomebox = nullptr;
    gtk_widget_grab_focus(clubname_entry);
}

void AskBttn(GtkWidget* bttn, void*) {
    askflag = !askflag;
    Record("(AskBttn) askflag=%d\n", askflag);
    SetBttnLabel(bttn, askflag ? _("Ask") : _("Use Outdancer"));
}

void NameStyleBttn(GtkWidget*, void*) {
    // An open pop-up (this one, or a note the operator has not read yet) stays as it is.
    if (sdpop) return;
    GtkWidget* pop = sdpop = namestylepop = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_container_set_border_width(GTK_CONTAINER(pop), sp10);
    PopupBelongs(pop, true, setupwin);
    g_signal_connect(pop, "destroy", G_CALLBACK(+[](GtkWidget* w, gpointer) {
                         std::fill(std::begin(namestylebttns), std::end(namestylebttns), nullptr);
                         if (namestylepop == w) namestylepop = nullptr;
                         if (sdpop == w) sdpop = nullptr;
                     }),
                     nullptr);
    GtkWidget* box = Box(GTK_ORIENTATION_VERTICAL, sp2);
    GSList* group = nullptr;
    for (int i = 0; i < 4; ++i) {
        GtkWidget* b = namestylebttns[i] = gtk_radio_button_new_with_label(group, _(namestylelabels[i]));
        group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(b));
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b), i == dispnamestyle);
        g_signal_connect(b, "toggled", G_CALLBACK(NameStyleRadioBttn), GINT_TO_POINTER(i));
        Pack(box, b);
    }
    Pack(box, Button(_("Done"), G_CALLBACK(NameStyleDoneBttn), 0));
    gtk_container_add(GTK_CONTAINER(pop), box);
    gtk_widget_show_all(box);
    PlaceOverParent(pop);
    gtk_widget_show(pop);
}

void NameStyleRadioBttn(GtkToggleButton* bttn, void* index) {
    if (!gtk_toggle_button_get_active(bttn)) return;
    SetNameStyle(GPOINTER_TO_INT(index));
}

static void SetNameStyle(int style) {
    dispnamestyle = static_cast<DISPNAME>(style);
    SetBttnLabel(namestylebttn, dispnamestyle >= 0 && dispnamestyle < 4 ? _(namestylelabels[dispnamestyle]) : strdispnamestyle());
    SetupDispNames();
    SortByName();
    Record("(NameStyleRadioBttn) dispnamestyle<%s>\n", strdispnamestyle());
    if (setupwin) SetupSqrTagSliders();  // the labels show display names
}

void NameStyleDoneBttn(GtkWidget*, void*) {
    Record("(NameStyleDoneBttn)\n");
    DestroyPopup();
    SetBttnLabel(namestylebttn, dispnamestyle >= 0 && dispnamestyle < 4 ? _(namestylelabels[dispnamestyle]) : strdispnamestyle());
}

void ClubEntry(GtkWidget* entry, void*) {
    SetClubName(Stripped(EntryText(entry)));
    Record("(ClubEntry) clubname<%s>\n", clubname.c_str());
    Titles();
    NextField(entry);
}

void CallerEntry(GtkWidget* entry, void*) {
    caller = Stripped(EntryText(entry));
    if (caller.empty()) caller = "None";
    Record("(CallerEntry) caller<%s>\n", caller.c_str());
    Titles();
    NextField(entry);
}

void AnonEntry(GtkWidget* entry, void*) {
    SetupNumbers n = CheckFields();
    if (n.bad[SF_NEXTANON]) return;
    anoncnt = n.value[SF_NEXTANON] - 1;
    Record("(AnonEntry) ianonentry=%d next<%s>\n", ANONENTRYQTY - 1, EntryText(entry).c_str());
    SetLabel(anon_label_cnts[ANONENTRYQTY - 1], strprintf("%d", anoncnt + 1));
    NextField(entry);
}

void SetupPgmRadioBttn(GtkToggleButton* bttn, void* index) {
    if (gtk_toggle_button_get_active(bttn)) {
        pgmfloor = static_cast<SDPGM>(GPOINTER_TO_INT(index));
        Record("(SetupPgmRadioBttn) pgmfloor<%s>\n", strpgm(pgmfloor));
    }
    Titles();
}

void ToggleRflag(GtkToggleButton*, void*) {
    Record("(ToggleRflag)\n");
    Rflag = !Rflag;
    ShowSwitch(switches[0]);
}

void ToggleRecord(GtkToggleButton*, void*) {
    if (rflag) {
        Record("(ToggleRecord)\n");
        CloseRecordFile();
    } else {
        OpenRecordFile();
    }
    ShowSwitch(switches[1]);
}

void ToggleSflag(GtkToggleButton*, void*) {
    Record("(ToggleSflag)\n");
    Sflag = !Sflag;
    ShowSwitch(switches[2]);
}

// The phone page's server on or off, listening as --serve said (or on every address at the
// default port); when it cannot listen, the warning says why and the switch stays off.
void TogglePhonePage(GtkToggleButton*, void*) {
    Record("(TogglePhonePage)\n");
    if (PhoneServerRunning())
        PhoneServerStop();
    else
        PhonePageStart(PhoneServerOption());
    ShowSwitch(switches[3]);
}

void ToggleMix(GtkToggleButton*, void*) {
    Record("(ToggleMix)\n");
    mixflag = !mixflag;
    ShowSwitch(switches[4]);
}

void ChooserDir(GtkFileChooser* dirchooser, GtkFileChooser* filechooser) {
    Record("(ChooserDir)\n");
    gchar* dir = gtk_file_chooser_get_filename(dirchooser);
    if (!dir) return;
    gtk_file_chooser_set_current_folder(filechooser, dir);
    if (!FolderWritable(dir))
        ShowMessage(outputfile_entry, strprintf(_("the folder <%s> cannot be written: a club file there cannot be saved"), dir), true);
    g_free(dir);
}

void ChooserFile(GtkFileChooser* filechooser, GtkWidget* entry) {
    gchar* file = gtk_file_chooser_get_filename(filechooser);
    if (!file) return;
    std::string name = file;
    g_free(file);
    ChosenFile(entry, name);
}

static void ChosenFile(GtkWidget* entry, const std::string& name) {
    outputfollows = false;
    SetEntry(entry, name);
    ShowMessage(entry, "", false);
    didoutputfile = name.substr(name.rfind('/') + 1) != "none.dorvel";
    Record("(ChooserFile) filename<%s>\n", name.c_str());
}

// ---- square tagging ------------------------------------------------------------------------
void SqrTagSlider(GtkWidget* slider, void* islider) {
    int i = GPOINTER_TO_INT(islider);
    if (!sdhd || i < 0 || i >= SQRTAGQTY) return;
    SqrDancer* sd = SqrTagSliderPick(i, gtk_range_get_value(GTK_RANGE(slider)));
    SetTagLabel(i, SqrTagSliderLabel(sd));
}

void SetupSqrTagSliders() {
    int count = SqrTagMapBuild();
    for (int i = 0; i < SQRTAGQTY; ++i) {
        if (!squaretag_dancerslider[i]) continue;
        gtk_range_set_range(GTK_RANGE(squaretag_dancerslider[i]), 0, std::max(count, 1));
        ShowSqrTagSlot(i);
    }
}

void UpdSquareTagSliders(int newanoncnt) {
    if (newanoncnt <= 0) return;
    int count = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) count += sd->avail != 0;
    for (GtkWidget* s : squaretag_dancerslider)
        if (s) gtk_range_set_range(GTK_RANGE(s), 0, std::max(count, 1));
    free(mapi2sd);
    mapi2sd = nullptr;
    mapi2sdqty = 0;
}

void SqrTaggingClearBttn(GtkWidget*, void*) {
    SqrTagClearAll();
    for (int i = 0; i < SQRTAGQTY; ++i) ClearSqrTagSlider(i);
}

void ClearSqrTagSlider(int slot) {
    if (slot < 0 || slot >= SQRTAGQTY) return;
    if (GtkWidget* s = squaretag_dancerslider[slot]) {
        g_signal_handlers_block_by_func(s, (gpointer)SqrTagSlider, GINT_TO_POINTER(slot));
        gtk_range_set_value(GTK_RANGE(s), 0);
        g_signal_handlers_unblock_by_func(s, (gpointer)SqrTagSlider, GINT_TO_POINTER(slot));
    }
    SetTagLabel(slot, SqrTagSliderLabel(nullptr));
}

// ---- replaying the lines written here ----------------------------------------------------
// Every replay acts on the open dialog as the operator did; without the dialog (a replay that
// has gone its own way) there is nothing to act on.
static bool ReplayNeedsDialog(const char* handler) {
    if (setupwin) return true;
    GtkTimeNote(2, _("replay: (%s) without the setup dialog, passed over"), handler);
    return false;
}

// Puts what the operator had typed into the entries, as Done's record line tells it.
static void ReplayTypedFields(const std::string& text) {
    bool found = false;
    std::string v = RecordField(text, "club", &found);
    if (found) SetEntry(clubname_entry, v);
    v = RecordField(text, "caller", &found);
    if (found) SetEntry(caller_entry, v);
    for (int f = 0; f < SF_QTY; ++f) {
        v = RecordField(text, fieldnames[f], &found);
        if (found) SetEntry(FieldEntry(f), v);
    }
    v = RecordField(text, "file", &found);
    if (found) SetEntry(outputfile_entry, v);
    didoutputfile = found;
    CheckFields();
}

void ReplaySetupDispDoneBttn(const std::string& text) {
    if (!ReplayNeedsDialog("SetupDispDoneBttn")) return;
    ReplayTypedFields(text);
    SetupDispDoneBttn(nullptr, GINT_TO_POINTER(text.compare(0, 7, "DoItNow") == 0 ? 1 : 0));
}

void ReplaySetupDispCancelBttn(const std::string& text) {
    int what = SETUP_CANCEL;
    for (int i = SETUP_CANCEL; i <= SETUP_CLEARRFID; ++i)
        if (text == cancelnames[i]) what = i;
    if (ReplayNeedsDialog("SetupDispCancelBttn")) SetupDispCancelBttn(nullptr, GINT_TO_POINTER(what));
}

void ReplaySetupNewSqrDancerBttn(const std::string&) {
    // The dialog is applied first: what was typed is in the line that follows.
    if (setupwin) ReplayTypedFields(ReplayAnswer("SetupDispDoneBttn"));
    SetupNewSqrDancerBttn(nullptr, nullptr);
}

void ReplaySetupImportBttn(const std::string&) {
    if (setupwin) ReplayTypedFields(ReplayAnswer("SetupDispDoneBttn"));
    SetupImportBttn(nullptr, nullptr);
}

void ReplaySetupWelcomeBttn(const std::string& text) {
    if (ReplayNeedsDialog("SetupWelcomeBttn"))
        SetupWelcomeBttn(nullptr, GINT_TO_POINTER(text == "sample" ? WELCOME_SAMPLE : WELCOME_NEW));
}

void ReplayAskBttn(const std::string& text) {
    int flag = 0;
    if (ReplayNeedsDialog("AskBttn") && sscanf(text.c_str(), "askflag=%d", &flag) == 1 && flag != askflag)
        AskBttn(askbttn, nullptr);
}

void ReplayNameStyleRadioBttn(const std::string& text) {
    std::string style = RecordField(text, "dispnamestyle");
    for (int i = 0; i < 4; ++i) {
        if (style != namestyles[i]) continue;
        if (namestylebttns[i] && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(namestylebttns[i])))
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(namestylebttns[i]), TRUE);
        else
            SetNameStyle(i);
    }
}

void ReplayNameStyleDoneBttn(const std::string&) { NameStyleDoneBttn(nullptr, nullptr); }

void ReplayClubEntry(const std::string& text) {
    if (!ReplayNeedsDialog("ClubEntry")) return;
    SetEntry(clubname_entry, RecordField(text, "clubname"));
    ClubEntry(clubname_entry, nullptr);
}

void ReplayCallerEntry(const std::string& text) {
    if (!ReplayNeedsDialog("CallerEntry")) return;
    SetEntry(caller_entry, RecordField(text, "caller"));
    CallerEntry(caller_entry, nullptr);
}

void ReplayAnonEntry(const std::string& text) {
    if (!ReplayNeedsDialog("AnonEntry")) return;
    GtkWidget* e = anon_entry[ANONENTRYQTY - 1];
    SetEntry(e, RecordField(text, "next"));
    AnonEntry(e, nullptr);
}

void ReplaySetupPgmRadioBttn(const std::string& text) {
    SDPGM p = idpgm(RecordField(text, "pgmfloor"));
    if (p == NOPGM || !ReplayNeedsDialog("SetupPgmRadioBttn")) return;
    GtkToggleButton* b = GTK_TOGGLE_BUTTON(pgmbttns[p]);
    if (!gtk_toggle_button_get_active(b))
        gtk_toggle_button_set_active(b, TRUE);  // its "toggled" applies and records it
    else
        SetupPgmRadioBttn(b, GINT_TO_POINTER(p));
}

void ReplayToggleRflag(const std::string&) { ToggleRflag(nullptr, nullptr); }
void ReplayToggleSflag(const std::string&) { ToggleSflag(nullptr, nullptr); }

void ReplayToggleMix(const std::string&) { ToggleMix(nullptr, nullptr); }

void ReplayChooserFile(const std::string& text) {
    if (ReplayNeedsDialog("ChooserFile")) ChosenFile(outputfile_entry, RecordField(text, "filename"));
}

void ReplaySqrTagSlider(const std::string& text) {
    int i = -1;
    if (sscanf(text.c_str(), "islider=%d", &i) != 1 || i < 0 || i >= SQRTAGQTY) return;
    SqrDancer* sd = text.find("sd<-null->") != std::string::npos ? nullptr : RecordedDancer(text);
    int count = SqrTagMapBuild();
    int pos = 0;
    for (int k = 1; sd && k <= count; ++k)
        if (mapi2sd[k] == sd) pos = k;
    GtkWidget* s = squaretag_dancerslider[i];
    if (s && gtk_range_get_value(GTK_RANGE(s)) != pos)
        gtk_range_set_value(GTK_RANGE(s), pos);  // its "value-changed" takes the dancer
    else if (s)
        SqrTagSlider(s, GINT_TO_POINTER(i));
    else
        SqrTagSliderPick(i, pos);
}

void ReplaySqrTaggingClearBttn(const std::string&) { SqrTaggingClearBttn(nullptr, nullptr); }
