#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace kd::i18n {

/// Longest value a lookup returns, in characters; longer values are cut, as a
/// profile read into a buffer of 2048 characters cuts them.
inline constexpr int kMaxProfileValueLength = 2047;

/// A read-only INI file as the Windows profile functions read it.
///
/// QSettings' INI format is not used: it compares keys with regard to case,
/// treats "\" and "%" as escapes, splits values at commas and reads UTF-8.
/// The rules here:
/// - "[name]" starts a section; the name runs to the last "]" of the line and
///   is trimmed. Lines before the first section belong to none and are ignored.
/// - "key=value" lines; key and value are trimmed of blanks and tabs. Lines
///   without "=" and lines starting with ";" (comments) are ignored.
/// - Section and key names are compared without regard to case.
/// - For a name that occurs more than once, the first occurrence wins: later
///   sections of the same name and later lines of the same key are not read.
/// - A value enclosed in a pair of equal quotes (' or ") loses them.
/// - Values are cut to kMaxProfileValueLength characters.
/// - Text is 8-bit in the Windows code page 1252 (the system code page of the
///   German and English workstations), decoded by our own table so the result
///   does not depend on the codecs the Qt build carries. A file that starts
///   with a UTF-8 or UTF-16LE byte order mark is read in that encoding.
///
/// Lookups never fail: what is missing yields the caller's default.
class IniProfile {
public:
    /// An empty profile: every lookup yields its default.
    IniProfile() = default;

    /// Reads the whole file and closes it before returning. A missing or
    /// unreadable file gives an empty profile, without report.
    static IniProfile fromFile(const QString& path);

    /// Parses the bytes of an INI file.
    static IniProfile fromBytes(const QByteArray& bytes);

    /// The value of `key` in `section`, or `defaultValue` when either is
    /// missing. A key that is present with an empty value yields "".
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;

    /// The value read as a whole integer (decimal with optional sign, or
    /// hexadecimal after "$" or "0x"); `defaultValue` when the key is missing,
    /// empty, not a number or outside the int range.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;

    /// True when a section of this name exists.
    bool hasSection(const QString& section) const;

private:
    // Keys of both levels are case-folded names.
    QHash<QString, QHash<QString, QString>> sections_;
};

/// Decodes 8-bit text in Windows code page 1252. The five bytes that page
/// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control
/// characters of the same number, as Windows' own conversion does.
QString decodeWindows1252(const QByteArray& bytes);

/// Parses a whole integer with the rules of IniProfile::readInteger.
/// Returns false and leaves `value` untouched when the text is not one.
bool parseProfileInteger(const QString& text, int* value);

}  // namespace kd::i18n
