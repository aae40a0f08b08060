// The archive's engines for tests that run against each: a SQLite file in a folder of its
// own, and a fresh database on the test server.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "archive/archive_open.h"
#include "archive/archive_schema.h"
#include "pg_test_database.h"

namespace lgcset::archive::testing {

// SQL run on an archive file behind the store's back: empty when it worked, else why not.
inline std::string SqliteSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    char* error = nullptr;
    const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    std::string why = ok ? "" : (error ? error : "failed");
    sqlite3_free(error);
    sqlite3_close(db);
    return why;
}

class Engine {
  public:
    virtual ~Engine() = default;
    // The name OpenArchive takes; SkipReason() says why there is none.
    virtual std::string Archive() const = 0;
    virtual std::string SkipReason() const { return {}; }
    // Empty when the engine is ready; else why not (a failure, not a skip).
    virtual std::string SetupError() const { return {}; }
    // SQL run behind the store's back: empty when it worked, else why not.
    virtual std::string Sql(const std::string& sql) const = 0;
    // A trigger that fails an insert into readings once 15 are kept, with "disk full".
    virtual std::string DiskFullAfter15() const = 0;
    // A trigger that fails every insert into `table` with "disk full".
    virtual std::string DiskFullOn(const std::string& table) const = 0;
    // Drops the triggers that refuse a change to an audit row: what someone changing rows
    // with the database's own tools does first.
    virtual std::string AllowAuditChanges() const = 0;
    // The steps that make this engine's schema, version by version.
    virtual std::span<const std::string_view> Steps() const = 0;
};

class SqliteEngine final : public Engine {
  public:
    explicit SqliteEngine(const std::string& tag) {
        dir_ = std::filesystem::temp_directory_path() /
               ("lgcset-archive-" + std::to_string(::getpid()) + "-" + tag + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~SqliteEngine() override { std::filesystem::remove_all(dir_); }
    std::string Archive() const override { return (dir_ / "archive.sqlite").string(); }
    std::string Sql(const std::string& sql) const override { return SqliteSql(Archive(), sql); }
    std::string DiskFullAfter15() const override {
        return "CREATE TRIGGER cut BEFORE INSERT ON readings WHEN (SELECT count(*) FROM "
               "readings) >= 15 BEGIN SELECT RAISE(ABORT, 'disk full'); END;";
    }
    std::string DiskFullOn(const std::string& table) const override {
        return "CREATE TRIGGER cut_" + table + " BEFORE INSERT ON " + table +
               " BEGIN SELECT RAISE(ABORT, 'disk full'); END;";
    }
    std::string AllowAuditChanges() const override {
        return "DROP TRIGGER audit_trail_not_changed; DROP TRIGGER audit_trail_not_removed;";
    }
    std::span<const std::string_view> Steps() const override { return SchemaSteps(); }

  private:
    std::filesystem::path dir_;
};

class PostgresEngine final : public Engine {
  public:
    std::string Archive() const override { return db_.Url(); }
    std::string SkipReason() const override { return db_.SkipReason(); }
    std::string SetupError() const override { return db_.Error(); }
    std::string Sql(const std::string& sql) const override { return db_.Sql(sql); }
    std::string DiskFullAfter15() const override {
        return "CREATE FUNCTION cut() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
               "IF (SELECT count(*) FROM readings) >= 15 THEN RAISE EXCEPTION 'disk full'; "
               "END IF; RETURN NEW; END $$; "
               "CREATE TRIGGER cut BEFORE INSERT ON readings FOR EACH ROW EXECUTE FUNCTION cut();";
    }
    std::string DiskFullOn(const std::string& table) const override {
        return "CREATE OR REPLACE FUNCTION full() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
               "RAISE EXCEPTION 'disk full'; END $$; CREATE TRIGGER cut_" + table +
               " BEFORE INSERT ON " + table + " FOR EACH ROW EXECUTE FUNCTION full();";
    }
    std::string AllowAuditChanges() const override {
        return "DROP TRIGGER audit_trail_not_changed ON audit_trail; "
               "DROP TRIGGER audit_trail_not_truncated ON audit_trail;";
    }
    std::span<const std::string_view> Steps() const override { return PostgresSchemaSteps(); }
    const TestDatabase& Database() const { return db_; }

  private:
    TestDatabase db_;
};

struct EngineKind {
    const char* name;
    std::function<std::unique_ptr<Engine>(const std::string& tag)> make;
};

inline const EngineKind kSqlite{"Sqlite", [](const std::string& tag) {
                                    return std::make_unique<SqliteEngine>(tag);
                                }};
inline const EngineKind kPostgres{"Postgres", [](const std::string&) {
                                      return std::make_unique<PostgresEngine>();
                                  }};

// A test run on each engine, on an archive made fresh for it; skipped where the engine is not
// there (no PostgreSQL server).
class EngineTest : public ::testing::TestWithParam<EngineKind> {
  protected:
    explicit EngineTest(std::string tag) : tag_(std::move(tag)) {}

    void SetUp() override {
        engine_ = GetParam().make(tag_);
        if (!engine_->SkipReason().empty())
            GTEST_SKIP() << engine_->SkipReason();
        ASSERT_EQ(engine_->SetupError(), "");
    }

    std::unique_ptr<ArchiveStore> Open() {
        OpenResult opened = OpenArchive(engine_->Archive(), false);
        EXPECT_TRUE(opened.status.ok()) << opened.status.message;
        return std::move(opened.store);
    }

    void Sql(const std::string& sql) { EXPECT_EQ(engine_->Sql(sql), "") << sql; }

    std::unique_ptr<Engine> engine_;

  private:
    std::string tag_;
};

inline void PrintTo(const EngineKind& kind, std::ostream* out) {
    *out << kind.name;
}

inline std::string EngineName(const ::testing::TestParamInfo<EngineKind>& info) {
    return info.param.name;
}

}  // namespace lgcset::archive::testing
