#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (the session ending, the terminal going away,
// Ctrl+C) turned into a Qt signal, so that Quillet closes its window the normal
// way (settings and restore file written) instead of dying with unsaved text.
// The handler only writes the signal number into a pipe (the self-pipe trick);
// the event loop reads it and emits terminationRequested(). While one of these
// objects lives, the three signals no longer end the process by themselves.
// One object at a time; the previous handlers come back when it is destroyed.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe or the handlers could not be set up; the signals
    // then keep their default effect.
    bool isInstalled() const { return m_installed; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
};
