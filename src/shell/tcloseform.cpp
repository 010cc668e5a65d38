#include "tcloseform.h"

#include "appcontext.h"
#include "data/tdmod.h"
#include "programexit.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

TCloseForm::TCloseForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CloseForm"));
    setWindowTitle(QStringLiteral("退出系统"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(24);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Button1 = addChoice(0, Image1, QStringLiteral("1"), QStringLiteral("&Q退出"),
                        QStyle::SP_DialogCloseButton);
    Button2 = addChoice(1, Image2, QStringLiteral("2"), QStringLiteral("&G切换用户"),
                        QStyle::SP_BrowserReload);
    Button3 = addChoice(2, Image3, QStringLiteral("3"), QStringLiteral("&C取消"),
                        QStyle::SP_DialogCancelButton);
    connect(Button1, &QPushButton::clicked, this, &TCloseForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TCloseForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TCloseForm::Button3Click);
}

// A picture with its flat button under it; a click on the picture clicks the button.
QPushButton* TCloseForm::addChoice(int column, QLabel*& image, const QString& name,
                                   const QString& caption, int iconKind) {
    image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image") + name);
    image->setFixedSize(53, 53);
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(style()->standardIcon(QStyle::StandardPixmap(iconKind)).pixmap(48, 48));
    image->setCursor(Qt::PointingHandCursor);
    image->installEventFilter(this);
    // a click on the picture chooses, so it is read as the choice: "&Q退出" reads "退出"
    image->setAccessibleName(caption.mid(2));
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QStringLiteral("Button") + name);
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    auto* grid = static_cast<QGridLayout*>(layout());
    grid->addWidget(image, 0, column, Qt::AlignHCenter);
    grid->addWidget(button, 1, column, Qt::AlignHCenter);
    return button;
}

bool TCloseForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (auto [image, button] :
             {std::pair{Image1, Button1}, {Image2, Button2}, {Image3, Button3}})
            if (watched == image) {
                button->click();
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

void TCloseForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        CloseChoice = Exit;
}

void TCloseForm::keyPressEvent(QKeyEvent* event) {
    // no default and no cancel button: Enter and Esc do nothing
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TCloseForm::Button1Click() {
    if (TDMod* dm = app().DMod; dm && dm->TBCompacter->isActive()) {
        dm->TBCompacter->close();
        dm->database().close();
    }
    ProgramExit::request();
    reject();
}

void TCloseForm::Button2Click() {
    CloseChoice = SwitchUser;
    accept();
}

void TCloseForm::Button3Click() {
    CloseChoice = Cancel;
    accept();
}
