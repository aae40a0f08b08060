// The logger's operations over one session: the requests they send, built from the
// settings and the parameter image, and the replies handed to them. The host observes
// (boxes, progress, identity, data replies); everything that goes to the logger, and the
// pages that went and came, is kept here once for every host.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/history_query.h"
#include "protocol/device_host.h"
#include "protocol/device_operations.h"
#include "protocol/frame_codec.h"
#include "protocol/request_params.h"
#include "session/logger_session.h"
#include "settings/parameter_image.h"
#include "settings/settings_view.h"

namespace lgcset::session {

using Page = std::array<std::uint8_t, 256>;

class DeviceSession final : public protocol::DeviceRequests, public data::HistoryRequests {
  public:
    // The settings the operations read and write (the login password among them); all
    // three must outlive this.
    DeviceSession(LoggerSession& session, settings::SettingsView& settings,
                  protocol::DeviceObserver& observer);

    protocol::DeviceOperations& Operations() { return operations_; }
    settings::ParameterImage& Image() { return image_; }
    settings::CodeTables& Codes() { return codes_; }
    protocol::RequestParams& Params() { return params_; }

    // A valid reply, to whatever operation or tool it answers.
    void Dispatch(const protocol::ReceivedFrame& frame) { operations_.DispatchResponse(frame); }

    // The payload of the last successful login, and the pages of the last read and of the
    // last write as they came and went (a page missing: not reached).
    const std::vector<std::uint8_t>& LoginReply() const { return loginReply_; }
    const std::map<std::uint32_t, Page>& ReadPages() const { return readPages_; }
    const std::map<std::uint32_t, Page>& WrittenPages() const { return writtenPages_; }
    void ForgetPages();

    // Pages the next saves write as they are, instead of the settings encoded into a cleared
    // image; they were built from settings already checked, so the save checks none. Empty:
    // encode the settings again.
    void WriteTheseNext(std::map<std::uint32_t, Page> pages) { pagesToWrite_ = std::move(pages); }

    // Sends image[address .. address + 255] of the given image.
    void SendWritePage(std::uint32_t address, std::span<const std::uint8_t> image);

    // protocol::DeviceRequests
    void SendLogin() override;
    void SendReadPage(std::uint32_t address) override;
    void SendErasePage(std::uint32_t address) override;
    void SendWritePage(std::uint32_t address) override;
    void SendRequest(std::uint8_t requestType) override;
    void ClearImage() override;
    void StoreReplyPage(std::uint32_t address, const protocol::ReceivedFrame& frame) override;
    void EncodePage(std::uint32_t address) override;
    void DecodePage(std::uint32_t address) override;
    std::optional<std::string> InvalidSettingsMessage() override;

    // data::HistoryRequests
    void SendHistoryCount(const data::QueryRange& range) override;
    void SendHistoryRecord(std::uint16_t number) override;

    // Of both: the single send path's re-sends
    int ResendsOfLastRequest() const override { return session_.ResendCount(); }
    void ResumeResend() override { session_.ResumeResend(); }

  private:
    LoggerSession& session_;
    settings::SettingsView& settings_;
    protocol::DeviceOperations operations_;
    settings::ParameterImage image_;
    settings::CodeTables codes_;
    protocol::RequestParams params_;
    // The frame a request is built into, kept from request to request.
    std::vector<std::uint8_t> requestFrame_;
    std::vector<std::uint8_t> loginReply_;
    std::map<std::uint32_t, Page> readPages_;
    std::map<std::uint32_t, Page> writtenPages_;
    std::map<std::uint32_t, Page> pagesToWrite_;
};

}  // namespace lgcset::session
