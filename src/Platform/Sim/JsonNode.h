#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <type_traits>
#include <utility>
#include <variant>

// Why a document was rejected: the place in it ("instances[1].windows[0]",
// empty for the top level) and the problem there.
struct JsonSchemaError {
    QString path;
    QString problem;
};

// One value of a JSON document together with its path, for strict readers: a
// typed read of a value of another kind, or of a number that the field cannot
// hold, throws a JsonSchemaError naming the path and what was found. The
// throws never leave readDocument(), which turns them into one error line.
class JsonNode {
public:
    JsonNode(QJsonValue value, QString path) : m_value(std::move(value)), m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    const QJsonValue& value() const { return m_value; }

    QString text() const;
    bool flag() const;
    double number() const;
    // A number from low to high.
    double number(double low, double high) const;
    // A whole number from low to high; the defaults take whatever a qint64 holds.
    qint64 wholeNumber(qint64 low = std::numeric_limits<qint64>::min(),
                       qint64 high = std::numeric_limits<qint64>::max()) const;
    QList<JsonNode> list() const;
    // A list of exactly count elements; `what` describes it in the error.
    QList<JsonNode> list(qsizetype count, const QString& what) const;
    QStringList texts() const;
    // An object's members in key order, whatever their keys.
    QList<std::pair<QString, JsonNode>> members() const;
    // A member of an object or an element of a list, for reading or for
    // naming its place; a JSON undefined value when there is none.
    JsonNode member(const QString& key) const;
    JsonNode element(qsizetype index) const;

    [[noreturn]] void fail(const QString& problem) const;
    // Fails with "expected <what>, found <the kind found>".
    [[noreturn]] void expected(const QString& what) const;

    // Parses the document and hands its root to `read`. The result is what
    // `read` returns, or one line "<fileName>: <place>: <problem>", the place
    // being "line L, column C" for a syntax error and the path (or "top
    // level") for what `read` rejected.
    template <typename Read>
    static std::variant<std::invoke_result_t<Read, const JsonNode&>, QString>
    readDocument(const QByteArray& json, const QString& fileName, Read&& read)
    {
        std::variant<JsonNode, QString> root = parse(json, fileName);
        if (auto* error = std::get_if<QString>(&root))
            return std::move(*error);
        try {
            return std::forward<Read>(read)(std::get<JsonNode>(root));
        } catch (const JsonSchemaError& error) {
            return describe(fileName, error);
        }
    }

private:
    static QString memberPath(const QString& path, const QString& key);
    static QString elementPath(const QString& path, qsizetype index);
    static std::variant<JsonNode, QString> parse(const QByteArray& json, const QString& fileName);
    static QString describe(const QString& fileName, const JsonSchemaError& error);

    QJsonValue m_value;
    QString m_path;
};
