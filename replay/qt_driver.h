#pragma once
// Playing scenarios through the real widgets (talvero-replay --qt): the control is drawn by
// qt::ControlWidget in a window of its own, and each operator line becomes real input on its
// widgets (key presses, mouse presses and clicks, a pick in a combo's drop-down list, the detail
// window's close box), which the widgets relay to the model as the operator's actions. Message
// boxes are real QMessageBoxes, answered by clicking the button that the script's answer names;
// the detail window is the real modal dialog. Expectations read the widgets as well as the model.
//
// A QApplication must exist; QT_QPA_PLATFORM=offscreen runs it without a display.
#include "replay/driver.h"

namespace talvero::replay {

DriverFactory QtDriverFactory();

}  // namespace talvero::replay
