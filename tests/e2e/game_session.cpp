#include "game_session.h"

#include "wayland_session.h"
#include "x_session.h"

std::unique_ptr<GameSession> make_game_session(const QString& program, const QString& data_dir)
{
    if (qEnvironmentVariable("ZUMBREL_E2E_DISPLAY") == QLatin1String("wayland"))
        return std::make_unique<WaylandSession>(program, data_dir);
    return std::make_unique<XSession>(program, data_dir);
}
