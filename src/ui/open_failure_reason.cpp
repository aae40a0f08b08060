#include "ui/open_failure_reason.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace lgcset::ui {

namespace {

// The port component takes a name with a '/' as a path and any other name as a device
// under /dev.
QString DevicePath(const QString& portName) {
    return portName.contains(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
}

QString OwningGroup(const QString& path) {
    struct stat info {};
    if (::stat(path.toLocal8Bit().constData(), &info) != 0)
        return {};
    const group* owner = ::getgrgid(info.st_gid);
    return owner != nullptr ? QString::fromLocal8Bit(owner->gr_name) : QString();
}

}  // namespace

QString OpenFailureReason(int errorNumber, const QString& portName) {
    const QString path = DevicePath(portName);
    switch (errorNumber) {
        case EACCES:
        case EPERM: {
            QString group = OwningGroup(path);
            if (group.isEmpty())
                group = QStringLiteral("dialout");
            return QStringLiteral(
                       "Permission denied for %1. The user must be a member of the group that "
                       "owns the device (%2): add the user to it, then log in again.")
                .arg(path, group);
        }
        case EBUSY:
        case EWOULDBLOCK:
            return QStringLiteral("%1 is busy: another program is using it.").arg(path);
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return QStringLiteral("No such device: %1.").arg(path);
        case ENOTTY:
            return QStringLiteral("%1 is not a serial port.").arg(path);
        case 0:
            return {};
        default:
            return QStringLiteral("%1: %2").arg(path,
                                                QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

}  // namespace lgcset::ui
