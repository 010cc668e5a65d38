#pragma once
// The main window: toolbar, contract tabs and grids, menus and status bar. Showing it runs the
// login; closing it runs the exit dialog.
#include <QMainWindow>
#include <memory>
#include <optional>

class DBGrid;
class PartnerTab;
class ProfileFile;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTimer;
class QToolBar;
class QToolButton;
class TDMod;

class TfrmCompactManager : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmCompactManager(QWidget* parent = nullptr);
    ~TfrmCompactManager() override;

    // The creation step: false (after its message) when the program cannot go on.
    bool FormCreate();
    // Builds the grids on the data module's lists once it exists, and hooks the count text.
    void bindData(TDMod& dm);
    // Shows the window and runs the show sequence (login, count, reminder timer).
    void showWindow();

    // Re-links the contract list for the active tab (also run by the editor after a save).
    void PageControl1Change();
    // Index of the active contract tab (0: all contracts, 1: suppliers, 2: customers, 3: product
    // page).
    int activeTab() const;
    // Writes the count text into the third status panel.
    void setCountText(const QString& text);
    // Panel 2 after a login: "操作员：" and the name.
    void setOperator(const QString& name);
    // Text of status panel 1, 2 or 3.
    QString panelText(int panel) const;

    // The tick of Timer1: the one reminder check after a login.
    void Timer1Timer();

    // Settings.ini beside the program, for every reader and writer of it.
    std::unique_ptr<ProfileFile> SettingsFile;

    QToolBar* ToolBar1;
    QToolButton* SpeedButton5; // 合同增加
    QToolButton* DelCompSBtn;  // 合同删除
    QToolButton* SpeedButton8; // 合同查找
    QToolButton* SpeedButton1; // 导出到Excel
    QToolButton* SpeedButton4; // 应收款表
    QToolButton* SpeedButton6; // 应付款表
    QToolButton* SpeedButton2; // 合同提醒
    QToolButton* SpeedButton3; // 退出系统

    QTabWidget* PageControl1;
    QWidget* TabSheet1; // 全部合同
    QWidget* TabSheet2; // 按供应商分类
    QWidget* TabSheet3; // 按客户分类
    QWidget* TabSheet4; // 在线产品信息
    DBGrid* wwDBGrid1 = nullptr;
    DBGrid* DBGrid1 = nullptr;
    DBGrid* DBGrid2 = nullptr;
    DBGrid* DBGrid3 = nullptr;
    DBGrid* DBGrid4 = nullptr;
    QLineEdit* EdLookup = nullptr;
    QLineEdit* EdLookup2 = nullptr;
    QPushButton* SortBtn = nullptr;  // 开始查找
    QPushButton* SortBtn2 = nullptr; // 开始查找
    QTextBrowser* WebBrowser1;

    QAction* N6;  // 用户管理
    QAction* N7;  // 往来单位管理
    QAction* N8;  // 部门管理
    QAction* N18; // 合同修改记录
    QAction* N10; // 数据备份
    QAction* N11; // 数据恢复
    QAction* N3;  // 退出
    QAction* N17; // 使用帮助
    QAction* N5;  // 关于
    QMenu* PopupMenu1;
    QAction* N13;    // 新增记录
    QAction* N14;    // 查看修改
    QAction* N15;    // 删除记录
    QAction* Excel1; // 导出到Excel
    QAction* N16;    // 刷新记录
    QAction* N19;    // 修改记录

    QTimer* Timer1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    using Handler = void (TfrmCompactManager::*)();

    void buildToolBar();
    QToolButton* addToolButton(const QString& name, const QString& caption, int icon,
                               Handler handler);
    void buildMenus();
    QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption, Handler handler);
    void buildPages();
    QWidget* addPage(const QString& name, const QString& caption, int icon);
    void buildStatusBar();
    void buildContractGrid(TDMod& dm);
    void buildPartnerTabs(TDMod& dm);
    void tabSwitched(int index);

    // the sequences of the window's life
    void FormShow();
    bool FormCloseQuery();
    void showRegister(bool shown);
    void switchUser();
    void keepWindowState();

    // menus and toolbar: other windows
    void SpeedButton8Click();
    void SpeedButton1Click();
    void SpeedButton4Click();
    void SpeedButton6Click();
    void SpeedButton2Click();
    void N3Click();
    void N6Click();
    void N7Click();
    void N8Click();
    void N18Click();
    void N10Click();
    void N11Click();
    void N17Click();
    void N5Click();
    void TabSheet4Show();

    // the contract list commands
    void TabSheet2Hide();
    void DBGrid1CellClick();
    void SpeedButton5Click();
    void wwDBGrid1DblClik();
    void DBGrid2DblClick();
    void DelCompSBtnClick();
    void N16Click();
    std::optional<QString> proposeNumber();
    void appendContract(const QString& number);
    PartnerTab* partnerTab(int tab) const;

    TDMod* m_dm = nullptr;
    PartnerTab* m_suppliers = nullptr;
    PartnerTab* m_customers = nullptr;
    QLabel* m_panels[3];
    int m_shownTab = 0;
    bool m_everShown = false;
    Qt::WindowStates m_keptState = Qt::WindowMaximized;
};
