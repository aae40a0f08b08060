// The line setup of a TComm expressed as termios flags (POSIX backend).
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>

#include "link/SerialComm.h"

namespace lgcset::link {

// Raw mode plus every line property that termios can express. The speed is left alone.
void FillTermios(const TCommLineSettings& settings, termios& t);

// The termios code of a standard rate; none for a rate the kernel must be given as a number.
std::optional<speed_t> StandardSpeed(std::uint32_t rate);

}  // namespace lgcset::link
