// The windows' edge between the core's paths (bytes as the file system spells
// them) and Qt's strings.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <filesystem>

namespace quillon {

// For showing: a name that is not valid UTF-8 shows its odd bytes as U+FFFD.
inline QString ShownPath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// A path typed or shown in the window, as the file system spells it.
inline std::filesystem::path FilePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace quillon
