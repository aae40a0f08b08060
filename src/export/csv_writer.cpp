#include "export/csv_writer.h"

namespace lgcset::exports {

void AppendCsvField(std::string& line, std::string_view field) {
    if (field.find_first_of(",\"") == std::string_view::npos) {
        line += field;
        return;
    }
    line += '"';
    for (char c : field) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

void AppendCsvLine(std::string& out, std::span<const std::string_view> fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        AppendCsvField(out, fields[i]);
    }
    out += "\r\n";
}

}  // namespace lgcset::exports
