#include "spreadsheetexport.h"

#include "components/xlswriter.h"
#include "data/ageing.h"
#include "data/moneyside.h"
#include "data/sqldialect.h"
#include "data/tdmod.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/gui/shellopen.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>

namespace SpreadsheetExport {

namespace {

using Cell = XlsWriter::Cell;

int columnWidth(const Field& f) {
    switch (f.type()) {
    case FieldType::Memo:
        return 40;
    case FieldType::String:
        return std::clamp(f.size(), 8, 30);
    case FieldType::Currency:
        return 14;
    case FieldType::DateTime:
        return 12;
    default:
        return std::max(8, int(f.title().size()) * 2 + 2);
    }
}

// Texts a dataset reads one row at a time are read here in one pass over their table, keyed by
// the table's key, so a large list is not read row by row.
class DemandTexts {
public:
    DemandTexts(const Sheet& sheet, Database* db, const std::vector<Field*>& fields,
                XlsWriter& out) {
        const Dataset& ds = *sheet.source;
        const QString table = ds.tableName();
        const Field* key = sheet.textKey.isEmpty() || table.isEmpty() || !db
                               ? nullptr
                               : ds.findField(sheet.textKey);
        const bool any = std::any_of(fields.begin(), fields.end(), [](const Field* f) {
            return f->kind() == Field::Kind::OnDemand;
        });
        if (!key || !any || !worthIt(*db, ds, table))
            return;
        m_key = key;
        // only the rows shown: the texts of other contracts stay out of the file
        QSet<qint64> shown;
        shown.reserve(ds.recordCount());
        for (int pos = 0; pos < ds.recordCount(); ++pos)
            shown.insert(ds.valueAt(pos, key).toLongLong());
        for (const Field* f : fields) {
            if (f->kind() != Field::Kind::OnDemand)
                continue;
            QSqlQuery q(db->connection());
            q.setForwardOnly(true);
            // as bytes: the store's UTF-8 reaches us without a conversion on its side
            const QSqlDatabase& c = db->connection();
            if (!q.exec(QStringLiteral("SELECT %1, %2 FROM %3")
                            .arg(SqlDialect::name(c, key->name()),
                                 SqlDialect::utf8Bytes(c, SqlDialect::name(c, f->name())),
                                 SqlDialect::name(c, table))))
                continue;
            QHash<qint64, Cell>& cells = m_cells[f];
            cells.reserve(shown.size());
            while (q.next()) {
                const qint64 k = q.value(0).toLongLong();
                if (shown.contains(k))
                    cells.insert(k, out.text(QString::fromUtf8(q.value(1).toByteArray())));
            }
        }
    }

    // False when the field's text must be read from the dataset.
    // The texts read for a field; none when it is read from the dataset.
    const QHash<qint64, Cell>* texts(const Field* f) const {
        auto it = m_cells.constFind(f);
        return it == m_cells.constEnd() ? nullptr : &it.value();
    }

    // The cell of a row from the texts read; false when the dataset must give it.
    bool find(const Dataset& ds, int position, const QHash<qint64, Cell>& texts, Cell& cell) const {
        if (ds.isEditing() && position == ds.recNo() - 1)
            return false; // the pending text is not stored yet
        cell = texts.value(ds.valueAt(position, m_key).toLongLong());
        return true;
    }

private:
    // One pass over the table pays when the list shows a good part of it; a few rows are read
    // one by one.
    static bool worthIt(Database& db, const Dataset& ds, const QString& table) {
        QSqlQuery q(db.connection());
        if (!q.exec(QStringLiteral("SELECT count(*) FROM %1")
                        .arg(SqlDialect::name(db.connection(), table))) ||
            !q.next())
            return false;
        return qint64(ds.recordCount()) * 4 >= q.value(0).toLongLong();
    }

    const Field* m_key = nullptr;
    QHash<const Field*, QHash<qint64, Cell>> m_cells;
};

// A value in its own type, or a number in the money format.
Cell cellOf(XlsWriter& out, const QVariant& value, bool money) {
    return money && !value.isNull() ? out.money(value.toDouble()) : out.cell(value);
}

struct Part {
    int sheet;
    int firstRow; // position in the dataset
    int rows;
};

QVariantList ageingRow(const Ageing::Row& row) {
    QVariantList cells{row.number, row.name};
    for (const Currency::Sum& amount : row.amounts)
        cells << amount.toDouble();
    cells << row.total().toDouble();
    return cells;
}

// The ageing page as the window shows it, with its totals as the last row.
Table ageingTable(TDMod& dm, const MoneySide& side) {
    const Ageing ageing = Ageing::of(dm, side, Clock::today());
    Table table{QStringLiteral("账龄分析"), Ageing::captions(side), {12, 20}, {}, {false, false}};
    for (int c = 2; c < table.captions.size(); ++c) {
        table.widths.push_back(14);
        table.money.push_back(true);
    }
    for (const Ageing::Row& row : ageing.rows())
        table.rows.push_back(ageingRow(row));
    table.rows.push_back(ageingRow(ageing.totals()));
    return table;
}

void writeTable(XlsWriter& out, int sheet, const Table& table) {
    std::vector<Cell> cells(size_t(table.captions.size()));
    for (const QVariantList& row : table.rows) {
        for (size_t c = 0; c < cells.size(); ++c)
            cells[c] = table.money[c] ? out.money(row[int(c)].toDouble()) : out.cell(row[int(c)]);
        out.addRow(sheet, cells);
    }
}

} // namespace

int rowsPerSheet() {
    return XlsWriter::MaxRows - 1;
}

Definition contractList(TDMod& dm) {
    return {QStringLiteral("C:\\合同表.xls"),
            {{QStringLiteral("Sheet 1"),
              dm.TBCompacter,
              true,
              QStringLiteral("CompactID"),
              {QStringLiteral("印花税")}}},
            &dm.database()};
}

Definition money(TDMod& dm, const MoneySide& side) {
    return {side.exportFile,
            {{QStringLiteral("按时间"), dm.*side.detail, true, {}},
             {side.partnerPageCaption, dm.*side.summary, false, {}}},
            &dm.database(),
            {ageingTable(dm, side)}};
}

Definition payables(TDMod& dm) {
    return money(dm, MoneySide::payables());
}

Definition receivables(TDMod& dm) {
    return money(dm, MoneySide::receivables());
}

QStringList write(const Definition& definition, const QString& path) {
    XlsWriter out(path);
    struct Planned {
        const Sheet* sheet;
        std::vector<Field*> fields;
        std::vector<Part> parts;
    };
    std::vector<Planned> plan;
    QStringList shortened;
    for (const Sheet& s : definition.sheets) {
        Planned p{&s, s.allFields ? s.source->fields() : s.source->visibleFields(), {}};
        QList<XlsWriter::Column> columns;
        for (const Field* f : p.fields)
            columns.append({f->title(), columnWidth(*f)});
        const int rows = s.source->isActive() ? s.source->recordCount() : 0;
        // an empty list still has its worksheet with the captions
        for (int first = 0, n = 0; first < rows || n == 0; first += rowsPerSheet(), ++n) {
            const QString name =
                n == 0 ? s.title : QStringLiteral("%1 (%2)").arg(s.title).arg(n + 1);
            p.parts.push_back(
                {out.addSheet(name, columns), first, std::min(rowsPerSheet(), rows - first)});
        }
        plan.push_back(std::move(p));
    }
    std::vector<int> tableSheets;
    for (const Table& t : definition.tables) {
        QList<XlsWriter::Column> columns;
        for (qsizetype c = 0; c < t.captions.size(); ++c)
            columns.append({t.captions[c], t.widths[size_t(c)]});
        tableSheets.push_back(out.addSheet(t.title, columns));
    }
    for (const Planned& p : plan) {
        const Dataset& ds = *p.sheet->source;
        const DemandTexts texts(*p.sheet, definition.database, p.fields, out);
        std::vector<const QHash<qint64, Cell>*> read;
        for (const Field* f : p.fields)
            read.push_back(texts.texts(f));
        std::vector<bool> money;
        for (const Field* f : p.fields)
            money.push_back(p.sheet->money.contains(f->name()));
        const Field* number = ds.findField(QStringLiteral("合同编号"));
        std::vector<Cell> row(p.fields.size());
        for (const Part& part : p.parts) {
            for (int pos = part.firstRow; pos < part.firstRow + part.rows; ++pos) {
                for (size_t c = 0; c < p.fields.size(); ++c)
                    if (!read[c] || !texts.find(ds, pos, *read[c], row[c]))
                        row[c] = cellOf(out, ds.valueAt(pos, p.fields[c]), money[c]);
                if (number && std::any_of(row.begin(), row.end(),
                                          [&out](const Cell& c) { return out.isShortened(c); }))
                    shortened << ds.valueAt(pos, number).toString();
                out.addRow(part.sheet, row);
            }
        }
    }
    for (size_t t = 0; t < definition.tables.size(); ++t)
        writeTable(out, tableSheets[t], definition.tables[t]);
    out.commit();
    shortened.removeDuplicates();
    return shortened;
}

bool run(const Definition& definition) {
    const QString path = Paths::mapped(definition.file);
    QStringList shortened;
    try {
        QDir().mkpath(QFileInfo(path).absolutePath());
        shortened = write(definition, path);
    } catch (const FileWriteError& e) {
        Dialogs::showError(e.text());
        return false;
    }
    Shell::open(path);
    if (!shortened.isEmpty())
        Dialogs::message(
            QStringLiteral("提示信息"),
            QStringLiteral("Excel 的一个单元格最多容纳 %1 个字符，下列合同的文字超出了这个长度，"
                           "导出的文件中只有前 %1 个字符：\n%2")
                .arg(XlsWriter::MaxTextLength)
                .arg(shortened.join(QStringLiteral("、"))),
            Dialogs::Icon::Warning, Dialogs::Button::Ok);
    return true;
}

bool exportContracts(TDMod& dm) {
    return run(contractList(dm));
}

bool exportPayables(TDMod& dm) {
    return run(payables(dm));
}

bool exportReceivables(TDMod& dm) {
    return run(receivables(dm));
}

} // namespace SpreadsheetExport
