#include "memory_user_defaults.h"

#include "foundation/log.h"

MemoryUserDefaults::MemoryUserDefaults(const QVariantMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        setObject(it.key(), it.value());
}

std::optional<QVariant> MemoryUserDefaults::object(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.cend())
        return std::nullopt;
    return *it;
}

bool MemoryUserDefaults::setObject(const QString &key, const QVariant &value)
{
    if (value.isNull()) {
        m_values.remove(key);
        return true;
    }
    std::optional<QVariant> stored = normalized(value);
    if (!stored) {
        Log::write("[settings] unsupported value key=%@ type=%@", key, QString::fromLatin1(value.typeName()));
        return false;
    }
    m_values.insert(key, *stored);
    return true;
}

void MemoryUserDefaults::removeObject(const QString &key)
{
    m_values.remove(key);
}

std::optional<QVariant> MemoryUserDefaults::value(const QString &key, const QString &domain) const
{
    const auto domainIt = m_domains.constFind(domain);
    if (domainIt == m_domains.cend())
        return std::nullopt;
    const auto it = domainIt->constFind(key);
    if (it == domainIt->cend())
        return std::nullopt;
    return *it;
}

bool MemoryUserDefaults::setPersistentDomain(const QString &domain, const QVariantMap &values)
{
    if (values.isEmpty()) {
        m_domains.remove(domain);
        return true;
    }
    const std::optional<QVariant> stored = normalized(QVariant(values));
    if (!stored) {
        Log::write("[settings] unsupported value domain=%@", domain);
        return false;
    }
    m_domains.insert(domain, stored->toMap());
    return true;
}
