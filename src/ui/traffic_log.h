// One memo of the traffic log: the hex text of the frames sent, or of those received.
//
// Appending to a QPlainTextEdit lays out new lines and, once the memo holds its line
// limit, lays out every line it drops; during a history transfer (a frame each way every
// few milliseconds) that costs more than the rest of a record. So the text gathers here
// and goes into the memo in one piece: once the line has been quiet for a moment, a few
// times a second while the memo is visible, when it is shown, and whenever it is about to
// be read (Flush). The memo then holds exactly the text that appending every frame as it
// came would have left in it. What gathers is bounded by the memo's own line limit: lines
// that enough newer ones have pushed past it could never be shown, and are let go.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class QPlainTextEdit;

namespace lgcset::ui {

class TrafficLog : public QObject {
  public:
    enum class Layout {
        Runs,   // each run's hex text (data/hex_text.h) inserted at the end as it is
        Lines,  // each frame's lines of 21 bytes (protocol/transmission.h), appended
    };

    // Belongs to the memo.
    TrafficLog(QPlainTextEdit* memo, Layout layout);

    void Append(std::span<const std::uint8_t> bytes);
    // Moves the gathered text into the memo now.
    void Flush();
    // Drops the gathered text and empties the memo.
    void Clear();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Tick();
    std::size_t LineEndsFillingMemo(std::size_t limit) const;
    // Lets go of the oldest gathered lines that the newer ones alone push past the limit;
    // the memo's own text then goes at the next Flush.
    void DropUnseen(std::size_t limit);
    // Drops the memo's oldest lines that `newLines` more would push past its line limit.
    void MakeRoom(int newLines);

    QPlainTextEdit* memo_;
    Layout layout_;
    // Runs: as data::AppendHexText writes it, CR LF line ends; Lines: each line ends in LF.
    std::string pending_;
    std::size_t pendingLineEnds_ = 0;
    // The gathered text alone fills the memo: what the memo holds goes.
    bool replacesMemo_ = false;
    // Ticks while text is pending.
    QTimer tick_;
    std::chrono::steady_clock::time_point lastAppend_;
    std::chrono::steady_clock::time_point lastFlush_;
};

}  // namespace lgcset::ui
