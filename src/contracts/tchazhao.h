#pragma once
// Contract search: six single-field searches and the combined query over the data module's
// TBQuery, listed in a read-only grid; a double-click opens the contract in the editor.
#include "contractsearch.h"

#include <QDialog>
#include <QPointer>
#include <array>

class DBGrid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDMod;

class TChaZhao : public QDialog {
    Q_OBJECT
public:
    explicit TChaZhao(QWidget* parent = nullptr);

    // Builds the result grid on the data module; done on first showing with app().DMod when
    // nobody called it.
    void bindData(TDMod* dmod);

    // Handlers.
    void Button1Click(); // 按合同名称查找
    void Button2Click(); // 按合同内容查找
    void Button3Click(); // 按单位名称查找
    void Button4Click(); // 按单位简称查找
    void Button5Click(); // 按所属部门查找
    void Button6Click(); // 按录入人查找
    void Button7Click(); // 组合查询
    void wwDBGrid1DblClick();

    // Every way of closing runs FormClose first; closing never fails.
    void done(int result) override;
    void setVisible(bool visible) override;

    QGroupBox* GroupBox1;      // "查找合同："
    QLineEdit* EditHeTName;    // "合同名称:"
    QLineEdit* EditHeTMemo;    // "合同内容:"
    QLineEdit* EditDanWName;   // "往来单位名称:"
    QLineEdit* EditDanWShortN; // "往来单位简称:"
    QLineEdit* EditBuMen;      // "所属部门:"
    QLineEdit* EditLuRuRen;    // "录入人:"
    QPushButton* Button1;      // "按合同名称查找"
    QPushButton* Button2;      // "按合同内容查找"
    QPushButton* Button3;      // "按单位名称查找"
    QPushButton* Button4;      // "按单位简称查找"
    QPushButton* Button5;      // "按所属部门查找"
    QPushButton* Button6;      // "按录入人查找"
    QPushButton* Button7;      // "组合查询"
    QLabel* Label7;            // "提示 ：  输入以上多个字段可以进行组合查询！"
    QLineEdit* kong;           // never shown, never written
    DBGrid* wwDBGrid1 = nullptr; // the result, hint "双击打开合同"

private:
    void addCriterion(int row, const char* label, QLineEdit*& box, const char* boxName,
                      QPushButton*& button, const char* buttonName, const char* caption);
    void ensureBound();
    void FormShow();
    void FormClose();
    void search(ContractSearch::Criterion criterion);
    void run(const ContractSearch::Statement& statement);
    void showResult();
    void setGridHeight(int height);
    bool moveContractsTo(const QVariant& contract, const QString& partner);
    TextMatch textMatch();
    std::array<QLineEdit*, ContractSearch::CriterionCount> boxes() const;
    std::array<QPushButton*, ContractSearch::CriterionCount> buttons() const;

    QPointer<TDMod> m_dmod;
};
