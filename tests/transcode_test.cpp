#include "texts.hpp"
#include "transcode.hpp"
#include <cstdio>
#include <gtest/gtest.h>
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
        transcoder t;                                                                              \
        if (!open_transcoder(&t, charset))                                                         \
            GTEST_SKIP() << "the C library cannot convert Shift_JIS to " charset " here";          \
        close_transcoder(&t);                                                                      \
    } while (0)

// A refusal, then a consultation, as bmi writes them.
std::string consultation() {
    std::string bytes;
    for (text_id text : {intro_text, weight_prompt, height_prompt, height_error, intro_text,
                         weight_prompt, height_prompt})
        bytes += message_texts[text];
    const std::pair<text_id, double> lines[] = {
        {weight_line, 70}, {ideal_weight_line, 67.375}, {height_line, 175}, {bmi_line, 22.857143}};
    for (const auto &line : lines) {
        char text[100];
        std::snprintf(text, sizeof text, message_texts[line.first], line.second);
        bytes += text;
    }
    return bytes + message_texts[verdict_standard];
}

const char consultation_utf8[] =
    u8"あなたのBMI値と体型の判定をします\n"
    u8"最初にあなたの体重をキログラム単位で入力してエンターキーを押して下さい\n"
    u8"次にあなたの身長をメートル単位で入力してエンターキーを押して下さい\n"
    u8"エラーが発生しました\nあなたの身長が3メートルを超えています\a"
    u8"あなたのBMI値と体型の判定をします\n"
    u8"最初にあなたの体重をキログラム単位で入力してエンターキーを押して下さい\n"
    u8"次にあなたの身長をメートル単位で入力してエンターキーを押して下さい\n"
    u8"あなたの体重70.000000KG\n"
    u8"あなたの身長での理想的体重は67.375000KGです\n"
    u8"あなたの身長175.000000CM\n"
    u8"あなたのBMI値22.857143\n"
    u8"あなたは標準的な体型です\n";

TEST(Transcode, GivesTheSameUtf8WhereverTheOutputIsCut) {
    NEEDS_CONVERTER_TO("UTF-8");
    const std::string bytes = consultation();
    EXPECT_EQ(transcoded("UTF-8", {bytes}), consultation_utf8);
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        SCOPED_TRACE("cut after byte " + std::to_string(cut));
        EXPECT_EQ(transcoded("UTF-8", {bytes.substr(0, cut), bytes.substr(cut)}),
                  consultation_utf8);
    }
}

struct replacement_case {
    const char *charset;
    std::vector<std::string> pieces;
    const char *shown;
};

TEST(Transcode, ReplacesWhatDoesNotConvertOnceAndGoesOn) {
    NEEDS_CONVERTER_TO("UTF-8");
    NEEDS_CONVERTER_TO("EUC-JP");
    NEEDS_CONVERTER_TO("ISO-8859-1");
    const replacement_case cases[] = {
        {"UTF-8", {"\x82\xa0\x80\x82\xa0"}, u8"あ\ufffdあ"}, // no such byte
        {"UTF-8",
         {"\x85\x40"
          "A"},
         u8"\ufffdA"},                                     // no such character
        {"UTF-8", {"\x82\n"}, u8"\ufffd\n"},               // a first byte alone
        {"UTF-8", {"\x82", "\n"}, u8"\ufffd\n"},           // ... cut off
        {"UTF-8", {"A\x82"}, u8"A\ufffd"},                 // ... at the end
        {"UTF-8", {"\x82", "\xa0", "\a"}, u8"あ\a"},       // a character in two reads
        {"EUC-JP", {"\x82\xa0", "\x80\n"}, "\xa4\xa2?\n"}, // no U+FFFD there
        {"ISO-8859-1",
         {"\x82\xa0"
          "BMI\x82"},
         "?BMI?"}, // no Japanese there
    };
    for (const replacement_case &c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(transcoded(c.charset, c.pieces), c.shown);
    }
}

TEST(Transcode, CannotConvertToACharacterSetTheCLibraryLacks) {
    transcoder t;
    EXPECT_FALSE(open_transcoder(&t, "NO-SUCH-CHARSET"));
}

TEST(TerminalCharset, IsUtf8WithoutALocaleAndNoneWhereTheTerminalShowsShiftJis) {
    const std::pair<const char *, const char *> cases[] = {
        {"ANSI_X3.4-1968", "UTF-8"}, {"ASCII", "UTF-8"},   {"", "UTF-8"},
        {"UTF-8", "UTF-8"},          {"EUC-JP", "EUC-JP"}, {"ISO-8859-1", "ISO-8859-1"},
        {"SHIFT_JIS", nullptr},      {"sjis", nullptr},    {"CP932", nullptr},
        {"WINDOWS-31J", nullptr},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(terminal_charset(c.first), c.second) << c.first;
}
} // namespace
