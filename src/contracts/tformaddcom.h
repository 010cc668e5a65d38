#pragma once
// The contract editor: adds, views and modifies the current contract of the data module, with
// the receivable and payable schedules on two of its tabs. Callers prepare it (prepareAdd or
// prepareView) and show it with Modal::exec; every showing starts from that preparation.
#include "components/fieldlinks.h"

#include <QDialog>
#include <QPointer>

class ContractFilesTab;
class DateEdit;
class Dataset;
class LinkLabel;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class ScheduleTab;
class TDMod;

class TFormAddCom : public QDialog {
    Q_OBJECT
public:
    static const QString AddCaption;  // "合同增加"
    static const QString ViewCaption; // "合同查看"

    explicit TFormAddCom(QWidget* parent = nullptr);
    ~TFormAddCom() override;

    // Binds the controls to the data module's contract and schedules; done on first use with
    // app().DMod when nobody called it.
    void bindData(TDMod* dmod);

    // Makes the fourteen contract controls editable and shows the file picker (add mode).
    void UnlockCompactFields();
    // Add mode: caption "合同增加", no 修改, 保存 and 取消 enabled, no state label, no schedules.
    void prepareAdd();
    // View mode: 保存 and 取消 disabled, 修改 enabled, " 浏览状态" shown.
    void prepareView(bool setCaption = true);

    // Handlers.
    void Button6Click();  // 修改
    void Button2Click();  // 保存
    void Button3Click();  // 取消
    void Button5Click();  // 退出
    void Button1Click();  // choose the contract file
    void Button10Click(); // pick or add a partner
    void Button11Click(); // pick or add a department
    void Button14Click(); // payable record
    void Button15Click(); // receivable record
    void Button16Click(); // other-contract record
    void Button17Click(); // the contract's change history
    void DBComboBox1Change();
    void HLLabel1Click();

    // Every way of closing runs FormClose first; closing never fails.
    void done(int result) override;

    // Whether a contract was saved since the window was last shown.
    bool savedWhileShown() const { return m_saved; }

    // The partner box's link, through which the partners window writes its pick.
    LookupComboLink* partnerLink() const { return m_partnerLink; }

    // Header.
    QLabel* Label20; // " 浏览状态"
    QLabel* Label21; // " 编辑状态"
    // Field block.
    QLineEdit* DBEdit1;            // "合同编号"
    QLineEdit* DBEdit2;            // "合同名称"
    QComboBox* DBComboBox1;        // "收付类型"
    QLabel* Label4;                // "往来单位"
    QComboBox* DBLookupComboBox1;  // the partner
    QPushButton* Button10;         // "添加"
    QLabel* Label24;               // "*" of the partner
    QComboBox* DBComboBox2;        // "合同类型"
    DateEdit* wwDBDateTimePicker1; // "签订日期"
    QLineEdit* DBEdit5;            // "合同金额"
    QComboBox* wwDBLookupCombo1;   // "所属部门"
    QPushButton* Button11;         // "添加"
    QLineEdit* DBEdit7;            // "责任人"
    // Tabs.
    QTabWidget* PageControl1; // "合同内容", "收款记录", "付款记录", "辅助信息"
    QPlainTextEdit* DBMemo1;  // the contract text
    ScheduleTab* receivables; // "收款记录": wwDBGrid1, Button4, Button7, Panel2, wwDBSpinEdit2
    ScheduleTab* payables;    // "付款记录": wwDBGrid2, Button8, Button9, Panel3, wwDBSpinEdit1
    QComboBox* DBComboBox4;   // "执行情况"
    DateEdit* wwDBDateTimePicker2; // "合同开始日期"
    DateEdit* wwDBDateTimePicker3; // "合同截止日期"
    DateEdit* wwDBDateTimePicker4; // "录入日期"
    QLineEdit* DBEdit8;            // "录入人"
    QLineEdit* DBEdit9;            // "修改人"
    LinkLabel* HLLabel1;           // the contract file
    ContractFilesTab* files;       // "合同附件": files kept in the register
    QPushButton* Button1;          // "..."
    // Buttons.
    QFrame* Panel1;        // the print panel
    QPushButton* Button14; // "合同档案(&P)", payable
    QPushButton* Button15; // "合同档案(&P)", receivable
    QPushButton* Button16; // "合同档案(&P)", other
    QPushButton* Button17; // "修改记录"
    QPushButton* Button6;  // "&G修改"
    QPushButton* Button2;  // "&S保存"
    QPushButton* Button3;  // "&C取消"
    QPushButton* Button5;  // "&Q退出"

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* makeHeader();
    QFrame* makeFieldBlock();
    QTabWidget* makeTabs();
    QWidget* makeExtraTab();
    QWidget* makeButtons();
    void bindLinks(TDMod* dmod);
    void ensureBound();

    void FormShow();
    void FormClose();
    void setPickButtonsVisible(bool visible);
    void setSchedulesEditable(bool editable);
    void arrangeByDirection(const QString& direction);
    void showDirectionTab(const QString& direction);
    void setBrowseState();
    struct SavedContract {
        QString number;
        QVariant partner;
        QString direction;
    };
    bool requiredFieldsFilled();
    bool contractConsistent();
    void refuse(const QString& message, QWidget* control);
    bool saveContract(SavedContract& saved);
    void updateMainWindow();
    void returnToContract(const SavedContract& saved);
    void contractDeletedElsewhere(const QVariant& key);
    void setFileLinkText();
    void showStoredFiles();
    Dataset* contracts() const;
    QString direction() const;

    QPointer<TDMod> m_dmod;
    // A save unlinked the main window's partner tab to stay on its contract; the tab is linked
    // again when the editor closes.
    bool m_tabUnlinked = false;
    bool m_saved = false;
    FieldLinkSet m_links;      // the editable set
    FieldLinkSet m_fixedLinks; // 录入人 and 修改人, never editable
    LookupComboLink* m_partnerLink = nullptr;
    LookupComboLink* m_departmentLink = nullptr;
    ComboLink* m_directionLink = nullptr;
};
