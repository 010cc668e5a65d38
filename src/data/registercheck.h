#pragma once
// Whether a file is a usable register of this program, before the program relies on it.
#include <QSet>
#include <QString>
#include <functional>

struct sqlite3;

namespace RegisterCheck {

// Empty when the file is a whole SQLite file (its size a whole number of its pages), holds
// every table, view and column the program's schema has, PRAGMA integrity_check finds no
// damage (indexes against tables too), the stored contract files' parts add up to their sizes
// and the contract-text index passes its own check;
// otherwise why not, in the user's words and without the file's name. The text index's check
// is a command, so the file is opened for writing (nothing is written): only for a file the
// caller owns, closed elsewhere. The long checks run beside the calling thread, which calls
// busy now and then while it waits.
QString problem(const QString& path, const std::function<void()>& busy = {});

// Whether a register holds every table, view and column of the program's schema, whatever
// stores it: columnsOf gives an object's column names in lower case (none when it is missing).
// Empty, or what is missing in the user's words.
QString schemaProblem(const std::function<QSet<QString>(const QString& object)>& columnsOf);

// The damage part of the check on an open connection: empty, or why the data is damaged.
QString damage(sqlite3* handle);

} // namespace RegisterCheck
