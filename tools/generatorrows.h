#pragma once
// The rows the generator makes before they are written: partners, contracts and their
// instalments.
#include "data/currency.h"

#include <QDate>
#include <QString>
#include <vector>

namespace Generator {

struct Partner {
    QString number, name, contact, phone, address, shortName;
    bool customer = false, supplier = false;
};

struct Instalment {
    QDate due;
    Currency amount, settled, invoiced;
    QDate settledOn;
    QString remark, voucher;
};

struct Contract {
    int id = 0;
    QString number, name, direction, department, person, type, partner, enteredBy, modifiedBy;
    QString state, text, file;
    Currency amount;
    QDate signedOn, start, end, enteredOn;
    std::vector<Instalment> schedule;
};

} // namespace Generator
