#pragma once
// A text box bound to a text field that writes what was typed when the box is left or when the
// row is saved, not at every key: a name emptied and then left is one change, which the field's
// validation sees once.
#include "components/fieldlinks.h"

class LeaveWriteLink : public FieldLink {
    Q_OBJECT
public:
    LeaveWriteLink(Dataset* dataset, const QString& fieldName, QLineEdit* edit);

    bool commit() override;

protected:
    void display(const QVariant& value) override;
    void applyLock(bool locked) override;
    // Typed text not yet written stays while other fields of the row change.
    void rowEdited() override;

private:
    QLineEdit* m_edit;
};
