#include "KXFileFaults.h"

#include <atomic>

namespace {
std::atomic<const KXFileFaults*> installedFaults {nullptr};
}

KXFileFaults::~KXFileFaults() = default;

bool KXFileFaults::RefusesOpen(const QString&, QIODevice::OpenMode) const
{
    return false;
}

qint64 KXFileFaults::WriteLimit(const QString&) const
{
    return -1;
}

bool KXFileFaults::RefusesRemove(const QString&) const
{
    return false;
}

void KXFileFaults::Install(const KXFileFaults* faults)
{
    installedFaults.store(faults, std::memory_order_release);
}

const KXFileFaults* KXFileFaults::Installed()
{
    return installedFaults.load(std::memory_order_acquire);
}
