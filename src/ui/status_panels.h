// The window's status bar: panels side by side, each with an optional centred or
// left-aligned text; a text longer than its panel is cut at its end and shown whole as the
// panel's tooltip. Other widgets (lamps, progress bar) are placed inside a panel's
// rectangle by the window.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace lgcset::ui {

class StatusPanels : public QWidget {
    Q_OBJECT
  public:
    struct Panel {
        int width;  // as given, or wider to fit the texts it is made for
        Qt::Alignment alignment;
        QString text;
        int givenWidth;
        QStringList fits;
    };

    explicit StatusPanels(QWidget* parent = nullptr);

    // Appends a panel; panels are counted from 0 in the order they were added.
    void AddPanel(int width, Qt::Alignment alignment, const QString& text = {});
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    // Widens a panel, in the bar's font, until every one of `texts` is shown whole. A text
    // that still does not fit is cut at its end, never at its start.
    void FitPanelTo(int index, const QStringList& texts);

    QString PanelText(int index) const;
    // Takes effect at the next paint; Repaint paints at once.
    void SetPanelText(int index, const QString& text);
    void Repaint();

    // The inside of a panel in the bar's own coordinates, and the part of it a text takes.
    QRect PanelRect(int index) const;
    QRect TextRect(int index) const;
    // The whole text of the panel at `position` when the panel cuts it, else empty.
    QString ToolTipAt(const QPoint& position) const;

    QSize sizeHint() const override;

  signals:
    // Panels moved or changed width (their texts' font changed).
    void PanelsMoved();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void Refit();

    std::vector<Panel> panels_;
};

}  // namespace lgcset::ui
