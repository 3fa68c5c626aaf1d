#pragma once
// A connection attempt on a worker thread: the same provider and parameters
// as a real one, on a Qt SQL connection of its own that the thread opens,
// closes and removes. It tells whether the data source answers without
// blocking the thread that waits for it. Internal to the layer.

#include "db/ADOConnection.h"

#include <QString>
#include <memory>

namespace quillary::provider {

class TConnectProbe {
public:
    TConnectProbe(TProviderKind kind, const QString& providerName, const TConnectionString& cs,
                  const QString& user, const QString& password);
    // A probe still running is abandoned: it ends on its own, at the latest
    // when its connect timeout expires, and is collected then (or when the
    // application ends).
    ~TConnectProbe();
    TConnectProbe(const TConnectProbe&) = delete;
    TConnectProbe& operator=(const TConnectProbe&) = delete;

    bool Finished() const;
    // Once finished: empty when the data source answered, else the message
    // the real attempt would raise.
    QString Error() const;

    struct TState;

private:
    std::shared_ptr<TState> m_state;
};

} // namespace quillary::provider
