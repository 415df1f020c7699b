#include "errorgrid.h"

#include "datetimevalue.h"
#include "errorbox.h"
#include "tabledataset.h"
#include "yearoverview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStyledItemDelegate>

namespace kd::history {

namespace {
// Date-time texts follow the program-wide short date format once it is set.
class DateTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        const QString format = shortDateFormat();
        if (!format.isEmpty() && value.typeId() == QMetaType::QString) {
            if (const auto days = daysFromText(value.toString())) {
                // Wall-clock text: in UTC, which has no summer time, the hour
                // the local clocks skip still prints.
                const QDateTime t = dateTimeFromDays(*days);
                return QDateTime(t.date(), t.time(), Qt::UTC)
                    .toString(format + QStringLiteral(" hh:mm:ss"));
            }
        }
        return QStyledItemDelegate::displayText(value, locale);
    }
};
}  // namespace

ErrorGrid::ErrorGrid(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new DateTextDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(18);
    confirm_ = [this] {
        return QMessageBox::question(this, QString(), QStringLiteral("Datensatz löschen?"),
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
}

void ErrorGrid::setDataset(TableDataset* table, const QStringList& columns) {
    table_ = table;
    setModel(table);
    for (int c = 0; c < table->columnCount(); ++c) {
        const QString name = table->headerData(c, Qt::Horizontal).toString();
        setColumnHidden(c, !columns.contains(name, Qt::CaseInsensitive));
    }
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(table->fieldIndex(columns.value(0)), 140);
    // A re-read from elsewhere ends any new row of ours.
    connect(table, &QAbstractItemModel::modelReset, this, [this] {
        insertedRow_ = -1;
        typed_ = false;
    });
    connect(table, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& topLeft) {
        if (topLeft.row() == insertedRow_)
            typed_ = true;
    });
}

bool ErrorGrid::commitRow(int row, int* target) {
    if (row == insertedRow_ && !typed_) {
        table_->revertRow(row);
        if (*target > row)
            --*target;
        insertedRow_ = -1;
        return true;
    }
    if (!table_->isDirty())
        return false;
    table_->post();  // throws with the row kept changed
    insertedRow_ = -1;
    typed_ = false;
    return true;
}

void ErrorGrid::leaveRow(int row, const QModelIndex& next) {
    if (!table_ || busy_ || row < 0)
        return;
    busy_ = true;
    int target = next.row();
    const int column = next.isValid() ? next.column() : currentIndex().column();
    bool changed = false;
    try {
        changed = commitRow(row, &target);
    } catch (const std::exception& e) {
        busy_ = false;
        kd::presentError(QString::fromUtf8(e.what()));
        return;
    }
    if (changed && target >= 0 && target < table_->rowCount())
        setCurrentIndex(table_->index(target, column));
    busy_ = false;
}

void ErrorGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (previous.isValid() && current.row() != previous.row())
        leaveRow(previous.row(), current);
}

void ErrorGrid::postCurrentRow() {
    leaveRow(currentIndex().row(), currentIndex());
}

void ErrorGrid::deleteCurrentRow() {
    const QModelIndex at = currentIndex();
    if (!table_ || !at.isValid() || !confirm_())
        return;
    if (at.row() == insertedRow_) {
        table_->revertRow(at.row());
        insertedRow_ = -1;
        return;
    }
    table_->removeRow(at.row());
    table_->post();
    setCurrentIndex(table_->index(std::min(at.row(), table_->rowCount() - 1), at.column()));
}

void ErrorGrid::insertRowHere(bool atEnd) {
    if (!table_ || insertedRow_ >= 0)
        return;
    const int row = atEnd || !currentIndex().isValid() ? table_->rowCount() : currentIndex().row();
    const int column = currentIndex().isValid() ? currentIndex().column()
                                                : table_->fieldIndex(QStringLiteral("timestamp"));
    busy_ = true;
    table_->insertRow(row);
    insertedRow_ = row;
    typed_ = false;
    setCurrentIndex(table_->index(row, column));
    busy_ = false;
}

void ErrorGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() & Qt::ControlModifier) {
        deleteCurrentRow();
        return;
    }
    if (event->key() == Qt::Key_Insert) {
        insertRowHere(false);
        return;
    }
    if (event->key() == Qt::Key_Down && table_ && currentIndex().row() == table_->rowCount() - 1 &&
        state() != QAbstractItemView::EditingState) {
        insertRowHere(true);
        return;
    }
    QTableView::keyPressEvent(event);
}

}  // namespace kd::history
