// The text of a PDF file as poppler's pdftotext lays it out, for tests that read a report.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <optional>

namespace lgcset::ui::test {

// Nothing when pdftotext is not installed (scripts/setup installs it) or fails.
inline std::optional<QString> PdfText(const QString& path) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess run;
    run.start(tool, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!run.waitForFinished(30000) || run.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(run.readAllStandardOutput());
}

inline bool HavePdfText() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

}  // namespace lgcset::ui::test
