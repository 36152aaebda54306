#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Sha256, KnownDigests) {
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        // FIPS 180-4 examples: one block, none, two blocks (448 bits: the padding spills over).
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        // Many whole blocks: a million times 'a'.
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // 55 and 64 bytes: the last length that fits one padded block, and one whole block.
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& row : cases) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(row.message.data());
        EXPECT_EQ(Sha256Hex({bytes, row.message.size()}), row.digest) << row.message.size();
    }
}

} // namespace
