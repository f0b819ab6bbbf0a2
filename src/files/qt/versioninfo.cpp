#include "files/qt/versioninfo.h"

#include "versioninfo_config.h"

namespace klt {

QString VersionInfo::fileVersion() const
{
    if (!valid) return {};
    if (!fileVersionText.isEmpty()) return fileVersionText;
    return QStringLiteral("%1.%2.%3.%4").arg(fixedVersion[0]).arg(fixedVersion[1]).arg(fixedVersion[2]).arg(fixedVersion[3]);
}

VersionInfo VersionInfo::ofProgram()
{
    VersionInfo v;
    v.valid = true;
    v.productName = QStringLiteral(KLETOMER_PRODUCT_NAME);
    v.fileDescription = QStringLiteral(KLETOMER_FILE_DESCRIPTION);
    v.legalCopyright = QStringLiteral(KLETOMER_LEGAL_COPYRIGHT);
    v.comments = QStringLiteral(KLETOMER_COMMENTS);
    v.fileVersionText = QStringLiteral(KLETOMER_FILE_VERSION);
    v.fixedVersion = {KLETOMER_VERSION_MAJOR, KLETOMER_VERSION_MINOR, KLETOMER_VERSION_PATCH, KLETOMER_VERSION_TWEAK};
    return v;
}

} // namespace klt
