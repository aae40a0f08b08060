#include "ui/traffic_log.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <string_view>
#include <utility>

#include "data/hex_text.h"
#include "protocol/transmission.h"

namespace lgcset::ui {

namespace {

using Clock = std::chrono::steady_clock;

// The line counts as quiet after this long without a frame; a visible memo is brought up
// to date this often meanwhile. The timer ticks more often than either.
constexpr auto kQuietTime = std::chrono::milliseconds(100);
constexpr auto kVisibleEvery = std::chrono::milliseconds(250);
constexpr int kTickMs = 50;
// For a memo without a line limit: the gathered text goes in at this size.
constexpr std::size_t kMaxPending = 256 * 1024;

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TrafficLog::TrafficLog(QPlainTextEdit* memo, Layout layout)
    : QObject(memo), memo_(memo), layout_(layout) {
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, [this] { Tick(); });
    memo_->installEventFilter(this);
}

void TrafficLog::Append(std::span<const std::uint8_t> bytes) {
    const std::size_t from = pending_.size();
    if (layout_ == Layout::Runs)
        data::AppendHexText(pending_, bytes);
    else
        protocol::AppendEchoReceived(pending_, bytes);
    if (layout_ == Layout::Lines && from == 0 && !replacesMemo_ && memo_->document()->isEmpty()) {
        // Lines appended one by one to an empty memo leave no trace while they are empty.
        pending_.erase(0, std::min(pending_.find_first_not_of('\n'), pending_.size()));
    }
    pendingLineEnds_ += static_cast<std::size_t>(
        std::count(pending_.begin() + static_cast<std::ptrdiff_t>(std::min(from, pending_.size())),
                   pending_.end(), '\n'));
    lastAppend_ = Clock::now();
    const int limit = memo_->maximumBlockCount();
    if (limit > 0 && pendingLineEnds_ >= 2 * static_cast<std::size_t>(limit))
        DropUnseen(static_cast<std::size_t>(limit));
    else if (limit <= 0 && pending_.size() >= kMaxPending)
        Flush();
    if (!pending_.empty() && !tick_.isActive())
        tick_.start();
}

std::size_t TrafficLog::LineEndsFillingMemo(std::size_t limit) const {
    // The memo keeps its last `limit` lines. Gathered text with limit - 1 line ends (Runs:
    // the memo's last line is the one still open) or `limit` lines (Lines) makes up
    // exactly those lines; nothing before it would stay in the memo.
    return layout_ == Layout::Runs ? limit - 1 : limit;
}

void TrafficLog::DropUnseen(std::size_t limit) {
    const std::size_t keep = LineEndsFillingMemo(limit);
    std::size_t cut = 0;
    for (std::size_t n = pendingLineEnds_ - keep; n > 0; --n) cut = pending_.find('\n', cut) + 1;
    pending_.erase(0, cut);
    pendingLineEnds_ = keep;
    replacesMemo_ = true;
}

void TrafficLog::Flush() {
    if (pending_.empty() && !replacesMemo_)
        return;
    const int limit = memo_->maximumBlockCount();
    if (limit > 0 && pendingLineEnds_ >= LineEndsFillingMemo(static_cast<std::size_t>(limit)))
        DropUnseen(static_cast<std::size_t>(limit));  // the new lines alone fill the memo
    const bool replace = std::exchange(replacesMemo_, false);
    if (replace)
        memo_->clear();
    std::string_view text(pending_);
    if (layout_ == Layout::Runs) {
        // The memo keeps plain line feeds; its block limit drops the oldest lines.
        MakeRoom(static_cast<int>(pendingLineEnds_));
        QString chunk = Latin1(text);
        chunk.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QTextCursor end(memo_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(chunk);
        memo_->moveCursor(QTextCursor::End);
    } else {
        text.remove_suffix(1);  // the last line's end
        if (replace) {
            // Exactly the lines kept, empty ones included.
            QTextCursor end(memo_->document());
            end.insertText(Latin1(text));
        } else if (memo_->document()->isEmpty()) {
            // One appendPlainText of the lines joined leaves what one per line would (the
            // empty lines that would leave no trace are gone already).
            memo_->appendPlainText(Latin1(text));
        } else {
            MakeRoom(static_cast<int>(pendingLineEnds_));  // a new line for each of them
            if (memo_->document()->isEmpty()) {
                // Only an empty line is left, where appendPlainText would write over it.
                QTextCursor end(memo_->document());
                end.insertText(QLatin1Char('\n') + Latin1(text));
            } else {
                memo_->appendPlainText(Latin1(text));
            }
        }
    }
    pending_.clear();
    pendingLineEnds_ = 0;
    lastFlush_ = Clock::now();
}

void TrafficLog::MakeRoom(int newLines) {
    // The line limit drops the oldest lines once the new ones are in, and Qt drops them
    // by walking a cursor across each of them, laying every one out. The same lines taken
    // out in one selection before the new ones go in leave the same text for a fraction
    // of the work.
    QTextDocument* document = memo_->document();
    const int limit = document->maximumBlockCount();
    const int excess = document->blockCount() + newLines - limit;
    if (limit <= 0 || excess <= 0 || excess >= document->blockCount())
        return;  // within the limit, or more new lines than it holds: left to Qt
    QTextCursor oldest(document);
    oldest.setPosition(document->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    oldest.removeSelectedText();
    // Undo is off already (the line limit turns it off); saying so again lets the document
    // reclaim the removed text, as its own trimming does.
    document->setUndoRedoEnabled(false);
}

void TrafficLog::Clear() {
    pending_.clear();
    pendingLineEnds_ = 0;
    replacesMemo_ = false;
    memo_->clear();
}

bool TrafficLog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo_ && event->type() == QEvent::Show)
        Flush();
    return QObject::eventFilter(watched, event);
}

void TrafficLog::Tick() {
    const auto now = Clock::now();
    if (!pending_.empty() && (now - lastAppend_ >= kQuietTime ||
                              (memo_->isVisible() && now - lastFlush_ >= kVisibleEvery)))
        Flush();
    if (pending_.empty())
        tick_.stop();
}

}  // namespace lgcset::ui
