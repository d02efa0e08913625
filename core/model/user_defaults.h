#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// A key-value store of preferences in the manner of the platform's user
// defaults: the application's own values, plus read access to other
// applications' preference domains.
//
// Values are held as QVariant of bool, qint64, double, QString, QVariantList
// or QVariantMap (string lists are held as QVariantList of strings). The typed
// reads convert between numbers, Booleans and numeric text, and answer none
// when the key is absent or the value cannot be converted; a non-finite
// double is never converted to an integer.
class UserDefaults
{
public:
    virtual ~UserDefaults() = default;

    // The stored value, or none: the presence test.
    virtual std::optional<QVariant> object(const QString &key) const = 0;
    bool contains(const QString &key) const { return object(key).has_value(); }

    // Text as is; integers and Booleans as their decimal text.
    std::optional<QString> string(const QString &key) const;
    // A list whose elements are all text.
    std::optional<QStringList> stringList(const QString &key) const;
    // Integers as is; finite doubles truncated toward zero and saturated; true
    // and false as 1 and 0; decimal text (surrounding white space allowed).
    std::optional<qint64> integer(const QString &key) const;
    // Numbers as is (NaN and infinities included); Booleans as 1 and 0; text
    // that reads as a number.
    std::optional<double> doubleValue(const QString &key) const;
    // Booleans as is; numbers as "not zero"; the texts true/yes/false/no in any
    // letter case, and numeric text.
    std::optional<bool> boolValue(const QString &key) const;
    std::optional<QVariantMap> dictionary(const QString &key) const;

    // Stores `value` under `key`. Values of a kind the store cannot hold are
    // refused with a log line, and false is returned.
    virtual bool setObject(const QString &key, const QVariant &value) = 0;
    bool setString(const QString &key, const QString &value) { return setObject(key, value); }
    bool setStringList(const QString &key, const QStringList &value) { return setObject(key, value); }
    bool setInteger(const QString &key, qint64 value) { return setObject(key, value); }
    bool setDouble(const QString &key, double value) { return setObject(key, value); }
    bool setBool(const QString &key, bool value) { return setObject(key, value); }
    virtual void removeObject(const QString &key) = 0;

    // Every key and value of the application's own domain.
    virtual QVariantMap dictionaryRepresentation() const = 0;

    // A value from another application's preference domain (for example
    // "com.apple.dock"); none when the store does not have that domain or key.
    virtual std::optional<QVariant> value(const QString &key, const QString &domain) const = 0;
    virtual QVariantMap persistentDomain(const QString &domain) const = 0;
    // Replaces a whole foreign domain; an empty map removes it.
    virtual bool setPersistentDomain(const QString &domain, const QVariantMap &values) = 0;

    // Writes pending changes now; false when they could not be written.
    virtual bool synchronize() { return true; }

    // Groups many writes into one: a persistent store writes when the
    // outermost batch ends instead of after every change.
    class Batch
    {
    public:
        explicit Batch(UserDefaults &defaults) : m_defaults(defaults) { m_defaults.beginBatch(); }
        ~Batch() { m_defaults.endBatch(); }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        UserDefaults &m_defaults;
    };

    // The process's own store: a FileUserDefaults at its standard location,
    // made on first use.
    static UserDefaults &standard();

    // The stored form of `value`, or none for a kind the store cannot hold.
    static std::optional<QVariant> normalized(const QVariant &value);

protected:
    virtual void beginBatch() {}
    virtual void endBatch() {}
};
