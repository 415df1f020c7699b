#include "logger.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace kd::sim {

namespace {

constexpr int kBusyTimeoutMs = 5000;

QString quoted(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// Cheap repeatable noise in [-1, 1] for a time stamp and a channel.
double noise(qint64 t, int channel, quint32 seed) {
    quint64 x = quint64(t) * 0x9E3779B97F4A7C15ull ^ (quint64(channel + 1) << 32) ^ seed;
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    return double(x % 20001) / 10000.0 - 1.0;
}

struct Reading {
    double oben, unten, tempOben, tempUnten;
    int fehler;
};

// A drying cabinet keeps its air at about 10 %: a daily swing, a slow yearly
// drift, a bump every third day while the cartridge regenerates.
Reading reading(int cabinet, qint64 epochSeconds, quint32 seed) {
    const double day = double(epochSeconds) / 86400.0;
    const double twoPi = 2 * std::numbers::pi;
    const double daily = std::sin(twoPi * (day - 0.3));
    const double yearly = std::sin(twoPi * day / 365.25);
    const double sinceRegen = std::fmod(day + cabinet * 0.7, 3.0);
    const double regen =
        sinceRegen < 0.08 ? 8.0 * std::sin(std::numbers::pi * sinceRegen / 0.08) : 0;
    const double base = 9.0 + cabinet * 2.0 + 1.5 * daily + 2.0 * yearly + regen;
    Reading r;
    r.oben = std::round((base + 0.4 * noise(epochSeconds, 0, seed)) * 10) / 10;
    r.unten = std::round((base - 1.2 + 0.4 * noise(epochSeconds, 1, seed)) * 10) / 10;
    r.tempOben = std::round((21.0 + 2.0 * daily + 0.2 * noise(epochSeconds, 2, seed)) * 10) / 10;
    r.tempUnten = std::round((20.0 + 1.8 * daily + 0.2 * noise(epochSeconds, 3, seed)) * 10) / 10;
    r.fehler = regen > 6.0 ? 2 : (noise(epochSeconds, 4, seed) > 0.998 ? 1 : 0);
    return r;
}

bool exec(sqlite3* db, const QString& sql, QString* error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

void bindText(sqlite3_stmt* s, int i, const QString& text) {
    if (text.isNull()) {
        sqlite3_bind_null(s, i);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// Whether a cabinet records at this moment (its stops): `day` counts from
// the start of the history, `second` is the time of day.
bool recording(int cabinet, qint64 day, int second) {
    const int hour = second / 3600;
    switch (cabinet) {
        case 0:  // a week of outage, and a 90-minute stop on every 30th day
            if (day >= 100 && day < 107)
                return false;
            if (day % 30 == 15 && second >= 10 * 3600 && second < 11 * 3600 + 1800)
                return false;
            return true;
        case 1:  // switched off at night
            return hour >= 6 && hour < 22;
        default:
            return true;
    }
}

// "yyyy-MM-dd hh:mm:ss" of a day and a time of day, without time-zone work.
void stampInto(char (&out)[32], const QDate& date, int second) {
    std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(),
                  date.day(), second / 3600, second / 60 % 60, second % 60);
}

QString stamp(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

}  // namespace

QList<SampleCabinet> sampleCabinets() {
    return {
        {QStringLiteral("00-1E-C0-4A-11-01"), QStringLiteral("Labor"), QStringLiteral("Wahr")},
        {QStringLiteral("00-1E-C0-4A-11-02"), QStringLiteral("Lager"), QStringLiteral("Falsch")},
        {QStringLiteral("00-1E-C0-4A-11-03"), QStringLiteral("Prüffeld"), QString()}};
}

bool createSampleDatabase(const LoggerConfig& config, QString* error) {
    if (QFile::exists(config.path) && !QFile::remove(config.path)) {
        *error = QStringLiteral("cannot replace %1").arg(config.path);
        return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(config.path.toUtf8().constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return false;
    }
    struct Closer {
        sqlite3* db;
        ~Closer() { sqlite3_close(db); }
    } closer{db};
    sqlite3_busy_timeout(db, kBusyTimeoutMs);

    const QList<SampleCabinet> cabinets = sampleCabinets().mid(0, qBound(1, config.cabinets, 3));
    QString schema = QStringLiteral(
        "BEGIN;"
        "CREATE TABLE Schraenke (mac TEXT PRIMARY KEY, alias TEXT, Aktiv TEXT);"
        "CREATE TABLE Fehler (id INTEGER PRIMARY KEY, timestamp TEXT, ereigniss TEXT);"
        "CREATE TABLE Logger (id INTEGER PRIMARY KEY, Intervall INTEGER);"
        "INSERT INTO Logger (id, Intervall) VALUES (1, 360);");
    for (const SampleCabinet& c : cabinets) {
        schema += QStringLiteral(
                      "CREATE TABLE %1 (id INTEGER PRIMARY KEY, datetime TEXT, humi_oben REAL, "
                      "humi_unten REAL, temp_oben REAL, temp_unten REAL, fehler INTEGER);"
                      "CREATE INDEX %2 ON %1 (datetime);")
                      .arg(quoted(c.mac), quoted(QStringLiteral("idx ") + c.mac));
    }
    if (!exec(db, schema, error))
        return false;

    sqlite3_stmt* cab = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Schraenke (mac, alias, Aktiv) VALUES (?, ?, ?)", -1, &cab,
                       nullptr);
    for (const SampleCabinet& c : cabinets) {
        bindText(cab, 1, c.mac);
        bindText(cab, 2, c.alias);
        bindText(cab, 3, c.aktiv);
        sqlite3_step(cab);
        sqlite3_reset(cab);
    }
    sqlite3_finalize(cab);

    const QDateTime now = config.now.isValid() ? config.now : QDateTime::currentDateTime();
    const int step = qMax(1, config.fillStepSeconds);
    // Readings fall on whole multiples of the step since midnight.
    const QDateTime start = QDateTime(now.date().addDays(-config.days), QTime(0, 0));

    sqlite3_stmt* err = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Fehler (timestamp, ereigniss) VALUES (?, ?)", -1, &err,
                       nullptr);
    auto event = [&](const QDateTime& t, const QString& text) {
        bindText(err, 1, stamp(t));
        bindText(err, 2, text);
        sqlite3_step(err);
        sqlite3_reset(err);
    };
    event(start, QStringLiteral("Logger gestartet"));
    event(start.addDays(100),
          QStringLiteral("Keine Verbindung zu Schrank %1").arg(cabinets[0].mac));
    event(start.addDays(107),
          QStringLiteral("Verbindung zu Schrank %1 wiederhergestellt").arg(cabinets[0].mac));
    event(start.addDays(200).addSecs(3 * 3600), QStringLiteral("Datenbank gesichert"));
    sqlite3_finalize(err);

    for (int ci = 0; ci < cabinets.size(); ++ci) {
        sqlite3_stmt* ins = nullptr;
        const QByteArray sql = QStringLiteral(
                                   "INSERT INTO %1 (datetime, humi_oben, humi_unten, temp_oben, "
                                   "temp_unten, fehler) VALUES (?, ?, ?, ?, ?, ?)")
                                   .arg(quoted(cabinets[ci].mac))
                                   .toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &ins, nullptr) != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(db));
            return false;
        }
        const qint64 last = start.daysTo(now) * 86400 + now.time().msecsSinceStartOfDay() / 1000;
        const qint64 epoch = start.toSecsSinceEpoch();
        char text[32];
        for (qint64 at = 0; at <= last; at += step) {
            const qint64 day = at / 86400;
            const int second = int(at % 86400);
            if (!recording(ci, day, second))
                continue;
            const Reading r = reading(ci, epoch + at, config.seed);
            stampInto(text, start.date().addDays(day), second);
            sqlite3_bind_text(ins, 1, text, 19, SQLITE_TRANSIENT);
            sqlite3_bind_double(ins, 2, r.oben);
            sqlite3_bind_double(ins, 3, r.unten);
            sqlite3_bind_double(ins, 4, r.tempOben);
            sqlite3_bind_double(ins, 5, r.tempUnten);
            sqlite3_bind_int(ins, 6, r.fehler);
            if (sqlite3_step(ins) != SQLITE_DONE) {
                *error = QString::fromUtf8(sqlite3_errmsg(db));
                sqlite3_finalize(ins);
                return false;
            }
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
    }
    return exec(db, QStringLiteral("COMMIT;"), error);
}

Logger::Logger(LoggerConfig config, QObject* parent)
    : QObject(parent), config_(std::move(config)), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] {
        tick();
        schedule();
    });
}

Logger::~Logger() {
    sqlite3_close(db_);
}

bool Logger::start(QString* error) {
    if (config_.create || !QFile::exists(config_.path)) {
        if (!createSampleDatabase(config_, error))
            return false;
    }
    if (sqlite3_open_v2(config_.path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db_));
        return false;
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    readInterval();
    schedule();
    return true;
}

int Logger::readInterval() {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT Intervall FROM Logger WHERE id = 1", -1, &s, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW) {
        const int v = sqlite3_column_int(s, 0);
        if (v > 0)
            intervalSeconds_ = v;
    }
    sqlite3_finalize(s);
    return intervalSeconds_;
}

void Logger::schedule() {
    timer_->start(config_.periodMs > 0 ? config_.periodMs : intervalSeconds_ * 1000);
}

int Logger::tick() {
    const QDateTime now = QDateTime::currentDateTime();
    sqlite3_stmt* s = nullptr;
    QStringList macs;
    if (sqlite3_prepare_v2(db_, "SELECT mac FROM Schraenke", -1, &s, nullptr) == SQLITE_OK) {
        while (sqlite3_step(s) == SQLITE_ROW)
            macs << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    }
    sqlite3_finalize(s);
    for (int i = 0; i < macs.size(); ++i) {
        const Reading r = reading(i, now.toSecsSinceEpoch(), config_.seed);
        pending_.append({macs[i], stamp(now), r.oben, r.unten, r.fehler});
    }

    int written = 0;
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
        bool ok = true;
        for (const Pending& p : pending_) {
            const QByteArray sql = QStringLiteral(
                                       "INSERT INTO %1 (datetime, humi_oben, humi_unten, "
                                       "fehler) VALUES (?, ?, ?, ?)")
                                       .arg(quoted(p.table))
                                       .toUtf8();
            sqlite3_stmt* ins = nullptr;
            if (sqlite3_prepare_v2(db_, sql.constData(), -1, &ins, nullptr) != SQLITE_OK) {
                sqlite3_finalize(ins);
                continue;  // a cabinet without a table: nothing to record into
            }
            const QByteArray text = p.datetime.toLatin1();
            sqlite3_bind_text(ins, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(ins, 2, p.oben);
            sqlite3_bind_double(ins, 3, p.unten);
            sqlite3_bind_int(ins, 4, p.fehler);
            ok = sqlite3_step(ins) == SQLITE_DONE && ok;
            sqlite3_finalize(ins);
            ++written;
        }
        if (ok && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
            pending_.clear();
        } else {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            written = 0;
        }
    }
    rowsWritten_ += written;
    readInterval();
    emit appended(written);
    return written;
}

void addLoggerOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("logger"),
                      QStringLiteral("Run as the outside logger on the SQLite database <db>."),
                      QStringLiteral("db")});
    parser.addOption({QStringLiteral("create"),
                      QStringLiteral("Logger: make a new sample database even when <db> exists.")});
    parser.addOption({QStringLiteral("years"),
                      QStringLiteral("Logger: years of history for a new database (default: "
                                     "400 days)."),
                      QStringLiteral("n")});
    parser.addOption({QStringLiteral("days"),
                      QStringLiteral("Logger: days of history for a new database."),
                      QStringLiteral("n")});
    parser.addOption({QStringLiteral("fill-step"),
                      QStringLiteral("Logger: seconds between history readings (default 360)."),
                      QStringLiteral("s")});
    parser.addOption({QStringLiteral("period-ms"),
                      QStringLiteral("Logger: append every <ms> instead of the stored interval."),
                      QStringLiteral("ms")});
}

bool loggerRequested(const QCommandLineParser& parser) {
    return parser.isSet(QStringLiteral("logger"));
}

bool startLoggerSide(const QCommandLineParser& parser, QObject* parent, QString* error) {
    LoggerConfig config;
    config.path = parser.value(QStringLiteral("logger"));
    config.create = parser.isSet(QStringLiteral("create"));
    bool ok = true;
    auto number = [&](const char* name, int fallback, int min) {
        if (!parser.isSet(QLatin1String(name)))
            return fallback;
        bool good = false;
        const int v = parser.value(QLatin1String(name)).toInt(&good);
        if (!good || v < min) {
            ok = false;
            *error = QStringLiteral("--%1 needs a number of at least %2").arg(name).arg(min);
        }
        return v;
    };
    // A year and a bit, so the current year and the whole last one are there.
    const int years = number("years", 0, 1);
    config.days = years > 0 ? years * 365 + 35 : 400;
    config.days = number("days", config.days, 1);
    config.fillStepSeconds = number("fill-step", 360, 1);
    config.periodMs = number("period-ms", 0, 1);
    if (!ok)
        return false;
    if (config.path.isEmpty()) {
        *error = QStringLiteral("--logger needs a database file");
        return false;
    }
    auto* logger = new Logger(config, parent);
    if (!logger->start(error)) {
        delete logger;
        return false;
    }
    // The closing count lets a test check that every reading reached the file.
    QObject::connect(
        QCoreApplication::instance(), &QCoreApplication::aboutToQuit, logger, [logger] {
            QTextStream(stderr) << "kd7634-sim: logger wrote " << logger->rowsWritten()
                                << " readings, " << logger->pendingCount() << " waiting\n";
        });
    return true;
}

}  // namespace kd::sim
