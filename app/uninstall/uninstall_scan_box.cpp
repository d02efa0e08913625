#include "uninstall/uninstall_scan_box.h"

#include <chrono>

void UninstallScanBox::publish(const QList<UninstallResidue> &residues)
{
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_pending = residues;
    }
    m_published.notify_all();
}

std::optional<QList<UninstallResidue>> UninstallScanBox::consume()
{
    const std::lock_guard<std::mutex> guard(m_lock);
    if (!m_pending)
        return std::nullopt;
    m_accepted = std::move(m_pending);
    m_pending.reset();
    return m_accepted;
}

QList<UninstallResidue> UninstallScanBox::result() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_accepted.value_or(QList<UninstallResidue>());
}

bool UninstallScanBox::waitForPending(int milliseconds) const
{
    std::unique_lock<std::mutex> guard(m_lock);
    return m_published.wait_for(guard, std::chrono::milliseconds(milliseconds),
                                [this] { return m_pending.has_value(); });
}
