#include "datetimevalue.h"

#include <cmath>

namespace kd::history {

namespace {

constexpr qint64 kJulianDayOf18991230 = 2415019;
constexpr qint64 kMsPerDay = 86400000;

template <typename Char>
bool digits(const Char* p, int n, int* out) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const int c = static_cast<int>(p[i]);
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
}

template <typename Char>
std::optional<double> parse(const Char* p, int n) {
    int y, mo, d;
    if (n < 10 || !digits(p, 4, &y) || p[4] != '-' || !digits(p + 5, 2, &mo) || p[7] != '-' ||
        !digits(p + 8, 2, &d))
        return std::nullopt;
    const QDate date(y, mo, d);
    if (!date.isValid())
        return std::nullopt;
    double seconds = 0;
    if (n >= 16 && (p[10] == ' ' || p[10] == 'T')) {
        int h, mi, s = 0;
        if (!digits(p + 11, 2, &h) || p[13] != ':' || !digits(p + 14, 2, &mi) || h > 23 || mi > 59)
            return std::nullopt;
        if (n >= 19 && p[16] == ':') {
            if (!digits(p + 17, 2, &s) || s > 59)
                return std::nullopt;
            double frac = 0, scale = 0.1;
            for (int i = 20; n > 20 && p[19] == '.' && i < n && p[i] >= '0' && p[i] <= '9'; ++i) {
                frac += (p[i] - '0') * scale;
                scale /= 10;
            }
            seconds = s + frac;
        }
        seconds += h * 3600.0 + mi * 60.0;
    }
    return static_cast<double>(date.toJulianDay() - kJulianDayOf18991230) + seconds / 86400.0;
}

}  // namespace

std::optional<double> daysFromText(QStringView text) {
    return parse(text.utf16(), static_cast<int>(text.size()));
}

std::optional<double> daysFromUtf8(const char* text, int length) {
    return parse(text, length);
}

double daysFromDate(const QDate& value) {
    return static_cast<double>(value.toJulianDay() - kJulianDayOf18991230);
}

double daysFromDateTime(const QDateTime& value) {
    return daysFromDate(value.date()) + value.time().msecsSinceStartOfDay() / double(kMsPerDay);
}

QDateTime dateTimeFromDays(double days) {
    const qint64 ms = std::llround(days * kMsPerDay);
    const qint64 day = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
    const qint64 rest = ms - day * kMsPerDay;
    return QDateTime(QDate::fromJulianDay(day + kJulianDayOf18991230),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(rest)));
}

QString exportTimeText(double days) {
    const QDateTime t = dateTimeFromDays(days);
    const QDate d = t.date();
    const QTime c = t.time();
    QString s(14, QLatin1Char('0'));
    auto put2 = [&s](int at, int v) {
        s[at] = QLatin1Char(char('0' + v / 10 % 10));
        s[at + 1] = QLatin1Char(char('0' + v % 10));
    };
    put2(0, d.day());
    s[2] = QLatin1Char('.');
    put2(3, d.month());
    s[5] = QLatin1Char('.');
    put2(6, d.year() % 100);
    s[8] = QLatin1Char(' ');
    put2(9, c.hour());
    s[11] = QLatin1Char(':');
    put2(12, c.minute());
    return s;
}

}  // namespace kd::history
