#include "shared/basics/little_endian.h"

#include <QtEndian>

#include <bit>
#include <stdexcept>

QByteArray uint16_bytes(std::uint16_t value) {
    QByteArray bytes(2, Qt::Uninitialized);
    qToLittleEndian<std::uint16_t>(value, bytes.data());
    return bytes;
}

QByteArray int32_bytes(std::int32_t value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian<std::int32_t>(value, bytes.data());
    return bytes;
}

QByteArray single_bytes(float value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian<std::uint32_t>(std::bit_cast<std::uint32_t>(value), bytes.data());
    return bytes;
}

QByteArray double_bytes(double value) {
    QByteArray bytes(8, Qt::Uninitialized);
    qToLittleEndian<std::uint64_t>(std::bit_cast<std::uint64_t>(value), bytes.data());
    return bytes;
}

std::uint16_t uint16_at(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + offset);
}

std::int32_t int32_at(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<std::int32_t>(bytes.constData() + offset);
}

float single_at(const QByteArray& bytes, qsizetype offset) {
    return std::bit_cast<float>(qFromLittleEndian<std::uint32_t>(bytes.constData() + offset));
}

double double_at(const QByteArray& bytes, qsizetype offset) {
    return std::bit_cast<double>(qFromLittleEndian<std::uint64_t>(bytes.constData() + offset));
}

void write_all(QIODevice& device, const QByteArray& bytes) {
    if (device.write(bytes) != bytes.size())
        throw std::runtime_error(device.errorString().toStdString());
}

bool read_exactly(QIODevice& device, qint64 count, QByteArray& bytes) {
    bytes = device.read(count);
    return bytes.size() == count;
}
