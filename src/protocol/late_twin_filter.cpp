#include "protocol/late_twin_filter.h"

#include <algorithm>

namespace lgcset::protocol {

void LateTwinFilter::Took(std::span<const std::uint8_t> payload, int resends) {
    left_ = 2 * (std::max(resends, 0) + 1) - 1;
    size_ = std::min(payload.size(), last_.size());
    std::copy_n(payload.begin(), size_, last_.begin());
}

bool LateTwinFilter::DropTwin(std::span<const std::uint8_t> payload) {
    if (left_ == 0 || !std::equal(payload.begin(), payload.end(), last_.begin(),
                                  last_.begin() + static_cast<std::ptrdiff_t>(size_)))
        return false;
    --left_;
    ++dropped_;
    return true;
}

}  // namespace lgcset::protocol
