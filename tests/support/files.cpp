#include "support/files.h"

#include <QFile>

namespace quillon::test {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray With16(QByteArray bytes, int offset, std::uint16_t value)
{
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
    return bytes;
}

QByteArray With32(QByteArray bytes, int offset, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[offset + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
    return bytes;
}

}  // namespace quillon::test
