#pragma once
// Receivables: what every customer still owes.
#include "moneywindow.h"

class Tshkfrm : public MoneyWindow {
    Q_OBJECT
public:
    explicit Tshkfrm(QWidget* parent = nullptr)
        : MoneyWindow(MoneySide::receivables(), parent), CheckBox1(showAll), YSKShiJian(pages[0]),
          YSKKeHu(pages[1]), YSKTuBiao(pages[2]), YSKZhangLing(pages[3]) {}

    void YSKTuBiaoShow() { chartPageShow(); }
    void YSKTuBiaoHide() { chartPageHide(); }

    QCheckBox* const CheckBox1;  // 显示所有收款记录
    QWidget* const YSKShiJian;   // 按时间
    QWidget* const YSKKeHu;      // 按客户
    QWidget* const YSKTuBiao;    // 分析图表
    QWidget* const YSKZhangLing; // 账龄分析
};
