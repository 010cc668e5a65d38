#pragma once
// An in-memory dataset over a table, view or query of the register: fields (stored, looked up,
// calculated, read on demand), rows, one cursor, the browse/edit/insert states, filters, sorts,
// master links and the record rules that the data module attaches.
//
// The pieces: RowLoader fills the column storage from a query, RowFilter and the view code
// (datasetview.cpp) choose and order the rows shown, EditBuffer holds the pending row, RowWriter
// writes it, MemoCache reads long texts on demand; Dataset (dataset.cpp) composes them behind
// one cursor and state.
#include "columnstore.h"
#include "dataerror.h"
#include "editbuffer.h"
#include "fieldtypes.h"
#include "keptorders.h"
#include "memocache.h"
#include "rowchange.h"
#include "rowfilter.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Database;
class Dataset;
class Field;
class QSqlRecord;

enum class DatasetState { Inactive, Browse, Edit, Insert };

// What a save-error rule decides: abandon silently (the row keeps its pending values) or let
// the failure reach the code that saved.
enum class PostErrorAction { Abort, Fail };

enum LocateOption { LocateCaseInsensitive = 1, LocatePartialKey = 2 };

// Read access to one row, stored or pending; the argument of calculate and filter rules.
class Record {
public:
    Record(const Dataset& dataset, int storageRow) : m_dataset(dataset), m_row(storageRow) {}

    QVariant value(const QString& name) const;
    bool isNull(const QString& name) const { return value(name).isNull(); }
    double asFloat(const QString& name) const;
    Currency asCurrency(const QString& name) const;
    QString asString(const QString& name) const;
    QDateTime asDateTime(const QString& name) const;
    const Dataset& dataset() const { return m_dataset; }
    // -1 for the pending row of an edit or insert.
    int storageRow() const { return m_row; }

private:
    const Dataset& m_dataset;
    int m_row;
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
    QString title;
    bool hidden = false;
    bool readOnly = false;
    // Memo columns that are fetched one row at a time instead of with the list.
    bool onDemand = false;
    // Lookup: the value of lookupResult in the first row of lookupDataset whose lookupKey
    // equals this dataset's keyField.
    Dataset* lookupDataset = nullptr;
    QString keyField, lookupKey, lookupResult;
    // Calculated: evaluated whenever the row is read.
    std::function<QVariant(const Record&)> calculate;
};

class Field {
public:
    enum class Kind { Stored, OnDemand, Lookup, Calculated };

    const QString& name() const { return m_def.name; }
    FieldType type() const { return m_def.type; }
    int size() const { return m_def.size; }
    Kind kind() const { return m_kind; }
    QString title() const { return m_def.title.isEmpty() ? m_def.name : m_def.title; }
    void setTitle(const QString& title) { m_def.title = title; }
    bool isHidden() const { return m_def.hidden; }
    bool isReadOnly() const {
        return m_def.readOnly || m_kind == Kind::Lookup || m_kind == Kind::Calculated;
    }
    Dataset* dataset() const { return m_dataset; }
    const FieldDef& def() const { return m_def; }

    // The current row's value (the pending one while editing); null when empty.
    QVariant value() const;
    bool isNull() const { return value().isNull(); }
    QString asString() const;
    int asInteger() const;
    double asFloat() const;
    Currency asCurrency() const;
    QDateTime asDateTime() const;
    bool asBoolean() const;
    QString displayText() const;

    // Writes the pending row; the dataset must be editing or inserting. Text that the field's
    // type cannot hold throws DataError. Runs the validation rule first.
    void setValue(const QVariant& value);
    void clear() { setValue(QVariant()); }

    // Validation: sees the new value before it is stored; returning false drops it.
    std::function<bool(Field&, const QVariant& newValue)> onValidate;

private:
    friend class Dataset;
    Field(Dataset* dataset, FieldDef def, Kind kind, int column)
        : m_dataset(dataset), m_def(std::move(def)), m_kind(kind), m_column(column) {}

    Dataset* m_dataset;
    FieldDef m_def;
    Kind m_kind;
    int m_column; // stored column index, or -1
};

// The binding object through which controls and master links reach a dataset.
class DataSource {
public:
    explicit DataSource(Dataset* dataset) : m_dataset(dataset) {}
    Dataset* dataset() const { return m_dataset; }

private:
    Dataset* m_dataset;
};

class Dataset : public QObject {
    Q_OBJECT
public:
    Dataset(Database& db, const QString& name, QObject* parent = nullptr);
    ~Dataset() override;

    // Source: a table written by key, or a read-only SQL query.
    void setTable(const QString& table, const QString& keyColumn);
    // A query's SQL with the values of its "?" placeholders, in order.
    void setSql(const QString& sql, const QVariantList& params = {});
    const QString& sql() const { return m_sql; }
    const QVariantList& params() const { return m_params; }
    const QString& tableName() const { return m_table; }
    // For a query: memo columns that are not read with the list but fetched one row at a time
    // from the table by its key, when the query yields that key.
    void setDeferredColumns(const QString& table, const QString& keyColumn,
                            const QStringList& columns);
    bool isReadOnly() const { return m_table.isEmpty(); }

    // Presented fields in order; stored fields name a column of the source. Without any,
    // every column the source yields is presented.
    Field* addField(const FieldDef& def);
    const std::vector<Field*>& fields() const { return m_fieldList; }
    std::vector<Field*> visibleFields() const;
    Field* findField(const QString& name) const;
    Field* fieldByName(const QString& name) const;
    QVariant value(const QString& name) const { return fieldByName(name)->value(); }

    void open();
    void close();
    bool isActive() const { return m_state != DatasetState::Inactive; }
    DatasetState state() const { return m_state; }
    bool isEditing() const {
        return m_state == DatasetState::Edit || m_state == DatasetState::Insert;
    }
    bool isModified() const { return m_modified; }

    // A table dataset that holds every row of its table: a master link and a sort apply to the
    // rows in memory, and its sort orders are kept as indexes that a change of one row updates
    // in place. Re-linking, re-sorting and showing a saved row then read nothing. The table's
    // key is an integer that grows with each new row. Set before opening.
    void setHeldInMemory(bool on) { m_held = on; }
    bool isHeldInMemory() const { return m_held; }
    // What close(), clearMaster() and open() show (every row in index order, on the first), from
    // the rows held when the dataset is open and holds its whole table.
    void reopenHeld();
    // The held rows shown again after changes made through this dataset, staying on the current
    // row: what a re-read would show, without reading.
    void reshow();

    // Rows that another program added, changed or removed, taken as the store holds them now
    // without reading the others: a table's row by its key, or a query's rows whose column
    // holds the value. The cursor stays on its row and a pending row stays as typed; a change
    // of the row being edited is taken once the edit ends (a save of it meets the change).
    void applyStoredRow(const QVariant& key);
    void applyStoredRows(const QString& column, const QVariant& value);
    // A held row's value by the row's key; null when the row is not held.
    QVariant storedValue(const QVariant& key, const QString& column) const;

    // Re-read from the store, staying on the current row when it still exists. A held dataset
    // under a master link re-reads the rows of its master row only.
    void refresh();
    // Run the source again and stand on the first row.
    void requery();

    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return m_view.empty(); }
    // Stored rows shown; a pending new row is not among them.
    int recordCount() const { return int(m_view.size()); }
    // 1-based; a pending new row stands after the stored ones (recordCount() + 1).
    int recNo() const;
    void setRecNo(int recNo);
    bool locate(const QString& fieldName, const QVariant& value, int options = 0);

    void append();
    void edit();
    // Writes the pending row. False when a save-error rule abandoned the save silently; a
    // failure that no rule absorbs is thrown as DataError.
    bool post();
    void cancel();
    // Deletes the current row at once; throws DataError on an empty dataset.
    void deleteRecord();
    // The two halves of deleteRecord, for deletes that span several tables in one
    // transaction: remove the row from the store, then, once committed, from memory.
    void deleteCurrentInStore();
    void dropCurrentRow();

    // "column op constant", op one of = <> < > <= >=; constant a number, true/false or 'text'.
    void setFilter(const QString& filter);
    const QString& filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }
    // Order by one column; cleared when the dataset is closed. An index order, by contrast,
    // applies on every open.
    void setSort(const QString& fieldName);
    const QString& sort() const { return m_sort; }
    void setIndexFieldNames(const QString& fieldName);

    // Shows only the rows whose detail columns equal the master row's columns (";"-separated
    // lists), follows the master's cursor, and fills the columns of new rows. Before the master
    // leaves its row, a changed pending row here is saved (a refusal stops the master).
    void setMaster(DataSource* master, const QString& masterFields, const QString& detailFields);
    void clearMaster();
    DataSource* masterSource() const { return m_master; }

    // Stop and resume updating bound controls while code walks the rows.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

    // Row access for models and rules. Position recordCount() is the pending new row.
    int storageRowAt(int position) const { return m_view[size_t(position)]; }
    int currentStorageRow() const;
    QVariant valueAt(int position, const Field* field) const;
    const Database& database() const { return m_db; }
    const QString& name() const { return m_name; }

    // Record rules.
    std::function<void(Dataset&)> onNewRecord;
    std::function<void(Dataset&)> beforePost;
    std::function<void(Dataset&)> afterPost;
    std::function<void(Dataset&)> afterDelete;
    std::function<PostErrorAction(Dataset&, const DataError&)> onPostError;
    std::function<bool(const Record&)> onFilterRecord;
    // Runs before the filter-record rule meets the rows of one pass, so the rule can read its
    // settings once per pass.
    std::function<void(Dataset&)> onFilterStart;
    // Runs inside every write of a row to the store (add, save, delete), in one savepoint with
    // it: a throw undoes the write, and a write that fails leaves nothing of the rule's.
    std::function<void(Dataset&, const RowChange&)> onWritten;
    // Run inside every write of a row to the store (add, save, delete), in one savepoint with it,
    // just before and just after the row's own statement: a throw undoes the write.
    std::function<void(Dataset&)> beforeWrite;
    std::function<void(Dataset&)> afterWrite;

Q_SIGNALS:
    // The rows or their order changed: bound views read everything again.
    void reset();
    // The presented fields changed (a query's own columns): views rebuild their columns.
    void fieldsChanged();
    // One row came or went at this position; the other rows keep their order.
    void rowInserted(int position);
    void rowRemoved(int position);
    // The cursor stands on another row (or the same row after a reload).
    void currentChanged();
    // A value of the row at this position changed.
    void rowChanged(int position);
    void stateChanged();

private:
    friend class Field;
    friend class Record;

    // Source and columns
    std::optional<QVariant> currentKey() const;
    void load(std::optional<QVariant> keepKey);
    void showRows(std::optional<QVariant> keepKey, int keepPosition);
    void refreshLinkedRows();
    void mergeRow(const std::vector<StoredColumn>& read, size_t readRow);
    void eraseStorageRow(int storageRow);
    std::vector<StoredColumn> emptyColumns() const;
    bool belongsToMaster(const std::vector<StoredColumn>& read) const;
    void replaceGroup(int column, const QVariant& value, const std::vector<StoredColumn>& read,
                      int& current);
    void showChangedRows(const std::optional<QVariant>& key, int storageRow, int position);
    void applyDeferredRows();
    size_t keyPlace(qlonglong key) const;
    QString selectSql(bool linked, bool byKey = false) const;
    QVariantList readBinds(bool linked) const;
    void defineColumns(const QSqlRecord& record);
    void addAutoFields(int key);
    std::vector<bool> wantedColumns() const;
    void dropAutoFields();
    int columnIndex(const QString& name) const;
    QVariant keyValueAt(int storageRow) const;

    // Values
    QVariant rowValue(int storageRow, const Field* field) const;
    QVariant columnValue(int storageRow, int column) const;
    QVariant lookupValue(int storageRow, const Field* field) const;
    QVariant onDemandValue(int storageRow, const Field* field) const;
    int lookupRow(int column, const QVariant& key) const;
    void invalidateLookupIndex();
    int fieldIndex(const Field* field) const;

    // View: filter, sort, cursor (datasetview.cpp)
    void rebuildView();
    bool acceptRow(int storageRow) const;
    bool linkTest(std::vector<std::pair<int, QVariant>>& test) const;
    bool passesLink(int storageRow, const std::vector<std::pair<int, QVariant>>& test) const;
    int orderColumn() const;
    void sortView();
    void moveTo(int position);
    void reapplyView(bool toFirst);
    int findKey(const QVariant& key) const;

    // Editing
    void checkActive() const;
    void checkWritable() const;
    bool checkBrowseMode();
    bool settleDetails();
    void setState(DatasetState state);
    void setFieldValue(Field* field, const QVariant& value);
    void write();
    void writeInsert();
    void writeUpdate();
    QVariant keyValueOfPending() const;
    RowChange pendingChange() const;
    RowChange removalOfCurrent() const;
    void commitBuffer(int storageRow);
    void appendStoredRow();

    // Master link
    std::vector<QVariant> masterValues() const;
    void masterMoved();
    void relink();

    // Bound views
    void notifyReset();
    void notifyCurrent();
    void notifyInserted(int position);
    void notifyRemoved(int position);
    void notifyRowChanged(int position);

    Database& m_db;
    QString m_name;
    QString m_table;
    QString m_keyColumn;
    QString m_sql;
    QVariantList m_params;

    std::vector<std::unique_ptr<Field>> m_fieldStore;
    std::vector<Field*> m_fieldList;
    std::vector<StoredColumn> m_columns;
    int m_keyIndex = -1;
    bool m_autoFields = false;
    QStringList m_deferred;
    mutable MemoCache m_memo;

    bool m_held = false;
    KeptOrders m_orders;
    std::vector<int> m_view;
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
    DatasetState m_state = DatasetState::Inactive;
    EditBuffer m_edit;
    bool m_modified = false;
    std::vector<QVariant> m_deferredKeys; // changed elsewhere while being edited here

    QString m_filterText;
    RowFilter m_filter;
    bool m_filtered = false;
    QString m_sort;
    QString m_indexFieldNames;

    DataSource* m_master = nullptr;
    Dataset* m_masterDataset = nullptr; // the master's dataset, which may outlive its binding
    QStringList m_masterFields;
    QStringList m_detailFields;
    std::vector<QVariant> m_masterKey;
    QMetaObject::Connection m_masterConnections[2];
    std::vector<Dataset*> m_details;

    int m_disabled = 0;
    bool m_resetPending = false;
    bool m_currentPending = false;

    mutable QHash<int, QHash<QString, int>> m_lookupIndex; // column -> key text -> storage row
};
