#pragma once
// Every modal window of the program is shown through here, so tests can act inside it.
#include <QList>
#include <QStringList>
#include <functional>

class QDialog;

namespace Modal {

using Runner = std::function<int(QDialog*)>;

// Shows the dialog modally and returns its result (QDialog::Accepted or Rejected, or the code
// given to done()).
int exec(QDialog* dialog);

// An empty runner restores the real QDialog::exec().
void setRunner(Runner runner);
Runner runner();

// For tests: each modal window shown takes the next queued action. The window is shown
// (non-modally), the action runs (clicking its buttons; it may open further modal windows, which
// take the following actions), then a window still visible is rejected. A window with no action
// left is shown and rejected. Installs itself for its lifetime.
class ScriptedModal {
public:
    using Action = std::function<void(QDialog*)>;

    ScriptedModal();
    ~ScriptedModal();
    ScriptedModal(const ScriptedModal&) = delete;
    ScriptedModal& operator=(const ScriptedModal&) = delete;

    ScriptedModal& then(Action action);
    int pending() const { return int(m_actions.size()); }

    // The object name of every window shown, or its title when it has no object name.
    QStringList seen;

private:
    int run(QDialog* dialog);

    QList<Action> m_actions;
    Runner m_previous;
};

} // namespace Modal
