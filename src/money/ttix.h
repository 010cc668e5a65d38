#pragma once
// Due-date reminders: the open receivable and payable instalments that fall due within
// DayTXing days or are overdue, the contracts that end within those days or have ended while
// not marked "执行完毕", and the box that sets that number of days.
#include "data/datasetmodel.h"

#include <QDialog>
#include <array>

class DBGrid;
class Dataset;
class QLabel;
class QPushButton;
class QSpinBox;
class QSplitter;
class TDMod;

class TTiX : public QDialog {
    Q_OBJECT
public:
    explicit TTiX(QWidget* parent = nullptr);
    ~TTiX() override;

    // The one check after each login (the main window's timer): shows the window only when
    // something is due, and never a message.
    void autoCheck();
    // The main window's "合同提醒": always shows the window.
    void showOnDemand();

    // Handlers.
    void FormShow();
    void Button1Click(); // &C确认修改
    void Button2Click(); // &E退出

    // Closing by any means leaves the reminder lists closed and unfiltered.
    void done(int result) override;

    QLabel* Panel2; // 合同预支付记录提醒(N日内)
    QLabel* Label1; // 应收款提醒表
    DBGrid* DBGrid1 = nullptr;
    QSplitter* Splitter1;
    QLabel* Label2; // 应付款提醒表
    DBGrid* DBGrid2 = nullptr;
    QLabel* Label5; // 合同到期提醒表
    DBGrid* DBGrid3 = nullptr;
    QWidget* Panel1;
    QLabel* Label3;       // "  设定提前提醒的天数："
    QSpinBox* Edit1;      // the number of days
    QLabel* Label4;       // 天内提醒
    QPushButton* Button1; // &C确认修改
    QPushButton* Button2; // &E退出

protected:
    void showEvent(QShowEvent* event) override;

private:
    // What tells one list from another: its title, grid, dataset and columns.
    struct List {
        QString caption;
        QString gridName;
        Dataset* TDMod::*dataset;
        QList<DatasetModel::Column> columns; // the days left fourth
    };
    static const std::array<List, 3>& listed();

    void ensureBound();
    // The reminder lists' datasets, in the order they are listed.
    std::array<Dataset*, 3> lists() const;
    QWidget* makeList(QLabel*& title, DBGrid*& grid, const List& list);
    // The lists closed on their reminders' queries, not yet read.
    void setLists();
    // Reads the lists, filtered; false (all closed and unfiltered) when that fails.
    bool readLists();
    // All at once: the lists read anew.
    bool openLists();
    void closeLists();
    int dayTXing() const;
    void showBanner();

    TDMod* m_dm = nullptr;
    bool m_readOnShow = false; // set by the automatic check for the showing it leads to
};
