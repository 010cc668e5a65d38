#pragma once
// The change history of one contract as a read-only list, newest first: when, who, what was
// done, the contract's number then, the item changed (as the editor names it) and its old and
// new value, shown as the program shows amounts and dates everywhere.
#include <QObject>
#include <QString>
#include <QVariant>

class Dataset;
class TDMod;

class HistoryList : public QObject {
    Q_OBJECT
public:
    explicit HistoryList(TDMod& dm, QObject* parent = nullptr);

    Dataset* dataset() const { return m_rows; }
    // Reads the history of the contract with this key.
    void readContract(const QVariant& compactId);
    // Reads the history of every contract that ever carried this number (a deleted one too).
    void readNumber(const QString& number);

    // The item's caption for a field of a contract ("合同") or an instalment ("应收款",
    // "应付款").
    QString itemTitle(const QString& subject, const QString& column) const;

private:
    void read(const QString& condition, const QVariant& value);
    QVariant shown(const QVariant& stored, const QString& column) const;

    TDMod& m_dm;
    Dataset* m_rows;
};
