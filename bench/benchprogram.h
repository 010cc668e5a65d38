#pragma once
// The real program in the bench process: a root holding the register at the program's own path,
// and modal windows answered by script: the login as 管理员; every other window is shown, marks
// the moment and is closed again, unless a group handles it. The reminders window marks when
// the check has decided to show it, and again once it is up.
#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <map>

class QDialog;

namespace Bench {

struct ProgramRoot {
    QTemporaryDir dir;
    // The register is linked in place, or copied when the group writes to it.
    enum class Register { Linked, Copied };
    explicit ProgramRoot(const QString& db, Register how = Register::Linked);
    QString path() const { return dir.path(); }
    QString settingsFile() const { return dir.filePath(QStringLiteral("Settings.ini")); }
};

void useRoot(const QString& root);

struct Windows {
    QElapsedTimer clock;
    qint64 decided = -1;
    qint64 shown = -1; // the reminders window up with its lists
    // Windows a group drives itself, by object name; the handler's return is the result.
    std::map<QString, std::function<int(QDialog*)>> handlers;

    Windows();
    ~Windows();
    int run(QDialog* dialog);
    double since(qint64 start, qint64 mark) const;
    double since(qint64 start) const { return since(start, decided); }
};

} // namespace Bench
