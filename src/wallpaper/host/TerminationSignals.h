#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace orbiclock {

/// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit of the event loop, so the browser engine
/// shuts down its helper processes and the lock and socket are removed. Restores the old handlers
/// when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent);
    ~TerminationSignals() override;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace orbiclock
