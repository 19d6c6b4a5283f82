#include "store/title.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(Title, QuotesBecomeUnderscoresAndOneTrailingSpaceGoes) {
  EXPECT_EQ(CleanTitle(u"Ana's \"red\" book", u"New"), u"Ana_s _red_ book");
  EXPECT_EQ(CleanTitle(u"two  ", u"New"), u"two ");
  EXPECT_EQ(CleanTitle(u"Țară", u"New"), u"Țară");
}

TEST(Title, EmptyResultTakesTheDefaultTitle) {
  EXPECT_EQ(CleanTitle(u" ", u"New"), u"New");
  EXPECT_EQ(CleanTitle(u"", u"Nou"), u"Nou");
}

TEST(Title, CutAtFortyFourUnitsWithoutSplittingAPair) {
  const std::u16string a44(44, u'a');
  EXPECT_EQ(CleanTitle(a44 + u"b", u"New"), a44);
  // The cut is made before the trailing space is looked at.
  EXPECT_EQ(CleanTitle(std::u16string(43, u'a') + u" b", u"New"), std::u16string(43, u'a'));
  const std::u16string clef = u"\U0001D11E";  // two UTF-16 units
  EXPECT_EQ(CleanTitle(std::u16string(43, u'a') + clef, u"New"), std::u16string(43, u'a'));
  EXPECT_EQ(CleanTitle(std::u16string(42, u'a') + clef + u"z", u"New"),
            std::u16string(42, u'a') + clef);
}

TEST(Title, TrailingBacktickMarksReadOnly) {
  EXPECT_TRUE(IsReadOnlyTitle(u"Diary`"));
  EXPECT_FALSE(IsReadOnlyTitle(u"`Diary"));
  EXPECT_FALSE(IsReadOnlyTitle(u""));
  EXPECT_EQ(FavouriteLabel(u"Diary`"), u"Diary");
  EXPECT_EQ(FavouriteLabel(u"Diary``"), u"Diary`");
  EXPECT_EQ(FavouriteLabel(u"Diary"), u"Diary");
}

}  // namespace
}  // namespace lw
