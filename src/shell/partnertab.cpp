#include "partnertab.h"

#include "components/dbgrid.h"
#include "contractcolumns.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

const QString PartnerNumber = QStringLiteral("客户/供应商编号");
const QString PartnerName = QStringLiteral("客户/供应商名称");

// Only the blanks and control characters at either end, as the lookup has always trimmed.
bool blankText(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= u' '; });
}

} // namespace

PartnerSide PartnerSide::suppliers() {
    return {QStringLiteral("供应商=true"), QStringLiteral("供应商编号"),
            QStringLiteral("供应商名称"),  QStringLiteral("供应商按名称查找："),
            QStringLiteral("DBGrid1"),     QStringLiteral("DBGrid2"),
            QStringLiteral("EdLookup"),    QStringLiteral("SortBtn")};
}

PartnerSide PartnerSide::customers() {
    return {QStringLiteral("客户=true"), QStringLiteral("客户编号"),
            QStringLiteral("客户名称"),  QStringLiteral("客户按照名称查找："),
            QStringLiteral("DBGrid3"),   QStringLiteral("DBGrid4"),
            QStringLiteral("EdLookup2"), QStringLiteral("SortBtn2")};
}

PartnerTab::PartnerTab(const PartnerSide& side, TDMod& dm, QWidget* parent)
    : QWidget(parent), m_side(side), m_dm(dm) {
    contractGrid = new DBGrid(dm.TBCompacter, this);
    contractGrid->setObjectName(side.contractGridName);
    // the list's own columns; the fields' sizes alone would clip the amounts
    contractGrid->setColumns(contractColumns());
    contractGrid->setToolTip(QStringLiteral("双击打开合同"));
    // "供应商" or "客户", as the number column's title begins
    const QString partners = side.numberTitle.chopped(2);
    contractGrid->setAccessibleName(partners + QStringLiteral("的合同"));
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setHandleWidth(5);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildPartnerSide());
    splitter->addWidget(contractGrid);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({305, 1000});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(partnerGrid, &DBGrid::cellClicked, this, &PartnerTab::partnerClicked);
    connect(contractGrid, &DBGrid::rowDoubleClicked, this, &PartnerTab::contractDoubleClicked);
    connect(lookupEdit, &QLineEdit::textChanged, this, &PartnerTab::EdLookupChange);
    connect(lookupButton, &QPushButton::clicked, this, &PartnerTab::SortBtnClick);
}

QWidget* PartnerTab::buildPartnerSide() {
    auto* side = new QWidget(this);
    partnerGrid = new DBGrid(m_dm.TBMarst, side);
    partnerGrid->setObjectName(m_side.partnerGridName);
    partnerGrid->setAccessibleName(m_side.numberTitle.chopped(2) + QStringLiteral("列表"));
    // empty titles: the fields' own, which link() sets for the side
    partnerGrid->setColumns({{PartnerNumber, {}, 18},
                             {PartnerName, {}, 30},
                             {QStringLiteral("简称"), {}, 10},
                             {QStringLiteral("合同数量"), {}, 10}});
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(partnerGrid, 1);
    layout->addWidget(buildLookupStrip());
    return side;
}

QWidget* PartnerTab::buildLookupStrip() {
    auto* strip = new QWidget(this);
    lookupEdit = new QLineEdit(strip);
    lookupEdit->setObjectName(m_side.lookupName);
    lookupButton = new QPushButton(QStringLiteral("开始查找"), strip);
    lookupButton->setObjectName(m_side.lookupButtonName);
    lookupButton->setEnabled(false);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(new QLabel(m_side.lookupCaption, strip));
    layout->addWidget(lookupEdit, 1);
    layout->addWidget(lookupButton);
    return strip;
}

void PartnerTab::link() {
    Dataset* partners = m_dm.TBMarst;
    // titles first, so the re-read below shows them
    partners->fieldByName(PartnerNumber)->setTitle(m_side.numberTitle);
    partners->fieldByName(PartnerName)->setTitle(m_side.nameTitle);
    partners->requery();
    m_dm.TBCompacter->setMaster(m_dm.DSMarst, PartnerNumber, QStringLiteral("SCNum"));
    partners->setFilter(m_side.filter);
    partners->setFiltered(true);
    m_dm.TBCompacter->refresh();
}

void PartnerTab::EdLookupChange() {
    lookupButton->setEnabled(!blankText(lookupEdit->text()));
}

// The typed text anywhere in the name, blanks and case as typed.
void PartnerTab::SortBtnClick() {
    const QString pattern = QStringLiteral("*") + lookupEdit->text();
    if (!m_dm.TBMarst->locate(PartnerName, pattern, LocatePartialKey))
        Dialogs::plain(QStringLiteral("很遗憾,没有找到相关记录!"));
}
