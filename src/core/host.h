#pragma once
// What the puzzle commands need from the program around them: message boxes,
// the progress display, the busy state, the keyboard and the clock. The main
// window and the command-line tool each provide one.
#include <cstdint>
#include <string>

namespace klt {

class Host {
public:
    virtual ~Host() = default;

    // An information box (information icon, OK). Texts are UTF-8; a line break
    // inside a message is CR LF.
    virtual void information(const std::string& text, const std::string& caption) { (void)text; (void)caption; }
    // The error box: the error sound, then caption "Ошибка" with an error icon.
    virtual void errorBox(const std::string& text) { (void)text; }

    // Status-bar progress: start with a caption and a maximum, step (which lets
    // pending interface events run, so "Стоп" can be clicked), back to panels.
    virtual void progressStart(const std::string& caption, int maximum) { (void)caption; (void)maximum; }
    virtual void progressStep(int by) { (void)by; }
    virtual void progressEnd() {}

    // Re-applies the busy state to every action (the Stopped flag changed).
    virtual void updateActions() {}
    // Lets pending interface events run once (the grid repaints).
    virtual void pumpEvents() {}
    // The modified flag changed: panel 1 shows "" or "Изм".
    virtual void modifiedChanged(bool modified) { (void)modified; }
    // The check state of "Убрать ответы" changed.
    virtual void hideAnswersChanged(bool checked) { (void)checked; }
    // Size spin edits follow the field (they may clamp it into their range).
    virtual void syncSizeControls() {}
    // A new undo snapshot was taken.
    virtual void snapshotTaken() {}
    // The field's size or many cells changed at once.
    virtual void fieldChanged() {}

    // Puts Windows-1251 text on the system clipboard (copy, cut, block moves).
    virtual void setClipboardText(const std::string& text1251) { (void)text1251; }

    virtual bool ctrlDown() { return false; }
    // Seconds since some fixed moment; used for elapsed times.
    virtual double now() { return 0.0; }
    // Seed for the pseudo-random generator ("from the clock").
    virtual std::uint32_t clockSeed() { return 0; }
};

} // namespace klt
