// The few calls of libpq the archive's PostgreSQL database is read and written with.
#pragma once

#include <libpq-fe.h>

#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lgcset::archive::postgres {

struct ConnClose {
    void operator()(PGconn* c) const { PQfinish(c); }
};
using Conn = std::unique_ptr<PGconn, ConnClose>;

struct ResultClear {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultClear>;

// Parameters as text (NULL: absent), kept alive for the length of one statement.
class Params {
  public:
    void Text(std::string text) {
        values_.push_back(std::move(text));
        null_.push_back(false);
    }
    void Int(std::int64_t v) { Text(std::to_string(v)); }
    void Double(double v) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, v).ptr;
        Text(std::string(text, end));
    }
    void Null() {
        values_.emplace_back();
        null_.push_back(true);
    }
    int Count() const { return static_cast<int>(values_.size()); }
    std::vector<const char*> Pointers() const {
        std::vector<const char*> p;
        for (std::size_t i = 0; i < values_.size(); ++i)
            p.push_back(null_[i] ? nullptr : values_[i].c_str());
        return p;
    }

  private:
    std::vector<std::string> values_;
    std::vector<bool> null_;
};

inline Result Run(PGconn* c, const std::string& sql, const Params& params = {}) {
    const std::vector<const char*> values = params.Pointers();
    return Result(PQexecParams(c, sql.c_str(), params.Count(), nullptr, values.data(), nullptr,
                               nullptr, 0));
}

inline bool Succeeded(const Result& r) {
    const ExecStatusType s = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
}

inline bool Exec(PGconn* c, std::string_view sql) {
    return Succeeded(Result(PQexec(c, std::string(sql).c_str())));
}

inline std::string Cell(const Result& r, int row, int column) {
    return PQgetvalue(r.get(), row, column);
}

inline std::int64_t IntCell(const Result& r, int row, int column) {
    std::int64_t v = 0;
    const char* text = PQgetvalue(r.get(), row, column);
    std::from_chars(text, text + PQgetlength(r.get(), row, column), v);
    return v;
}

// libpq's messages run over lines (a hint indented on its own line, one failure per
// address tried) and end in a newline; here they become part of one sentence, each line
// ended as a sentence so that none runs into the next, without the last full stop (or a
// question's mark doubled).
std::string Trimmed(const std::string& text);

}  // namespace lgcset::archive::postgres
