// Line speeds outside the standard table go through the kernel's termios2 (BOTHER).
// Kept in a file of its own: the kernel's termios headers clash with the C library's.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cstdint>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace lgcset::link {

bool SetCustomBaudRate(int fd, std::uint32_t rate) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = rate;
    settings.c_ospeed = rate;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace lgcset::link
