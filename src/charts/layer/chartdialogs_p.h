#pragma once

// Internal to the chart layer: the chart's own modal dialogs.

#include "chartmodel.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kd::chart {

class Chart;

/// Picture (PNG, JPEG, BMP, PDF, SVG) or data (CSV) export with file choice.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(Chart* chart, QWidget* parent);

private:
    void saveClicked();
    Chart* m_chart;
    QComboBox* m_format;
};

/// Series, axes, legend and title of a chart; every change applies at once.
class EditorDialog : public QDialog {
    Q_OBJECT
public:
    EditorDialog(Chart* chart, QWidget* parent);

private:
    QWidget* seriesPage();
    QWidget* axesPage();
    QWidget* generalPage();
    void showSeries(int series);
    void applySeries();
    void applyAxis(Axis axis);
    void refreshAxes();

    Chart* m_chart;
    bool m_loading = false;
    QListWidget* m_seriesList = nullptr;
    QLineEdit* m_seriesTitle = nullptr;
    QCheckBox* m_seriesShown = nullptr;
    QCheckBox* m_seriesPalette = nullptr;
    QPushButton* m_seriesColor = nullptr;
    QSpinBox* m_seriesWidth = nullptr;
    QComboBox* m_seriesPen = nullptr;
    struct AxisControls {
        QCheckBox* automatic = nullptr;
        QLineEdit* minimum = nullptr;
        QLineEdit* maximum = nullptr;
        QDateTimeEdit* minimumTime = nullptr;
        QDateTimeEdit* maximumTime = nullptr;
    };
    AxisControls m_left, m_bottom;
    QCheckBox* m_legendShown = nullptr;
    QLineEdit* m_title = nullptr;
};

}  // namespace kd::chart
