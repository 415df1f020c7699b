#pragma once
// Plain engine access for tests: a second connection to the database file,
// as the outside logger has, independent of the program's data layer.

#include <QString>
#include <QVariant>

#include <sqlite3.h>

class SqliteFile {
public:
    explicit SqliteFile(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~SqliteFile() { sqlite3_close(db_); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    /// Runs SQL; returns the engine's result code.
    int exec(const QString& sql) {
        return sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    /// First column of the first row as text; a null QString for NULL or no row.
    QString scalar(const QString& sql) {
        sqlite3_stmt* s = nullptr;
        QString out;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW && sqlite3_column_type(s, 0) != SQLITE_NULL)
            out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    }
    void setBusyTimeout(int ms) { sqlite3_busy_timeout(db_, ms); }
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};
