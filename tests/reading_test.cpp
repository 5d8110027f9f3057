#include "reading.hpp"
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
namespace {
struct read_entry {
    std::size_t taken;
    bool complete;
    float value;
};

read_entry read(const std::string &text) {
    number_reader reader{};
    std::size_t taken = 0;
    while (taken < text.size() && reader_take(reader, static_cast<unsigned char>(text[taken])))
        ++taken;
    const bool complete = reader_complete(reader);
    return {taken, complete, complete ? reader_value(reader) : 0};
}

// What a read takes and leaves: a prefix of a number is taken, and refused.
TEST(Reading, TakesTheLongestPrefixOfANumber) {
    const struct {
        const char *text;
        std::size_t taken;
        bool complete;
    } cases[] = {
        {"70\n", 2, true},          {"1.75m", 4, true},    {"n\n", 1, false},
        {"-n", 2, false},           {"na", 2, false},      {"+in\n", 3, false},
        {"infinit\n", 7, false},    {"infx", 3, true},     {"INFINITY", 8, true},
        {"NaN", 3, true},           {"nan(123)", 8, true}, {"nan(", 4, false},
        {"nan(a_1", 7, false},      {"nan()x", 5, true},   {"nan (", 3, true},
        {"70e\n", 3, false},        {"1e", 2, false},      {"1e+", 3, false},
        {"100ergs", 4, false},      {"1e5x", 3, true},     {"1.e5", 4, true},
        {".e5", 1, false},          {".5.5", 2, true},     {"0x", 2, false},
        {"0x1p", 4, false},         {"0x.", 3, false},     {"0x.p1", 3, false},
        {"0x46", 4, true},          {"-0x.8p1", 7, true},  {"5x", 1, true},
        {"00x1", 2, true},          {"0x0x", 3, true},     {"+-1", 1, false},
        {"\xef\xbc\x97", 0, false}, {"e5", 0, false},      {"1,75", 1, true},
        {"0000000000-1", 10, true}, {"-1e-1", 5, true},    {"1e-+1", 3, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const read_entry got = read(c.text);
        EXPECT_EQ(got.taken, c.taken);
        EXPECT_EQ(got.complete, c.complete);
    }
}

// Long entries read as glibc's strtof reads them whole, and as the compiler
// rounds: halfway cases whose last digit, far out, decides.
TEST(Reading, GivesTheFloatOfTheWholeText) {
    const std::string zeros = std::string(9970, '0'), mb = std::string((1 << 20), '0');
    // 1.5 * 2^-149 exactly, halfway between the two least subnormals.
    const std::string tie =
        "2101947696487225606385594374934874196920392912814773657635602425834686624"
        "028790902229957282543182373046875e-150";
    const struct {
        std::string text;
        float rounded;
    } cases[] = {
        {std::string(10240, '9'), HUGE_VALF},
        {mb + "70", 70},
        {"70." + mb, 70},
        {"0." + mb + "7e1048578", 70},
        {"1.000000059604644775390625" + zeros, 1},
        {"1.000000059604644775390625" + zeros + "1", 0x1.000002p0f},
        {"1.000000059604644775390624" + zeros + "9", 1},
        {"16777217." + zeros, 16777216},
        {"16777217" + zeros + "1e-9971", 16777218},
        {"16777217" + std::string(300, '0') + "1e-301", 16777218},
        {"1e" + std::string(98, '0') + "38", 1e38f},
        {"1e" + std::string(100, '1'), HUGE_VALF},
        {"1e-" + std::string(100, '9'), 0},
        {"0.0" + std::string(300, '0') + "1e" + std::string(97, '0') + "302", 1},
        {"0." + std::string(2000, '0') + "1e2001", 1},
        {"1" + std::string(2000, '0') + "e-2000", 1},
        {"0x0." + std::string(2000, '0') + "1p8004", 1},
        {tie, 0x1p-148f},
        {"-" + tie, -0x1p-148f},
        {"0." + zeros + tie.substr(0, 106) + "e9926", 0x1p-148f},
        {"0x1.000001" + zeros, 1},
        {"0x1.000001" + zeros + "1", 0x1.000002p0f},
        {"0x" + zeros + "46", 70},
        {"0x1p-150", 0},
        {"0x1." + zeros + "1p-150", 0x1p-149f},
        {"0x1.0000001p-150", 0x1p-149f},
        {"0x1.8p-150", 0x1p-149f},
        {"0x1.7ffffffp-149", 0x1p-149f},
        {"340282356779733661637539395458142568448", HUGE_VALF},
        {"340282356779733661637539395458142568447.9", 0x1.fffffep127f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40) + "... (" + std::to_string(c.text.size()) +
                     " characters)");
        const read_entry got = read(c.text);
        ASSERT_TRUE(got.complete && got.taken == c.text.size());
#ifdef __GLIBC__ // MinGW's own misreads some
        EXPECT_EQ(c.rounded, std::strtof(c.text.c_str(), nullptr));
#endif
        EXPECT_EQ(got.value, c.rounded);
    }
}
} // namespace
