#include "protocol/device_operations.h"

#include <array>

#include "protocol/command_codes.h"
#include "protocol/commands.h"

namespace lgcset::protocol {

namespace {

constexpr std::array<std::uint32_t, 4> kPages{kNumbersPage, kAlarmPage, kGprsPage, kSystemPage};

bool Succeeded(const ReceivedFrame& frame) {
    return frame.payload[0] == 1;
}

Result DoneOrRefused(const ReceivedFrame& frame) {
    return Succeeded(frame) ? Result::Done : Result::Refused;
}

}  // namespace

void DeviceOperations::Login() {
    requests_.SendLogin();
}

void DeviceOperations::ReadSettings() {
    readStage_ = 0;
    read_ = Sequence::Running;
    requests_.ClearImage();
    requests_.SendReadPage(kPages[0]);
    observer_.SetProgressVisible(true);
    observer_.RepaintStatus();
}

void DeviceOperations::SaveSettings() {
    // A value that cannot be converted would leave its page half written while the logger
    // reports success; check everything before the first page is erased.
    if (auto refusal = requests_.InvalidSettingsMessage()) {
        observer_.Report({Operation::SaveSettings, Result::Invalid, std::move(*refusal)});
        return;
    }
    writeStage_ = 0;
    write_ = Sequence::Running;
    requests_.ClearImage();
    awaitingWriteAck_ = false;
    requests_.SendErasePage(kPages[0]);
    observer_.SetProgressVisible(true);
    observer_.RepaintStatus();
}

bool DeviceOperations::FactoryReset() {
    // Only a deliberate Yes resets the logger, and only on the link the question was for.
    const std::uint32_t aborts = aborts_;
    if (!observer_.AskYesNo("Yes or No to factory mode", DefaultAnswer::No) ||
        AbortedSince(aborts)) {
        return false;
    }
    requests_.SendRequest(kFactoryResetRequest);
    return true;
}

void DeviceOperations::Abort() {
    ++aborts_;
    awaitingLonePage_ = false;  // its reply would be the closed line's
    pageTwins_.Forget();  // the next line's replies are no twins of this one's
    writeAckTwins_.Forget();
    const bool running = read_ == Sequence::Running || write_ == Sequence::Running;
    if (read_ == Sequence::Running) {
        read_ = Sequence::Ended;
    }
    if (write_ == Sequence::Running) {
        write_ = Sequence::Ended;
    }
    if (running) {
        observer_.SetProgressVisible(false);
        observer_.RepaintStatus();
    }
}

void DeviceOperations::WriteStepAfterErase() {
    observer_.SetProgress(writeStage_ * 20 + 10);
    if (writeStage_ >= kPages.size()) {
        return;  // an erase after the fourth: nothing more to write
    }
    const std::uint32_t page = kPages[writeStage_];
    ++writeStage_;
    write_ = Sequence::Running;
    requests_.EncodePage(page);
    awaitingWriteAck_ = true;
    requests_.SendWritePage(page);
}

void DeviceOperations::WriteStepAfterWrite() {
    observer_.SetProgress(writeStage_ * 20);
    switch (writeStage_) {
        case 1:
        case 2:
        case 3:
            write_ = Sequence::Running;
            observer_.RepaintStatus();
            awaitingWriteAck_ = false;
            requests_.SendErasePage(kPages[writeStage_]);
            break;
        case 4: {
            writeStage_ = 0;
            write_ = Sequence::Idle;
            requests_.ClearImage();
            const std::uint32_t aborts = aborts_;
            observer_.Report({Operation::SaveSettings, Result::Done});
            observer_.ClearStatusText();
            observer_.RepaintStatus();
            observer_.SetProgressVisible(false);
            if (!AbortedSince(aborts)) {  // the link is still the one that was written
                requests_.SendRequest(kFinishWriteRequest);
            }
            break;
        }
        default:
            observer_.Report({Operation::SaveSettings, Result::Unexpected});
            break;
    }
}

void DeviceOperations::ReadStep(const ReceivedFrame& frame) {
    observer_.SetProgress(readStage_ * 20 + 10);
    const std::uint32_t page = kPages[readStage_ % kPages.size()];
    Took(pageTwins_, frame);
    requests_.StoreReplyPage(page, frame);
    const std::uint32_t aborts = aborts_;
    requests_.DecodePage(page);  // a value can bring up a message box
    if (AbortedSince(aborts)) {
        return;
    }
    if (readStage_ < kPages.size() - 1) {
        ++readStage_;
        requests_.SendReadPage(kPages[readStage_]);
        observer_.RepaintStatus();
        observer_.SetProgress(readStage_ * 20);
        return;
    }
    observer_.SetProgress(80);
    readStage_ = 0;
    read_ = Sequence::Idle;
    requests_.ClearImage();
    observer_.Report({Operation::ReadSettings, Result::Done});
    observer_.ClearStatusText();
    observer_.RepaintStatus();
    observer_.SetProgressVisible(false);
}

void DeviceOperations::ReadPageAlone(std::uint32_t address) {
    awaitingLonePage_ = true;
    requests_.SendReadPage(address);
}

void DeviceOperations::Took(LateTwinFilter& twins, const ReceivedFrame& frame) {
    twins.Took(frame.Payload(), requests_.ResendsOfLastRequest());
}

bool DeviceOperations::DropStalePage(const ReceivedFrame& frame) {
    if (!pageTwins_.DropTwin(frame.Payload())) {
        return false;
    }
    requests_.ResumeResend();  // the twin stopped the re-sends of the next page's request
    return true;
}

bool DeviceOperations::DropStaleErase() {
    // After the fourth erase its twin only moves the bar to its end: nothing is sent.
    if (write_ != Sequence::Running || !awaitingWriteAck_ || writeStage_ >= kPages.size()) {
        return false;
    }
    ++staleErases_;
    return true;
}

bool DeviceOperations::DropStaleWrite(const ReceivedFrame& frame) {
    return !(write_ == Sequence::Running && awaitingWriteAck_) &&
           writeAckTwins_.DropTwin(frame.Payload());
}

void DeviceOperations::DispatchResponse(const ReceivedFrame& frame) {
    switch (static_cast<Command>(frame.command())) {
        case Command::Login:
            if (Succeeded(frame)) {
                requests_.StoreReplyPage(kLoginReplyAddress, frame);
                observer_.EnableDeviceButtons();
                observer_.ApplyDeviceIdentity();
            }
            observer_.Report({Operation::Login, DoneOrRefused(frame)});
            break;
        case Command::ErasePage:
            if (write_ == Sequence::Ended) {
                break;  // a late reply of a write that was ended
            }
            if (DropStaleErase()) {
                break;
            }
            if (Succeeded(frame)) {
                WriteStepAfterErase();
            } else {
                write_ = Sequence::Idle;
                observer_.Report({Operation::SaveSettings, Result::EraseRefused});
            }
            break;
        case Command::WritePage:
            if (write_ == Sequence::Ended || DropStaleWrite(frame)) {
                break;
            }
            Took(writeAckTwins_, frame);
            if (Succeeded(frame)) {
                WriteStepAfterWrite();
            } else {
                write_ = Sequence::Idle;
                observer_.Report({Operation::SaveSettings, Result::WriteRefused});
            }
            break;
        case Command::ReadPage:
            // The page asked for on its own is the next page reply, whatever else runs.
            if (awaitingLonePage_) {
                awaitingLonePage_ = false;
                Took(pageTwins_, frame);
                observer_.OnPage(frame);
                break;
            }
            // Only a read that runs takes a page: one that came while none did (late, from
            // a read that ended, or sent before this program opened the line) would be
            // decoded as page 1024 and start a read nobody asked for.
            if (read_ != Sequence::Running) {
                ++stalePages_;
            } else if (!DropStalePage(frame)) {
                ReadStep(frame);
            }
            break;
        case Command::FinishWrite:
            // Its success shows nothing in the window, but it is what a save ends with.
            observer_.Report({Operation::FinishWrite, DoneOrRefused(frame)});
            break;
        case Command::FactoryReset:
            observer_.Report({Operation::FactoryReset, DoneOrRefused(frame)});
            break;
        case Command::HistoryCount:
            observer_.OnHistoryCount(frame);
            break;
        case Command::HistoryRecord:
            observer_.OnHistoryRecord(frame);
            break;
        case Command::CurrentData:
            observer_.OnCurrentData(frame);
            break;
        case Command::RelayControl:
            observer_.Report({Operation::RelayControl, DoneOrRefused(frame)});
            break;
        case Command::DebugMode: {
            const Operation operation =
                observer_.DebugMode() == 1 ? Operation::DebugModeOn : Operation::DebugModeOff;
            if (frame.payload[0] == 1) {
                observer_.Report({operation, Result::Done});
                observer_.ShowDebugData(frame);
            } else if (frame.payload[0] == 0) {
                observer_.Report({operation, Result::Refused});
            }
            break;
        }
        case Command::DebugData:
            observer_.ShowDebugData(frame);
            break;
        case Command::SetTime:
            observer_.Report({Operation::SetTime, DoneOrRefused(frame)});
            break;
        case Command::ReadTime:
            observer_.ShowDeviceTime(frame);
            break;
    }
    // Any other code is ignored.
}

}  // namespace lgcset::protocol
