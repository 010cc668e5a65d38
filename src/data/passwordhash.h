#pragma once
// Operators' passwords are kept only as salted slow hashes (Argon2id strings).
#include <QString>

namespace PasswordHash {

// A new hash of the password, with a salt of its own.
QString make(const QString& password);

// Whether the typed password is the one the stored hash was made from.
bool matches(const QString& stored, const QString& typed);

// Whether a stored value is such a hash.
bool isHash(const QString& stored);

} // namespace PasswordHash
