// The Windows-1252 codec: every byte string comes back byte for byte after a round trip.
#include "platform/codePage.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray back = corvane::toCodePage(corvane::fromCodePage(bytes));
    if (back.size() != bytes.size() || std::memcmp(back.constData(), data, size) != 0) {
        std::abort();
    }
    return 0;
}
