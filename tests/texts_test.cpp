#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <iconv.h>

#include "texts.hpp"

namespace {

const iconv_t no_converter = reinterpret_cast<iconv_t>(-1);

// Decodes Shift_JIS bytes with the system's converter, independent of how the
// bytes were written down; an invalid sequence gives a marker.
std::string decode_shift_jis(const char *bytes) {
    iconv_t cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd == no_converter)
        return "<no converter>";
    std::string in(bytes);
    char out[1024];
    char *inp = in.data();
    char *outp = out;
    size_t in_left = in.size();
    size_t out_left = sizeof out;
    const size_t done = iconv(cd, &inp, &in_left, &outp, &out_left);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || in_left != 0)
        return "<invalid Shift_JIS>";
    return std::string(out, outp);
}

const struct {
    text_id id;
    const char *readable;
    size_t bytes;
} texts[] = {
    {intro_text, u8"あなたのBMI値と体型の判定をします\n", 34},
    {weight_prompt, u8"最初にあなたの体重をキログラム単位で入力してエンターキーを押して下さい\n",
     71},
    {height_prompt, u8"次にあなたの身長をメートル単位で入力してエンターキーを押して下さい\n", 67},
    {height_error, u8"エラーが発生しました\nあなたの身長が3メートルを超えています\a", 59},
    {weight_line, u8"あなたの体重%fKG\n", 17},
    {ideal_weight_line, u8"あなたの身長での理想的体重は%fKGです\n", 37},
    {height_line, u8"あなたの身長%fCM\n", 17},
    {bmi_line, u8"あなたのBMI値%f\n", 16},
    {verdict_thin, u8"あなたは痩せ型です\n", 19},
    {verdict_standard, u8"あなたは標準的な体型です\n", 25},
    {verdict_obese, u8"あなたは肥満体型です\n", 21},
    {verdict_excessively_obese, u8"あなたは過度の肥満体型です\n", 27},
    {verdict_severely_obese, u8"あなたは重度の肥満体型です\n", 27},
    {entry_format, "%f", 2},
};

// A wrong escape would show the user mojibake; decoding catches it where a
// byte-for-byte copy of the same table would not. It also pins the bell at
// the end of the height error, after which the next greeting follows.
TEST(MessageTexts, DecodeToTheirJapaneseWithTheListedByteCounts) {
    // An emulated processor's C library may come without its converters.
    const iconv_t cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd == no_converter)
        GTEST_SKIP() << "no Shift_JIS converter here";
    iconv_close(cd);
    ASSERT_EQ(sizeof texts / sizeof texts[0], static_cast<size_t>(text_count));
    for (const auto &t : texts) {
        SCOPED_TRACE(t.readable);
        EXPECT_EQ(decode_shift_jis(message_texts[t.id]), t.readable);
        EXPECT_EQ(std::strlen(message_texts[t.id]), t.bytes);
    }
}

} // namespace
