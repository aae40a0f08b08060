// A fresh database on the throwaway PostgreSQL server that ctest's fixture starts
// (tests/archive/pg_cluster.sh), dropped again at the end of the test.
#pragma once

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>

namespace lgcset::archive::testing {

class TestDatabase {
  public:
    TestDatabase() {
        const std::string dir = LGCSET_TEST_PG_DIR;
        std::ifstream skipped(dir + "/skipped");
        if (std::getline(skipped, skipReason_))
            return;
        std::ifstream urlFile(dir + "/url");
        if (!std::getline(urlFile, admin_)) {
            skipReason_ = "no test server in " + dir +
                          ": run the tests through ctest, whose fixture starts one";
            return;
        }
        static std::atomic<int> counter{0};
        name_ = "t_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        error_ = Run(admin_, "DROP DATABASE IF EXISTS " + name_);
        error_ += Run(admin_, "CREATE DATABASE " + name_);
        url_ = admin_.substr(0, admin_.rfind('/') + 1) + name_;
    }
    ~TestDatabase() {
        if (!name_.empty())
            Run(admin_, "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    }
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // Empty when there is a server; else why the test is skipped.
    const std::string& SkipReason() const { return skipReason_; }
    // Empty when the database was made; else the server's message.
    const std::string& Error() const { return error_; }
    const std::string& Url() const { return url_; }

    // SQL run on the database behind the store's back: empty when it worked, else why not.
    std::string Sql(const std::string& sql) const { return Run(url_, sql); }
    // The same on the server's first database, for what cannot be done from inside this one.
    std::string AdminSql(const std::string& sql) const { return Run(admin_, sql); }
    const std::string& Name() const { return name_; }

  private:
    static std::string Run(const std::string& url, const std::string& sql) {
        PGconn* c = PQconnectdb(url.c_str());
        std::string error;
        if (PQstatus(c) != CONNECTION_OK) {
            error = PQerrorMessage(c);
        } else {
            PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);
            PGresult* r = PQexec(c, sql.c_str());
            const ExecStatusType s = PQresultStatus(r);
            if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
                error = PQresultErrorMessage(r);
            PQclear(r);
        }
        PQfinish(c);
        return error;
    }

    std::string admin_, name_, url_, skipReason_, error_;
};

}  // namespace lgcset::archive::testing
