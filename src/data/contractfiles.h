#pragma once
// Files kept in the register with their contract (the signed contract, scans, office files):
// a list row per file in CompactFile, the bytes in parts of their own in CompactFilePart, so
// that reading contracts or the file list never reads the bytes. Every add and every removal
// is its own transaction: it takes effect at once, whatever the contract's editor does after.
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class Database;
class QIODevice;

namespace ContractFiles {

// The largest file the register takes.
inline constexpr qint64 MaxBytes = 50LL * 1024 * 1024;

// Bytes read of a total; returning false stops the add.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// "320 字节", "97.7 KB", "12.4 MB".
QString sizeText(qint64 bytes);

// The refusal of a file larger than MaxBytes, naming it and its size.
QString tooLargeText(const QString& name, qint64 bytes);

class Store {
public:
    explicit Store(Database& db) : m_db(db) {}

    // Whether the register has the files' tables (a register that could not be upgraded may
    // lack them).
    bool available();

    // Stores source's bytes from its current position as the file name of the contract, added
    // now by addedBy. Nothing is stored when progress stops it (nullopt) or on a failure (a
    // DataError with the user's reason: too large, unreadable, refused by the register).
    std::optional<qint64> add(qint64 compactId, QIODevice& source, const QString& name,
                              const QString& addedBy, const Progress& progress = {});
    // The same for a file on the disk, under its own name.
    std::optional<qint64> addFile(qint64 compactId, const QString& path, const QString& addedBy,
                                  const Progress& progress = {});

    void remove(qint64 fileId);

    // Writes the stored bytes to target (replacing it only once they are complete and agree
    // with the size and checksum kept with them); throws DataError otherwise.
    void extract(qint64 fileId, const QString& target);

    // Deletes every file of a contract, inside the caller's transaction.
    static void removeAllOf(Database& db, const QVariant& compactId);

private:
    qint64 insertEntry(qint64 compactId, const QString& name, const QString& addedBy);
    void writeParts(qint64 fileId, QIODevice& source, const QString& name, const Progress& progress,
                    bool& stopped);

    Database& m_db;
};

} // namespace ContractFiles
