#include "externalreaders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
Each cell is [kind, value, format, bold]: kind "text", "number", "date" or "empty"; dates as
YYYY-MM-DD (with " HH:MM:SS" when they carry a time). Each sheet also gives its footer, read
from the FOOTER record of its substream.
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
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return ["text", cell.value, fmt, bold]
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return ["number", cell.value, fmt, bold]
    if cell.ctype == xlrd.XL_CELL_DATE:
        t = xlrd.xldate_as_tuple(cell.value, book.datemode)
        text = "%04d-%02d-%02d" % t[:3]
        if t[3:] != (0, 0, 0):
            text += " %02d:%02d:%02d" % t[3:]
        return ["date", text, fmt, bold]
    return ["empty", None, fmt, bold]


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
        sheets.append({"name": sheet.name, "nrows": sheet.nrows, "ncols": sheet.ncols,
                       "rows": rows, "last": last, "footer": feet[i] if i < len(feet) else None})
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

QStringList pdfPages(const QString& path) {
    const QString text = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")}));
    // Fonts that draw a radical and its ideograph with one glyph may name the radical in the
    // file; the reader is asked about the ideograph.
    // Their compatibility form is the traditional one where the simplified one differs.
    static const QHash<QString, QString> simplified{
        {QStringLiteral("戶"), QStringLiteral("户")}, {QStringLiteral("見"), QStringLiteral("见")},
        {QStringLiteral("門"), QStringLiteral("门")}, {QStringLiteral("長"), QStringLiteral("长")},
        {QStringLiteral("車"), QStringLiteral("车")}, {QStringLiteral("貝"), QStringLiteral("贝")},
        {QStringLiteral("頁"), QStringLiteral("页")}, {QStringLiteral("風"), QStringLiteral("风")},
        {QStringLiteral("飛"), QStringLiteral("飞")}, {QStringLiteral("馬"), QStringLiteral("马")},
        {QStringLiteral("魚"), QStringLiteral("鱼")}, {QStringLiteral("鳥"), QStringLiteral("鸟")},
        {QStringLiteral("麥"), QStringLiteral("麦")}, {QStringLiteral("黃"), QStringLiteral("黄")},
        {QStringLiteral("齊"), QStringLiteral("齐")}, {QStringLiteral("齒"), QStringLiteral("齿")},
        {QStringLiteral("龍"), QStringLiteral("龙")}, {QStringLiteral("龜"), QStringLiteral("龟")},
        {QStringLiteral("韋"), QStringLiteral("韦")}};
    QString plain;
    plain.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if ((u >= 0x2E80 && u <= 0x2EFF) || (u >= 0x2F00 && u <= 0x2FDF)) {
            const QString ideograph = QString(ch).normalized(QString::NormalizationForm_KC);
            plain += simplified.value(ideograph, ideograph);
        } else {
            plain += ch;
        }
    }
    QStringList pages = plain.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace ExternalReaders
