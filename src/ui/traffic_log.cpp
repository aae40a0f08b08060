#include "ui/traffic_log.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <string_view>

#include "data/hex_text.h"
#include "protocol/transmission.h"

namespace lgcset::ui {

namespace {

using Clock = std::chrono::steady_clock;

// The line counts as quiet after this long without a frame; the check runs twice as often.
constexpr auto kQuietTime = std::chrono::milliseconds(100);
constexpr int kQuietCheckMs = 50;
// FlushIfFull moves the text at this size (a hundred records or so of a history transfer);
// Append itself only at the bound, for a log nobody offers a moment to.
constexpr std::size_t kFlushSize = 16 * 1024;
constexpr std::size_t kMaxPending = 256 * 1024;

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TrafficLog::TrafficLog(QPlainTextEdit* memo, Layout layout)
    : QObject(memo), memo_(memo), layout_(layout) {
    pending_.reserve(kFlushSize + 1024);
    quietCheck_.setInterval(kQuietCheckMs);
    connect(&quietCheck_, &QTimer::timeout, this, [this] { QuietTick(); });
    memo_->installEventFilter(this);
}

void TrafficLog::Append(std::span<const std::uint8_t> bytes) {
    if (layout_ == Layout::Runs)
        data::AppendHexText(pending_, bytes);
    else
        protocol::AppendEchoReceived(pending_, bytes);
    lastAppend_ = Clock::now();
    if (pending_.size() >= kMaxPending)
        Flush();
    else if (!quietCheck_.isActive())
        quietCheck_.start();
}

void TrafficLog::FlushIfFull() {
    if (pending_.size() >= kFlushSize)
        Flush();
}

void TrafficLog::Flush() {
    if (pending_.empty())
        return;
    std::string_view text(pending_);
    if (layout_ == Layout::Runs) {
        // The memo keeps plain line feeds; its block limit drops the oldest lines.
        QString chunk = Latin1(text);
        chunk.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QTextCursor end(memo_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(chunk);
        memo_->moveCursor(QTextCursor::End);
    } else {
        // One appendPlainText of the lines joined leaves what one per line would: except
        // that into an empty memo, lines appended one by one leave no trace while they are
        // empty.
        text.remove_suffix(1);  // the last line's end
        bool append = true;
        if (memo_->document()->isEmpty()) {
            text.remove_prefix(std::min(text.find_first_not_of('\n'), text.size()));
            append = !text.empty();
        }
        if (append)
            memo_->appendPlainText(Latin1(text));
    }
    pending_.clear();
}

void TrafficLog::Clear() {
    pending_.clear();
    memo_->clear();
}

bool TrafficLog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo_ && event->type() == QEvent::Show)
        Flush();
    return QObject::eventFilter(watched, event);
}

void TrafficLog::QuietTick() {
    if (pending_.empty()) {
        quietCheck_.stop();
        return;
    }
    if (Clock::now() - lastAppend_ >= kQuietTime) {
        Flush();
        quietCheck_.stop();
    }
}

}  // namespace lgcset::ui
