#include "leavewritelink.h"

#include "data/dataset.h"

#include <QLineEdit>

LeaveWriteLink::LeaveWriteLink(Dataset* dataset, const QString& fieldName, QLineEdit* edit)
    : FieldLink(dataset, fieldName, edit), m_edit(edit) {
    if (const int limit = textLimit(); limit > 0)
        edit->setValidator(new Gb2312Limit(limit, edit));
    connect(edit, &QLineEdit::editingFinished, this, &LeaveWriteLink::commit);
    refresh();
}

// Only into a pending row: a box left after its row was discarded edits no other row.
bool LeaveWriteLink::commit() {
    if (!m_edit->isModified() || m_edit->isReadOnly() || !dataset()->isEditing())
        return true;
    m_edit->setModified(false);
    return write(m_edit->text());
}

void LeaveWriteLink::display(const QVariant& value) {
    const QString text = value.isNull() ? QString() : value.toString();
    if (m_edit->text() != text)
        m_edit->setText(text); // also forgets that the box was typed into
    m_edit->setModified(false);
}

void LeaveWriteLink::applyLock(bool locked) {
    m_edit->setReadOnly(locked);
}

void LeaveWriteLink::rowEdited() {
    if (!m_edit->isModified())
        refresh();
}
