// The export of a history transfer: the workbook and the CSV file.
#include "ui/umset.h"

namespace lgcset::ui {

void Tfrm_mset::ExportHistory() {}

}  // namespace lgcset::ui
