#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// How one run of a program ended.
struct GameRun {
    bool timed_out = false;
    bool crashed = false; // ended by a signal
    int exit_code = -1;
    QString standard_error;
};

// A program started in `dir` with `env`, its output and error channels as
// `channels` says, and `keep_fd` left open in it for a program told to write
// there. It ends with this process, however that ends, and is asked to end
// with SIGTERM, then killed, when destroyed.
class ChildProcess : public QProcess {
    Q_OBJECT

public:
    explicit ChildProcess(const QStringList& command,
                          const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                          const QString& dir = {}, ProcessChannelMode channels = ForwardedChannels,
                          int keep_fd = -1);
    ~ChildProcess() override;

    bool started() const { return state() == Running; }
    // Sends `signal`, if not 0, and waits up to `timeout_ms` for the program
    // to end, killing it after that; the error channel must have been kept.
    GameRun end_with(int signal, int timeout_ms);
};
