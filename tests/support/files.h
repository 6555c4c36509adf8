// Files and bytes as the tests handle them.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace quillon::test {

// The whole file, or empty when it cannot be read.
QByteArray FileBytes(const QString& path);
// `bytes` with a little-endian 16- or 32-bit field at `offset` set to `value`.
QByteArray With16(QByteArray bytes, int offset, std::uint16_t value);
QByteArray With32(QByteArray bytes, int offset, std::uint32_t value);

}  // namespace quillon::test
