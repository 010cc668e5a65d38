#include "xlswriter.h"

#include <QDateTime>
#include <QDir>
#include <QtEndian>
#include <cmath>
#include <cstring>

#include "data/currency.h"

const QString XlsWriter::Footer = QStringLiteral("Page &P of &N");

namespace {

// Record types.
enum : quint16 {
    BOF = 0x0809,
    EOF_ = 0x000A,
    CODEPAGE = 0x0042,
    WINDOW1 = 0x003D,
    DATEMODE = 0x0022,
    FONT = 0x0031,
    XF = 0x00E0,
    STYLE = 0x0293,
    BOUNDSHEET = 0x0085,
    SST = 0x00FC,
    CONTINUE = 0x003C,
    EXTSST = 0x00FF,
    HEADER = 0x0014,
    FOOTER = 0x0015,
    PRINTHEADERS = 0x002A,
    PRINTGRIDLINES = 0x002B,
    GRIDSET = 0x0082,
    GUTS = 0x0080,
    DEFAULTROWHEIGHT = 0x0225,
    WSBOOL = 0x0081,
    HCENTER = 0x0083,
    VCENTER = 0x0084,
    COLINFO = 0x007D,
    DIMENSIONS = 0x0200,
    ROW = 0x0208,
    LABELSST = 0x00FD,
    NUMBER = 0x0203,
    WINDOW2 = 0x023E,
};

constexpr int MaxRecordData = 8224;
constexpr int RowsPerBlock = 32;
constexpr qsizetype KnownLimit = 20000;
constexpr qsizetype FlushAt = 1 << 20;

// Cell formats, by their index among the XF records (0-14 are styles, 15 the plain cell).
enum : quint16 { XfPlain = 15, XfCaption, XfMoney, XfDate, XfDateTime, XfLines };

// Built-in number formats of every spreadsheet application.
enum : quint16 { FmtGeneral = 0, FmtMoney = 4, FmtDate = 14, FmtDateTime = 22 };

class Bytes {
public:
    Bytes& u8(quint8 v) {
        m_b.append(char(v));
        return *this;
    }
    Bytes& u16(quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        m_b.append(b, 2);
        return *this;
    }
    Bytes& u32(quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        m_b.append(b, 4);
        return *this;
    }
    Bytes& f64(double v) {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        char b[8];
        qToLittleEndian(bits, b);
        m_b.append(b, 8);
        return *this;
    }
    Bytes& zeros(int n) {
        m_b.append(n, '\0');
        return *this;
    }
    // A string with a one- or two-byte length, Latin-1 when every character allows it.
    Bytes& text(const QString& s, bool shortLength) {
        const bool wide = isWide(s);
        if (shortLength)
            u8(quint8(s.size()));
        else
            u16(quint16(s.size()));
        u8(wide ? 1 : 0);
        chars(m_b, s, 0, s.size(), wide);
        return *this;
    }
    const QByteArray& data() const { return m_b; }

    static bool isWide(const QString& s) { return !QtPrivate::isLatin1(s); }
    static void chars(QByteArray& out, const QString& s, qsizetype from, qsizetype count,
                      bool wide) {
        if (wide) {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
            out.append(reinterpret_cast<const char*>(s.constData() + from), count * 2);
#else
            const qsizetype at = out.size();
            out.resize(at + count * 2);
            char* p = out.data() + at;
            for (qsizetype i = 0; i < count; ++i, p += 2)
                qToLittleEndian(s.at(from + i).unicode(), p);
#endif
        } else {
            for (qsizetype i = 0; i < count; ++i)
                out.append(char(s.at(from + i).unicode()));
        }
    }

private:
    QByteArray m_b;
};

// Writes little-endian values into a buffer large enough for them.
struct Packer {
    char* p;
    Packer& u16(quint16 v) {
        qToLittleEndian(v, p);
        p += 2;
        return *this;
    }
    Packer& u32(quint32 v) {
        qToLittleEndian(v, p);
        p += 4;
        return *this;
    }
    Packer& f64(double v) {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        qToLittleEndian(bits, p);
        p += 8;
        return *this;
    }
};

QByteArray xfRecord(quint16 font, quint16 format, bool style, bool wrapped = false) {
    Bytes b;
    b.u16(font).u16(format);
    b.u16(style ? 0xFFF5 : 0x0001); // locked; a style has no parent, a cell the Normal style
    b.u8(wrapped ? 0x08 : 0x20);    // wrapped at the top, or bottom-aligned on one line
    b.u8(0).u8(0);                  // no rotation, no indent
    b.u8(style ? 0x00 : 0xFC);      // a cell states all its attributes
    b.u32(0).u32(0);                // no borders
    b.u16(0x20C0);                  // automatic pattern colours
    return b.data();
}

QByteArray fontRecord(bool bold) {
    Bytes b;
    b.u16(200).u16(bold ? 1 : 0).u16(0x7FFF).u16(bold ? 700 : 400); // both bold marks
    b.u16(0).u8(0).u8(0).u8(134).u8(0); // no escapement or underline; GB2312 character set
    b.text(QStringLiteral("宋体"), true);
    return b.data();
}

} // namespace

struct XlsWriter::Sheet {
    QString name;
    QList<Column> columns;
    int rows = 0;
    QByteArray body; // rows of finished blocks: their ROW records, then their cells
    QByteArray blockRows;
    QByteArray blockCells;
    int blockCount = 0;

    void closeBlock() {
        body += blockRows;
        body += blockCells;
        blockRows.clear();
        blockCells.clear();
        blockCount = 0;
    }
};

XlsWriter::XlsWriter(const QString& path) : m_path(path), m_file(path) {
    if (!m_file.open(QIODevice::WriteOnly))
        throw FileWriteError(failure(m_file.errorString()));
    m_container = std::make_unique<CompoundFileWriter>(m_file, QStringLiteral("Workbook"));
}

XlsWriter::~XlsWriter() = default;

QString XlsWriter::failure(const QString& why) const {
    return QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(m_path), why);
}

int XlsWriter::addSheet(const QString& name, const QList<Column>& columns) {
    Q_ASSERT(!m_started);
    auto sheet = std::make_unique<Sheet>();
    sheet->name = name.left(31);
    sheet->columns = columns;
    m_sheets.push_back(std::move(sheet));
    return int(m_sheets.size()) - 1;
}

int XlsWriter::rowCount(int sheet) const {
    return m_sheets[size_t(sheet)]->rows;
}

double XlsWriter::serialDate(const QDateTime& value) {
    static const QDate epoch(1899, 12, 30);
    static const QDate firstOfMarch(1900, 3, 1);
    const qint64 days = epoch.daysTo(value.date()) - (value.date() < firstOfMarch ? 1 : 0);
    return double(days) + value.time().msecsSinceStartOfDay() / 86400000.0;
}

void XlsWriter::writeRecord(quint16 type, const QByteArray& data) {
    char head[4];
    qToLittleEndian(type, head);
    qToLittleEndian(quint16(data.size()), head + 2);
    m_out.append(head, 4);
    m_out.append(data);
    if (m_out.size() >= FlushAt)
        flushStream();
}

void XlsWriter::flushStream() {
    try {
        m_container->write(m_out);
    } catch (const FileWriteError& e) {
        throw FileWriteError(failure(e.text()));
    }
    m_out.clear();
}

void XlsWriter::startGlobals() {
    m_started = true;
    writeRecord(BOF, Bytes().u16(0x0600).u16(0x0005).u16(0x0DBB).u16(0x07CC).u32(0).u32(6).data());
    writeRecord(CODEPAGE, Bytes().u16(1200).data()); // UTF-16
    writeRecord(WINDOW1, Bytes()
                             .u16(0x01E0)
                             .u16(0x005A)
                             .u16(0x3FCF)
                             .u16(0x2A4E)
                             .u16(0x0038)
                             .u16(0)
                             .u16(0)
                             .u16(1)
                             .u16(0x0258)
                             .data());
    writeRecord(DATEMODE, Bytes().u16(0).data()); // the 1900 date system
    // Fonts 0-3 plain; the fifth record is font 5 (index 4 is never used), the bold one.
    for (int i = 0; i < 4; ++i)
        writeRecord(FONT, fontRecord(false));
    writeRecord(FONT, fontRecord(true));
    writeRecord(XF, xfRecord(0, FmtGeneral, true));
    for (int i = 1; i < 15; ++i)
        writeRecord(XF, xfRecord(0, FmtGeneral, true));
    writeRecord(XF, xfRecord(0, FmtGeneral, false));               // XfPlain
    writeRecord(XF, xfRecord(5, FmtGeneral, false));               // XfCaption
    writeRecord(XF, xfRecord(0, FmtMoney, false));                 // XfMoney
    writeRecord(XF, xfRecord(0, FmtDate, false));                  // XfDate
    writeRecord(XF, xfRecord(0, FmtDateTime, false));              // XfDateTime
    writeRecord(XF, xfRecord(0, FmtGeneral, false, true));         // XfLines
    writeRecord(STYLE, Bytes().u16(0x8000).u8(0).u8(0xFF).data()); // Normal
    for (const auto& sheet : m_sheets) {
        m_sheetOffsets.append(m_container->streamSize() + m_out.size() + 4);
        writeRecord(BOUNDSHEET, Bytes().u32(0).u16(0).text(sheet->name, true).data());
    }
    m_sharedStart = m_container->streamSize() + m_out.size();
    m_record = Bytes().u32(0).u32(0).data(); // the counts, filled in at the end
    m_recordIsContinue = false;

    for (size_t s = 0; s < m_sheets.size(); ++s) {
        std::vector<Cell> captions;
        for (const Column& c : m_sheets[s]->columns)
            captions.push_back(text(c.caption));
        appendRow(*m_sheets[s], captions, XfCaption);
    }
}

void XlsWriter::flushSharedRecord(bool continues) {
    writeRecord(m_recordIsContinue ? CONTINUE : SST, m_record);
    m_record.clear();
    m_recordIsContinue = continues;
}

void XlsWriter::appendShared(const QString& value) {
    const bool wide = Bytes::isWide(value);
    const int charSize = wide ? 2 : 1;
    // a string's header and its first character (two code units at most) never stand apart
    if (m_record.size() + 3 + 2 * charSize > MaxRecordData)
        flushSharedRecord(true);
    if (m_unique % 8 == 0) {
        const qint64 recordStart = m_container->streamSize() + m_out.size();
        m_buckets.emplace_back(quint32(recordStart + 4 + m_record.size()),
                               quint16(4 + m_record.size()));
    }
    char head[3];
    qToLittleEndian(quint16(value.size()), head);
    head[2] = wide ? 1 : 0;
    m_record.append(head, 3);
    qsizetype done = 0;
    for (;;) {
        const qsizetype room = (MaxRecordData - m_record.size()) / charSize;
        qsizetype take = std::min(room, value.size() - done);
        // readers refuse a character whose two halves lie in different records
        if (done + take < value.size() && value.at(done + take - 1).isHighSurrogate())
            --take;
        Bytes::chars(m_record, value, done, take, wide);
        done += take;
        if (done >= value.size())
            break;
        // the rest continues in the next record, which repeats the character width
        flushSharedRecord(true);
        m_record.append(char(wide ? 1 : 0));
    }
    ++m_unique;
}

XlsWriter::Cell XlsWriter::text(const QString& value) {
    if (!m_started)
        startGlobals();
    Cell c;
    if (value.isEmpty())
        return c;
    QString s = value.size() > MaxTextLength ? value.left(MaxTextLength) : value;
    if (s.size() < value.size() && s.back().isHighSurrogate())
        s.chop(1); // no half of a character
    c.kind = s.contains(QLatin1Char('\n')) ? Cell::Kind::Lines : Cell::Kind::Text;
    // Long texts are seldom repeated; only short ones are looked up.
    const bool shortText = s.size() <= 255;
    if (shortText) {
        auto it = m_known.constFind(s);
        if (it != m_known.constEnd()) {
            c.text = it.value();
            ++m_total;
            return c;
        }
    }
    c.text = m_unique;
    if (s.size() < value.size())
        m_shortened.insert(c.text);
    appendShared(s);
    ++m_total;
    // Values that repeat (partners, directions, departments) show up early; past this many,
    // new texts are mostly unique numbers and names, not worth remembering.
    if (shortText && m_known.size() < KnownLimit)
        m_known.insert(s, c.text);
    return c;
}

XlsWriter::Cell XlsWriter::cell(const QVariant& value) {
    Cell c;
    if (value.isNull())
        return c;
    switch (value.typeId()) {
    case QMetaType::QString:
        return text(value.toString());
    case QMetaType::QDateTime:
    case QMetaType::QDate: {
        const QDateTime dt = value.toDateTime();
        const bool timeOfDay = dt.time() != QTime(0, 0);
        if (dt.date().year() < 1900)
            return text(dt.toString(timeOfDay ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                              : QStringLiteral("yyyy-MM-dd")));
        c.kind = timeOfDay ? Cell::Kind::DateTime : Cell::Kind::Date;
        c.number = serialDate(dt);
        return c;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        c.kind = Cell::Kind::Number;
        c.number = value.toDouble();
        return c;
    default:
        break;
    }
    if (value.typeId() == qMetaTypeId<Currency>()) {
        c.kind = Cell::Kind::Money;
        c.number = value.value<Currency>().toDouble();
        return c;
    }
    return text(value.toString());
}

XlsWriter::Cell XlsWriter::money(double value) {
    Cell c;
    c.kind = Cell::Kind::Money;
    c.number = value;
    return c;
}

void XlsWriter::addRow(int sheet, const std::vector<Cell>& cells) {
    if (!m_started)
        startGlobals();
    appendRow(*m_sheets[size_t(sheet)], cells, XfPlain);
}

void XlsWriter::appendRow(Sheet& sheet, const std::vector<Cell>& cells, quint16 textFormat) {
    if (sheet.rows >= MaxRows)
        throw FileWriteError(
            failure(QStringLiteral("工作表“%1”超过 %2 行").arg(sheet.name).arg(MaxRows)));
    const auto row = quint16(sheet.rows++);
    int first = -1, last = -1;
    // packed in place: cells are the bulk of a large workbook
    const size_t count = std::min<size_t>(cells.size(), 256);
    char buffer[256 * 18];
    Packer out{buffer};
    for (size_t col = 0; col < count; ++col) {
        const Cell& c = cells[col];
        if (c.kind == Cell::Kind::Blank)
            continue;
        if (first < 0)
            first = int(col);
        last = int(col);
        if (c.kind == Cell::Kind::Text || c.kind == Cell::Kind::Lines) {
            const quint16 xf = c.kind == Cell::Kind::Lines ? quint16(XfLines) : textFormat;
            out.u16(LABELSST).u16(10).u16(row).u16(quint16(col)).u16(xf).u32(c.text);
            continue;
        }
        widen(sheet, int(col), c);
        quint16 xf = XfPlain;
        if (c.kind == Cell::Kind::Money)
            xf = XfMoney;
        else if (c.kind == Cell::Kind::Date)
            xf = XfDate;
        else if (c.kind == Cell::Kind::DateTime)
            xf = XfDateTime;
        out.u16(NUMBER).u16(14).u16(row).u16(quint16(col)).u16(xf).f64(c.number);
    }
    sheet.blockCells.append(buffer, out.p - buffer);
    char rowRecord[20];
    Packer r{rowRecord};
    r.u16(ROW).u16(16).u16(row);
    r.u16(quint16(first < 0 ? 0 : first)).u16(quint16(last < 0 ? 0 : last + 1));
    r.u16(0x00FF).u16(0).u16(0).u32(0x000F0100); // default height, Normal style
    sheet.blockRows.append(rowRecord, sizeof rowRecord);
    if (++sheet.blockCount == RowsPerBlock)
        sheet.closeBlock();
}

void XlsWriter::finishShared() {
    flushSharedRecord(false);
    // Readers find strings faster through buckets; at most 128 of them.
    const quint32 perBucket = std::max<quint32>(8, 8 * ((m_unique + 1023) / 1024));
    Bytes ext;
    ext.u16(quint16(perBucket));
    for (quint32 first = 0; first < m_unique; first += perBucket) {
        const auto& [offset, inRecord] = m_buckets[first / 8];
        ext.u32(offset).u16(inRecord).u16(0);
    }
    writeRecord(EXTSST, ext.data());
    writeRecord(EOF_, {});
}

// The records before the columns, in the order Excel writes them: readers that take the page
// settings from their block (LibreOffice) find the footer there only.
void XlsWriter::writePageSettings() {
    writeRecord(PRINTHEADERS, Bytes().u16(0).data());
    writeRecord(PRINTGRIDLINES, Bytes().u16(0).data());
    writeRecord(GRIDSET, Bytes().u16(1).data());
    writeRecord(GUTS, Bytes().u16(0).u16(0).u16(0).u16(0).data());
    writeRecord(DEFAULTROWHEIGHT, Bytes().u16(0).u16(0x00FF).data());
    writeRecord(WSBOOL, Bytes().u16(0x04C1).data());
    writeRecord(HEADER, {});
    writeRecord(FOOTER, Bytes().text(Footer, false).data());
    writeRecord(HCENTER, Bytes().u16(0).data());
    writeRecord(VCENTER, Bytes().u16(0).data());
}

// Widens a column for a money amount or a date with its time, so that no cell shows "####".
void XlsWriter::widen(Sheet& sheet, int column, const Cell& cell) {
    if (column >= sheet.columns.size())
        return;
    int needed = 0;
    if (cell.kind == Cell::Kind::Money) {
        // "#,##0.00": the integer digits with their group marks, the decimals, the sign
        const double whole = std::floor(std::abs(cell.number));
        const int digits = whole < 10 ? 1 : int(std::floor(std::log10(whole))) + 1;
        needed = digits + (digits - 1) / 3 + 3 + (cell.number < 0 ? 1 : 0) + 2;
    } else if (cell.kind == Cell::Kind::DateTime) {
        needed = 19 + 2;
    }
    int& width = sheet.columns[column].width;
    width = std::max(width, needed);
}

void XlsWriter::writeSheet(Sheet& sheet) {
    sheet.closeBlock();
    writeRecord(BOF, Bytes().u16(0x0600).u16(0x0010).u16(0x0DBB).u16(0x07CC).u32(0).u32(6).data());
    writePageSettings();
    for (int c = 0; c < sheet.columns.size(); ++c) {
        const int width = std::clamp(sheet.columns[c].width, 4, 100) * 256;
        writeRecord(COLINFO, Bytes()
                                 .u16(quint16(c))
                                 .u16(quint16(c))
                                 .u16(quint16(width))
                                 .u16(XfPlain)
                                 .u16(0)
                                 .u16(0)
                                 .data());
    }
    writeRecord(DIMENSIONS, Bytes()
                                .u32(0)
                                .u32(quint32(sheet.rows))
                                .u16(0)
                                .u16(quint16(sheet.columns.size()))
                                .u16(0)
                                .data());
    if (m_out.size() + sheet.body.size() >= FlushAt)
        flushStream();
    m_out += sheet.body;
    sheet.body = QByteArray();
    const bool firstSheet = &sheet == m_sheets.front().get();
    writeRecord(WINDOW2, Bytes()
                             .u16(firstSheet ? 0x06B6 : 0x00B6)
                             .u16(0)
                             .u16(0)
                             .u32(64)
                             .u16(0)
                             .u16(0)
                             .u32(0)
                             .data());
    writeRecord(EOF_, {});
}

void XlsWriter::commit() {
    if (!m_started)
        startGlobals();
    finishShared();
    QList<qint64> starts;
    for (auto& sheet : m_sheets) {
        starts.append(m_container->streamSize() + m_out.size());
        writeSheet(*sheet);
    }
    flushStream();
    try {
        m_container->patch(m_sharedStart + 4, Bytes().u32(m_total).u32(m_unique).data());
        for (int i = 0; i < starts.size(); ++i)
            m_container->patch(m_sheetOffsets[i], Bytes().u32(quint32(starts[i])).data());
        m_container->finish();
    } catch (const FileWriteError& e) {
        throw FileWriteError(failure(e.text()));
    }
    if (!m_file.commit())
        throw FileWriteError(failure(m_file.errorString()));
}
