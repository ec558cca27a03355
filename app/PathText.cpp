#include "PathText.h"

#include "QtCp1252.h"

#include <QDir>
#include <QString>

namespace kiv {

std::string PathToCp1252(const std::filesystem::path& path)
{
    return ToCp1252(QDir::toNativeSeparators(QString::fromStdU16String(path.u16string())));
}

} // namespace kiv
