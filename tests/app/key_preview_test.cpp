#include "app/key_preview.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include <memory>

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

class KeyPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void handlers_see_keys_before_the_control_and_once();
    void repeats_and_releases_data();
    void repeats_and_releases();

private:
    Log log_;
    std::unique_ptr<QWidget> window_;
    LoggingButton* button_ = nullptr;
};

void KeyPreviewTest::init()
{
    log_.seen.clear();
    window_ = std::make_unique<QWidget>();
    button_ = new LoggingButton(window_.get(), log_);
    new KeyPreview(
        *window_,
        [this](std::int16_t key, std::int16_t shift) { log_.seen << QStringLiteral("down %1 %2").arg(key).arg(shift); },
        [this](std::int16_t key, std::int16_t shift) { log_.seen << QStringLiteral("up %1 %2").arg(key).arg(shift); });
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
    QTest::addColumn<QEvent::Type>("type");
    QTest::addColumn<bool>("auto_repeat");
    QTest::addColumn<QStringList>("handled");

    QTest::newRow("press") << QEvent::KeyPress << false << QStringList{"down 32 0"};
    QTest::newRow("repeated press") << QEvent::KeyPress << true << QStringList{"down 32 0"};
    QTest::newRow("release") << QEvent::KeyRelease << false << QStringList{"up 32 0"};
    QTest::newRow("repeat's release") << QEvent::KeyRelease << true << QStringList{};
}

void KeyPreviewTest::repeats_and_releases()
{
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
