#pragma once
// Register files as they are found on real disks after something went wrong: for the checks
// that must refuse them and the readers that must see their committed state.
#include <QString>
#include <QStringList>
#include <functional>

class QSqlDatabase;

namespace DamagedRegister {

// Gives work a plain connection of its own to the file: no opening by the program, so nothing
// is added to the register and a file a restore moved away is never touched.
void onItsOwn(const QString& path, const std::function<void(QSqlDatabase&)>& work);

// Runs statements on a plain connection of its own (no opening by the program).
void run(const QString& path, const QStringList& statements);

// The list index Compact_List keeps the old contract names while the table holds new ones
// (each name gets the prefix 改过): the table and its index disagree, pages intact.
void indexDisagrees(const QString& path);
// The file loses its last bytes: its size is no whole number of pages.
void cutShort(const QString& path, int bytes);
// A contract with text HT-T01 added, then the last block of the contract-text index
// overwritten with zeros.
void textIndexDamaged(const QString& path);

// picked as a program left it when it stopped in the middle of a write: committed, the
// source's contracts and 200 more (X000..X199); then a change of every contract number to
// "坏-..." partly written to the file, the rollback journal beside it (picked + "-journal").
void withInterruptedWrite(const QString& source, const QString& picked);
// picked in write-ahead-log mode with the contract added last (number added) only in its log
// (picked + "-wal").
void withLog(const QString& source, const QString& picked, const QString& added);

} // namespace DamagedRegister
