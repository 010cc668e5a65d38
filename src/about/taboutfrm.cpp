#include "taboutfrm.h"

#include "components/linklabel.h"
#include "platform/buildinfo.h"
#include "platform/gui/shellopen.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const QString TAboutFrm::Address = QStringLiteral("https://qintara.example.com");

namespace {
template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}
} // namespace

TAboutFrm::TAboutFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutFrm"));
    setWindowTitle(QStringLiteral("关于"));
    // a dialog border with the close box only
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    GroupBox1 = named(new QGroupBox(this), QStringLiteral("GroupBox1"));
    Image1 = named(new QLabel(GroupBox1), QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(QStringLiteral(":/icon/qintara.svg")).pixmap(64, 64));
    Image1->setAccessibleName(QStringLiteral("产品图标"));
    Label1 = named(
        new QLabel(QStringLiteral("Qintara合同管理系统  版本 ") + QLatin1String(BuildInfo::version),
                   GroupBox1),
        QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    Label1->setFont(bold);
    Label2 =
        named(new QLabel(QStringLiteral("Qintara 开发组 设计与制作，保留所有权利。"), GroupBox1),
              QStringLiteral("Label2"));
    Label3 = named(new QLabel(QStringLiteral("网址："), GroupBox1), QStringLiteral("Label3"));
    HttpLabel = named(new LinkLabel(GroupBox1), QStringLiteral("HttpLabel"));
    HttpLabel->setText(Address);
    HttpLabel->setStyleSheet(QStringLiteral("color: blue;")); // blue at all times
    HttpLabel->setAccessibleName(Address);

    auto* box = new QGridLayout(GroupBox1);
    box->setHorizontalSpacing(14);
    box->addWidget(Image1, 0, 0, 3, 1, Qt::AlignTop);
    box->addWidget(Label1, 0, 1, 1, 2);
    box->addWidget(Label2, 1, 1, 1, 2);
    box->addWidget(Label3, 2, 1);
    box->addWidget(HttpLabel, 2, 2);
    box->setColumnStretch(2, 1);

    Button1 = named(new QPushButton(QStringLiteral("确   定"), this), QStringLiteral("Button1"));
    Button1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));

    connect(Button1, &QPushButton::clicked, this, &TAboutFrm::Button1Click);
    connect(HttpLabel, &LinkLabel::clicked, this, &TAboutFrm::HttpLabelClick);
}

void TAboutFrm::Button1Click() {
    accept();
}

void TAboutFrm::HttpLabelClick() {
    Shell::open(Address);
}
