#pragma once
// A compound file (the container of .xls workbooks) holding one stream, written front to back
// into a device: the stream's sectors first, then the allocation tables and the directory, and
// the header last. Bytes of the stream already written can be patched until it is finished.
#include <QByteArray>
#include <QString>
#include <stdexcept>

class QIODevice;

// A failure to write a file; the text is for the user.
class FileWriteError : public std::runtime_error {
public:
    explicit FileWriteError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

class CompoundFileWriter {
public:
    // The device must be open for writing and seekable, and stay empty until finish().
    CompoundFileWriter(QIODevice& device, const QString& streamName);

    void write(const char* data, qint64 size);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    qint64 streamSize() const { return m_size; }
    // Overwrites bytes of the stream at an offset below streamSize().
    void patch(qint64 offset, const QByteArray& bytes);
    // Writes the tables, the directory and the header.
    void finish();

    static constexpr int SectorSize = 512;
    // Streams below this size would belong in the mini stream; ours are padded up to it.
    static constexpr qint64 MiniStreamCutoff = 4096;

private:
    void put(const QByteArray& bytes);
    QByteArray header(quint32 fatSectors, quint32 firstDifat, quint32 difatSectors,
                      quint32 directory, const QList<quint32>& fatSectorList) const;
    QByteArray directorySector(quint32 streamSectors) const;

    QIODevice& m_device;
    QString m_name;
    qint64 m_size = 0;
};
