// The edit display: the whole roster, one framed cell per dancer in name order, filled
// column by column. A cell is the dancer's name toggle (pressed in = absent) over a row of
// six small buttons that open the dancer's editing dialogs.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "assign/assign.h"
#include "display/boards.h"
#include "files/record.h"
#include "registry/registry.h"
#include "support/helmtext.h"

static PangoFontDescription* ParsedFont(PangoFontDescription* old, const std::string& desc) {
    if (old) pango_font_description_free(old);
    return pango_font_description_from_string(desc.c_str());
}

// The font of the label inside a button.
static void ButtonFont(GtkWidget* b, const PangoFontDescription* font) { BoardFontOf(b, font); }

// The edit display has seven buttons per dancer, and every click on a name rebuilds it. The
// theme's gradients and soft shadows cost more to draw than the rest of the display, so its
// buttons are drawn flat: plain colours, the pressed-in (absent) state still darker.
static void FlatButton(GtkWidget* b) {
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        GtkCssProvider* p = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            p,
            "button.edit-cell { box-shadow: none; background-image: none; text-shadow: none; transition: none; }\n"
            "button.edit-cell:hover { background-color: #fbfbfa; }\n"
            "button.edit-cell:checked { background-color: #c8c2bd; }\n",
            -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(p),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(p);
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(b), "edit-cell");
}

static GtkWidget* SmallButton(const char* label, GCallback handler, SqrDancer* sd) {
    GtkWidget* b = gtk_button_new();
    FlatButton(b);
    GtkWidget* l = gtk_label_new(label);
    gtk_container_add(GTK_CONTAINER(b), l);
    ButtonFont(b, bttnfont2);
    g_signal_connect(b, "clicked", handler, sd);
    return b;
}

// One framed cell: the name toggle over the row of six small buttons and a spacer line.
static GtkWidget* EditCell(SqrDancer* sd, int i) {
    const std::string& name = sd->dispname.empty() ? sd->firstlast : sd->dispname;
    GtkWidget* t = gtk_toggle_button_new_with_label(name.c_str());
    FlatButton(t);
    gridbttn[i] = t;
    sd->availbttn = t;
    sd->gridposn = i;
    SetupTooltip(sd);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(t), sd->avail == 0);
    gtk_widget_set_vexpand(t, TRUE);
    ButtonFont(t, bttnfont1);
    sd->availsigid = (long)g_signal_connect(t, "toggled", G_CALLBACK(ToggleAvail), sd);

    GtkWidget* hbox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_box_pack_start(GTK_BOX(hbox), SmallButton("Del", G_CALLBACK(DelBttn), sd), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(hbox),
                       SmallButton(sd->priority == LUCK ? "Luck" : "Must", G_CALLBACK(LuckMustBttn), sd), TRUE,
                       TRUE, 0);
    gtk_box_pack_start(GTK_BOX(hbox), SmallButton("Name", G_CALLBACK(NameBttn), sd), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(hbox), SmallButton("Prtnr", G_CALLBACK(PartnerBttn), sd), TRUE, TRUE, 0);
    sd->pgmbttn = SmallButton(strpgm(sd->pgm), G_CALLBACK(PgmBttn), sd);
    SelectPgmColor(sd);
    gtk_box_pack_start(GTK_BOX(hbox), sd->pgmbttn, TRUE, TRUE, 0);
    sd->sexbttn = SmallButton(strsex(sd->sex), G_CALLBACK(SexBttn), sd);
    gtk_box_pack_start(GTK_BOX(hbox), sd->sexbttn, TRUE, TRUE, 0);

    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(vbox), t, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(vbox), hbox, FALSE, FALSE, 0);
    GtkWidget* spacer = gtk_label_new("");
    BoardFontOf(spacer, bttnfont2);
    gtk_box_pack_start(GTK_BOX(vbox), spacer, FALSE, FALSE, 0);
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_container_add(GTK_CONTAINER(frame), vbox);
    // Shown while it has no siblings yet: making thousands of cells visible one after the
    // other inside the grid makes GTK look along the row of siblings for every one of them.
    gtk_widget_show_all(frame);
    return frame;
}

// Puts sdgrid into the window: straight, or through a viewport into a scrolled window.
// Nothing is shown yet, so the window is neither laid out nor drawn while the cells are made.
static void PackGrid(bool doscrollbar) {
    if (!sdwin) return;
    if (doscrollbar) {
        GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(sw), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
        // A bar that always shows tells the operator there are more names below.
        gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(sw), FALSE);
        GtkWidget* vp = gtk_viewport_new(nullptr, nullptr);
        gtk_container_add(GTK_CONTAINER(vp), sdgrid);
        gtk_container_add(GTK_CONTAINER(sw), vp);
        gtk_container_add(GTK_CONTAINER(sdwin), sw);
    } else {
        gtk_container_add(GTK_CONTAINER(sdwin), sdgrid);
    }
}

void EditDisplay(EDITMODE neweditmode) {
    edbg("EditDisplay(neweditmode=%d)", (int)neweditmode);
    editmode = neweditmode;
    Record("(EditDisplay)\n");
    SetWinTitle(sdwin, nullptr);
    UpdateSkips();

    int totdancers = 0;
    std::string longest;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        ++totdancers;
        const std::string& name = sd->dispname.empty() ? sd->firstlast : sd->dispname;
        if (name.size() > longest.size()) longest = name;
    }
    if (totdancers == 0) {
        GtkNote("               %s Display\nNo dancers have been entered into Dorvels yet!\n"
                "    (use n to enter a new dancer)",
                Streditmode());
        rdbg("EditDisplay : no dancers");
        return;
    }

    int needscrolling = 0;
    int colqty = ChooseEditFont(longest.c_str(), totdancers, &needscrolling);
    if (res) {
        bttnfont1 = ParsedFont(bttnfont1, res->bttnfont1);
        bttnfont2 = ParsedFont(bttnfont2, res->bttnfont2);
    }
    int maxcols = res ? (int)res->maxeditcolqty : colqty;
    int doscrollbar = 0;
    if (colqty > maxcols || needscrolling) {
        doscrollbar = 1;
        colqty = maxcols;
    }
    int rowqty;
    if (colqty > 0) {
        rowqty = (totdancers + colqty - 1) / colqty;
    } else {
        rowqty = colqty = 1;
    }
    if (rowqty < colqty) std::swap(rowqty, colqty);
    if (res && res->meh * rowqty >= screenheight) doscrollbar = 1;
    if (res) {
        res->rowqty = rowqty;
        res->colqty = colqty;
    }
    boardcolqty = colqty;
    boardrowqty = rowqty;

    SortByName();
    if (!sdgrid || gtk_widget_get_parent(sdgrid)) BoardFreshGrid();
    g_free(gridbttn);
    gridbttn = g_new0(GtkWidget*, totdancers);
    gridbttnqty = totdancers;

    // The grid goes into its place in the window before the cells are made: GTK works out a
    // widget's style from its ancestors, so cells measured outside the window would have all
    // their styles and sizes worked out a second time once they are put in.
    PackGrid(doscrollbar);
    std::vector<GtkWidget*> frames;
    frames.reserve(totdancers);
    int i = 0, row = 0, col = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt, ++i) {
        GtkWidget* frame = EditCell(sd, i);
        gtk_grid_attach(GTK_GRID(sdgrid), frame, col, row, 1, 1);
        frames.push_back(frame);
        if (++row >= rowqty) {
            row = 0;
            ++col;
        }
    }

    // The font choice measures the name button and the button row apart; a whole cell (both,
    // the spacer line, the frame and the grid spacing) can be larger. When the cells as made
    // do not fit the window, fewer columns are used and the grid scrolls, so that nothing is
    // cut off. The sizes measured here are kept by GTK for laying out the window.
    int cellw = 0, cellh = 0;
    for (GtkWidget* f : frames) {
        int minw = 0, natw = 0, minh = 0, nath = 0;
        gtk_widget_get_preferred_width(f, &minw, &natw);
        gtk_widget_get_preferred_height(f, &minh, &nath);
        cellw = std::max(cellw, minw);
        cellh = std::max(cellh, minh);
    }
    int space = gtk_grid_get_column_spacing(GTK_GRID(sdgrid));
    if (screenwidth > 0 && colqty * (cellw + space) - space > screenwidth) {
        colqty = std::max(1, (screenwidth + space) / (cellw + space));
        rowqty = (totdancers + colqty - 1) / colqty;
        for (int k = 0; k < totdancers; ++k)
            gtk_container_child_set(GTK_CONTAINER(sdgrid), frames[k], "left-attach", k / rowqty, "top-attach",
                                    k % rowqty, nullptr);
        if (res) {
            res->rowqty = rowqty;
            res->colqty = colqty;
        }
        boardcolqty = colqty;
        boardrowqty = rowqty;
    }
    if (!doscrollbar && screenheight > 0 && rowqty * (cellh + space) - space > screenheight) {
        doscrollbar = 1;
        if (sdwin) {
            g_object_ref(sdgrid);
            gtk_container_remove(GTK_CONTAINER(sdwin), sdgrid);
            PackGrid(true);
            g_object_unref(sdgrid);
        }
    }

    if (hintflag) {
        GtkTimeNote(5, "    Hints\ne: edit display\nm: menu\nn: new dancer\nr: roll squares\ns: setup display");
        hintflag = 0;
    }
    editmode = EDIT;
    if (sdwin) gtk_widget_show_all(sdwin);
    rdbg("EditDisplay");
}
