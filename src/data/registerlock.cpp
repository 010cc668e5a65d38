#include "registerlock.h"

#include "platform/durablefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QByteArray bootId() {
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
}

// The process's start time in clock ticks since boot; empty when there is no such process.
QByteArray startTime(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = f.readAll();
    // the fields after the command name, which may hold spaces, from the state on
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? fields.at(19) : QByteArray();
}

struct Entry {
    QByteArray host, boot, pid, start;
};

Entry parse(const QByteArray& text) {
    Entry e;
    for (const QByteArray& line : text.split('\n')) {
        const int eq = int(line.indexOf('='));
        const QByteArray key = line.left(eq), value = line.mid(eq + 1);
        if (key == "host")
            e.host = value;
        else if (key == "boot")
            e.boot = value;
        else if (key == "pid")
            e.pid = value;
        else if (key == "start")
            e.start = value;
    }
    return e;
}

// A lock of a program that still runs; one from another machine cannot be told and counts.
bool isLive(const Entry& e) {
    if (e.host.isEmpty() || e.pid.isEmpty())
        return false; // a lock written half-way
    if (e.host != QSysInfo::machineHostName().toUtf8())
        return true;
    return e.boot == bootId() && !e.start.isEmpty() && startTime(e.pid.toLongLong()) == e.start;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Two programs starting at once take turns at the lock file.
class FolderTurn {
public:
    explicit FolderTurn(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~FolderTurn() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderTurn(const FolderTurn&) = delete;
    FolderTurn& operator=(const FolderTurn&) = delete;
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

bool write(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size() &&
           f.flush();
}

} // namespace

RegisterLock::~RegisterLock() {
    release();
}

QString RegisterLock::lockName(const QString& registerPath) {
    return registerPath + QStringLiteral(".lock");
}

QByteArray RegisterLock::identity(qint64 pid) {
    return "host=" + QSysInfo::machineHostName().toUtf8() + "\nboot=" + bootId() +
           "\npid=" + QByteArray::number(pid) + "\nstart=" + startTime(pid) + '\n';
}

bool RegisterLock::acquire(const QString& registerPath, Holder* holder) {
    release();
    const QString path = lockName(registerPath);
    FolderTurn turn(QFileInfo(path).absolutePath());
    if (!turn.valid())
        return true; // no folder, no register: the start says so itself
    const Entry found = parse(readAll(path));
    if (QFileInfo::exists(path) && isLive(found)) {
        if (holder)
            *holder = {QString::fromUtf8(found.host), found.pid.toLongLong()};
        return false;
    }
    if (!write(path, identity(::getpid())))
        return true; // a folder the program cannot write to: opening the register says why
    m_path = path;
    return true;
}

void RegisterLock::release() {
    if (m_path.isEmpty())
        return;
    FolderTurn turn(QFileInfo(m_path).absolutePath());
    if (parse(readAll(m_path)).pid == QByteArray::number(::getpid()))
        DurableFile::remove(m_path);
    m_path.clear();
}
