#include "export/csv_writer.h"

namespace lgcset::exports {

namespace {

void AppendField(std::string& line, std::string_view field, std::string_view quoteFor) {
    if (field.find_first_of(quoteFor) == std::string_view::npos) {
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

void AppendFields(std::string& out, std::span<const std::string_view> fields,
                  std::string_view quoteFor) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        AppendField(out, fields[i], quoteFor);
    }
    out += "\r\n";
}

}  // namespace

void AppendCsvField(std::string& line, std::string_view field) {
    AppendField(line, field, ",\"");
}

void AppendCsvLine(std::string& out, std::span<const std::string_view> fields) {
    AppendFields(out, fields, ",\"");
}

void AppendCsvRecord(std::string& out, std::span<const std::string_view> fields) {
    AppendFields(out, fields, ",\"\r\n");
}

}  // namespace lgcset::exports
