// SPDX-License-Identifier: GPL-3.0-or-later
// Answers to modal dialogs in the GUI tests: a dialog runs its own main loop, so the answer
// is given from a timer that waits for the dialog to be shown.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Answers the next modal dialog titled `title` with `response` once it runs; the returned
// flag turns true when it was answered.
std::shared_ptr<bool> AnswerDialog(const char* title, int response);
// The same with any action on the dialog (keys sent to it, other windows closed meanwhile).
std::shared_ptr<bool> WhenDialog(const char* title, std::function<void(GtkWidget*)> act);
// Stops the answerers still waiting (the end of a test).
void CancelAnswers();
// Buttons of the dialog answered last (labels), recorded by AnswerDialog and WhenDialog.
extern std::vector<std::string> answered_buttons;
