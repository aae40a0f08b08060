#include "support/customer_settings.h"

namespace lgcset::support {

std::string CustomerTel(int n) {
    return "13800138" + std::to_string(100 + n);
}

Page CustomerNumbersPage() {
    Page page = BlankPage();
    for (int n = 1; n <= 6; ++n) {
        const std::size_t row = 22 * static_cast<std::size_t>(n - 1);
        page[row] = static_cast<std::uint8_t>('1' + n % 2);
        page[row + 1] = static_cast<std::uint8_t>('1' + n % 4);
        if (n != 6)
            PutText(page, row + 2, CustomerTel(n));
    }
    return page;
}

Page CustomerGprsPage() {
    Page page = BlankPage();
    PutText(page, 0, "lgc.example.com");
    PutText(page, 32, "10.0.0.2");
    PutU16(page, 64, 9001);
    page[66] = 1;
    PutText(page, 67, "cmnet");
    PutText(page, 99, "user");
    PutText(page, 131, "secret");
    return page;
}

Page CustomerSystemPage(const Upload& upload) {
    Page page = BlankPage();
    page[0] = 0;
    PutText(page, 1, "13900139000");
    PutText(page, 21, "12");
    PutText(page, 27, "000000000004711");
    page[42] = 15;
    PutU16(page, 44, 60);
    page[46] = 1;
    PutText(page, 47, "1234");
    PutText(page, 53, "13700137000");
    page[73] = 1;
    page[74] = upload.mode;
    PutU16(page, 76, upload.minutes);
    page[78] = upload.hour;
    page[79] = upload.minute;
    page[80] = 'M';  // report by schedule: schedules 1 and 2
    PutU16(page, 82, 2);
    page[84] = 8;
    page[85] = 30;
    page[86] = 20;
    page[87] = 0;
    PutText(page, 92, "13600136000");
    page[112] = 'C';
    PutU16(page, 114, 30);
    return page;
}

}  // namespace lgcset::support
