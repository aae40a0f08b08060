// Message boxes for tests: every box is recorded and answered without showing anything.
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
    };

    void Show(const QString& text) override { Record({Kind::Show, {}, text, {}}); }
    void Information(const QString& text, const QString& caption) override {
        Record({Kind::Information, caption, text, {}});
    }
    void Error(const QString& text, const QString& detail) override {
        Record({Kind::Error, {}, text, detail});
    }
    bool Ask(const QString& text, const QString& caption) override {
        Record({Kind::Ask, caption, text, {}});
        return NextAnswer();
    }
    void ShowDetailed(const QString& text, const QString& detail) override {
        Record({Kind::Show, {}, text, detail});
    }
    bool AskOkCancel(const QString& text, const QString& caption) override {
        Record({Kind::OkCancel, caption, text, {}});
        return NextAnswer();
    }

    // Answers for the next Yes/No and OK/Cancel boxes in order (true: Yes or OK);
    // afterwards the default answer.
    void QueueAnswer(bool yes) { answers_.push_back(yes); }
    void SetDefaultAnswer(bool yes) { defaultAnswer_ = yes; }
    // Runs while a box is "open", as a modal box's nested event loop would run events.
    void SetWhileOpen(std::function<void(const Box&)> action) { whileOpen_ = std::move(action); }

    const std::vector<Box>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

  private:
    bool NextAnswer() {
        if (answers_.empty())
            return defaultAnswer_;
        const bool answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    void Record(Box box) {
        boxes_.push_back(box);
        if (whileOpen_)
            whileOpen_(box);
    }

    std::vector<Box> boxes_;
    std::deque<bool> answers_;
    bool defaultAnswer_ = true;
    std::function<void(const Box&)> whileOpen_;
};

}  // namespace lgcset::ui
