// The host's windows as the start module sees them. The settings dialog lives in
// host/settings_dialog and implements showSettingsDialog there.
#pragma once

// Swirlbloom_P: creates the settings dialog "<Pomarel>" and shows it modally without an owner;
// returns when the dialog has closed. LoadSettings has run before.
void showSettingsDialog();
