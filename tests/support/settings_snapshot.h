// A settings snapshot as the archive keeps one: the customer's pages (customer_settings.h),
// every sensor as the factory leaves it.
#pragma once

#include <cstdint>
#include <string>

#include "archive/change_record.h"
#include "protocol/command_codes.h"
#include "support/customer_settings.h"

namespace lgcset::support {

inline archive::SettingsSnapshot CustomerSnapshot(
    const std::string& model = "R481", std::int64_t at = 1'772'360'100,
    archive::SnapshotReason reason = archive::SnapshotReason::Read) {
    Page alarm = BlankPage();
    for (std::size_t sensor = 0; sensor < 4; ++sensor)
        PutAlarmBlock(alarm, 36 * sensor, FactoryAlarmBlock('C'));
    archive::SettingsSnapshot snapshot;
    snapshot.deviceId = "000000000004711";
    snapshot.model = model;
    snapshot.firmware = "V3.05-R48x";
    snapshot.at = at;
    snapshot.reason = reason;
    for (const auto& [address, page] :
         {std::pair{protocol::kNumbersPage, CustomerNumbersPage()},
          std::pair{protocol::kAlarmPage, alarm},
          std::pair{protocol::kGprsPage, CustomerGprsPage()},
          std::pair{protocol::kSystemPage, CustomerSystemPage({'D', 30})}})
        snapshot.pages[address] = {page.begin(), page.end()};
    return snapshot;
}

}  // namespace lgcset::support
