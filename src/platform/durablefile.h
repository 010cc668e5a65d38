#pragma once
// File operations that never leave half a file under a name that matters: copies that report
// progress, flushes that reach the disk, renames that refuse or replace on purpose. Failures
// are thrown as FileError with a reason the user can read.
#include <QString>
#include <functional>
#include <stdexcept>

namespace DurableFile {

// Bytes done of a total; a total of 0 means "busy, amount unknown".
using Progress = std::function<void(qint64 done, qint64 total)>;

class FileError : public std::runtime_error {
public:
    FileError(const QString& path, const QString& reason)
        : std::runtime_error((path + QStringLiteral(": ") + reason).toStdString()), m_path(path),
          m_reason(reason) {}
    const QString& path() const { return m_path; }
    const QString& reason() const { return m_reason; }

private:
    QString m_path;
    QString m_reason;
};

// The user's words for a system error number.
QString reasonFor(int error);

// Copies source to a new file target (refused when target exists); flushed to the disk unless
// the caller flushes it. On failure nothing is left at target.
enum class Flush { Now, Later };
void copy(const QString& source, const QString& target, const Progress& progress = {},
          Flush flush = Flush::Now);
// Writes the file's data to the disk.
void flush(const QString& path);
// Flushes the file beside the work (reading it, say), which runs on the calling thread; the
// disk and the processor are busy at once. The work's failure comes first, then the flush's.
void flushWhile(const QString& path, const std::function<void()>& work);
void flushFolder(const QString& folder);
// Rename within one file system: refused when target exists, or replacing it in one step.
void renameNew(const QString& source, const QString& target);
void renameReplacing(const QString& source, const QString& target);
// Removes a file; true when it is gone (also when it was not there).
bool remove(const QString& path);
// The same, for a large file: its name goes at once, the space it held is given back on a
// thread of its own.
bool removeLarge(const QString& path);
// Whether the two paths name the same file (also through links).
bool sameFile(const QString& a, const QString& b);

} // namespace DurableFile
