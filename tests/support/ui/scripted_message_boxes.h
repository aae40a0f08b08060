// Message boxes for the window's tests and benchmarks: every box is recorded and answered
// without showing anything.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "ui/message_box.h"

namespace lgcset::ui {

class ScriptedMessageBoxes final : public MessageBoxes {
  public:
    enum class Kind { Show, Information, Ask, Error, OkCancel };
    struct Box {
        Kind kind;
        QString caption;  // empty for plain and error boxes, which carry the program's title
        QString text;
        QString detail;
        DefaultButton defaultButton = DefaultButton::Yes;  // of a Yes/No box
    };
    // Keys that answer a Yes/No box as a real one takes them.
    enum class Key { Enter, Escape };

    void Show(const QString& text) override { Record({Kind::Show, {}, text, {}}); }
    void Information(const QString& text, const QString& caption) override {
        Record({Kind::Information, caption, text, {}});
    }
    bool Ask(const QString& text, const QString& caption, DefaultButton defaultButton) override {
        Record({Kind::Ask, caption, text, {}, defaultButton});
        return NextAnswer(defaultButton);
    }
    void Error(const QString& text, const QString& detail) override {
        Record({Kind::Error, {}, text, detail});
    }
    void ShowDetailed(const QString& text, const QString& detail) override {
        Record({Kind::Show, {}, text, detail});
    }
    bool AskOkCancel(const QString& text, const QString& caption) override {
        Record({Kind::OkCancel, caption, text, {}});
        return NextAnswer();
    }

    // Answers for the next Yes/No and OK/Cancel boxes in order (true: Yes or OK), a button
    // or a key; afterwards the default answer.
    void QueueAnswer(bool yes) { answers_.push_back(yes ? Answer::Yes : Answer::No); }
    void QueueKey(Key key) {
        answers_.push_back(key == Key::Enter ? Answer::Enter : Answer::Escape);
    }
    void SetDefaultAnswer(bool yes) { defaultAnswer_ = yes; }
    // Runs while a box is "open", as a modal box's nested event loop would run events.
    void SetWhileOpen(std::function<void(const Box&)> action) { whileOpen_ = std::move(action); }

    const std::vector<Box>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

  private:
    enum class Answer { Yes, No, Enter, Escape };

    // Enter takes the box's default button (OK in an OK/Cancel box); Escape answers No.
    bool NextAnswer(DefaultButton defaultButton = DefaultButton::Yes) {
        if (answers_.empty())
            return defaultAnswer_;
        const Answer answer = answers_.front();
        answers_.pop_front();
        if (answer == Answer::Enter)
            return defaultButton == DefaultButton::Yes;
        return answer == Answer::Yes;
    }

    void Record(Box box) {
        boxes_.push_back(box);
        if (whileOpen_)
            whileOpen_(box);
    }

    std::vector<Box> boxes_;
    std::deque<Answer> answers_;
    bool defaultAnswer_ = true;
    std::function<void(const Box&)> whileOpen_;
};

}  // namespace lgcset::ui
