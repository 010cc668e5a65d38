#include "scheduletab.h"

#include "components/dbgrid.h"
#include "components/footer.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"
#include "platform/gui/application.h"
#include "scheduledelegate.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

const ScheduleSide& ScheduleSide::receivable() {
    static const ScheduleSide side{.caption = QStringLiteral("收款记录"),
                                   .due = QStringLiteral("应收"),
                                   .settled = QStringLiteral("实收"),
                                   .addAmounts = QStringLiteral("添加应收金额"),
                                   .gridName = QStringLiteral("wwDBGrid1"),
                                   .addName = QStringLiteral("Button4"),
                                   .deleteName = QStringLiteral("Button7"),
                                   .panelName = QStringLiteral("Panel2"),
                                   .percentName = QStringLiteral("wwDBSpinEdit2"),
                                   .clampPercent = false,
                                   .dataset = &TDMod::TBSKJiLu,
                                   .totalsHook = &TDMod::receivableTotals,
                                   .percentHook = &TDMod::receivablePercent};
    return side;
}

const ScheduleSide& ScheduleSide::payable() {
    static const ScheduleSide side{.caption = QStringLiteral("付款记录"),
                                   .due = QStringLiteral("应付"),
                                   .settled = QStringLiteral("实付"),
                                   .addAmounts = QStringLiteral("添加应付金额"),
                                   .gridName = QStringLiteral("wwDBGrid2"),
                                   .addName = QStringLiteral("Button8"),
                                   .deleteName = QStringLiteral("Button9"),
                                   .panelName = QStringLiteral("Panel3"),
                                   .percentName = QStringLiteral("wwDBSpinEdit1"),
                                   .clampPercent = true,
                                   .dataset = &TDMod::TBFKJiLu,
                                   .totalsHook = &TDMod::payableTotals,
                                   .percentHook = &TDMod::payablePercent};
    return side;
}

PercentSpinBox::PercentSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
    setDecimals(2);
    setRange(-1e9, 1e9); // held to a range, if at all, only when the input is left
    setSingleStep(ScheduleTab::PercentStep);
    setValue(ScheduleTab::StartPercent);
}

QString PercentSpinBox::textFromValue(double value) const {
    return locale().toString(value, 'g', 12);
}

namespace {

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// The row indicator left of the grid: an arrow on the current row, "I" while it is edited,
// "*" for a new row.
class RowIndicator : public QHeaderView {
public:
    explicit RowIndicator(DBGrid* grid) : QHeaderView(Qt::Vertical, grid), m_grid(grid) {
        setSectionResizeMode(QHeaderView::Fixed);
        setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
        const auto redraw = [this] { viewport()->update(); };
        connect(grid->dataset(), &Dataset::stateChanged, this, redraw);
        connect(grid->dataset(), &Dataset::currentChanged, this, redraw);
    }

    QSize sizeHint() const override { return {14, QHeaderView::sizeHint().height()}; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        const Dataset* ds = m_grid->dataset();
        if (logicalIndex != ds->recNo() - 1 || ds->isEmpty())
            return;
        painter->save();
        painter->setClipRect(rect); // the section painting leaves an empty clip behind
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->setBrush(palette().color(QPalette::ButtonText));
        const QPoint c = rect.center();
        if (ds->state() == DatasetState::Browse)
            painter->drawPolygon(
                QPolygon({c + QPoint(-3, -4), c + QPoint(-3, 4), c + QPoint(2, 0)}));
        else
            painter->drawText(rect, Qt::AlignCenter,
                              ds->state() == DatasetState::Insert ? QStringLiteral("*")
                                                                  : QStringLiteral("I"));
        painter->restore();
    }

private:
    DBGrid* m_grid;
};

} // namespace

ScheduleTab::ScheduleTab(const ScheduleSide& side, QWidget* parent)
    : QWidget(parent), m_side(side) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    m_gridArea = new QVBoxLayout;
    m_gridArea->setSpacing(0);
    layout->addLayout(m_gridArea, 1);

    auto* row = new QHBoxLayout;
    panel = makePanel();
    addButton = button(QStringLiteral("添加记录"), side.addName, this);
    deleteButton = button(QStringLiteral("删除记录"), side.deleteName, this);
    row->addWidget(panel);
    row->addStretch(1);
    row->addWidget(addButton);
    row->addWidget(deleteButton);
    layout->addLayout(row);

    connect(addButton, &QPushButton::clicked, this, &ScheduleTab::addClick);
    connect(deleteButton, &QPushButton::clicked, this, &ScheduleTab::deleteClick);
    if (side.clampPercent)
        connect(percentInput, &QDoubleSpinBox::editingFinished, this,
                &ScheduleTab::clampPercentage);
    setEditable(false);
}

ScheduleTab::~ScheduleTab() {
    unbind();
}

QFrame* ScheduleTab::makePanel() {
    auto* frame = new QFrame(this);
    frame->setObjectName(m_side.panelName);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    percentInput = new PercentSpinBox(frame);
    percentInput->setObjectName(m_side.percentName);
    percentInput->setAccessibleName(QStringLiteral("按合同金额的百分比"));
    percentInput->setMinimumWidth(60);
    layout->addWidget(new QLabel(QStringLiteral("按合同金额的"), frame));
    layout->addWidget(percentInput);
    layout->addWidget(new QLabel(QStringLiteral("%"), frame));
    layout->addWidget(new QLabel(m_side.addAmounts, frame));
    return frame;
}

Dataset* ScheduleTab::dataset() const {
    return m_dmod ? m_dmod.data()->*m_side.dataset : nullptr;
}

void ScheduleTab::bind(TDMod* dmod) {
    unbind();
    m_dmod = dmod;
    grid = new DBGrid(dataset(), this);
    grid->setObjectName(m_side.gridName);
    grid->setAccessibleName(m_side.caption);
    const QString& due = m_side.due;
    const QString& settled = m_side.settled;
    grid->setColumns({{due + QStringLiteral("日期"), {}, 18},
                      {m_side.dueAmount(), {}, 20},
                      {m_side.settledAmount(), {}, 20},
                      {settled + QStringLiteral("日期"), {}, 18},
                      {QStringLiteral("发票额"), {}, 20},
                      {QStringLiteral("备注"), {}, 40},
                      {QStringLiteral("c1"), QStringLiteral("凭证号"), 20}});
    grid->setItemDelegate(new ScheduleDelegate(grid));
    grid->setVerticalHeader(new RowIndicator(grid));
    grid->installEventFilter(this);
    connect(grid, &DBGrid::keyPressed, this, &ScheduleTab::gridKey);
    footer = new GridFooter(grid, this);
    footer->setObjectName(m_side.gridName + QStringLiteral("Footer"));
    m_gridArea->addWidget(grid, 1);
    m_gridArea->addWidget(footer);
    dmod->*m_side.totalsHook = [this] { computeTotals(); };
    dmod->*m_side.percentHook = [this] { return percent(); };
    setEditable(m_editable);
    computeTotals();
}

// Leaves the data module without hooks into a tab that is going away or rebinding.
void ScheduleTab::unbind() {
    if (m_dmod) {
        m_dmod.data()->*m_side.totalsHook = nullptr;
        m_dmod.data()->*m_side.percentHook = nullptr;
    }
    delete footer;
    delete grid;
    footer = nullptr;
    grid = nullptr;
    m_dmod = nullptr;
}

void ScheduleTab::setEditable(bool editable) {
    m_editable = editable;
    if (grid)
        grid->setEditable(editable);
    addButton->setEnabled(editable);
    deleteButton->setEnabled(editable);
    panel->setVisible(editable);
}

int ScheduleTab::columnOf(const QString& fieldName) const {
    const DatasetModel* model = grid->datasetModel();
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->fieldAt(c)->name() == fieldName)
            return c;
    return -1;
}

QString ScheduleTab::totalText(const QString& fieldName) const {
    return footer ? footer->text(columnOf(fieldName)) : QString();
}

void ScheduleTab::computeTotals() {
    Dataset* ds = dataset();
    if (!ds)
        return;
    const QString names[] = {m_side.dueAmount(), m_side.settledAmount(), QStringLiteral("发票额")};
    Currency::Sum sums[3];
    if (ds->isActive()) {
        ds->disableControls();
        try {
            for (ds->first(); !ds->eof(); ds->next())
                for (int i = 0; i < 3; ++i)
                    sums[i] += ds->fieldByName(names[i])->asCurrency();
        } catch (...) {
            ds->enableControls();
            throw;
        }
        ds->enableControls();
    }
    for (int i = 0; i < 3; ++i)
        footer->setText(columnOf(names[i]), sums[i].formatYuan());
}

void ScheduleTab::cancelPending() {
    if (Dataset* ds = dataset(); ds && ds->isEditing())
        ds->cancel();
}

bool ScheduleTab::postPending() {
    Dataset* ds = dataset();
    if (!ds || !ds->isEditing())
        return true;
    bool saved = false;
    runGuarded([ds, &saved] { saved = ds->post(); });
    return saved;
}

// The share is worked out before the row is added, so that an amount out of range adds
// nothing.
void ScheduleTab::addClick() {
    runGuarded([this] {
        Dataset* ds = dataset();
        const Field* amount = m_dmod->TBCompacter->fieldByName(QStringLiteral("合同金额"));
        std::optional<Currency> share;
        if (!amount->isNull())
            share = Currency::fromDouble(percent() / 100.0 * amount->asFloat());
        ds->append();
        if (share)
            ds->fieldByName(m_side.dueAmount())->setValue(QVariant::fromValue(*share));
        ds->post();
    });
}

// A failed delete, such as on an empty schedule, is not reported.
void ScheduleTab::deleteClick() {
    try {
        dataset()->deleteRecord();
    } catch (const DataError&) {
    }
}

void ScheduleTab::gridKey(QKeyEvent* event, bool* handled) {
    Dataset* ds = dataset();
    if (event->key() == Qt::Key_Escape && ds->isEditing()) {
        ds->cancel();
        *handled = true;
    } else if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier) &&
               m_editable) {
        *handled = true;
        if (ds->isEmpty())
            return;
        if (Dialogs::confirmDestructive(QStringLiteral("确认"), QStringLiteral("删除记录吗？")))
            runGuarded([ds] { ds->deleteRecord(); });
    }
}

void ScheduleTab::clampPercentage() {
    percentInput->setValue(std::clamp(percentInput->value(), 0.0, 100.0));
}

// A new row the user never touched goes when the focus leaves the grid.
bool ScheduleTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid && event->type() == QEvent::FocusOut) {
        Dataset* ds = dataset();
        QWidget* now = QApplication::focusWidget();
        if (ds->state() == DatasetState::Insert && !ds->isModified() &&
            !(now && grid->isAncestorOf(now)))
            ds->cancel();
    }
    return QWidget::eventFilter(watched, event);
}
