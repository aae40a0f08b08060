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
#include "protocol/late_twin_filter.h"

namespace lgcset::protocol {

class DeviceOperations {
  public:
    DeviceOperations(DeviceRequests& requests, DeviceObserver& observer)
        : requests_(requests), observer_(observer) {}

    void Login();         // btn7Click
    void ReadSettings();  // btn_loadClick
    void SaveSettings();  // btn_downClick
    // True when the request went: the question was answered Yes on the same link.
    bool FactoryReset();  // btn_industrialClick

    // One page read on its own (the system page, for the device ID): its reply is handed to
    // DeviceObserver::OnPage, not decoded into the settings, and its twin is not taken for
    // a settings read's page either.
    void ReadPageAlone(std::uint32_t address);

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
    // Pages of the write that stands (or ended or was refused) whose write the logger
    // acknowledged: a page whose write went unanswered may not hold what was sent.
    std::uint8_t PagesAcknowledged() const {
        return awaitingWriteAck_ && writeStage_ > 0 ? writeStage_ - 1 : writeStage_;
    }
    // Replies of page requests dropped as late, doubled or unasked (since this object was
    // made).
    std::uint32_t StaleReplies() const {
        return pageTwins_.Dropped() + writeAckTwins_.Dropped() + staleErases_ + stalePages_;
    }

  private:
    // Idle: never started, finished or refused (a write's replies are taken as their code
    // says, a read's are dropped); Running; Ended by Abort (its replies are dropped).
    enum class Sequence : std::uint8_t { Idle, Running, Ended };

    void WriteStepAfterErase();
    void WriteStepAfterWrite();
    void ReadStep(const ReceivedFrame& frame);
    // A reply that answers a page request already answered, late (after its re-send) or
    // doubled by the line, must not be taken for the answer to the next one: a page read's
    // twin would be decoded as the next page, and an erase's twin would send the next
    // page's write with no erase before it. A page's bytes tell its twin; of the
    // acknowledgements, an erase's is taken only while the write awaits one, and a write's
    // twin is told as a page's is (a twin of the last write would otherwise report a save
    // that succeeded as failed).
    bool DropStalePage(const ReceivedFrame& frame);
    bool DropStaleErase();
    bool DropStaleWrite(const ReceivedFrame& frame);
    // The reply taken as the answer to the request last sent.
    void Took(LateTwinFilter& twins, const ReceivedFrame& frame);
    // True when Abort ran since `aborts` was taken (inside a box of the step).
    bool AbortedSince(std::uint32_t aborts) const { return aborts_ != aborts; }

    DeviceRequests& requests_;
    DeviceObserver& observer_;
    std::uint8_t writeStage_ = 0;  // pages whose erase was acknowledged in this write
    std::uint8_t readStage_ = 0;   // pages already received in this read
    Sequence read_ = Sequence::Idle;
    Sequence write_ = Sequence::Idle;
    std::uint32_t aborts_ = 0;
    bool awaitingLonePage_ = false;
    bool awaitingWriteAck_ = false;  // the write's last request was a page write
    LateTwinFilter pageTwins_;
    LateTwinFilter writeAckTwins_;
    std::uint32_t staleErases_ = 0;
    std::uint32_t stalePages_ = 0;
};

}  // namespace lgcset::protocol
