#include "masterdatawindow.h"

#include "checkcolumndelegate.h"
#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"
#include "platform/gui/application.h"
#include "shell/appcontext.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {
const int Gap = 5;        // between the list, the panel and the bar
const int BarHeight = 30; // the button bar
const int BelowBar = 50;  // from the bar's bottom to the window's outer bottom
const int ButtonWidth = 75;
} // namespace

MasterDataWindow::MasterDataWindow(const MasterDataLook& look, QWidget* parent)
    : QDialog(parent), m_look(look) {
    setObjectName(look.objectName);
    setWindowTitle(look.caption);
    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_confirmButton = button(look.confirm, m_panel);
    m_cancelButton = button(look.cancel, m_panel);
    buildBar();
    connect(m_confirmButton, &QPushButton::clicked, this,
            [this] { runGuarded([this] { confirm(); }); });
    connect(m_cancelButton, &QPushButton::clicked, this,
            [this] { runGuarded([this] { cancelRecord(); }); });
    listLayout();
}

MasterDataWindow::~MasterDataWindow() = default;

QPushButton* MasterDataWindow::button(const MasterDataLook::ButtonLook& look, QWidget* parent) {
    auto* b = new QPushButton(look.caption, parent);
    b->setObjectName(look.name);
    b->setAutoDefault(false); // Enter in a box must not press a button
    b->setFixedWidth(ButtonWidth);
    return b;
}

QLineEdit* MasterDataWindow::textBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(caption.trimmed());
    return box;
}

void MasterDataWindow::buildBar() {
    m_bar = new QWidget(this);
    m_bar->setObjectName(QStringLiteral("Panel2"));
    m_addButton = button(m_look.add, m_bar);
    m_modifyButton = button(m_look.modify, m_bar);
    m_deleteButton = button(m_look.remove, m_bar);
    m_exitButton = button(m_look.exit, m_bar);
    auto* row = new QHBoxLayout(m_bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    for (QPushButton* b : {m_addButton, m_modifyButton, m_deleteButton, m_exitButton})
        row->addWidget(b);
    row->addStretch(1);
    auto guarded = [this](void (MasterDataWindow::*procedure)()) {
        return [this, procedure] { runGuarded([this, procedure] { (this->*procedure)(); }); };
    };
    connect(m_addButton, &QPushButton::clicked, this, guarded(&MasterDataWindow::addRecord));
    connect(m_modifyButton, &QPushButton::clicked, this, guarded(&MasterDataWindow::modifyRecord));
    connect(m_deleteButton, &QPushButton::clicked, this, guarded(&MasterDataWindow::deleteRecord));
    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);
}

void MasterDataWindow::bindData(TDMod* dm) {
    if (!dm || dm == m_dm)
        return;
    m_links.clear();
    delete m_grid;
    m_dm = dm;
    m_grid = new DBGrid(dm->*m_look.dataset, this);
    m_grid->setObjectName(m_look.gridName);
    m_grid->setAccessibleName(m_look.caption.trimmed());
    m_grid->setColumns(m_look.columns);
    // the last column takes the room left, so no title is clipped short of the edge
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setItemDelegate(new CheckColumnDelegate(m_grid->datasetModel(), m_grid));
    connect(m_grid, &DBGrid::rowDoubleClicked, this, &MasterDataWindow::rowDoubleClicked);
    bindPanel(*dm);
    arrange();
}

void MasterDataWindow::ensureBound() {
    if (app().DMod)
        bindData(app().DMod);
}

Dataset* MasterDataWindow::dataset() const {
    return m_dm ? m_dm.data()->*m_look.dataset : nullptr;
}

// ---------------------------------------------------------------- layouts

void MasterDataWindow::setEditLayout(bool edit) {
    m_editLayout = edit;
    m_panel->setVisible(edit);
    m_bar->setVisible(!edit);
    if (m_grid)
        m_grid->setEnabled(!edit);
    arrange();
}

// The panel opens below the list and the bar follows it; the window's outer height is the bar's
// bottom plus 50 pixels, so the window grows and shrinks with the panel.
void MasterDataWindow::arrange() {
    const int width = m_look.width;
    const QRect list(Gap, Gap, width - 2 * Gap, m_look.gridHeight);
    if (m_grid)
        m_grid->setGeometry(list);
    const int panelHeight = m_editLayout ? m_look.editHeight : 0;
    m_panel->setGeometry(Gap, list.bottom() + 1 + Gap, width - 2 * Gap, panelHeight);
    m_bar->setGeometry(Gap, m_panel->y() + panelHeight + Gap, width - 2 * Gap, BarHeight);
    const int frame = frameGeometry().height() - geometry().height();
    setFixedSize(width, m_bar->geometry().bottom() + 1 + BelowBar - frame);
}

void MasterDataWindow::listLayout() {
    setEditLayout(false);
    m_state = State::List;
    resume();
}

void MasterDataWindow::suspend() {
    if (m_look.suspendWhileEditing && !m_suspended && dataset()) {
        dataset()->disableControls();
        m_suspended = true;
    }
}

void MasterDataWindow::resume() {
    if (m_suspended && dataset())
        dataset()->enableControls();
    m_suspended = false;
}

// ---------------------------------------------------------------- showing and closing

void MasterDataWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void MasterDataWindow::FormShow() {
    ensureBound();
    listLayout();
    if (m_grid && !m_look.pickHint.isEmpty())
        m_grid->setToolTip(pickMode() ? m_look.pickHint : QString());
    m_links.refresh();
    runGuarded([this] { shown(); });
}

void MasterDataWindow::done(int result) {
    if (!m_closing && m_dm) {
        m_closing = true;
        runGuarded([this] { closing(); });
        m_closing = false;
    }
    QDialog::done(result);
}

void MasterDataWindow::closing() {
    cancelRecord();
}

// ---------------------------------------------------------------- commands

void MasterDataWindow::addRecord() {
    Dataset* ds = dataset();
    if (!ds || !mayAdd())
        return;
    setEditLayout(true);
    ds->append();
    m_state = State::Adding;
    appended();
    suspend();
    if (QWidget* box = firstBox())
        box->setFocus();
}

// With no rows at all, the edit starts a new row instead.
void MasterDataWindow::modifyRecord() {
    Dataset* ds = dataset();
    if (!ds)
        return;
    setEditLayout(true);
    editing();
    ds->edit();
    m_state = ds->state() == DatasetState::Insert ? State::Adding : State::Modifying;
    suspend();
    if (QWidget* box = firstBox())
        box->setFocus();
}

void MasterDataWindow::cancelRecord() {
    if (Dataset* ds = dataset()) {
        ds->cancel();
        cancelled();
    }
    listLayout();
}

// The key as stored is the edited row's own, read from the row in memory.
bool MasterDataWindow::save() {
    Dataset* ds = dataset();
    if (m_look.references.isEmpty() || ds->state() != DatasetState::Edit)
        return ds->post();
    const QVariant stored = Record(*ds, ds->currentStorageRow()).value(m_look.keyField);
    const QVariant key = ds->fieldByName(m_look.keyField)->value();
    return key == stored ? ds->post() : saveCarrying(stored, key);
}

// A contract pending in the editor (which opened this window to pick) holds the old key and
// cannot be read again, so the change waits until that contract is saved or cancelled.
bool MasterDataWindow::saveCarrying(const QVariant& from, const QVariant& to) {
    KeyReferences references(*m_dm, m_look.references);
    if (m_dm->TBCompacter->isEditing() && references.uses(from) > 0) {
        refuse(QStringLiteral("合同正在编辑，请先保存或取消该合同，再修改合同所用的%1。")
                   .arg(dataset()->fieldByName(m_look.keyField)->title()),
               nullptr);
        return false;
    }
    return references.postCarrying(*dataset(), from, to);
}

void MasterDataWindow::deleteRecord() {
    Dataset* ds = dataset();
    if (!ds || ds->isEmpty())
        return;
    if (!inUse() && mayDelete()) {
        const QString question = m_look.deleteText + QStringLiteral("\r\n") +
                                 ds->fieldByName(m_look.deleteField)->asString() +
                                 QStringLiteral("记录吗？");
        if (Dialogs::confirmDestructive(m_look.deleteCaption, question))
            runGuarded([ds] { ds->deleteRecord(); });
    }
    deleteAsked();
}

bool MasterDataWindow::inUse() {
    if (m_look.references.isEmpty())
        return false;
    const QVariant key = dataset()->fieldByName(m_look.keyField)->value();
    const int uses = KeyReferences(*m_dm, m_look.references).uses(key);
    if (uses == 0)
        return false;
    refuse(m_look.inUseText.arg(key.toString(), QString::number(uses)), nullptr);
    return true;
}

void MasterDataWindow::rowDoubleClicked(const QModelIndex& index) {
    // a double-click below the last row picks nothing
    if (pickMode() && index.isValid() && !m_editLayout && dataset() && !dataset()->isEmpty())
        runGuarded([this] { pick(); });
}

void MasterDataWindow::refuse(const QString& text, QWidget* focus) {
    Dialogs::message(QStringLiteral("信息提示"), text, Dialogs::Icon::Information,
                     Dialogs::Button::Ok);
    if (focus)
        focus->setFocus();
}

bool MasterDataWindow::refuseBlank(QLineEdit* box, const QString& text) {
    if (!box->text().trimmed().isEmpty())
        return false;
    refuse(text, box);
    return true;
}
