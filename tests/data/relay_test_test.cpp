// The relay test fields: which of them the control type enables, and the request that the
// fields make, byte for byte.
#include "data/relay_test.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "protocol/commands.h"

namespace lgcset::data {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The relay group as the window starts it.
class RelayGroup final : public RelayWidgets {
  public:
    std::string Text(std::string_view name) const override { return texts_.at(std::string(name)); }
    void SetText(std::string_view name, const std::string& text) {
        texts_.at(std::string(name)) = text;
    }
    int ItemIndex(std::string_view name) const override {
        if (name != "ComboBox1")
            throw std::invalid_argument(std::string(name));
        return index_;
    }
    void SetItemIndex(std::string_view, int index) { index_ = index; }
    bool Enabled(std::string_view name) const { return enabled_.at(std::string(name)); }
    void SetEnabled(std::string_view name, bool enabled) override {
        enabled_.at(std::string(name)) = enabled;
    }

  private:
    int index_ = 0;
    std::map<std::string, std::string> texts_{
        {"Edit8", "10"}, {"Edit10", "3"}, {"Edit11", "1"}, {"Edit12", "5"}};
    std::map<std::string, bool> enabled_{{"ComboBox1", true},
                                         {"Edit8", true},
                                         {"Edit10", false},
                                         {"Edit11", false},
                                         {"Edit12", false}};
};

std::vector<bool> EnabledFields(const RelayGroup& group) {
    return {group.Enabled("Edit8"), group.Enabled("Edit10"), group.Enabled("Edit11"),
            group.Enabled("Edit12")};
}

// The payload of the request that "Start" sends for the fields as they stand.
Bytes StartPayload(const RelayGroup& group) {
    const RelayFieldsRead read = ReadRelayTestFields(group);
    if (!read.request) {
        ADD_FAILURE() << read.refusal;
        return {};
    }
    protocol::RequestParams params;
    params.relay = read.request->params;
    params.pendingRelayAction = read.request->action;
    const auto frame = protocol::BuildRequest(protocol::kRelayControlRequest, params);
    if (!frame)
        return {};
    // Header of 8 bytes, then the payload, the two check bytes and the end delimiter.
    return Bytes(frame->begin() + 8, frame->end() - 3);
}

TEST(RelayFields, ControlTypeEnablesItsOwnFieldsOnly) {
    RelayGroup group;
    group.SetItemIndex("ComboBox1", 1);
    ComboBox1Change(group);
    EXPECT_EQ(EnabledFields(group), (std::vector<bool>{false, true, true, true}));
    // A repeat count typed under pulse control changes nothing.
    Edit12Change(group);
    EXPECT_EQ(EnabledFields(group), (std::vector<bool>{false, true, true, true}));

    group.SetItemIndex("ComboBox1", 0);
    ComboBox1Change(group);
    EXPECT_EQ(EnabledFields(group), (std::vector<bool>{true, false, false, false}));
    group.SetEnabled("Edit10", true);
    group.SetEnabled("Edit12", true);
    Edit12Change(group);
    EXPECT_EQ(EnabledFields(group), (std::vector<bool>{true, false, false, false}));
}

TEST(RelayFields, NcNoSendsTheWorkingTimeOrTwoHundredFiftyFiveWhenEmpty) {
    RelayGroup group;
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x43, 0x0A, 0x00}));
    group.SetText("Edit8", "");
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x43, 0xFF, 0x00}));
    group.SetText("Edit8", "9999");
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x43, 0x0F, 0x27}));
}

TEST(RelayFields, PulseSendsOnOffAndTheLowByteOfTheRepeatCount) {
    RelayGroup group;
    group.SetItemIndex("ComboBox1", 1);
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x50, 0x03, 0x00, 0x01, 0x00, 0x05}));
    group.SetText("Edit12", "300");
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x50, 0x03, 0x00, 0x01, 0x00, 0x2C}));
    group.SetText("Edit10", "");
    group.SetText("Edit11", "999");
    group.SetText("Edit12", "");
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x50, 0xFF, 0x00, 0xE7, 0x03, 0xFF}));
}

TEST(RelayFields, TextThatIsNoNumberIsRefusedOnlyWhereItWouldBeSent) {
    RelayGroup group;
    group.SetText("Edit8", "1a");
    RelayFieldsRead read = ReadRelayTestFields(group);
    EXPECT_FALSE(read.request);
    EXPECT_NE(read.refusal.find("Relay working time"), std::string::npos) << read.refusal;
    EXPECT_NE(read.refusal.find("\"1a\""), std::string::npos) << read.refusal;

    for (const char* text : {"-1", " 5", "65536", "+3"}) {
        group.SetText("Edit8", text);
        EXPECT_FALSE(ReadRelayTestFields(group).request) << text;
    }
    group.SetText("Edit8", "65535");
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x43, 0xFF, 0xFF}));

    // Under NC/NO the pulse fields are not sent, so whatever they hold does not matter.
    group.SetText("Edit8", "10");
    group.SetText("Edit11", "x");
    EXPECT_EQ(StartPayload(group), (Bytes{0x01, 0x43, 0x0A, 0x00}));
    group.SetItemIndex("ComboBox1", 1);
    read = ReadRelayTestFields(group);
    EXPECT_FALSE(read.request);
    EXPECT_NE(read.refusal.find("then OFF"), std::string::npos) << read.refusal;
}

}  // namespace
}  // namespace lgcset::data
