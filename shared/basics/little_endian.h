#pragma once

#include <QByteArray>
#include <QIODevice>

#include <cstdint>

// The fields of the system's binary files: little-endian integers, IEEE singles and doubles.

QByteArray uint16_bytes(std::uint16_t value);
QByteArray int32_bytes(std::int32_t value);
QByteArray single_bytes(float value);
QByteArray double_bytes(double value);

// Fields at `offset` of `bytes`; the caller makes sure they are there.
std::uint16_t uint16_at(const QByteArray& bytes, qsizetype offset);
std::int32_t int32_at(const QByteArray& bytes, qsizetype offset);
float single_at(const QByteArray& bytes, qsizetype offset);
double double_at(const QByteArray& bytes, qsizetype offset);

// Writes all of `bytes` or throws std::runtime_error with the device's error text.
void write_all(QIODevice& device, const QByteArray& bytes);
// Reads exactly `count` bytes; false (and whatever arrived in `bytes`) when the data ends.
bool read_exactly(QIODevice& device, qint64 count, QByteArray& bytes);
