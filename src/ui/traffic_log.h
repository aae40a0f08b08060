// One memo of the traffic log: the hex text of the frames sent, or of those received.
//
// Appending to a QPlainTextEdit lays out every new line, which during a history transfer
// (a frame each way every few milliseconds) costs more than the rest of a record. So the
// text gathers here and goes into the memo in one piece: once the line has been quiet for
// a moment, when the memo is shown, when enough has gathered, and whenever the memo is
// about to be read (Flush). The memo then holds exactly the text that appending every
// frame at once would have left in it.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
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
    // Moves the gathered text into the memo once there is a good amount of it: for a
    // moment when no reply waits to be answered.
    void FlushIfFull();
    // Moves the gathered text into the memo now.
    void Flush();
    // Drops the gathered text and empties the memo.
    void Clear();
    bool Pending() const { return !pending_.empty(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void QuietTick();

    QPlainTextEdit* memo_;
    Layout layout_;
    // Runs: as data::AppendHexText writes it, CR LF line ends; Lines: each line ends in LF.
    std::string pending_;
    // Ticks while text is pending; the text goes into the memo at the first tick that
    // finds the line quiet.
    QTimer quietCheck_;
    std::chrono::steady_clock::time_point lastAppend_;
};

}  // namespace lgcset::ui
