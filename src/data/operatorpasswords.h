#pragma once
// Where the register keeps operators' passwords: a hash in PasswordHash, never the text typed.
// Password, the column of earlier versions, holds a new password only between typing and
// saving, and in a register that could not be brought up to date.
#include <QSqlDatabase>
#include <QVariant>

class Dataset;

namespace OperatorPasswords {

extern const QString HashColumn;

// Gives a register of an earlier version the hash column and replaces every password kept
// as text by its hash, all at once. A register that cannot be written stays as it is.
void hashPlain(QSqlDatabase& db);

// Before an operator's row is saved: a password typed since it was read becomes its hash.
// An untouched box keeps the stored one; a new operator without one gets the empty password.
void hashTyped(Dataset& operatorRow);

// Whether the typed password opens the operator's account: its hash, or in a register that
// could not be brought up to date, the text kept by an earlier version.
bool accepts(const Dataset& operatorRow, const QString& typed);

} // namespace OperatorPasswords
