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
inline QString SavingStatusText() {
    return QStringLiteral("Historical Data Saved...");
}

// Every text the panel shows: the history's two, the re-send counts, and the counts of the
// traffic tab's progress bar test (up to 30000).
inline QStringList StatusPanelTexts() {
    QStringList texts{ExportingStatusText(), SavingStatusText(), QStringLiteral("one"),
                      QStringLiteral("30000")};
    for (int n = 1; n <= protocol::ResendTracker::kMaxResends; ++n)
        texts << QString::fromStdString(protocol::ResendPanelText(n));
    return texts;
}

}  // namespace lgcset::ui
