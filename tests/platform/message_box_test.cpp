#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/host_hooks.h"
#include "test_support.h"

namespace {

using Show = void (*)(const std::string&, const std::string&);

std::string Shown(Show show, const std::string& title, const std::string& text) {
  return test_support::CapturedStderr([&] { show(title, text); });
}

TEST(MessageBox, WritesTitleInBracketsThenTheTextWithEveryLineBreakAsOneBlank) {
  EXPECT_EQ(Shown(&platform::MessageBox, "Vistafold", "The template could not be read."),
            "[Vistafold] The template could not be read.\n");
  EXPECT_EQ(Shown(&platform::MessageBox, "Two\nlines", "a\nb\r\nc\rd\n\ne"),
            "[Two lines] a b c d  e\n");
  EXPECT_EQ(Shown(&platform::MessageBox, "", ""), "[] \n");
}

// No one calls InstallMessageBoxes first: loading the code must have installed it. The
// foundation's own fallback would keep the line break.
TEST(MessageBox, IsTheFoundationsHandlerFromLoadOnAndAfterInstallingAgain) {
  EXPECT_EQ(Shown(&ShowMessageBox, "Error", "first\nsecond"), "[Error] first second\n");
  platform::InstallMessageBoxes();
  EXPECT_EQ(Shown(&ShowMessageBox, "T", "x\r\ny"), "[T] x y\n");
}

}  // namespace
