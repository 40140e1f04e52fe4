#pragma once
// PBKDF2-HMAC-SHA256 (RFC 8018), the key derivation of the stored passwords.
// A small SHA-256 of our own: the inner and outer HMAC states are computed
// once per derivation, so each iteration costs two compressions.

#include <QByteArray>

namespace users {

QByteArray Sha256(const QByteArray &data);
QByteArray HmacSha256(const QByteArray &key, const QByteArray &message);
// length bytes of PBKDF2-HMAC-SHA256 (iterations at least 1).
QByteArray Pbkdf2Sha256(const QByteArray &password, const QByteArray &salt, int iterations, int length);

}  // namespace users
