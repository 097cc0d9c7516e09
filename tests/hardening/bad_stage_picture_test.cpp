#include "data_copy.h"
#include "game_window.h"
#include "picture_damage.h"
#include "recording_sound_device.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

enum class Trigger { first_hit, time_out };

} // namespace

Q_DECLARE_METATYPE(Trigger)

// The real window, with a picture it needs mid-round spoiled.
class BadStagePictureTest : public QObject {
    Q_OBJECT

private slots:
    void ends_the_game_with_a_report_data();
    void ends_the_game_with_a_report();
};

void BadStagePictureTest::ends_the_game_with_a_report_data()
{
    QTest::addColumn<int>("picture");
    QTest::addColumn<Trigger>("trigger");
    QTest::addColumn<int>("damage");
    const std::pair<int, Trigger> needed[] = {{1, Trigger::first_hit}, {21, Trigger::time_out}};
    for (const auto& [picture, trigger] : needed)
        for (std::size_t i = 0; i < picture_damages().size(); ++i)
            if (picture_damages()[i].whole_game)
                QTest::addRow("%d, %s", picture, picture_damages()[i].name) << picture << trigger << int(i);
}

void BadStagePictureTest::ends_the_game_with_a_report()
{
    QFETCH(int, picture);
    QFETCH(Trigger, trigger);
    QFETCH(int, damage);
    const PictureDamage& spoil = picture_damages()[std::size_t(damage)];
    const QString file = QStringLiteral("bmp/%1.bmp").arg(picture);
    const DataCopy data(ZUMBREL_DATA_DIR);
    QVERIFY(data.isValid());
    const CurrentDir inside(data.path());
    spoil_picture(file, spoil);

    RecordingSoundDevice sounds;
    GameWindow window(sounds);
    QVERIFY(window.active());
    const QStringList& reports = window.reports();
    QVERIFY(reports.isEmpty());
    window.click_start();
    QVERIFY(window.timer().isActive());

    {
        const ReadAsNobody reader;
        if (spoil.needs_unprivileged_reader && QFile(file).open(QIODevice::ReadOnly))
            QSKIP("this thread can still read a file without read permission");
        if (trigger == Trigger::first_hit)
            window.tap();
        else
            for (int tick = 0; tick < 25; ++tick)
                window.form().Timer1_Timer();
    }

    QVERIFY(window.form().failed());
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.front().contains(file), qPrintable(reports.front()));
    QVERIFY2(reports.front().contains(spoil.reason), qPrintable(reports.front()));
    QVERIFY(!window.timer().isActive());
    // Once failed, the window does nothing more.
    const QString hits = window.control<QLabel>(layout::Label4).text();
    window.tap();
    window.tap();
    QCOMPARE(window.control<QLabel>(layout::Label4).text(), hits);
    QCOMPARE(reports.size(), 1);
}

QTEST_MAIN(BadStagePictureTest)
#include "bad_stage_picture_test.moc"
