#include "data/local_time.h"

namespace lgcset::data {

std::tm LocalFields(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

}  // namespace lgcset::data
