// A home folder of the test's own: HOME and the XDG configuration and data folders point
// into a temporary folder while it lives, so that what the program keeps for the user
// (settings, archive, documents) never touches the user's own.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>
#include <filesystem>
#include <vector>

namespace lgcset::support {

class TestHome {
  public:
    TestHome() {
        Set("HOME", Root());
        Set("XDG_CONFIG_HOME", Root() / "config");
        Set("XDG_DATA_HOME", Root() / "data");
    }
    ~TestHome() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->was ? qputenv(it->name, it->value) : qunsetenv(it->name);
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    std::filesystem::path Root() const { return dir_.path().toStdString(); }

  private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool was;
    };
    void Set(const char* name, const std::filesystem::path& value) {
        saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, QByteArray::fromStdString(value.string()));
    }

    QTemporaryDir dir_;
    std::vector<Saved> saved_;
};

}  // namespace lgcset::support
