#pragma once
// Keeps a dataset's bound controls still while code walks its rows, and lets them follow again
// however the walk ends, an exception included.
#include "dataset.h"

class FrozenControls {
public:
    explicit FrozenControls(Dataset& dataset) : m_dataset(dataset) { dataset.disableControls(); }
    ~FrozenControls() { m_dataset.enableControls(); }
    FrozenControls(const FrozenControls&) = delete;
    FrozenControls& operator=(const FrozenControls&) = delete;

private:
    Dataset& m_dataset;
};
