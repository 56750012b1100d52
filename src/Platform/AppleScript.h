#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>
#include <variant>

// App scripting: a script text is built into a program and run against the
// app it names (always by bundle identifier). A run answers with a result
// descriptor or an error dictionary. A run may take arbitrarily long or never
// return: callers bound their wait themselves (see ScriptGuard).

// A result descriptor: null, text, integer, boolean or a list of descriptors.
// The value accessors coerce the way the host does; a list has 1-based items.
class AEDescriptor {
public:
    enum class Kind { Null, Text, Integer, Boolean, List };

    static AEDescriptor null() { return AEDescriptor(); }
    static AEDescriptor text(const QString& value) { return AEDescriptor(Kind::Text, value); }
    static AEDescriptor integer(qint32 value) { return AEDescriptor(Kind::Integer, value); }
    static AEDescriptor boolean(bool value) { return AEDescriptor(Kind::Boolean, value); }
    static AEDescriptor list(const QList<AEDescriptor>& items)
    {
        return AEDescriptor(Kind::List, items);
    }

    // Items of a list; 0 for any other kind.
    int numberOfItems() const;
    // 1-based; no value outside the list or for a non-list.
    std::optional<AEDescriptor> descriptorAtIndex(int index) const;
    // Text as text, an integer or boolean coerced to text; no value otherwise.
    std::optional<QString> stringValue() const;
    // An integer, a boolean (0 or 1) or a text that reads as a whole number; 0 otherwise.
    qint32 int32Value() const;
    // A boolean, an integer (non-zero), or the texts "true"/"false"; false otherwise.
    bool booleanValue() const;

    // For tests and benchmarks: the product never calls these.
    Kind kind() const { return m_kind; }

    friend bool operator==(const AEDescriptor& a, const AEDescriptor& b)
    {
        return a.m_kind == b.m_kind && a.m_value == b.m_value;
    }

private:
    using Value = std::variant<std::monostate, QString, qint32, bool, QList<AEDescriptor>>;
    AEDescriptor() = default;
    AEDescriptor(Kind kind, Value value) : m_kind(kind), m_value(std::move(value)) {}

    Kind m_kind = Kind::Null;
    Value m_value;
};

// The keys of a run's error dictionary; the values may be of any kind.
namespace AppleScriptErrorKey {
inline const QString message = QStringLiteral("NSAppleScriptErrorMessage");
inline const QString number = QStringLiteral("NSAppleScriptErrorNumber");
} // namespace AppleScriptErrorKey

// A built script, ready to run any number of times.
struct AppleScriptProgram {
    QString source;
};

struct AppleScriptRun {
    std::optional<AEDescriptor> result;   // absent when the run failed
    std::optional<QVariantMap> errorInfo; // present exactly when the run failed
};

class AppleScript {
public:
    virtual ~AppleScript() = default;
    // No value when the text cannot be made into a script at all.
    virtual std::optional<AppleScriptProgram> build(const QString& source) const = 0;
    // Compiles and runs; blocks the calling thread for as long as the app takes.
    virtual AppleScriptRun execute(const AppleScriptProgram& program) = 0;
};

// The error dictionary as one line, for logs.
QString describeErrorInfo(const QVariantMap& errorInfo);
