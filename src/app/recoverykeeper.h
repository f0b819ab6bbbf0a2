#pragma once
// The window's side of the recovery copies: while the puzzle has unsaved
// changes its copy is rewritten at most once an interval (and at once after a
// generation), and deleted when the changes are saved or dropped or the
// window closes normally. At start the copies of runs that died are offered
// back, one question each.
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <string>

#include "files/recovery.h"

namespace klt {

class MainWindow;

class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    // The copy of window's puzzle lives in folder; intervalMs is the least
    // time between two writes while changes keep coming.
    explicit RecoveryKeeper(MainWindow& window, const QString& folder = defaultFolder(),
                            int intervalMs = defaultInterval());

    // "recovery" in the program's state folder.
    static QString defaultFolder();
    // 30 s, or KLETOMER_RECOVERY_INTERVAL_MS when that holds a positive number.
    static int defaultInterval();

    // This run's copy (it exists only while there are unsaved changes).
    QString copyPath() const;

    // Writes the copy now, when the puzzle has unsaved changes.
    void writeCopy();
    // Asks about every copy left by a run that died, newest first: Yes opens
    // it as the current puzzle (after the usual save question), No deletes
    // it, Cancel leaves it and the rest for the next start.
    void offerOrphans();

private:
    // What the copy on disk was written from.
    struct Written {
        std::uint64_t revision = 0;
        std::string phrase;
        int cellSize = 0;
        QString documentName;
        bool operator==(const Written&) const = default;
    };
    Written current() const;
    QString recordedName() const;
    void modifiedChanged(bool modified);
    void tick();
    bool restore(const OrphanCopy& orphan);

    MainWindow& window_;
    RecoveryStore store_;
    QTimer timer_;
    std::optional<Written> written_;
    QString lastError_; // logged once, until a write succeeds again
};

} // namespace klt
