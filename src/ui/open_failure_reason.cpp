#include "ui/open_failure_reason.h"

#include "link/open_failure_reason.h"

namespace lgcset::ui {

QString OpenFailureReason(int errorNumber, const QString& portName) {
    return QString::fromLocal8Bit(
        link::OpenFailureReason(errorNumber, portName.toLocal8Bit().toStdString()));
}

}  // namespace lgcset::ui
