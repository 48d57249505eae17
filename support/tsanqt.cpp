// Linked into the test programs of a ThreadSanitizer build (-DVORN_TSAN=ON) only.
//
// Qt 5 as the distribution ships it is not instrumented: QMutex and
// QReadWriteLock lock through futexes, the thread pool hands tasks over under
// its own QMutex, QSemaphore and futures wake their waiters the same way. TSan
// sees none of it, so every object handed from one thread to another through
// Qt would look like a race. The program's own definitions come before
// libQt5Core's when symbols are looked up, so the Qt entry points our code calls
// are defined again here: each tells TSan what the call means (a lock, an
// unlock, a release or an acquire on an address) and calls Qt's own function.
// Nothing is suppressed: a race in our code, a lock taken in an inconsistent
// order and data touched after its unlock are still reported.
//
// Calls made inside libQt5Core do not come through here (the library binds its
// own calls at link time); they need no annotation, since TSan sees no memory
// access of uninstrumented code.
//
// Covered: QMutex (lock, tryLock, unlock, destruction), QReadWriteLock (every
// lock, unlock, destruction), QWaitCondition::wait with a QMutex, QSemaphore,
// QThreadPool::start/tryStart with a function, and QtConcurrent::run's task and
// its future (started, finished, waited for). A QRunnable of our own handed to
// QThreadPool::start is not: no Qt call of ours runs first in the pool thread.

#include <QDeadlineTimer>
#include <QFutureInterfaceBase>
#include <QFutureWatcherBase>
#include <QMutex>
#include <QReadWriteLock>
#include <QSemaphore>
#include <QThreadPool>
#include <QWaitCondition>

#include <sanitizer/tsan_interface.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

namespace {

// Qt's own definition of the symbol this file defines again.
template <class Function>
Function Next(const char* symbol)
{
    void* found = dlsym(RTLD_NEXT, symbol);
    if (!found) {
        std::fprintf(stderr, "tsanqt: %s not found after the program\n", symbol);
        std::abort();
    }
    return reinterpret_cast<Function>(found);
}

#define QT_NEXT(type, symbol) static const auto next = Next<type>(symbol)

void AnnotateLock(void* lock, unsigned flags)
{
    __tsan_mutex_pre_lock(lock, flags);
    __tsan_mutex_post_lock(lock, flags, 0);
}

void AnnotateUnlock(void* lock, unsigned flags)
{
    __tsan_mutex_pre_unlock(lock, flags);
    __tsan_mutex_post_unlock(lock, flags);
}

unsigned TryFlags(unsigned flags, bool locked)
{
    return flags | __tsan_mutex_try_lock | (locked ? 0 : __tsan_mutex_try_lock_failed);
}

// QReadWriteLock::unlock does not say how the lock was held: each thread
// remembers the read-write locks it holds and how, innermost last.
thread_local std::vector<std::pair<const void*, unsigned>> t_heldReadWriteLocks;

void RememberHeld(const void* lock, unsigned flags)
{
    t_heldReadWriteLocks.emplace_back(lock, flags & __tsan_mutex_read_lock);
}

// The flags of the innermost hold of lock by this thread, forgotten; false
// when this thread does not hold it through a call that came through here.
bool ForgetHeld(const void* lock, unsigned& flags)
{
    for (auto held = t_heldReadWriteLocks.end(); held != t_heldReadWriteLocks.begin();) {
        --held;
        if (held->first == lock) {
            flags = held->second;
            t_heldReadWriteLocks.erase(held);
            return true;
        }
    }
    return false;
}

// A function handed to the thread pool, marked as received before it runs.
// Its address (inside the std::function, which keeps it on the heap) is
// known in the pool thread without reading anything written by the caller.
struct HandedWork
{
    std::function<void()> work;
    void operator()()
    {
        __tsan_acquire(this);
        work();
    }
};

std::function<void()> Handed(std::function<void()> work)
{
    if (!work)
        return work;
    std::function<void()> handed(HandedWork {std::move(work)});
    __tsan_release(handed.target<HandedWork>());
    return handed;
}

} // namespace

void QMutex::lock() QT_MUTEX_LOCK_NOEXCEPT
{
    QT_NEXT(void (*)(QMutex*), "_ZN6QMutex4lockEv");
    __tsan_mutex_pre_lock(this, 0);
    next(this);
    __tsan_mutex_post_lock(this, 0, 0);
}

bool QMutex::tryLock(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    QT_NEXT(bool (*)(QMutex*, int), "_ZN6QMutex7tryLockEi");
    __tsan_mutex_pre_lock(this, __tsan_mutex_try_lock);
    const bool locked = next(this, timeout);
    __tsan_mutex_post_lock(this, TryFlags(0, locked), 0);
    return locked;
}

void QMutex::unlock() noexcept
{
    QT_NEXT(void (*)(QMutex*), "_ZN6QMutex6unlockEv");
    __tsan_mutex_pre_unlock(this, 0);
    next(this);
    __tsan_mutex_post_unlock(this, 0);
}

QMutex::~QMutex()
{
    QT_NEXT(void (*)(QMutex*), "_ZN6QMutexD2Ev");
    __tsan_mutex_destroy(this, 0);
    next(this);
}

namespace {

void LockReadWrite(QReadWriteLock* lock, unsigned flags, void (*next)(QReadWriteLock*))
{
    __tsan_mutex_pre_lock(lock, flags);
    next(lock);
    __tsan_mutex_post_lock(lock, flags, 0);
    RememberHeld(lock, flags);
}

template <class... Timeout>
bool TryLockReadWrite(QReadWriteLock* lock, unsigned flags, bool (*next)(QReadWriteLock*, Timeout...),
                      Timeout... timeout)
{
    __tsan_mutex_pre_lock(lock, flags | __tsan_mutex_try_lock);
    const bool locked = next(lock, timeout...);
    __tsan_mutex_post_lock(lock, TryFlags(flags, locked), 0);
    if (locked)
        RememberHeld(lock, flags);
    return locked;
}

} // namespace

void QReadWriteLock::lockForRead()
{
    QT_NEXT(void (*)(QReadWriteLock*), "_ZN14QReadWriteLock11lockForReadEv");
    LockReadWrite(this, __tsan_mutex_read_lock, next);
}

void QReadWriteLock::lockForWrite()
{
    QT_NEXT(void (*)(QReadWriteLock*), "_ZN14QReadWriteLock12lockForWriteEv");
    LockReadWrite(this, 0, next);
}

bool QReadWriteLock::tryLockForRead()
{
    QT_NEXT(bool (*)(QReadWriteLock*), "_ZN14QReadWriteLock14tryLockForReadEv");
    return TryLockReadWrite(this, __tsan_mutex_read_lock, next);
}

bool QReadWriteLock::tryLockForRead(int timeout)
{
    QT_NEXT(bool (*)(QReadWriteLock*, int), "_ZN14QReadWriteLock14tryLockForReadEi");
    return TryLockReadWrite(this, __tsan_mutex_read_lock, next, timeout);
}

bool QReadWriteLock::tryLockForWrite()
{
    QT_NEXT(bool (*)(QReadWriteLock*), "_ZN14QReadWriteLock15tryLockForWriteEv");
    return TryLockReadWrite(this, 0, next);
}

bool QReadWriteLock::tryLockForWrite(int timeout)
{
    QT_NEXT(bool (*)(QReadWriteLock*, int), "_ZN14QReadWriteLock15tryLockForWriteEi");
    return TryLockReadWrite(this, 0, next, timeout);
}

void QReadWriteLock::unlock()
{
    QT_NEXT(void (*)(QReadWriteLock*), "_ZN14QReadWriteLock6unlockEv");
    unsigned flags = 0;
    const bool held = ForgetHeld(this, flags);
    if (held)
        __tsan_mutex_pre_unlock(this, flags);
    next(this);
    if (held)
        __tsan_mutex_post_unlock(this, flags);
}

QReadWriteLock::~QReadWriteLock()
{
    QT_NEXT(void (*)(QReadWriteLock*), "_ZN14QReadWriteLockD2Ev");
    __tsan_mutex_destroy(this, 0);
    next(this);
}

// The mutex is let go while waiting and taken again before the return.
bool QWaitCondition::wait(QMutex* lockedMutex, QDeadlineTimer deadline)
{
    QT_NEXT(bool (*)(QWaitCondition*, QMutex*, QDeadlineTimer), "_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    AnnotateUnlock(lockedMutex, 0);
    const bool woken = next(this, lockedMutex, deadline);
    AnnotateLock(lockedMutex, 0);
    return woken;
}

bool QWaitCondition::wait(QMutex* lockedMutex, unsigned long time)
{
    QT_NEXT(bool (*)(QWaitCondition*, QMutex*, unsigned long), "_ZN14QWaitCondition4waitEP6QMutexm");
    AnnotateUnlock(lockedMutex, 0);
    const bool woken = next(this, lockedMutex, time);
    AnnotateLock(lockedMutex, 0);
    return woken;
}

// What a thread did before releasing happens before what a thread does after
// acquiring.
void QSemaphore::release(int n)
{
    QT_NEXT(void (*)(QSemaphore*, int), "_ZN10QSemaphore7releaseEi");
    __tsan_release(this);
    next(this, n);
}

void QSemaphore::acquire(int n)
{
    QT_NEXT(void (*)(QSemaphore*, int), "_ZN10QSemaphore7acquireEi");
    next(this, n);
    __tsan_acquire(this);
}

bool QSemaphore::tryAcquire(int n)
{
    QT_NEXT(bool (*)(QSemaphore*, int), "_ZN10QSemaphore10tryAcquireEi");
    const bool acquired = next(this, n);
    if (acquired)
        __tsan_acquire(this);
    return acquired;
}

bool QSemaphore::tryAcquire(int n, int timeout)
{
    QT_NEXT(bool (*)(QSemaphore*, int, int), "_ZN10QSemaphore10tryAcquireEii");
    const bool acquired = next(this, n, timeout);
    if (acquired)
        __tsan_acquire(this);
    return acquired;
}

void QThreadPool::start(std::function<void()> functionToRun, int priority)
{
    QT_NEXT(void (*)(QThreadPool*, std::function<void()>, int), "_ZN11QThreadPool5startESt8functionIFvvEEi");
    next(this, Handed(std::move(functionToRun)), priority);
}

bool QThreadPool::tryStart(std::function<void()> functionToRun)
{
    QT_NEXT(bool (*)(QThreadPool*, std::function<void()>), "_ZN11QThreadPool8tryStartESt8functionIFvvEE");
    return next(this, Handed(std::move(functionToRun)));
}

// QtConcurrent::run: the task is built, reportStarted, then handed to the
// pool; in the pool thread its first call is isCanceled. Its end is
// reportFinished; whoever waits for it or sees it finished acquires. The
// future's shared state (d, the same in every copy) is the address.
void QFutureInterfaceBase::reportStarted()
{
    QT_NEXT(void (*)(QFutureInterfaceBase*), "_ZN20QFutureInterfaceBase13reportStartedEv");
    __tsan_release(d);
    next(this);
}

bool QFutureInterfaceBase::isCanceled() const
{
    QT_NEXT(bool (*)(const QFutureInterfaceBase*), "_ZNK20QFutureInterfaceBase10isCanceledEv");
    const bool canceled = next(this);
    __tsan_acquire(d);
    return canceled;
}

void QFutureInterfaceBase::reportFinished()
{
    QT_NEXT(void (*)(QFutureInterfaceBase*), "_ZN20QFutureInterfaceBase14reportFinishedEv");
    __tsan_release(d);
    next(this);
}

bool QFutureInterfaceBase::isFinished() const
{
    QT_NEXT(bool (*)(const QFutureInterfaceBase*), "_ZNK20QFutureInterfaceBase10isFinishedEv");
    const bool finished = next(this);
    if (finished)
        __tsan_acquire(d);
    return finished;
}

void QFutureInterfaceBase::waitForFinished()
{
    QT_NEXT(void (*)(QFutureInterfaceBase*), "_ZN20QFutureInterfaceBase15waitForFinishedEv");
    next(this);
    __tsan_acquire(d);
}

void QFutureWatcherBase::waitForFinished()
{
    QT_NEXT(void (*)(QFutureWatcherBase*), "_ZN18QFutureWatcherBase15waitForFinishedEv");
    next(this);
    __tsan_acquire(futureInterface().d);
}

bool QFutureWatcherBase::isFinished() const
{
    QT_NEXT(bool (*)(const QFutureWatcherBase*), "_ZNK18QFutureWatcherBase10isFinishedEv");
    const bool finished = next(this);
    if (finished)
        __tsan_acquire(futureInterface().d);
    return finished;
}
