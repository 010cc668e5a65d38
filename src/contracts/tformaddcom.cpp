#include "tformaddcom.h"

#include "components/dateedit.h"
#include "components/linklabel.h"
#include "contractchecks.h"
#include "contractfilestab.h"
#include "data/tdmod.h"
#include "editorparts.h"
#include "history/txgjilu.h"
#include "masterdata/tbumengli.h"
#include "masterdata/twldanwei.h"
#include "output/tfkprint.h"
#include "output/tqtprint.h"
#include "output/tskprint.h"
#include "pendingcontract.h"
#include "platform/dialogs.h"
#include "platform/gui/application.h"
#include "platform/gui/modal.h"
#include "platform/gui/shellopen.h"
#include "scheduletab.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace EditorParts;

namespace {

bool holdsRows(const ScheduleTab* tab) {
    const Dataset* ds = tab->dataset();
    return ds && ds->isActive() && !ds->isEmpty();
}

} // namespace

// ---------------------------------------------------------------- binding

void TFormAddCom::bindData(TDMod* dmod) {
    if (m_dmod)
        disconnect(m_dmod, nullptr, this, nullptr);
    m_dmod = dmod;
    connect(dmod, &TDMod::contractDeletedElsewhere, this, &TFormAddCom::contractDeletedElsewhere);
    bindLinks(dmod);
    receivables->bind(dmod);
    payables->bind(dmod);
    files->bind(dmod);
}

void TFormAddCom::bindLinks(TDMod* dmod) {
    m_links.clear();
    m_fixedLinks.clear();
    Dataset* c = dmod->TBCompacter;
    m_links.add<LineEditLink>(c, QStringLiteral("合同编号"), DBEdit1);
    m_links.add<LineEditLink>(c, QStringLiteral("合同名称"), DBEdit2);
    m_links.add<LineEditLink>(c, QStringLiteral("合同金额"), DBEdit5);
    m_links.add<LineEditLink>(c, QStringLiteral("责任人"), DBEdit7);
    m_directionLink = m_links.add<ComboLink>(c, Direction, DBComboBox1, ComboLink::Style::ListOnly);
    m_links.add<ComboLink>(c, QStringLiteral("合同类型"), DBComboBox2, ComboLink::Style::ListOnly);
    m_departmentLink = m_links.add<LookupComboLink>(c, QStringLiteral("所属部门"), wwDBLookupCombo1,
                                                    dmod->TBDepartment, QStringLiteral("部门名称"),
                                                    QStringLiteral("部门名称"));
    m_links.add<ComboLink>(c, QStringLiteral("执行情况"), DBComboBox4, ComboLink::Style::FreeText);
    m_partnerLink =
        m_links.add<LookupComboLink>(c, QStringLiteral("SCNum"), DBLookupComboBox1, dmod->TBServer,
                                     QStringLiteral("ScNum"), QStringLiteral("ScName"));
    m_links.add<DateLink>(c, QStringLiteral("签订日期"), wwDBDateTimePicker1);
    m_links.add<DateLink>(c, QStringLiteral("开始日期"), wwDBDateTimePicker2);
    m_links.add<DateLink>(c, QStringLiteral("截止日期"), wwDBDateTimePicker3);
    m_links.add<DateLink>(c, QStringLiteral("录入日期"), wwDBDateTimePicker4);
    m_links.add<MemoLink>(c, QStringLiteral("合同内容"), DBMemo1);
    m_fixedLinks.add<LineEditLink>(c, QStringLiteral("录入"), DBEdit8);
    m_fixedLinks.add<LineEditLink>(c, QStringLiteral("修改"), DBEdit9);
    m_links.setLocked(true);
    connect(m_directionLink, &FieldLink::edited, this, &TFormAddCom::DBComboBox1Change);
}

void TFormAddCom::ensureBound() {
    if (app().DMod && app().DMod != m_dmod)
        bindData(app().DMod);
}

Dataset* TFormAddCom::contracts() const {
    return m_dmod->TBCompacter;
}

QString TFormAddCom::direction() const {
    return contracts()->fieldByName(Direction)->asString();
}

// A contract shown is closed with a word before the list under it moves to another contract;
// one being changed stays open with what was typed, and its save is refused.
void TFormAddCom::contractDeletedElsewhere(const QVariant& key) {
    Dataset* c = contracts();
    if (!isVisible() || c->state() == DatasetState::Insert ||
        c->value(QStringLiteral("CompactID")) != key)
        return;
    const QString number = c->fieldByName(QStringLiteral("合同编号"))->asString();
    if (c->isEditing()) {
        Dialogs::plain(
            QStringLiteral("合同“%1”已被其他操作员删除，您的修改无法保存。").arg(number));
        return;
    }
    close();
    Dialogs::plain(QStringLiteral("合同“%1”已被其他操作员删除。").arg(number));
}

// ---------------------------------------------------------------- modes

void TFormAddCom::UnlockCompactFields() {
    ensureBound();
    m_links.setLocked(false);
    Button1->show();
}

void TFormAddCom::prepareAdd() {
    ensureBound();
    setWindowTitle(AddCaption);
    Button6->hide();
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    Label20->hide();
    Label21->hide();
    PageControl1->setTabVisible(PageControl1->indexOf(receivables), false);
    PageControl1->setTabVisible(PageControl1->indexOf(payables), false);
}

void TFormAddCom::prepareView(bool setCaption) {
    ensureBound();
    if (setCaption)
        setWindowTitle(ViewCaption);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    Button6->setEnabled(true);
    Label20->show();
    Label21->hide();
}

void TFormAddCom::setPickButtonsVisible(bool visible) {
    // the partner's mark follows: 7 pixels after the button, or after the box without it
    Button10->setVisible(visible);
    Button11->setVisible(visible);
    Button1->setVisible(visible);
}

void TFormAddCom::setSchedulesEditable(bool editable) {
    receivables->setEditable(editable);
    payables->setEditable(editable);
    files->setEditable(editable);
}

void TFormAddCom::arrangeByDirection(const QString& direction) {
    PageControl1->setTabVisible(PageControl1->indexOf(receivables), direction == Receipt);
    PageControl1->setTabVisible(PageControl1->indexOf(payables), direction == Payment);
    Button14->setVisible(direction == Payment);
    Button15->setVisible(direction == Receipt);
    Button16->setVisible(direction != Payment && direction != Receipt);
}

void TFormAddCom::setFileLinkText() {
    HLLabel1->setText(contracts()->fieldByName(FileField)->asString());
}

// A contract not yet saved has no files: they can be added once it is stored.
void TFormAddCom::showStoredFiles() {
    const Dataset* c = contracts();
    const bool stored = c->isActive() && !c->isEmpty() && c->state() != DatasetState::Insert;
    files->showContract(stored ? c->value(QStringLiteral("CompactID")) : QVariant());
}

// ---------------------------------------------------------------- showing and closing

void TFormAddCom::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormAddCom::FormShow() {
    ensureBound();
    m_saved = false;
    if (!m_dmod)
        return;
    m_partnerLink->reloadList();
    m_departmentLink->reloadList();
    m_links.refresh();
    m_fixedLinks.refresh();
    if (contracts()->state() == DatasetState::Browse) {
        setPickButtonsVisible(false);
        setSchedulesEditable(false);
        const QString shown = direction();
        arrangeByDirection(shown);
        if (shown == Payment)
            runGuardedTotals(payables);
        else if (shown == Receipt)
            runGuardedTotals(receivables);
    } else {
        Panel1->hide();
    }
    setFileLinkText();
    showStoredFiles();
}

void TFormAddCom::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TFormAddCom::FormClose() {
    if (!m_dmod)
        return;
    receivables->cancelPending();
    payables->cancelPending();
    m_links.setLocked(true);
    Button6->show();
    setPickButtonsVisible(true);
    PageControl1->setTabVisible(PageControl1->indexOf(receivables), true);
    PageControl1->setTabVisible(PageControl1->indexOf(payables), true);
    Panel1->show();
    if (Button2->isEnabled())
        contracts()->cancel(); // unsaved edits go without a question
    if (std::exchange(m_tabUnlinked, false))
        if (TfrmCompactManager* main = app().frmCompactManager)
            runGuarded([main] { main->PageControl1Change(); });
}

// Esc does not close the editor: closing would discard the contract without a question.
void TFormAddCom::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- commands

void TFormAddCom::Button6Click() {
    if (!app().Login || !app().Login->CheckOperatorRight(QStringLiteral("修改")))
        return;
    m_links.setLocked(false);
    setFileLinkText();
    Button6->setEnabled(false);
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    Label20->hide();
    Label21->show();
    setPickButtonsVisible(true);
    runGuarded([this] {
        contracts()->edit();
        contracts()->fieldByName(QStringLiteral("修改"))->setValue(app().Login->CurUserName);
    });
    setSchedulesEditable(true);
    Panel1->hide();
}

bool TFormAddCom::requiredFieldsFilled() {
    const struct {
        bool empty;
        QString message;
        QWidget* control;
    } tests[] = {
        {DBEdit1->text().trimmed().isEmpty(), QStringLiteral("合同编号不可为空！"), DBEdit1},
        {DBEdit2->text().trimmed().isEmpty(), QStringLiteral("合同名称不可为空！"), DBEdit2},
        {DBComboBox1->currentIndex() < 0, QStringLiteral("收付类型不可为空！"), DBComboBox1},
        {DBLookupComboBox1->currentIndex() < 0, QStringLiteral("往来单位不可为空！"),
         DBLookupComboBox1},
        {DBEdit5->text().trimmed().isEmpty(), QStringLiteral("合同金额不可为空！"), DBEdit5},
    };
    for (const auto& test : tests) {
        if (!test.empty)
            continue;
        refuse(test.message, test.control);
        return false;
    }
    return true;
}

// Values that the fields took one by one but that make no sound contract together.
bool TFormAddCom::contractConsistent() {
    const struct {
        std::optional<QString> refusal;
        QWidget* control;
    } checks[] = {
        {ContractChecks::direction(direction(), holdsRows(receivables), holdsRows(payables)),
         DBComboBox1},
        {ContractChecks::term(*contracts()), wwDBDateTimePicker3},
    };
    for (const auto& check : checks) {
        if (!check.refusal)
            continue;
        refuse(*check.refusal, check.control);
        return false;
    }
    return true;
}

// The save stops with a message; the box in question, on whatever tab, gets the focus.
void TFormAddCom::refuse(const QString& message, QWidget* control) {
    Dialogs::message(QStringLiteral("提示信息"), message, Dialogs::Icon::Information,
                     Dialogs::Button::Ok);
    for (int i = 0; i < PageControl1->count(); ++i)
        if (PageControl1->widget(i)->isAncestorOf(control))
            PageControl1->setCurrentIndex(i);
    control->setFocus();
}

// False when the store refused the contract; the data module's rule has said why. A duplicate
// number leaves the row pending; any other refusal discards it, so the typed values are put
// back for the user to correct or cancel. An instalment still being edited is saved first, so
// that the grid does not turn read-only over a change that could then only be lost.
bool TFormAddCom::saveContract(SavedContract& saved) {
    if (!receivables->postPending() || !payables->postPending())
        return false;
    Dataset* c = contracts();
    if (!m_links.commit() || !contractConsistent())
        return false;
    saved = {c->fieldByName(QStringLiteral("合同编号"))->asString(),
             c->fieldByName(QStringLiteral("SCNum"))->value(), direction()};
    const PendingContract typed(*c);
    try {
        return c->post();
    } catch (const DataError&) {
        runGuarded([&] { typed.putBack(*c); });
        return false;
    }
}

// The row is read before the save: re-reading a contract list linked to a partner may leave
// the saved contract out of it.
void TFormAddCom::Button2Click() {
    SavedContract saved;
    if (!requiredFieldsFilled() || !saveContract(saved))
        return;
    m_saved = true;
    showDirectionTab(saved.direction);
    if (windowTitle() == ViewCaption)
        setBrowseState();
    else
        setSchedulesEditable(true); // the new contract's instalments can be entered now
    runGuarded([this, &saved] {
        updateMainWindow();
        returnToContract(saved);
    });
    showStoredFiles();
}

void TFormAddCom::showDirectionTab(const QString& direction) {
    if (direction == Receipt)
        PageControl1->setTabVisible(PageControl1->indexOf(receivables), true);
    else if (direction == Payment)
        PageControl1->setTabVisible(PageControl1->indexOf(payables), true);
}

// The save ended modify mode.
void TFormAddCom::setBrowseState() {
    m_links.setLocked(true);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    Button6->setEnabled(true);
    Label20->show();
    Label21->hide();
    setPickButtonsVisible(false);
    setSchedulesEditable(false);
    Panel1->show();
}

// Step 5 of a save: the main window's lists are re-linked, which re-opens the contract list.
void TFormAddCom::updateMainWindow() {
    TfrmCompactManager* main = app().frmCompactManager;
    if (!main)
        return;
    if (main->activeTab() != 0) {
        main->PageControl1Change();
    } else if (contracts()->recordCount() == 1) {
        m_dmod->TBMarst->requery();
        main->PageControl1Change();
    }
}

// Puts the editor back on the contract it saved, so that its schedules and print records are
// that contract's. On a partner tab the partner list moves to the contract's partner; when the
// partner is not in that list, the contract list shows every contract.
void TFormAddCom::returnToContract(const SavedContract& saved) {
    Dataset* c = contracts();
    const QString number = QStringLiteral("合同编号");
    if (c->locate(number, saved.number))
        return;
    if (!c->masterSource() ||
        !m_dmod->TBMarst->locate(QStringLiteral("客户/供应商编号"), saved.partner) ||
        !c->locate(number, saved.number)) {
        c->clearMaster();
        c->reshow(); // every contract, from the rows in memory
        c->locate(number, saved.number);
        m_tabUnlinked = true;
    }
    if (TfrmCompactManager* main = app().frmCompactManager)
        main->setCountText(m_dmod->countText());
}

void TFormAddCom::Button3Click() {
    receivables->cancelPending();
    payables->cancelPending();
    contracts()->cancel();
    close();
}

void TFormAddCom::Button5Click() {
    close();
}

void TFormAddCom::DBComboBox1Change() {
    const QString chosen = direction();
    if (chosen == Receipt)
        Label4->setText(QStringLiteral("客    户  "));
    else if (chosen == Payment)
        Label4->setText(QStringLiteral("供 应 商  "));
    else
        Label4->setText(QStringLiteral("往来单位  "));
    if (windowTitle() == ViewCaption)
        arrangeByDirection(chosen);
}

void TFormAddCom::Button1Click() {
    const QString file = Dialogs::openFileName();
    if (file.isEmpty())
        return;
    HLLabel1->setText(file);
    runGuarded([this, &file] {
        if (!contracts()->isEditing())
            contracts()->edit();
        contracts()->fieldByName(FileField)->setValue(file);
    });
}

// A missing or invalid path fails in the shell; the program reports nothing.
void TFormAddCom::HLLabel1Click() {
    Shell::open(HLLabel1->text());
}

void TFormAddCom::Button10Click() {
    TWLDanWei* partners = app().WLDanWei;
    if (!partners)
        return;
    partners->Biaoji = true;
    Modal::exec(partners);
    // partners added or renamed there can be chosen at once
    m_partnerLink->reloadList();
}

void TFormAddCom::Button11Click() {
    TBuMenGLi* departments = app().BuMenGLi;
    if (!departments)
        return;
    departments->BMbji = true;
    Modal::exec(departments);
}

void TFormAddCom::Button14Click() {
    if (app().FKPrint)
        app().FKPrint->preview();
}

void TFormAddCom::Button15Click() {
    if (app().SKPrint)
        app().SKPrint->preview();
}

void TFormAddCom::Button16Click() {
    if (app().QTPrint)
        app().QTPrint->preview();
}

// What the register holds for the contract: a change not yet saved is not in it. A new contract
// has no history before its first save.
void TFormAddCom::Button17Click() {
    TXGJiLu* history = app().XGJiLu;
    if (!history)
        return;
    const Dataset* c = contracts();
    if (c->state() == DatasetState::Insert) {
        Dialogs::message(QStringLiteral("提示信息"),
                         QStringLiteral("合同尚未保存，还没有修改记录。"),
                         Dialogs::Icon::Information, Dialogs::Button::Ok);
        return;
    }
    history->showContract(c->value(QStringLiteral("合同编号")).toString(),
                          c->value(QStringLiteral("CompactID")));
}
