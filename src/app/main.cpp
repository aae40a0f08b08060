// Starts the program: the application with its title, the one window, the event loop; in
// demo mode with the simulated logger inside the program as the first line of its list.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/headless_report.h"
#include "app/launch_archive.h"
#include "app/launch_options.h"
#include "app/platform_start.h"
#include "archive/throwaway_archive.h"
#include "session/simulated_link.h"
#include "ui/app_title.h"
#include "ui/umset.h"

int main(int argc, char* argv[]) {
    lgcset::app::UseParentConsole();
    // Help and version need no display (the manual page is made from them at build time).
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(lgcset::app::LaunchUsage().c_str(), stdout);
            return 0;
        }
        if (argument == "--version") {
            std::fputs(lgcset::app::LaunchVersion().c_str(), stdout);
            return 0;
        }
    }
    // A report shows no window: it needs no display at all.
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).starts_with("--report")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            lgcset::app::UseSystemFontsOffscreen();
        }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(lgcset::ui::kApplicationTitle));
    // The installed menu entry: desktops take the window's icon and name from it.
    QApplication::setDesktopFileName(QStringLiteral("lgcset"));

    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1))
        arguments.push_back(argument.toStdString());
    const lgcset::app::LaunchOptions options = lgcset::app::ParseLaunchOptions(arguments);
    if (!options.error.empty()) {
        std::fprintf(stderr, "lgcset: %s\n%s", options.error.c_str(),
                     lgcset::app::LaunchUsage().c_str());
        return 2;
    }

    if (!options.report.empty())
        return lgcset::app::MakeHeadlessReport(options);

    // Demo mode's own archive outlives the window, whose transfers it keeps.
    std::optional<lgcset::archive::ThrowawayArchive> demoArchive;
    if (options.demo && options.archive.empty() && !options.noArchive)
        demoArchive.emplace();
    const lgcset::app::WindowArchive archive =
        lgcset::app::ChooseArchive(options, demoArchive ? demoArchive->File() : std::nullopt);
    lgcset::ui::Tfrm_mset window;
    if (archive.file)
        window.UseArchive(archive.file, archive.makeFolder, archive.throwaway);
    // Demo mode leaves the user's settings as they were: its folders last for the run.
    if (!options.demo)
        window.RememberFoldersIn(lgcset::ui::UserFoldersFile());
    if (options.demo) {
        lgcset::sim::Options logger;
        logger.model = options.demoModel;
        window.UseSimulatedLogger(
            std::make_unique<lgcset::session::SimulatedLink>(window.LineEvents(), logger),
            "simulated " + options.demoModel, options.demoModel);
    }
    window.show();
    return QApplication::exec();
}
