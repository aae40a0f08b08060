// The tools of the "Others" tab that act on the connected logger: the current data query,
// the device clock, the relay test and the debug monitor. The decoding and the rules are in
// src/data; this is the glue between them, the form's widgets and the connection's jobs.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "data/relay_test.h"
#include "protocol/frame_codec.h"
#include "protocol/request_params.h"

class QPlainTextEdit;

namespace lgcset::data {
class RelayWidgets;
}

namespace lgcset::ui {

class ConnectionPresenter;
class Tfrm_mset;

class ToolsPresenter final {
  public:
    ToolsPresenter(Tfrm_mset& form, ConnectionPresenter& connection);
    ~ToolsPresenter();

    // ---- Current data: a reply is taken by its code, one nobody waited for shows as well.
    void QueryCurrentData();
    void OnCurrentData(const protocol::ReceivedFrame& frame);
    void ShowCurrentData();

    // ---- Device clock.
    void ReadClock();
    void ShowDeviceTime(const protocol::ReceivedFrame& frame);
    void SetClockFromPickers();
    void SetClockFromNow();

    // ---- Relay test.
    void StartRelay();
    void StopRelay();
    void RelayTypeChanged();
    void RelayTimeChanged();

    // ---- Debug monitor.
    void DebugOn();
    void DebugOff();
    void ShowDebugData(const protocol::ReceivedFrame& frame);
    static void AppendHexToMemo(QPlainTextEdit* memo, std::span<const std::uint8_t> bytes);

  private:
    // Each recorded in the audit trail once the logger has answered.
    void SetClock(const protocol::ClockSetting& clock);
    void RunRelay(const data::RelayTestRequest& request);

    Tfrm_mset& form_;
    ConnectionPresenter& connection_;
    std::unique_ptr<data::RelayWidgets> relayWidgets_;
};

}  // namespace lgcset::ui
