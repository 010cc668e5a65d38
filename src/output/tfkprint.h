#pragma once
// The printed record of a payable contract.
#include "recordhost.h"

class TFKPrint : public RecordHost {
    Q_OBJECT
public:
    explicit TFKPrint(QWidget* parent = nullptr)
        : RecordHost(RecordLayout::payable(), QStringLiteral("FKPrint"), parent) {}
};
