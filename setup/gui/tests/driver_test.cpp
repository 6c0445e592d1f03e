// gui_driver drives a shown form of this process from a second process: it lists the
// controls, types, clicks (also a button that opens a modal box, which it then answers),
// reads texts and closes the form.
#include <gtest/gtest.h>

#include "gui/button.h"
#include "gui/dialogs.h"
#include "gui/edit.h"
#include "gui/form.h"
#include "gui/label.h"
#include "gui/tests/gui_test_support.h"

namespace gui {
namespace {

using test::RunDriver;

class DriverTest : public ::testing::Test {
 protected:
  static FormOptions Options() {
    FormOptions options;
    options.caption = test::UniqueCaption(u"Driven");
    options.clientWidth = 300;
    options.clientHeight = 120;
    return options;
  }

  DriverTest() {
    copy.SetOnClick([this] { status.SetCaption(edit.Text()); });
    ask.SetOnClick([this] {
      answer = CurrentDialogs().Ask(MessageKind::Confirmation, u"Found old version.",
                                    {Answer::Yes, Answer::Cancel}, Answer::Yes);
      status.SetCaption(answer == Answer::Yes ? u"yes" : u"other");
    });
    locked.SetEnabled(false);
    form.Show();
  }

  Form form{Options()};
  Edit edit{form, {8, 8, 200, 0}, u""};
  Button copy{form, {8, 40, 75, 25}, u"&Copy"};
  Button ask{form, {90, 40, 75, 25}, u"Ask"};
  Button locked{form, {172, 40, 75, 25}, u"Locked"};
  Label status{form, 8, 80, u"Installation progress"};
  Answer answer = Answer::None;
};

TEST_F(DriverTest, ListsTheControlsWithTheirStates) {
  const auto run = RunDriver({u"list", form.Caption()});
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_NE(run.output.find("Button\t101\tvisible\tenabled\t8,40,75,25\t&Copy\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("\tdisabled\t172,40,75,25\tLocked\n"), std::string::npos);
  EXPECT_NE(run.output.find("Static\t"), std::string::npos);
  EXPECT_NE(run.output.find("\tInstallation progress\n"), std::string::npos);
}

TEST_F(DriverTest, TypesClicksAndReads) {
  const auto run = RunDriver({u"set", form.Caption(), u"Edit:1", u"D:\\Apps\\Demo",  //
                              u"click", form.Caption(), u"Copy",                     //
                              u"wait-text", form.Caption(), u"Static:1", u"D:\\Apps\\Demo", u"get",
                              form.Caption(), u"Edit:1"});
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(run.output, "D:\\Apps\\Demo\n");
  EXPECT_EQ(status.Caption(), u"D:\\Apps\\Demo");
}

TEST_F(DriverTest, AnswersTheModalBoxThatAClickOpens) {
  const auto run = RunDriver({u"click", form.Caption(), u"Ask",    //
                              u"click", u"Confirmation", u"&Yes",  //
                              u"wait-text", form.Caption(), u"Static:1", u"yes"});
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(answer, Answer::Yes);
}

TEST_F(DriverTest, FailsWhenAButtonStaysDisabledAndClosesTheForm) {
  const auto locked = RunDriver({u"--timeout", u"1", u"click", form.Caption(), u"Locked"});
  EXPECT_EQ(locked.exitCode, 1u);
  EXPECT_NE(locked.output.find("click failed"), std::string::npos) << locked.output;
  EXPECT_EQ(RunDriver({u"frobnicate"}).exitCode, 2u);

  const auto closed = RunDriver({u"close", form.Caption(), u"wait-closed", form.Caption()});
  EXPECT_EQ(closed.exitCode, 0u) << closed.output;
  EXPECT_TRUE(form.Closed());
}

}  // namespace
}  // namespace gui
