#pragma once
// The program's Windows-style paths as the backup and restore windows show them ("D:\",
// "D:\ZanbookBack\Hestrel20040506.mdb"), and what stands behind them on this machine.
#include <QString>
#include <QStringList>

namespace WinPath {

// Everything up to and including the last "\" or ":" ("/" counts as "\"); empty when there is
// none.
QString folderPart(const QString& path);
// The text after the folder part.
QString namePart(const QString& path);
// A folder and a name: a drive root (three characters at most, as "D:\") takes the name
// directly, any other folder with "\" between.
QString join(const QString& folder, const QString& name);

// The drives there are, as "C:", "D:", ... in order.
QStringList drives();
// The drive of a path ("D:"), or empty.
QString driveOf(const QString& path);
// The Windows-style path of a file or folder on this machine; empty when it lies on no drive.
QString fromReal(const QString& realPath);

// A name Windows accepts for a file or folder: not empty, no control character and none of
// < > : " / \ | ? *.
bool isValidName(const QString& name);
bool isFolder(const QString& folder);
// Creates one folder whose parent exists; a drive root cannot be created.
bool createFolder(const QString& folder);

} // namespace WinPath
