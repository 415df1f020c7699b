#include "historysql.h"

#include <QDir>

namespace kd::history {

QString databasePath() {
    const QString over = qEnvironmentVariable("KD7634_DATABASE");
    if (!over.isEmpty())
        return over;
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\KWB\\kwb.db");
#else
    return QStringLiteral("/var/lib/kwb/kwb.db");
#endif
}

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString historySql(const QString& table, bool span, const QDate& from, const QDate& to) {
    QString sql = QStringLiteral("SELECT * FROM ") + quoteIdentifier(table) + QLatin1Char(' ');
    if (span) {
        const QString fmt = QStringLiteral("yyyy-MM-dd");
        sql += QStringLiteral(" WHERE datetime < '") + to.addDays(1).toString(fmt) +
               QStringLiteral("' AND datetime >= '") + from.toString(fmt) + QLatin1Char('\'');
    }
    sql += QStringLiteral(" ORDER BY datetime ASC");
    return sql;
}

QString intervalSql(int seconds) {
    return QStringLiteral("UPDATE Logger SET Intervall=%1 WHERE id = 1;").arg(seconds);
}

QString loggerSettingsSql() {
    return QStringLiteral("SELECT * FROM Logger  WHERE id = 1;");
}

}  // namespace kd::history
