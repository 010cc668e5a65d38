#include "profilefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <limits>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");

QString nativeEol() {
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

// The file as raw lines (each keeps a trailing '\r' if it had one), so that writing one key
// leaves every other byte alone.
struct Lines {
    QStringList lines;
    bool bom = false;
    bool finalNewline = false;
    QString eol = QStringLiteral("\n");

    bool load(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QByteArray data = file.readAll();
        if (data.startsWith(utf8Bom)) {
            bom = true;
            data.remove(0, utf8Bom.size());
        }
        if (data.isEmpty())
            return true;
        const QString text = QString::fromUtf8(data);
        if (text.contains(QLatin1String("\r\n")))
            eol = QStringLiteral("\r\n");
        lines = text.split(QLatin1Char('\n'));
        finalNewline = lines.last().isEmpty();
        if (finalNewline)
            lines.removeLast();
        return true;
    }

    QByteArray bytes() const {
        QString text = lines.join(QLatin1Char('\n'));
        if (finalNewline)
            text += QLatin1Char('\n');
        return (bom ? utf8Bom : QByteArray()) + text.toUtf8();
    }

    // Before a line goes after the last one: that line needs its line end now.
    void endLastLine() {
        if (!finalNewline && !lines.isEmpty())
            lines.last() = newLine(lines.last());
        finalNewline = true;
    }

    QString newLine(const QString& text) const {
        return eol == QLatin1String("\r\n") ? text + QLatin1Char('\r') : text;
    }
};

QString content(const QString& rawLine) {
    QString line = rawLine;
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line.trimmed();
}

// The section name of a header line, or a null string.
QString sectionName(const QString& line) {
    if (!line.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    return (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed();
}

bool isComment(const QString& line) {
    return line.startsWith(QLatin1Char(';'));
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Location {
    qsizetype section = -1;   // header line, -1 when the section is missing
    qsizetype key = -1;       // the key's line, -1 when missing
    qsizetype lastEntry = -1; // last non-blank line of the section
};

Location locate(const QStringList& lines, const QString& section, const QString& key) {
    Location at;
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = content(lines.at(i));
        if (const QString name = sectionName(line); !name.isNull()) {
            if (inside)
                break; // the first section of that name is the one that counts
            if (sameName(name, section.trimmed())) {
                inside = true;
                at.section = at.lastEntry = i;
            }
            continue;
        }
        if (!inside || line.isEmpty())
            continue;
        at.lastEntry = i;
        if (at.key >= 0 || isComment(line))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && sameName(line.left(eq).trimmed(), key.trimmed()))
            at.key = i;
    }
    return at;
}

QString unquoted(QString value) {
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

std::optional<int> ProfileFile::parseInteger(const QString& text) {
    QString value = text.trimmed();
    bool negative = false;
    if (value.startsWith(QLatin1Char('-')) || value.startsWith(QLatin1Char('+'))) {
        negative = value.front() == QLatin1Char('-');
        value.remove(0, 1);
    }
    int base = 10;
    if (value.startsWith(QLatin1Char('$'))) {
        value.remove(0, 1);
        base = 16;
    } else if (value.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        value.remove(0, 2);
        base = 16;
    }
    // toLongLong alone would accept signs and blanks inside the digits
    for (const QChar c : value) {
        if (!(c.isDigit() || (base == 16 && QStringLiteral("abcdefABCDEF").contains(c))) ||
            c.unicode() > 0x7f)
            return std::nullopt;
    }
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    if (base == 16) {
        // hex names the 32 bits, so $FFFFFFFF is -1
        if (n > 0xFFFFFFFFLL)
            return std::nullopt;
        const quint32 bits = static_cast<quint32>(n);
        return static_cast<int>(negative ? 0u - bits : bits);
    }
    const qlonglong signedValue = negative ? -n : n;
    if (signedValue < std::numeric_limits<int>::min() ||
        signedValue > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(signedValue);
}

int ProfileFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    const QString value = readString(section, key, QString());
    return parseInteger(value).value_or(defaultValue);
}

void ProfileFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    Lines file;
    if (!file.load(m_path))
        return defaultValue;
    const Location at = locate(file.lines, section, key);
    if (at.key < 0)
        return defaultValue;
    const QString line = content(file.lines.at(at.key));
    return unquoted(line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed());
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    Lines file;
    const auto failure = [this] {
        return ProfileWriteError(
            QStringLiteral("无法写入设置文件%1。")
                .arg(QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath())));
    };
    if (!file.load(m_path)) {
        // an existing file we cannot read must not be replaced by our one line
        if (QFileInfo::exists(m_path))
            throw failure();
        file.eol = nativeEol();
    }
    const Location at = locate(file.lines, section, key);
    if (at.key >= 0) {
        // keep the key as spelled in the file and any indentation before it
        const QString& raw = file.lines.at(at.key);
        QString line = raw.left(raw.indexOf(QLatin1Char('='))) + QLatin1Char('=') + value;
        if (raw.endsWith(QLatin1Char('\r')))
            line += QLatin1Char('\r');
        file.lines[at.key] = line;
    } else {
        const QString entry = file.newLine(key.trimmed() + QLatin1Char('=') + value);
        if (at.section >= 0) {
            if (at.lastEntry + 1 == file.lines.size())
                file.endLastLine();
            file.lines.insert(at.lastEntry + 1, entry);
        } else {
            file.endLastLine();
            if (!file.lines.isEmpty() && !content(file.lines.last()).isEmpty())
                file.lines.append(file.newLine(QString()));
            file.lines.append(
                file.newLine(QLatin1Char('[') + section.trimmed() + QLatin1Char(']')));
            file.lines.append(entry);
        }
    }

    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes()) < 0 || !out.commit())
        throw failure();
}
