#include "app/first_frame.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

namespace {

// The widget is drawn while its window's first expose event is handled, so a
// call queued from there runs once that frame has gone to the screen.
class FirstExposeWatch : public QObject {
    Q_OBJECT

public:
    FirstExposeWatch(QWindow& window, std::function<void()> then)
        : QObject(&window)
        , window_(window)
        , then_(std::move(then))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == QEvent::Expose && window_.isExposed()) {
            window_.removeEventFilter(this);
            QTimer::singleShot(0, &window_, then_);
            deleteLater();
        }
        return false;
    }

private:
    QWindow& window_;
    std::function<void()> then_;
};

} // namespace

void after_first_frame(QWidget& window, std::function<void()> then)
{
    new FirstExposeWatch(*window.windowHandle(), std::move(then));
}

#include "first_frame.moc"
