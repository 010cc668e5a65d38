#pragma once
// A copy of the open register, taken from the program's own connection while it holds a read
// transaction (the file's bytes, or SQLite's online backup when a write-ahead log holds part
// of the register): pending rows are neither saved nor dropped, and the copy is one committed
// state whatever the program or another one does meanwhile. On a server, a pg_dump archive of
// the register (ServerBackup), under the same name and checked before it is renamed.
#include "platform/durablefile.h"

#include <QString>
#include <functional>

class Database;

namespace RegisterBackup {

enum class Result { Done, TargetExists };

// Writes the copy to a temporary file beside target, checks it (RegisterCheck), flushes it
// and renames it to target, replacing an existing target only when overwrite is set. Throws
// DurableFile::FileError naming target on failure, leaving nothing behind.
Result run(Database& db, const QString& target, bool overwrite,
           const DurableFile::Progress& progress = {});

// Removes what backups stopped half-way left in folder: part copies no backup holds now.
void removeLeftovers(const QString& folder);

// For tests: runs on the temporary copy before it is checked.
std::function<void(const QString& copy)>& beforeCheck();

} // namespace RegisterBackup
