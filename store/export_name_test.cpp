#include "store/export_name.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(ExportName, ReplacesWhatAFileNameCannotHoldAndDropsTheReadOnlyMark) {
  EXPECT_EQ(ExportFileName(u"a|b?c:d/e\\f<g>h*i\"j k"), u"a_b_c_d_e_f_g_h_i_j_k");
  EXPECT_EQ(ExportFileName(u"Jurnal 2024`"), u"Jurnal_2024");
  // Only the one trailing mark goes; one inside the title stays, as do
  // letters outside ASCII and characters a file name can hold.
  EXPECT_EQ(ExportFileName(u"`Țară``"), u"`Țară`");
  EXPECT_EQ(ExportFileName(u"v1.2_(draft)-ok!"), u"v1.2_(draft)-ok!");
  EXPECT_EQ(ExportFileName(u""), u"");
}

}  // namespace
}  // namespace lw
