#pragma once
// MD5 message digest (RFC 1321) and the 32-bit digest value that stands
// for a password: digest bytes 12 to 15 read as a little-endian number.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tv {

struct TMD5Context {
    uint32_t Count[2];   // bit count, low half first
    uint32_t BufLen;     // bytes waiting in Buffer
    uint8_t Buffer[64];
    uint32_t State[4];
};

using TMD5Digest = uint8_t[16];

// Sets counts, buffer and state to zero.
void MD5Clear(TMD5Context& context);
// Clears the context and loads the initial state.
void MD5Init(TMD5Context& context);
// Appends count bytes; every full block is transformed.
void MD5Update(TMD5Context& context, const void* bytes, size_t count);
// Pads, transforms the last block(s), writes the digest and clears the context.
void MD5Final(TMD5Context& context, TMD5Digest digest);
// Transforms the full block in Buffer, then zeroes it and resets BufLen.
void MD5Transform(TMD5Context& context);

// The digest value of length bytes; the work context is wiped.
uint32_t HashBuffer(const void* buffer, uint16_t length);
// HashBuffer over the text's bytes. The empty text is an assertion failure
// ("String for Get Hash is Empty"); more than 65535 bytes raises ERangeError.
uint32_t HashString(const std::string& text);

} // namespace tv
