#include "xlswriter.h"

#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace kd::xls {

namespace {

// Record ids of the binary worksheet format.
enum : std::uint16_t {
    kBof = 0x0809,
    kEof = 0x000A,
    kInterfaceHdr = 0x00E1,
    kMms = 0x00C1,
    kInterfaceEnd = 0x00E2,
    kWriteAccess = 0x005C,
    kCodePage = 0x0042,
    kDsf = 0x0161,
    kWindowProtect = 0x0019,
    kProtect = 0x0012,
    kPassword = 0x0013,
    kProt4Rev = 0x01AF,
    kProt4RevPass = 0x01BC,
    kBackup = 0x0040,
    kHideObj = 0x008D,
    kWindow1 = 0x003D,
    kDateMode = 0x0022,
    kPrecision = 0x000E,
    kBookBool = 0x00DA,
    kFont = 0x0031,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kCalcMode = 0x000D,
    kCalcCount = 0x000C,
    kRefMode = 0x000F,
    kIteration = 0x0011,
    kDefColWidth = 0x0055,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kWindow2 = 0x023E,
    kObjProtect = 0x0063,
    kScenProtect = 0x00DD,
};

constexpr std::uint16_t kDefaultCellXf = 15;

class Writer {
public:
    QByteArray bytes;

    void u8(std::uint8_t v) { bytes.append(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void f64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(static_cast<std::uint32_t>(bits));
        u32(static_cast<std::uint32_t>(bits >> 32));
    }
    void zeros(int n) { bytes.append(n, '\0'); }

    /// Starts a record; finish() fills in its length.
    void begin(std::uint16_t id) {
        u16(id);
        lengthAt_ = bytes.size();
        u16(0);
    }
    void finish() {
        const auto length = static_cast<std::uint16_t>(bytes.size() - lengthAt_ - 2);
        bytes[lengthAt_] = static_cast<char>(length & 0xFF);
        bytes[lengthAt_ + 1] = static_cast<char>(length >> 8);
    }
    void record16(std::uint16_t id, std::uint16_t value) {
        begin(id);
        u16(value);
        finish();
    }

    /// Text as 8-bit characters when every one fits, UTF-16 otherwise,
    /// preceded by its option byte.
    void unicodeChars(const QString& text) {
        const bool wide =
            std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
        u8(wide ? 1 : 0);
        for (QChar c : text) {
            if (wide)
                u16(c.unicode());
            else
                u8(static_cast<std::uint8_t>(c.unicode()));
        }
    }

private:
    qsizetype lengthAt_ = 0;
};

void bof(Writer& w, std::uint16_t type) {
    w.begin(kBof);
    w.u16(0x0600);  // BIFF8
    w.u16(type);
    w.u16(0x0DBB);  // build
    w.u16(0x07CC);  // year
    w.u32(0);       // history flags
    w.u32(0x06);    // lowest version that can read it
    w.finish();
}

void font(Writer& w) {
    w.begin(kFont);
    w.u16(200);  // 10 points in twips
    w.u16(0);
    w.u16(0x7FFF);  // automatic colour
    w.u16(400);     // normal weight
    w.u16(0);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    const QString name = QStringLiteral("Arial");
    w.u8(static_cast<std::uint8_t>(name.size()));
    w.unicodeChars(name);
    w.finish();
}

void xf(Writer& w, bool style) {
    w.begin(kXf);
    w.u16(0);                        // font
    w.u16(0);                        // number format "General"
    w.u16(style ? 0xFFF5 : 0x0001);  // locked; style records have no parent
    w.u8(0x20);                      // general alignment, bottom
    w.u8(0);                         // rotation
    w.u8(0);                         // indent
    w.u8(style ? 0xF4 : 0x00);       // attribute groups
    w.u32(0);                        // borders
    w.u32(0);                        // border colours, fill pattern
    w.u16(0x20C0);                   // pattern colours: automatic
    w.finish();
}

// Sheet offsets are written as 0 and patched once the sheet sizes are known.
QByteArray globals(const std::vector<Sheet>& sheets, std::vector<qsizetype>* offsetPositions) {
    Writer w;
    bof(w, 0x0005);
    w.begin(kInterfaceHdr);
    w.u16(0x04B0);
    w.finish();
    w.record16(kMms, 0);
    w.begin(kInterfaceEnd);
    w.finish();
    w.begin(kWriteAccess);
    const QByteArray user(112, ' ');
    w.bytes.append(user);
    w.finish();
    w.record16(kCodePage, 0x04B0);  // UTF-16
    w.record16(kDsf, 0);
    w.record16(kWindowProtect, 0);
    w.record16(kProtect, 0);
    w.record16(kPassword, 0);
    w.record16(kProt4Rev, 0);
    w.record16(kProt4RevPass, 0);
    w.record16(kBackup, 0);
    w.record16(kHideObj, 0);
    w.begin(kWindow1);
    w.u16(0x01E0);
    w.u16(0x005A);
    w.u16(0x3FCF);
    w.u16(0x2A4E);
    w.u16(0x0038);
    w.u16(0);  // active sheet
    w.u16(0);  // first visible tab
    w.u16(1);  // selected tabs
    w.u16(0x0258);
    w.finish();
    w.record16(kDateMode, 0);  // days since 30 December 1899
    w.record16(kPrecision, 1);
    w.record16(kBookBool, 0);
    // Font index 4 does not exist in the format; five records keep the
    // numbering that readers expect.
    for (int i = 0; i < 5; ++i)
        font(w);
    for (int i = 0; i < 15; ++i)
        xf(w, true);
    xf(w, false);  // 15: the cell format of every cell
    w.begin(kStyle);
    w.u16(0x8000);  // built-in style on format 0
    w.u8(0);        // "Normal"
    w.u8(0xFF);
    w.finish();
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        w.begin(kBoundSheet);
        offsetPositions->push_back(w.bytes.size());
        w.u32(0);
        w.u16(0);  // visible worksheet
        const QString name = sheets[i].name().left(31);
        w.u8(static_cast<std::uint8_t>(name.size()));
        w.unicodeChars(name);
        w.finish();
    }
    w.begin(kEof);
    w.finish();
    return w.bytes;
}

}  // namespace

void Sheet::check(int row, int column) const {
    if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
        throw std::out_of_range("cell outside the sheet");
}

void Sheet::setNumber(int row, int column, double value) {
    check(row, column);
    cells_.push_back({static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column),
                      Kind::Number, 0, value});
}

void Sheet::setText(int row, int column, const QString& text) {
    check(row, column);
    texts_.append(text.left(255));
    cells_.push_back({static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column),
                      Kind::Text, static_cast<std::uint32_t>(texts_.size() - 1), 0});
}

void Sheet::setColumnWidth(int column, double characters) {
    check(0, column);
    const int units = std::clamp(static_cast<int>(std::lround(characters * 256)), 0, 0xFFFF);
    for (auto& w : widths_) {
        if (w.first == column) {
            w.second = units;
            return;
        }
    }
    widths_.emplace_back(column, units);
}

Sheet& Workbook::addSheet(const QString& name) {
    sheets_.emplace_back(name);
    return sheets_.back();
}

namespace {

QByteArray sheetStream(bool first, const auto& cells, const QStringList& texts, bool isProtected,
                       std::vector<std::pair<int, int>> widths) {
    Writer w;
    w.bytes.reserve(static_cast<qsizetype>(cells.size()) * 24 + 512);
    bof(w, 0x0010);
    w.record16(kCalcMode, 1);
    w.record16(kCalcCount, 100);
    w.record16(kRefMode, 1);
    w.record16(kIteration, 0);
    if (isProtected) {
        w.record16(kProtect, 1);
        w.record16(kScenProtect, 1);
        w.record16(kObjProtect, 1);
    }
    w.record16(kDefColWidth, 8);
    std::sort(widths.begin(), widths.end());
    for (const auto& [column, units] : widths) {
        w.begin(kColInfo);
        w.u16(static_cast<std::uint16_t>(column));
        w.u16(static_cast<std::uint16_t>(column));
        w.u16(static_cast<std::uint16_t>(units));
        w.u16(kDefaultCellXf);
        w.u16(0);
        w.u16(0);
        w.finish();
    }
    std::uint32_t rowLast = 0, colFirst = 0xFFFF, colLast = 0, rowFirst = 0xFFFFFFFF;
    for (const auto& c : cells) {
        rowFirst = std::min<std::uint32_t>(rowFirst, c.row);
        rowLast = std::max<std::uint32_t>(rowLast, c.row + 1u);
        colFirst = std::min<std::uint32_t>(colFirst, c.column);
        colLast = std::max<std::uint32_t>(colLast, c.column + 1u);
    }
    w.begin(kDimensions);
    if (cells.empty()) {
        w.zeros(12);
    } else {
        w.u32(rowFirst);
        w.u32(rowLast);
        w.u16(static_cast<std::uint16_t>(colFirst));
        w.u16(static_cast<std::uint16_t>(colLast));
    }
    w.u16(0);
    w.finish();
    for (const auto& c : cells) {
        if (c.kind == 0) {
            w.begin(kNumber);
            w.u16(c.row);
            w.u16(c.column);
            w.u16(kDefaultCellXf);
            w.f64(c.number);
            w.finish();
        } else {
            const QString& text = texts[static_cast<qsizetype>(c.text)];
            w.begin(kLabel);
            w.u16(c.row);
            w.u16(c.column);
            w.u16(kDefaultCellXf);
            w.u16(static_cast<std::uint16_t>(text.size()));
            w.unicodeChars(text);
            w.finish();
        }
    }
    w.begin(kWindow2);
    w.u16(first ? 0x06B6 : 0x00B6);
    w.u16(0);
    w.u16(0);
    w.u16(64);
    w.u16(0);
    w.u16(0);
    w.u16(0);
    w.u32(0);
    w.finish();
    w.begin(kEof);
    w.finish();
    return w.bytes;
}

}  // namespace

QByteArray Workbook::workbookStream() const {
    struct Flat {
        std::uint16_t row, column;
        int kind;
        std::uint32_t text;
        double number;
    };
    std::vector<QByteArray> parts;
    for (std::size_t s = 0; s < sheets_.size(); ++s) {
        const Sheet& sheet = sheets_[s];
        // Rows in ascending order, columns ascending within a row; of a cell
        // written twice the last write wins.
        std::vector<std::size_t> index(sheet.cells_.size());
        for (std::size_t i = 0; i < index.size(); ++i)
            index[i] = i;
        std::stable_sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) {
            const auto& ca = sheet.cells_[a];
            const auto& cb = sheet.cells_[b];
            return ca.row != cb.row ? ca.row < cb.row : ca.column < cb.column;
        });
        std::vector<Flat> cells;
        cells.reserve(index.size());
        for (std::size_t i : index) {
            const auto& c = sheet.cells_[i];
            Flat f{c.row, c.column, c.kind == Sheet::Kind::Number ? 0 : 1, c.text, c.number};
            if (!cells.empty() && cells.back().row == f.row && cells.back().column == f.column)
                cells.back() = f;
            else
                cells.push_back(f);
        }
        parts.push_back(sheetStream(s == 0, cells, sheet.texts_, sheet.protected_, sheet.widths_));
    }
    std::vector<qsizetype> positions;
    QByteArray head = globals(sheets_, &positions);
    std::uint32_t offset = static_cast<std::uint32_t>(head.size());
    for (std::size_t s = 0; s < parts.size(); ++s) {
        const qsizetype at = positions[s];
        for (int b = 0; b < 4; ++b)
            head[at + b] = static_cast<char>((offset >> (8 * b)) & 0xFF);
        offset += static_cast<std::uint32_t>(parts[s].size());
    }
    QByteArray stream = head;
    stream.reserve(offset);
    for (const QByteArray& p : parts)
        stream.append(p);
    return stream;
}

QByteArray Workbook::toBytes() const {
    return compoundDocument(workbookStream());
}

void Workbook::save(const QString& fileName) const {
    const QByteArray data = toBytes();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(fileName, file.errorString()).toStdString());
}

namespace {

constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr int kSector = 512;
constexpr int kEntriesPerSector = kSector / 4;
constexpr int kHeaderDifat = 109;

void put32(QByteArray& b, qsizetype at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void directoryEntry(Writer& w, const QString& name, std::uint8_t type, std::uint32_t child,
                    std::uint32_t start, std::uint32_t size) {
    const qsizetype begin = w.bytes.size();
    for (QChar c : name)
        w.u16(c.unicode());
    w.zeros(static_cast<int>(64 - (w.bytes.size() - begin)));
    w.u16(name.isEmpty() ? 0 : static_cast<std::uint16_t>((name.size() + 1) * 2));
    w.u8(type);
    w.u8(1);  // black
    w.u32(kNoStream);
    w.u32(kNoStream);
    w.u32(child);
    w.zeros(16);  // class id
    w.u32(0);     // state bits
    w.zeros(16);  // times
    w.u32(start);
    w.u32(size);
    w.u32(0);
}

}  // namespace

QByteArray compoundDocument(const QByteArray& workbookStream) {
    QByteArray stream = workbookStream;
    // Streams below 4096 bytes would belong in the mini stream; padding keeps
    // the file to one kind of sector chain.
    if (stream.size() < 4096)
        stream.append(4096 - stream.size(), '\0');
    const auto streamSize = static_cast<std::uint32_t>(stream.size());
    if (stream.size() % kSector)
        stream.append(kSector - stream.size() % kSector, '\0');
    const int streamSectors = static_cast<int>(stream.size() / kSector);
    const int dirSectors = 1;

    int fatSectors = 0, difatSectors = 0;
    for (;;) {
        const int total = streamSectors + dirSectors + fatSectors + difatSectors;
        const int fat = (total + kEntriesPerSector - 1) / kEntriesPerSector;
        const int difat = fat > kHeaderDifat ? (fat - kHeaderDifat + kEntriesPerSector - 2) /
                                                   (kEntriesPerSector - 1)
                                             : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const int dirAt = streamSectors;
    const int fatAt = dirAt + dirSectors;
    const int difatAt = fatAt + fatSectors;

    Writer header;
    header.bytes.reserve(kSector);
    const unsigned char magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    header.bytes.append(reinterpret_cast<const char*>(magic), 8);
    header.zeros(16);
    header.u16(0x003E);
    header.u16(0x0003);
    header.u16(0xFFFE);
    header.u16(9);  // 512-byte sectors
    header.u16(6);  // 64-byte mini sectors
    header.zeros(6);
    header.u32(0);
    header.u32(static_cast<std::uint32_t>(fatSectors));
    header.u32(static_cast<std::uint32_t>(dirAt));
    header.u32(0);
    header.u32(4096);
    header.u32(kEndOfChain);  // no mini FAT
    header.u32(0);
    header.u32(difatSectors ? static_cast<std::uint32_t>(difatAt) : kEndOfChain);
    header.u32(static_cast<std::uint32_t>(difatSectors));
    for (int i = 0; i < kHeaderDifat; ++i)
        header.u32(i < fatSectors ? static_cast<std::uint32_t>(fatAt + i) : kFreeSect);

    Writer dir;
    directoryEntry(dir, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    directoryEntry(dir, QStringLiteral("Workbook"), 2, kNoStream, 0, streamSize);
    directoryEntry(dir, QString(), 0, kNoStream, 0, 0);
    directoryEntry(dir, QString(), 0, kNoStream, 0, 0);

    QByteArray fat(static_cast<qsizetype>(fatSectors) * kSector, '\xFF');
    for (int i = 0; i < streamSectors; ++i)
        put32(fat, i * 4, i + 1 < streamSectors ? static_cast<std::uint32_t>(i + 1) : kEndOfChain);
    put32(fat, dirAt * 4, kEndOfChain);
    for (int i = 0; i < fatSectors; ++i)
        put32(fat, (fatAt + i) * 4, kFatSect);
    for (int i = 0; i < difatSectors; ++i)
        put32(fat, (difatAt + i) * 4, kDifSect);

    QByteArray difat(static_cast<qsizetype>(difatSectors) * kSector, '\xFF');
    for (int d = 0; d < difatSectors; ++d) {
        for (int k = 0; k < kEntriesPerSector - 1; ++k) {
            const int n = kHeaderDifat + d * (kEntriesPerSector - 1) + k;
            if (n < fatSectors)
                put32(difat, d * kSector + k * 4, static_cast<std::uint32_t>(fatAt + n));
        }
        put32(difat, d * kSector + (kEntriesPerSector - 1) * 4,
              d + 1 < difatSectors ? static_cast<std::uint32_t>(difatAt + d + 1) : kEndOfChain);
    }

    QByteArray file;
    file.reserve(kSector + stream.size() + dir.bytes.size() + fat.size() + difat.size());
    file.append(header.bytes);
    file.append(stream);
    file.append(dir.bytes);
    file.append(fat);
    file.append(difat);
    return file;
}

}  // namespace kd::xls
