#include "convert/IndexPlan.h"

#include "convert/StatementText.h"

#include <QHash>

#include <algorithm>

namespace convert {

namespace {

using Kind = db::IndexDefinition::Kind;
using Becomes = PlannedIndex::Becomes;
using Op = db::FilterTerm::Op;

// What an INSERT writes as NULL: NULL itself, an empty text, an invalid date.
bool writtenAsNull(const db::Value& value)
{
    if (const auto* text = std::get_if<QString>(&value))
        return text->isEmpty();
    if (const auto* date = std::get_if<QDate>(&value))
        return !date->isValid();
    if (const auto* time = std::get_if<QDateTime>(&value))
        return !time->isValid();
    return db::isNull(value);
}

// The value's text as the target compares it in a key.
QString keyText(const db::Value& value, const TargetDialect& dialect)
{
    QString text = ValueFormat::system().text(value);
    if (!std::holds_alternative<QString>(value))
        return text;
    if (dialect.keyTextIgnoresTrailingBlanks()) {
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == u' ')
            --end;
        text.truncate(end);
    }
    if (dialect.keyTextIgnoresAccents()) {
        text = text.normalized(QString::NormalizationForm_D);
        text.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    }
    return dialect.keyTextIgnoresCase() ? text.toCaseFolded() : text;
}

double numberOf(const db::Value& value)
{
    if (const auto* integer = std::get_if<qint32>(&value))
        return *integer;
    if (const auto* number = std::get_if<double>(&value))
        return *number;
    if (const auto* decimal = std::get_if<db::Decimal>(&value))
        return decimal->text.toDouble();
    if (const auto* money = std::get_if<db::Currency>(&value))
        return double(money->tenThousandths) / 10000.0;
    return 0;
}

// Whether a row passes one condition of a filtered index.
bool passes(const db::FilterTerm& term, const std::vector<db::Value>& row, const TargetDialect& dialect)
{
    const db::Value& value = row.at(std::size_t(term.column));
    if (term.op == Op::IsNull || term.op == Op::IsNotNull)
        return writtenAsNull(value) == (term.op == Op::IsNull);
    if (writtenAsNull(value))
        return false;
    int order = 0;
    if (const auto* text = std::get_if<QString>(&term.literal)) {
        order = keyText(value, dialect).compare(keyText(*text, dialect));
    } else {
        const double left = numberOf(value);
        const double right = numberOf(term.literal);
        order = left < right ? -1 : left > right ? 1 : 0;
    }
    switch (term.op) {
    case Op::Equal:
        return order == 0;
    case Op::NotEqual:
        return order != 0;
    case Op::Less:
        return order < 0;
    case Op::LessOrEqual:
        return order <= 0;
    case Op::Greater:
        return order > 0;
    default:
        return order >= 0;
    }
}

QString columnList(const db::IndexDefinition& index, const std::vector<db::Field>& fields, bool directions)
{
    QStringList columns;
    for (int column : index.columns) {
        QString name = bracketedName(fields.at(std::size_t(column)).name);
        if (directions && index.descending)
            name += QStringLiteral(" DESC");
        columns << name;
    }
    return columns.join(u',');
}

QString whereText(const db::IndexDefinition& index, const std::vector<db::Field>& fields,
                  const TargetDialect& dialect, const TableFacts& facts)
{
    QStringList terms;
    for (const db::FilterTerm& term : index.where) {
        TextOut out;
        appendView(out, bracketedName(fields.at(std::size_t(term.column)).name));
        static const char16_t* const ops[] = {u" = ", u" <> ", u" < ",      u" <= ",
                                              u" > ", u" >= ", u" IS NULL", u" IS NOT NULL"};
        out += ops[int(term.op)];
        if (const auto* text = std::get_if<QString>(&term.literal)) {
            const std::size_t at = std::size_t(term.column);
            appendTextLiteral(out, *text,
                              at < facts.size() && facts[at].beyondCodePage && dialect.hasNationalText(),
                              dialect);
        } else if (const auto* number = std::get_if<db::Decimal>(&term.literal)) {
            appendView(out, number->text);
        }
        terms << toQString(out);
    }
    return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

QString statementText(const QString& table, const db::IndexDefinition& index, Becomes becomes,
                      const std::vector<db::Field>& fields, const TargetDialect& dialect,
                      const TableFacts& facts)
{
    const QString t = bracketedName(table);
    const QString columns = columnList(index, fields, true);
    const QString where = whereText(index, fields, dialect, facts);
    const QString tagName = table + u'_' + index.tag;
    if (becomes == Becomes::Index)
        return QStringLiteral("CREATE INDEX %1 ON %2(%3)%4")
            .arg(bracketedName(QStringLiteral("IX_") + tagName), t, columns, where);
    const bool primary = becomes == Becomes::PrimaryKey;
    const QString name =
        bracketedName(primary ? QStringLiteral("PK_") + table : QStringLiteral("UQ_") + tagName);
    if (dialect.keysAsUniqueIndexes() || !where.isEmpty())
        return QStringLiteral("CREATE UNIQUE INDEX %1 ON %2(%3)%4").arg(name, t, columns, where);
    return QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 %3 (%4)")
        .arg(t, name, primary ? QStringLiteral("PRIMARY KEY") : QStringLiteral("UNIQUE"), columns);
}

// Why no column of the index can be indexed on the target, or an empty text.
QString unindexable(const db::IndexDefinition& index, const std::vector<db::Field>& fields,
                    const TargetDialect& dialect, const TableFacts& facts, ColumnTypes types)
{
    for (int column : index.columns) {
        const std::size_t at = std::size_t(column);
        const QString type =
            mapColumnType(fields.at(at), dialect, at < facts.size() ? facts[at] : ColumnFacts(), types)
                .sqlType;
        if (!dialect.indexes(type))
            return QStringLiteral("column %1 is %2 on the target, which cannot be part of an index")
                .arg(fields.at(at).name, type);
    }
    return {};
}

// What a key becomes, given what its rows hold; the note that says why it is not what it was.
Becomes keyOutcome(const db::IndexDefinition& index, const KeyFacts& facts, QStringList& notes)
{
    const QString which = index.kind == Kind::Primary ? QStringLiteral("primary key") : QStringLiteral("key");
    if (facts.repeated > 0) {
        notes << QStringLiteral(
                     "%1 %2 (%3): %4 row(s) repeat the key of an earlier row as the target compares "
                     "them; a plain index is created instead")
                     .arg(which, index.tag, index.expression)
                     .arg(facts.repeated);
        return Becomes::Index;
    }
    if (index.kind != Kind::Primary)
        return Becomes::UniqueKey;
    if (facts.nulls > 0) {
        notes << QStringLiteral("primary key %1 (%2): %3 row(s) have no value in it; a unique key is created "
                                "instead")
                     .arg(index.tag, index.expression)
                     .arg(facts.nulls);
        return Becomes::UniqueKey;
    }
    if (!index.where.empty()) {
        notes << QStringLiteral(
                     "primary key %1 has a filter (%2), which a primary key cannot have; a filtered "
                     "unique index is created instead")
                     .arg(index.tag, index.filter);
        return Becomes::UniqueKey;
    }
    return Becomes::PrimaryKey;
}

// "UNIQUE([custid]) replaces ALLTRIM(UPPER(custid)): leading blanks and case no longer collide".
QString weakerNote(const PlannedIndex& planned, const std::vector<db::Field>& fields,
                   const TargetDialect& dialect)
{
    const db::IndexDefinition& index = planned.source;
    QStringList reasons = index.weaker;
    if (index.caseFolded && !dialect.keyTextIgnoresCase())
        reasons << QStringLiteral("case");
    if (reasons.isEmpty())
        return {};
    return QStringLiteral("%1(%2) replaces %3: %4 no longer collide")
        .arg(planned.becomes == Becomes::PrimaryKey ? QStringLiteral("PRIMARY KEY")
                                                    : QStringLiteral("UNIQUE"),
             columnList(index, fields, false), index.expression, reasons.join(QStringLiteral(" and ")));
}

} // namespace

struct KeyGatherer::Key
{
    bool checked = false; // a primary or candidate key with columns
    std::vector<quint64> hashes;
    qint64 nulls = 0;
};

KeyGatherer::KeyGatherer(const TargetDialect& dialect, db::TableIndexes indexes)
    : m_dialect(dialect), m_indexes(std::move(indexes)), m_keys(m_indexes.indexes.size())
{
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        const db::IndexDefinition& index = m_indexes.indexes[i];
        m_keys[i].checked =
            (index.kind == Kind::Primary || index.kind == Kind::Candidate) && !index.columns.empty();
    }
}

KeyGatherer::~KeyGatherer() = default;

std::vector<bool> KeyGatherer::columnsRead(std::size_t columns) const
{
    std::vector<bool> read(columns);
    const auto mark = [&](int column) {
        if (column >= 0 && std::size_t(column) < columns)
            read[std::size_t(column)] = true;
    };
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (!m_keys[i].checked)
            continue;
        const db::IndexDefinition& index = m_indexes.indexes[i];
        std::for_each(index.columns.begin(), index.columns.end(), mark);
        for (const db::FilterTerm& term : index.where)
            mark(term.column);
    }
    return read;
}

void KeyGatherer::note(const std::vector<db::Value>& row)
{
    QString text;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        const db::IndexDefinition& index = m_indexes.indexes[i];
        Key& key = m_keys[i];
        if (!key.checked)
            continue;
        if (!std::all_of(index.where.begin(), index.where.end(),
                         [&](const db::FilterTerm& term) { return passes(term, row, m_dialect); }))
            continue;
        text.clear();
        bool hasNull = false;
        for (int column : index.columns) {
            const db::Value& value = row.at(std::size_t(column));
            if (writtenAsNull(value)) {
                hasNull = true;
                text += u'\1';
            } else {
                text += keyText(value, m_dialect);
            }
            text += u'\0';
        }
        if (hasNull)
            ++key.nulls;
        if (!hasNull || m_dialect.keyNullsCollide())
            key.hashes.push_back(qHash(text, 0x5eed));
    }
}

IndexPlan KeyGatherer::plan(const QString& table, const std::vector<db::Field>& fields, TableFacts& facts,
                            ColumnTypes types)
{
    std::vector<KeyFacts> keyFacts(m_keys.size());
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        std::vector<quint64>& hashes = m_keys[i].hashes;
        std::sort(hashes.begin(), hashes.end());
        const auto distinct = std::unique(hashes.begin(), hashes.end()) - hashes.begin();
        keyFacts[i] = {qint64(hashes.size()) - qint64(distinct), m_keys[i].nulls};
    }
    IndexPlan plan = planIndexes(table, fields, m_indexes, m_dialect, facts, types, keyFacts);
    for (const PlannedIndex& planned : plan.indexes) {
        if (planned.becomes != Becomes::PrimaryKey)
            continue;
        for (int column : planned.source.columns) {
            if (std::size_t(column) < facts.size())
                facts[std::size_t(column)].notNull = true;
        }
    }
    return plan;
}

int IndexPlan::keys() const
{
    return int(std::count_if(indexes.begin(), indexes.end(), [](const PlannedIndex& p) {
        return p.becomes == Becomes::PrimaryKey || p.becomes == Becomes::UniqueKey;
    }));
}

int IndexPlan::plainIndexes() const
{
    return int(std::count_if(indexes.begin(), indexes.end(),
                             [](const PlannedIndex& p) { return p.becomes == Becomes::Index; }));
}

int IndexPlan::skipped() const
{
    return int(std::count_if(indexes.begin(), indexes.end(),
                             [](const PlannedIndex& p) { return p.becomes == Becomes::Nothing; }));
}

QStringList IndexPlan::report(const QString& table) const
{
    QStringList lines;
    if (!problem.isEmpty())
        lines << problem;
    for (const PlannedIndex& planned : indexes) {
        for (const QString& note : planned.notes)
            lines << table + QStringLiteral(": ") + note;
    }
    return lines;
}

IndexPlan planIndexes(const QString& table, const std::vector<db::Field>& fields,
                      const db::TableIndexes& source, const TargetDialect& dialect, const TableFacts& facts,
                      ColumnTypes types, const std::vector<KeyFacts>& keyFacts)
{
    IndexPlan plan;
    plan.problem = source.problem;
    for (std::size_t i = 0; i < source.indexes.size(); ++i) {
        PlannedIndex planned;
        planned.source = source.indexes[i];
        const db::IndexDefinition& index = planned.source;
        if (!index.note.isEmpty())
            planned.notes << QStringLiteral("%1 %2: %3").arg(kindName(index.kind), index.tag, index.note);
        QString skipped = index.skipped;
        if (skipped.isEmpty())
            skipped = unindexable(index, fields, dialect, facts, types);
        if (!skipped.isEmpty()) {
            planned.notes << QStringLiteral("%1 index %2 (%3) is not created: %4")
                                 .arg(kindName(index.kind), index.tag, index.expression, skipped);
            plan.indexes.push_back(std::move(planned));
            continue;
        }
        if (index.kind == Kind::Primary || index.kind == Kind::Candidate)
            planned.becomes =
                keyOutcome(index, i < keyFacts.size() ? keyFacts[i] : KeyFacts(), planned.notes);
        else
            planned.becomes = Becomes::Index;
        if (planned.becomes != Becomes::Index) {
            const QString weaker = weakerNote(planned, fields, dialect);
            if (!weaker.isEmpty())
                planned.notes << weaker;
        }
        planned.statement = statementText(table, index, planned.becomes, fields, dialect, facts);
        if (planned.becomes != Becomes::Index)
            planned.fallback = statementText(table, index, Becomes::Index, fields, dialect, facts);
        plan.indexes.push_back(std::move(planned));
    }
    return plan;
}

QString kindName(db::IndexDefinition::Kind kind)
{
    switch (kind) {
    case Kind::Primary:
        return QStringLiteral("primary");
    case Kind::Candidate:
        return QStringLiteral("candidate");
    case Kind::Unique:
        return QStringLiteral("unique");
    default:
        return QStringLiteral("regular");
    }
}

} // namespace convert
