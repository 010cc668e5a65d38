#pragma once
// The operators window: who may log in, with which password and rights.
#include "data/managerguard.h"
#include "masterdatawindow.h"

#include <QLineEdit>

class QCheckBox;
class QGroupBox;

class Tquanxfrm : public MasterDataWindow {
    Q_OBJECT
public:
    // Refused saves and deletes that would leave nobody able to open this window again.
    static inline const QString& LastManagerText = ManagerGuard::LastManagerText;

    explicit Tquanxfrm(QWidget* parent = nullptr);
    ~Tquanxfrm() override;

    DBGrid* wwDBGrid1 = nullptr; // the operator list, once bound
    QLineEdit* DBEdit1;          // 用户名称
    QLineEdit* DBEdit2;          // 用户密码
    QGroupBox* GroupBox1;        // 设置权限
    QCheckBox* DBCheckBox1;      // 增 加
    QCheckBox* DBCheckBox2;      // 删 除
    QCheckBox* DBCheckBox3;      // 修 改
    QCheckBox* DBCheckBox4;      // 网络设置
    QCheckBox* DBCheckBox5;      // 数据恢复
    QCheckBox* DBCheckBox6;      // 数据备份
    QCheckBox* DBCheckBox7;      // 用户权限设置
    QPushButton* Button1;        // 添 加
    QPushButton* Button2;        // 修 改
    QPushButton* Button3;        // 删 除
    QPushButton* Button4;        // 退 出
    QPushButton* Button5;        // 确 定
    QPushButton* Button6;        // 取 消

Q_SIGNALS:
    // After every delete question: the login dialog's operator list is repainted.
    void repaintLoginList();

protected:
    void bindPanel(TDMod& dm) override;
    void confirm() override;
    bool mayDelete() override;
    void deleteAsked() override;
    void closing() override;
    QWidget* firstBox() const override { return DBEdit1; }

private:
    void buildPanel();
    QGroupBox* buildRights(QWidget* panel);
    // True when the current row, holding the right or not as given, would leave no operator
    // with 用户权限设置 where one has it now.
    bool leavesNoManager(bool rowKeepsRight) const;
    int managers(const QVariant& exceptId) const;
};
