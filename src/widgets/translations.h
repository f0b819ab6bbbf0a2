#pragma once
// The program speaks Russian: Qt's own dialogs and buttons (Yes/No, the file,
// font, colour and print dialogs) too.

namespace klt {

// Loads Qt's Russian translations into the application; false when they are
// not installed (the dialogs then keep Qt's built-in texts).
bool installRussianTranslations();

} // namespace klt
