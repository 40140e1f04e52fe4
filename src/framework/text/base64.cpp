#include "framework/text/base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

} // namespace

QByteArray Base64EncodeNoFill(const QByteArray &data)
{
    QByteArray out;
    out.reserve((data.size() * 4 + 2) / 3);
    unsigned bits = 0;
    int count = 0;
    for (const char ch : data) {
        bits = (bits << 8) | static_cast<unsigned char>(ch);
        count += 8;
        while (count >= 6) {
            count -= 6;
            out.append(kAlphabet[(bits >> count) & 0x3F]);
        }
        bits &= (1u << count) - 1;
    }
    if (count > 0)
        out.append(kAlphabet[(bits << (6 - count)) & 0x3F]);
    return out;
}

QByteArray Base64DecodeNoFill(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() * 3 / 4 + 1);
    unsigned bits = 0;
    int count = 0;
    for (const char ch : text) {
        const int v = SextetOf(ch);
        if (v < 0)
            break;
        bits = (bits << 6) | unsigned(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.append(static_cast<char>((bits >> count) & 0xFF));
        }
        bits &= (1u << count) - 1;
    }
    return out;
}
