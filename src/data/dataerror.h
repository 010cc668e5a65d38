#pragma once
// The one exception type of the data layer: what the store's refusal means, which the
// save-error rules act on whatever the back end, and the text for the user.
#include <QString>
#include <stdexcept>

class DataError : public std::runtime_error {
public:
    enum class Category {
        DuplicateKey,    // a unique column would hold the same value twice
        MissingRequired, // a required column (the partner name) is empty
        Conflict,        // the row was changed or deleted by another program since it was read
        Busy,            // another program holds the register; trying again may succeed
        Full,            // the disk (or the register's size limit) has no room left
        ReadOnly,        // the register cannot be written
        Lost,            // the connection to the server broke; the next command connects again
        Other,           // anything else the store refuses, or a file that is not a register
    };

    DataError(Category category, const QString& text)
        : std::runtime_error(text.toStdString()), m_category(category), m_text(text) {}
    explicit DataError(const QString& text) : DataError(Category::Other, text) {}

    Category category() const { return m_category; }
    const QString& text() const { return m_text; }

private:
    Category m_category;
    QString m_text;
};
