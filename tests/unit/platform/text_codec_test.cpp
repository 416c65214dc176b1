// The conversions between CP932 and UTF-8: exact, or none at all.
#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, ExactOrNothing) {
    // ﾃﾞｨｽｸ (single-byte kana), 表 (its second byte is 0x5C), Ω.
    const std::string cp932 = "\xC3\xDE\xA8\xBD\xB8\x95\x5C\x83\xB6";
    const std::string utf8 =
        "\xEF\xBE\x83\xEF\xBE\x9E\xEF\xBD\xA8\xEF\xBD\xBD\xEF\xBD\xB8"
        "\xE8\xA1\xA8\xCE\xA9";
    std::string out;
    ASSERT_TRUE(Cp932ToUtf8(cp932, &out));
    EXPECT_EQ(utf8, out);
    ASSERT_TRUE(Utf8ToCp932(utf8, &out));
    EXPECT_EQ(cp932, out);
    EXPECT_FALSE(Utf8ToCp932("caf\xC3\xA9", &out));  // é has no CP932 form
    EXPECT_FALSE(Utf8ToCp932("\xFF", &out));         // no UTF-8
    EXPECT_FALSE(Cp932ToUtf8("\x81", &out));         // half a character
}

}  // namespace
