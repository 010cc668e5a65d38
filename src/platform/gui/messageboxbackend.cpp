#include "messageboxbackend.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "chinesefilecolumns.h"
#include "modal.h"

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon) {
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonPair {
    Dialogs::Button ours;
    QMessageBox::StandardButton qt;
};

constexpr ButtonPair buttonPairs[] = {
    {Dialogs::Button::Ok, QMessageBox::Ok},
    {Dialogs::Button::Yes, QMessageBox::Yes},
    {Dialogs::Button::No, QMessageBox::No},
    {Dialogs::Button::Cancel, QMessageBox::Cancel},
};

QMessageBox::StandardButton toQt(Dialogs::Button button) {
    for (const ButtonPair& pair : buttonPairs) {
        if (pair.ours == button)
            return pair.qt;
    }
    return QMessageBox::NoButton;
}

} // namespace

Dialogs::Button MessageBoxBackend::show(const Dialogs::Message& message) {
    QMessageBox::StandardButtons buttons;
    for (const ButtonPair& pair : buttonPairs) {
        if (message.buttons.testFlag(pair.ours))
            buttons |= pair.qt;
    }
    if (!buttons)
        buttons = QMessageBox::Ok;
    QMessageBox box(toQt(message.icon), message.caption, message.text, buttons,
                    QApplication::activeWindow());
    if (message.defaultButton != Dialogs::Button::None)
        box.setDefaultButton(toQt(message.defaultButton));
    Modal::exec(&box);
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const ButtonPair& pair : buttonPairs) {
        if (pair.qt == clicked)
            return pair.ours;
    }
    return Dialogs::Button::None;
}

QString MessageBoxBackend::openFileName(const QString& caption, const QString& dir,
                                        const QString& filter) {
    // Qt's own picker, in the program's language rather than the desktop's
    QFileDialog picker(QApplication::activeWindow(), caption, dir, filter);
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setFileMode(QFileDialog::ExistingFile);
    picker.setProxyModel(new ChineseFileColumns(&picker));
    if (Modal::exec(&picker) != QDialog::Accepted)
        return {};
    return picker.selectedFiles().value(0);
}

QString MessageBoxBackend::saveFileName(const QString& caption, const QString& proposed,
                                        const QString& filter) {
    QFileDialog picker(QApplication::activeWindow(), caption, QString(), filter);
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setAcceptMode(QFileDialog::AcceptSave);
    picker.setFileMode(QFileDialog::AnyFile);
    picker.setProxyModel(new ChineseFileColumns(&picker));
    picker.selectFile(proposed);
    if (Modal::exec(&picker) != QDialog::Accepted)
        return {};
    return picker.selectedFiles().value(0);
}
