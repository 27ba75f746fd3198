// The fuzz target has no screen: messages are dropped.
#include "core/screen.h"

void GtkNote(const char*, ...) {}
void GtkWarning(const char*, ...) {}
void GtkTimeNote(int, const char*, ...) {}
void SwitchDisplay(EDITMODE) {}
void ShowDancerTooltip(const SqrDancer*) {}
void ClearSqrTagSlider(int) {}
int AskResetDialog() { return 0; }
