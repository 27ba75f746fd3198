// SPDX-License-Identifier: GPL-3.0-or-later
// The evening kept on disk as it goes. After each key, click or card the evening file is
// brought up to date (EveningSave writes only what changed) as soon as the program is idle,
// and in any case before the next key or click is handled: a crash a moment later loses
// nothing entered. A new club, which has no club file yet, gets one as soon as something is
// entered into it (once its setup dialog is closed), so that the next start finds it.
#pragma once

// An action was handled: save once the program is idle.
void AutosaveSoon();
// The next action is about to be handled: a save still pending is made now.
void AutosaveNow();
