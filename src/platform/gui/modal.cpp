#include "modal.h"

#include "accessiblenames.h"

#include <QDialog>
#include <QPointer>

namespace {
Modal::Runner g_runner;
}

namespace Modal {

int exec(QDialog* dialog) {
    AccessibleNames::fromLabels(dialog);
    return g_runner ? g_runner(dialog) : dialog->exec();
}

void setRunner(Runner runner) {
    g_runner = std::move(runner);
}

Runner runner() {
    return g_runner;
}

ScriptedModal::ScriptedModal() : m_previous(g_runner) {
    g_runner = [this](QDialog* dialog) { return run(dialog); };
}

ScriptedModal::~ScriptedModal() {
    g_runner = m_previous;
}

ScriptedModal& ScriptedModal::then(Action action) {
    m_actions.append(std::move(action));
    return *this;
}

int ScriptedModal::run(QDialog* dialog) {
    seen.append(dialog->objectName().isEmpty() ? dialog->windowTitle() : dialog->objectName());
    // taken before the action runs, so nested windows get the actions after it
    const Action action = m_actions.isEmpty() ? Action() : m_actions.takeFirst();

    // the action may delete the window (WA_DeleteOnClose), so keep its result on the side
    QPointer<QDialog> window(dialog);
    int result = QDialog::Rejected;
    const auto finished =
        QObject::connect(dialog, &QDialog::finished, [&result](int code) { result = code; });
    const auto closeIfOpen = [&] {
        if (window && window->isVisible())
            window->reject();
        if (window) {
            QObject::disconnect(finished);
            result = window->result();
        }
    };

    dialog->setResult(QDialog::Rejected);
    dialog->show();
    if (action) {
        try {
            action(dialog);
        } catch (...) {
            closeIfOpen();
            throw;
        }
    }
    closeIfOpen();
    return result;
}

} // namespace Modal
