#include "panelstatusbar.h"

#include <QPainter>

namespace kd {

PanelStatusBar::PanelStatusBar(QWidget* parent) : QWidget(parent) {}

void PanelStatusBar::addPanel(int width, Qt::Alignment alignment, bool bevel, bool ownerDrawn) {
    m_panels.append({width, alignment, bevel, ownerDrawn, QString()});
    update();
}

int PanelStatusBar::panelWidth(int index) const {
    return m_panels.value(index).width;
}

void PanelStatusBar::setPanelWidth(int index, int width) {
    if (index < 0 || index >= m_panels.size() || m_panels[index].width == width)
        return;
    m_panels[index].width = width;
    update();
}

QString PanelStatusBar::panelText(int index) const {
    return m_panels.value(index).text;
}

void PanelStatusBar::setPanelText(int index, const QString& text) {
    if (index < 0 || index >= m_panels.size() || m_panels[index].text == text)
        return;
    m_panels[index].text = text;
    update();
}

QRect PanelStatusBar::panelRect(int index) const {
    int left = 0;
    for (int i = 0; i < index && i < m_panels.size(); ++i)
        left += m_panels[i].width;
    // Panels are separated by two pixels, as the platform's status bars are.
    left += 2 * index;
    return QRect(left + 1, 3, panelWidth(index) - 2, height() - 4);
}

void PanelStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    for (int i = 0; i < m_panels.size(); ++i) {
        const Panel& panel = m_panels[i];
        const QRect inner = panelRect(i);
        const QRect outer = inner.adjusted(-1, -1, 0, 0);
        if (panel.bevel) {
            p.setPen(palette().color(QPalette::Dark));
            p.drawLine(outer.topLeft(), outer.topRight());
            p.drawLine(outer.topLeft(), outer.bottomLeft());
            p.setPen(palette().color(QPalette::Light));
            p.drawLine(outer.bottomLeft() + QPoint(0, 1), outer.bottomRight() + QPoint(1, 1));
            p.drawLine(outer.topRight() + QPoint(1, 0), outer.bottomRight() + QPoint(1, 1));
        }
        if (panel.ownerDrawn) {
            p.save();
            p.setClipRect(inner);
            p.setPen(palette().color(QPalette::WindowText));
            emit drawPanel(&p, i, inner);
            p.restore();
        } else {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(inner.adjusted(2, 0, -2, 0), int(panel.alignment | Qt::AlignVCenter),
                       panel.text);
        }
    }
}

}  // namespace kd
