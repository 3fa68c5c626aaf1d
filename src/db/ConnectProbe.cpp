#include "db/ConnectProbe.h"
#include "db/DatabaseError.h"
#include "db/Providers.h"

#include <QCoreApplication>
#include <QList>
#include <QMutex>
#include <QThread>
#include <atomic>

namespace quillary::provider {

struct TConnectProbe::TState {
    std::atomic<bool> Done{false};
    QString Error; // written before Done, read after it
    QThread* Thread = nullptr;
    bool Abandoned = false; // guarded by the registry's mutex
};

namespace {

using TState = TConnectProbe::TState;

// Every probe thread that has not been deleted yet. A probe whose waiter
// gave up still runs; its thread is deleted once it has finished, and the
// application waits for the last ones before Qt SQL goes away.
class TProbeThreads {
public:
    static TProbeThreads& Instance() {
        static TProbeThreads threads;
        return threads;
    }
    void Add(const std::shared_ptr<TState>& state) {
        QMutexLocker lock(&m_mutex);
        CollectAbandoned();
        m_states.append(state);
        if (!m_postRoutine) {
            m_postRoutine = true;
            qAddPostRoutine([] { Instance().WaitForAll(); });
        }
    }
    // The probe's owner is done with a finished probe.
    void Release(const std::shared_ptr<TState>& state) {
        state->Thread->wait();
        QMutexLocker lock(&m_mutex);
        m_states.removeOne(state);
        delete state->Thread;
        state->Thread = nullptr;
    }
    // Nobody waits for the probe any more: it goes once it has finished.
    void Abandon(const std::shared_ptr<TState>& state) {
        QMutexLocker lock(&m_mutex);
        state->Abandoned = true;
    }

private:
    // With the mutex held.
    void CollectAbandoned() {
        m_states.removeIf([](const std::shared_ptr<TState>& state) {
            if (!state->Abandoned || !state->Thread->isFinished()) return false;
            state->Thread->wait();
            delete state->Thread;
            state->Thread = nullptr;
            return true;
        });
    }
    void WaitForAll() {
        QMutexLocker lock(&m_mutex);
        for (const std::shared_ptr<TState>& state : std::as_const(m_states)) {
            state->Thread->wait();
            delete state->Thread;
            state->Thread = nullptr;
        }
        m_states.clear();
    }

    QMutex m_mutex;
    QList<std::shared_ptr<TState>> m_states;
    bool m_postRoutine = false;
};

QString NextProbeName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("quillary-probe-%1").arg(++counter);
}

} // namespace

TConnectProbe::TConnectProbe(TProviderKind kind, const QString& providerName,
                             const TConnectionString& cs, const QString& user,
                             const QString& password)
    : m_state(std::make_shared<TState>()) {
    m_state->Thread = QThread::create([state = m_state, kind, providerName, cs, user, password] {
        const QString name = NextProbeName();
        QString error;
        try {
            Open(kind, providerName, cs, user, password, name);
        } catch (const EDatabaseError& e) {
            error = e.Message();
        }
        Close(name);
        state->Error = error;
        state->Done.store(true, std::memory_order_release);
    });
    TProbeThreads::Instance().Add(m_state);
    m_state->Thread->start();
}

TConnectProbe::~TConnectProbe() {
    if (Finished())
        TProbeThreads::Instance().Release(m_state);
    else
        TProbeThreads::Instance().Abandon(m_state);
}

bool TConnectProbe::Finished() const {
    return m_state->Done.load(std::memory_order_acquire);
}

QString TConnectProbe::Error() const {
    return Finished() ? m_state->Error : QString();
}

} // namespace quillary::provider
