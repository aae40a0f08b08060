// Keys and mouse clicks sent to a widget as the user's would arrive, press then release.
// Our own: the Qt built for Windows has no Qt Test, and the window's tests are the same
// sources there.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPoint>
#include <QString>
#include <QWidget>

namespace lgcset::ui::test {

inline void KeyClick(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
                     const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

// A printable character typed: its key code (a letter's is the capital's) and its text.
inline void KeyClick(QWidget* widget, char character, Qt::KeyboardModifiers modifiers = {}) {
    const QChar c = QChar::fromLatin1(character);
    KeyClick(widget, static_cast<Qt::Key>(c.toUpper().unicode()), modifiers,
             modifiers & Qt::ControlModifier ? QString() : QString(c));
}

inline void KeyClicks(QWidget* widget, const QString& text) {
    for (const QChar c : text) KeyClick(widget, c.toLatin1());
}

inline void MouseClick(QWidget* widget, const QPoint& at) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

}  // namespace lgcset::ui::test
