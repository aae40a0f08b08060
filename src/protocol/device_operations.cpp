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

}  // namespace

void DeviceOperations::Login() {
    host_.SendLogin();
}

void DeviceOperations::ReadSettings() {
    readStage_ = 0;
    read_ = Sequence::Running;
    host_.ClearImage();
    host_.SendReadPage(kPages[0]);
    host_.SetProgressVisible(true);
    host_.RepaintStatus();
}

void DeviceOperations::SaveSettings() {
    // A value that cannot be converted would leave its page half written while the logger
    // reports success; check everything before the first page is erased.
    if (const auto refusal = host_.InvalidSettingsMessage()) {
        host_.ShowMessage(*refusal);
        return;
    }
    writeStage_ = 0;
    write_ = Sequence::Running;
    host_.ClearImage();
    host_.SendErasePage(kPages[0]);
    host_.SetProgressVisible(true);
    host_.RepaintStatus();
}

void DeviceOperations::FactoryReset() {
    // Only a deliberate Yes resets the logger, and only on the link the question was for.
    const std::uint32_t aborts = aborts_;
    if (host_.AskYesNo("Yes or No to factory mode", DefaultAnswer::No) && !AbortedSince(aborts)) {
        host_.SendRequest(kFactoryResetRequest);
    }
}

void DeviceOperations::Abort() {
    ++aborts_;
    const bool running = read_ == Sequence::Running || write_ == Sequence::Running;
    if (read_ == Sequence::Running) {
        read_ = Sequence::Ended;
    }
    if (write_ == Sequence::Running) {
        write_ = Sequence::Ended;
    }
    if (running) {
        host_.SetProgressVisible(false);
        host_.RepaintStatus();
    }
}

void DeviceOperations::WriteStepAfterErase() {
    host_.SetProgress(writeStage_ * 20 + 10);
    if (writeStage_ >= kPages.size()) {
        return;  // an erase after the fourth: nothing more to write
    }
    const std::uint32_t page = kPages[writeStage_];
    ++writeStage_;
    write_ = Sequence::Running;
    host_.EncodePage(page);
    host_.SendWritePage(page);
}

void DeviceOperations::WriteStepAfterWrite() {
    host_.SetProgress(writeStage_ * 20);
    switch (writeStage_) {
        case 1:
        case 2:
        case 3:
            write_ = Sequence::Running;
            host_.RepaintStatus();
            host_.SendErasePage(kPages[writeStage_]);
            break;
        case 4: {
            writeStage_ = 0;
            write_ = Sequence::Idle;
            host_.ClearImage();
            const std::uint32_t aborts = aborts_;
            host_.ShowMessage(kSaveDoneMessage);
            host_.ClearStatusText();
            host_.RepaintStatus();
            host_.SetProgressVisible(false);
            if (!AbortedSince(aborts)) {  // the link is still the one that was written
                host_.SendRequest(kFinishWriteRequest);
            }
            break;
        }
        default:
            host_.ShowMessage(kSaveFailureMessage);
            break;
    }
}

void DeviceOperations::ReadStep(const ReceivedFrame& frame) {
    read_ = Sequence::Running;
    host_.SetProgress(readStage_ * 20 + 10);
    const std::uint32_t page = kPages[readStage_ % kPages.size()];
    host_.StoreReplyPage(page, frame);
    const std::uint32_t aborts = aborts_;
    host_.DecodePage(page);  // a value can bring up a message box
    if (AbortedSince(aborts)) {
        return;
    }
    if (readStage_ < kPages.size() - 1) {
        ++readStage_;
        host_.SendReadPage(kPages[readStage_]);
        host_.RepaintStatus();
        host_.SetProgress(readStage_ * 20);
        return;
    }
    host_.SetProgress(80);
    readStage_ = 0;
    read_ = Sequence::Idle;
    host_.ClearImage();
    host_.ShowMessage(kReadDoneMessage);
    host_.ClearStatusText();
    host_.RepaintStatus();
    host_.SetProgressVisible(false);
}

void DeviceOperations::DispatchResponse(const ReceivedFrame& frame) {
    switch (static_cast<Command>(frame.command())) {
        case Command::Login:
            if (Succeeded(frame)) {
                host_.StoreReplyPage(kLoginReplyAddress, frame);
                host_.EnableDeviceButtons();
                host_.ApplyDeviceIdentity();
                host_.ShowMessage(kLoginSuccessMessage);
            } else {
                host_.ShowMessage(kLoginFailureMessage);
            }
            break;
        case Command::ErasePage:
            if (write_ == Sequence::Ended) {
                break;  // a late reply of a write that was ended
            }
            if (Succeeded(frame)) {
                WriteStepAfterErase();
            } else {
                write_ = Sequence::Idle;
                host_.ShowMessage(kEraseFailureMessage);
            }
            break;
        case Command::WritePage:
            if (write_ == Sequence::Ended) {
                break;
            }
            if (Succeeded(frame)) {
                WriteStepAfterWrite();
            } else {
                write_ = Sequence::Idle;
                host_.ShowMessage(kSaveFailureMessage);
            }
            break;
        case Command::ReadPage:
            if (read_ != Sequence::Ended) {
                ReadStep(frame);
            }
            break;
        case Command::FinishWrite:
            if (!Succeeded(frame)) {
                host_.ShowMessage(kOperateFailureMessage);
            }
            break;
        case Command::FactoryReset:
            host_.ShowMessage(Succeeded(frame) ? kResetDoneMessage : kResetFailureMessage);
            break;
        case Command::HistoryCount:
            host_.OnHistoryCount(frame);
            break;
        case Command::HistoryRecord:
            host_.OnHistoryRecord(frame);
            break;
        case Command::CurrentData:
            host_.OnCurrentData(frame);
            break;
        case Command::RelayControl:
            host_.ShowMessage(Succeeded(frame) ? kOperateSuccessMessage : kOperateFailureMessage);
            break;
        case Command::DebugMode: {
            const bool on = host_.DebugMode() == 1;
            if (frame.payload[0] == 1) {
                host_.ShowMessage(on ? "enable Debug mode successfully"
                                     : "disable Debug mode successfully");
                host_.ShowDebugData(frame);
            } else if (frame.payload[0] == 0) {
                host_.ShowMessage(on ? "enable Debug mode failure" : "disable Debug mode failure");
            }
            break;
        }
        case Command::DebugData:
            host_.ShowDebugData(frame);
            break;
        case Command::SetTime:
            host_.ShowMessage(Succeeded(frame) ? kTimeSetMessage : kTimeSetFailureMessage);
            break;
        case Command::ReadTime:
            host_.ShowDeviceTime(frame);
            break;
    }
    // Any other code is ignored.
}

}  // namespace lgcset::protocol
