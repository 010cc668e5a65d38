#pragma once
// The file picker's size, type and date columns in the program's language. Qt writes sizes and
// dates in the system's locale, not the program's, and its Chinese texts lack the word for a
// folder.
#include <QIdentityProxyModel>

class ChineseFileColumns : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};
