// Benchmarks of the history: a year's display (query to chart filled and
// breaks set) at 360 s and at 10 s, and the export of 65,534 points, each
// next to a bare sqlite3 scan of the same query. Prints medians.
//   bench_history [work folder]   (default: a temporary folder)
#include "chart.h"
#include "datamodule1.h"
#include "historyexport.h"
#include "historysql.h"
#include "logger.h"
#include "mainform.h"
#include "programwindows.h"
#include "ui_mainform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        t.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The same query read row by row with the engine alone: every column fetched
// as the data layer does, nothing kept.
qint64 bareScan(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr);
    qint64 rows = 0;
    double sink = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        const int n = sqlite3_column_count(s);
        for (int c = 0; c < n; ++c) {
            if (sqlite3_column_type(s, c) == SQLITE_TEXT)
                sink += sqlite3_column_bytes(s, c);
            else
                sink += sqlite3_column_double(s, c);
        }
        ++rows;
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return sink > 0 ? rows : rows;
}

struct Case {
    const char* name;
    int fillStep;
    int cabinets;
    const char* table;
    int runs;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    const QDateTime now(QDate(2014, 1, 1), QTime(0, 0));

    const Case cases[] = {
        {"year at 360 s", 360, 3, "00-1E-C0-4A-11-03", 7},
        {"year at 10 s", 10, 1, "00-1E-C0-4A-11-01", 3},
    };
    for (const Case& c : cases) {
        kd::sim::LoggerConfig config;
        config.path = folder + QStringLiteral("/bench-%1.db").arg(c.fillStep);
        config.days = 366;
        config.fillStepSeconds = c.fillStep;
        config.cabinets = c.cabinets;
        config.now = now;
        QString error;
        QElapsedTimer made;
        made.start();
        if (!kd::sim::createSampleDatabase(config, &error)) {
            std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(config.path),
                         qPrintable(error));
            return 1;
        }
        const double createMs = made.nsecsElapsed() / 1e6;

        qputenv("KD7634_DATABASE", config.path.toUtf8());
        kd::windows() = {};
        TDataModule1 dm;
        kd::windows().DataModule1 = &dm;
        TMainform form;
        kd::windows().Mainform = &form;
        form.resize(854, 667);
        form.CabinetTable = QString::fromLatin1(c.table);
        form.ui->CheckBox1->setChecked(true);
        form.ui->DateTimePicker1->setDate(QDate(2013, 1, 1));
        form.ui->DateTimePicker2->setDate(QDate(2013, 12, 31));
        const QString sql = kd::history::historySql(form.CabinetTable, true, QDate(2013, 1, 1),
                                                    QDate(2013, 12, 31));

        qint64 rows = 0;
        const double scan = medianMs(c.runs, [&] { rows = bareScan(config.path, sql); });
        const double display = medianMs(c.runs, [&] { form.Button2Click(); });
        form.show();
        const double redraw = medianMs(c.runs, [&] { form.ui->DBChart1->toImage(); });
        std::printf("%-14s rows %9lld  breaks %4zu  create %8.1f ms\n", c.name, rows,
                    form.ui->DBChart1->breaks().size(), createMs);
        std::printf("  bare sqlite3 scan of the query      median %9.1f ms\n", scan);
        std::printf("  display: query, chart filled, breaks median %9.1f ms  (%.1fx the scan)\n",
                    display, display / scan);
        std::printf("  chart drawn to a picture             median %9.1f ms\n", redraw);

        if (c.fillStep == 360) {
            // 65,534 points: the span that fills one sheet exactly.
            form.ui->DateTimePicker2->setDate(QDate(2013, 1, 1).addDays(273));
            form.Button2Click();
            const int points = int(form.ui->DBChart1->pointCount(0));
            kd::history::ExportData data = form.plottedValues();
            data.x.resize(std::min<std::size_t>(data.x.size(), 65534));
            for (auto& s : data.series)
                s.y.resize(data.x.size());
            const QString file = folder + QStringLiteral("/bench.xls");
            const double build = medianMs(7, [&] { kd::history::exportWorkbook(data).toBytes(); });
            const double whole = medianMs(7, [&] { kd::history::exportWorkbook(data).save(file); });
            std::printf(
                "export of %zu points (of %d shown): build %9.1f ms, build and write "
                "%9.1f ms\n",
                data.x.size(), points, build, whole);
        }
        kd::windows() = {};
    }
    return 0;
}
