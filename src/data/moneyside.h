#pragma once
// What tells the payables side from the receivables side wherever the program reads or shows
// them: datasets, views and column names, the money window's captions and colours, the
// reminder list and the spreadsheet file. Code that serves both sides is driven by one of
// these and never asks which side it stands on.
#include <QSize>
#include <QString>
#include <array>

class Dataset;
class TDMod;

struct MoneySide {
    // Data.
    Dataset* TDMod::*detail;    // one row per instalment
    Dataset* TDMod::*summary;   // one row per partner
    Dataset* TDMod::*reminders; // the instalments falling due
    QString detailView;
    QString summaryView;
    // Detail columns; the amounts have the same names in the summary.
    QString dueDate;
    QString dueAmount;
    QString settledAmount;
    QString partner;
    // Summary columns.
    QString partnerNumber;
    QString partnerName;

    // The money window.
    QString objectName;
    QString caption;
    QSize clientSize;
    int dueDateWidth;
    // The show-all check box.
    QString checkName;
    QString checkCaption;
    // Pages: by date, by partner, chart, ageing. The partner page's caption also titles the
    // second worksheet of the export.
    QString pageNames[4];
    QString partnerPageCaption;
    QString emptyMessage;
    // Chart; colours as 0xRRGGBB.
    QString chartTitle;
    QString seriesTitles[2];
    unsigned seriesColours[2];
    bool silverBackground;

    // The reminders window's list.
    QString reminderGrid;
    QString reminderCaption;

    // "导出到Excel": the fixed Windows path of the side's spreadsheet file.
    QString exportFile;

    static const MoneySide& payables();
    static const MoneySide& receivables();
    // Both, in the order the reminders window lists them.
    static std::array<const MoneySide*, 2> both();
    // The side whose detail, summary or reminder dataset `dataset` is.
    static const MoneySide& of(const TDMod& dm, const Dataset* dataset);
};
