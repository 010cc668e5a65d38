#pragma once
// The partners window: customers and suppliers, managed from the main window or picked for the
// contract being edited.
#include "masterdatawindow.h"

#include <QLineEdit>

#include <optional>

class QCheckBox;
class QGroupBox;

class TWLDanWei : public MasterDataWindow {
    Q_OBJECT
public:
    explicit TWLDanWei(QWidget* parent = nullptr);

    // Set while the contract editor opens the window to pick a partner.
    bool Biaoji = false;

    DBGrid* wwDBGrid1 = nullptr; // the partner list, once bound
    QLineEdit* DBEdit1;          // 往来单位编号
    QLineEdit* DBEdit2;          // 往来单位名称
    QLineEdit* DBEdit3;          // 联系人
    QLineEdit* DBEdit4;          // 联系电话
    QLineEdit* DBEdit5;          // 地址邮编
    QLineEdit* DBEdit6;          // 往来单位简称
    QGroupBox* GroupBox1;        // 供应商/客户 :
    QCheckBox* DBCheckBox1;      // 客户
    QCheckBox* DBCheckBox2;      // 供应商
    QPushButton* Button1;        // 添 加
    QPushButton* Button4;        // 修 改
    QPushButton* Button2;        // 删 除
    QPushButton* Button3;        // 退 出
    QPushButton* Button5;        // 确 定
    QPushButton* Button6;        // 取 消

protected:
    void bindPanel(TDMod& dm) override;
    void confirm() override;
    bool pickMode() const override { return Biaoji; }
    void pick() override;
    void shown() override;
    bool mayAdd() override;
    void appended() override;
    void closing() override;
    QWidget* firstBox() const override { return DBEdit1; }

private:
    void buildPanel();

    QString m_proposal; // the number 添加 proposes
};
