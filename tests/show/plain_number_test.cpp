#include "shell/plain_number.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PlainNumber, ReadsPlainDecimals) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"0", 0.0}, {"2.5", 2.5}, {".5", 0.5}, {"7.", 7.0}, {"120", 120.0}, {"0121.160", 121.16}};
    for (const auto& c : cases) {
        double value = -1.0;
        EXPECT_TRUE(parsePlainDecimal(c.text, &value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

// A regression: "1e2" was read as 100 s.
TEST(PlainNumber, RefusesExponentsSignsBlanksWordsAndHexadecimal) {
    // Four hundred nines make no finite double.
    const std::vector<std::string> texts = {"",    ".",   "e5",   "1e",    "1e+", "1e2", "1E2",
                                            "2.5e-1", "1e0", "-1", "+1", " 5",  "5 ",  "0x10",
                                            "inf", "nan", "1e400", "1.2.3", "5s", std::string(400, '9')};
    for (const std::string& text : texts) {
        double value = -1.0;
        EXPECT_FALSE(parsePlainDecimal(text, &value)) << '"' << text << '"';
        EXPECT_EQ(value, -1.0) << '"' << text << "\" changed the value";
    }
}

TEST(PlainNumber, ReadsWholeNumbersInTheirRangeOnly) {
    long value = 0;
    EXPECT_TRUE(parseWholeNumber("240", 1, 240, &value));
    EXPECT_EQ(value, 240);
    for (const char* text : {"0", "241", "", "12a", "-3", "+3", "1.0", "99999999999999999999"})
        EXPECT_FALSE(parseWholeNumber(text, 1, 240, &value)) << '"' << text << '"';
    EXPECT_EQ(value, 240);
}

TEST(PlainNumber, ReadsAFrameSizeWithBothSidesInRange) {
    int width = 0;
    int height = 0;
    EXPECT_TRUE(parseFrameSize("640x480", 640, &width, &height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    for (const char* text : {"0x480", "640x", "x480", "641x480", "640x641", "10x10x10", "640*480", "640X480"})
        EXPECT_FALSE(parseFrameSize(text, 640, &width, &height)) << '"' << text << '"';
}

}  // namespace
