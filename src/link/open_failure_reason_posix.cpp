#include "link/open_failure_reason.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace lgcset::link {

namespace {

// The port component takes a name with a '/' as a path and any other name as a device
// under /dev.
std::string DevicePath(const std::string& portName) {
    return portName.find('/') != std::string::npos ? portName : "/dev/" + portName;
}

std::string OwningGroup(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    const group* owner = ::getgrgid(info.st_gid);
    return owner != nullptr ? std::string(owner->gr_name) : std::string();
}

}  // namespace

std::string OpenFailureReason(int errorNumber, const std::string& portName) {
    const std::string path = DevicePath(portName);
    switch (errorNumber) {
        case EACCES:
        case EPERM: {
            std::string group = OwningGroup(path);
            if (group.empty())
                group = "dialout";
            return "Permission denied for " + path +
                   ". The user must be a member of the group that owns the device (" + group +
                   "): add the user to it, then log in again.";
        }
        case EBUSY:
        case EWOULDBLOCK:
            return path + " is busy: another program is using it.";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "No such device: " + path + ".";
        case ENOTTY:
            return path + " is not a serial port.";
        case 0:
            return {};
        default:
            return path + ": " + std::strerror(errorNumber);
    }
}

}  // namespace lgcset::link
