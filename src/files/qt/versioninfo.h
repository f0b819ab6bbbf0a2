#pragma once
// The program's version information: product name, description, legal
// notice, comments and version, compiled in from the build.
#include <QString>
#include <array>

namespace klt {

struct VersionInfo {
    bool valid = false;
    QString productName;
    QString fileDescription;
    QString legalCopyright;
    QString comments;
    QString fileVersionText;          // as given; may be empty
    std::array<int, 4> fixedVersion{}; // major, minor, release, build

    // fileVersionText, or the fixed numbers "major.minor.release.build".
    QString fileVersion() const;

    // What this build of the program carries.
    static VersionInfo ofProgram();
};

} // namespace klt
