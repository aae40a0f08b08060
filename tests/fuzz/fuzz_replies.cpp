// The reply decoders, each on payloads of any content: current data, the history count and
// records, the login reply and the channel layout it selects, the four parameter pages
// over the in-memory settings, the clock reply and debug frames. The first byte picks the
// decoder.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "data/current_data.h"
#include "data/debug_monitor.h"
#include "data/device_clock.h"
#include "data/history_frame.h"
#include "fuzz_input.h"
#include "settings/channel_layout.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"

namespace {

using namespace lgcset;

using PayloadArea = std::array<std::uint8_t, 256>;

// The receive area as a reply leaves it: the bytes that came, 0xFF past them.
PayloadArea Area(std::span<const std::uint8_t> bytes) {
    PayloadArea area;
    area.fill(0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), area.size()), area.begin());
    return area;
}

void CurrentData(fuzz::Input& in) {
    const std::size_t count = in.Byte();
    const PayloadArea area = Area(in.Rest());
    data::CurrentReading reading;
    data::ParseCurrentData(area, count, reading);
    data::CurrentDataTexts(reading, ".");
}

void HistoryRecords(fuzz::Input& in) {
    static data::HistoryStore store;
    // Start near the top of the count as well, where records are left out.
    std::uint16_t count = in.Byte() & 1 ? static_cast<std::uint16_t>(0xFFFF - in.Byte()) : 0;
    const std::uint16_t before = count;
    const auto payload = in.Take(256);
    const data::HistoryFrameResult result = data::ParseHistoryFrame(payload, store, count);
    FUZZ_CHECK(count == before + result.stored);
    FUZZ_CHECK(count <= data::kMaxHistoryCount);
    // A record takes at least its marker (a reply cut short in its time still counts one).
    FUZZ_CHECK((result.stored + result.leftOut) * 2 <= payload.size());
}

// A login reply for one of the four channel layouts, stored where a login keeps it.
void LogIn(std::uint8_t layout, settings::SettingsModel& model, settings::ParameterImage& image,
           settings::CodeTables& codes) {
    static constexpr std::array<const char*, 4> kModels{"R480", "R481", "R482", "R483"};
    PayloadArea reply;
    reply.fill(0xFF);
    reply[0] = 1;
    const std::string_view name = kModels[layout % 4];
    std::copy(name.begin(), name.end(), reply.begin() + 1);
    reply[1 + name.size()] = 0;
    reply[2 + name.size()] = 0;  // no firmware text
    image.Store(settings::kLoginReplyAddress, reply);
    settings::ApplyDeviceIdentity(model, image, codes);
}

void LoginReply(fuzz::Input& in) {
    settings::SettingsModel model;
    settings::ParameterImage image;
    settings::CodeTables codes;
    image.Store(settings::kLoginReplyAddress, Area(in.Rest()));
    settings::ReadDeviceIdentity(image);
    settings::ApplyDeviceIdentity(model, image, codes);
}

// A page as the logger sends it, decoded. Where the settings it shows can be saved, the
// bytes they encode to must survive a second decode and encode unchanged: otherwise a
// read followed by a save would change what the logger holds.
void Page(std::uint32_t address, fuzz::Input& in) {
    settings::SettingsModel model;
    settings::ParameterImage image;
    settings::CodeTables codes;
    LogIn(in.Byte(), model, image, codes);
    image.Store(address, Area(in.Rest()));
    FUZZ_CHECK(settings::DecodePage(address, model, image, codes));
    if (!settings::ValidateForSave(model).empty())
        return;
    settings::ParameterImage once;
    FUZZ_CHECK(settings::EncodePage(address, model, once, codes));
    settings::SettingsModel again = model;
    settings::DecodePage(address, again, once, codes);
    settings::ParameterImage twice;
    FUZZ_CHECK(settings::EncodePage(address, again, twice, codes));
    const auto a = once.Bytes(address, settings::kPageBytes);
    const auto b = twice.Bytes(address, settings::kPageBytes);
    FUZZ_CHECK(std::equal(a.begin(), a.end(), b.begin(), b.end()));
}

void Clock(fuzz::Input& in) {
    const PayloadArea area = Area(in.Rest());
    const data::ClockReply reply = data::DecodeClockReply(area);
    if (reply.kind == data::ClockReplyKind::Valid) {
        FUZZ_CHECK(reply.time.date.month >= 1 && reply.time.date.month <= 12);
        FUZZ_CHECK(reply.time.time.hour < 24 && reply.time.time.minute < 60 &&
                   reply.time.time.second < 60);
    } else if (reply.kind == data::ClockReplyKind::Invalid) {
        data::InvalidClockMessage(reply);
    }
}

void Debug(fuzz::Input& in) {
    const std::size_t count = in.Word() % 300;
    const PayloadArea area = Area(in.Rest());
    const auto traffic = data::DecodeDebugTraffic(area, count);
    if (traffic) {
        FUZZ_CHECK(traffic->bytes.size() < std::min<std::size_t>(count, area.size()));
        FUZZ_CHECK(traffic->bytes.empty() || (traffic->bytes.data() > area.data() &&
                                              &traffic->bytes.back() < area.data() + area.size()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    switch (in.Byte() % 9) {
        case 0: CurrentData(in); break;
        case 1: HistoryRecords(in); break;
        case 2: LoginReply(in); break;
        case 3: Page(settings::kNumbersPageAddress, in); break;
        case 4: Page(settings::kAlarmPageAddress, in); break;
        case 5: Page(settings::kGprsPageAddress, in); break;
        case 6: Page(settings::kSystemPageAddress, in); break;
        case 7: Clock(in); break;
        default: Debug(in); break;
    }
    return 0;
}
