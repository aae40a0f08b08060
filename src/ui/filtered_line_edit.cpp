#include "ui/filtered_line_edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <memory>

#include "settings/key_filters.h"

namespace lgcset::ui {

namespace {

// A key press that would insert its text, as opposed to editing keys (Backspace, Delete),
// navigation and shortcuts, whose text is empty or a control character.
bool InsertsText(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isPrint() && !c.isSurrogate())
            return false;
    }
    return true;
}

}  // namespace

FilteredLineEdit::FilteredLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (maxLength() > typingLimit_ && text.size() <= typingLimit_) {
            // Setting the limit puts the text in again, which would move the caret to the end.
            const int caret = cursorPosition();
            setMaxLength(typingLimit_);
            setCursorPosition(caret);
        }
    });
}

void FilteredLineEdit::SetTypingLimit(int limit) {
    typingLimit_ = limit;
    setMaxLength(limit);
}

void FilteredLineEdit::SetProgramText(const QString& text) {
    if (text.size() > maxLength())
        setMaxLength(static_cast<int>(text.size()));
    setText(text);
}

void FilteredLineEdit::SetKeyFilter(settings::KeyFilter filter) {
    filter_ = filter;
    // Dropped text and composed input would bypass the filter.
    setAcceptDrops(!Filtered());
    setAttribute(Qt::WA_InputMethodEnabled, !Filtered());
}

void FilteredLineEdit::PasteFiltered(const QString& text) {
    QString before = this->text();
    if (hasSelectedText())
        before.remove(selectionStart(), selectedText().size());
    const std::string accepted =
        settings::FilterPastedText(filter_, before.toStdString(), text.toStdString());
    if (!accepted.empty() || hasSelectedText())
        insert(QString::fromStdString(accepted));
}

void FilteredLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Paste) {
        if (!isReadOnly())
            PasteFiltered(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    if (!Filtered()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    if (InsertsText(typed)) {
        for (const char32_t key : typed.toUcs4()) {
            if (!settings::AcceptsKey(filter_, key, text().toStdString())) {
                event->accept();  // swallowed: nothing is inserted
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void FilteredLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    // The menu's own Paste would insert the clipboard unchecked.
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this,
                    [this] { PasteFiltered(QGuiApplication::clipboard()->text()); });
        }
    }
    menu->exec(event->globalPos());
}

void FilteredLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    // Where the system has a selection clipboard (X11), the middle button pastes it; the
    // line edit would insert it unchecked.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly()) {
            deselect();
            PasteFiltered(QGuiApplication::clipboard()->text(QClipboard::Selection));
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace lgcset::ui
