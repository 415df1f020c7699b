#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace kd::xls {

/// Largest row index of a sheet (rows 0 to 65535 in the file format).
inline constexpr int kMaxRows = 65536;
/// Columns per sheet in the file format.
inline constexpr int kMaxColumns = 256;

/// One worksheet: number and text cells, column widths, protection.
/// Cells written twice keep the last value.
class Sheet {
public:
    explicit Sheet(QString name) : name_(std::move(name)) {}

    /// Row and column count from 0. Out-of-range cells throw std::out_of_range.
    void setNumber(int row, int column, double value);
    /// Text up to 255 characters (longer text is cut, as the format allows no more).
    void setText(int row, int column, const QString& text);
    /// Width in characters of the default font's digit "0".
    void setColumnWidth(int column, double characters);
    /// A protected sheet without password: every cell keeps the default
    /// locked attribute, so nothing can be changed until protection is lifted.
    void setProtected(bool on) { protected_ = on; }

    const QString& name() const { return name_; }

private:
    friend class Workbook;
    enum class Kind : std::uint8_t { Number, Text };
    struct Cell {
        std::uint16_t row;
        std::uint16_t column;
        Kind kind;
        std::uint32_t text;
        double number;
    };
    void check(int row, int column) const;

    QString name_;
    std::vector<Cell> cells_;
    QStringList texts_;
    std::vector<std::pair<int, int>> widths_;  // column, width in 1/256 characters
    bool protected_ = false;
};

/// A workbook in the binary spreadsheet format (BIFF8 records in a compound
/// document file), the format every spreadsheet program opens. Pure: builds
/// the whole file in memory; any thread, one thread at a time.
class Workbook {
public:
    Sheet& addSheet(const QString& name);
    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    Sheet& sheet(int index) { return sheets_.at(static_cast<std::size_t>(index)); }

    /// The complete file.
    QByteArray toBytes() const;
    /// Writes the file, replacing an existing one. Throws std::runtime_error
    /// with the file's error text when it cannot be written.
    void save(const QString& fileName) const;

private:
    QByteArray workbookStream() const;
    std::vector<Sheet> sheets_;
};

/// Wraps a BIFF8 workbook stream into a compound document file holding one
/// stream named "Workbook". Pure.
QByteArray compoundDocument(const QByteArray& workbookStream);

}  // namespace kd::xls
