#include "protocol/device_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "protocol/command_codes.h"
#include "support/received_frames.h"

using namespace lgcset::protocol;
using lgcset::support::Reply;

namespace {

// Records every call as one line, so a test reads the whole conversation in order; an
// outcome as the text the window shows for it.
class RecordingHost : public DeviceRequests, public DeviceObserver {
  public:
    std::vector<std::string> log;
    std::vector<OperationOutcome> reports;
    bool answerYes = true;
    std::optional<std::string> invalid;
    int debugMode = 1;

    // Runs inside every call after it was logged, as the nested loop of a modal box (or a
    // widget's reaction) would run other events there.
    std::function<void(const std::string& entry)> during;

    void Note(std::string entry) {
        log.push_back(entry);
        if (during)
            during(entry);
    }

    void Report(const OperationOutcome& outcome) override {
        reports.push_back(outcome);
        const std::string text = OutcomeMessage(outcome);
        Note(text.empty() ? "report without text" : "msg " + text);
    }
    bool AskYesNo(std::string_view text, DefaultAnswer defaultAnswer) override {
        Note("ask " + std::string(text) +
             (defaultAnswer == DefaultAnswer::No ? " [No]" : " [Yes]"));
        return answerYes;
    }
    void SendLogin() override { Note("login"); }
    void SendReadPage(std::uint32_t a) override { Note("read " + std::to_string(a)); }
    void SendErasePage(std::uint32_t a) override { Note("erase " + std::to_string(a)); }
    void SendWritePage(std::uint32_t a) override { Note("write " + std::to_string(a)); }
    void SendRequest(std::uint8_t t) override { Note("request " + std::to_string(t)); }
    void ClearImage() override { Note("clear"); }
    void StoreReplyPage(std::uint32_t a, const ReceivedFrame&) override {
        Note("store " + std::to_string(a));
    }
    void EncodePage(std::uint32_t a) override { Note("encode " + std::to_string(a)); }
    void DecodePage(std::uint32_t a) override { Note("decode " + std::to_string(a)); }
    void OnPage(const ReceivedFrame&) override { Note("page"); }
    std::optional<std::string> InvalidSettingsMessage() override { return invalid; }
    void SetProgress(int p) override { Note("pb " + std::to_string(p)); }
    void SetProgressVisible(bool v) override { Note(v ? "pb shown" : "pb hidden"); }
    void ClearStatusText() override { Note("status cleared"); }
    void EnableDeviceButtons() override { Note("enable"); }
    void ApplyDeviceIdentity() override { Note("identity"); }
    void OnCurrentData(const ReceivedFrame&) override { Note("current"); }
    void OnHistoryCount(const ReceivedFrame&) override { Note("count"); }
    void OnHistoryRecord(const ReceivedFrame&) override { Note("record"); }
    void ShowDeviceTime(const ReceivedFrame&) override { Note("time"); }
    void ShowDebugData(const ReceivedFrame&) override { Note("debug"); }
    int DebugMode() const override { return debugMode; }
    int ResendsOfLastRequest() const override { return resends; }
    void ResumeResend() override { Note("resume"); }
    int resends = 0;

    std::vector<std::string> Take() { return std::exchange(log, {}); }
};

// The reply to a page read: pages differ, as a logger's do.
ReceivedFrame Page(std::uint32_t address) {
    return Reply(Command::ReadPage, {static_cast<std::uint8_t>(address >> 10)});
}

using Log = std::vector<std::string>;

}  // namespace

TEST(DeviceOperations, SaveWalksEraseWriteForEachPageThenFinishes) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    ops.SaveSettings();
    EXPECT_EQ(host.Take(), (Log{"clear", "erase 1024", "pb shown"}));

    const auto ok = [](Command c) { return Reply(c, {1}); };
    ops.DispatchResponse(ok(Command::ErasePage));
    EXPECT_EQ(host.Take(), (Log{"pb 10", "encode 1024", "write 1024"}));
    ops.DispatchResponse(ok(Command::WritePage));
    EXPECT_EQ(host.Take(), (Log{"pb 20", "erase 2048"}));
    ops.DispatchResponse(ok(Command::ErasePage));
    EXPECT_EQ(host.Take(), (Log{"pb 30", "encode 2048", "write 2048"}));
    ops.DispatchResponse(ok(Command::WritePage));
    EXPECT_EQ(host.Take(), (Log{"pb 40", "erase 3072"}));
    ops.DispatchResponse(ok(Command::ErasePage));
    ops.DispatchResponse(ok(Command::WritePage));
    EXPECT_EQ(host.Take(), (Log{"pb 50", "encode 3072", "write 3072", "pb 60", "erase 4096"}));
    ops.DispatchResponse(ok(Command::ErasePage));
    EXPECT_EQ(host.Take(), (Log{"pb 70", "encode 4096", "write 4096"}));
    // The finish request goes out only after the success box has been closed.
    ops.DispatchResponse(ok(Command::WritePage));
    EXPECT_EQ(host.Take(), (Log{"pb 80", "clear", "msg saved successfully.", "status cleared",
                                "pb hidden", "request 19"}));
    EXPECT_EQ(ops.WriteStage(), 0);

    // The closing reply ends the save for whoever waits on it; the window shows nothing.
    ops.DispatchResponse(ok(Command::FinishWrite));
    EXPECT_EQ(host.Take(), (Log{"report without text"}));
    EXPECT_EQ(host.reports.back(), (OperationOutcome{Operation::FinishWrite, Result::Done}));
    ops.DispatchResponse(Reply(Command::FinishWrite, {0}));
    EXPECT_EQ(host.Take(), (Log{"msg operate failure!"}));
}

TEST(DeviceOperations, WriteRepliesOutOfSequence) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    // A write acknowledged while no write runs.
    ops.DispatchResponse(Reply(Command::WritePage, {1}));
    EXPECT_EQ(host.Take(), (Log{"pb 0", "msg saved failure!"}));

    // An erase acknowledged after the fourth one: the bar goes past its end, nothing is sent.
    ops.SaveSettings();
    for (int i = 0; i < 3; ++i) {
        ops.DispatchResponse(Reply(Command::ErasePage, {1}));
        ops.DispatchResponse(Reply(Command::WritePage, {1}));
    }
    ops.DispatchResponse(Reply(Command::ErasePage, {1}));
    host.Take();
    ops.DispatchResponse(Reply(Command::ErasePage, {1}));
    EXPECT_EQ(host.Take(), (Log{"pb 90"}));

    // A refused erase or write ends the write with its message.
    ops.DispatchResponse(Reply(Command::ErasePage, {0}));
    ops.DispatchResponse(Reply(Command::WritePage));  // empty payload reads as 0xFF
    EXPECT_EQ(host.Take(), (Log{"msg erase failure!", "msg saved failure!"}));
}

TEST(DeviceOperations, SaveWithAnInvalidSettingSendsNothing) {
    RecordingHost host;
    host.invalid = "The value of \"Port\" is not a valid number.";
    DeviceOperations ops(host, host);
    ops.SaveSettings();
    // Reported once, with the host's message as it stands; not one request, nor the image
    // cleared.
    EXPECT_EQ(host.Take(), (Log{"msg The value of \"Port\" is not a valid number."}));
    EXPECT_EQ(
        host.reports,
        (std::vector<OperationOutcome>{{Operation::SaveSettings, Result::Invalid, *host.invalid}}));
    EXPECT_EQ(ops.WriteStage(), 0);

    // Once mended, the same save starts.
    host.invalid.reset();
    ops.SaveSettings();
    EXPECT_EQ(host.Take(), (Log{"clear", "erase 1024", "pb shown"}));
}

TEST(DeviceOperations, ReadDecodesEachPageAsItArrives) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    ops.ReadSettings();
    EXPECT_EQ(host.Take(), (Log{"clear", "read 1024", "pb shown"}));
    ops.DispatchResponse(Page(1024));
    EXPECT_EQ(host.Take(), (Log{"pb 10", "store 1024", "decode 1024", "read 2048", "pb 20"}));
    ops.DispatchResponse(Page(2048));
    ops.DispatchResponse(Page(3072));
    host.Take();
    EXPECT_EQ(ops.ReadStage(), 3);
    ops.DispatchResponse(Page(4096));
    EXPECT_EQ(host.Take(), (Log{"pb 70", "store 4096", "decode 4096", "pb 80", "clear",
                                "msg Uploading device parameters successfully.", "status cleared",
                                "pb hidden"}));

    // A read that stopped at page 3072 starts again at 1024 and decodes it as 1024.
    ops.ReadSettings();
    ops.DispatchResponse(Page(1024));
    ops.DispatchResponse(Page(2048));
    ops.ReadSettings();
    host.Take();
    ops.DispatchResponse(Page(1024));
    EXPECT_EQ(host.Take(), (Log{"pb 10", "store 1024", "decode 1024", "read 2048", "pb 20"}));
}

TEST(DeviceOperations, APageThatCameLateOrDoubledIsNotTakenForTheNextPage) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    ops.ReadSettings();
    host.resends = 1;  // the reply came after the request had gone out again
    ops.DispatchResponse(Page(1024));
    host.resends = 0;
    host.Take();
    ops.DispatchResponse(Page(1024));  // the reply to the re-send
    EXPECT_EQ(host.Take(), (Log{"resume"}));
    ops.DispatchResponse(Page(2048));
    ops.DispatchResponse(Page(2048));  // doubled by the line
    EXPECT_EQ(host.Take(),
              (Log{"pb 30", "store 2048", "decode 2048", "read 3072", "pb 40", "resume"}));
    ops.DispatchResponse(Page(3072));
    ops.DispatchResponse(Page(4096));
    host.Take();
    // The last page's twin, and any page while no read runs, start nothing.
    ops.DispatchResponse(Page(4096));
    ops.DispatchResponse(Page(1024));
    EXPECT_TRUE(host.Take().empty());
    EXPECT_EQ(ops.StaleReplies(), 4u);

    // A page the same as the one before is asked for again, not lost.
    ops.ReadSettings();
    ops.DispatchResponse(Page(1024));
    host.Take();
    ops.DispatchResponse(Page(1024));
    ops.DispatchResponse(Page(1024));
    EXPECT_EQ(host.Take(),
              (Log{"resume", "pb 30", "store 2048", "decode 2048", "read 3072", "pb 40"}));

    // A page read on its own is handed on, not decoded, and its twin is not taken by a
    // read started after it.
    ops.ReadPageAlone(4096);
    ops.DispatchResponse(Page(4096));
    ops.ReadSettings();
    ops.DispatchResponse(Page(4096));
    ops.DispatchResponse(Page(1024));
    EXPECT_EQ(host.Take(), (Log{"read 4096", "page", "clear", "read 1024", "pb shown", "resume",
                                "pb 10", "store 1024", "decode 1024", "read 2048", "pb 20"}));
}

TEST(DeviceOperations, AnAcknowledgementThatCameLateOrDoubledMovesTheSaveOnce) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    const ReceivedFrame erased = Reply(Command::ErasePage, {1});
    const ReceivedFrame written = Reply(Command::WritePage, {1});
    ops.SaveSettings();
    ops.DispatchResponse(erased);
    host.Take();
    // Page 2048 is written only after its own erase.
    ops.DispatchResponse(erased);
    EXPECT_TRUE(host.Take().empty());
    ops.DispatchResponse(written);
    ops.DispatchResponse(written);
    EXPECT_EQ(host.Take(), (Log{"pb 20", "erase 2048"}));
    for (int page = 1; page < 4; ++page) {
        ops.DispatchResponse(erased);
        ops.DispatchResponse(written);
    }
    EXPECT_EQ(host.Take().back(), "request 19");
    // A twin of the last write's acknowledgement does not call the save a failure.
    ops.DispatchResponse(written);
    EXPECT_TRUE(host.Take().empty());
    EXPECT_EQ(host.reports.size(), 1u);
}

TEST(DeviceOperations, LoginAndSingleRequestReplies) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    ops.DispatchResponse(Reply(Command::Login, {0}));
    EXPECT_EQ(host.Take(), (Log{"msg Login failure! Please enter the device password correctly."}));
    // Done is reported only once the identity is applied: a host that goes on at once
    // encodes with the logger's own codes.
    ops.DispatchResponse(Reply(Command::Login, {1, 'R', '4', '8', '1', 0}));
    EXPECT_EQ(host.Take(), (Log{"store 5120", "enable", "identity", "msg Login success."}));
    EXPECT_EQ(host.reports, (std::vector<OperationOutcome>{{Operation::Login, Result::Refused},
                                                           {Operation::Login, Result::Done}}));

    ops.DispatchResponse(Reply(Command::FactoryReset, {1}));
    ops.DispatchResponse(Reply(Command::FactoryReset, {7}));
    ops.DispatchResponse(Reply(Command::RelayControl, {1}));
    ops.DispatchResponse(Reply(Command::RelayControl, {0}));
    ops.DispatchResponse(Reply(Command::SetTime, {1}));
    ops.DispatchResponse(Reply(Command::SetTime, {0}));
    EXPECT_EQ(host.Take(),
              (Log{"msg Reset to factory mode successfully.All parameters are back to default "
                   "settings.",
                   "msg Reset to factory mode failure!", "msg operate successfully.",
                   "msg operate failure!", "msg time setting successfully",
                   "msg time setting failure!"}));

    host.answerYes = false;
    ops.FactoryReset();
    host.answerYes = true;
    ops.FactoryReset();
    // No is the answer that Enter gives.
    EXPECT_EQ(host.Take(), (Log{"ask Yes or No to factory mode [No]",
                                "ask Yes or No to factory mode [No]", "request 20"}));
}

TEST(DeviceOperations, DebugAndDataRepliesReachTheirHandlers) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    ops.DispatchResponse(Reply(Command::DebugMode, {1}));
    host.debugMode = 0;
    ops.DispatchResponse(Reply(Command::DebugMode, {1}));
    ops.DispatchResponse(Reply(Command::DebugMode, {0}));
    ops.DispatchResponse(Reply(Command::DebugMode, {2}));  // neither success nor failure
    EXPECT_EQ(host.Take(), (Log{"msg enable Debug mode successfully", "debug",
                                "msg disable Debug mode successfully", "debug",
                                "msg disable Debug mode failure"}));

    ops.DispatchResponse(Reply(Command::DebugData, {'R', 'A', 'T'}));
    ops.DispatchResponse(Reply(Command::CurrentData));
    ops.DispatchResponse(Reply(Command::HistoryCount, {0, 0}));
    ops.DispatchResponse(Reply(Command::HistoryRecord));
    ops.DispatchResponse(Reply(Command::ReadTime, {24, 3, 5, 14, 7, 9}));
    ops.DispatchResponse(Reply(static_cast<Command>(0x42)));
    EXPECT_EQ(host.Take(), (Log{"debug", "current", "count", "record", "time"}));
}

TEST(DeviceOperations, AnAbortEndsAReadOrAWriteWhereItStandsAndLateRepliesAreDropped) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    ops.Abort();  // nothing running: nothing to end
    EXPECT_TRUE(host.Take().empty());

    ops.ReadSettings();
    ops.DispatchResponse(Reply(Command::ReadPage));
    host.Take();
    ops.Abort();
    EXPECT_EQ(host.Take(), (Log{"pb hidden"}));
    EXPECT_EQ(ops.ReadStage(), 1);
    EXPECT_FALSE(ops.ReadRunning());
    ops.DispatchResponse(Reply(Command::ReadPage));  // the answer to "read 2048", too late
    EXPECT_TRUE(host.Take().empty());

    ops.SaveSettings();
    ops.DispatchResponse(Reply(Command::ErasePage, {1}));
    host.Take();
    ops.Abort();
    EXPECT_EQ(host.Take(), (Log{"pb hidden"}));
    for (const auto& late : {Reply(Command::WritePage, {1}), Reply(Command::ErasePage, {1}),
                             Reply(Command::WritePage, {0}), Reply(Command::ErasePage, {0})})
        ops.DispatchResponse(late);
    EXPECT_TRUE(host.Take().empty());  // no page encoded or sent, no failure message
    EXPECT_EQ(ops.WriteStage(), 1);

    // Started again, each runs from page 1024; the other stays ended.
    ops.ReadSettings();
    ops.DispatchResponse(Reply(Command::ReadPage));
    EXPECT_EQ(host.Take(), (Log{"clear", "read 1024", "pb shown", "pb 10", "store 1024",
                                "decode 1024", "read 2048", "pb 20"}));
    ops.DispatchResponse(Reply(Command::ErasePage, {1}));
    EXPECT_TRUE(host.Take().empty());
    ops.SaveSettings();
    ops.DispatchResponse(Reply(Command::ErasePage, {1}));
    EXPECT_EQ(host.Take(),
              (Log{"clear", "erase 1024", "pb shown", "pb 10", "encode 1024", "write 1024"}));
}

TEST(DeviceOperations, AStepWaitingInABoxWhenTheLinkClosesSendsNothingAfterIt) {
    RecordingHost host;
    DeviceOperations ops(host, host);
    const auto abortOn = [&](const std::string& entry) {
        host.during = [&, entry](const std::string& now) {
            if (now == entry)
                ops.Abort();
        };
    };

    // The factory question is open when the link goes: a Yes then resets nothing.
    abortOn("ask Yes or No to factory mode [No]");
    ops.FactoryReset();
    EXPECT_EQ(host.Take(), (Log{"ask Yes or No to factory mode [No]"}));

    // "saved successfully." is open: the closing request is not sent on the closed link.
    abortOn("msg saved successfully.");
    ops.SaveSettings();
    for (int page = 0; page < 4; ++page) {
        ops.DispatchResponse(Reply(Command::ErasePage, {1}));
        ops.DispatchResponse(Reply(Command::WritePage, {1}));
    }
    const Log save = host.Take();
    EXPECT_EQ(save.back(), "pb hidden");
    EXPECT_EQ(std::count(save.begin(), save.end(), "request 19"), 0);

    // A decoded value brings up a box in which the link closes: the next page is not asked.
    abortOn("decode 2048");
    ops.ReadSettings();
    ops.DispatchResponse(Page(1024));
    ops.DispatchResponse(Page(2048));
    const Log read = host.Take();
    EXPECT_EQ(std::vector<std::string>(read.end() - 2, read.end()),
              (Log{"decode 2048", "pb hidden"}));
    EXPECT_EQ(std::count(read.begin(), read.end(), "read 3072"), 0);
}

TEST(DeviceOperations, AnObserverWithNoOneToAskTakesTheDefaultAnswer) {
    // Only what every observer must give: no one here would confirm a factory reset.
    struct Silent : DeviceObserver {
        void Report(const OperationOutcome&) override {}
        void ApplyDeviceIdentity() override {}
    } silent;
    RecordingHost requests;
    DeviceOperations ops(requests, silent);
    ops.FactoryReset();
    EXPECT_TRUE(requests.Take().empty());
}
