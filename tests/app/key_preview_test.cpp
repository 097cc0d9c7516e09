#include "app/key_preview.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <utility>

namespace {

// Records, in order, what the window's handlers and the focused control saw.
struct Log {
    QStringList seen;
};

class LoggingButton : public QPushButton {
    Q_OBJECT

public:
    LoggingButton(QWidget* parent, Log& log) : QPushButton(parent), log_(log) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        log_.seen << QStringLiteral("button down %1").arg(event->key());
        event->ignore(); // let it travel on to the window
    }

private:
    Log& log_;
};

} // namespace

Q_DECLARE_METATYPE(KeyPreview::Releases)

class KeyPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void handlers_see_keys_before_the_control_and_once();
    void repeats_and_releases_data();
    void repeats_and_releases();

private:
    void make_window(KeyPreview::Releases releases);

    Log log_;
    std::unique_ptr<QWidget> window_;
    LoggingButton* button_ = nullptr;
};

void KeyPreviewTest::init()
{
    make_window(KeyPreview::Releases::may_be_repeats);
}

void KeyPreviewTest::make_window(KeyPreview::Releases releases)
{
    log_.seen.clear();
    window_ = std::make_unique<QWidget>();
    button_ = new LoggingButton(window_.get(), log_);
    new KeyPreview(
        *window_,
        [this](std::int16_t key, std::int16_t shift) { log_.seen << QStringLiteral("down %1 %2").arg(key).arg(shift); },
        [this](std::int16_t key, std::int16_t shift) { log_.seen << QStringLiteral("up %1 %2").arg(key).arg(shift); },
        releases);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    button_->setFocus();
}

void KeyPreviewTest::cleanup()
{
    window_.reset();
}

void KeyPreviewTest::handlers_see_keys_before_the_control_and_once()
{
    QKeyEvent event(QEvent::KeyPress, Qt::Key_Space, Qt::ShiftModifier | Qt::ControlModifier, QStringLiteral(" "));
    QApplication::sendEvent(button_, &event);
    QCOMPARE(log_.seen, QStringList({"down 32 3", "button down 32"}));
}

void KeyPreviewTest::repeats_and_releases_data()
{
    using R = KeyPreview::Releases;
    QTest::addColumn<R>("releases");
    QTest::addColumn<QEvent::Type>("type");
    QTest::addColumn<bool>("auto_repeat");
    QTest::addColumn<QStringList>("handled");

    for (const auto& [releases, name] : {std::pair{R::may_be_repeats, "repeats may release"},
                                         std::pair{R::always_real, "repeats never release"}}) {
        QTest::addRow("%s: press", name) << releases << QEvent::KeyPress << false << QStringList{"down 32 0"};
        QTest::addRow("%s: repeated press", name) << releases << QEvent::KeyPress << true << QStringList{"down 32 0"};
        QTest::addRow("%s: release", name) << releases << QEvent::KeyRelease << false << QStringList{"up 32 0"};
    }
    QTest::newRow("repeats may release: release flagged as a repeat's")
        << R::may_be_repeats << QEvent::KeyRelease << true << QStringList{};
    // What Qt makes of a release closely followed by a press, however real.
    QTest::newRow("repeats never release: release flagged as a repeat's")
        << R::always_real << QEvent::KeyRelease << true << QStringList{"up 32 0"};
}

void KeyPreviewTest::repeats_and_releases()
{
    QFETCH(KeyPreview::Releases, releases);
    make_window(releases);
    QFETCH(QEvent::Type, type);
    QFETCH(bool, auto_repeat);
    QFETCH(QStringList, handled);
    QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), auto_repeat);
    QApplication::sendEvent(button_, &event);
    log_.seen.removeIf([](const QString& line) { return line.startsWith("button"); });
    QCOMPARE(log_.seen, handled);
}

QTEST_MAIN(KeyPreviewTest)
#include "key_preview_test.moc"
