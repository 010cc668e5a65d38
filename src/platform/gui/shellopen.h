#pragma once
// The shell's "open" action on a file path or an address.
#include <QStringList>
#include <QUrl>
#include <functional>

namespace Shell {

using Opener = std::function<bool(const QString&)>;

// Opens a file with its associated program, or an address in the browser; false on failure.
bool open(const QString& pathOrUrl);

// What open() hands to the desktop: http(s) and other addresses with a scheme as they are,
// anything else as a local file (relative paths against the working directory).
QUrl urlFor(const QString& pathOrUrl);

// Replaces the desktop for tests; an empty opener restores it.
void setOpener(Opener opener);
Opener opener();

// Records what would have been opened, for its lifetime.
class RecordingOpener {
public:
    RecordingOpener();
    ~RecordingOpener();
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

    QStringList opened;
    bool succeed = true; // what open() reports

private:
    Opener m_previous;
};

} // namespace Shell
