// SPDX-License-Identifier: GPL-3.0-or-later
// The resume question at start-up.
#include "dialogs/resume.h"

#include <ctime>

#include "display/display.h"
#include "files/evening.h"
#include "support/intl.h"

namespace {
enum { RESUME_YES = 1, RESUME_NEW = 2 };
bool allabsent = false;  // the new evening's "everybody absent" choice
char typedkey = 0;       // a command key typed into the question

// A letter, "+" or "-" typed into the question is a command of the evening: it resumes the
// evening and is performed then. Digits (a card), Enter, Escape, Tab and the mnemonics
// (with Alt) are the dialog's own.
gboolean QuestionKey(GtkWidget* dlg, GdkEventKey* event, gpointer) {
    if (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return FALSE;
    guint32 c = gdk_keyval_to_unicode(event->keyval);
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' || c == '-')) return FALSE;
    typedkey = (char)c;
    gtk_dialog_response(GTK_DIALOG(dlg), RESUME_YES);
    return TRUE;
}
}  // namespace

char ResumeKey() {
    char c = typedkey;
    typedkey = 0;
    return c;
}

bool ResumeAtStart() {
    EveningOffer offer = EveningFind(time(nullptr));
    if (!offer.offered) return false;
    GtkWidget* dlg = gtk_dialog_new_with_buttons(
        _("Tonight's evening"), sdwin ? GTK_WINDOW(sdwin) : nullptr,
        GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), _("_New evening"), RESUME_NEW, _("_Resume"),
        RESUME_YES, nullptr);
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dlg));
    gtk_container_set_border_width(GTK_CONTAINER(area), (guint)sp10);
    gtk_box_set_spacing(GTK_BOX(area), sp10);
    GtkWidget* lbl = gtk_label_new(EveningQuestion(offer).c_str());
    gtk_label_set_line_wrap(GTK_LABEL(lbl), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(lbl), 60);
    if (lblfont2) SetWidgetFont(lbl, lblfont2);
    gtk_container_add(GTK_CONTAINER(area), lbl);
    // With cards, a new evening begins with everybody absent, so that the cards swiped at the
    // door check dancers in rather than out.
    allabsent = RosterHasCards();
    if (allabsent) {
        GtkWidget* absent = gtk_check_button_new_with_mnemonic(
            _("A new evening begins with everybody _absent: cards swiped at the door check dancers in"));
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(absent), TRUE);
        g_signal_connect(absent, "toggled", G_CALLBACK(+[](GtkToggleButton* b, gpointer) {
                             allabsent = gtk_toggle_button_get_active(b);
                         }), nullptr);
        gtk_container_add(GTK_CONTAINER(area), absent);
    }
    typedkey = 0;
    g_signal_connect(dlg, "key-press-event", G_CALLBACK(QuestionKey), nullptr);
    // Resume is the default (Enter, a card's Enter too); closing the dialog any other way
    // throws nothing away either.
    if (RunQuestion(dlg, RESUME_YES) == RESUME_NEW) {
        EveningNew(allabsent);
        return false;
    }
    return EveningResume();
}
