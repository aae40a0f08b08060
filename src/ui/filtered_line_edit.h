// An edit box with one of the settings key filters. Every typed character is offered to
// the filter with the box's whole text at that moment; a rejected character is not
// inserted. Pasted text (keyboard, context menu or the middle button's selection paste)
// passes the same filter character by character and never brings control characters (a
// line end copied with a server name); dropped text and input-method text are not taken by
// a filtered box.
#pragma once

#include <QLineEdit>

#include "settings/settings_table.h"

namespace lgcset::ui {

class FilteredLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit FilteredLineEdit(QWidget* parent = nullptr);

    void SetKeyFilter(settings::KeyFilter filter);
    settings::KeyFilter KeyFilter() const { return filter_; }

    // Inserts text at the caret (replacing a selection) as a paste does: through the filter,
    // without control characters.
    void PasteFiltered(const QString& text);

    // The most characters the user may type into the box (QLineEdit's maxLength).
    void SetTypingLimit(int limit);
    // Puts in a text from the program (a value read from the logger): it is shown in full
    // even when it is longer than the typing limit, which would otherwise cut it (255 would
    // read as 25 and be saved so). While the text is longer, typing cannot lengthen it; the
    // limit holds again as soon as an edit brings the text within it.
    void SetProgramText(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool Filtered() const { return filter_ != settings::KeyFilter::None; }

    settings::KeyFilter filter_ = settings::KeyFilter::None;
    int typingLimit_ = 32767;  // QLineEdit's own default
};

}  // namespace lgcset::ui
