#pragma once

#include <QString>

class Form1;
class GameWindow;
class QLabel;
class Shape;

// What must hold of the window after any event, read off its controls.
class WindowInvariants {
public:
    explicit WindowInvariants(GameWindow& window);

    // What broke, or empty; meant to be called after every event.
    QString check();

private:
    Form1& form_;
    QLabel& hit_caption_;
    Shape& bar_;
    QString caption_before_;
};
