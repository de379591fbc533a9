#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/host_hooks.h"

namespace {

std::string Shown(void (*show)(const std::string&, const std::string&), const std::string& title,
                  const std::string& text) {
  testing::internal::CaptureStderr();
  show(title, text);
  return testing::internal::GetCapturedStderr();
}

TEST(MessageBox, WritesTitleInBracketsThenTheTextOnOneLine) {
  EXPECT_EQ(Shown(&platform::MessageBox, "Vistafold", "The template could not be read."),
            "[Vistafold] The template could not be read.\n");
}

TEST(MessageBox, TurnsEveryLineBreakIntoOneBlank) {
  EXPECT_EQ(Shown(&platform::MessageBox, "Two\nlines", "a\nb\r\nc\rd\n\ne"),
            "[Two lines] a b c d  e\n");
  EXPECT_EQ(Shown(&platform::MessageBox, "", ""), "[] \n");
}

// No one calls InstallMessageBoxes here: loading the code must have installed it. The
// foundation's own fallback would keep the line break.
TEST(MessageBox, IsTheFoundationsHandlerFromLoadOn) {
  EXPECT_EQ(Shown(&ShowMessageBox, "Error", "first\nsecond"), "[Error] first second\n");
}

TEST(MessageBox, InstallingAgainKeepsTheSameHandler) {
  platform::InstallMessageBoxes();
  EXPECT_EQ(Shown(&ShowMessageBox, "T", "x\r\ny"), "[T] x y\n");
}

}  // namespace
