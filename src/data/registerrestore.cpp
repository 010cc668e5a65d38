#include "registerrestore.h"

#include "registercheck.h"
#include "serverrestore.h"
#include "settledcopy.h"
#include "tdmod.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>

using DurableFile::FileError;

namespace {

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

// Leftovers of earlier restores beside the live file, newest first (kind may end in "*" to
// take their side files too).
QFileInfoList leftovers(const QString& livePath, const QString& kind) {
    const QFileInfo live(livePath);
    return QDir(live.absolutePath())
        .entryInfoList({live.fileName() + QStringLiteral(".*.") + kind},
                       QDir::Files | QDir::Hidden | QDir::System, QDir::Time);
}

bool holdsData(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.size() > 0;
}

} // namespace

RegisterRestore::RegisterRestore(TDMod& dm, std::vector<Dataset*> alsoOnConnection)
    : m_dm(dm), m_also(std::move(alsoOnConnection)) {}

std::function<void(RegisterRestore::Step)>& RegisterRestore::testHook() {
    static std::function<void(Step)> hook;
    return hook;
}

QString RegisterRestore::asideName(const QString& livePath, const QString& token) {
    return livePath + QLatin1Char('.') + token + QStringLiteral(".aside");
}

QString RegisterRestore::incomingName(const QString& livePath, const QString& token) {
    return livePath + QLatin1Char('.') + token + QStringLiteral(".incoming");
}

void RegisterRestore::reached(Step step) {
    if (testHook())
        testHook()(step);
}

void RegisterRestore::busy() const {
    if (m_progress)
        m_progress(0, 0);
}

void RegisterRestore::run(const QString& picked, const DurableFile::Progress& progress) {
    m_progress = progress;
    if (m_dm.database().onServer())
        return runOnServer(picked);
    const QString live = QFileInfo(m_dm.database().path()).absoluteFilePath();
    if (!QFileInfo(picked).isFile())
        throw Refused(QStringLiteral("所选文件不存在"));
    if (DurableFile::sameFile(picked, live))
        throw Refused(QStringLiteral("所选文件就是正在使用的数据库"));
    // A fresh token: no name of a restore stopped earlier is ever reused.
    const QString token = QUuid::createUuid().toString(QUuid::Id128);
    const QString incoming = incomingName(live, token);
    // The copy is made and checked while the live register stays open and untouched.
    if (const QString why = SettledCopy::make(picked, incoming, progress); !why.isEmpty())
        throw Refused(why);
    try {
        reached(Step::Copied);
        DurableFile::flushWhile(incoming, [&] {
            const QString problem = RegisterCheck::problem(incoming, [this] { busy(); });
            if (!problem.isEmpty())
                throw Refused(problem);
        });
        reached(Step::Checked);
    } catch (...) {
        DurableFile::remove(incoming);
        throw;
    }
    swapIn(live, incoming, asideName(live, token), openDatasets());
}

// Only the datasets open now: the others are read from the restored register when a window
// first needs them, as after a start.
std::vector<Dataset*> RegisterRestore::openDatasets() const {
    std::vector<Dataset*> open;
    for (Dataset* ds : m_dm.restoreOrder())
        if (ds->isActive())
            open.push_back(ds);
    return open;
}

// The server swaps the register in one transaction of its own; the program's connection and
// datasets are opened again on it, as after a file's swap.
void RegisterRestore::runOnServer(const QString& picked) {
    const QString live = m_dm.database().path();
    if (Database::inTransaction(m_dm.database().connection()))
        throw Refused(QStringLiteral("数据库正在写入，请稍后再试"));
    if (const QString why = ServerRestore::run(live, picked, [this] { busy(); }); !why.isEmpty())
        throw Refused(why);
    reached(Step::Swapped);
    const std::vector<Dataset*> open = openDatasets();
    closeEverything();
    reopen(live, open);
    reached(Step::Finished);
}

// The closed register's side files would pair with the wrong file after the swap: an empty
// journal and a log index go, a journal or log still holding data refuses the restore.
void RegisterRestore::dropSideFiles(const QString& live, const std::vector<Dataset*>& order) {
    if (holdsData(live + QStringLiteral("-journal")) || holdsData(live + QStringLiteral("-wal"))) {
        reopen(live, order);
        throw Refused(QStringLiteral("正在使用的数据库还有未写完的日志文件，请重新启动程序后再试"));
    }
    if (!SettledCopy::removeSideFiles(live)) {
        reopen(live, order);
        throw FileError(live + QStringLiteral("-shm"), DurableFile::reasonFor(EACCES));
    }
}

void RegisterRestore::swapIn(const QString& live, const QString& incoming, const QString& aside,
                             const std::vector<Dataset*>& order) {
    closeEverything();
    try {
        dropSideFiles(live, order);
        reached(Step::Closed);
        // When the live file cannot be set aside it stays where it is, and nothing goes on.
        DurableFile::renameNew(live, aside);
        DurableFile::flushFolder(folderOf(live));
    } catch (const Refused&) {
        DurableFile::remove(incoming);
        throw;
    } catch (...) {
        DurableFile::remove(incoming);
        if (!m_dm.database().isOpen())
            reopen(live, order);
        throw;
    }
    try {
        reached(Step::SetAside);
        DurableFile::renameNew(incoming, live);
        DurableFile::flushFolder(folderOf(live));
        reached(Step::Swapped);
        reopen(live, order);
        reached(Step::Reopened);
    } catch (const FileError&) {
        putBack(live, incoming, aside, order);
        throw;
    } catch (const DataError& e) {
        // the copy passed the check but a dataset could not be opened on it
        putBack(live, incoming, aside, order);
        qWarning("restored register refused on opening: %s", e.what());
        throw Refused(QStringLiteral("所恢复的数据无法打开"));
    }
    DurableFile::removeLarge(aside);
    DurableFile::flushFolder(folderOf(live));
    reached(Step::Finished);
}

void RegisterRestore::putBack(const QString& live, const QString& incoming, const QString& aside,
                              const std::vector<Dataset*>& order) {
    closeEverything();
    try {
        DurableFile::renameReplacing(aside, live);
    } catch (const FileError& e) {
        throw DataError(
            QStringLiteral("无法放回原来的数据库 %1：%2。请重新启动程序。").arg(live, e.reason()));
    }
    DurableFile::remove(incoming);
    DurableFile::flushFolder(folderOf(live));
    reopen(live, order);
}

void RegisterRestore::closeEverything() {
    for (Dataset* ds : m_also)
        ds->close();
    m_dm.closeAll();
    m_dm.database().close();
}

void RegisterRestore::reopen(const QString& live, const std::vector<Dataset*>& order) {
    m_dm.database().open(live);
    // the window repaints between the datasets, which are large ones on a large register
    for (Dataset* ds : order) {
        ds->open();
        busy();
    }
    for (Dataset* ds : m_also)
        ds->open();
}

RegisterRestore::Recovered RegisterRestore::recover(const QString& livePath) {
    const QFileInfoList asides = leftovers(livePath, QStringLiteral("aside"));
    const QFileInfoList incoming = leftovers(livePath, QStringLiteral("incoming*"));
    Recovered outcome = incoming.isEmpty() ? Recovered::Nothing : Recovered::Untouched;
    if (!asides.isEmpty()) {
        // The live file is the restored copy once it is there and whole; else the newest
        // set-aside register goes back.
        const bool restored =
            QFileInfo(livePath).isFile() && RegisterCheck::problem(livePath).isEmpty();
        int from = 0;
        if (!restored) {
            try {
                SettledCopy::removeSideFiles(livePath);
                DurableFile::renameReplacing(asides.first().absoluteFilePath(), livePath);
                from = 1;
            } catch (const FileError&) {
                return Recovered::Nothing; // leave every file as it is for the next start
            }
        }
        for (int i = from; i < asides.size(); ++i)
            DurableFile::remove(asides.at(i).absoluteFilePath());
        outcome = restored ? Recovered::Restored : Recovered::PutBack;
    }
    for (const QFileInfo& file : incoming)
        DurableFile::remove(file.absoluteFilePath());
    DurableFile::flushFolder(folderOf(livePath));
    return outcome;
}
