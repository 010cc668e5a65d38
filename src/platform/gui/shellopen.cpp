#include "shellopen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
Shell::Opener g_opener;
}

namespace Shell {

QUrl urlFor(const QString& pathOrUrl) {
    // a scheme of two letters or more, so "C:\x" stays a path
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(pathOrUrl).hasMatch())
        return QUrl(pathOrUrl);
    return QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath());
}

bool open(const QString& pathOrUrl) {
    if (g_opener)
        return g_opener(pathOrUrl);
    return QDesktopServices::openUrl(urlFor(pathOrUrl));
}

void setOpener(Opener opener) {
    g_opener = std::move(opener);
}

Opener opener() {
    return g_opener;
}

RecordingOpener::RecordingOpener() : m_previous(g_opener) {
    g_opener = [this](const QString& path) {
        opened.append(path);
        return succeed;
    };
}

RecordingOpener::~RecordingOpener() {
    g_opener = m_previous;
}

} // namespace Shell
