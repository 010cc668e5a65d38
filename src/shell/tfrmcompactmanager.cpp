#include "tfrmcompactmanager.h"

#include "contracts/nextcompactno.h"

#include "appcontext.h"
#include "components/dbgrid.h"
#include "contractcolumns.h"
#include "data/registeraddress.h"
#include "data/tdmod.h"
#include "partnertab.h"
#include "platform/dialogs.h"
#include "platform/gui/accessiblenames.h"
#include "platform/gui/modal.h"
#include "platform/paths.h"
#include "platform/profilefile.h"
#include "programexit.h"
#include "tcloseform.h"
#include "tlogin.h"

#include "money/ttix.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString OperatorPanel = QStringLiteral("操作员：");
const QString NoCount = QStringLiteral("共有    份合同");
const QString Section = QStringLiteral("Settings");

// Tabs 105 x 30, as the page control draws them; wider only where this style's padding would
// clip a caption.
class FixedTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override {
        return {std::max(105, QTabBar::tabSizeHint(index).width()), 30};
    }
};

class PageControl : public QTabWidget {
public:
    explicit PageControl(QWidget* parent) : QTabWidget(parent) {
        setTabBar(new FixedTabBar(this));
        setTabPosition(QTabWidget::South);
    }
};

QIcon standardIcon(const QWidget* w, int icon) {
    return w->style()->standardIcon(QStyle::StandardPixmap(icon));
}

} // namespace

TfrmCompactManager::TfrmCompactManager(QWidget* parent) : QMainWindow(parent) {
    Q_INIT_RESOURCE(qintara); // the product page lives in a static library
    setObjectName(QStringLiteral("frmCompactManager"));
    setWindowTitle(Dialogs::programName());
    buildToolBar();
    buildMenus();
    buildPages();
    buildStatusBar();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TfrmCompactManager::Timer1Timer);
}

TfrmCompactManager::~TfrmCompactManager() {
    if (m_dm)
        m_dm->showCountText = nullptr;
}

void TfrmCompactManager::buildToolBar() {
    ToolBar1 = addToolBar(QStringLiteral("工具栏"));
    ToolBar1->setAccessibleName(ToolBar1->windowTitle());
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    using TF = TfrmCompactManager;
    SpeedButton5 = addToolButton(QStringLiteral("SpeedButton5"), QStringLiteral("合同增加"),
                                 QStyle::SP_FileIcon, &TF::SpeedButton5Click);
    DelCompSBtn = addToolButton(QStringLiteral("DelCompSBtn"), QStringLiteral("合同删除"),
                                QStyle::SP_TrashIcon, &TF::DelCompSBtnClick);
    SpeedButton8 = addToolButton(QStringLiteral("SpeedButton8"), QStringLiteral("合同查找"),
                                 QStyle::SP_FileDialogContentsView, &TF::SpeedButton8Click);
    SpeedButton1 = addToolButton(QStringLiteral("SpeedButton1"), QStringLiteral("导出到Excel"),
                                 QStyle::SP_DialogSaveButton, &TF::SpeedButton1Click);
    SpeedButton4 = addToolButton(QStringLiteral("SpeedButton4"), QStringLiteral("应收款表"),
                                 QStyle::SP_ArrowDown, &TF::SpeedButton4Click);
    SpeedButton6 = addToolButton(QStringLiteral("SpeedButton6"), QStringLiteral("应付款表"),
                                 QStyle::SP_ArrowUp, &TF::SpeedButton6Click);
    ToolBar1->addSeparator();
    SpeedButton2 = addToolButton(QStringLiteral("SpeedButton2"), QStringLiteral("合同提醒"),
                                 QStyle::SP_MessageBoxInformation, &TF::SpeedButton2Click);
    SpeedButton3 = addToolButton(QStringLiteral("SpeedButton3"), QStringLiteral("退出系统"),
                                 QStyle::SP_DialogCloseButton, &TF::N3Click);
    ToolBar1->addSeparator();
}

QToolButton* TfrmCompactManager::addToolButton(const QString& name, const QString& caption,
                                               int icon, Handler handler) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(standardIcon(this, icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumHeight(40);
    ToolBar1->addWidget(button);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void TfrmCompactManager::buildMenus() {
    using TF = TfrmCompactManager;
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* system = menuBar()->addMenu(QStringLiteral("&S系统"));
    N6 = addMenuItem(system, QStringLiteral("N6"), QStringLiteral("用户管理"), &TF::N6Click);
    N7 = addMenuItem(system, QStringLiteral("N7"), QStringLiteral("往来单位管理"), &TF::N7Click);
    N8 = addMenuItem(system, QStringLiteral("N8"), QStringLiteral("部门管理"), &TF::N8Click);
    N18 = addMenuItem(system, QStringLiteral("N18"), QStringLiteral("合同修改记录"), &TF::N18Click);
    system->addSeparator();
    N10 = addMenuItem(system, QStringLiteral("N10"), QStringLiteral("数据备份"), &TF::N10Click);
    N11 = addMenuItem(system, QStringLiteral("N11"), QStringLiteral("数据恢复"), &TF::N11Click);
    system->addSeparator();
    N3 = addMenuItem(system, QStringLiteral("N3"), QStringLiteral("退出"), &TF::N3Click);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&F帮助"));
    N17 = addMenuItem(help, QStringLiteral("N17"), QStringLiteral("使用帮助"), &TF::N17Click);
    N5 = addMenuItem(help, QStringLiteral("N5"), QStringLiteral("关于"), &TF::N5Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N13 = addMenuItem(PopupMenu1, QStringLiteral("N13"), QStringLiteral("新增记录"),
                      &TF::SpeedButton5Click);
    N14 = addMenuItem(PopupMenu1, QStringLiteral("N14"), QStringLiteral("查看修改"),
                      &TF::wwDBGrid1DblClik);
    N15 = addMenuItem(PopupMenu1, QStringLiteral("N15"), QStringLiteral("删除记录"),
                      &TF::DelCompSBtnClick);
    Excel1 = addMenuItem(PopupMenu1, QStringLiteral("Excel1"), QStringLiteral("导出到Excel"),
                         &TF::SpeedButton1Click);
    N16 = addMenuItem(PopupMenu1, QStringLiteral("N16"), QStringLiteral("刷新记录"), &TF::N16Click);
    N19 = addMenuItem(PopupMenu1, QStringLiteral("N19"), QStringLiteral("修改记录"), &TF::N18Click);
}

QAction* TfrmCompactManager::addMenuItem(QMenu* menu, const QString& name, const QString& caption,
                                         Handler handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TfrmCompactManager::buildPages() {
    PageControl1 = new PageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = addPage(QStringLiteral("TabSheet1"), QStringLiteral("全部合同"),
                        QStyle::SP_FileDialogDetailedView);
    TabSheet2 = addPage(QStringLiteral("TabSheet2"), QStringLiteral("按供应商分类"),
                        QStyle::SP_DirOpenIcon);
    TabSheet3 =
        addPage(QStringLiteral("TabSheet3"), QStringLiteral("按客户分类"), QStyle::SP_DirHomeIcon);
    TabSheet4 = addPage(QStringLiteral("TabSheet4"), QStringLiteral("在线产品信息"),
                        QStyle::SP_DriveNetIcon);
    WebBrowser1 = new QTextBrowser(TabSheet4);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setOpenExternalLinks(true);
    TabSheet4->layout()->addWidget(WebBrowser1);
    setCentralWidget(PageControl1);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmCompactManager::tabSwitched);
}

QWidget* TfrmCompactManager::addPage(const QString& name, const QString& caption, int icon) {
    auto* page = new QWidget(PageControl1);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1->addTab(page, standardIcon(this, icon), caption);
    return page;
}

void TfrmCompactManager::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    const QString texts[3] = {QStringLiteral("Qintara合同管理系统  合同登记 · 收付款 · 提醒"),
                              OperatorPanel, NoCount};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(texts[i], statusBar());
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        if (i < 2)
            m_panels[i]->setFixedWidth(i == 0 ? 400 : 150);
        else
            m_panels[i]->setMinimumWidth(50);
        statusBar()->addWidget(m_panels[i], i == 2 ? 1 : 0);
    }
}

void TfrmCompactManager::setCountText(const QString& text) {
    m_panels[2]->setText(text);
}

void TfrmCompactManager::setOperator(const QString& name) {
    m_panels[1]->setText(OperatorPanel + name);
}

QString TfrmCompactManager::panelText(int panel) const {
    return m_panels[panel - 1]->text();
}

int TfrmCompactManager::activeTab() const {
    return PageControl1->currentIndex();
}

bool TfrmCompactManager::FormCreate() {
    if (!RegisterAddress::isServer(Paths::registerAddress()) &&
        !QFileInfo::exists(Paths::databaseFile())) {
        Dialogs::message(QStringLiteral("警告"),
                         QStringLiteral("无法连接至C:\\Zanbook\\Hestrel.mdb数据库"),
                         Dialogs::Icon::None, Dialogs::Button::Ok);
        return false;
    }
    SettingsFile = std::make_unique<ProfileFile>(Paths::settingsFile());
    if (SettingsFile->readInteger(Section, QStringLiteral("First"), 0) == 1)
        return true;
    try {
        SettingsFile->writeInteger(Section, QStringLiteral("First"), 1);
        SettingsFile->writeInteger(Section, QStringLiteral("DayTXing"), 7);
    } catch (const ProfileWriteError& e) {
        Dialogs::showError(e.text());
        return false;
    }
    return true;
}

void TfrmCompactManager::bindData(TDMod& dm) {
    m_dm = &dm;
    dm.showCountText = [this](const QString& text) { setCountText(text); };
    dm.nextNumber = NextCompactNo;
    dm.setSettingsFile(SettingsFile.get());
    buildContractGrid(dm);
    buildPartnerTabs(dm);
}

void TfrmCompactManager::buildContractGrid(TDMod& dm) {
    wwDBGrid1 = new DBGrid(dm.TBCompacter, TabSheet1);
    wwDBGrid1->setObjectName(QStringLiteral("wwDBGrid1"));
    wwDBGrid1->setColumns(contractColumns());
    wwDBGrid1->setToolTip(QStringLiteral("双击打开合同"));
    wwDBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    TabSheet1->layout()->addWidget(wwDBGrid1);
    connect(wwDBGrid1, &DBGrid::rowDoubleClicked, this, &TfrmCompactManager::wwDBGrid1DblClik);
    connect(wwDBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(wwDBGrid1->viewport()->mapToGlobal(at));
    });
}

void TfrmCompactManager::buildPartnerTabs(TDMod& dm) {
    m_suppliers = new PartnerTab(PartnerSide::suppliers(), dm, TabSheet2);
    m_customers = new PartnerTab(PartnerSide::customers(), dm, TabSheet3);
    TabSheet2->layout()->addWidget(m_suppliers);
    TabSheet3->layout()->addWidget(m_customers);
    DBGrid1 = m_suppliers->partnerGrid;
    DBGrid2 = m_suppliers->contractGrid;
    EdLookup = m_suppliers->lookupEdit;
    SortBtn = m_suppliers->lookupButton;
    DBGrid3 = m_customers->partnerGrid;
    DBGrid4 = m_customers->contractGrid;
    EdLookup2 = m_customers->lookupEdit;
    SortBtn2 = m_customers->lookupButton;
    for (PartnerTab* tab : {m_suppliers, m_customers})
        connect(tab, &PartnerTab::partnerClicked, this, &TfrmCompactManager::DBGrid1CellClick);
    connect(m_suppliers, &PartnerTab::contractDoubleClicked, this,
            &TfrmCompactManager::DBGrid2DblClick);
    connect(m_customers, &PartnerTab::contractDoubleClicked, this,
            &TfrmCompactManager::wwDBGrid1DblClik);
}

PartnerTab* TfrmCompactManager::partnerTab(int tab) const {
    return tab == 1 ? m_suppliers : tab == 2 ? m_customers : nullptr;
}

void TfrmCompactManager::showWindow() {
    AccessibleNames::fromLabels(this);
    showRegister(false);
    if (!m_everShown) {
        m_everShown = true;
        // the full screen also where no window manager maximises
        setGeometry(screen()->availableGeometry());
        showMaximized();
    } else {
        show();
        keepWindowState();
    }
    FormShow();
}

void TfrmCompactManager::FormShow() {
    Modal::exec(app().Login);
    if (ProgramExit::requested())
        return;
    setCountText(m_dm->countText());
    m_dm->TBCompacter->setSort(QStringLiteral("合同编号"));
    if (panelText(2) == OperatorPanel) {
        // nobody has logged in since the start
        ProgramExit::request();
        return;
    }
    showRegister(true);
    keepWindowState();
    Timer1->start();
}

// Behind the login dialog the window shows no contract, partner or count.
void TfrmCompactManager::showRegister(bool shown) {
    PageControl1->setVisible(shown);
    if (!shown)
        setCountText(NoCount);
}

// Hidden and shown again for a switch of user, the window comes back as the user left it,
// also where the window manager forgot the maximised state of the hidden window.
void TfrmCompactManager::switchUser() {
    m_keptState = windowState();
    hide();
    showWindow();
}

void TfrmCompactManager::keepWindowState() {
    if (isVisible() && windowState() != m_keptState)
        setWindowState(m_keptState);
}

void TfrmCompactManager::Timer1Timer() {
    Timer1->stop();
    app().TiX->autoCheck();
}

void TfrmCompactManager::closeEvent(QCloseEvent* event) {
    if (ProgramExit::requested() || FormCloseQuery()) {
        event->accept();
        ProgramExit::request();
    } else {
        event->ignore();
    }
}

bool TfrmCompactManager::FormCloseQuery() {
    TCloseForm* dialog = app().CloseForm;
    Modal::exec(dialog);
    switch (dialog->CloseChoice) {
    case TCloseForm::Cancel:
        return false;
    case TCloseForm::SwitchUser:
        switchUser();
        return false;
    default:
        return true;
    }
}
