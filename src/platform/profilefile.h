#pragma once
// A Windows profile (INI) file: "[Section]" header lines and "key=value" lines. Holds only the
// path; every read and write goes straight to the file, so a value written through one object is
// seen by the next read through any other.
#include <QString>
#include <optional>
#include <stdexcept>

class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

class ProfileFile {
public:
    explicit ProfileFile(QString path);

    const QString& path() const { return m_path; }

    // Decimal, or hexadecimal written "0x1F"/"0X1f" or "$1F"; a missing file or key, or a value
    // that is not an integer, gives defaultValue.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Written in decimal. Throws ProfileWriteError when the file cannot be written.
    void writeInteger(const QString& section, const QString& key, int value);

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Keeps every other line as it was; creates the file, section and key when missing.
    // Throws ProfileWriteError ("无法写入设置文件<full path>。") when the file cannot be written.
    void writeString(const QString& section, const QString& key, const QString& value);

    // The integer a profile value stands for, if it is one.
    static std::optional<int> parseInteger(const QString& value);

private:
    QString m_path;
};
