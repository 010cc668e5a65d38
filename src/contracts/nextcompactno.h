#pragma once
// Proposes the next contract (or partner) number from the greatest stored one.
#include <QString>
#include <optional>

// "HT2024-015" -> "HT2024-016", "A999" -> "A1000", "HT" -> "HT1", "" -> "". nullopt when the
// trailing digits exceed 2147483646 and cannot be counted on.
std::optional<QString> NextCompactNo(const QString& last);
