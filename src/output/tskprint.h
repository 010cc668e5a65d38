#pragma once
// The printed record of a receivable contract.
#include "recordhost.h"

class TSKPrint : public RecordHost {
    Q_OBJECT
public:
    explicit TSKPrint(QWidget* parent = nullptr)
        : RecordHost(RecordLayout::receivable(), QStringLiteral("SKPrint"), parent) {}
};
