#pragma once
// Payables: what is still to be paid to every supplier.
#include "moneywindow.h"

class Tfukfrm : public MoneyWindow {
    Q_OBJECT
public:
    explicit Tfukfrm(QWidget* parent = nullptr)
        : MoneyWindow(MoneySide::payables(), parent), RadioButton1(showAll), YFKShiJian(pages[0]),
          YFKKeHu(pages[1]), YFKTuBiao(pages[2]), YFKZhangLing(pages[3]) {}

    void YFKTuBiaoShow() { chartPageShow(); }
    void YFKTuBiaoHide() { chartPageHide(); }

    QCheckBox* const RadioButton1; // 显示所有付款记录
    QWidget* const YFKShiJian;     // 按时间
    QWidget* const YFKKeHu;        // 按供应商
    QWidget* const YFKTuBiao;      // 分析图表
    QWidget* const YFKZhangLing;   // 账龄分析
};
