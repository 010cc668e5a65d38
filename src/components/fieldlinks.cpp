#include "fieldlinks.h"

#include "components/dateedit.h"
#include "data/dataset.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace Gb2312 {

int byteLength(QStringView text) {
    int n = 0;
    for (QChar c : text)
        n += c.unicode() < 0x80 ? 1 : 2;
    return n;
}

QString truncated(const QString& text, int maxBytes) {
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        n += text.at(i).unicode() < 0x80 ? 1 : 2;
        if (n > maxBytes)
            return text.left(i);
    }
    return text;
}

} // namespace Gb2312

QValidator::State Gb2312Limit::validate(QString& input, int& pos) const {
    if (Gb2312::byteLength(input) <= m_max)
        return Acceptable;
    input = Gb2312::truncated(input, m_max);
    pos = std::min(pos, int(input.size()));
    return Acceptable;
}

namespace {

// Swallows what would change a control that has no read-only mode of its own (list boxes,
// check boxes) while it is locked; moving the focus on stays possible.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget* control) : QObject(control) {
        control->installEventFilter(this);
    }
    bool blocking = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!blocking)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            return key != Qt::Key_Tab && key != Qt::Key_Backtab;
        }
        default:
            return false;
        }
    }
};

// Locked controls look read-only: the window's colour instead of the input colour.
void showLocked(QWidget* control, bool locked) {
    QPalette p = control->palette();
    const QPalette standard = QApplication::palette(control);
    p.setColor(QPalette::Base, standard.color(locked ? QPalette::Window : QPalette::Base));
    control->setPalette(p);
}

void setBlocking(QWidget* control, bool locked) {
    for (QObject* child : control->children())
        if (auto* blocker = dynamic_cast<InputBlocker*>(child))
            blocker->blocking = locked;
}

QString textOf(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

// Leaves the control alone when it already shows the text, so the caret does not jump.
void showText(QLineEdit* edit, const QString& text) {
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

// ---------------------------------------------------------------- FieldLink

FieldLink::FieldLink(Dataset* dataset, const QString& fieldName, QWidget* control)
    : QObject(control), m_dataset(dataset), m_fieldName(fieldName), m_control(control) {
    connect(dataset, &Dataset::reset, this, &FieldLink::datasetMoved);
    connect(dataset, &Dataset::currentChanged, this, &FieldLink::datasetMoved);
    connect(dataset, &Dataset::rowChanged, this, &FieldLink::datasetEdited);
    connect(dataset, &Dataset::stateChanged, this, [this] {
        if (m_dataset->isEditing())
            datasetEdited();
        else
            datasetMoved();
    });
}

Field* FieldLink::field() const {
    return m_dataset->fieldByName(m_fieldName);
}

int FieldLink::textLimit() const {
    const Field* f = field();
    return f->type() == FieldType::String ? f->size() : 0;
}

void FieldLink::setLocked(bool locked) {
    m_locked = locked;
    applyLock(locked);
    if (m_control)
        showLocked(m_control, locked);
}

void FieldLink::reportRefusal(const QString& text) const {
    Dialogs::message(QStringLiteral("提示信息"), text, Dialogs::Icon::Information,
                     Dialogs::Button::Ok);
}

// A control in a hidden window is not kept up to date: the window refreshes its links when it
// is shown, and walks through the rows stay cheap meanwhile.
bool FieldLink::isShown() const {
    return m_control && m_control->window()->isVisible();
}

void FieldLink::datasetMoved() {
    if (!m_writing && isShown())
        refresh();
}

void FieldLink::datasetEdited() {
    if (!m_writing && isShown())
        rowEdited();
}

void FieldLink::refresh() {
    const bool hasRow = m_dataset->isActive() && (m_dataset->isEditing() || !m_dataset->isEmpty());
    m_displaying = true;
    display(hasRow ? field()->value() : QVariant());
    m_displaying = false;
}

bool FieldLink::write(const QVariant& value) {
    m_writing = true;
    bool ok = true;
    try {
        if (!m_dataset->isEditing())
            m_dataset->edit();
        field()->setValue(value);
        m_error.clear();
    } catch (const DataError& e) {
        m_error = e.text();
        ok = false;
    }
    m_writing = false;
    if (ok)
        Q_EMIT edited();
    return ok;
}

// ---------------------------------------------------------------- LineEditLink

LineEditLink::LineEditLink(Dataset* dataset, const QString& fieldName, QLineEdit* edit)
    : FieldLink(dataset, fieldName, edit), m_edit(edit) {
    // Numbers take any text, so that nothing typed or pasted is dropped; the field refuses what
    // is no number, with a message, and the text stays for correction.
    if (const int limit = textLimit(); limit > 0)
        edit->setValidator(new Gb2312Limit(limit, edit));
    connect(edit, &QLineEdit::textEdited, this, &LineEditLink::textEdited);
    connect(edit, &QLineEdit::editingFinished, this, &LineEditLink::editingFinished);
    edit->installEventFilter(this);
    refresh();
}

bool LineEditLink::grouped() const {
    return field()->type() == FieldType::Currency && !m_edit->hasFocus();
}

void LineEditLink::display(const QVariant& value) {
    m_refused = false;
    const FieldType type = field()->type();
    showText(m_edit,
             grouped() ? FieldValues::displayText(type, value) : FieldValues::asText(type, value));
}

// Entering the box shows the amount as it is typed; leaving it shows it grouped again.
bool LineEditLink::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && !m_refused &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) &&
        field()->type() == FieldType::Currency && isShown())
        refresh();
    return false;
}

// Writing another field of the row leaves refused text in place for correction.
void LineEditLink::rowEdited() {
    if (!m_refused)
        refresh();
}

void LineEditLink::applyLock(bool locked) {
    m_edit->setReadOnly(locked);
}

void LineEditLink::textEdited(const QString& text) {
    m_refused = !write(text);
}

void LineEditLink::editingFinished() {
    if (m_refused)
        reportRefusal(lastError());
}

bool LineEditLink::commit() {
    if (!m_refused)
        return true;
    m_refused = !write(m_edit->text());
    if (m_refused) {
        reportRefusal(lastError());
        m_edit->setFocus();
    }
    return !m_refused;
}

// ---------------------------------------------------------------- ComboLink

ComboLink::ComboLink(Dataset* dataset, const QString& fieldName, QComboBox* box, Style style)
    : FieldLink(dataset, fieldName, box), m_box(box), m_style(style) {
    new InputBlocker(box);
    box->setEditable(style == Style::FreeText);
    if (style == Style::FreeText) {
        box->setInsertPolicy(QComboBox::NoInsert);
        if (const int limit = textLimit(); limit > 0)
            box->lineEdit()->setValidator(new Gb2312Limit(limit, box));
        connect(box->lineEdit(), &QLineEdit::textEdited, this, &ComboLink::textEdited);
    }
    connect(box, &QComboBox::activated, this, &ComboLink::chosen);
    refresh();
}

void ComboLink::display(const QVariant& value) {
    const QString text = textOf(value);
    if (m_style == Style::FreeText) {
        if (m_box->currentText() != text)
            m_box->setEditText(text);
        return;
    }
    m_box->setCurrentIndex(text.isEmpty() ? -1 : m_box->findText(text));
}

void ComboLink::applyLock(bool locked) {
    setBlocking(m_box, locked);
    if (m_box->lineEdit())
        m_box->lineEdit()->setReadOnly(locked);
}

void ComboLink::chosen(int index) {
    if (index >= 0)
        write(m_box->itemText(index));
}

void ComboLink::textEdited(const QString& text) {
    write(text);
}

// ---------------------------------------------------------------- LookupComboLink

LookupComboLink::LookupComboLink(Dataset* dataset, const QString& fieldName, QComboBox* box,
                                 Dataset* list, const QString& keyField, const QString& listField)
    : FieldLink(dataset, fieldName, box), m_box(box), m_list(list), m_keyField(keyField),
      m_listField(listField) {
    new InputBlocker(box);
    box->installEventFilter(this);
    if (box->isEditable()) {
        box->setInsertPolicy(QComboBox::NoInsert);
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this] { m_pending = true; });
    }
    connect(box, &QComboBox::activated, this, &LookupComboLink::chosen);
    connect(box, &QComboBox::currentTextChanged, this, [this] {
        if (!isDisplaying())
            m_pending = m_box->isEditable();
    });
    connect(list, &Dataset::reset, this, &LookupComboLink::listChanged);
    connect(list, &Dataset::rowChanged, this, &LookupComboLink::listChanged);
    reloadList();
}

void LookupComboLink::listChanged() {
    if (isShown())
        reloadList();
}

void LookupComboLink::reloadList() {
    const QString typed = m_box->currentText();
    const QSignalBlocker quiet(m_box);
    m_box->clear();
    if (m_list->isActive()) {
        const Field* key = m_list->fieldByName(m_keyField);
        const Field* name = m_list->fieldByName(m_listField);
        for (int i = 0; i < m_list->recordCount(); ++i)
            m_box->addItem(textOf(m_list->valueAt(i, name)), m_list->valueAt(i, key));
    }
    if (m_pending)
        m_box->setEditText(typed); // a name set or typed but not yet written survives
    else
        refresh();
}

QVariant LookupComboLink::keyForText(const QString& text) const {
    for (int i = 0; i < m_box->count(); ++i)
        if (m_box->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return m_box->itemData(i);
    return {};
}

void LookupComboLink::display(const QVariant& value) {
    m_pending = false;
    const int index = value.isNull() ? -1 : m_box->findData(value);
    m_box->setCurrentIndex(index);
    if (m_box->isEditable() && index < 0)
        m_box->setEditText(QString());
}

void LookupComboLink::applyLock(bool locked) {
    setBlocking(m_box, locked);
    if (m_box->lineEdit())
        m_box->lineEdit()->setReadOnly(locked);
}

// A name set or typed but not yet written stays while other fields of the row change.
void LookupComboLink::rowEdited() {
    if (!m_pending)
        refresh();
}

void LookupComboLink::chosen(int index) {
    if (index < 0)
        return;
    m_pending = false;
    write(m_box->itemData(index));
}

void LookupComboLink::setKeyValue(const QVariant& key) {
    m_pending = false;
    write(key);
    refresh();
}

bool LookupComboLink::commit() {
    if (!m_pending)
        return true;
    m_pending = false;
    const QString text = m_box->currentText().trimmed();
    const QVariant key = keyForText(text);
    if (text.isEmpty() || !key.isNull())
        return write(key);
    refresh(); // only listed names are taken
    return true;
}

bool LookupComboLink::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_box && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        commit();
    return false;
}

// ---------------------------------------------------------------- DateLink

DateLink::DateLink(Dataset* dataset, const QString& fieldName, DateEdit* edit)
    : FieldLink(dataset, fieldName, edit), m_edit(edit) {
    connect(edit, &DateEdit::dateEdited, this, &DateLink::dateEdited);
    connect(edit, &QLineEdit::editingFinished, this, &DateLink::editingFinished);
    refresh();
}

void DateLink::display(const QVariant& value) {
    m_edit->setDate(value.isNull() ? QDate() : value.toDateTime().date());
}

void DateLink::rowEdited() {
    if (!holdsNoDate())
        refresh();
}

void DateLink::applyLock(bool locked) {
    m_edit->setReadOnly(locked);
}

void DateLink::dateEdited() {
    write(m_edit->isBlank() ? QVariant() : QVariant(m_edit->date()));
}

bool DateLink::holdsNoDate() const {
    return !m_edit->isBlank() && !m_edit->date().isValid();
}

// Shows the stored date in full again; text that is no date stays, with a message.
void DateLink::editingFinished() {
    if (holdsNoDate())
        reportRefusal(QStringLiteral("“%1”不是有效的日期，请重新输入。").arg(m_edit->text()));
    else
        refresh();
}

bool DateLink::commit() {
    if (!holdsNoDate())
        return true;
    reportRefusal(QStringLiteral("“%1”不是有效的日期，请重新输入。").arg(m_edit->text()));
    m_edit->setFocus();
    return false;
}

// ---------------------------------------------------------------- MemoLink

MemoLink::MemoLink(Dataset* dataset, const QString& fieldName, QPlainTextEdit* memo)
    : FieldLink(dataset, fieldName, memo), m_memo(memo) {
    connect(memo, &QPlainTextEdit::textChanged, this, &MemoLink::textChanged);
    refresh();
}

void MemoLink::display(const QVariant& value) {
    const QString text = textOf(value);
    if (m_memo->toPlainText() != text)
        m_memo->setPlainText(text);
}

void MemoLink::applyLock(bool locked) {
    m_memo->setReadOnly(locked);
}

void MemoLink::textChanged() {
    if (isDisplaying())
        return;
    const int limit = textLimit();
    if (limit > 0 && Gb2312::byteLength(m_memo->toPlainText()) > limit) {
        m_memo->undo();
        return;
    }
    write(m_memo->toPlainText());
}

// ---------------------------------------------------------------- CheckLink

CheckLink::CheckLink(Dataset* dataset, const QString& fieldName, QCheckBox* box)
    : FieldLink(dataset, fieldName, box), m_box(box) {
    new InputBlocker(box);
    connect(box, &QCheckBox::clicked, this, &CheckLink::clicked);
    refresh();
}

void CheckLink::display(const QVariant& value) {
    m_box->setChecked(value.toBool());
}

void CheckLink::applyLock(bool locked) {
    setBlocking(m_box, locked);
}

void CheckLink::clicked(bool checked) {
    write(checked);
}

// ---------------------------------------------------------------- FieldLinkSet

void FieldLinkSet::setLocked(bool locked) {
    for (FieldLink* link : m_links)
        if (link)
            link->setLocked(locked);
}

void FieldLinkSet::refresh() {
    for (FieldLink* link : m_links)
        if (link)
            link->refresh();
}

bool FieldLinkSet::commit() {
    for (FieldLink* link : m_links)
        if (link && !link->commit())
            return false;
    return true;
}

FieldLink* FieldLinkSet::linkOf(const QWidget* control) const {
    for (FieldLink* link : m_links)
        if (link && link->control() == control)
            return link;
    return nullptr;
}

void FieldLinkSet::clear() {
    for (FieldLink* link : m_links)
        delete link;
    m_links.clear();
}
