// The window's status bar: fixed-width panels side by side, each with an optional
// centred or left-aligned text. Other widgets (lamps, progress bar) are placed inside a
// panel's rectangle by the window.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

namespace lgcset::ui {

class StatusPanels : public QWidget {
    Q_OBJECT
  public:
    struct Panel {
        int width;
        Qt::Alignment alignment;
        QString text;
    };

    explicit StatusPanels(QWidget* parent = nullptr);

    // Appends a panel; panels are counted from 0 in the order they were added.
    void AddPanel(int width, Qt::Alignment alignment, const QString& text = {});
    int PanelCount() const { return static_cast<int>(panels_.size()); }

    QString PanelText(int index) const;
    // Takes effect at the next paint; Repaint paints at once.
    void SetPanelText(int index, const QString& text);
    void Repaint();

    // The inside of a panel in the bar's own coordinates.
    QRect PanelRect(int index) const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<Panel> panels_;
};

}  // namespace lgcset::ui
