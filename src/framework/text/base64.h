#pragma once

// Base64 with the standard alphabet
// "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/" and
// without the "=" fill: a final group of fewer than 6 bits is completed with
// zero bits. Used for the stored grid layouts and the stored mail password.

#include <QByteArray>

QByteArray Base64EncodeNoFill(const QByteArray &data);

// Reads characters while they belong to the alphabet and stops at the first
// one that does not ("=" included); a byte is emitted whenever 8 bits are
// collected, left-over bits are dropped.
QByteArray Base64DecodeNoFill(const QByteArray &text);
