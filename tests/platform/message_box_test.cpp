#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/host_hooks.h"
#include "test_support.h"

namespace {

std::string Shown(const std::string& title, const std::string& text) {
  return test_support::CapturedStderr([&] { ShowMessageBox(title, text); });
}

// No one calls InstallMessageBoxes first: loading the code must have installed it. The
// foundation's own fallback would keep the line breaks.
TEST(MessageBox, IsInstalledAtLoadAndShowsEveryLineBreakAsOneBlank) {
  EXPECT_EQ(Shown("Two\nlines", "a\nb\r\nc\rd\n\ne"), "[Two lines] a b c d  e\n");
  platform::InstallMessageBoxes();
  EXPECT_EQ(Shown("T", "x\r\ny"), "[T] x y\n");
}

}  // namespace
