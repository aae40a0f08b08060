// The texts of the status bar's third panel, named once, so that the panel can be made wide
// enough for every one of them.
#pragma once

#include <QString>
#include <QStringList>

#include "protocol/transmission.h"

namespace lgcset::ui {

inline QString ExportingStatusText() {
    return QStringLiteral("Historical Data");
}

// The short texts the panel shows: the export's, the re-send counts, and the counts of the
// traffic tab's progress bar test (up to 30000). Longer ones (the archive's counts) are
// shown whole in the panel's tooltip.
inline QStringList StatusPanelTexts() {
    QStringList texts{ExportingStatusText(), QStringLiteral("one"), QStringLiteral("30000")};
    for (int n = 1; n <= protocol::ResendTracker::kMaxResends; ++n)
        texts << QString::fromStdString(protocol::ResendPanelText(n));
    return texts;
}

}  // namespace lgcset::ui
