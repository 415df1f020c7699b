#pragma once

#include <QList>
#include <QWidget>

class QPainter;

namespace kd {

/// A status bar made of fixed-width panels, left to right, each with a text
/// or drawn by its owner (drawPanel). Panels keep their widths; what is left
/// at the right stays empty. GUI thread only.
class PanelStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget* parent = nullptr);

    /// Appends a panel. `bevel` false draws it flat. An owner-drawn panel
    /// shows no text; drawPanel paints it.
    void addPanel(int width, Qt::Alignment alignment, bool bevel, bool ownerDrawn);

    int panelCount() const { return int(m_panels.size()); }
    int panelWidth(int index) const;
    /// Changes a panel's width; repaints only when it changed, so an owner
    /// may set it from its drawing handler.
    void setPanelWidth(int index, int width);
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    /// The panel's inner rectangle (inside its bevel) in widget coordinates.
    QRect panelRect(int index) const;

signals:
    /// Emitted while painting, for each owner-drawn panel, with the painter of
    /// this bar and the panel's inner rectangle. Connect directly.
    void drawPanel(QPainter* painter, int index, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Panel {
        int width;
        Qt::Alignment alignment;
        bool bevel;
        bool ownerDrawn;
        QString text;
    };
    QList<Panel> m_panels;
};

}  // namespace kd
