#pragma once
// A private copy of a register file as SQLite sees it: with the rollback journal or the
// write-ahead log found beside it, so that a write that never finished is undone and the
// committed changes still in the log are in. Never the bare file alone.
#include "platform/durablefile.h"

#include <QString>
#include <QStringList>

namespace SettledCopy {

// The side files SQLite keeps beside a database file: "-journal", "-wal", "-shm".
QStringList sideSuffixes();
// Those of path's side files that exist.
QStringList sideFilesOf(const QString& path);
// Removes path's side files; false when one stays.
bool removeSideFiles(const QString& path);

// Copies source and its side files to target (refused when target exists) and opens the copy
// through SQLite, leaving at target one file in rollback-journal mode, not yet flushed, and no
// side file. Throws DurableFile::FileError when a file cannot be copied; returns why when
// SQLite cannot bring the copy to its committed state (empty when it did). On either failure
// nothing is left at target.
QString make(const QString& source, const QString& target,
             const DurableFile::Progress& progress = {});

} // namespace SettledCopy
