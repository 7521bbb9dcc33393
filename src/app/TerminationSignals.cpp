#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kSignalCount = int(std::size(kSignals));

int s_pipe[2] = {-1, -1};
struct sigaction s_previous[kSignalCount];

extern "C" void onTerminationSignal(int number)
{
    // Only async-signal-safe calls here: one byte into the pipe.
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}

void closePipe()
{
    for (int& fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (s_pipe[0] >= 0 || ::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = &onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        if (::sigaction(kSignals[i], &action, &s_previous[i]) != 0) {
            for (int j = 0; j < i; ++j)
                ::sigaction(kSignals[j], &s_previous[j], nullptr);
            closePipe();
            return;
        }
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    m_installed = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_installed)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &s_previous[i], nullptr);
    delete m_notifier;
    closePipe();
}

void TerminationSignals::readSignals()
{
    unsigned char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(s_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT terminationRequested(bytes[i]);
    }
}
