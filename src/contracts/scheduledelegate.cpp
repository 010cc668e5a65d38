#include "scheduledelegate.h"

#include "components/dateedit.h"
#include "components/fieldlinks.h"
#include "data/datasetmodel.h"
#include "platform/dialogs.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

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
    if (field->type() == FieldType::Currency) {
        static const QRegularExpression number(QStringLiteral("-?[0-9]*\\.?[0-9]{0,4}"));
        edit->setValidator(new QRegularExpressionValidator(number, edit));
    } else if (field->size() > 0) {
        edit->setValidator(new Gb2312Limit(field->size(), edit));
    }
    return edit;
}

void ScheduleDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit)
        return QStyledItemDelegate::setModelData(editor, model, index);
    QVariant value = edit->text();
    if (auto* date = qobject_cast<DateEdit*>(editor); date && date->date().isValid())
        value = date->date();
    try {
        model->setData(index, value, Qt::EditRole);
    } catch (const DataError& e) {
        Dialogs::showError(e.text());
    }
}
