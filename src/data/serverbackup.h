#pragma once
// The backup of a register on a PostgreSQL server: a pg_dump archive (custom format) of the
// register's schema, one consistent snapshot of what is committed, checked by reading its
// table of contents back with pg_restore. RegisterBackup writes it under its part name and
// renames it as it does a file's copy.
#include "platform/durablefile.h"

#include <QString>

class Database;

namespace ServerBackup {

// Writes the archive of db's register to copy; throws DurableFile::FileError naming target.
void write(Database& db, const QString& copy, const QString& target,
           const DurableFile::Progress& progress);
// Checks that the archive at copy lists every table and view of a register and the rows of
// every table; throws DurableFile::FileError naming target when it does not.
void check(const QString& copy, const QString& target, const DurableFile::Progress& progress);

} // namespace ServerBackup
