// What Pomarel.scr and Pomarel.dll know of each other: they share no memory and send no
// messages, and meet only through these window titles (searched across processes) and the
// renderer's file name beside the host. Both programs include this; change nothing here
// without both sides. Plain C++, no platform header.
#pragma once

namespace contract {

// The host's hidden session window; a second start ends at once while it exists.
constexpr char SessionWindowTitle[] = "Swirlbloom_Main";
constexpr wchar_t SessionWindowTitleW[] = L"Swirlbloom_Main";
// The settings dialog; likewise a marker for the host's single-instance test.
constexpr char SettingsWindowTitle[] = "<Pomarel>";
constexpr wchar_t SettingsWindowTitleW[] = L"<Pomarel>";
// The renderer's window, which the session watches for every 500 ms.
constexpr char RendererWindowTitle[] = "Swirlbloom_VC";
// Appended to the host's program folder to start the renderer.
constexpr wchar_t RendererFileName[] = L"\\Pomarel.dll";

}  // namespace contract
