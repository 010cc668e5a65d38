#pragma once
// Whether a file is a usable register of this program, before the program relies on it.
#include <QString>
#include <functional>

namespace RegisterCheck {

// Empty when the file opens as a register (every table and view), holds every column the
// program's schema has, and PRAGMA quick_check finds no damage; otherwise why not. The long
// check runs beside the calling thread, which calls busy now and then while it waits.
QString problem(const QString& path, const std::function<void()>& busy = {});

} // namespace RegisterCheck
