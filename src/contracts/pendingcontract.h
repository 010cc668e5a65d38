#pragma once
// Everything the user typed into a contract row, to put it back after the store refused it.
#include <QVariant>
#include <utility>
#include <vector>

class Dataset;
class Field;

class PendingContract {
public:
    explicit PendingContract(const Dataset& ds);
    void putBack(Dataset& ds) const;

private:
    bool m_insert;
    std::vector<std::pair<Field*, QVariant>> m_values;
};
