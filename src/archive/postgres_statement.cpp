#include "archive/postgres_statement.h"

#include <algorithm>

namespace lgcset::archive::postgres {

std::string Trimmed(const std::string& text) {
    std::string joined;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        std::replace(line.begin(), line.end(), '\t', ' ');
        const std::size_t first = line.find_first_not_of(" \r");
        if (first == std::string::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \r") - first + 1);
        if (!joined.empty())
            joined += std::string_view(".?!:;").find(joined.back()) == std::string_view::npos
                          ? ". "
                          : " ";
        joined += line;
    }
    while (!joined.empty() && (joined.back() == '.' || joined.back() == '?'))
        joined.pop_back();
    return joined;
}

}  // namespace lgcset::archive::postgres
