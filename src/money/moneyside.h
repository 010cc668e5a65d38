#pragma once
// What tells the payables window from the receivables window: datasets, column names, captions,
// colours. One window class shows either, driven by one of these.
#include <QColor>
#include <QSize>
#include <QString>

class Dataset;
class TDMod;

struct MoneySide {
    QString objectName;
    QString caption;
    QSize clientSize;
    Dataset* TDMod::*detail;  // one row per instalment
    Dataset* TDMod::*summary; // one row per partner
    // Detail columns; the amounts have the same names in the summary.
    QString dueDate;
    QString dueAmount;
    QString settledAmount;
    QString partner;
    int dueDateWidth;
    // Summary columns.
    QString partnerNumber;
    QString partnerName;
    // The show-all check box.
    QString checkName;
    QString checkCaption;
    // Pages: by date, by partner, chart.
    QString pageNames[3];
    QString partnerPageCaption;
    QString emptyMessage;
    // Chart.
    QString chartTitle;
    QString seriesTitles[2];
    QColor seriesColours[2];
    bool silverBackground;
    // "导出到Excel": writes both lists to the side's spreadsheet file.
    bool (*exportLists)(TDMod&);

    static const MoneySide& payables();
    static const MoneySide& receivables();
};
