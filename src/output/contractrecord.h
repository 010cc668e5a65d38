#pragma once
// The printed record of one contract ("档案"): a title with the contract's number, partner,
// amount and date; for payable and receivable contracts the table of instalments with totals;
// the contract's name and text; a box for handwritten remarks and the print date. The three
// records are one layout driven by the description of their differences.
#include "components/report.h"

#include <QString>

class Dataset;
class QPagedPaintDevice;
class TDMod;

struct RecordLayout {
    QString title;
    QString partnerLabel;
    double titleHeight;
    double rightBlock;     // left edge of the right block of the title
    double rightValues;    // left edge of its values
    bool amountInYuan;     // the title's amount as "￥###,##0.00", else as the field shows it
    Dataset* TDMod::*rows; // the instalments; none: no table and no totals
    QString due, settled;  // column prefixes: "应付" and "实付", or "应收" and "实收"
    bool debtInArial;      // the value of "欠款："
    bool linked;           // totals kept with the rows, the contract text with the totals
    Report::Sides headerFrame;
    double textHeight, textWidth;
    double remarksHeight, remarksPoints;

    static const RecordLayout& payable();
    static const RecordLayout& receivable();
    static const RecordLayout& other();
};

class ContractRecord {
public:
    ContractRecord(const RecordLayout& layout, TDMod& dm);

    // Gives the device A4 landscape with 10 mm margins.
    void setUp(QPagedPaintDevice& device) const { m_report.setUp(device); }
    // Prints the current contract of the data module; returns the pages printed.
    int print(QPagedPaintDevice& device);

    // The layout's hooks.
    void TitleBand1AfterPrint();
    void ChildBand2BeforePrint();
    void ColumnHeaderBand1BeforePrint();
    void ColumnHeaderBand1AfterPrint();
    void DetailBand1BeforePrint();
    void DetailBand1AfterPrint();

private:
    void buildTitle();
    void buildTable();
    Report::Band* buildText(Report::Band* parent);
    void buildRemarks(Report::Band* parent);
    void addColumnTitles(Report::Band* band);
    void addRules(Report::Band* band);
    QString contract(const QString& field) const;
    QString row(const QString& field) const;
    bool rowIsZero(const QString& field) const;

    const RecordLayout& m_layout;
    TDMod& m_dm;
    Dataset* m_rows;
    Report::Document m_report;

    Report::Band* TitleBand1 = nullptr;
    Report::Band* ChildBand2 = nullptr;
    Report::Band* ColumnHeaderBand1 = nullptr;
    Report::Band* DetailBand1 = nullptr;
    Report::Band* QRBand1 = nullptr;
    Report::Band* ChildBand3 = nullptr;
    Report::Band* ChildBand1 = nullptr;
    Report::Text* m_dueCell = nullptr;
    Report::Text* m_settledCell = nullptr;
    Report::Text* m_invoicedCell = nullptr;
};
