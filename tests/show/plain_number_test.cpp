#include "shell/plain_number.h"

#include <gtest/gtest.h>

namespace {

TEST(PlainNumber, ReadsPlainDecimalsWithAnOptionalExponent) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"0", 0.0}, {"2.5", 2.5}, {".5", 0.5}, {"7.", 7.0}, {"1e1", 10.0}, {"2.5E-1", 0.25}, {"120", 120.0}};
    for (const auto& c : cases) {
        double value = -1.0;
        EXPECT_TRUE(parsePlainDecimal(c.text, &value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(PlainNumber, RefusesSignsBlanksWordsAndHexadecimal) {
    for (const char* text : {"", ".", "e5", "1e", "1e+", "-1", "+1", " 5", "5 ", "0x10", "inf", "nan", "1e400",
                             "1.2.3", "5s"}) {
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
