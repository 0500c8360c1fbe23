// The window without a screen, which the command-line tool answers through.
#include "window/headless_window.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

// A control starts enabled, as a dialog's control does unless its template
// says otherwise. As a combo box does, a position past the last item selects
// nothing, so the list's text is never read from beyond its items.
TEST(HeadlessWindow, ControlStartsEnabledAndSelectingPastTheLastItemSelectsNothing) {
  HeadlessWindow window;
  EXPECT_TRUE(window.control(1).enabled);
  window.InsertListItem(1, -1, "b");
  window.InsertListItem(1, 0, "a");  // before the first item
  window.SelectListItem(1, 0);
  EXPECT_EQ(window.GetListText(1), "a");
  window.SelectListItem(1, 2);
  EXPECT_EQ(window.GetListSelection(1), -1);
}

}  // namespace
}  // namespace morvik
