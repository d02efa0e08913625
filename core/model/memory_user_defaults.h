#pragma once

#include "user_defaults.h"

#include <QHash>

// User defaults held in memory only: for tests and for callers that must not
// touch the disk.
class MemoryUserDefaults : public UserDefaults
{
public:
    MemoryUserDefaults() = default;
    explicit MemoryUserDefaults(const QVariantMap &values);

    std::optional<QVariant> object(const QString &key) const override;
    // An invalid or null value removes the key.
    bool setObject(const QString &key, const QVariant &value) override;
    void removeObject(const QString &key) override;
    QVariantMap dictionaryRepresentation() const override { return m_values; }

    std::optional<QVariant> value(const QString &key, const QString &domain) const override;
    QVariantMap persistentDomain(const QString &domain) const override { return m_domains.value(domain); }
    bool setPersistentDomain(const QString &domain, const QVariantMap &values) override;

protected:
    // Replaces the application's own values with already normalized ones.
    void replaceValues(QVariantMap values) { m_values = std::move(values); }

private:
    QVariantMap m_values;
    QHash<QString, QVariantMap> m_domains;
};
