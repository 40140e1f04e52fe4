#include "framework/data/users_password.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace users {

namespace {

constexpr std::array<std::uint32_t, 64> K = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

using State = std::array<std::uint32_t, 8>;
constexpr State InitialState = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void compress(State &h, const unsigned char *block)
{
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = (std::uint32_t(block[4 * i]) << 24) | (std::uint32_t(block[4 * i + 1]) << 16) |
               (std::uint32_t(block[4 * i + 2]) << 8) | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t S1 = rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25);
        const std::uint32_t ch = (e & f) ^ (~e & g);
        const std::uint32_t t1 = hh + S1 + ch + K[std::size_t(i)] + w[i];
        const std::uint32_t S0 = rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22);
        const std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = S0 + maj;
        hh = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
    h[5] += f;
    h[6] += g;
    h[7] += hh;
}

// A hash in progress: the state after `done` bytes of whole blocks.
struct Hasher {
    State h = InitialState;
    std::uint64_t length = 0;  // bytes fed
    unsigned char buffer[64] = {};
    int filled = 0;

    void add(const unsigned char *data, std::size_t size)
    {
        length += size;
        while (size > 0) {
            const std::size_t take = std::min<std::size_t>(size, std::size_t(64 - filled));
            std::memcpy(buffer + filled, data, take);
            filled += int(take);
            data += take;
            size -= take;
            if (filled == 64) {
                compress(h, buffer);
                filled = 0;
            }
        }
    }
    void add(const QByteArray &data)
    {
        add(reinterpret_cast<const unsigned char *>(data.constData()), std::size_t(data.size()));
    }
    std::array<unsigned char, 32> finish()
    {
        const std::uint64_t bits = length * 8;
        const unsigned char one = 0x80;
        add(&one, 1);
        const unsigned char zero = 0;
        while (filled != 56)
            add(&zero, 1);
        unsigned char len[8];
        for (int i = 0; i < 8; ++i)
            len[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
        add(len, 8);
        std::array<unsigned char, 32> out{};
        for (int i = 0; i < 8; ++i) {
            out[std::size_t(4 * i)] = static_cast<unsigned char>(h[std::size_t(i)] >> 24);
            out[std::size_t(4 * i + 1)] = static_cast<unsigned char>(h[std::size_t(i)] >> 16);
            out[std::size_t(4 * i + 2)] = static_cast<unsigned char>(h[std::size_t(i)] >> 8);
            out[std::size_t(4 * i + 3)] = static_cast<unsigned char>(h[std::size_t(i)]);
        }
        return out;
    }
};

// HMAC with the key's inner and outer states prepared once.
struct Hmac {
    Hasher inner;
    Hasher outer;

    explicit Hmac(const QByteArray &key)
    {
        QByteArray k = key;
        if (k.size() > 64)
            k = Sha256(k);
        unsigned char ipad[64];
        unsigned char opad[64];
        for (int i = 0; i < 64; ++i) {
            const unsigned char b = i < k.size() ? static_cast<unsigned char>(k[i]) : 0;
            ipad[i] = b ^ 0x36;
            opad[i] = b ^ 0x5c;
        }
        inner.add(ipad, 64);
        outer.add(opad, 64);
    }
    std::array<unsigned char, 32> mac(const unsigned char *data, std::size_t size) const
    {
        Hasher in = inner;
        in.add(data, size);
        const std::array<unsigned char, 32> digest = in.finish();
        Hasher out = outer;
        out.add(digest.data(), digest.size());
        return out.finish();
    }
};

}  // namespace

QByteArray Sha256(const QByteArray &data)
{
    Hasher h;
    h.add(data);
    const std::array<unsigned char, 32> d = h.finish();
    return QByteArray(reinterpret_cast<const char *>(d.data()), int(d.size()));
}

QByteArray HmacSha256(const QByteArray &key, const QByteArray &message)
{
    const std::array<unsigned char, 32> d =
        Hmac(key).mac(reinterpret_cast<const unsigned char *>(message.constData()), std::size_t(message.size()));
    return QByteArray(reinterpret_cast<const char *>(d.data()), int(d.size()));
}

QByteArray Pbkdf2Sha256(const QByteArray &password, const QByteArray &salt, int iterations, int length)
{
    const Hmac hmac(password);
    QByteArray result;
    for (std::uint32_t block = 1; result.size() < length; ++block) {
        QByteArray first = salt;
        first.append(char(block >> 24)).append(char(block >> 16)).append(char(block >> 8)).append(char(block));
        std::array<unsigned char, 32> u =
            hmac.mac(reinterpret_cast<const unsigned char *>(first.constData()), std::size_t(first.size()));
        std::array<unsigned char, 32> t = u;
        for (int i = 1; i < iterations; ++i) {
            u = hmac.mac(u.data(), u.size());
            for (std::size_t j = 0; j < t.size(); ++j)
                t[j] ^= u[j];
        }
        result.append(reinterpret_cast<const char *>(t.data()), int(t.size()));
    }
    return result.left(length);
}

}  // namespace users
