#pragma once

#include "child_process.h"
#include "game_session.h"
#include "xvfb.h"

#include <memory>

// The game in a private Xvfb display, driven by XTest events through xdotool.
class XSession final : public GameSession {
public:
    XSession(QString program, QString data_dir);

    bool isValid() const override { return x_.isValid(); }
    bool start_game() override;
    void stop_game() override;
    void click_start() override;
    void tap(const QStringList& keys, int delay_ms) override;
    void hold(const QString& key, int milliseconds) override;
    QImage capture() const override;

private:
    const QString program_;
    const QString data_dir_;
    Xvfb x_;
    std::unique_ptr<ChildProcess> game_;
    QString window_;
};
