#pragma once

#include <QTableView>

#include <functional>

namespace kd::history {

class TableDataset;

/// The error list's grid with the editing of a classic data grid: a changed
/// row is posted when the row is left; Ctrl+Delete deletes the current row
/// after a confirmation; Insert, or moving below the last row, starts a new
/// row, which is posted only if something was typed into it. Date-time
/// texts show in the program-wide short date format once one is set. Errors of a
/// post are shown in the default error box and the row stays changed.
/// GUI thread.
class ErrorGrid : public QTableView {
    Q_OBJECT
public:
    explicit ErrorGrid(QWidget* parent = nullptr);

    /// Shows `columns` of the dataset (others hidden), titled by their names.
    void setDataset(TableDataset* table, const QStringList& columns);
    /// Asks before a delete; the default shows a question box.
    void setConfirm(std::function<bool()> confirm) { confirm_ = std::move(confirm); }

    void deleteCurrentRow();
    void insertRowHere(bool atEnd);
    /// Posts the current row's change (as leaving the row does). Throws
    /// kd::Error when the post fails; the row stays changed.
    void postCurrentRow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void leaveRow(int row, const QModelIndex& next);
    /// Drops an untouched new row or posts a changed one; true when the
    /// rows changed. `target` follows a dropped row.
    bool commitRow(int row, int* target);

    TableDataset* table_ = nullptr;
    std::function<bool()> confirm_;
    int insertedRow_ = -1;
    bool typed_ = false;
    bool busy_ = false;
};

}  // namespace kd::history
