// The music module's Win32 half: winmm behind the module's port (MCI command strings and
// error texts, PlaySound, the wave-out device count), text converted to the ANSI code page
// through host/ui/text.h. main.cpp plugs it in; the module itself is music_rules.
#pragma once

#include "host/music/music_rules.h"

BgmSystem& winmmMusicSystem();
