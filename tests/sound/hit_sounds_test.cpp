#include "../support/recording_sound_device.h"
#include "media/hit_sounds.h"
#include "media/sound_output.h"
#include "media/sound_output.h"

#include <QtTest>

#include <functional>
#include <string>
#include <vector>

namespace {

using Use = std::function<void(media::SoundDevice&)>;
using Commands = std::vector<std::string>;

} // namespace

Q_DECLARE_METATYPE(Use)
Q_DECLARE_METATYPE(Commands)

class HitSoundsTest : public QObject {
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<Use>("use");
        QTest::addColumn<Commands>("expected");
        QTest::newRow("open") << Use(media::open_hit_sounds)
                              << Commands{"open sh-hit1.wav alias p1", "open sh-hit2.wav alias p2"};
        QTest::newRow("cue p1") << Use([](media::SoundDevice& d) { media::play_cue(d, game::Cue::p1); })
                                << Commands{"play p1 from 0"};
        QTest::newRow("cue p2") << Use([](media::SoundDevice& d) { media::play_cue(d, game::Cue::p2); })
                                << Commands{"play p2 from 0"};
        QTest::newRow("close") << Use(media::close_hit_sounds) << Commands{"close p1", "close p2"};
    }

    void commands()
    {
        QFETCH(Use, use);
        QFETCH(Commands, expected);
        RecordingSoundDevice device;
        use(device);
        QCOMPARE(device.commands, expected);
    }

    void module_place_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("place"); // empty: none
        // Installed, the program sits beside its module.
        QTest::newRow("installed") << "/usr/lib/games/zumbrel/zumbrel" << "/usr/lib/games/zumbrel/zumbrel-sound.so";
        QTest::newRow("unknown") << "" << "";
        QTest::newRow("relative") << "zumbrel" << "";
    }

    void module_place()
    {
        QFETCH(QString, program);
        const auto place = media::sound_module_place(program.toStdString());
        QTEST(place ? QString::fromStdString(place->string()) : QString(), "place");
    }

    // No module, no sound: the round plays on in silence.
    void without_a_backend()
    {
        media::SoundOutput device;
        media::open_hit_sounds(device);
        device.start([] { return nullptr; });
        device.keep_ready(true);
        QVERIFY(!device.wait_for_output(true, std::chrono::seconds(10)));
        media::play_cue(device, game::Cue::p1);
        media::close_hit_sounds(device);
    }
};

QTEST_APPLESS_MAIN(HitSoundsTest)
#include "hit_sounds_test.moc"
