#include "historylist.h"

#include "data/contracthistory.h"
#include "data/schema.h"
#include "data/tdmod.h"

#include <QHash>

namespace {

FieldDef textField(const QString& name, bool hidden = false) {
    FieldDef d;
    d.name = name;
    d.hidden = hidden;
    return d;
}

// Captions of the contract's columns where the editor's label says more than the column name.
const QHash<QString, QString>& editorCaptions() {
    static const QHash<QString, QString> captions{
        {QStringLiteral("SCNum"), QStringLiteral("往来单位编号")},
        {QStringLiteral("录入"), QStringLiteral("录入人")},
        {QStringLiteral("修改"), QStringLiteral("修改人")},
        {QStringLiteral("开始日期"), QStringLiteral("合同开始日期")},
        {QStringLiteral("截止日期"), QStringLiteral("合同截止日期")},
        {QStringLiteral("文件位置"), QStringLiteral("合同文件")},
    };
    return captions;
}

} // namespace

HistoryList::HistoryList(TDMod& dm, QObject* parent) : QObject(parent), m_dm(dm) {
    m_rows = new Dataset(dm.database(), QStringLiteral("TBXiuGai"), this);
    for (const char* name : {"时间", "操作员", "操作", "合同编号"})
        m_rows->addField(textField(QString::fromUtf8(name)));
    FieldDef item = textField(QStringLiteral("项目"));
    item.calculate = [this](const Record& r) {
        return QVariant(
            itemTitle(r.asString(QStringLiteral("对象")), r.asString(QStringLiteral("字段"))));
    };
    m_rows->addField(item);
    for (const auto& [title, stored] :
         {std::pair{"原值", "存储原值"}, std::pair{"新值", "存储新值"}}) {
        FieldDef value = textField(QString::fromUtf8(title));
        const QString column = QString::fromUtf8(stored);
        value.calculate = [this, column](const Record& r) {
            return shown(r.value(column), r.asString(QStringLiteral("字段")));
        };
        m_rows->addField(value);
    }
    for (const char* name : {"ID", "对象", "字段", "存储原值", "存储新值"})
        m_rows->addField(textField(QString::fromUtf8(name), true));
}

void HistoryList::readContract(const QVariant& compactId) {
    read(QStringLiteral("h.CompactID = ?"), compactId);
}

void HistoryList::readNumber(const QString& number) {
    read(QStringLiteral("h.CompactID IN (SELECT CompactID FROM %1 WHERE 合同编号 = ?)")
             .arg(Schema::HistoryTable),
         number);
}

// The action and the subject make one word: "修改合同", "增加应收款", "删除应付款".
void HistoryList::read(const QString& condition, const QVariant& value) {
    m_rows->setSql(QStringLiteral("SELECT h.ID, h.时间, h.操作员, h.操作 || h.对象 AS 操作, "
                                  "h.合同编号, h.对象, h.字段, h.原值 AS 存储原值, "
                                  "h.新值 AS 存储新值 FROM %1 h WHERE %2 ORDER BY h.ID DESC")
                       .arg(Schema::HistoryTable, condition),
                   {value});
    m_rows->open();
}

QString HistoryList::itemTitle(const QString& subject, const QString& column) const {
    Dataset* source = subject == ContractHistory::Receivable ? m_dm.TBSKJiLu
                      : subject == ContractHistory::Payable  ? m_dm.TBFKJiLu
                                                             : m_dm.TBCompacter;
    if (subject == ContractHistory::Contract)
        if (auto it = editorCaptions().constFind(column); it != editorCaptions().constEnd())
            return it.value();
    const Field* field = source->findField(column);
    return field ? field->title() : column;
}

// Stored values come back as text; the column's type says how the program shows them.
QVariant HistoryList::shown(const QVariant& stored, const QString& column) const {
    const FieldType type = Schema::columnType(column).value_or(FieldType::String);
    return FieldValues::displayText(type, FieldValues::fromStore(type, stored));
}
