#include "link/port_details.h"

namespace lgcset::link {

std::string PortLine(const std::string& devicePath, const PortDetails& details) {
    std::string line = devicePath;
    for (const std::string* part :
         {&details.driver, &details.usbId, &details.manufacturer, &details.product}) {
        if (!part->empty())
            line += "  " + *part;
    }
    return line;
}

}  // namespace lgcset::link
