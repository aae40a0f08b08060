// Reply dispatch and the multi-step operations on the logger: login, reading and
// writing the four parameter pages, factory reset.
//
// Replies are not matched to requests: the command code alone selects the action and a
// stage counter holds the position inside a read or a write. What the operations send and
// keep goes through DeviceRequests, what they tell through DeviceObserver; the logic here
// has no widgets.
#pragma once

#include <cstdint>

#include "protocol/device_host.h"
#include "protocol/frame_codec.h"

namespace lgcset::protocol {

class DeviceOperations {
  public:
    DeviceOperations(DeviceRequests& requests, DeviceObserver& observer)
        : requests_(requests), observer_(observer) {}

    void Login();         // btn7Click
    void ReadSettings();  // btn_loadClick
    void SaveSettings();  // btn_downClick
    void FactoryReset();  // btn_industrialClick

    void DispatchResponse(const ReceivedFrame& frame);

    // The link has closed: a settings read or write that is running ends where it stands
    // (its stage stays, its bar is hidden), and nothing that was started before goes on to
    // the logger: neither a step that waited in a message box nor a late page reply, which
    // is dropped until the same operation is started again. The settings shown stay as
    // they are.
    void Abort();

    std::uint8_t WriteStage() const { return writeStage_; }
    std::uint8_t ReadStage() const { return readStage_; }
    bool ReadRunning() const { return read_ == Sequence::Running; }
    bool WriteRunning() const { return write_ == Sequence::Running; }

  private:
    // Idle: never started, finished or refused (replies are taken as their code says);
    // Running; Ended by Abort (its replies are dropped).
    enum class Sequence : std::uint8_t { Idle, Running, Ended };

    void WriteStepAfterErase();
    void WriteStepAfterWrite();
    void ReadStep(const ReceivedFrame& frame);
    // True when Abort ran since `aborts` was taken (inside a box of the step).
    bool AbortedSince(std::uint32_t aborts) const { return aborts_ != aborts; }

    DeviceRequests& requests_;
    DeviceObserver& observer_;
    std::uint8_t writeStage_ = 0;  // pages whose erase was acknowledged in this write
    std::uint8_t readStage_ = 0;   // pages already received in this read
    Sequence read_ = Sequence::Idle;
    Sequence write_ = Sequence::Idle;
    std::uint32_t aborts_ = 0;
};

}  // namespace lgcset::protocol
