#pragma once
// A workbook in the Excel 97-2003 format (.xls: BIFF8 records in a compound file), written
// through QSaveFile: a failure leaves any previous file of that name whole.
//
// All worksheets are declared first; then rows are added to any of them. Texts go straight to
// the file's shared string table, so even long texts take no memory once written; the cell
// records (a few bytes each) are kept until commit() writes the worksheets.
#include "compoundfile.h"

#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QSet>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class XlsWriter {
public:
    // A worksheet holds at most this many rows, caption row included.
    static constexpr int MaxRows = 65536;
    // What one cell of Excel holds at most.
    static constexpr int MaxTextLength = 32767;

    struct Column {
        QString caption;
        int width = 12; // in characters
    };

    struct Cell {
        // Lines: a text of several lines, wrapped and top-aligned so that every line shows.
        enum class Kind : quint8 { Blank, Text, Lines, Number, Money, Date, DateTime };
        Kind kind = Kind::Blank;
        quint32 text = 0; // index into the shared strings
        double number = 0;
    };

    // Throws FileWriteError when the file cannot be opened.
    explicit XlsWriter(const QString& path);
    ~XlsWriter();
    XlsWriter(const XlsWriter&) = delete;
    XlsWriter& operator=(const XlsWriter&) = delete;

    // Before the first cell is made: a worksheet with its caption row (bold); returns its index.
    int addSheet(const QString& name, const QList<Column>& columns);

    // Cells. Texts are stored once per distinct short text; an empty text is a blank cell.
    Cell text(const QString& value);
    // A field value in its own type: text, number, money (Currency), date; null is blank. A
    // date before 1900, which the 1900 date system cannot count, is written as its text.
    Cell cell(const QVariant& value);
    // A number in the money format.
    Cell money(double value);
    // Whether a text cell holds only the first MaxTextLength characters of its text.
    bool isShortened(const Cell& cell) const {
        return !m_shortened.isEmpty() && cell.kind != Cell::Kind::Blank &&
               cell.kind <= Cell::Kind::Lines && m_shortened.contains(cell.text);
    }
    // Appends one row below the sheet's last; throws FileWriteError beyond MaxRows.
    void addRow(int sheet, const std::vector<Cell>& cells);
    int rowCount(int sheet) const;

    // Writes the worksheets and replaces the file; throws FileWriteError on failure.
    void commit();

    // The page footer of every worksheet.
    static const QString Footer; // "Page &P of &N"

    // The serial number of a date in the 1900 date system, as Excel counts it: days since
    // 1899-12-31, with the 29th of February 1900 that Excel believes in (so from 1900-03-01 on,
    // days since 1899-12-30).
    static double serialDate(const QDateTime& value);

private:
    struct Sheet;

    void startGlobals();
    void writeRecord(quint16 type, const QByteArray& data);
    void flushStream();
    void appendShared(const QString& value);
    void flushSharedRecord(bool continues);
    void finishShared();
    void appendRow(Sheet& sheet, const std::vector<Cell>& cells, quint16 textFormat);
    void writeSheet(Sheet& sheet);
    void writePageSettings();
    void widen(Sheet& sheet, int column, const Cell& cell);
    QString failure(const QString& why) const;

    QString m_path;
    QSaveFile m_file;
    std::unique_ptr<CompoundFileWriter> m_container;
    QByteArray m_out; // stream bytes not yet handed to the container
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    bool m_started = false;

    // The shared string table being written.
    QHash<QString, quint32> m_known;
    QSet<quint32> m_shortened; // strings cut to MaxTextLength
    quint32 m_total = 0;
    quint32 m_unique = 0;
    qint64 m_sharedStart = -1; // stream offset of the SST record
    QByteArray m_record;       // data of the SST or CONTINUE record being filled
    bool m_recordIsContinue = false;
    std::vector<std::pair<quint32, quint16>> m_buckets; // every 8th string: offset, in-record
    QList<qint64> m_sheetOffsets;                       // where each BOUNDSHEET's offset sits
};
