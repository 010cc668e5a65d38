#include "nextcompactno.h"

namespace {
bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

std::optional<QString> NextCompactNo(const QString& last) {
    if (last.isEmpty())
        return QString();
    if (!isAsciiDigit(last.back()))
        return last + u'1';
    qsizetype start = last.size();
    while (start > 0 && isAsciiDigit(last.at(start - 1)))
        --start;
    const QString run = last.mid(start);
    // The run is read as a 32-bit signed number; one that cannot be incremented stops here.
    qint64 n = 0;
    for (QChar c : run) {
        n = n * 10 + (c.unicode() - u'0');
        if (n > 2147483646)
            return std::nullopt;
    }
    return last.left(start) + QString::number(n + 1).rightJustified(run.size(), u'0');
}
