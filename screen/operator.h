#pragma once
// What an operator does on the screen, as the replay tool plays it and the toolkit binding relays
// it. Each action is one operator event: focus moves first, errors that escape a handler are
// reported (Screen::Guard), and pending events run when the action returns.
#include <stdexcept>
#include <string>
#include <vector>

#include "screen/model.h"

namespace talvero::screen {

// The action cannot be played at all (a control that cannot take the focus, an item not in a
// list): the script is wrong, not the system.
class OperatorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeySpace = 32;

class Operator {
 public:
  explicit Operator(Screen& screen) : screen_(screen) {}

  // Moves the focus to the control: LostFocus of the one that had it, then GotFocus.
  void Focus(Control& control);
  // Moves the focus to the next control of the surface's focus order that can take it.
  void Tab();
  // Moves the focus to the previous control of the focus order that can take it (Shift+Tab).
  void BackTab();
  // Types each character (UTF-8) into the focused control: KeyPress, then the character of the
  // resulting code is added to the text unless it was swallowed. Keys typed while no control has
  // the focus go nowhere.
  void Type(const std::string& text);
  // One key: Enter adds nothing, Backspace removes the last character, Space on a button, check
  // box or option button clicks it (after its KeyPress, unless swallowed).
  void Key(int code);
  // One key typed where the caret is, for a display that lets the operator edit inside the text:
  // the characters [start, start + length) are selected (start counts characters, not bytes).
  // KeyPress first; unless the key is swallowed, the character replaces the selection, or
  // Backspace removes it (or the character before the caret when nothing is selected). Returns
  // where the caret is afterwards. Typing at the end with nothing selected is Type.
  int KeyAt(int code, int start, int length);
  // Replaces the whole text of the focused control: one Change, no KeyPress.
  void Paste(const std::string& text);
  // Opens the combo's list and picks an item. The item is found once the list is open: the move
  // of the focus to the combo may have refilled it.
  void Pick(Control& combo, int index);
  void Pick(Control& combo, const std::string& item);
  // A pick in a drop-down list that is already open: the press that opened it moved the focus
  // (the move may have sent it elsewhere; the pick goes on while the combo can take the focus).
  void PickFromOpenList(Control& combo, int index);
  void Click(Control& control);
  // The release of a click whose press has already moved the focus: a button is pressed only
  // while it still has the focus; a check box or an option button takes the click while usable.
  void ReleaseClick(Control& control);
  void Select(Control& list, const std::vector<int>& rows);
  void DblClick(Control& list);
  void MouseDown(Surface& surface, int button);
  void MouseDown(Control& frame, int button);
  // The close box of a window.
  void Close(Surface& window);
  // Lets every pending event run.
  void Settle() { screen_.DoEvents(); }

 private:
  // The press that opens the combo's list, which moves the focus to it.
  void OpenList(Control& combo);
  // Returns the caret after the key; `start` and `length` select characters of the text.
  int PressKey(Control& target, int code, int start, int length);
  void Step(int direction);
  // What a click does to a focused button, check box or option button.
  void Activate(Control& control);
  Screen& screen_;
};

// The row of the first item of the combo equal to `item`; OperatorError when there is none.
int ItemRow(const Control& combo, const std::string& item);
// The row `index` of the combo's list; OperatorError when the list has no such row.
int IndexRow(const Control& combo, int index);

// UTF-8 helpers shared by the operator layer and the logic.
std::vector<char32_t> DecodeUtf8(const std::string& text);
std::string EncodeUtf8(char32_t code);
// Removes the last character (not the last byte).
std::string DropLastChar(const std::string& text);

}  // namespace talvero::screen
