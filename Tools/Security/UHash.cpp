#include "UHash.h"

#include "UException.h"

#include <cstring>

namespace tv {

namespace {

constexpr uint32_t RotateLeft(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

constexpr uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
constexpr uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
constexpr uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
constexpr uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

constexpr uint32_t K[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr int Shift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

void PutLittleEndian(uint8_t* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

void MD5Clear(TMD5Context& context)
{
    std::memset(&context, 0, sizeof context);
}

void MD5Init(TMD5Context& context)
{
    MD5Clear(context);
    context.State[0] = 0x67452301;
    context.State[1] = 0xefcdab89;
    context.State[2] = 0x98badcfe;
    context.State[3] = 0x10325476;
}

void MD5Transform(TMD5Context& context)
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = static_cast<uint32_t>(context.Buffer[4 * i]) |
               static_cast<uint32_t>(context.Buffer[4 * i + 1]) << 8 |
               static_cast<uint32_t>(context.Buffer[4 * i + 2]) << 16 |
               static_cast<uint32_t>(context.Buffer[4 * i + 3]) << 24;
    uint32_t a = context.State[0], b = context.State[1], c = context.State[2], d = context.State[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t f;
        int g;
        switch (round) {
        case 0: f = F(b, c, d); g = i; break;
        case 1: f = G(b, c, d); g = (5 * i + 1) % 16; break;
        case 2: f = H(b, c, d); g = (3 * i + 5) % 16; break;
        default: f = I(b, c, d); g = (7 * i) % 16; break;
        }
        const uint32_t next = b + RotateLeft(a + f + K[i] + x[g], Shift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    context.State[0] += a;
    context.State[1] += b;
    context.State[2] += c;
    context.State[3] += d;
    std::memset(x, 0, sizeof x);
    std::memset(context.Buffer, 0, sizeof context.Buffer);
    context.BufLen = 0;
}

void MD5Update(TMD5Context& context, const void* bytes, size_t count)
{
    const auto* p = static_cast<const uint8_t*>(bytes);
    const uint64_t bits = static_cast<uint64_t>(count) * 8;
    const uint32_t low = context.Count[0] + static_cast<uint32_t>(bits);
    context.Count[1] += static_cast<uint32_t>(bits >> 32) + (low < context.Count[0] ? 1 : 0);
    context.Count[0] = low;
    while (count > 0) {
        const size_t take = std::min<size_t>(count, 64 - context.BufLen);
        std::memcpy(context.Buffer + context.BufLen, p, take);
        context.BufLen += static_cast<uint32_t>(take);
        p += take;
        count -= take;
        if (context.BufLen == 64)
            MD5Transform(context);
    }
}

void MD5Final(TMD5Context& context, TMD5Digest digest)
{
    const uint32_t low = context.Count[0], high = context.Count[1];
    context.Buffer[context.BufLen++] = 0x80;
    if (context.BufLen > 56) {
        std::memset(context.Buffer + context.BufLen, 0, 64 - context.BufLen);
        MD5Transform(context);
    }
    PutLittleEndian(context.Buffer + 56, low);
    PutLittleEndian(context.Buffer + 60, high);
    MD5Transform(context);
    for (int i = 0; i < 4; ++i)
        PutLittleEndian(digest + 4 * i, context.State[i]);
    MD5Clear(context);
}

uint32_t HashBuffer(const void* buffer, uint16_t length)
{
    TMD5Context context;
    TMD5Digest digest;
    MD5Init(context);
    MD5Update(context, buffer, length);
    MD5Final(context, digest);
    const uint32_t value = static_cast<uint32_t>(digest[12]) | static_cast<uint32_t>(digest[13]) << 8 |
                           static_cast<uint32_t>(digest[14]) << 16 | static_cast<uint32_t>(digest[15]) << 24;
    MD5Clear(context);
    std::memset(digest, 0, sizeof digest);
    return value;
}

uint32_t HashString(const std::string& text)
{
    TV_ASSERT(!text.empty(), "String for Get Hash is Empty");
    if (text.size() > 65535)
        throw ERangeError();
    return HashBuffer(text.data(), static_cast<uint16_t>(text.size()));
}

} // namespace tv
