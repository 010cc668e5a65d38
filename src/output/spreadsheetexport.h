#pragma once
// The three spreadsheet exports: which dataset and which of its fields go to which worksheet of
// which file, and the command that writes the file and opens it.
#include <QString>
#include <QStringList>
#include <vector>

class Database;
class Dataset;
class TDMod;
struct MoneySide;

namespace SpreadsheetExport {

struct Sheet {
    QString title;
    Dataset* source = nullptr;
    bool allFields = true; // false: the fields the dataset does not hide
    // The key field by which texts that the dataset reads one row at a time are read for all
    // rows at once from its table; empty when it has none.
    QString textKey;
    // Number fields written in the money format.
    QStringList money = {};
};

// A worksheet of figures the program works out rather than reads from a dataset, after the
// dataset sheets: captions, widths in characters, and rows of values; `money` marks the columns
// whose numbers are written in the money format.
struct Table {
    QString title;
    QStringList captions;
    std::vector<int> widths;
    std::vector<QVariantList> rows;
    std::vector<bool> money;
};

struct Definition {
    QString file; // the fixed Windows path
    std::vector<Sheet> sheets;
    Database* database = nullptr; // where bulk reads of texts go
    std::vector<Table> tables = {};
};

// "C:\合同表.xls": the contract list as the main window shows it.
Definition contractList(TDMod& dm);
// A money side's file: its list by date ("按时间"), by partner (the partner page's caption)
// and the ageing per partner ("账龄分析") with its totals, as the lists were last read.
Definition money(TDMod& dm, const MoneySide& side);
// "C:\应付款表.xls": payables by date ("按时间"), by supplier ("按供应商"), ageing.
Definition payables(TDMod& dm);
// "C:\应收款表.xls": receivables by date ("按时间"), by customer ("按客户"), ageing.
Definition receivables(TDMod& dm);

// Rows of one worksheet beyond the caption row; a longer list continues on further worksheets
// named "<title> (2)", "<title> (3)", ..., each with its own caption row.
int rowsPerSheet();

// Writes the workbook to a path, every dataset left on its record; throws FileWriteError.
// Returns the numbers of the contracts whose texts were longer than a cell holds and were cut.
QStringList write(const Definition& definition, const QString& path);

// The command: writes the definition's file and opens it with its program. A failure shows the
// general error display and opens nothing. True when the file was written.
bool run(const Definition& definition);

// What the toolbar buttons "导出到Excel" run.
bool exportContracts(TDMod& dm);
bool exportPayables(TDMod& dm);
bool exportReceivables(TDMod& dm);

} // namespace SpreadsheetExport
