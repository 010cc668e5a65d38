#pragma once
// Field links: each binds one field of a dataset to one input control. A link shows the
// dataset's current row, writes what the user changes (putting the dataset into the edit state
// first), locks the control read-only and unlocks it, and limits text to the field's size in
// GB2312 bytes.
#include <QObject>
#include <QPointer>
#include <QValidator>
#include <QVariant>
#include <vector>

class DateEdit;
class Dataset;
class Field;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace Gb2312 {
// ASCII counts 1 byte, any other character 2.
int byteLength(QStringView text);
// The longest leading part of the text that fits.
QString truncated(const QString& text, int maxBytes);
} // namespace Gb2312

// Refuses input longer than the limit in GB2312 bytes; an overlong paste is cut to fit.
class Gb2312Limit : public QValidator {
    Q_OBJECT
public:
    Gb2312Limit(int maxBytes, QObject* parent) : QValidator(parent), m_max(maxBytes) {}
    State validate(QString& input, int& pos) const override;
    int maxBytes() const { return m_max; }

private:
    int m_max;
};

class FieldLink : public QObject {
    Q_OBJECT
public:
    FieldLink(Dataset* dataset, const QString& fieldName, QWidget* control);

    Dataset* dataset() const { return m_dataset; }
    Field* field() const;
    QWidget* control() const { return m_control; }

    void setLocked(bool locked);
    bool isLocked() const { return m_locked; }

    // Shows the current row's value (empty when there is none). Done by itself while the
    // control's window is shown; a window that is being shown calls it.
    void refresh();
    // Writes what the control shows but has not written yet (the department box writes when
    // it is left or when the row is saved). False when the field refused it: the user has
    // been told why and the box keeps what was typed.
    virtual bool commit() { return true; }

Q_SIGNALS:
    // The user changed the value and the field took it.
    void edited();

protected:
    virtual void display(const QVariant& value) = 0;
    virtual void applyLock(bool locked) = 0;
    // The same row changed or went into the edit state; another row or a saved or discarded
    // one comes through refresh().
    virtual void rowEdited() { refresh(); }
    // Puts the dataset into the edit state and stores the value; false when refused, with
    // the reason in lastError().
    bool write(const QVariant& value);
    const QString& lastError() const { return m_error; }
    // Tells the user why a value was refused; the control keeps it for correction.
    void reportRefusal(const QString& text) const;
    bool isDisplaying() const { return m_displaying; }
    bool isShown() const;
    // The field's size in bytes for text fields, else 0.
    int textLimit() const;

private:
    void datasetMoved();
    void datasetEdited();

    Dataset* m_dataset;
    QString m_fieldName;
    QPointer<QWidget> m_control;
    bool m_locked = false;
    bool m_displaying = false;
    bool m_writing = false;
    QString m_error;
};

// Text boxes. Text is written as it is typed; a value the field cannot take (a half-typed
// number) waits, and is refused with a message when the box is left or the row saved, staying
// in the box. Amounts show grouped ("1,234.50") while the box is not being edited.
class LineEditLink : public FieldLink {
    Q_OBJECT
public:
    LineEditLink(Dataset* dataset, const QString& fieldName, QLineEdit* edit);
    bool commit() override;

protected:
    void display(const QVariant& value) override;
    void applyLock(bool locked) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void rowEdited() override;

private:
    void textEdited(const QString& text);
    void editingFinished();
    bool grouped() const;

    QLineEdit* m_edit;
    bool m_refused = false;
};

// A box with fixed items: list-only (a value not in the list shows no choice) or open to free
// typing.
class ComboLink : public FieldLink {
    Q_OBJECT
public:
    enum class Style { ListOnly, FreeText };
    ComboLink(Dataset* dataset, const QString& fieldName, QComboBox* box, Style style);

protected:
    void display(const QVariant& value) override;
    void applyLock(bool locked) override;

private:
    void chosen(int index);
    void textEdited(const QString& text);

    QComboBox* m_box;
    Style m_style;
};

// A box listing the rows of another dataset: shows listField, stores its keyField. With
// keyField == listField and typing allowed it is a searchable list of names that accepts only
// listed ones; without typing the user picks from the list.
class LookupComboLink : public FieldLink {
    Q_OBJECT
public:
    LookupComboLink(Dataset* dataset, const QString& fieldName, QComboBox* box, Dataset* list,
                    const QString& keyField, const QString& listField);

    // Writes a key chosen elsewhere (the partners window's pick) and shows it.
    void setKeyValue(const QVariant& key);
    // Reads the list again from its dataset (done by itself while its window is shown).
    void reloadList();
    bool commit() override;

protected:
    void display(const QVariant& value) override;
    void applyLock(bool locked) override;
    void rowEdited() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listChanged();
    void chosen(int index);
    // The listed key for typed text, matched without regard to case; null when none.
    QVariant keyForText(const QString& text) const;

    QComboBox* m_box;
    Dataset* m_list;
    QString m_keyField;
    QString m_listField;
    bool m_pending = false; // typed or set text not yet written
};

// A date box; text that is no date is refused with a message when the box is left or the row
// saved, and stays in the box.
class DateLink : public FieldLink {
    Q_OBJECT
public:
    DateLink(Dataset* dataset, const QString& fieldName, DateEdit* edit);
    bool commit() override;

protected:
    void display(const QVariant& value) override;
    void applyLock(bool locked) override;
    void rowEdited() override;

private:
    void dateEdited();
    void editingFinished();
    bool holdsNoDate() const;

    DateEdit* m_edit;
};

class MemoLink : public FieldLink {
    Q_OBJECT
public:
    MemoLink(Dataset* dataset, const QString& fieldName, QPlainTextEdit* memo);

protected:
    void display(const QVariant& value) override;
    void applyLock(bool locked) override;

private:
    void textChanged();

    QPlainTextEdit* m_memo;
};

class CheckLink : public FieldLink {
    Q_OBJECT
public:
    CheckLink(Dataset* dataset, const QString& fieldName, QCheckBox* box);

protected:
    void display(const QVariant& value) override;
    void applyLock(bool locked) override;

private:
    void clicked(bool checked);

    QCheckBox* m_box;
};

// Links that are locked, shown and written together.
class FieldLinkSet {
public:
    template <class Link, class... Args> Link* add(Args&&... args) {
        auto* link = new Link(std::forward<Args>(args)...);
        m_links.emplace_back(link);
        return link;
    }
    void setLocked(bool locked);
    void refresh();
    // False when a control's value was refused (the first refusal stops the rest).
    bool commit();
    FieldLink* linkOf(const QWidget* control) const;
    // Deletes the links (their controls stay).
    void clear();

private:
    std::vector<QPointer<FieldLink>> m_links; // each owned by its control
};
