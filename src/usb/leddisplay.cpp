#include "leddisplay.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

const QColor LitColour(0, 255, 255);  // aqua
const QColor BackColour(0, 0, 0);

// Unlit segments are the lit colour dimmed by the contrast: the higher the
// contrast, the fainter the unlit segments (9 would hide them).
QColor unlitColour() {
    const double share = (10 - TLEDDisplay::Contrast) / 30.0;
    return QColor::fromRgbF(LitColour.redF() * share, LitColour.greenF() * share,
                            LitColour.blueF() * share);
}

// Segment bits a..g = 0..6: a top, b upper right, c lower right, d bottom,
// e lower left, f upper left, g middle.
int segmentsOf(QChar c) {
    static const int digits[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    if (c.isDigit())
        return digits[c.digitValue()];
    if (c == QLatin1Char('-'))
        return 0x40;
    return 0;
}

// A bevelled segment between two points on one axis, t thick.
QPainterPath segmentPath(QPointF from, QPointF to, double t) {
    const double h = t / 2;
    QPainterPath path;
    if (from.y() == to.y()) {
        path.moveTo(from.x(), from.y());
        path.lineTo(from.x() + h, from.y() - h);
        path.lineTo(to.x() - h, to.y() - h);
        path.lineTo(to.x(), to.y());
        path.lineTo(to.x() - h, to.y() + h);
        path.lineTo(from.x() + h, from.y() + h);
    } else {
        path.moveTo(from.x(), from.y());
        path.lineTo(from.x() + h, from.y() + h);
        path.lineTo(to.x() + h, to.y() - h);
        path.lineTo(to.x(), to.y());
        path.lineTo(to.x() - h, to.y() - h);
        path.lineTo(from.x() - h, from.y() + h);
    }
    path.closeSubpath();
    return path;
}

void drawDigit(QPainter& p, const QRectF& cell, int lit) {
    const double t = 3.0;
    const double gap = 0.6;
    const double l = cell.left() + t / 2;
    const double r = cell.right() - t / 2;
    const double top = cell.top() + t / 2;
    const double mid = cell.center().y();
    const double bottom = cell.bottom() - t / 2;
    const QPainterPath segments[7] = {
        segmentPath({l + gap, top}, {r - gap, top}, t),
        segmentPath({r, top + gap}, {r, mid - gap}, t),
        segmentPath({r, mid + gap}, {r, bottom - gap}, t),
        segmentPath({l + gap, bottom}, {r - gap, bottom}, t),
        segmentPath({l, mid + gap}, {l, bottom - gap}, t),
        segmentPath({l, top + gap}, {l, mid - gap}, t),
        segmentPath({l + gap, mid}, {r - gap, mid}, t),
    };
    const QColor unlit = unlitColour();
    for (int s = 0; s < 7; ++s)
        p.fillPath(segments[s], (lit >> s) & 1 ? LitColour : unlit);
}

}  // namespace

TLEDDisplay::TLEDDisplay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TLEDDisplay::setValue(double value) {
    if (value == m_value)
        return;
    m_value = value;
    update();
}

QString TLEDDisplay::text() const {
    if (!std::isfinite(m_value))
        return QString(DigitCount, QLatin1Char('-'));
    const double scaled = std::round(m_value * 10.0);
    if (scaled >= 10000.0 || scaled <= -1000.0)
        return QString(DigitCount, QLatin1Char('-'));
    const qint64 tenths = qint64(scaled);
    const qint64 magnitude = tenths < 0 ? -tenths : tenths;
    QString text =
        QString::number(magnitude / 10) + QLatin1Char(',') + QString::number(magnitude % 10);
    if (tenths < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

QSize TLEDDisplay::sizeHint() const {
    return {88, 33};
}

void TLEDDisplay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect();

    // Single border, then the lowered bevel: dark above and left, light
    // below and right.
    p.fillRect(all, BackColour);
    p.setPen(QColor(64, 64, 64));
    p.drawRect(all.adjusted(0, 0, -1, -1));
    const QRect bevel = all.adjusted(1, 1, -2, -2);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(bevel.topLeft(), bevel.topRight());
    p.drawLine(bevel.topLeft(), bevel.bottomLeft());
    p.setPen(QColor(255, 255, 255));
    p.drawLine(bevel.bottomLeft(), bevel.bottomRight());
    p.drawLine(bevel.topRight(), bevel.bottomRight());

    // One cell per digit, right-aligned; the comma sits in the gap before the
    // last digit.
    QString glyphs = text();
    glyphs.remove(QLatin1Char(','));
    glyphs = glyphs.rightJustified(DigitCount, QLatin1Char(' '));
    const int spacing = 4;
    const int inner = width() - 4;
    const int used = DigitCount * DigitWidth + (DigitCount - 1) * spacing;
    const double left = 2 + (inner - used) / 2.0;
    const double top = 2 + (height() - 4 - DigitHeight) / 2.0;

    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < DigitCount; ++i) {
        const QRectF cell(left + i * (DigitWidth + spacing), top, DigitWidth, DigitHeight);
        drawDigit(p, cell, segmentsOf(glyphs.at(i)));
    }
    const bool overflow = text().indexOf(QLatin1Char(',')) < 0;
    const double commaX =
        left + (DigitCount - FractionDigits) * (DigitWidth + spacing) - spacing / 2.0;
    const double commaY = top + DigitHeight - 1.5;
    QPainterPath comma;
    comma.addEllipse(QPointF(commaX, commaY), 1.6, 1.6);
    comma.moveTo(commaX + 0.8, commaY + 0.5);
    comma.lineTo(commaX - 1.2, commaY + 3.5);
    comma.lineTo(commaX - 0.2, commaY + 0.9);
    p.fillPath(comma, overflow ? unlitColour() : LitColour);
}
