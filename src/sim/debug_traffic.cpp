#include "sim/debug_traffic.h"

#include <cstdio>

#include "sim/civil_time.h"
#include "sim/data_items.h"

namespace lgcset::sim {

namespace {
std::vector<std::uint8_t> Text(std::uint8_t direction, const std::string& text) {
    std::vector<std::uint8_t> out{direction};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

// The data packet the logger uploads: a start byte, the packet number, the device ID, the
// time and its readings as data items, and an XOR check. Binary, so 0xA5 and 0xAA show up
// and the frame needs stuffing now and then.
std::vector<std::uint8_t> DataPacket(std::uint16_t number, std::int64_t seconds,
                                     const std::string& deviceId, ChannelLayout layout) {
    std::vector<std::uint8_t> p{0xAA, 0xA5};
    p.push_back(static_cast<std::uint8_t>(number & 0xFF));
    p.push_back(static_cast<std::uint8_t>(number >> 8));
    p.insert(p.end(), deviceId.begin(), deviceId.end());
    const CivilTime t = FromSeconds(seconds);
    for (int v : {t.year % 100, t.month, t.day, t.hour, t.minute, t.second}) {
        p.push_back(static_cast<std::uint8_t>(v));
    }
    for (int ch = 0; ch < layout.count; ++ch) {
        AppendItem(p, kSensorTag, static_cast<std::uint8_t>(ch),
                   SensorValue(layout.kind, ch, seconds));
    }
    AppendItem(p, kSignalTag, kSignalTag, GsmSignalAt(seconds));
    std::uint8_t check = 0;
    for (std::uint8_t b : p) {
        check ^= b;
    }
    p.push_back(check);
    return p;
}
}  // namespace

std::vector<std::uint8_t> DebugTraffic::Next(std::int64_t seconds, const std::string& deviceId,
                                             ChannelLayout layout) {
    constexpr std::size_t kSteps = 9;
    const std::size_t step = step_;
    step_ = (step_ + 1) % kSteps;
    const int signal = static_cast<int>(GsmSignalAt(seconds));
    switch (step) {
        case 0:
            return Text(kToServer, "AT+CSQ\r\n");
        case 1:
            return Text(kFromServer, "\r\n+CSQ: " + std::to_string(signal) + ",0\r\n\r\nOK\r\n");
        case 2:
            return Text(kToServer, "AT+CIPSTATUS\r\n");
        case 3:
            return Text(kFromServer, "\r\nOK\r\n\r\nSTATE: CONNECT OK\r\n");
        case 4: {
            const std::size_t size = DataPacket(packetNumber_, seconds, deviceId, layout).size();
            return Text(kToServer, "AT+CIPSEND=" + std::to_string(size) + "\r\n");
        }
        case 5:
            return Text(kFromServer, "\r\n> ");
        case 6: {
            std::vector<std::uint8_t> out{kToServer};
            const auto packet = DataPacket(packetNumber_, seconds, deviceId, layout);
            out.insert(out.end(), packet.begin(), packet.end());
            return out;
        }
        case 7:
            return Text(kFromServer, "\r\nSEND OK\r\n");
        default: {
            // The server's acknowledgement of the packet.
            std::vector<std::uint8_t> out{kFromServer,
                                          0xAA,
                                          0xA5,
                                          0x80,
                                          static_cast<std::uint8_t>(packetNumber_ & 0xFF),
                                          static_cast<std::uint8_t>(packetNumber_ >> 8),
                                          0x00};
            ++packetNumber_;
            return out;
        }
    }
}

}  // namespace lgcset::sim
