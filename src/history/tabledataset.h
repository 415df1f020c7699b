#pragma once

#include <QDataWidgetMapper>
#include <QSqlTableModel>
#include <QStyledItemDelegate>

namespace kd::history {

/// A whole-table dataset: every row of one table in table order, editable.
/// Edits are kept until posted (OnManualSubmit). Every (re-)read fetches all
/// rows at once, so the engine's statement has run to its end and holds no
/// read lock afterwards. GUI thread; failures throw kd::Error with the data
/// layer's message.
class TableDataset : public QSqlTableModel {
    Q_OBJECT
public:
    TableDataset(const QString& table, const QSqlDatabase& db, QObject* parent = nullptr);

    /// Loads the table. Throws kd::Error when the database is closed or the
    /// table cannot be read; the dataset stays closed then.
    void open();
    bool isActive() const { return active_; }
    /// Re-reads all rows. Throws kd::Error when closed or on failure.
    void refresh();
    /// Writes every pending change. Throws kd::Error (changes kept) on failure.
    void post();

    bool select() override;

private:
    void requireActive() const;
    QString name_;
    bool active_ = false;
};

/// Shows and edits the fields of the current row in plain widgets:
/// QLineEdit (text), QLabel (read only) and QCheckBox for a "Wahr"/"Falsch"
/// flag (ticked / cleared; any other value shows the box undetermined and is
/// left alone until the user ticks or clears it). Only changed values are
/// written back, so a post touches only what the user changed.
class FieldDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

/// The data source of a table dataset: one current row shared by every
/// window whose widgets are mapped to it, with an edit state. An edit not yet
/// posted is posted before the current row moves and before a re-read.
/// GUI thread; failures throw kd::Error.
class RecordSource : public QObject {
    Q_OBJECT
public:
    /// `keyColumn` finds the current row again after a re-read.
    RecordSource(TableDataset* table, const QString& keyColumn, QObject* parent = nullptr);

    TableDataset* table() const { return table_; }
    /// Map widgets here (addMapping with the column from table()->fieldIndex()).
    QDataWidgetMapper* mapper() const { return mapper_; }

    int currentRow() const { return mapper_->currentIndex(); }
    /// Posts a pending edit, then moves. Throws when the post fails (the row
    /// stays and stays in editing).
    void setCurrentRow(int row);
    /// Moves to the first row in table order whose column equals `value`
    /// exactly. False (row unchanged) when there is none.
    bool locate(const QString& column, const QVariant& value);
    /// The current row's value of a column; invalid when there is no row.
    QVariant value(const QString& column) const;

    bool isEditing() const { return editing_; }
    /// Starts editing the current row (typing into a mapped widget does it too).
    void edit();
    /// Writes the mapped widgets' values to the table. Throws kd::Error on
    /// failure and stays in editing.
    void post();
    /// Drops the edit; the widgets show the stored values again.
    void cancel();
    /// Posts a pending edit, re-reads the table and finds the current row
    /// again by its key, or goes to the first row when it is gone.
    void refresh();

signals:
    void currentRowChanged(int row);
    void editingChanged(bool editing);

private:
    void setEditing(bool on);
    void restore(const QVariant& key);

    TableDataset* table_;
    QString key_;
    QDataWidgetMapper* mapper_;
    bool editing_ = false;
};

}  // namespace kd::history
