#pragma once
// A dataset filter of the form "column op constant": op one of = <> < > <= >=, the constant
// a number, true/false or 'text'. Text compares without regard to case.
#include <QString>
#include <QVariant>

class RowFilter {
public:
    // Empty text gives a filter that accepts every row; text of another form throws DataError
    // (the dataset's name goes into the message).
    static RowFilter parse(const QString& text, const QString& datasetName);

    bool isEmpty() const { return m_column.isEmpty(); }
    const QString& column() const { return m_column; }
    // Whether a row whose column holds this value passes; an empty value never does.
    bool accepts(const QVariant& value) const;

private:
    int compare(const QVariant& value) const;

    QString m_column;
    QString m_op;
    QVariant m_constant;
};
