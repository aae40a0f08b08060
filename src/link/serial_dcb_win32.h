// The component's line settings as a Win32 device control block.
#pragma once

#include <windows.h>

#include "link/SerialComm.h"

namespace lgcset::link {

// Fills every field the settings own; the rest of dcb (its length, the driver's reserved
// fields, EofChar, EvtChar) is left as read from the driver.
void FillDcb(const TCommLineSettings& settings, DCB& dcb);

}  // namespace lgcset::link
