#pragma once
// An in-memory dataset over a table, view or query of the register: fields (stored, looked up,
// calculated, read on demand), rows, one cursor, the browse/edit/insert states, filters, sorts,
// master links and the record rules that the data module attaches.
#include "columnstore.h"
#include "dataerror.h"
#include "fieldtypes.h"

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
class QSqlQuery;

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

    // Re-read from the store, staying on the current row when it still exists.
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
    int recordCount() const { return int(m_view.size()); }
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
    // lists), follows the master's cursor, and fills the columns of new rows.
    void setMaster(DataSource* master, const QString& masterFields, const QString& detailFields);
    void clearMaster();
    DataSource* masterSource() const { return m_master; }

    // Stop and resume updating bound controls while code walks the rows.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

    // Row access for models and rules.
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

Q_SIGNALS:
    // The rows, their order or the field set changed: bound views read everything again.
    void reset();
    // The cursor stands on another row (or the same row after a reload).
    void currentChanged();
    // A value of the row at this position changed.
    void rowChanged(int position);
    void stateChanged();

private:
    friend class Field;
    friend class Record;

    struct Filter {
        QString column;
        QString op;
        QVariant constant;
    };

    void load(std::optional<QVariant> keepKey);
    QString selectSql() const;
    void defineColumnsFrom(const QSqlQuery& query);
    void learnColumns();
    void rebuildView();
    bool acceptRow(int storageRow) const;
    bool filterMatches(int storageRow) const;
    void moveTo(int position);
    bool checkBrowseMode();
    void reapplyView(bool toFirst);
    void checkActive() const;
    void setState(DatasetState state);
    void writeInsert();
    void writeUpdate();
    void commitBufferTo(int storageRow);
    QVariant keyValueAt(int storageRow) const;
    int columnIndex(const QString& name) const;
    QVariant rowValue(int storageRow, const Field* field) const;
    QVariant columnValue(int storageRow, int column) const;
    QVariant lookupValue(int storageRow, const Field* field) const;
    QVariant onDemandValue(int storageRow, const Field* field) const;
    void setFieldValue(Field* field, const QVariant& value);
    std::vector<QVariant> masterValues() const;
    void masterMoved();
    void invalidateLookupIndex();
    int lookupRow(int column, const QVariant& key) const;
    void notifyReset();
    void notifyCurrent();

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
    QString m_demandTable;
    QString m_demandKey;
    QStringList m_deferred;

    std::vector<int> m_view;
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
    DatasetState m_state = DatasetState::Inactive;
    int m_editRow = -1; // storage row being edited
    int m_insertReturn = -1;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_bufferChanged;
    std::vector<QVariant> m_demandBuffer; // per field, for on-demand fields while editing
    std::vector<bool> m_demandLoaded;
    bool m_modified = false;

    QString m_filterText;
    std::optional<Filter> m_filter;
    bool m_filtered = false;
    QString m_sort;
    QString m_indexFieldNames;

    DataSource* m_master = nullptr;
    QStringList m_masterFields;
    QStringList m_detailFields;
    std::vector<QVariant> m_masterKey;
    QMetaObject::Connection m_masterConnections[2];

    int m_disabled = 0;
    bool m_resetPending = false;
    bool m_currentPending = false;

    mutable QHash<int, QHash<QString, int>> m_lookupIndex; // column -> key text -> storage row
    mutable QVariant m_demandCacheKey;
    mutable QHash<int, QVariant> m_demandCache; // field position -> value for m_demandCacheKey
};
