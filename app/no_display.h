#pragma once

// Qt ends a program that reaches no display with an abort and a core dump.
// Between these two calls, around the application's construction, that ends
// the game instead with one plain line and exit status 1; Qt's messages of
// the while are held, and passed on once a display is reached.
void exit_plainly_without_display();
void display_reached();
