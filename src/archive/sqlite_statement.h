// The few calls of SQLite's C library the archive's SQLite files are read and written with.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

namespace lgcset::archive::sqlite {

struct DbClose {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;

struct StmtFinalize {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalize>;

inline Stmt Prepare(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &s,
                       nullptr);
    return Stmt(s);
}

inline bool Exec(sqlite3* db, std::string_view sql) {
    return sqlite3_exec(db, std::string(sql).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

inline void BindText(sqlite3_stmt* s, int index, std::string_view text) {
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

inline std::string ColumnText(sqlite3_stmt* s, int column) {
    const unsigned char* text = sqlite3_column_text(s, column);
    return text == nullptr ? std::string()
                           : std::string(reinterpret_cast<const char*>(text),
                                         static_cast<std::size_t>(sqlite3_column_bytes(s, column)));
}

}  // namespace lgcset::archive::sqlite
