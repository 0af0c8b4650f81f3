// The fingerprint of the simulation that the test replay compares across builds: a checksum
// of every piece and the scene-wide clocks. Platform-free; depends on the confetti model, so
// it is wired by each program's main.cpp, never by the browser layer itself.
#pragma once

#include <cstdint>
#include <string>

// FNV-1a over the values of the pool and the scene-wide state (not over padding bytes), as 16
// hexadecimal digits.
std::string simulationChecksum();
