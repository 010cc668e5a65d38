#pragma once
// The printed record of another contract.
#include "recordhost.h"

class TQTPrint : public RecordHost {
    Q_OBJECT
public:
    explicit TQTPrint(QWidget* parent = nullptr)
        : RecordHost(RecordLayout::other(), QStringLiteral("QTPrint"), parent) {}
};
