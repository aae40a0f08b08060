#include "session/device_session.h"

#include <algorithm>

#include "protocol/commands.h"

namespace lgcset::session {

DeviceSession::DeviceSession(LoggerSession& session, settings::SettingsView& settings,
                             protocol::DeviceObserver& observer)
    : session_(session), settings_(settings), operations_(*this, observer) {}

void DeviceSession::ForgetPages() {
    readPages_.clear();
    writtenPages_.clear();
}

void DeviceSession::SendLogin() {
    session_.Send(protocol::BuildLogin(settings_.Text(settings::Setting::LoginPassword)));
}

void DeviceSession::SendReadPage(std::uint32_t address) {
    session_.Send(protocol::BuildReadPage(address));
}

void DeviceSession::SendErasePage(std::uint32_t address) {
    session_.Send(protocol::BuildErasePage(address));
}

void DeviceSession::SendWritePage(std::uint32_t address, std::span<const std::uint8_t> image) {
    Page& page = writtenPages_[address];
    if (address + page.size() <= image.size())
        std::copy_n(image.begin() + address, page.size(), page.begin());
    session_.Send(protocol::BuildWritePage(address, image));
}

void DeviceSession::SendWritePage(std::uint32_t address) {
    SendWritePage(address, image_.All());
}

void DeviceSession::SendRequest(std::uint8_t requestType) {
    if (protocol::BuildRequest(requestType, params_, requestFrame_))
        session_.Send(requestFrame_);
}

void DeviceSession::ClearImage() {
    settings::ClearImage(image_);
}

void DeviceSession::StoreReplyPage(std::uint32_t address, const protocol::ReceivedFrame& frame) {
    // The whole payload area: bytes past the reply's payload are 0xFF.
    image_.Store(address, frame.payload);
    if (address == protocol::kLoginReplyAddress) {
        loginReply_.assign(frame.payload.begin(), frame.payload.end());
    } else {
        Page& page = readPages_[address];
        std::copy_n(frame.payload.begin(), page.size(), page.begin());
    }
}

void DeviceSession::EncodePage(std::uint32_t address) {
    if (const auto given = pagesToWrite_.find(address); given != pagesToWrite_.end()) {
        image_.Store(address, given->second);
        return;
    }
    settings::EncodePage(address, settings_, image_, codes_);
}

void DeviceSession::DecodePage(std::uint32_t address) {
    settings::DecodePage(address, settings_, image_, codes_);
}

std::optional<std::string> DeviceSession::InvalidSettingsMessage() {
    if (!pagesToWrite_.empty())
        return std::nullopt;
    const std::vector<settings::InvalidField> invalid = settings::ValidateForSave(settings_);
    if (invalid.empty())
        return std::nullopt;
    return settings::InvalidFieldsMessage(invalid);
}

void DeviceSession::SendHistoryCount(const data::QueryRange& range) {
    data::StoreQueryRange(range, params_);
    SendRequest(protocol::kHistoryCountRequest);
}

void DeviceSession::SendHistoryRecord(std::uint16_t number) {
    params_.historyRecordIndex = number;
    SendRequest(protocol::kHistoryRecordRequest);
}

}  // namespace lgcset::session
