#pragma once
// The exit dialog: exit, switch user or cancel, recorded in CloseChoice for the main window.
#include <QDialog>

class QLabel;
class QPushButton;

class TCloseForm : public QDialog {
    Q_OBJECT
public:
    enum Choice { Exit = 0, SwitchUser = 2, Cancel = 3 };

    explicit TCloseForm(QWidget* parent = nullptr);

    // 0 at every showing; 2 after "切换用户", 3 after "取消".
    int CloseChoice = Exit;

    QLabel* Image1;
    QLabel* Image2;
    QLabel* Image3;
    QPushButton* Button1; // &Q退出
    QPushButton* Button2; // &G切换用户
    QPushButton* Button3; // &C取消

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* addChoice(int column, QLabel*& image, const QString& name, const QString& caption,
                           int iconKind);
    void Button1Click();
    void Button2Click();
    void Button3Click();
};
