#include "tlogin.h"

#include "data/dataset.h"
#include "data/operatorpasswords.h"
#include "platform/dialogs.h"
#include "programexit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {
const QString OperatorName = QStringLiteral("OperatorName");
const QString OperatorID = QStringLiteral("OperatorID");
} // namespace

TLogin::TLogin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Login"));
    setWindowTitle(QStringLiteral("登录"));
    // title bar without a close box
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(buildHeader());
    layout->addWidget(buildInputs());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TLogin::buildHeader() {
    auto* band = new QWidget(this);
    band->setAutoFillBackground(true);
    QPalette white = band->palette();
    white.setColor(QPalette::Window, Qt::white);
    band->setPalette(white);
    auto* picture = new QLabel(band);
    picture->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    auto* title = new QLabel(Dialogs::programName(), band);
    QFont font = title->font();
    font.setPixelSize(16);
    font.setBold(true);
    title->setFont(font);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(12, 10, 12, 10);
    row->addWidget(picture);
    row->addWidget(title, 1);
    return band;
}

QWidget* TLogin::buildInputs() {
    auto* box = new QGroupBox(QStringLiteral("登录信息"), this);
    UserName = new QComboBox(box);
    UserName->setObjectName(QStringLiteral("UserName"));
    UserName->setEditable(false);
    UserName->setMinimumWidth(160);
    Password = new QLineEdit(box);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    UserName->setAccessibleName(QStringLiteral("用户"));
    Password->setAccessibleName(QStringLiteral("口令"));
    Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
    BtYes = new QPushButton(QStringLiteral("确定"), box);
    BtYes->setObjectName(QStringLiteral("BtYes"));
    BtYes->setDefault(true);
    BtNo = new QPushButton(QStringLiteral("退出"), box);
    BtNo->setObjectName(QStringLiteral("BtNo"));
    BtNo->setAutoDefault(false);

    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("用户："), box), 0, 0);
    grid->addWidget(UserName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("口令："), box), 1, 0);
    grid->addWidget(Password, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtYes);
    buttons->addWidget(BtNo);
    grid->addLayout(buttons, 2, 0, 1, 2);

    // the list closing up, not every arrow key among the names, moves on to the password
    UserName->view()->window()->installEventFilter(this);
    connect(BtYes, &QPushButton::clicked, this, &TLogin::BtYesClick);
    connect(BtNo, &QPushButton::clicked, this, &TLogin::BtNoClick);
    auto* frame = new QWidget(this);
    auto* margins = new QVBoxLayout(frame);
    margins->setContentsMargins(12, 6, 12, 0);
    margins->addWidget(box);
    return frame;
}

void TLogin::bindData(Database& db) {
    TBLogin = new Dataset(db, QStringLiteral("TBLogin"), this);
    TBLogin->setSql(QStringLiteral("SELECT * FROM Operator ORDER BY OperatorID"));
}

void TLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // centred on the screen, not on the main window
    adjustSize();
    move(screen()->availableGeometry().center() - rect().center());
    if (!event->spontaneous())
        FormShow();
}

bool TLogin::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched == UserName->view()->window())
        UserNameCloseUp();
    return QDialog::eventFilter(watched, event);
}

void TLogin::keyPressEvent(QKeyEvent* event) {
    // Esc is the "退出" button, not a silent close
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BtNo->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TLogin::FormShow() {
    if (!TBLogin)
        return;
    TBLogin->close();
    TBLogin->open();
    fillNames();
    UserName->setFocus();
}

// The name chosen before stays chosen when that operator is still there.
void TLogin::fillNames() {
    const QString chosen = UserName->currentText();
    UserName->clear();
    for (TBLogin->first(); !TBLogin->eof(); TBLogin->next())
        UserName->addItem(TBLogin->fieldByName(OperatorName)->asString());
    TBLogin->first();
    UserName->setCurrentIndex(chosen.isEmpty() ? -1 : UserName->findText(chosen));
}

void TLogin::UserNameCloseUp() {
    Password->setFocus();
}

void TLogin::BtYesClick() {
    const QString name = UserName->currentText();
    if (name.isEmpty() || !TBLogin)
        return;
    const bool found = TBLogin->locate(OperatorName, name);
    if (!found || !OperatorPasswords::accepts(*TBLogin, Password->text())) {
        Dialogs::plain(QStringLiteral("口令错误！"));
        return;
    }
    CurUserName = name;
    CurOperatorID = TBLogin->fieldByName(OperatorID)->value();
    // the next person at this desk, after a switch of user, must type a password of their own
    Password->clear();
    Q_EMIT loggedIn(name);
    accept();
}

void TLogin::BtNoClick() {
    ProgramExit::request();
    reject();
}

void TLogin::operatorSaved(const QVariant& id, const QString& name) {
    if (CurOperatorID.isNull() || id != CurOperatorID || name == CurUserName)
        return;
    if (UserName->currentText() == CurUserName)
        UserName->setItemText(UserName->currentIndex(), name);
    CurUserName = name;
    Q_EMIT operatorRenamed(name);
}

// By the row the login found, so that a rename keeps the rights (by the name only when the
// operator was set without a login); an operator deleted since the login has none left.
bool TLogin::operatorHasRight(const QString& right) {
    if (!TBLogin || !TBLogin->isActive())
        return false;
    const bool found = CurOperatorID.isNull()
                           ? !CurUserName.isEmpty() && TBLogin->locate(OperatorName, CurUserName)
                           : TBLogin->locate(OperatorID, CurOperatorID);
    if (!found)
        return false;
    const Field* column = TBLogin->findField(right);
    return column && column->asBoolean();
}

bool TLogin::CheckOperatorRight(const QString& right) {
    if (operatorHasRight(right))
        return true;
    Dialogs::message(QStringLiteral("信息提示"), QStringLiteral("您的权限不够，不能完成此项功能！"),
                     Dialogs::Icon::Information, Dialogs::Button::Ok);
    return false;
}
