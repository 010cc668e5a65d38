#include "compoundfile.h"

#include <QIODevice>
#include <QtEndian>

namespace {

constexpr quint32 FreeSector = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSector = 0xFFFFFFFD;
constexpr quint32 DifatSector = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr int EntriesPerSector = CompoundFileWriter::SectorSize / 4;
constexpr int HeaderDifatEntries = 109;

void put16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

quint32 ceilDiv(quint32 a, quint32 b) {
    return (a + b - 1) / b;
}

} // namespace

CompoundFileWriter::CompoundFileWriter(QIODevice& device, const QString& streamName)
    : m_device(device), m_name(streamName) {
    // the header's place; it is written last, when the tables' places are known
    put(QByteArray(SectorSize, '\0'));
}

void CompoundFileWriter::put(const QByteArray& bytes) {
    if (m_device.write(bytes) != bytes.size())
        throw FileWriteError(m_device.errorString());
}

void CompoundFileWriter::write(const char* data, qint64 size) {
    if (m_device.write(data, size) != size)
        throw FileWriteError(m_device.errorString());
    m_size += size;
}

void CompoundFileWriter::patch(qint64 offset, const QByteArray& bytes) {
    const qint64 end = m_device.pos();
    if (!m_device.seek(SectorSize + offset) || m_device.write(bytes) != bytes.size() ||
        !m_device.seek(end))
        throw FileWriteError(m_device.errorString());
}

void CompoundFileWriter::finish() {
    const qint64 padded = std::max<qint64>(m_size, MiniStreamCutoff);
    const qint64 padding = (padded + SectorSize - 1) / SectorSize * SectorSize - m_size;
    const qint64 streamSize = padded;
    put(QByteArray(int(padding), '\0'));
    const quint32 streamSectors = quint32((m_size + padding) / SectorSize);

    // The tables describe every sector, themselves included: settle their counts together.
    quint32 fat = 1, difat = 0;
    for (;;) {
        const quint32 total = streamSectors + fat + difat + 1;
        const quint32 needFat = ceilDiv(total, EntriesPerSector);
        const quint32 needDifat =
            needFat > HeaderDifatEntries ? ceilDiv(needFat - HeaderDifatEntries, 127) : 0;
        if (needFat == fat && needDifat == difat)
            break;
        fat = needFat;
        difat = needDifat;
    }
    const quint32 firstFat = streamSectors;
    const quint32 firstDifat = firstFat + fat;
    const quint32 directory = firstDifat + difat;

    QByteArray table(int(fat) * SectorSize, '\xFF');
    for (quint32 s = 0; s < streamSectors; ++s)
        put32(table, int(s) * 4, s + 1 == streamSectors ? EndOfChain : s + 1);
    QList<quint32> fatList;
    for (quint32 s = 0; s < fat; ++s) {
        put32(table, int(firstFat + s) * 4, FatSector);
        fatList.append(firstFat + s);
    }
    for (quint32 s = 0; s < difat; ++s)
        put32(table, int(firstDifat + s) * 4, DifatSector);
    put32(table, int(directory) * 4, EndOfChain);
    put(table);

    for (quint32 s = 0; s < difat; ++s) {
        QByteArray sector(SectorSize, '\xFF');
        for (int i = 0; i < 127; ++i) {
            const qsizetype index = HeaderDifatEntries + qsizetype(s) * 127 + i;
            if (index < fatList.size())
                put32(sector, i * 4, fatList[index]);
        }
        put32(sector, 127 * 4, s + 1 == difat ? EndOfChain : firstDifat + s + 1);
        put(sector);
    }
    put(directorySector(streamSectors == 0 ? 0 : quint32(streamSize)));

    const qint64 end = m_device.pos();
    if (!m_device.seek(0))
        throw FileWriteError(m_device.errorString());
    put(header(fat, difat ? firstDifat : EndOfChain, difat, directory, fatList));
    if (!m_device.seek(end))
        throw FileWriteError(m_device.errorString());
}

QByteArray CompoundFileWriter::header(quint32 fatSectors, quint32 firstDifat, quint32 difatSectors,
                                      quint32 directory, const QList<quint32>& fatList) const {
    QByteArray h(SectorSize, '\0');
    static const unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(signature), std::end(signature), h.begin());
    put16(h, 0x18, 0x003E); // minor version
    put16(h, 0x1A, 0x0003); // major version: 512-byte sectors
    put16(h, 0x1C, 0xFFFE); // little-endian
    put16(h, 0x1E, 9);      // sector shift
    put16(h, 0x20, 6);      // mini sector shift
    put32(h, 0x2C, fatSectors);
    put32(h, 0x30, directory);
    put32(h, 0x38, quint32(MiniStreamCutoff));
    put32(h, 0x3C, EndOfChain); // no mini FAT
    put32(h, 0x40, 0);
    put32(h, 0x44, firstDifat);
    put32(h, 0x48, difatSectors);
    for (int i = 0; i < HeaderDifatEntries; ++i)
        put32(h, 0x4C + i * 4, i < fatList.size() ? fatList[i] : FreeSector);
    return h;
}

QByteArray CompoundFileWriter::directorySector(quint32 streamSize) const {
    QByteArray d(SectorSize, '\0');
    auto entry = [&d](int index, const QString& name, quint8 type, quint32 child, quint32 start,
                      quint32 size) {
        const int at = index * 128;
        const QString n = name.left(31);
        for (int i = 0; i < n.size(); ++i)
            put16(d, at + i * 2, n.at(i).unicode());
        put16(d, at + 0x40, quint16(n.isEmpty() ? 0 : (n.size() + 1) * 2));
        d[at + 0x42] = char(type);
        d[at + 0x43] = 1; // black
        put32(d, at + 0x44, NoStream);
        put32(d, at + 0x48, NoStream);
        put32(d, at + 0x4C, child);
        put32(d, at + 0x74, start);
        put32(d, at + 0x78, size);
    };
    entry(0, QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    entry(1, m_name, 2, NoStream, streamSize ? 0 : EndOfChain, streamSize);
    entry(2, {}, 0, NoStream, 0, 0);
    entry(3, {}, 0, NoStream, 0, 0);
    return d;
}
