#pragma once
// Test fixture: the entry screen as designed on a headless display, with a signal spy that
// records the events of the controls it watches, in order ("Txt_CodRubSai.Change;...").
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "screen/designs.h"
#include "screen/display.h"
#include "screen/model.h"
#include "screen/operator.h"

namespace talvero::screen {

class ScreenFixture : public ::testing::Test {
 protected:
  ScreenFixture() : screen_(display_), surface_(MakeEntryScreen(screen_)), op_(screen_) {}
  Control& C(const char* name) { return surface_->Get(name); }
  void Spy(Control& c) {
    c.OnChange = [this, &c] { log_ += c.Name() + ".Change;"; };
    c.OnClick = [this, &c] { log_ += c.Name() + ".Click;"; };
    c.OnLostFocus = [this, &c] { log_ += c.Name() + ".LostFocus;"; };
    c.OnGotFocus = [this, &c] { log_ += c.Name() + ".GotFocus;"; };
  }

  HeadlessDisplay display_;
  Screen screen_;
  std::unique_ptr<Surface> surface_;
  Operator op_;
  std::string log_;
};

}  // namespace talvero::screen
