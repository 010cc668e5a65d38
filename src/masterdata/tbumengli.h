#pragma once
// The departments window: the names a contract's department takes, managed from the main window
// or picked for the contract being edited.
#include "masterdatawindow.h"

#include <QLineEdit>

class QLabel;
class LeaveWriteLink;

class TBuMenGLi : public MasterDataWindow {
    Q_OBJECT
public:
    explicit TBuMenGLi(QWidget* parent = nullptr);

    // Set while the contract editor opens the window to pick a department.
    bool BMbji = false;

    DBGrid* DBGrid1 = nullptr; // the department list, once bound
    QLabel* Label1;            // "  请输入您要添加的部门名称："
    QLineEdit* Edit1;          // the name
    QPushButton* Button1;      // 添 加
    QPushButton* Button5;      // 修 改
    QPushButton* Button2;      // 删 除
    QPushButton* Button3;      // 退 出
    QPushButton* Button4;      // 确   定
    QPushButton* Button6;      // 取    消

protected:
    void bindPanel(TDMod& dm) override;
    void confirm() override;
    bool pickMode() const override { return BMbji; }
    void pick() override;
    void appended() override;
    void editing() override;
    void cancelled() override;
    void closing() override;
    QWidget* firstBox() const override { return Edit1; }

private:
    void buildPanel();
    void nameLeft();

    LeaveWriteLink* m_nameLink = nullptr;
};
