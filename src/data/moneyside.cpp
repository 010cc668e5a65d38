#include "moneyside.h"

#include "tdmod.h"

#include <stdexcept>

const MoneySide& MoneySide::payables() {
    static const MoneySide side{
        &TDMod::TBFukuan,
        &TDMod::TBFuKuanZong,
        &TDMod::TBFTiXing,
        QStringLiteral("合同应付款表_明细"),
        QStringLiteral("合同应付款表"),
        QStringLiteral("应付日期"),
        QStringLiteral("应付金额"),
        QStringLiteral("实付金额"),
        QStringLiteral("供应商"),
        QStringLiteral("供应商编号"),
        QStringLiteral("供应商名称"),
        QStringLiteral("fukfrm"),
        QStringLiteral("应付款表"),
        QSize(782, 485),
        12,
        QStringLiteral("RadioButton1"),
        QStringLiteral("显示所有付款记录"),
        {QStringLiteral("YFKShiJian"), QStringLiteral("YFKKeHu"), QStringLiteral("YFKTuBiao"),
         QStringLiteral("YFKZhangLing")},
        QStringLiteral("按供应商"),
        QStringLiteral("应付款表中没有记录!   "),
        QStringLiteral("   应付款分析图表"),
        {QStringLiteral("应付款"), QStringLiteral("实付款")},
        {0xFF8040, 0x8080FF},
        false,
        QStringLiteral("DBGrid2"),
        QStringLiteral("应付款提醒表"),
        QStringLiteral("C:\\应付款表.xls"),
    };
    return side;
}

const MoneySide& MoneySide::receivables() {
    static const MoneySide side{
        &TDMod::TBShoukuan,
        &TDMod::TBShouKuanZong,
        &TDMod::TBSTiXing,
        QStringLiteral("合同应收款表_明细"),
        QStringLiteral("合同应收款表"),
        QStringLiteral("应收日期"),
        QStringLiteral("应收金额"),
        QStringLiteral("实收金额"),
        QStringLiteral("客户名称"),
        QStringLiteral("客户编号"),
        QStringLiteral("客户名称"),
        QStringLiteral("shkfrm"),
        QStringLiteral("应收款表"),
        QSize(788, 478),
        15,
        QStringLiteral("CheckBox1"),
        QStringLiteral("显示所有收款记录"),
        {QStringLiteral("YSKShiJian"), QStringLiteral("YSKKeHu"), QStringLiteral("YSKTuBiao"),
         QStringLiteral("YSKZhangLing")},
        QStringLiteral("按客户"),
        QStringLiteral("应收款表中没有记录!   "),
        QStringLiteral("应收款分析图表"),
        {QStringLiteral("应收款"), QStringLiteral("实收款")},
        {0x80FF00, 0xFF0000},
        true,
        QStringLiteral("DBGrid1"),
        QStringLiteral("应收款提醒表"),
        QStringLiteral("C:\\应收款表.xls"),
    };
    return side;
}

std::array<const MoneySide*, 2> MoneySide::both() {
    return {&receivables(), &payables()};
}

const MoneySide& MoneySide::of(const TDMod& dm, const Dataset* dataset) {
    for (const MoneySide* side : both())
        for (Dataset* TDMod::*member : {side->detail, side->summary, side->reminders})
            if (dm.*member == dataset)
                return *side;
    throw std::logic_error("a dataset of neither money side");
}
