#pragma once
// A restore on a PostgreSQL server. On a connection of its own and in one transaction: the live
// register's schema is set aside under another name, the archive's script (pg_restore) is run
// into a fresh schema of the register's name, checked (ServerCheck), and only then is the
// set-aside schema dropped and the change committed, with a notice to every program listening.
// Anything that fails rolls the transaction back: the live register is exactly as it was, and
// the other operators never saw anything else.
#include <QString>
#include <functional>

namespace ServerRestore {

// What a restore sends on the channel other programs listen on (ServerSchema::ChangeChannel).
extern const QString RestoredNotice;

// Puts the register in the archive at picked in the place of the one at address (a server URL).
// Empty when done, else why the archive was refused, in the user's words; the live register is
// then unchanged. Throws DataError when the server cannot be reached at all.
QString run(const QString& address, const QString& picked, const std::function<void()>& busy);

} // namespace ServerRestore
