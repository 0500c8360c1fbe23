// The window without a screen, which the command-line tool answers through.
#include "window/headless_window.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

// As a combo box does, a position past the last item selects nothing, so the
// list's text is never read from beyond its items.
TEST(HeadlessWindow, SelectingPastTheLastItemSelectsNothing) {
  HeadlessWindow window;
  window.InsertListItem(1, -1, "a");
  window.SelectListItem(1, 0);
  window.SelectListItem(1, 1);
  EXPECT_EQ(window.GetListSelection(1), -1);
}

}  // namespace
}  // namespace morvik
