// LastApiResult: the host-wide result code of the last system call that the host records
// (profile writes, window calls of the start routine, MCI and sound calls, GetCursorPos,
// BitBlt, GetOpenFileNameA). Whoever tests it does so right after storing it.
#pragma once

#include <cstdint>

extern int32_t LastApiResult;
