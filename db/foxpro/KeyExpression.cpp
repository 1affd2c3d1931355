#include "db/foxpro/KeyExpression.h"

#include "db/AdoType.h"

#include <optional>

namespace db::foxpro {

namespace {

// A part of an expression that has no column or filter form; its text says why.
struct Untranslatable
{
    QString reason;
};

struct Node
{
    enum class Kind
    {
        Field,   // `text`, with `alias` when one stands before it
        Call,    // `text`(args)
        Text,    // a string literal
        Number,  // a number literal
        Logical, // .T. or .F.
        Unary,   // `text` ("NOT", "-") applied to args[0]
        Binary   // args[0] `text` args[1]
    };

    Kind kind = Kind::Field;
    QString text;
    QString alias;
    std::vector<Node> args;
    qsizetype begin = 0; // where the node's text starts and ends in the expression
    qsizetype end = 0;
};

// Tokens and a recursive descent over FoxPro expression syntax, as far as index keys and filters use
// it: OR, AND, NOT, comparisons, + and -, function calls, fields (with an alias), literals.
class Parser
{
public:
    explicit Parser(const QString& text) : m_text(text) {}

    Node parse()
    {
        Node node = orExpression();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("unexpected \"%1\"").arg(m_text.mid(m_pos)));
        return node;
    }

    QString source(const Node& node) const { return m_text.mid(node.begin, node.end - node.begin).trimmed(); }

private:
    // Nesting deeper than this is no real index expression.
    static constexpr int MaxDepth = 64;

    [[noreturn]] void fail(const QString& reason) { throw Untranslatable{reason}; }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    // A word between dots (.AND., .NOT., .T.) at the current position, or an empty text.
    QString dotWord() const
    {
        static const QStringList words{QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT"),
                                       QStringLiteral("T"), QStringLiteral("F")};
        for (const QString& word : words) {
            if (m_text.mid(m_pos, word.size() + 2).compare(u'.' + word + u'.', Qt::CaseInsensitive) == 0)
                return word;
        }
        return {};
    }

    // Takes `op` (an operator or a word) when it comes next.
    bool take(QStringView op)
    {
        skipBlanks();
        if (op.front().isLetter()) {
            if (dotWord() == op) {
                m_pos += op.size() + 2;
                return true;
            }
            const qsizetype end = m_pos + op.size();
            if (m_text.mid(m_pos, op.size()).compare(op, Qt::CaseInsensitive) != 0 ||
                (end < m_text.size() && (m_text[end].isLetterOrNumber() || m_text[end] == u'_')))
                return false;
            m_pos = end;
            return true;
        }
        if (!QStringView(m_text).sliced(m_pos).startsWith(op))
            return false;
        m_pos += op.size();
        return true;
    }

    Node binary(Node left, const QString& op, Node right)
    {
        Node node{Node::Kind::Binary, op, {}, {}, left.begin, right.end};
        node.args.push_back(std::move(left));
        node.args.push_back(std::move(right));
        return node;
    }

    Node orExpression()
    {
        Node left = andExpression();
        while (take(u"OR"))
            left = binary(std::move(left), QStringLiteral("OR"), andExpression());
        return left;
    }

    Node andExpression()
    {
        Node left = notExpression();
        while (take(u"AND"))
            left = binary(std::move(left), QStringLiteral("AND"), notExpression());
        return left;
    }

    Node notExpression()
    {
        skipBlanks();
        const qsizetype begin = m_pos;
        // "!" but not "!=".
        if (take(u"NOT") || (m_text.mid(m_pos, 1) == u"!" && m_text.mid(m_pos, 2) != u"!=" && take(u"!"))) {
            Node operand = descend([&] { return notExpression(); });
            Node node{Node::Kind::Unary, QStringLiteral("NOT"), {}, {}, begin, operand.end};
            node.args.push_back(std::move(operand));
            return node;
        }
        return comparison();
    }

    Node comparison()
    {
        Node left = additive();
        // Longer operators first; FoxPro also takes => and =< for >= and <=.
        static const std::vector<std::pair<QString, QString>> operators{
            {QStringLiteral("=="), QStringLiteral("==")}, {QStringLiteral("<>"), QStringLiteral("<>")},
            {QStringLiteral("!="), QStringLiteral("<>")}, {QStringLiteral(">="), QStringLiteral(">=")},
            {QStringLiteral("=>"), QStringLiteral(">=")}, {QStringLiteral("<="), QStringLiteral("<=")},
            {QStringLiteral("=<"), QStringLiteral("<=")}, {QStringLiteral("#"), QStringLiteral("<>")},
            {QStringLiteral("="), QStringLiteral("=")},   {QStringLiteral("<"), QStringLiteral("<")},
            {QStringLiteral(">"), QStringLiteral(">")},   {QStringLiteral("$"), QStringLiteral("$")}};
        for (const auto& [spelling, op] : operators) {
            if (take(spelling))
                return binary(std::move(left), op, additive());
        }
        return left;
    }

    Node additive()
    {
        Node left = unary();
        for (;;) {
            if (take(u"+"))
                left = binary(std::move(left), QStringLiteral("+"), unary());
            else if (take(u"-"))
                left = binary(std::move(left), QStringLiteral("-"), unary());
            else
                return left;
        }
    }

    Node unary()
    {
        skipBlanks();
        const qsizetype begin = m_pos;
        if (take(u"-")) {
            Node operand = descend([&] { return unary(); });
            Node node{Node::Kind::Unary, QStringLiteral("-"), {}, {}, begin, operand.end};
            node.args.push_back(std::move(operand));
            return node;
        }
        return primary();
    }

    template <typename F> Node descend(F&& f)
    {
        if (++m_depth > MaxDepth)
            fail(QStringLiteral("the expression is nested too deeply"));
        Node node = f();
        --m_depth;
        return node;
    }

    Node primary()
    {
        skipBlanks();
        const qsizetype begin = m_pos;
        if (m_pos >= m_text.size())
            fail(QStringLiteral("the expression ends early"));
        const QChar c = m_text[m_pos];
        if (take(u"(")) {
            Node inner = descend([&] { return orExpression(); });
            if (!take(u")"))
                fail(QStringLiteral("a parenthesis is not closed"));
            inner.begin = begin;
            inner.end = m_pos;
            return inner;
        }
        if (c == u'"' || c == u'\'' || c == u'[')
            return textLiteral(begin, c == u'[' ? u']' : c);
        if (c.isDigit() || (c == u'.' && m_pos + 1 < m_text.size() && m_text[m_pos + 1].isDigit()))
            return number(begin);
        const QString word = dotWord();
        if (word == u"T" || word == u"F") {
            m_pos += 3;
            return Node{Node::Kind::Logical, word, {}, {}, begin, m_pos};
        }
        if (c.isLetter() || c == u'_')
            return name(begin);
        fail(QStringLiteral("unexpected \"%1\"").arg(c));
    }

    Node textLiteral(qsizetype begin, QChar close)
    {
        const qsizetype end = m_text.indexOf(close, m_pos + 1);
        if (end < 0)
            fail(QStringLiteral("a text is not closed"));
        m_pos = end + 1;
        return Node{Node::Kind::Text, m_text.mid(begin + 1, end - begin - 1), {}, {}, begin, m_pos};
    }

    Node number(qsizetype begin)
    {
        // A point belongs to the number only before a digit: "5.AND." is 5 and an operator.
        while (m_pos < m_text.size() &&
               (m_text[m_pos].isDigit() ||
                (m_text[m_pos] == u'.' && m_pos + 1 < m_text.size() && m_text[m_pos + 1].isDigit())))
            ++m_pos;
        QString text = m_text.mid(begin, m_pos - begin);
        if (text.count(u'.') > 1)
            fail(QStringLiteral("\"%1\" is no number").arg(text));
        if (text.startsWith(u'.'))
            text.prepend(u'0');
        return Node{Node::Kind::Number, text, {}, {}, begin, m_pos};
    }

    QString identifier()
    {
        const qsizetype begin = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == u'_'))
            ++m_pos;
        return m_text.mid(begin, m_pos - begin);
    }

    Node name(qsizetype begin)
    {
        QString first = identifier();
        // "alias.field" or "alias->field"; ".AND." after a name is an operator.
        const bool dot = m_pos < m_text.size() && m_text[m_pos] == u'.' && dotWord().isEmpty();
        const bool arrow = m_text.mid(m_pos, 2) == u"->";
        if (dot || arrow) {
            m_pos += dot ? 1 : 2;
            if (m_pos >= m_text.size() || !(m_text[m_pos].isLetter() || m_text[m_pos] == u'_'))
                fail(QStringLiteral("a name is missing after \"%1\"").arg(first));
            QString field = identifier();
            return Node{Node::Kind::Field, field, first, {}, begin, m_pos};
        }
        skipBlanks();
        if (!take(u"("))
            return Node{Node::Kind::Field, first, {}, {}, begin, m_pos};
        Node call{Node::Kind::Call, first.toUpper(), {}, {}, begin, 0};
        if (!take(u")")) {
            do
                call.args.push_back(descend([&] { return orExpression(); }));
            while (take(u","));
            if (!take(u")"))
                fail(QStringLiteral("the arguments of %1() are not closed").arg(call.text));
        }
        call.end = m_pos;
        return call;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    int m_depth = 0;
};

bool isNumeric(int type)
{
    namespace Ado = AdoType;
    return type == Ado::SmallInt || type == Ado::Integer || type == Ado::Single || type == Ado::Double ||
           type == Ado::Currency || type == Ado::Decimal || type == Ado::BigInt || type == Ado::Numeric;
}

bool isText(int type)
{
    namespace Ado = AdoType;
    return type == Ado::Char || type == Ado::WChar || type == Ado::VarChar || type == Ado::VarWChar;
}

// Turns one expression's nodes into columns or filter terms for one index.
class Translation
{
public:
    Translation(IndexDefinition& index, const ExpressionScope& scope, const Parser& parser)
        : m_index(index), m_scope(scope), m_parser(parser)
    {}

    void key(const Node& root)
    {
        std::vector<const Node*> parts;
        flatten(root, QStringLiteral("+"), parts);
        for (const Node* part : parts) {
            const int column = keyColumn(*part, parts.size() > 1);
            if (std::find(m_index.columns.begin(), m_index.columns.end(), column) == m_index.columns.end())
                m_index.columns.push_back(column);
        }
    }

    void filter(const Node& root)
    {
        std::vector<const Node*> terms;
        flatten(root, QStringLiteral("AND"), terms);
        for (const Node* term : terms)
            filterTerm(*term);
    }

private:
    static void flatten(const Node& node, const QString& op, std::vector<const Node*>& parts)
    {
        if (node.kind == Node::Kind::Binary && node.text == op) {
            flatten(node.args[0], op, parts);
            flatten(node.args[1], op, parts);
        } else {
            parts.push_back(&node);
        }
    }

    [[noreturn]] void noForm(const Node& node, const QString& why = {}) const
    {
        throw Untranslatable{
            why.isEmpty() ? QStringLiteral("%1 has no column form").arg(m_parser.source(node)) : why};
    }

    int field(const Node& node) const
    {
        if (node.kind != Node::Kind::Field)
            noForm(node);
        if (!node.alias.isEmpty() && node.alias.compare(m_scope.table, Qt::CaseInsensitive) != 0 &&
            node.alias.compare(m_scope.fileBase, Qt::CaseInsensitive) != 0)
            noForm(node, QStringLiteral("%1 is not a field of this table").arg(m_parser.source(node)));
        for (std::size_t i = 0; i < m_scope.fields.size(); ++i) {
            if (m_scope.fields[i].name.compare(node.text, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        }
        for (qsizetype i = 0; i < m_scope.headerNames.size(); ++i) {
            if (m_scope.headerNames[i].compare(node.text, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        }
        noForm(node, QStringLiteral("the table has no field %1").arg(node.text));
    }

    int width(int column) const { return m_scope.fields[std::size_t(column)].width; }

    // A whole number argument, or nothing.
    static std::optional<int> count(const std::vector<Node>& args, std::size_t at)
    {
        if (at >= args.size() || args[at].kind != Node::Kind::Number || args[at].text.contains(u'.'))
            return std::nullopt;
        return args[at].text.toInt();
    }

    void weaker(const QString& how)
    {
        if (!m_index.weaker.contains(how))
            m_index.weaker.append(how);
    }

    int keyColumn(const Node& node, bool joined)
    {
        if (node.kind != Node::Kind::Call)
            return field(node);
        const QString& f = node.text;
        const std::vector<Node>& args = node.args;
        if (args.empty())
            noForm(node);
        if ((f == u"UPPER" || f == u"LOWER") && args.size() == 1) {
            m_index.caseFolded = true;
            return keyColumn(args[0], joined);
        }
        if ((f == u"ALLTRIM" || f == u"LTRIM") && args.size() == 1) {
            weaker(QStringLiteral("leading blanks"));
            if (joined)
                weaker(QStringLiteral("where one value ends and the next begins"));
            return keyColumn(args[0], joined);
        }
        if ((f == u"TRIM" || f == u"RTRIM") && args.size() == 1) {
            if (joined)
                weaker(QStringLiteral("where one value ends and the next begins"));
            return keyColumn(args[0], joined);
        }
        if (f == u"PADR" || f == u"PADL" || f == u"LEFT" || (f == u"SUBSTR" && args.size() == 3)) {
            const bool substring = f == u"SUBSTR";
            const std::optional<int> length = count(args, substring ? 2 : 1);
            if (!length || args.size() != (substring ? 3u : 2u) || (substring && count(args, 1) != 1))
                noForm(node);
            const int column = keyColumn(args[0], joined);
            if (*length < width(column))
                weaker(QStringLiteral("characters after the first %1").arg(*length));
            return column;
        }
        if (f == u"STR" && args.size() <= 3) {
            if (args.size() > 1 && !count(args, 1))
                noForm(node);
            const std::optional<int> decimals = args.size() > 2 ? count(args, 2) : std::optional<int>(0);
            if (!decimals)
                noForm(node);
            const int column = field(args[0]);
            if (m_scope.fields[std::size_t(column)].decimals > *decimals)
                weaker(QStringLiteral("decimals beyond %1").arg(*decimals));
            return column;
        }
        if ((f == u"DTOS" && args.size() == 1) || (f == u"BINTOC" && args.size() <= 2) ||
            (f == u"TTOC" && args.size() == 2 && count(args, 1) == 1))
            return field(args[0]);
        noForm(node, QStringLiteral("%1() has no column form").arg(f));
    }

    static bool isCall(const Node& node, QStringView function)
    {
        return node.kind == Node::Kind::Call && node.text == function;
    }

    void filterTerm(const Node& node)
    {
        const bool negated = node.kind == Node::Kind::Unary && node.text == u"NOT";
        const Node& inner = negated ? node.args[0] : node;
        if (isCall(inner, u"DELETED") && inner.args.empty()) {
            if (!negated) // selects deleted rows only, and those are not copied
                noForm(node,
                       QStringLiteral("the filter %1 keeps only deleted rows").arg(m_parser.source(node)));
            return; // every copied row is undeleted
        }
        if (inner.kind == Node::Kind::Logical && inner.text == (negated ? u"F" : u"T"))
            return;
        if (isCall(inner, u"ISNULL") && inner.args.size() == 1) {
            m_index.where.push_back(
                {field(inner.args[0]), negated ? FilterTerm::Op::IsNotNull : FilterTerm::Op::IsNull, {}});
            return;
        }
        if (!negated && node.kind == Node::Kind::Binary) {
            comparison(node);
            return;
        }
        noForm(node,
               QStringLiteral("the filter %1 has no form a filtered index takes").arg(m_parser.source(node)));
    }

    static std::optional<FilterTerm::Op> operatorOf(const QString& op, bool flipped)
    {
        using Op = FilterTerm::Op;
        if (op == u"=")
            return Op::Equal;
        if (op == u"<>")
            return Op::NotEqual;
        if (op == u"<")
            return flipped ? Op::Greater : Op::Less;
        if (op == u"<=")
            return flipped ? Op::GreaterOrEqual : Op::LessOrEqual;
        if (op == u">")
            return flipped ? Op::Less : Op::Greater;
        if (op == u">=")
            return flipped ? Op::LessOrEqual : Op::GreaterOrEqual;
        return std::nullopt; // == and $
    }

    // A number literal, possibly negative, or nothing.
    static std::optional<QString> numberText(const Node& node)
    {
        if (node.kind == Node::Kind::Number)
            return node.text;
        if (node.kind == Node::Kind::Unary && node.text == u"-" && node.args[0].kind == Node::Kind::Number)
            return u'-' + node.args[0].text;
        return std::nullopt;
    }

    void comparison(const Node& node)
    {
        const bool flipped = node.args[0].kind != Node::Kind::Field;
        const Node& fieldNode = node.args[flipped ? 1 : 0];
        const Node& literal = node.args[flipped ? 0 : 1];
        const std::optional<FilterTerm::Op> op = operatorOf(node.text, flipped);
        const QString why =
            QStringLiteral("the filter %1 has no form a filtered index takes").arg(m_parser.source(node));
        if (fieldNode.kind != Node::Kind::Field || !op)
            noForm(node, why);
        const int column = field(fieldNode);
        const int type = m_scope.fields[std::size_t(column)].type;
        if (const std::optional<QString> number = numberText(literal); number && isNumeric(type)) {
            m_index.where.push_back({column, *op, Decimal{*number}});
            return;
        }
        // Text is compared up to the length of the right-hand text: >= and < keep their SQL meaning.
        if (literal.kind == Node::Kind::Text && isText(type) &&
            (*op == FilterTerm::Op::GreaterOrEqual || *op == FilterTerm::Op::Less)) {
            m_index.where.push_back({column, *op, literal.text});
            return;
        }
        noForm(node, why);
    }

    IndexDefinition& m_index;
    const ExpressionScope& m_scope;
    const Parser& m_parser;
};

// Runs one translation of `text`; the reason it has no form, or nothing.
template <typename Step> std::optional<QString> attempt(const QString& text, Step step)
{
    try {
        Parser parser(text);
        const Node root = parser.parse();
        step(parser, root);
        return std::nullopt;
    } catch (const Untranslatable& untranslatable) {
        return untranslatable.reason;
    }
}

} // namespace

void translateIndex(IndexDefinition& index, const ExpressionScope& scope)
{
    std::optional<QString> problem = attempt(index.expression, [&](const Parser& parser, const Node& root) {
        Translation(index, scope, parser).key(root);
    });
    if (!problem && !index.filter.isEmpty())
        problem = attempt(index.filter, [&](const Parser& parser, const Node& root) {
            Translation(index, scope, parser).filter(root);
        });
    if (problem) {
        index.columns.clear();
        index.where.clear();
        index.skipped = *problem;
    }
}

} // namespace db::foxpro
