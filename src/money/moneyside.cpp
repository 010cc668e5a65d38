#include "moneyside.h"

#include "data/tdmod.h"
#include "output/spreadsheetexport.h"

const MoneySide& MoneySide::payables() {
    static const MoneySide side{
        QStringLiteral("fukfrm"),
        QStringLiteral("应付款表"),
        QSize(782, 485),
        &TDMod::TBFukuan,
        &TDMod::TBFuKuanZong,
        QStringLiteral("应付日期"),
        QStringLiteral("应付金额"),
        QStringLiteral("实付金额"),
        QStringLiteral("供应商"),
        12,
        QStringLiteral("供应商编号"),
        QStringLiteral("供应商名称"),
        QStringLiteral("RadioButton1"),
        QStringLiteral("显示所有付款记录"),
        {QStringLiteral("YFKShiJian"), QStringLiteral("YFKKeHu"), QStringLiteral("YFKTuBiao")},
        QStringLiteral("按供应商"),
        QStringLiteral("应付款表中没有记录!   "),
        QStringLiteral("   应付款分析图表"),
        {QStringLiteral("应付款"), QStringLiteral("实付款")},
        {QColor(0xFF, 0x80, 0x40), QColor(0x80, 0x80, 0xFF)},
        false,
        &SpreadsheetExport::exportPayables,
    };
    return side;
}

const MoneySide& MoneySide::receivables() {
    static const MoneySide side{
        QStringLiteral("shkfrm"),
        QStringLiteral("应收款表"),
        QSize(788, 478),
        &TDMod::TBShoukuan,
        &TDMod::TBShouKuanZong,
        QStringLiteral("应收日期"),
        QStringLiteral("应收金额"),
        QStringLiteral("实收金额"),
        QStringLiteral("客户名称"),
        15,
        QStringLiteral("客户编号"),
        QStringLiteral("客户名称"),
        QStringLiteral("CheckBox1"),
        QStringLiteral("显示所有收款记录"),
        {QStringLiteral("YSKShiJian"), QStringLiteral("YSKKeHu"), QStringLiteral("YSKTuBiao")},
        QStringLiteral("按客户"),
        QStringLiteral("应收款表中没有记录!   "),
        QStringLiteral("应收款分析图表"),
        {QStringLiteral("应收款"), QStringLiteral("实收款")},
        {QColor(0x80, 0xFF, 0x00), QColor(0xFF, 0x00, 0x00)},
        true,
        &SpreadsheetExport::exportReceivables,
    };
    return side;
}
