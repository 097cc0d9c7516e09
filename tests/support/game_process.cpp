#include "game_process.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

GameRun run_to_end(const QStringList& command, const QString& dir, const QProcessEnvironment& env,
                   int timeout_ms)
{
    return ChildProcess(command, env, dir, QProcess::ForwardedOutputChannel).end_with(0, timeout_ms);
}

QProcessEnvironment offscreen_environment(const QString& driver)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", driver);
    return env;
}

std::optional<QStringList> nobody_prefix()
{
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (::geteuid() != 0 || setpriv.isEmpty() || !getpwnam("nobody"))
        return std::nullopt;
    return QStringList{setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}

bool make_runtime_folder(const QString& path, bool for_nobody)
{
    const passwd* const nobody = getpwnam("nobody");
    return QDir().mkdir(path)
        && (!for_nobody || (nobody && ::chown(qPrintable(path), nobody->pw_uid, nobody->pw_gid) == 0))
        && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

std::optional<QStringList> as_nobody(const QString& program, const QString& dir, QProcessEnvironment& env)
{
    const auto prefix = nobody_prefix();
    const QString copy = dir + "/zumbrel-as-nobody";
    if (!prefix || !QFile::copy(program, copy))
        return std::nullopt;
    QFile::setPermissions(copy, QFile::permissions(program) | QFile::ReadOther | QFile::ExeOther);

    // The sanitizers must be able to read their suppressions as nobody too.
    static const QRegularExpression suppressions("suppressions=([^:]+)");
    QString options = env.value("LSAN_OPTIONS");
    if (const auto match = suppressions.match(options); match.hasMatch()) {
        const QString readable = dir + "/lsan-suppressions.txt";
        QFile::copy(match.captured(1), readable);
        options.replace(match.capturedStart(1), match.capturedLength(1), readable);
        env.insert("LSAN_OPTIONS", options);
    }
    // Qt wants a runtime folder of the user's own; it would make one in /tmp and leave it.
    const QString runtime = dir + "/runtime";
    if (make_runtime_folder(runtime, true))
        env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("HOME", dir);
    return *prefix + QStringList{copy};
}

QProcessEnvironment with_full_leak_stacks(QProcessEnvironment env)
{
    if (env.contains("ASAN_OPTIONS"))
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":fast_unwind_on_malloc=0");
    return env;
}

QString sanitizer_finding(const QString& standard_error)
{
    static const QRegularExpression finding("^.*(Sanitizer|runtime error:).*$",
                                            QRegularExpression::MultilineOption);
    return finding.match(standard_error).captured(0);
}
