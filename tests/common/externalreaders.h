#pragma once
// Readers that are not the program's own, for checking the files it writes: xlrd for .xls
// workbooks and pdftotext for printed records.
#include <QJsonObject>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

namespace ExternalReaders {

// The workbook as xlsdump.py prints it; rows: how many rows of each sheet to list (-1: all).
// Fails the running test (and returns an empty object) when the reader refuses the file.
QJsonObject readXls(const QString& path, int rows = -1);

// The workbook as LibreOffice Calc reads it, saved as a flat OpenDocument spreadsheet (.fods).
QString calcFlatXml(const QString& path);
// The pages LibreOffice Calc prints of the workbook, as pdfPages reads them.
QStringList calcPrintedPages(const QString& path);

// The text of each page of a PDF file, in reading order with its layout kept.
QStringList pdfPages(const QString& path);

// A word of a PDF page as pdftotext finds it, with its box in millimetres from the page's top
// left corner.
struct PdfWord {
    int page; // from 0
    QString text;
    QRectF box;
};
QList<PdfWord> pdfWords(const QString& path);

} // namespace ExternalReaders
