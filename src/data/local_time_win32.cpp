#include "data/local_time.h"

namespace lgcset::data {

std::tm LocalFields(std::time_t moment) {
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

}  // namespace lgcset::data
