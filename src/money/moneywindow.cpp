#include "moneywindow.h"

#include "ageingpage.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "monthlybars.h"
#include "monthlychart.h"
#include "output/spreadsheetexport.h"
#include "platform/dialogs.h"
#include "platform/gui/modal.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"

#include <QCheckBox>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString OpenOnly = QStringLiteral("cc>0");
constexpr int AgeingTab = 3; // 账龄分析
const QString Number = QStringLiteral("合同编号");

// Tabs down the left side, 90 x 25, their captions written across as on the other windows.
class SideTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int) const override { return {90, 25}; }

    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        for (int i = 0; i < count(); ++i) {
            QStyleOptionTab tab;
            initStyleOption(&tab, i);
            painter.drawControl(QStyle::CE_TabBarTabShape, tab);
            painter.drawText(tabRect(i), Qt::AlignCenter, tabText(i));
        }
    }
};

class SidePages : public QTabWidget {
public:
    explicit SidePages(QWidget* parent) : QTabWidget(parent) {
        setTabBar(new SideTabBar(this));
        setTabPosition(QTabWidget::West);
    }
};

} // namespace

MoneyWindow::MoneyWindow(const MoneySide& side, QWidget* parent)
    : QDialog(parent), m_side(side), m_dm(app().DMod) {
    setObjectName(side.objectName);
    setWindowTitle(side.caption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    buildPages();
    layout->addWidget(ToolBar1);
    layout->addWidget(PageControl1, 1);
    setFixedSize(side.clientSize);
}

MoneyWindow::~MoneyWindow() = default;

Dataset* MoneyWindow::detail() const {
    return m_dm->*m_side.detail;
}

Dataset* MoneyWindow::summary() const {
    return m_dm->*m_side.summary;
}

void MoneyWindow::buildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    auto button = [this](const char* name, const QString& caption, QStyle::StandardPixmap icon,
                         void (MoneyWindow::*handler)()) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        ToolBar1->addWidget(b);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("导出到Excel"),
                          QStyle::SP_DialogSaveButton, &MoneyWindow::SpeedButton1Click);
    SpeedButton3 = button("SpeedButton3", QStringLiteral("刷新"), QStyle::SP_BrowserReload,
                          &MoneyWindow::SpeedButton3Click);
    SpeedButton2 = button("SpeedButton2", QStringLiteral("关闭"), QStyle::SP_DialogCloseButton,
                          &MoneyWindow::SpeedButton2Click);
    ToolBar1->addSeparator();
    showAll = new QCheckBox(m_side.checkCaption, ToolBar1);
    showAll->setObjectName(m_side.checkName);
    // its own action, so that hiding it hides it in the tool bar too
    m_showAllAction = ToolBar1->addWidget(showAll);
    connect(showAll, &QCheckBox::clicked, this, &MoneyWindow::showAllClick);
}

void MoneyWindow::buildPages() {
    PageControl1 = new SidePages(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    const QString captions[4] = {QStringLiteral("按时间"), m_side.partnerPageCaption,
                                 QStringLiteral("分析图表"), QStringLiteral("账龄分析")};
    for (int i = 0; i < 4; ++i) {
        pages[i] = new QWidget(PageControl1);
        pages[i]->setObjectName(m_side.pageNames[i]);
        auto* layout = new QVBoxLayout(pages[i]);
        layout->setContentsMargins(0, 0, 0, 0);
        PageControl1->addTab(pages[i], captions[i]);
    }

    wwDBGrid1 = new DBGrid(detail(), pages[0]);
    wwDBGrid1->setObjectName(QStringLiteral("wwDBGrid1"));
    wwDBGrid1->setAccessibleName(QStringLiteral("按时间"));
    wwDBGrid1->setToolTip(QStringLiteral("双击即可打开合同"));
    wwDBGrid1->setColumns({{m_side.dueDate, {}, m_side.dueDateWidth},
                           {m_side.dueAmount, {}, 16},
                           {m_side.settledAmount, {}, 16},
                           {Number, {}, 18},
                           {QStringLiteral("合同名称"), {}, 30},
                           {m_side.partner, {}, 30}});
    pages[0]->layout()->addWidget(wwDBGrid1);
    connect(wwDBGrid1, &DBGrid::rowDoubleClicked, this, &MoneyWindow::wwDBGrid1DblClick);

    wwDBGrid2 = new DBGrid(summary(), pages[1]);
    wwDBGrid2->setObjectName(QStringLiteral("wwDBGrid2"));
    wwDBGrid2->setAccessibleName(m_side.partnerPageCaption);
    wwDBGrid2->setColumns({{m_side.partnerNumber, m_side.partnerNumber, 18},
                           {m_side.partnerName, m_side.partnerName, 30},
                           {QStringLiteral("合同数"), QStringLiteral("合同数"), 10},
                           {m_side.dueAmount, m_side.dueAmount, 20},
                           {m_side.settledAmount, m_side.settledAmount, 20},
                           {QStringLiteral("QKuan"), QStringLiteral("欠款"), 20}});
    pages[1]->layout()->addWidget(wwDBGrid2);

    buildChart();
    pages[2]->layout()->addWidget(m_chart);
    ageing = new AgeingPage(m_side, pages[3]);
    pages[3]->layout()->addWidget(ageing);
    connect(PageControl1, &QTabWidget::currentChanged, this, &MoneyWindow::PageControl1Change);
}

void MoneyWindow::buildChart() {
    m_chart = new MonthlyChart(m_side, pages[2]);
    DBChart1 = m_chart->view;
    Series1 = m_chart->due;
    Series2 = m_chart->settled;
    chartMonths = m_chart->months;
    chartAmounts = m_chart->amounts;
}

void MoneyWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Every showing starts from the open instalments by date on the first page.
void MoneyWindow::FormShow() {
    Dataset* d = detail();
    d->setFilter(OpenOnly);
    d->setFiltered(true);
    if (showAll->isChecked()) {
        showAll->setChecked(false);
        showAllClick();
    }
    m_dm->readInstalments(d);
    TDMod::reread(summary());
    sortByDueDate();
    PageControl1->setCurrentIndex(0);
    m_showAllAction->setVisible(true);
    showAll->setVisible(true);
}

void MoneyWindow::SpeedButton1Click() {
    SpreadsheetExport::run(SpreadsheetExport::money(*m_dm, m_side));
}

void MoneyWindow::SpeedButton3Click() {
    m_dm->readInstalments(detail());
    TDMod::reread(summary());
    if (PageControl1->currentIndex() == AgeingTab)
        ageing->rebuild(*m_dm);
}

void MoneyWindow::SpeedButton2Click() {
    close();
}

// Every row of the view, or the open ones only; the summary stays as it is.
void MoneyWindow::showAllClick() {
    Dataset* d = detail();
    if (showAll->isChecked()) {
        d->setFiltered(false);
        // the open rows may be all that was read
        m_dm->readInstalments(d);
    } else {
        d->setFilter(OpenOnly);
        d->setFiltered(true);
    }
    sortByDueDate();
}

void MoneyWindow::sortByDueDate() {
    detail()->setSort(m_side.dueDate);
}

void MoneyWindow::PageControl1Change() {
    const int page = PageControl1->currentIndex();
    if (m_shownPage == 2 && page != 2)
        chartPageHide();
    m_shownPage = page;
    m_showAllAction->setVisible(page == 0);
    showAll->setVisible(page == 0);
    if (page == 2)
        chartPageShow();
    if (page == AgeingTab)
        ageing->rebuild(*m_dm);
}

void MoneyWindow::chartPageShow() {
    rebuildChart();
}

void MoneyWindow::chartPageHide() {
    if (detail()->isActive())
        detail()->first();
}

void MoneyWindow::rebuildChart() {
    m_chart->setMonths(
        monthlyBars(*detail(), m_side.dueDate, m_side.dueAmount, m_side.settledAmount));
}

void MoneyWindow::wwDBGrid1DblClick() {
    Dataset* d = detail();
    if (!d->isActive() || d->isEmpty()) {
        Dialogs::plain(m_side.emptyMessage);
        return;
    }
    TFormAddCom* editor = app().FormAddCom;
    editor->setWindowTitle(TFormAddCom::ViewCaption);
    const QString number = d->fieldByName(Number)->asString();
    Dataset* contracts = m_dm->TBCompacter;
    if (!contracts->locate(Number, number)) {
        // The main window may show one partner's contracts: look among all of them.
        TfrmCompactManager* main = app().frmCompactManager;
        if (main && main->activeTab() != 0)
            main->PageControl1->setCurrentIndex(0);
        if (!contracts->locate(Number, number)) {
            Dialogs::plain(QStringLiteral("找不到合同编号为“") + number +
                           QStringLiteral("”的合同。"));
            return;
        }
    }
    editor->prepareView();
    Modal::exec(editor);
}
