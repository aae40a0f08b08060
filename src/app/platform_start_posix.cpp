#include "app/platform_start.h"

namespace lgcset::app {

void UseParentConsole() {}

void UseSystemFontsOffscreen() {}

}  // namespace lgcset::app
