#include "iniprofile.h"

#include <QFile>
#include <QStringDecoder>

#include <limits>

namespace kd::i18n {

namespace {

// Code points of bytes 0x80 to 0x9F in code page 1252; the rest of the page
// equals Latin-1.
constexpr char16_t kHighControls1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16(bytes.mid(2));
    }
    return decodeWindows1252(bytes);
}

// The profile functions trim blanks and tabs (and stray carriage returns).
bool isProfileSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QStringView trimmed(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isProfileSpace(s[begin]))
        ++begin;
    while (end > begin && isProfileSpace(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

QString unquoted(QStringView value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.left(kMaxProfileValueLength).toString();
}

}  // namespace

QString decodeWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kHighControls1252[b - 0x80]) : QChar(b);
    }
    return text;
}

bool parseProfileInteger(const QString& text, int* value) {
    QStringView s = trimmed(text);
    bool negative = false;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s = s.sliced(1);
    }
    int base = 10;
    if (s.startsWith(u'$')) {
        base = 16;
        s = s.sliced(1);
    } else if (s.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        s = s.sliced(2);
    }
    if (s.isEmpty())
        return false;
    qint64 magnitude = 0;
    for (const QChar c : s) {
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
                          : (base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f')
                              ? c.toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0 || digit >= base)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return false;
    *value = static_cast<int>(result);
    return true;
}

IniProfile IniProfile::fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IniProfile();
    return fromBytes(file.readAll());
}

IniProfile IniProfile::fromBytes(const QByteArray& bytes) {
    IniProfile profile;
    const QString text = decodeFile(bytes);
    // Empty while outside a section or inside one that repeats an earlier
    // name: only the first occurrence of a section is read. (A name, not a
    // pointer: inserting into a QHash moves its elements.)
    QString current;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        line = trimmed(line);
        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                const QString name = trimmed(line.sliced(1, close - 1)).toString().toCaseFolded();
                current = profile.sections_.contains(name) ? QString() : name;
                if (!current.isNull())
                    profile.sections_.insert(current, {});
                continue;
            }
        }
        const qsizetype eq = line.indexOf(u'=');
        if (current.isNull() || eq <= 0)
            continue;
        const QString key = trimmed(line.first(eq)).toString().toCaseFolded();
        QHash<QString, QString>& entries = profile.sections_[current];
        if (key.isEmpty() || entries.contains(key))
            continue;
        entries.insert(key, unquoted(trimmed(line.sliced(eq + 1))));
    }
    return profile;
}

QString IniProfile::readString(const QString& section, const QString& key,
                               const QString& defaultValue) const {
    const auto s = sections_.constFind(section.toCaseFolded());
    if (s == sections_.constEnd())
        return defaultValue;
    const auto k = s->constFind(key.toCaseFolded());
    return k == s->constEnd() ? defaultValue : *k;
}

int IniProfile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    int value = defaultValue;
    return parseProfileInteger(readString(section, key), &value) ? value : defaultValue;
}

bool IniProfile::hasSection(const QString& section) const {
    return sections_.contains(section.toCaseFolded());
}

}  // namespace kd::i18n
