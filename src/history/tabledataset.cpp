#include "tabledataset.h"

#include "errorbox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSqlError>

namespace kd::history {

namespace {
const QString kTrue = QStringLiteral("Wahr");
const QString kFalse = QStringLiteral("Falsch");

QString closedMessage() {
    return QStringLiteral("Die Datenbank ist nicht geöffnet.");
}
}  // namespace

TableDataset::TableDataset(const QString& table, const QSqlDatabase& db, QObject* parent)
    : QSqlTableModel(parent, db), name_(table) {
    setEditStrategy(QSqlTableModel::OnManualSubmit);
}

bool TableDataset::select() {
    const bool ok = QSqlTableModel::select();
    // Fetching to the end lets the engine finish the statement and drop its
    // read lock; the rows then live in the result's cache.
    while (ok && canFetchMore())
        fetchMore();
    return ok;
}

void TableDataset::open() {
    active_ = false;
    if (!database().isOpen())
        throw kd::Error(closedMessage());
    // The table's columns are looked up now that the connection is open.
    setTable(name_);
    if (!select())
        throw kd::Error(lastError().text().trimmed().isEmpty()
                            ? QStringLiteral("Tabelle nicht gefunden.")
                            : lastError().text());
    active_ = true;
}

void TableDataset::requireActive() const {
    if (!active_)
        throw kd::Error(closedMessage());
}

void TableDataset::refresh() {
    requireActive();
    if (!select())
        throw kd::Error(lastError().text());
}

void TableDataset::post() {
    requireActive();
    if (!isDirty())
        return;
    if (!submitAll())
        throw kd::Error(lastError().text());
}

void FieldDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QVariant v = index.data(Qt::EditRole);
    if (auto* box = qobject_cast<QCheckBox*>(editor)) {
        const QString text = v.toString();
        const bool determined = !v.isNull() && (text == kTrue || text == kFalse);
        box->setTristate(!determined);
        box->setCheckState(!determined ? Qt::PartiallyChecked
                                       : (text == kTrue ? Qt::Checked : Qt::Unchecked));
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(editor)) {
        label->setText(v.toString());
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(v.toString());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void FieldDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                 const QModelIndex& index) const {
    const QVariant old = index.data(Qt::EditRole);
    QVariant now;
    if (auto* box = qobject_cast<QCheckBox*>(editor)) {
        if (box->checkState() == Qt::PartiallyChecked)
            return;
        now = box->checkState() == Qt::Checked ? kTrue : kFalse;
    } else if (qobject_cast<QLabel*>(editor)) {
        return;
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        if (line->text() == old.toString() && !(old.isNull() && !line->text().isEmpty()))
            return;
        now = line->text();
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (now.toString() != old.toString() || old.isNull())
        model->setData(index, now, Qt::EditRole);
}

RecordSource::RecordSource(TableDataset* table, const QString& keyColumn, QObject* parent)
    : QObject(parent), table_(table), key_(keyColumn), mapper_(new QDataWidgetMapper(this)) {
    mapper_->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    mapper_->setItemDelegate(new FieldDelegate(mapper_));
    mapper_->setModel(table_);
}

void RecordSource::setEditing(bool on) {
    if (editing_ == on)
        return;
    editing_ = on;
    emit editingChanged(on);
}

void RecordSource::setCurrentRow(int row) {
    post();
    if (row < 0 || row >= table_->rowCount())
        return;
    mapper_->setCurrentIndex(row);
    emit currentRowChanged(row);
}

bool RecordSource::locate(const QString& column, const QVariant& value) {
    const int c = table_->fieldIndex(column);
    if (c < 0)
        return false;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QVariant v = table_->data(table_->index(r, c), Qt::EditRole);
        if (v.toString() == value.toString() && v.isNull() == value.isNull()) {
            setCurrentRow(r);
            return true;
        }
    }
    return false;
}

QVariant RecordSource::value(const QString& column) const {
    const int row = currentRow();
    const int c = table_->fieldIndex(column);
    if (row < 0 || c < 0)
        return {};
    return table_->data(table_->index(row, c), Qt::EditRole);
}

void RecordSource::edit() {
    if (!table_->isActive())
        throw kd::Error(closedMessage());
    if (currentRow() >= 0)
        setEditing(true);
}

void RecordSource::post() {
    if (!editing_)
        return;
    const QVariant key = value(key_);
    mapper_->submit();
    // On failure this throws with the row still in editing: the user's values
    // stay in the widgets and in the row's cache for the next try.
    table_->post();
    setEditing(false);
    restore(key);
}

void RecordSource::cancel() {
    table_->revertAll();
    mapper_->revert();
    setEditing(false);
}

void RecordSource::refresh() {
    post();
    const QVariant key = value(key_);
    table_->refresh();
    restore(key);
}

void RecordSource::restore(const QVariant& key) {
    const int c = table_->fieldIndex(key_);
    int row = table_->rowCount() > 0 ? 0 : -1;
    for (int r = 0; key.isValid() && c >= 0 && r < table_->rowCount(); ++r) {
        if (table_->data(table_->index(r, c), Qt::EditRole) == key) {
            row = r;
            break;
        }
    }
    mapper_->setCurrentIndex(row);
    emit currentRowChanged(row);
}

}  // namespace kd::history
