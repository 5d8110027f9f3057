#include "texts.hpp"
#include "transcode.hpp"
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
namespace {
// The pieces converted in turn, then the end of the stream.
std::string transcoded(const char *charset, const std::vector<std::string> &pieces) {
    transcoder t;
    if (!open_transcoder(&t, charset))
        return std::string("no converter to ") + charset;
    std::string all;
    for (const std::string &piece : pieces) {
        std::string out(transcoded_room(piece.size()), '\0');
        out.resize(transcode(&t, piece.data(), piece.size(), &out[0]));
        all += out;
    }
    char end[transcoded_room(0)];
    all.append(end, transcode(&t, nullptr, 0, end));
    close_transcoder(&t);
    return all;
}

// A C library under an emulator may have been installed without them.
#define NEEDS_CONVERTER_TO(charset)                                                                \
    do {                                                                                           \
        if (!transcoded(charset, {}).empty())                                                      \
            GTEST_SKIP() << "the C library cannot convert Shift_JIS to " charset " here";          \
    } while (0)

TEST(Transcode, GivesTheSameUtf8WhereverTheOutputIsCut) {
    NEEDS_CONVERTER_TO("UTF-8");
    std::string every_text;
    for (const char *text : message_texts)
        every_text += text;
    const std::string whole = transcoded("UTF-8", {every_text});
    const std::string intro = u8"あなたのBMI値と体型の判定をします\n";
    EXPECT_EQ(whole.substr(0, intro.size()), intro);
    for (std::size_t cut = 0; cut <= every_text.size(); ++cut)
        EXPECT_EQ(transcoded("UTF-8", {every_text.substr(0, cut), every_text.substr(cut)}), whole)
            << "cut after byte " << cut;
}

// Random bytes, most of them shaped as Shift_JIS, cut at random points.
TEST(Transcode, GivesTheSameWhereverRandomBytesAreCut) {
    NEEDS_CONVERTER_TO("UTF-8");
    std::mt19937 random(1);
    const char shapes[] = "\x81\x9f\xe0\xeb\xed\xef\xf0\xf9\xfa\xfc\x40\x7f\x80\xa0\xdf"
                          "A\n";
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 12, '\0');
        for (char &byte : bytes)
            byte =
                random() % 4 ? shapes[random() % (sizeof shapes - 1)] : static_cast<char>(random());
        const std::size_t cut = random() % (bytes.size() + 1);
        EXPECT_EQ(transcoded("UTF-8", {bytes.substr(0, cut), bytes.substr(cut)}),
                  transcoded("UTF-8", {bytes}))
            << ::testing::PrintToString(bytes) << " cut after byte " << cut;
    }
}

TEST(Transcode, ReplacesWhatDoesNotConvertOnceAndGoesOn) {
    NEEDS_CONVERTER_TO("EUC-JP");
    NEEDS_CONVERTER_TO("ISO-8859-1");
    const struct {
        const char *charset;
        std::vector<std::string> pieces;
        const char *shown;
    } cases[] = {
        {"UTF-8", {"\x82\xa0\x80\x82\xa0"}, u8"あ\ufffdあ"}, // no such byte
        {"UTF-8",
         {"\x85\x40"
          "A"},
         u8"\ufffdA"},                                     // no such character
        {"UTF-8", {"\x82", "\n"}, u8"\ufffd\n"},           // a first byte alone
        {"UTF-8", {"A\x82"}, u8"A\ufffd"},                 // ... at the end
        {"UTF-8", {"\x82", "\xa0", "\a"}, u8"あ\a"},       // a character in two reads
        {"EUC-JP", {"\x82\xa0", "\x80\n"}, "\xa4\xa2?\n"}, // no U+FFFD there
        {"ISO-8859-1",
         {"\x82\xa0"
          "BMI\x82"},
         "?BMI?"}, // no Japanese there
    };
    for (const auto &c : cases)
        EXPECT_EQ(transcoded(c.charset, c.pieces), c.shown) << c.shown;
    EXPECT_EQ(transcoded("NO-SUCH-CHARSET", {}), "no converter to NO-SUCH-CHARSET");
}

TEST(TerminalCharset, IsUtf8WithoutALocaleAndNoneWhereTheTerminalShowsShiftJis) {
    const std::pair<const char *, const char *> cases[] = {
        {"ANSI_X3.4-1968", "UTF-8"}, {"", "UTF-8"},     {"UTF-8", "UTF-8"}, {"EUC-JP", "EUC-JP"},
        {"SHIFT_JIS", nullptr},      {"sjis", nullptr}, {"CP932", nullptr},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(terminal_charset(c.first), c.second) << c.first;
}
} // namespace
