#pragma once
// Readers that are not the program's own, for checking the files it writes: xlrd for .xls
// workbooks and pdftotext for printed records.
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace ExternalReaders {

// The workbook as xlsdump.py prints it; rows: how many rows of each sheet to list (-1: all).
// Fails the running test (and returns an empty object) when the reader refuses the file.
QJsonObject readXls(const QString& path, int rows = -1);

// The text of each page of a PDF file, in reading order with its layout kept.
QStringList pdfPages(const QString& path);

} // namespace ExternalReaders
