// The diagnostic chart after an hour, a day and a week of live data at one
// reply a second: time to append one reply, time to append one reply and
// redraw (offscreen, into an image), and memory per reply. Prints medians.

#include "chart.h"
#include "internform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long residentKiB() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * 4 : 0;
}

void reply(kd::DiagnosticsSink& sink, long second) {
    const double x = 46000.0 + second / 86400.0;
    for (int i = 0; i < 18; ++i)
        sink.appendPoint(i, x, 20 * i + 10 * std::sin(second / 300.0 + i) + (second % 7));
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("%-6s %10s %14s %20s %16s %14s %10s %10s\n", "span", "replies", "append [us]",
                "append+redraw [ms]", "model B/reply", "RSS B/reply", "save [ms]", "file [MB]");
    struct Span {
        const char* name;
        long replies;
    };
    for (const Span span : {Span{"hour", 3600}, Span{"day", 86400}, Span{"week", 604800}}) {
        const long rssBefore = residentKiB();
        auto* form = new TInternForm;
        kd::chart::Chart* chart = form->findChild<kd::chart::Chart*>(QStringLiteral("Chart1"));
        long second = 0;
        for (; second < span.replies; ++second)
            reply(*form, second);
        const long rssAfter = residentKiB();

        std::vector<double> append;
        QElapsedTimer t;
        for (int i = 0; i < 1001; ++i) {
            t.start();
            reply(*form, second++);
            append.push_back(t.nsecsElapsed() / 1000.0);
        }
        std::vector<double> redraw;
        const int redraws = qEnvironmentVariableIntValue("KD_BENCH_REDRAWS") > 0
                                ? qEnvironmentVariableIntValue("KD_BENCH_REDRAWS")
                                : 21;
        for (int i = 0; i < redraws; ++i) {
            t.start();
            reply(*form, second++);
            const QImage image = chart->toImage(chart->size());
            redraw.push_back(t.nsecsElapsed() / 1e6);
            if (image.isNull())
                return 1;
        }
        // Saving all points, as "KWB Save" and "KWB Mail" do.
        QTemporaryDir dir;
        t.start();
        const QString saved = chart->saveToFile(dir.filePath(QStringLiteral("live")));
        const double saveMs = t.nsecsElapsed() / 1e6;
        const double fileMB = QFileInfo(saved).size() / 1e6;
        const double modelPerReply = double(chart->model().memoryBytes()) / double(second);
        const double rssPerReply = double(rssAfter - rssBefore) * 1024.0 / double(span.replies);
        std::printf("%-6s %10ld %14.2f %20.2f %16.1f %14.1f %10.0f %10.1f\n", span.name,
                    span.replies, median(append), median(redraw), modelPerReply, rssPerReply,
                    saveMs, fileMB);
        std::fflush(stdout);
        delete form;
    }
    return 0;
}
