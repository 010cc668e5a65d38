#pragma once
// PostgreSQL's own programs, pg_dump and pg_restore, run for the register on a server: the
// connection as arguments, the password only in the child's environment (never on a command
// line that other users can read), and what they report in the user's words.
#include "registeraddress.h"

#include <QProcess>
#include <QStringList>
#include <functional>

namespace ServerTools {

// A value for a libpq connection string, quoted.
QString quotedValue(QString value);
// Starts program (pg_dump, pg_restore) with arguments; connected to server when one is given.
void start(QProcess& process, const QString& program, const QStringList& arguments,
           const ServerAddress* server = nullptr);
// Waits for the program to end, calling busy now and then; true when it ended well.
bool finish(QProcess& process, const std::function<void()>& busy);
// Why pg_restore could not read an archive, from what it wrote to its error output.
QString archiveReason(const QByteArray& errors);

// What an archive's table of contents says, as pg_restore --list reads it.
struct Listing {
    QString problem;                 // empty when the archive can be read as a register's
    QString schema;                  // the schema that holds the register's tables
    bool createsSchema = false;      // whether it makes that schema itself
    QStringList tables, views, data; // lower-case names; data: tables whose rows it holds
};
Listing list(const QString& archive, const std::function<void()>& busy = {});

} // namespace ServerTools
