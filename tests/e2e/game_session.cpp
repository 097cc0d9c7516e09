#include "game_session.h"

#include "gnome_session.h"
#include "wayland_session.h"
#include "weston_session.h"
#include "x_session.h"

std::unique_ptr<GameSession> make_game_session(const QString& program, const QString& data_dir)
{
    const QString display = qEnvironmentVariable("ZUMBREL_E2E_DISPLAY");
    if (display == QLatin1String("wayland"))
        return std::make_unique<WaylandSession>(program, data_dir);
    if (display == QLatin1String("gnome"))
        return std::make_unique<GnomeSession>(program, data_dir);
    if (display.startsWith(QLatin1String("weston")))
        return std::make_unique<WestonSession>(program, data_dir, display == QLatin1String("weston"));
    return std::make_unique<XSession>(program, data_dir);
}
