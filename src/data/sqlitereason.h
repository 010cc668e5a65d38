#pragma once
// The user's words for an SQLite result code, in one place: the file-level failures of
// backup, restore and the register check say why in Chinese, never in the library's English.
#include <QString>

namespace SqliteReason {

// Why an operation failed, from its (primary or extended) result code.
QString text(int resultCode);

} // namespace SqliteReason
