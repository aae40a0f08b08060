// What the program does at start that differs between the systems (one file per platform).
#pragma once

namespace lgcset::app {

// The window's program on Windows is a GUI program, started without a console: standard
// output and error that have nowhere to go are sent to the console of the prompt that
// started it, so that --help, --version and --report still answer there. Nothing on Linux.
void UseParentConsole();

// The offscreen platform (lgcset --report) finds no fonts of its own on Windows: it is
// pointed at the system's font folder unless QT_QPA_FONTDIR names one. Nothing on Linux,
// where it asks fontconfig.
void UseSystemFontsOffscreen();

}  // namespace lgcset::app
