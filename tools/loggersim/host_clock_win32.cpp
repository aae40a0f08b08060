#include "loggersim/host_clock.h"

namespace lgcset::sim {

std::tm HostLocalFields(std::time_t moment) {
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

}  // namespace lgcset::sim
