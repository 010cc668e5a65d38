#include "pendingcontract.h"

#include "data/dataset.h"

PendingContract::PendingContract(const Dataset& ds) : m_insert(ds.state() == DatasetState::Insert) {
    for (Field* f : ds.fields())
        if (!f->isReadOnly())
            m_values.emplace_back(f, f->value());
}

void PendingContract::putBack(Dataset& ds) const {
    if (m_insert)
        ds.append();
    else
        ds.edit();
    for (const auto& [field, value] : m_values)
        field->setValue(value);
}
