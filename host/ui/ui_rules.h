// The platform-free rules of the host's user-interface layer: how the program's folder is cut
// from its module path and its argument text from its command line. program_folder.cpp and
// command_line.cpp apply them to what kernel32 reports; no system call here.
#pragma once

#include <string>

namespace ui {

// The folder of a module path, without its trailing backslash except at a drive root, which
// keeps it ("C:\"): the runtime has always reported the program folder so, and the settings
// path is built from it as it stands, two backslashes in a row at a root. FolderOf in the
// settings cuts a music file's folder to "C:" instead; the two differ on purpose.
std::wstring folderOfModulePath(const std::wstring& modulePath);

// Drops the program name the way the C runtime finds argv[0] (quoted, or up to the first
// blank) and the blanks after it; the rest is returned untouched.
std::wstring argumentText(const std::wstring& commandLine);

}  // namespace ui
