// Words the operating system's reason why a serial device could not be opened, for the
// detail text of the port error box (the texts are the link library's).
#pragma once

#include <QString>

namespace lgcset::ui {

// errorNumber is the errno left by the failed open (0 when unknown); portName is the name
// the user chose ("ttyUSB0" or a path), used to name the device and its owning group.
QString OpenFailureReason(int errorNumber, const QString& portName);

}  // namespace lgcset::ui
