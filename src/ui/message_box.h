// Every message box of the window goes through this seam, so that tests can answer the
// boxes and read their texts while the program shows real modal boxes.
#pragma once

#include <QString>

class QWidget;

namespace lgcset::ui {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;

    // A plain box with one OK button, captioned with the application's title.
    virtual void Show(const QString& text) = 0;
    // A box with one OK button and the given caption.
    virtual void Information(const QString& text, const QString& caption) = 0;
    // A Yes/No box; true when the user answers Yes.
    virtual bool Ask(const QString& text, const QString& caption) = 0;
    // A plain error box whose detail text explains the failure further.
    virtual void Error(const QString& text, const QString& detail) = 0;
    // A plain box with one OK button whose detail text tells more.
    virtual void ShowDetailed(const QString& text, const QString& detail) = 0;
    // An OK/Cancel question with the given caption; true when the user answers OK.
    virtual bool AskOkCancel(const QString& text, const QString& caption) = 0;
};

// Real modal boxes owned by a window.
class ModalMessageBoxes final : public MessageBoxes {
  public:
    explicit ModalMessageBoxes(QWidget* owner) : owner_(owner) {}

    void Show(const QString& text) override;
    void Information(const QString& text, const QString& caption) override;
    bool Ask(const QString& text, const QString& caption) override;
    void Error(const QString& text, const QString& detail) override;
    void ShowDetailed(const QString& text, const QString& detail) override;
    bool AskOkCancel(const QString& text, const QString& caption) override;

  private:
    QWidget* owner_;
};

}  // namespace lgcset::ui
