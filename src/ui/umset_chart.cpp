// The chart of a history transfer's records.
#include "ui/umset.h"

namespace lgcset::ui {

void Tfrm_mset::HistoryTransferEnded() {}

}  // namespace lgcset::ui
