// Entry point of the settings dialog Swirlbloom_P ("<Pomarel>") for the start routine's "C"
// mode. Implemented in dialog_window.cpp over user32/gdi32/comdlg32/shell32 and the Command
// control; the settings variables must have been loaded before.
#pragma once

// Creates the dialog and shows it modally without an owner window; returns once it has
// closed (confirmed, cancelled or closed with the close box).
void showSettingsDialog();
