#include "app/no_display.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QList<HeldMessage> held;
QtMessageHandler passed_on = nullptr;

void hold_or_exit(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs("zumbrel: no display could be opened; is DISPLAY or WAYLAND_DISPLAY set to a running one?\n",
                   stderr);
        std::_Exit(1);
    }
    held.append({type, QByteArray(context.category ? context.category : "default"), text});
}

} // namespace

void exit_plainly_without_display()
{
    passed_on = qInstallMessageHandler(hold_or_exit);
}

void display_reached()
{
    qInstallMessageHandler(passed_on);
    for (const HeldMessage& message : std::exchange(held, {}))
        qt_message_output(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                          message.text);
}
