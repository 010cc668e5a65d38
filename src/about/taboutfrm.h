#pragma once
// The about box: the product icon, the maker's credit line and web address, and 确定.
#include <QDialog>

class LinkLabel;
class QGroupBox;
class QLabel;
class QPushButton;

class TAboutFrm : public QDialog {
    Q_OBJECT
public:
    static const QString Address; // the maker's web address

    explicit TAboutFrm(QWidget* parent = nullptr);

    void Button1Click(); // 确定
    void HttpLabelClick();

    QGroupBox* GroupBox1;
    QLabel* Image1;       // the product icon
    QLabel* Label1;       // the product's name
    QLabel* Label2;       // the credit line
    QLabel* Label3;       // "网址："
    LinkLabel* HttpLabel; // the web address
    QPushButton* Button1; // "确   定"
};
