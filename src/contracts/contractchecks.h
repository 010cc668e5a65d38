#pragma once
// Values that each box takes but that together make no sound contract. Each check gives the
// message that refuses the save, or nothing when the contract may be saved.
#include <QString>
#include <optional>

class Dataset;

namespace ContractChecks {

// A term that ends before it starts.
std::optional<QString> term(const Dataset& contracts);
// A direction that would hide instalments of the other kind: they would stay in the lists and
// reminders, but nobody could see or delete them in the editor.
std::optional<QString> direction(const QString& direction, bool hasReceivables, bool hasPayables);

} // namespace ContractChecks
