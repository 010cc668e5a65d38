#pragma once
// The window "合同修改记录": a contract's change history, newest first, read-only. Opened from
// the contract editor for its contract, or from the main window by a contract number, which
// also finds deleted contracts. Operators holding the right 用户权限设置 may export the list.
#include <QDialog>
#include <QVariant>

class DBGrid;
class HistoryList;
class QLabel;
class QLineEdit;
class QPushButton;
class TDMod;

class TXGJiLu : public QDialog {
    Q_OBJECT
public:
    static const QString ExportFile; // "C:\合同修改记录.xls"

    explicit TXGJiLu(TDMod& dm, QWidget* parent = nullptr);

    // Shows the history of the contract with this key, or with a null key the history found by
    // the number (none when the number is empty), modally.
    void showContract(const QString& number, const QVariant& compactId = {});

    HistoryList* list() const { return m_list; }

    QLineEdit* EdNumber;   // "合同编号"
    QPushButton* BtFind;   // "查询"
    QLabel* LbCount;       // "共有  N  条记录"
    DBGrid* wwDBGrid1;     // the history
    QPushButton* BtExport; // "导出到Excel"
    QPushButton* BtClose;  // "退出"

    void BtFindClick();
    void BtExportClick();

private:
    void showCount();

    TDMod& m_dm;
    HistoryList* m_list;
};
