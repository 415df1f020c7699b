#include "chartmodel.h"

#include <QDataStream>
#include <QFileInfo>
#include <QSysInfo>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace kd::chart {

namespace {
const char kMagic[8] = {'K', 'D', 'C', 'H', 'A', 'R', 'T', '\0'};

void check(const QDataStream& s, const char* what) {
    if (s.status() != QDataStream::Ok)
        throw std::runtime_error(what);
}

void writeAxis(QDataStream& s, const AxisSettings& a) {
    s << a.minimum << a.maximum << a.automatic << a.title;
}

void readAxis(QDataStream& s, AxisSettings& a) {
    s >> a.minimum >> a.maximum >> a.automatic >> a.title;
}

void writeDoubles(QDataStream& s, const double* values, qsizetype count) {
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        // Large series: one block instead of a call per value.
        const qint64 bytes = qint64(count) * qint64(sizeof(double));
        for (qint64 done = 0; done < bytes;) {
            const int chunk = int(std::min<qint64>(bytes - done, 1 << 24));
            if (s.writeRawData(reinterpret_cast<const char*>(values) + done, chunk) != chunk)
                throw std::runtime_error("The chart file could not be written.");
            done += chunk;
        }
    } else {
        for (qsizetype i = 0; i < count; ++i)
            s << values[i];
    }
}

std::vector<double> readDoubles(QDataStream& s, quint64 count) {
    std::vector<double> v(static_cast<size_t>(count));
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        const qint64 bytes = qint64(count) * qint64(sizeof(double));
        for (qint64 done = 0; done < bytes;) {
            const int chunk = int(std::min<qint64>(bytes - done, 1 << 24));
            if (s.readRawData(reinterpret_cast<char*>(v.data()) + done, chunk) != chunk)
                throw std::runtime_error("The chart file is cut short.");
            done += chunk;
        }
    } else {
        for (double& value : v)
            s >> value;
    }
    return v;
}
}  // namespace

namespace chartfile {

void write(QIODevice& device, const ChartModel& model) {
    QDataStream s(&device);
    s.setVersion(QDataStream::Qt_6_0);
    s.setByteOrder(QDataStream::LittleEndian);
    s.setFloatingPointPrecision(QDataStream::DoublePrecision);
    s.writeRawData(kMagic, sizeof kMagic);
    s << formatVersion;

    const ChartSettings& c = model.settings();
    s << c.title << qint32(c.titlePixelSize) << c.titleBold << c.legendVisible
      << qint32(c.legendLeft) << qint32(c.legendTop);
    writeAxis(s, c.left);
    writeAxis(s, c.bottom);
    s << c.bottomDateFormat << c.bottomMinStep;
    s << quint32(c.breaks.size());
    for (const AxisBreak& b : c.breaks)
        s << b.start << b.end;
    s << qint32(c.breakGapPixels) << c.breakStyle.penColor << qint32(c.breakStyle.penWidth)
      << c.breakStyle.gradient << c.breakStyle.gradientEnd << quint8(c.breakStyle.line);
    s << c.look.gradientBottom << c.look.gradientTop << c.look.sideWall << c.look.axisLine
      << c.look.grid << c.look.fontFamily;

    s << quint32(model.seriesCount());
    for (int i = 0; i < model.seriesCount(); ++i) {
        const SeriesStyle& st = model.style(i);
        s << st.title << st.legendText << quint8(st.kind) << st.paletteColor << st.color
          << quint8(st.pen) << qint32(st.width) << st.dateTimeX << st.active;
        const SeriesData& d = model.data(i);
        s << quint64(d.size());
        qint32 sameTimesAs = -1;
        for (int j = 0; j < i && sameTimesAs < 0; ++j)
            if (d.size() > 0 && d.sharesXWith(model.data(j)))
                sameTimesAs = j;
        s << sameTimesAs;
        if (sameTimesAs < 0)
            writeDoubles(s, d.xData(), d.size());
        writeDoubles(s, d.yData(), d.size());
        check(s, "The chart file could not be written.");
    }
    check(s, "The chart file could not be written.");
}

void read(QIODevice& device, ChartModel& model) {
    QDataStream s(&device);
    s.setVersion(QDataStream::Qt_6_0);
    s.setByteOrder(QDataStream::LittleEndian);
    s.setFloatingPointPrecision(QDataStream::DoublePrecision);
    char magic[sizeof kMagic];
    if (s.readRawData(magic, sizeof magic) != int(sizeof magic) ||
        !std::equal(magic, magic + sizeof magic, kMagic))
        throw std::runtime_error("This is not a chart file.");
    quint32 version = 0;
    s >> version;
    check(s, "The chart file is cut short.");
    if (version == 0 || version > formatVersion)
        throw std::runtime_error("The chart file was written by a newer version of the program.");

    ChartModel m;
    ChartSettings& c = m.settings();
    qint32 titlePixelSize, legendLeft, legendTop, gap, penWidth;
    quint8 line;
    s >> c.title >> titlePixelSize >> c.titleBold >> c.legendVisible >> legendLeft >> legendTop;
    readAxis(s, c.left);
    readAxis(s, c.bottom);
    s >> c.bottomDateFormat >> c.bottomMinStep;
    quint32 breakCount = 0;
    s >> breakCount;
    check(s, "The chart file is cut short.");
    // A break takes 16 bytes; a count beyond the file's size is damage.
    if (device.isSequential() ? breakCount > 1000000u
                              : quint64(breakCount) * 16 > quint64(device.bytesAvailable()))
        throw std::runtime_error("The chart file is damaged.");
    for (quint32 i = 0; i < breakCount; ++i) {
        AxisBreak b;
        s >> b.start >> b.end;
        c.breaks.push_back(b);
    }
    s >> gap >> c.breakStyle.penColor >> penWidth >> c.breakStyle.gradient >>
        c.breakStyle.gradientEnd >> line;
    s >> c.look.gradientBottom >> c.look.gradientTop >> c.look.sideWall >> c.look.axisLine >>
        c.look.grid >> c.look.fontFamily;
    check(s, "The chart file is cut short.");
    c.titlePixelSize = titlePixelSize;
    c.legendLeft = legendLeft;
    c.legendTop = legendTop;
    c.breakGapPixels = gap;
    c.breakStyle.penWidth = penWidth;
    c.breakStyle.line = BreakLine(line);

    quint32 seriesCount = 0;
    s >> seriesCount;
    check(s, "The chart file is cut short.");
    if (seriesCount > 100000u)
        throw std::runtime_error("The chart file is damaged.");
    for (quint32 i = 0; i < seriesCount; ++i) {
        SeriesStyle st;
        quint8 kind, pen;
        qint32 width;
        s >> st.title >> st.legendText >> kind >> st.paletteColor >> st.color >> pen >> width >>
            st.dateTimeX >> st.active;
        quint64 count = 0;
        s >> count;
        check(s, "The chart file is cut short.");
        if (kind > quint8(SeriesKind::Area) || pen > quint8(PenStyle::Dot))
            throw std::runtime_error("The chart file is damaged.");
        qint32 sameTimesAs = -1;
        s >> sameTimesAs;
        check(s, "The chart file is cut short.");
        if (sameTimesAs >= qint32(i) || sameTimesAs < -1 ||
            (sameTimesAs >= 0 && quint64(m.data(sameTimesAs).size()) != count))
            throw std::runtime_error("The chart file is damaged.");
        const quint64 perPoint = sameTimesAs >= 0 ? 8 : 16;
        const quint64 limit = quint64(std::numeric_limits<qint64>::max()) / 16;
        if (count > limit ||
            (!device.isSequential() && count * perPoint > quint64(device.bytesAvailable())))
            throw std::runtime_error("The chart file is damaged.");
        st.kind = SeriesKind(kind);
        st.pen = PenStyle(pen);
        st.width = width;
        const int index = m.addSeries(st);
        if (sameTimesAs >= 0) {
            std::vector<double> y = readDoubles(s, count);
            check(s, "The chart file is cut short.");
            m.setPointsAtTimesOf(index, sameTimesAs, std::move(y));
            continue;
        }
        std::vector<double> x = readDoubles(s, count);
        std::vector<double> y = readDoubles(s, count);
        check(s, "The chart file is cut short.");
        m.setPoints(index, std::move(x), std::move(y));
    }
    model = std::move(m);
}

QString withDefaultExtension(const QString& path) {
    if (QFileInfo(path).suffix().isEmpty())
        return path.endsWith(QLatin1Char('.')) ? path + QStringLiteral("tee")
                                               : path + QStringLiteral(".tee");
    return path;
}

}  // namespace chartfile

void writeCsv(QIODevice& device, const ChartModel& model, bool activeOnly, bool german) {
    std::vector<int> columns;
    for (int i = 0; i < model.seriesCount(); ++i)
        if (!activeOnly || model.style(i).active)
            columns.push_back(i);

    QTextStream out(&device);
    out.setEncoding(QStringConverter::Utf8);
    auto quoted = [](QString text) {
        if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
            text.contains(QLatin1Char('\n')))
            return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                   QLatin1Char('"');
        return text;
    };
    out << (german ? "Zeit" : "Time");
    for (int c : columns)
        out << ';' << quoted(model.style(c).title);
    out << '\n';

    // Merge the series by x: one row per distinct time.
    std::vector<qsizetype> pos(columns.size(), 0);
    const QString format = QStringLiteral("yyyy-MM-dd hh:mm:ss");
    QString line;
    for (;;) {
        double x = std::numeric_limits<double>::infinity();
        for (size_t k = 0; k < columns.size(); ++k) {
            const SeriesData& d = model.data(columns[k]);
            if (pos[k] < d.size())
                x = std::min(x, d.x(pos[k]));
        }
        if (x == std::numeric_limits<double>::infinity())
            break;
        line = formatDays(x, format);
        for (size_t k = 0; k < columns.size(); ++k) {
            const SeriesData& d = model.data(columns[k]);
            line += QLatin1Char(';');
            if (pos[k] < d.size() && d.x(pos[k]) == x) {
                // A hole in the series stays an empty field, not the text "nan".
                if (std::isfinite(d.y(pos[k])))
                    line += QString::number(d.y(pos[k]), 'g', 15);
                ++pos[k];
            }
        }
        out << line << '\n';
    }
    out.flush();
    if (out.status() != QTextStream::Ok)
        throw std::runtime_error("The data could not be written.");
}

}  // namespace kd::chart
