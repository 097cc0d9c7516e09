#include "data_copy.h"
#include "game_process.h"
#include "picture_damage.h"

#include <QTest>

#include <unistd.h>

namespace {

// A hang is a failure: the game should give up at once.
constexpr int hang_ms = 20000;

} // namespace

// The real program, started with its title picture spoiled.
class BadTitlePictureTest : public QObject {
    Q_OBJECT

private slots:
    void ends_with_a_clear_report_data()
    {
        QTest::addColumn<int>("damage");
        for (std::size_t i = 0; i < picture_damages().size(); ++i)
            if (picture_damages()[i].whole_game)
                QTest::newRow(picture_damages()[i].name) << int(i);
    }

    void ends_with_a_clear_report()
    {
        QFETCH(int, damage);
        const PictureDamage& spoil = picture_damages()[std::size_t(damage)];
        const DataCopy data(ZUMBREL_DATA_DIR);
        QVERIFY(data.isValid());
        spoil_picture(data.filePath("bmp/25.bmp"), spoil);

        QProcessEnvironment env = offscreen_environment("dummy");
        QStringList command{ZUMBREL_PROGRAM};
        if (spoil.needs_unprivileged_reader && geteuid() == 0) {
            const auto nobody = as_nobody(ZUMBREL_PROGRAM, data.path(), env);
            if (!nobody)
                QSKIP("cannot run the game as an unprivileged user here (setpriv?)");
            command = *nobody;
        }

        const GameRun run = run_to_end(command, data.path(), env, hang_ms);
        const QByteArray said = run.standard_error.toLocal8Bit();
        QVERIFY2(!run.timed_out, "still running after 20 s");
        QVERIFY2(!run.crashed, said);
        QVERIFY2(run.exit_code != 0, said);
        QVERIFY2(run.standard_error.contains("bmp/25.bmp"), said);
        QVERIFY2(run.standard_error.contains(spoil.reason), said);
        QVERIFY2(sanitizer_finding(run.standard_error).isEmpty(), said);
    }
};

QTEST_GUILESS_MAIN(BadTitlePictureTest)
#include "bad_title_picture_test.moc"
