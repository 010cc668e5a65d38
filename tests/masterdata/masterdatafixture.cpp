#include "masterdatafixture.h"

#include "common/userinput.h"

#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "shell/tfrmcompactmanager.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

void MasterDataFixture::inNewContract(const Steps<TFormAddCom>& steps) {
    modal.then([steps](QDialog* dialog) {
        activate(dialog);
        steps(*static_cast<TFormAddCom*>(dialog));
    });
    click(main().SpeedButton5);
}

void MasterDataFixture::activate(QWidget* window) {
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("%s did not become the active window", qPrintable(window->objectName()));
}

void MasterDataFixture::type(QWidget* box, const QString& text) {
    UserInput::type(box, text);
}

void MasterDataFixture::erase(QWidget* box) {
    type(box, QString());
}

// A check box takes the click on its box, wherever its layout stretched it.
void MasterDataFixture::click(QWidget* widget) {
    if (qobject_cast<QCheckBox*>(widget))
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, widget->height() / 2));
    else
        QTest::mouseClick(widget, Qt::LeftButton);
}

void MasterDataFixture::doubleClickRow(DBGrid* grid, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

QStringList MasterDataFixture::column(DBGrid* grid, int column) {
    QStringList texts;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        texts << grid->model()->index(r, column).data().toString();
    return texts;
}
