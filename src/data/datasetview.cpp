// Which stored rows a dataset shows and in what order (filter, sort, master link), and the
// cursor over them.
#include "dataset.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

int compareValues(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return int(b.isNull()) - int(a.isNull());
    const QPartialOrdering o = QVariant::compare(a, b);
    if (o == QPartialOrdering::Less)
        return -1;
    if (o == QPartialOrdering::Greater)
        return 1;
    return 0;
}

// Wildcard match for partial-key locates: "*" stands for any run of characters.
bool matchesLeading(const QString& text, const QString& pattern, Qt::CaseSensitivity cs) {
    if (!pattern.contains(u'*'))
        return text.startsWith(pattern, cs);
    QString rx = QRegularExpression::escape(pattern);
    rx.replace(QStringLiteral("\\*"), QStringLiteral(".*"));
    QRegularExpression re(u'^' + rx, cs == Qt::CaseInsensitive
                                         ? QRegularExpression::CaseInsensitiveOption
                                         : QRegularExpression::NoPatternOption);
    return re.match(text).hasMatch();
}

} // namespace

// ---------------------------------------------------------------- rows shown

bool Dataset::acceptRow(int storageRow) const {
    if (!m_filtered)
        return true;
    if (!m_filter.isEmpty() &&
        !m_filter.accepts(Record(*this, storageRow).value(m_filter.column())))
        return false;
    return !onFilterRecord || onFilterRecord(Record(*this, storageRow));
}

// A held dataset's master link as detail columns and the values they must hold; empty when
// the link leaves nothing to compare (no master). False when no row can match.
bool Dataset::linkTest(std::vector<std::pair<int, QVariant>>& test) const {
    test.clear();
    if (!m_held || !m_master)
        return true;
    for (size_t i = 0; i < size_t(m_detailFields.size()) && i < m_masterKey.size(); ++i) {
        const int c = columnIndex(m_detailFields[int(i)]);
        if (c < 0 || m_masterKey[i].isNull())
            return false;
        test.emplace_back(c, FieldValues::normalize(m_columns[size_t(c)].type(), m_masterKey[i],
                                                    m_detailFields[int(i)]));
    }
    return true;
}

bool Dataset::passesLink(int storageRow, const std::vector<std::pair<int, QVariant>>& test) const {
    for (const auto& [column, value] : test)
        if (columnValue(storageRow, column) != value)
            return false;
    return true;
}

void Dataset::rebuildView() {
    m_view.clear();
    if (m_filtered && onFilterStart)
        onFilterStart(*this);
    std::vector<std::pair<int, QVariant>> link;
    if (!linkTest(link))
        return;
    auto shown = [&](int r) { return passesLink(r, link) && acceptRow(r); };
    const int column = orderColumn();
    if (m_held && column >= 0) {
        for (int r : m_orders.order(m_columns, column))
            if (shown(r))
                m_view.push_back(r);
        return;
    }
    const int rows = m_columns.empty() ? 0 : int(m_columns.front().size());
    m_view.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r)
        if (shown(r))
            m_view.push_back(r);
    sortView();
}

// The stored column that orders the rows, or -1 (no order, or a field that is not stored).
int Dataset::orderColumn() const {
    const QString order = m_sort.isEmpty() ? m_indexFieldNames : m_sort;
    if (order.isEmpty())
        return -1;
    const Field* field = findField(order);
    return field && field->kind() == Field::Kind::Stored ? field->m_column : columnIndex(order);
}

void Dataset::sortView() {
    const QString order = m_sort.isEmpty() ? m_indexFieldNames : m_sort;
    if (order.isEmpty())
        return;
    const Field* field = findField(order);
    if (const int column = orderColumn(); column >= 0) {
        m_columns[size_t(column)].sortRows(m_view);
    } else if (field) {
        std::stable_sort(m_view.begin(), m_view.end(), [this, field](int a, int b) {
            return compareValues(rowValue(a, field), rowValue(b, field)) < 0;
        });
    }
}

void Dataset::setFilter(const QString& filter) {
    m_filter = RowFilter::parse(filter, m_name);
    m_filterText = filter;
    if (m_filtered && isActive())
        reapplyView(false);
}

void Dataset::setFiltered(bool on) {
    if (m_filtered == on)
        return;
    m_filtered = on;
    // A filter switched on stands on the first accepted row, as a re-read does.
    if (isActive())
        reapplyView(on);
}

void Dataset::setSort(const QString& fieldName) {
    m_sort = fieldName;
    if (isActive())
        reapplyView(false);
}

void Dataset::setIndexFieldNames(const QString& fieldName) {
    m_indexFieldNames = fieldName;
}

void Dataset::reapplyView(bool toFirst) {
    if (!checkBrowseMode())
        return;
    const int row = currentStorageRow();
    rebuildView();
    auto it = std::find(m_view.begin(), m_view.end(), row);
    m_pos = (!toFirst && it != m_view.end()) ? int(it - m_view.begin()) : (m_view.empty() ? -1 : 0);
    m_bof = m_pos <= 0;
    m_eof = m_view.empty();
    notifyReset();
    notifyCurrent();
}

int Dataset::findKey(const QVariant& key) const {
    if (m_keyIndex < 0)
        return -1;
    for (size_t p = 0; p < m_view.size(); ++p)
        if (keyValueAt(m_view[p]) == key)
            return int(p);
    return -1;
}

// ---------------------------------------------------------------- cursor

int Dataset::recNo() const {
    if (m_state == DatasetState::Insert)
        return recordCount() + 1;
    return m_pos + 1;
}

int Dataset::currentStorageRow() const {
    if (m_pos < 0 || m_pos >= int(m_view.size()))
        return -1;
    return m_view[size_t(m_pos)];
}

void Dataset::moveTo(int position) {
    if (position == m_pos)
        return;
    m_pos = position;
    notifyCurrent();
}

void Dataset::first() {
    checkActive();
    if (!checkBrowseMode())
        return;
    moveTo(m_view.empty() ? -1 : 0);
    m_bof = true;
    m_eof = m_view.empty();
}

void Dataset::next() {
    checkActive();
    if (!checkBrowseMode())
        return;
    if (m_pos + 1 < int(m_view.size())) {
        moveTo(m_pos + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior() {
    checkActive();
    if (!checkBrowseMode())
        return;
    if (m_pos > 0) {
        moveTo(m_pos - 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Dataset::last() {
    checkActive();
    if (!checkBrowseMode())
        return;
    moveTo(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
}

void Dataset::setRecNo(int recNo) {
    checkActive();
    if (!checkBrowseMode() || m_view.empty())
        return;
    moveTo(std::clamp(recNo, 1, int(m_view.size())) - 1);
    m_bof = m_eof = false;
}

bool Dataset::locate(const QString& fieldName, const QVariant& value, int options) {
    checkActive();
    if (!checkBrowseMode())
        return false;
    const Field* field = findField(fieldName);
    const int column = field ? -1 : columnIndex(fieldName);
    if (!field && column < 0)
        throw DataError(QStringLiteral("%1：找不到字段“%2”").arg(m_name, fieldName));
    const Qt::CaseSensitivity cs =
        options & LocateCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString wanted = value.toString();
    for (size_t p = 0; p < m_view.size(); ++p) {
        const int row = m_view[p];
        const QVariant v = field ? rowValue(row, field) : columnValue(row, column);
        if (v.isNull())
            continue;
        const QString text = field ? FieldValues::asText(field->type(), v) : v.toString();
        const bool hit = options & LocatePartialKey ? matchesLeading(text, wanted, cs)
                                                    : text.compare(wanted, cs) == 0;
        if (hit) {
            moveTo(int(p));
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- master link

void Dataset::setMaster(DataSource* master, const QString& masterFields,
                        const QString& detailFields) {
    clearMaster();
    m_master = master;
    m_masterFields = masterFields.split(u';', Qt::SkipEmptyParts);
    m_detailFields = detailFields.split(u';', Qt::SkipEmptyParts);
    Dataset* m = master->dataset();
    m_masterDataset = m;
    m->m_details.push_back(this);
    m_masterConnections[0] = connect(m, &Dataset::currentChanged, this, &Dataset::masterMoved);
    m_masterConnections[1] = connect(m, &Dataset::reset, this, &Dataset::masterMoved);
    if (isActive()) {
        checkBrowseMode();
        relink();
    }
}

void Dataset::clearMaster() {
    if (!m_master)
        return;
    for (auto& c : m_masterConnections)
        disconnect(c);
    auto& siblings = m_masterDataset->m_details;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    m_master = nullptr;
    m_masterDataset = nullptr;
    m_masterFields.clear();
    m_detailFields.clear();
    m_masterKey.clear();
}

// Before this dataset (as a master) leaves its row, the details' changed rows are saved; an
// untouched new row goes.
bool Dataset::settleDetails() {
    for (Dataset* d : m_details)
        if (d->isEditing() && !d->checkBrowseMode())
            return false;
    return true;
}

std::vector<QVariant> Dataset::masterValues() const {
    std::vector<QVariant> values;
    if (!m_master)
        return values;
    const Dataset* m = m_master->dataset();
    for (const QString& name : m_masterFields) {
        if (!m->isActive()) {
            values.emplace_back();
            continue;
        }
        if (const Field* f = m->findField(name)) {
            values.push_back(f->value());
            continue;
        }
        const int c = m->columnIndex(name);
        const int row = m->isEditing() ? -1 : m->currentStorageRow();
        values.push_back(c < 0 || (row < 0 && !m->isEditing()) ? QVariant()
                                                               : m->columnValue(row, c));
    }
    return values;
}

void Dataset::masterMoved() {
    if (!isActive() || !m_master)
        return;
    if (masterValues() == m_masterKey)
        return;
    if (isEditing())
        cancel(); // only an untouched row is left: settleDetails saved the others
    relink();
}

// The rows of the master's current row, on the first: a held dataset has them in memory.
void Dataset::relink() {
    if (m_held)
        showRows(std::nullopt, -1);
    else
        load(std::nullopt);
    notifyReset();
    notifyCurrent();
}
