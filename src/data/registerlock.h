#pragma once
// One program per register file. A lock file beside the register names the program that has
// it open: machine, boot, process and the process's start time. A lock whose program is gone
// (no such process on this machine since this boot, or another process under its number) is
// stale and taken over. It belongs to a program's start, not to each connection, and stands
// only for the SQLite file.
#include <QString>

class RegisterLock {
public:
    struct Holder {
        QString host;
        qint64 pid = 0;
    };

    RegisterLock() = default;
    ~RegisterLock();
    RegisterLock(const RegisterLock&) = delete;
    RegisterLock& operator=(const RegisterLock&) = delete;

    // Takes the lock for the register; false, with holder filled in, while another running
    // program holds it. A register folder that does not exist needs no lock: true.
    bool acquire(const QString& registerPath, Holder* holder = nullptr);
    void release();

    static QString lockName(const QString& registerPath);
    // What a lock file of the process pid on this machine holds.
    static QByteArray identity(qint64 pid);

private:
    QString m_path;
};
