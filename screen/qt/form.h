#pragma once
// The layout of the two surfaces: where each control's widget goes, with the group boxes, labels
// and tab order around them. The widgets are made by the binding, one per control, and found here
// by control name.
#include <functional>

class QDialog;
class QWidget;

namespace talvero::qt {

using WidgetByName = std::function<QWidget*(const char* name)>;

// The entry screen: identification, field of application, base / rate / amount, sign, modulation
// and hours type, accounts, indicators, and the command buttons in one row.
void LayOutEntryScreen(QWidget* surface, const WidgetByName& widget);
// The detail window: the include / remove choice, the two lists side by side with the move
// buttons between them, Retour. Returns the widget laid over the frame Cdr_Rubrique that holds
// them: a press on it is a press on the frame.
QWidget* LayOutDetailWindow(QDialog* dialog, const WidgetByName& widget);

}  // namespace talvero::qt
