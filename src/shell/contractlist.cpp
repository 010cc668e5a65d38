// The main window's commands on the contract lists: tabs, partners, add, view, delete, refresh.
#include "tfrmcompactmanager.h"

#include "appcontext.h"
#include "contracts/nextcompactno.h"
#include "contracts/tformaddcom.h"
#include "data/frozencontrols.h"
#include "data/tdmod.h"
#include "partnertab.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/gui/modal.h"
#include "tlogin.h"

namespace {

const QString Number = QStringLiteral("合同编号");

} // namespace

void TfrmCompactManager::tabSwitched(int index) {
    if (m_shownTab <= 2)
        TabSheet2Hide();
    m_shownTab = index;
    if (index == 3)
        TabSheet4Show();
    PageControl1Change();
}

void TfrmCompactManager::TabSheet2Hide() {
    if (m_dm)
        m_dm->TBMarst->setFiltered(false);
}

void TfrmCompactManager::PageControl1Change() {
    if (!m_dm)
        return;
    // all contracts, unlinked, in the data module's order: from the rows already held
    Dataset* contracts = m_dm->TBCompacter;
    contracts->reopenHeld();
    for (Dataset* schedule : {m_dm->TBFKJiLu, m_dm->TBSKJiLu}) {
        schedule->close();
        schedule->open();
    }
    if (activeTab() == 0) {
        contracts->setSort(Number);
    } else if (PartnerTab* tab = partnerTab(activeTab())) {
        tab->link();
    } else {
        return;
    }
    setCountText(m_dm->countText());
}

// The click has already moved the partner list; the contracts follow through the link.
void TfrmCompactManager::DBGrid1CellClick() {
    m_dm->TBCompacter->refresh();
    setCountText(m_dm->countText());
}

// A number that cannot be proposed is left for the user to type. An add that saved nothing
// brings the list back to the contract that was current, not to the end it walked to.
void TfrmCompactManager::SpeedButton5Click() {
    if (!app().Login->CheckOperatorRight(QStringLiteral("增加")))
        return;
    Dataset* contracts = m_dm->TBCompacter;
    const QVariant current = contracts->isEmpty() ? QVariant() : contracts->value(Number);
    const std::optional<QString> number = proposeNumber();
    if (!number)
        Dialogs::plain(QStringLiteral("合同编号无法自动递增，请输入新合同的编号。"));
    TFormAddCom* editor = app().FormAddCom;
    editor->UnlockCompactFields();
    appendContract(number.value_or(QString()));
    editor->prepareAdd();
    Modal::exec(editor);
    if (!editor->savedWhileShown() && !current.isNull())
        contracts->locate(Number, current);
}

// The greatest number over all contracts, whatever the tab, found with the display frozen;
// the active tab's link is back in place when the display thaws.
std::optional<QString> TfrmCompactManager::proposeNumber() {
    Dataset* contracts = m_dm->TBCompacter;
    QString last;
    {
        FrozenControls frozen(*contracts);
        contracts->reopenHeld();
        contracts->setSort(Number);
        contracts->last();
        if (!contracts->isEmpty())
            last = contracts->fieldByName(Number)->asString();
        if (activeTab() != 0)
            PageControl1Change();
    }
    return NextCompactNo(last);
}

// On a partner tab the link presets the partner to the one the partner list stands on.
void TfrmCompactManager::appendContract(const QString& number) {
    Dataset* contracts = m_dm->TBCompacter;
    contracts->append();
    contracts->fieldByName(Number)->setValue(number);
    m_dm->proposedNumber = number;
    contracts->fieldByName(QStringLiteral("录入日期"))->setValue(Clock::today());
    contracts->fieldByName(QStringLiteral("录入"))->setValue(app().Login->CurUserName);
}

void TfrmCompactManager::wwDBGrid1DblClik() {
    if (m_dm->TBCompacter->isEmpty()) {
        Dialogs::plain(QStringLiteral("对不起,记录为空.无法查看!"));
        return;
    }
    app().FormAddCom->prepareView();
    Modal::exec(app().FormAddCom);
}

void TfrmCompactManager::DBGrid2DblClick() {
    wwDBGrid1DblClik();
}

void TfrmCompactManager::DelCompSBtnClick() {
    if (!app().Login->CheckOperatorRight(QStringLiteral("删除")))
        return;
    Dataset* contracts = m_dm->TBCompacter;
    if (contracts->isEmpty())
        return;
    const QString question = QStringLiteral("确定删除编号为：\r\n") +
                             contracts->fieldByName(Number)->asString() +
                             QStringLiteral("记录吗？");
    if (Dialogs::confirmDestructive(QStringLiteral("删除记录"), question))
        m_dm->deleteContract(); // instalments and contract in one transaction
}

// Reads the register again, to show what other programs changed.
void TfrmCompactManager::N16Click() {
    Dataset* contracts = m_dm->TBCompacter;
    contracts->close();
    contracts->clearMaster();
    contracts->open();
    contracts->setSort(Number);
}
