#pragma once

// On X11 a held key repeats as release/press pairs that Qt cannot always tell
// from real ones. Asks the X server to send repeats as presses only. Returns
// whether the server agreed; false off X11.
bool request_detectable_auto_repeat();
