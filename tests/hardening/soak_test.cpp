#include "live_window.h"
#include "window_invariants.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <set>

namespace {

// Resident memory of this process in kB, as the kernel counts it.
long resident_kb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression rss("^VmRSS:\\s*(\\d+)", QRegularExpression::MultilineOption);
    return rss.match(QString::fromLatin1(status.readAll())).captured(1).toLong();
}

void send_key(QWidget& to, QEvent::Type type)
{
    QKeyEvent key(type, Qt::Key_Space, Qt::NoModifier);
    QCoreApplication::sendEvent(&to, &key);
}

} // namespace

// Full rounds, one after another, through the real window with the real
// pictures and sound device: whatever a round takes it must give back.
class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void rounds_leave_nothing_behind();
};

void SoakTest::rounds_leave_nothing_behind()
{
    const int rounds = qEnvironmentVariableIsSet("ZUMBREL_SOAK_ROUNDS")
        ? qEnvironmentVariableIntValue("ZUMBREL_SOAK_ROUNDS")
        : 1000;
    const std::set<int> reported{1, 10, 100, 1000, rounds};
    PlayedWindow window;
    QVERIFY(window.active);
    WindowInvariants invariants(window.form);

    QElapsedTimer clock;
    clock.start();
    for (int round = 1; round <= rounds; ++round) {
        QTest::mouseClick(&window.start, Qt::LeftButton);
        for (int hit = 0; hit < 200; ++hit) {
            QWidget& focus = *QApplication::focusWidget();
            send_key(focus, QEvent::KeyPress);
            send_key(focus, QEvent::KeyRelease);
            QCoreApplication::processEvents(); // paints the hit, as the game does
            const QString broken = invariants.check();
            QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(broken)));
        }
        QVERIFY2(window.live.reports.isEmpty(), qPrintable(window.live.reports.join('\n')));
        QCOMPARE(window.form.round_state().hit_count, 200);
        QVERIFY(window.start.isEnabled());
        if (reported.contains(round))
            qInfo("after round %4d: VmRSS %ld kB, %lld ms", round, resident_kb(), clock.elapsed());
    }
    window.form.close();
}

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
