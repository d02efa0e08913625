#pragma once

#include "uninstall/uninstall_residue.h"

#include <QList>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>

// Hands one scan result from the scan thread to the main thread. Each
// operation holds the lock only for its own field accesses.
class UninstallScanBox
{
public:
    // Scan thread: stores the result, replacing any earlier one.
    void publish(const QList<UninstallResidue> &residues);
    // Main thread: takes the published result once; nothing when none is
    // waiting.
    std::optional<QList<UninstallResidue>> consume();
    // The result the main thread took, or empty. A result published but never
    // taken is not part of it.
    QList<UninstallResidue> result() const;
    // Waits up to `milliseconds` for a published, untaken result (tests).
    bool waitForPending(int milliseconds) const;

    // Scan thread: the scan advanced (a folder listed, names examined).
    void noteProgress() { m_progress.fetch_add(1, std::memory_order_relaxed); }
    // Main thread: how often the scan advanced so far; a change between two
    // looks means it still works.
    quint64 progress() const { return m_progress.load(std::memory_order_relaxed); }

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_published;
    std::optional<QList<UninstallResidue>> m_pending;
    std::optional<QList<UninstallResidue>> m_accepted;
    std::atomic<quint64> m_progress{0};
};
