// SPDX-License-Identifier: GPL-3.0-or-later
// The name form, shared by the name pop-up of an edit cell and the new-dancer dialog, and
// the new-dancer dialog itself: names, role, level, priority, partner and card of a dancer
// who walks in, entered in a few seconds. The dancer being entered is a roster record from
// the start (the placeholder "* *"), so that the level, role, partner and card pop-ups work
// on it as on any dancer.
#include <string>

#include "assign/assign.h"
#include "commands/keys.h"
#include "dialogs/dancer.h"
#include "display/boards.h"
#include "files/record.h"
#include "files/replay.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {
struct NameForm {
    GtkWidget* win = nullptr;
    SqrDancer* sd = nullptr;        // null once the form's own buttons have finished it
    GtkWidget* first = nullptr;
    GtkWidget* last = nullptr;
    GtkWidget* problem = nullptr;   // what is wrong with the names typed
    GtkWidget* rfidbttn = nullptr;  // new-dancer dialog only
    DancerKeys keys;
};
NameForm namepop;  // the name pop-up of an edit cell
NameForm newdlg;   // the new-dancer dialog

NameForm* FormOf(const SqrDancer* sd) {
    if (sd && newdlg.sd == sd) return &newdlg;
    if (sd && namepop.sd == sd) return &namepop;
    return nullptr;
}

std::string EntryText(GtkWidget* e) {
    const gchar* t = e ? gtk_entry_get_text(GTK_ENTRY(e)) : nullptr;
    return t ? t : "";
}

void MarkEntry(GtkWidget* e, bool bad) {
    GtkStyleContext* ctx = gtk_widget_get_style_context(e);
    if (bad)
        gtk_style_context_add_class(ctx, GTK_STYLE_CLASS_ERROR);
    else
        gtk_style_context_remove_class(ctx, GTK_STYLE_CLASS_ERROR);
}

// Reads the names typed. *untouched: the new-dancer dialog's entries still hold their first
// texts. False when the names have a problem; with `show` it is shown beside the entries and
// the entry at fault takes the focus.
bool FormNames(NameForm& f, TypedNames* t, bool* untouched, bool show) {
    std::string first = EntryText(f.first), last = EntryText(f.last);
    *untouched = &f == &newdlg && NamesUntouched(first, last);
    if (*untouched) return true;
    *t = ReadTypedNames(first, last, f.sd);
    bool ok = t->problem.empty();
    if (show) {
        MarkEntry(f.first, t->field == 1);
        MarkEntry(f.last, t->field == 2);
        gtk_label_set_text(GTK_LABEL(f.problem), t->problem.c_str());
        gtk_widget_set_visible(f.problem, !ok);
        if (!ok) gtk_widget_grab_focus(t->field == 2 ? f.last : f.first);
    }
    return ok;
}

// The names typed, as the fields of a record line: a replay types them again.
std::string TypedFields(const NameForm& f) {
    return strprintf("first<%s> last<%s>", EntryText(f.first).c_str(), EntryText(f.last).c_str());
}

void EndCardWait(const SqrDancer* sd) {
    if (sd && newsd == sd) {
        newsd = nullptr;
        NDflag = 0;
    }
}

void ApplyForm(NameForm& f, const TypedNames& t) {
    SqrDancer* sd = f.sd;
    EndCardWait(sd);
    SqrDancer* partner = ApplyTypedNames(sd, t);
    SetupTooltip(sd);
    if (partner) SetupTooltip(partner);
}

// The form's own buttons are done with it: its "destroy" will not act on the dancer again.
void Finish(NameForm& f) {
    if (&f == &newdlg && f.sd && OnRoster(f.sd)) f.sd->pgmbttn = f.sd->sexbttn = f.sd->rfidbttn = nullptr;
    f.sd = nullptr;
}

// "destroy" of a name form's window. The new-dancer dialog closed by anything but its own
// buttons (the main window closing or rebuilt): names typed are kept, as Done would keep
// them; an untouched placeholder goes, as Cancel would remove it.
void NameFormGone(GtkWidget* w, gpointer) {
    if (namepop.win == w) namepop = NameForm();
    if (newdlg.win == w) {
        SqrDancer* sd = newdlg.sd;
        if (sd && OnRoster(sd)) {
            TypedNames t;
            bool untouched = false;
            bool keep = FormNames(newdlg, &t, &untouched, false) && !untouched;
            if (keep) ApplyForm(newdlg, t);
            Finish(newdlg);
            EndCardWait(sd);
            if (!keep) DelDancer(sd);
        }
        newdlg = NameForm();
    }
    if (sdnew == w) sdnew = nullptr;
    ReturnFocus(w);
    RestoreKeysAfterDialog();
}

void FocusLastName(GtkEntry*, gpointer pf) { gtk_widget_grab_focus(static_cast<NameForm*>(pf)->last); }

void DoneOnEnter(GtkEntry* e, gpointer pf) {
    NewSqrDancerDoneBttn(GTK_WIDGET(e), static_cast<NameForm*>(pf)->sd);
}

GtkWidget* NameEntry(const std::string& text) {
    GtkWidget* e = gtk_entry_new();
    // Short enough that no name reaches the club file's limit of 255 bytes.
    gtk_entry_set_max_length(GTK_ENTRY(e), 60);
    gtk_entry_set_width_chars(GTK_ENTRY(e), 30);
    gtk_entry_set_text(GTK_ENTRY(e), text.c_str());
    return e;
}

// The window's contents: the rows "First name: " and "Last name: " with their entries and the
// problem line; the rows of buttons are added to the box returned. Enter in the first name
// goes on to the last name; Enter in the last name is Done.
GtkWidget* FormBox(NameForm& f, const std::string& first, const std::string& last) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp5);
    gtk_container_set_border_width(GTK_CONTAINER(box), sp10);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), sp5);
    gtk_grid_set_column_spacing(GTK_GRID(grid), sp5);
    const char* labels[] = {_("First name: "), _("Last name: ")};
    f.first = NameEntry(first);
    f.last = NameEntry(last);
    GtkWidget* entries[] = {f.first, f.last};
    for (int row = 0; row < 2; ++row) {
        GtkWidget* l = gtk_label_new(labels[row]);
        gtk_label_set_xalign(GTK_LABEL(l), 1.0);
        gtk_grid_attach(GTK_GRID(grid), l, 0, row, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), entries[row], 1, row, 1, 1);
    }
    f.problem = gtk_label_new("");
    SetWidgetColor(f.problem, &sqrcolor[COLOR_warning]);
    gtk_label_set_line_wrap(GTK_LABEL(f.problem), TRUE);
    gtk_widget_set_no_show_all(f.problem, TRUE);
    gtk_grid_attach(GTK_GRID(grid), f.problem, 0, 2, 2, 1);
    g_signal_connect(f.first, "activate", G_CALLBACK(FocusLastName), &f);
    g_signal_connect(f.last, "activate", G_CALLBACK(DoneOnEnter), &f);
    gtk_box_pack_start(GTK_BOX(box), grid, FALSE, FALSE, 0);
    return box;
}

// Shows the form's window with its contents; the keyboard goes to the first name.
void ShowForm(NameForm& f, GtkWidget* box) {
    gtk_container_add(GTK_CONTAINER(f.win), box);
    gtk_widget_show_all(f.win);
    gtk_window_present(GTK_WINDOW(f.win));
    gtk_widget_grab_focus(f.first);
}

// A button of a dialog row, "clicked" to handler with the dancer. The focus stays where it
// is (in a name entry), so that a card number typed next never activates the button.
GtkWidget* RowButton(GtkWidget* row, const char* label, GCallback handler, SqrDancer* sd) {
    GtkWidget* b = gtk_button_new_with_label(label);
    gtk_widget_set_focus_on_click(b, FALSE);
    g_signal_connect(b, "clicked", handler, sd);
    gtk_box_pack_start(GTK_BOX(row), b, TRUE, TRUE, 0);
    return b;
}

GtkWidget* ButtonRow(GtkWidget* box) {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, sp5);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
    return row;
}
}  // namespace

// ---- keyboard ---------------------------------------------------------------------------------
void RestoreKeysAfterDialog() {
    // Another window that takes the keyboard (setup, card windows) keeps it.
    if (!namepop.win && !newdlg.win && !sdnew) KeybrdHandlerRestore();
}

// ---- the name pop-up --------------------------------------------------------------------------
void NameBttn(GtkWidget*, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd || DancerPopupToggled(sd, "SqrDancer Name")) return;
    Record("(NameBttn) changing sd<%s> name\n", RecordName(sd).c_str());
    currsd = sd;
    // The main window stays usable under the pop-up: a card swiped into it still checks in.
    KeybrdHandlerSuspend(true);
    GtkWidget* w = DancerPopupNew(sd, _("SqrDancer Name"), {NewSqrDancer_CancelBttn, nullptr, sd});
    namepop = NameForm();
    namepop.win = w;
    namepop.sd = sd;
    g_signal_connect(w, "destroy", G_CALLBACK(NameFormGone), nullptr);
    GtkWidget* box = FormBox(namepop, sd->firstname, sd->lastname);
    GtkWidget* row = ButtonRow(box);
    RowButton(row, _("Done"), G_CALLBACK(NewSqrDancerDoneBttn), sd);
    RowButton(row, _("Cancel"), G_CALLBACK(NewSqrDancer_CancelBttn), sd);
    ShowForm(namepop, box);
}

const char* NameFormProblem() {
    for (NameForm* f : {&namepop, &newdlg})
        if (f->win && f->problem && gtk_widget_get_visible(f->problem)) return gtk_label_get_text(GTK_LABEL(f->problem));
    return "";
}

// ---- the new-dancer dialog --------------------------------------------------------------------
SqrDancer* NewDancerBeingEntered() { return newdlg.win ? newdlg.sd : nullptr; }

void NewDancerCmd() {
    if (editmode == SQUARES || editmode == PRESENT) SwitchDisplay(EDIT);
    NewSqrDancerDisplay();
}

void NewSqrDancerDisplay() {
    if (newdlg.win) {
        // Open once: a second n brings the dialog forward, with what was typed in it.
        gtk_window_present(GTK_WINDOW(newdlg.win));
        return;
    }
    DestroyWidget(sdpop);
    DestroyWidget(sdnew);
    if (sdwin) gtk_widget_show(sdwin);
    SqrDancer* sd = NewPlaceholder();
    KeybrdHandlerSuspend();

    GtkWidget* w = DancerWindowNew(_("New Square Dancer"), sdwin, GTK_WIN_POS_CENTER_ON_PARENT);
    newdlg = NameForm();
    newdlg.win = w;
    newdlg.sd = sd;
    newdlg.keys = {NewSqrDancer_CancelBttn, nullptr, sd};
    sdnew = w;
    g_signal_connect(w, "key-press-event", G_CALLBACK(DancerWindowKey), &newdlg.keys);
    g_signal_connect(w, "destroy", G_CALLBACK(NameFormGone), nullptr);

    // The entries start empty; what belongs in them is shown greyed until typing starts.
    GtkWidget* box = FormBox(newdlg, "", "");
    gtk_entry_set_placeholder_text(GTK_ENTRY(newdlg.first), _(firstname_default));
    gtk_entry_set_placeholder_text(GTK_ENTRY(newdlg.last), _(lastname_default));
    GtkWidget* row = ButtonRow(box);
    RowButton(row, sd->priority == LUCK ? C_("priority", "Luck") : C_("priority", "Must"), G_CALLBACK(LuckMustBttn), sd);
    sd->sexbttn = RowButton(row, strsex(sd->sex), G_CALLBACK(SexBttn), sd);
    RowButton(row, _("Partner"), G_CALLBACK(PartnerBttn), sd);
    sd->pgmbttn = RowButton(row, strpgm(sd->pgm), G_CALLBACK(PgmBttn), sd);
    SelectPgmColor(sd);
    sd->rfidbttn = newdlg.rfidbttn = RowButton(row, _("Rfid"), G_CALLBACK(NewSqrDancerRfidBttn), sd);
    row = ButtonRow(box);
    RowButton(row, _("Done"), G_CALLBACK(NewSqrDancerDoneBttn), sd);
    RowButton(row, _("DoItNow"), G_CALLBACK(NewSqrDancer_DoItNowBttn), sd);
    RowButton(row, _("Cancel"), G_CALLBACK(NewSqrDancer_CancelBttn), sd);
    ShowForm(newdlg, box);
}

bool NewSqrDancerCommon(GtkWidget* bttn, void* psd) {
    NameForm* f = FormOf(static_cast<SqrDancer*>(psd));
    if (!f) return false;
    TypedNames t;
    bool untouched = false;
    if (!FormNames(*f, &t, &untouched, true)) return false;
    if (untouched) {
        NewSqrDancer_CancelBttn(bttn, psd);
        return false;
    }
    ApplyForm(*f, t);
    return true;
}

void NewSqrDancerDoneBttn(GtkWidget* bttn, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    NameForm* f = FormOf(sd);
    TypedNames t;
    bool untouched = false;
    if (!f || !FormNames(*f, &t, &untouched, true)) return;
    Record("(NewSqrDancerDoneBttn) sd<%s> %s\n", RecordName(sd).c_str(), TypedFields(*f).c_str());
    if (!NewSqrDancerCommon(bttn, sd)) return;
    Finish(namepop);
    Finish(newdlg);
    DestroyWidget(sdpop);
    DestroyWidget(sdnew);
    RestoreKeysAfterDialog();
    KeepUntilIdle(bttn);
    SwitchDisplay(EDIT);
    if (sdwin) gtk_widget_show(sdwin);
}

void NewSqrDancer_DoItNowBttn(GtkWidget* bttn, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (FormOf(sd) != &newdlg) return;
    TypedNames t;
    bool untouched = false;
    if (!FormNames(newdlg, &t, &untouched, true)) return;
    if (untouched) {
        // Nobody to enter: the dialog ends as Cancel ends it, the placeholder gone.
        NewSqrDancer_CancelBttn(bttn, sd);
        return;
    }
    std::string typed = TypedFields(newdlg);
    NewSqrDancerCommon(bttn, sd);
    Record("(NewSqrDancer_DoItNowBttn) sd<%s> %s\n", RecordName(sd).c_str(), typed.c_str());
    Finish(newdlg);
    DestroyWidget(sdpop);
    KeepUntilIdle(bttn);
    DestroyWidget(sdnew);
    NewSqrDancerDisplay();
}

void NewSqrDancer_CancelBttn(GtkWidget* bttn, void*) {
    static int nesting = 0;
    if (nesting) return;
    ++nesting;
    Record("(NewSqrDancer_CancelBttn) cancelled\n");
    // Only the placeholder of the dialog goes: named dancers are never removed here.
    SqrDancer* placeholder = newdlg.sd;
    Finish(namepop);
    Finish(newdlg);
    if (IsPlaceholder(placeholder) && OnRoster(placeholder)) {
        EndCardWait(placeholder);
        DelDancer(placeholder);
    }
    DestroyWidget(sdpop);
    DestroyWidget(sdnew);
    RestoreKeysAfterDialog();
    KeepUntilIdle(bttn);
    SwitchDisplay(EDIT);
    --nesting;
}

void NewSqrDancerRfidBttn(GtkWidget*, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd) return;
    Record("(NewSqrDancerRfidBttn) sd<%s>\n", RecordName(sd).c_str());
    NDflag = 1;
    newsd = sd;
    GtkNote(_("New Dancer rfid: move cursor over edit display, then swipe card"));
    NewDancerCardShown();
}

void NewDancerCardShown() {
    SqrDancer* sd = newdlg.sd;
    if (!newdlg.rfidbttn || !sd) return;
    std::string text = sd->rfid                    ? strprintf(_("Rfid %010llu"), (unsigned long long)sd->rfid)
                       : NDflag && newsd == sd     ? std::string(_("Rfid: swipe the card"))
                                                   : std::string(_("Rfid"));
    SetButtonText(newdlg.rfidbttn, text.c_str());
}

void NewDancerForget(SqrDancer* sd) {
    EndCardWait(sd);
    for (NameForm* f : {&namepop, &newdlg})
        if (sd && f->sd == sd) {
            Finish(*f);
            GtkWidget* w = f->win;
            if (w) gtk_widget_destroy(w);
        }
}

// ---- replaying the lines written here ----------------------------------------------------------
// The form a line of its buttons was written for: the name pop-up of the dancer it names,
// else the new-dancer dialog. The names it records are typed into the form again.
static NameForm* ReplayedForm(const std::string& text) {
    NameForm* f = FormOf(RecordedDancer(text));
    if (!f && newdlg.win) f = &newdlg;
    if (!f || !f->win) {
        GtkTimeNote(2, _("replay: no name form for <%s>"), text.c_str());
        return nullptr;
    }
    gtk_entry_set_text(GTK_ENTRY(f->first), RecordField(text, "first").c_str());
    gtk_entry_set_text(GTK_ENTRY(f->last), RecordField(text, "last").c_str());
    return f;
}

void ReplayNewSqrDancerDoneBttn(const std::string& text) {
    if (NameForm* f = ReplayedForm(text)) NewSqrDancerDoneBttn(nullptr, f->sd);
}

void ReplayNewSqrDancer_DoItNowBttn(const std::string& text) {
    if (NameForm* f = ReplayedForm(text)) NewSqrDancer_DoItNowBttn(nullptr, f->sd);
}

void ReplayNewSqrDancer_CancelBttn(const std::string&) { NewSqrDancer_CancelBttn(nullptr, nullptr); }

void ReplayNewSqrDancerRfidBttn(const std::string&) { NewSqrDancerRfidBttn(nullptr, newdlg.sd); }
