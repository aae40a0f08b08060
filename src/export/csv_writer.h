// CSV lines as the export writes them: fields joined with ",", CR LF after every line. A
// field is quoted only when it holds a "," or a quote (a decimal comma), so that the
// columns stay where they belong; otherwise it goes out as it is.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace lgcset::exports {

void AppendCsvField(std::string& line, std::string_view field);
void AppendCsvLine(std::string& out, std::span<const std::string_view> fields);

// A record of free text: a field that holds a line break is quoted too, so that text of
// several lines stays in its one record (RFC 4180).
void AppendCsvRecord(std::string& out, std::span<const std::string_view> fields);

}  // namespace lgcset::exports
