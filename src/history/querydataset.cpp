#include "querydataset.h"

#include "datetimevalue.h"
#include "errorbox.h"

#include <QSqlDriver>

#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace kd::history {

namespace {

sqlite3* handleOf(const QString& connection) {
    if (!QSqlDatabase::contains(connection))
        return nullptr;
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(h.data());
}

QString engineError(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

}  // namespace

QueryDataset::QueryDataset(QString connectionName) : connection_(std::move(connectionName)) {}

void QueryDataset::close() {
    open_ = false;
    rows_ = 0;
    current_ = 0;
    names_.clear();
    columns_.clear();
}

void QueryDataset::open() {
    close();
    sqlite3* db = handleOf(connection_);
    if (!db)
        throw kd::Error(QStringLiteral("Die Datenbank ist nicht geöffnet."));
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = sql_.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        const QString message = engineError(db);
        sqlite3_finalize(stmt);
        throw kd::Error(QStringLiteral("SQL-Fehler: %1").arg(message));
    }
    // Finalizes on every path, releasing the statement's read lock.
    struct Finalizer {
        sqlite3_stmt* s;
        ~Finalizer() { sqlite3_finalize(s); }
    } finalizer{stmt};

    const int count = sqlite3_column_count(stmt);
    QStringList names;
    std::vector<Column> columns(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c)
        names << QString::fromUtf8(sqlite3_column_name(stmt, c));

    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < count; ++c) {
            Column& col = columns[static_cast<std::size_t>(c)];
            double number = std::numeric_limits<double>::quiet_NaN();
            unsigned char kind = Null;
            switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    number = double(sqlite3_column_int64(stmt, c));
                    kind = Integer;
                    break;
                case SQLITE_FLOAT:
                    number = sqlite3_column_double(stmt, c);
                    kind = Real;
                    break;
                case SQLITE_TEXT:
                case SQLITE_BLOB: {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                    const int length = sqlite3_column_bytes(stmt, c);
                    if (const auto days = daysFromUtf8(text, length)) {
                        number = *days;
                        kind = DateTime;
                    } else {
                        kind = Text;
                        col.texts.emplace(rows, QString::fromUtf8(text, length));
                    }
                    break;
                }
                default:
                    break;
            }
            col.numbers.push_back(number);
            col.kinds.push_back(kind);
        }
        ++rows;
    }
    if (rc != SQLITE_DONE)
        throw kd::Error(QStringLiteral("SQL-Fehler: %1").arg(engineError(db)));
    names_ = names;
    columns_ = std::move(columns);
    rows_ = rows;
    current_ = 0;
    open_ = true;
}

void QueryDataset::moveBy(int number) {
    if (rows_ > 0)
        current_ = std::clamp(number - 1, 0, rows_ - 1);
}

void QueryDataset::next() {
    if (current_ + 1 < rows_)
        ++current_;
}

void QueryDataset::checkRow(int position) const {
    if (!open_)
        throw kd::Error(QStringLiteral("Die Abfrage ist nicht geöffnet."));
    if (rows_ == 0)
        throw kd::Error(QStringLiteral("Die Abfrage hat keine Zeilen."));
    if (position < 0 || position >= columnCount())
        throw kd::Error(QStringLiteral("Spalte %1 existiert nicht.").arg(position + 1));
}

double QueryDataset::asDouble(int position) const {
    checkRow(position);
    return columns_[std::size_t(position)].numbers[std::size_t(current_)];
}

int QueryDataset::columnIndex(const QString& name) const {
    for (int i = 0; i < names_.size(); ++i) {
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant QueryDataset::value(const QString& name) const {
    const int c = columnIndex(name);
    if (c < 0 && open_)
        throw kd::Error(QStringLiteral("Feld %1 nicht gefunden.").arg(name));
    checkRow(c);
    const Column& col = columns_[std::size_t(c)];
    const double v = col.numbers[std::size_t(current_)];
    switch (col.kinds[std::size_t(current_)]) {
        case Integer:
            return QVariant(qlonglong(v));
        case Real:
            return QVariant(v);
        case DateTime:
            return QVariant(dateTimeFromDays(v));
        case Text:
            return QVariant(col.texts.at(current_));
        default:
            return QVariant();
    }
}

QString QueryDataset::text(const QString& name) const {
    const QVariant v = value(name);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return v.toString();
}

std::span<const double> QueryDataset::column(int position) const {
    if (!open_ || position < 0 || position >= columnCount())
        return {};
    return columns_[std::size_t(position)].numbers;
}

}  // namespace kd::history
