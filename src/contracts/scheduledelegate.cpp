#include "scheduledelegate.h"

#include "components/dateedit.h"
#include "components/fieldlinks.h"
#include "data/datasetmodel.h"
#include "platform/dialogs.h"

#include <QAbstractItemView>
#include <QLineEdit>

namespace {

const char* const RefusedText = "qintaraRefusedText";

const Field* fieldOf(const QModelIndex& index) {
    const auto* model = qobject_cast<const DatasetModel*>(index.model());
    return model ? model->fieldAt(index.column()) : nullptr;
}

} // namespace

QWidget* ScheduleDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    const Field* field = fieldOf(index);
    if (!field)
        return QStyledItemDelegate::createEditor(parent, option, index);
    if (field->type() == FieldType::DateTime)
        return new DateEdit(parent);
    auto* edit = new QLineEdit(parent);
    if (field->type() != FieldType::Currency && field->size() > 0)
        edit->setValidator(new Gb2312Limit(field->size(), edit));
    return edit;
}

void ScheduleDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit && m_refusedCell.isValid() && m_refusedCell == index) {
        edit->setProperty(RefusedText, m_refusedText);
        m_refusedCell = QPersistentModelIndex();
    }
    // the model's own value would replace the refused text while the row is being edited
    if (const QVariant refused = editor->property(RefusedText); refused.isValid() && edit)
        edit->setText(refused.toString());
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void ScheduleDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit)
        return QStyledItemDelegate::setModelData(editor, model, index);
    // taken now: putting the row in edit shows the stored value in the editor again
    const QString typed = edit->text();
    QVariant value = typed;
    if (auto* date = qobject_cast<DateEdit*>(editor); date && date->date().isValid())
        value = date->date();
    try {
        model->setData(index, value, Qt::EditRole);
    } catch (const DataError& e) {
        Dialogs::showError(e.text());
        editAgain(editor, index, typed);
    }
}

// Once this editor has closed, the cell opens again with the refused text.
void ScheduleDelegate::editAgain(QWidget* editor, const QModelIndex& index,
                                 const QString& text) const {
    QWidget* viewport = editor->parentWidget();
    auto* view = qobject_cast<QAbstractItemView*>(viewport ? viewport->parentWidget() : nullptr);
    if (!view)
        return;
    m_refusedCell = index;
    m_refusedText = text;
    QMetaObject::invokeMethod(
        view,
        [view, cell = QPersistentModelIndex(index)] {
            if (!cell.isValid())
                return;
            view->setCurrentIndex(cell);
            view->edit(cell);
        },
        Qt::QueuedConnection);
}
