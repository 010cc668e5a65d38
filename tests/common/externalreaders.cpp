#include "externalreaders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace ExternalReaders {

namespace {

// Debian's interpreter, where python3-xlrd is installed, before any other on the PATH.
QString python() {
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStringLiteral("python3");
}

// The reading script, kept here so that it travels with the test programs.
const char XlsDump[] = R"py(#!/usr/bin/env python3
"""Prints an .xls workbook as JSON, read with xlrd (a reader that is not the program's own).

usage: xlsdump.py FILE [ROWS]   (ROWS: how many rows of each sheet to list; all when absent)
Each cell is [kind, value, format, bold, look]: kind "text", "number", "date" or "empty"; dates
as YYYY-MM-DD (with " HH:MM:SS" when they carry a time), null for serials xlrd will not convert
(before 1900-03-01); look: {"wrapTop": wrapped and top-aligned, "serial": a date's number}.
Each sheet also gives its footer, read from the FOOTER record of its substream, and its column
widths in characters.
"""
import json
import struct
import sys

import xlrd
from xlrd import compdoc


def footers(path):
    data = open(path, "rb").read()
    stream = compdoc.CompDoc(data).get_named_stream("Workbook")
    found, pos = [], 0
    while pos + 4 <= len(stream):
        rtype, length = struct.unpack_from("<HH", stream, pos)
        body = stream[pos + 4: pos + 4 + length]
        if rtype == 0x0015:
            if length == 0:
                found.append("")
            else:
                count, flags = struct.unpack_from("<HB", body, 0)
                raw = body[3:]
                found.append(raw[: 2 * count].decode("utf-16-le") if flags & 1
                             else raw[:count].decode("latin-1"))
        pos += 4 + length
    return found


def cell_json(book, sheet, r, c):
    cell = sheet.cell(r, c)
    xf = book.xf_list[cell.xf_index]
    fmt = book.format_map[xf.format_key].format_str
    bold = bool(book.font_list[xf.font_index].bold)
    look = {"wrapTop": bool(xf.alignment.text_wrapped) and xf.alignment.vert_align == 0}
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return ["text", cell.value, fmt, bold, look]
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return ["number", cell.value, fmt, bold, look]
    if cell.ctype == xlrd.XL_CELL_DATE:
        look["serial"] = cell.value
        try:
            t = xlrd.xldate_as_tuple(cell.value, book.datemode)
        except xlrd.xldate.XLDateError:
            return ["date", None, fmt, bold, look]
        text = "%04d-%02d-%02d" % t[:3]
        if t[3:] != (0, 0, 0):
            text += " %02d:%02d:%02d" % t[3:]
        return ["date", text, fmt, bold, look]
    return ["empty", None, fmt, bold, look]


def main():
    path = sys.argv[1]
    limit = int(sys.argv[2]) if len(sys.argv) > 2 else None
    book = xlrd.open_workbook(path, formatting_info=True)
    feet = footers(path)
    sheets = []
    for i, sheet in enumerate(book.sheets()):
        count = sheet.nrows if limit is None else min(limit, sheet.nrows)
        rows = [[cell_json(book, sheet, r, c) for c in range(sheet.ncols)] for r in range(count)]
        last = ([cell_json(book, sheet, sheet.nrows - 1, c) for c in range(sheet.ncols)]
                if sheet.nrows else [])
        widths = [sheet.colinfo_map[c].width / 256 if c in sheet.colinfo_map else None
                  for c in range(sheet.ncols)]
        sheets.append({"name": sheet.name, "nrows": sheet.nrows, "ncols": sheet.ncols,
                       "rows": rows, "last": last, "footer": feet[i] if i < len(feet) else None,
                       "widths": widths})
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)


main()
)py";

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        QTest::qFail(qPrintable(program + QStringLiteral(" failed: ") +
                                QString::fromUtf8(p.readAllStandardError())),
                     __FILE__, __LINE__);
        return {};
    }
    return p.readAllStandardOutput();
}

} // namespace

QJsonObject readXls(const QString& path, int rows) {
    static QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("xlsdump.py"));
    if (!QFileInfo::exists(script)) {
        QFile f(script);
        if (!f.open(QIODevice::WriteOnly) || f.write(XlsDump) < 0)
            return {};
    }
    QStringList args{script, path};
    if (rows >= 0)
        args << QString::number(rows);
    return QJsonDocument::fromJson(run(python(), args)).object();
}

namespace {

// The file as LibreOffice Calc reads it, saved in another format; empty when it wrote nothing.
QByteArray calcConverted(const QString& path, const QString& format) {
    static QTemporaryDir profile; // a profile of its own: no clash with a running office
    QTemporaryDir out;
    run(QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
         QStringLiteral("--headless"), QStringLiteral("--norestore"),
         QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), out.path(), path});
    QFile f(
        QDir(out.path()).filePath(QFileInfo(path).completeBaseName() + QLatin1Char('.') + format));
    if (!f.open(QIODevice::ReadOnly)) {
        QTest::qFail("LibreOffice wrote nothing", __FILE__, __LINE__);
        return {};
    }
    return f.readAll();
}

} // namespace

QString calcFlatXml(const QString& path) {
    return QString::fromUtf8(calcConverted(path, QStringLiteral("fods")));
}

QStringList calcPrintedPages(const QString& path) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    QFile f(pdf);
    if (!f.open(QIODevice::WriteOnly) || f.write(calcConverted(path, QStringLiteral("pdf"))) <= 0)
        return {};
    f.close();
    return pdfPages(pdf);
}

QStringList pdfPages(const QString& path) {
    const QString text = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")}));
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QList<PdfWord> pdfWords(const QString& path) {
    const QString html = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")}));
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    constexpr double mmPerPoint = 25.4 / 72;
    QList<PdfWord> words;
    int page = -1;
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(5).isNull() && m.captured(1).isNull()) {
            ++page;
            continue;
        }
        QString text = m.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const QPointF from(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF to(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append({page, text, QRectF(from * mmPerPoint, to * mmPerPoint)});
    }
    return words;
}

} // namespace ExternalReaders
