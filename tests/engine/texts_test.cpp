// The engine's fixed texts, byte for byte: the odd spellings and the Latin
// letters inside Cyrillic words are deliberate and must survive edits.
#include "tests/engine/Engine_test_util.h"

namespace {

using namespace FormulaText;

TEST(TextsTest, KeyTextsInUtf8) {
  struct {
    std::u16string_view Text;
    const char* Utf8;
  } cases[] = {
      {kCompilePrefix,
      "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0\x20\xD0\xB2\x20"
      "\xD0\xB7\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD0\xB8\x20\xD0\xBC\xD0"
      "\xB0\xD1\x82\xD0\xB5\xD0\xBC\xD0\xB0\xD1\x82\xD0\xB8\xD1\x87\xD0"
      "\xB5\xD1\x81\xD0\xBA\xD0\xBE\xD0\xB9\x20\xD1\x84\xD0\xBE\xD1\x80"
      "\xD0\xBC\xD1\x83\xD0\xBB\xD1\x8B\x3A"},
      {kEvalPrefix,
      "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0\x20\xD0\xB2\x20"
      "\xD0\xB2\xD1\x8B\xD1\x87\xD0\xB8\xD1\x81\xD0\xBB\xD0\xB5\xD0\xBD"
      "\xD0\xB8\xD0\xB8\x20\xD1\x84\xD0\xBE\xD1\x80\xD0\xBC\xD1\x83\xD0"
      "\xBB\xD1\x8B\x3A"},
      {kMsgListOutsideListFunc,
      "\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB5\xD1\x87\xD0\xB8\xD1\x81\xD0\xBB"
      "\xD0\xB5\xD0\xBD\xD0\xB8\xD0\xB5\x20\xD0\xB8\xD1\x81\xD0\xBF\xD0"
      "\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD1\x83\xD0\xB5\xD1\x82\xD1\x81\xD1"
      "\x8F\x20\xD0\xBD\xD0\xB5\x20\xD0\xB2\x20\xD1\x84\xD1\x83\xD0\xBD"
      "\xD0\xBA\xD1\x86\xD0\xB8\xD0\xB8\x20\x63\x6F\x20\xD0\xBC\xD0\xBD"
      "\xD0\xBE\xD0\xB6\xD0\xB5\xD1\x81\xD1\x82\xD0\xB2\xD0\xB0\xD0\xBC"
      "\xD0\xB8\x21"},
      {kMsgArctanh,
      "\xD0\x90\x72\x63\x74\x61\x6E\x68\x20\xD0\xBE\xD1\x82\x20\xD0\xB0"
      "\xD0\xB3\xD1\x80\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD0\xB0"
      "\x20"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(c.Text), c.Utf8);
}

TEST(TextsTest, DeliberateSpellings) {
  // "co" with Latin c and o; "Аrctanh" with a Cyrillic А and Latin rctanh.
  size_t co = kMsgListOutsideListFunc.find(u" co ");
  ASSERT_NE(co, std::u16string_view::npos);
  EXPECT_EQ(kMsgArctanh[0], 0x0410);
  EXPECT_EQ(kMsgArctanh.substr(1, 6), u"rctanh");
  EXPECT_EQ(kMsgArccosh.substr(0, 7), u"Arccosh");  // all Latin here
  for (auto text : {kMsgArccos, kMsgArcsin, kMsgArccosh, kMsgArctanh})
    EXPECT_NE(text.find(u"агрумента "), std::u16string_view::npos);
  EXPECT_NE(kMsgListFuncNoList.find(u"множетвом"), std::u16string_view::npos);
  EXPECT_NE(kMsgDivMod.find(u"не допустим!"), std::u16string_view::npos);
  EXPECT_EQ(kMsgDivisionByZero[0], u' ');  // the detail begins with a blank
  EXPECT_EQ(kMsgNotExist[0], u' ');
}

TEST(TextsTest, PrefixAndDetailJoinedByALoneCarriageReturn) {
  TOutcome o = Calc(u"1/0");
  ASSERT_EQ(o.Messages.size(), 1u);
  EXPECT_EQ(o.Messages[0], std::u16string(kEvalPrefix) + u"\r" + std::u16string(kMsgDivisionByZero));
  EXPECT_EQ(o.Messages[0].find(u'\n'), std::u16string::npos);
}

}  // namespace
