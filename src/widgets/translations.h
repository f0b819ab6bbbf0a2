#pragma once
// The program speaks Russian: Qt's own dialogs and buttons (Yes/No, the file,
// font, colour and print dialogs) too.

namespace klt {

// Before the application object exists: Qt takes the system locale (dates
// and file sizes in its dialogs) from the environment; unless it names a
// Russian one already, it becomes ru_RU. An explicit LC_ALL stays the user's.
void preferRussianLocale();

// Loads Qt's Russian translations into the application; false when they are
// not installed (the dialogs then keep Qt's built-in texts).
bool installRussianTranslations();

} // namespace klt
