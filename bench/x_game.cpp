#include "bench/x_game.h"

#include "summary.h"

XProgram game_program(const std::string& path, const std::string& data_dir, QProcessEnvironment env)
{
    return {path, data_dir, std::move(env), "Zumbrel", data_dir + "/bmp/25.bmp"};
}

XProgram floor_program(QProcessEnvironment env)
{
    return {ZUMBREL_FLOOR_PROGRAM, {}, std::move(env), "Zumbrel floor", {}};
}

XGame::XGame(const XSession& x, const XProgram& program) : x_(x)
{
    if (!x.isValid())
        give_up("cannot start Xvfb");
    const QImage title = program.title_picture.empty()
        ? QImage()
        : QImage(QString::fromStdString(program.title_picture)).convertToFormat(QImage::Format_RGB32);
    QProcessEnvironment env = program.env;
    env.insert("DISPLAY", x.name());
    env.insert("QT_QPA_PLATFORM", "xcb");
    forked_ = Clock::now();
    program_ = std::make_unique<ChildProcess>(QStringList{QString::fromStdString(program.path)}, env,
                                              QString::fromStdString(program.dir));
    const auto deadline = forked_ + std::chrono::seconds(20);
    while (title_shown_ == Clock::time_point{}) {
        // Drawing reports may come too late for the first frame: look now and then anyway.
        const XSession::Event event = x.next_event(window_ == XCB_NONE ? deadline : Clock::now() + std::chrono::milliseconds(20));
        const auto now = Clock::now();
        if (now >= deadline)
            give_up("the program's window never showed its title picture");
        const int type = event ? event->response_type & 0x7f : 0;
        if (type == XCB_CREATE_NOTIFY) {
            x.watch_drawing(reinterpret_cast<const xcb_create_notify_event_t*>(event.get())->window);
        } else if (type == XCB_MAP_NOTIFY) {
            const xcb_window_t mapped = reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window;
            if (x.title_of(mapped) == program.window_name) {
                window_ = mapped;
                mapped_ = now;
            }
        }
        if (window_ != XCB_NONE && (title.isNull() || x.capture(QRect(picture_area.topLeft(), title.size()), window_) == title))
            title_shown_ = now;
    }
    focus();
}
