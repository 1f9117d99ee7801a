#include "screen/qt/control_widget.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <map>

#include "screen/qt/form.h"
#include "screen/qt/qt_display.h"

namespace talvero::qt {

namespace {

using screen::Kind;
using screen::ScreenChange;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string S(const QString& text) {
  return text.toStdString();
}

// Caret positions: the model counts characters, Qt counts UTF-16 units.
int CharsBefore(const QString& text, int utf16) {
  return static_cast<int>(text.left(utf16).toUcs4().size());
}

int Utf16At(const QString& text, int chars) {
  QList<uint> codes = text.toUcs4();
  chars = std::min<int>(chars, static_cast<int>(codes.size()));
  return static_cast<int>(
      QString::fromUcs4(reinterpret_cast<const char32_t*>(codes.constData()), chars).size());
}

QStringList Items(const screen::Control& c) {
  QStringList items;
  for (const std::string& item : c.Items()) items << Q(item);
  return items;
}

int MouseButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 1;
  }
}

// The detail window: its close box and Escape ask the model to unload it; only the model closes
// it (done), when the window is unloaded.
class DetailWindowDialog : public QDialog {
 public:
  using QDialog::QDialog;
  std::function<void()> on_close;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (on_close) on_close();
  }
  void reject() override {
    if (on_close) on_close();
  }
};

// What the operator sees for each control, and the tooltips where the meaning is not obvious.
const std::map<std::string, const char*>& Tooltips() {
  static const std::map<std::string, const char*> tips = {
      {"Txt_CodRubSai", "Code de la rubrique (3 caractères) ; Entrée complète un code court"},
      {"Cbo_LibRubSai", "Rechercher une rubrique par son libellé"},
      {"Txt_LibRubSai", "Libellé de la rubrique"},
      {"Cbo_ChpAppliRubSai", "Champ d'application de la rubrique"},
      {"Cbo_TypAvNatRubSai", "Type d'avantage en nature"},
      {"Cbo_TypeFraisProf", "Type de frais professionnels"},
      {"Cbo_TypBaseRubSai", "Comment la base est obtenue"},
      {"Txt_MontBaseRubSai", "Valeur de la base"},
      {"Cmd_DetailRubSai", "Rubriques qui composent la base"},
      {"Cbo_TypTauxRubSai", "Comment le taux est obtenu"},
      {"Txt_MontTauxRubSai", "Valeur du taux"},
      {"Cbo_TypMontRubSai", "Comment le montant est obtenu"},
      {"Txt_ValMontRubSai", "Valeur du montant"},
      {"Txt_DebitRubSai", "Numéro du compte de débit"},
      {"Cbo_DebitRubSai", "Rechercher le compte de débit par son libellé"},
      {"Txt_CreditRubSai", "Numéro du compte de crédit"},
      {"Cbo_CreditRubSai", "Rechercher le compte de crédit par son libellé"},
      {"Cmd_Ajouter", "Créer une nouvelle rubrique"},
      {"Cmd_Supprimer", "Supprimer (ou réactiver) la rubrique affichée"},
      {"Cmd_OK", "Enregistrer la rubrique"},
      {"Cmd_Annuler", "Abandonner les modifications"},
      {"Cmd_Sortir", "Fermer l'écran"},
      {"Cmd_Gauche", "Ajouter les rubriques sélectionnées"},
      {"Cmd_Droite", "Retirer les rubriques sélectionnées"},
      {"Lst_ListeRubSai", "Rubriques disponibles : cliquer pour sélectionner"},
      {"Lst_LibRubSai", "Rubriques retenues : cliquer pour sélectionner"},
      {"Cmd_Retour", "Valider le choix et revenir à la rubrique"},
  };
  return tips;
}

// Accessible names of the fields that have no caption of their own: the label beside them.
const std::map<std::string, const char*>& FieldNames() {
  static const std::map<std::string, const char*> names = {
      {"Txt_CodRubSai", "Code rubrique"},
      {"Cbo_LibRubSai", "Libellé (recherche)"},
      {"Txt_LibRubSai", "Libellé"},
      {"Cbo_ChpAppliRubSai", "Champ d'application"},
      {"Cbo_TypAvNatRubSai", "Type d'avantage en nature"},
      {"Cbo_TypeFraisProf", "Type de frais professionnels"},
      {"Cbo_TypBaseRubSai", "Type de base"},
      {"Txt_MontBaseRubSai", "Base"},
      {"Cbo_TypTauxRubSai", "Type de taux"},
      {"Txt_MontTauxRubSai", "Taux"},
      {"Cbo_TypMontRubSai", "Type de montant"},
      {"Txt_ValMontRubSai", "Montant"},
      {"Txt_DebitRubSai", "Compte de débit"},
      {"Cbo_DebitRubSai", "Libellé du compte de débit"},
      {"Txt_CreditRubSai", "Compte de crédit"},
      {"Cbo_CreditRubSai", "Libellé du compte de crédit"},
      {"Lst_ListeRubSai", "Liste des rubriques"},
      {"Lst_LibRubSai", "Rubriques retenues"},
      {"Cdr_Rubrique", "Rubriques"},
  };
  return names;
}

}  // namespace

// ---------------------------------------------------------------- Binding

class ControlWidget::Binding {
 public:
  Binding(ControlWidget& owner, Ctr_Talvero& control, QtDisplay* display);
  ~Binding();

  QWidget* WidgetOf(const screen::Control& c) const {
    auto it = widgets_.find(&c);
    return it == widgets_.end() ? nullptr : it->second;
  }
  screen::Control* ControlOf(const QObject* object) const {
    auto it = controls_.find(object);
    return it == controls_.end() ? nullptr : it->second;
  }

  bool Filter(QObject* watched, QEvent* event);
  void SurfacePress(screen::Surface& surface, QMouseEvent* event);
  bool SurfaceKey(QKeyEvent* event);
  void OpenPopup(const std::string& menu);

  Ctr_Talvero& control_;
  screen::Screen& screen_;
  screen::Operator op_;
  ControlWidget& owner_;
  QtDisplay* display_;
  DetailWindowDialog* dialog_ = nullptr;
  QMenu* menu_ = nullptr;  // the open pop-up menu

 private:
  void Build(screen::Surface& surface, QWidget* parent);
  QWidget* Make(screen::Control& c, QWidget* parent);
  void Watch(QObject* object, screen::Control& c);

  // Mirroring the model.
  void Told(const ScreenChange& change);
  void Sync(screen::Control& c);
  void SyncContents(screen::Control& c, QWidget* w);
  void SyncSurface(screen::Surface& surface);
  void SyncLabelCaption();
  void SyncAll();
  void MirrorFocus();
  void MirrorPointer();
  QWidget* SurfaceWidget(const screen::Surface& surface) const;

  // Relaying input.
  void Act(const std::function<void()>& action);
  bool TakeFocus(screen::Control& c);
  bool Key(screen::Control& c, QKeyEvent* event);
  bool TextKey(screen::Control& c, QKeyEvent* event);
  bool InputMethod(screen::Control& c, QInputMethodEvent* event);
  bool MenuKey(QKeyEvent* event);
  bool ListKey(screen::Control& c, QKeyEvent* event);
  bool Press(screen::Control& c, QObject* watched, QMouseEvent* event);
  bool Release(screen::Control& c, QObject* watched, QMouseEvent* event);
  bool PopupEvent(screen::Control& combo, QEvent* event);
  void ToggleRow(screen::Control& list, int row);
  QLineEdit* EditOf(screen::Control& c) const;
  void TypeKey(screen::Control& c, int code);
  void ReplaceSelection(screen::Control& c, const QString& with);
  void Pick(screen::Control& combo, int row);  // the arrow keys: the focus moves first
  void PickFromList(screen::Control& combo, int row);

  std::map<const screen::Control*, QWidget*> widgets_;
  std::map<const QObject*, screen::Control*> controls_;
  std::map<const QObject*, screen::Control*> popups_;  // combo popup views and viewports
  screen::Control* pressed_ = nullptr;                 // the button under a mouse press
  int token_ = 0;
  bool busy_ = false;
};

ControlWidget::Binding::Binding(ControlWidget& owner, Ctr_Talvero& control, QtDisplay* display)
    : control_(control),
      screen_(control.GetScreen()),
      op_(screen_),
      owner_(owner),
      display_(display ? display : dynamic_cast<QtDisplay*>(&screen_.GetDisplay())) {
  Build(control.Controls(), &owner);
  LayOutEntryScreen(&owner,
                    [this](const char* name) { return WidgetOf(control_.Controls().Get(name)); });
  dialog_ = new DetailWindowDialog(&owner);
  dialog_->setObjectName("Frm_Detail");
  dialog_->setModal(true);
  dialog_->on_close = [this] {
    screen::Surface& window = control_.DetailWindow();
    if (window.Loaded()) Act([&] { op_.Close(window); });
  };
  dialog_->installEventFilter(&owner_);
  owner_.installEventFilter(&owner_);
  Build(control.DetailWindow(), dialog_);
  QWidget* frame = LayOutDetailWindow(
      dialog_, [this](const char* name) { return WidgetOf(control_.DetailWindow().Get(name)); });
  Watch(frame, control_.DetailWindow().Get("Cdr_Rubrique"));
  for (screen::Surface* surface : {&control_.Controls(), &control_.DetailWindow()}) {
    // Tab is the model's own move; the widgets' tab order follows it for whoever reads it.
    QWidget* previous = nullptr;
    for (screen::Control* c : surface->FocusOrder()) {
      QWidget* w = WidgetOf(*c);
      if (!w || w->focusPolicy() == Qt::NoFocus) continue;
      if (previous) QWidget::setTabOrder(previous, w);
      previous = w;
    }
  }
  owner_.setObjectName("Ctr_Talvero");
  owner_.setFocusPolicy(Qt::NoFocus);
  owner_.setAccessibleName("Rubriques de saisie");

  token_ = screen_.Subscribe([this](const ScreenChange& change) { Told(change); });
  screen_.modal_loop = [this](screen::Surface& window) {
    if (&window != &control_.DetailWindow() || !window.Loaded()) return;
    SyncSurface(window);
    for (int i = 0; i < window.Count(); ++i) Sync(window.Item(i));
    dialog_->exec();
  };
  if (display_) {
    display_->SetParentWidget([this]() -> QWidget* {
      return dialog_->isVisible() ? static_cast<QWidget*>(dialog_) : owner_.window();
    });
    display_->SetPopupOpener([this](const std::string& menu) { OpenPopup(menu); });
  }
  SyncAll();
}

ControlWidget::Binding::~Binding() {
  // The widgets go after the binding: they tell it nothing more.
  for (auto* watched : {&controls_, &popups_})
    for (auto& [object, control] : *watched)
      const_cast<QObject*>(object)->removeEventFilter(&owner_);
  dialog_->removeEventFilter(&owner_);
  screen_.Unsubscribe(token_);
  screen_.modal_loop = nullptr;
  if (busy_) QGuiApplication::restoreOverrideCursor();
  if (display_) {
    display_->SetParentWidget(nullptr);
    display_->SetPopupOpener(nullptr);
  }
}

void ControlWidget::Binding::Build(screen::Surface& surface, QWidget* parent) {
  for (int i = 0; i < surface.Count(); ++i) {
    screen::Control& c = surface.Item(i);
    QWidget* container = parent;
    if (c.Container() && c.GetKind() != Kind::Menu) container = WidgetOf(*c.Container());
    if (QWidget* w = Make(c, container ? container : parent)) {
      w->setObjectName(Q(c.Name()));
      widgets_[&c] = w;
      Watch(w, c);
      QSizePolicy policy = w->sizePolicy();
      policy.setRetainSizeWhenHidden(true);  // shown and hidden by the modes: nothing moves
      w->setSizePolicy(policy);
      auto tip = Tooltips().find(c.Name());
      if (tip != Tooltips().end()) w->setToolTip(QString::fromUtf8(tip->second));
      auto name = FieldNames().find(c.Name());
      w->setAccessibleName(name != FieldNames().end() ? QString::fromUtf8(name->second)
                                                      : Q(c.Caption()).trimmed());
    }
  }
}

void ControlWidget::Binding::Watch(QObject* object, screen::Control& c) {
  controls_[object] = &c;
  object->installEventFilter(&owner_);
}

QWidget* ControlWidget::Binding::Make(screen::Control& c, QWidget* parent) {
  switch (c.GetKind()) {
    case Kind::TextField: {
      auto* edit = new QLineEdit(parent);
      edit->setContextMenuPolicy(Qt::NoContextMenu);  // its Undo and Paste would bypass the model
      edit->setAcceptDrops(false);                    // so would a drop
      edit->setFocusPolicy(Qt::TabFocus);
      // A safety net: should an edit reach the widget by a path not relayed, the model wins.
      QObject::connect(edit, &QLineEdit::textEdited, edit, [this, &c] { Sync(c); });
      return edit;
    }
    case Kind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setCompleter(nullptr);
      combo->setFocusPolicy(Qt::TabFocus);
      combo->setMaxVisibleItems(15);
      combo->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
      combo->lineEdit()->setAcceptDrops(false);
      Watch(combo->lineEdit(), c);
      QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [this, &c] { Sync(c); });
      // The drop-down list: a pick in it is the operator's pick.
      popups_[combo->view()] = &c;
      popups_[combo->view()->viewport()] = &c;
      combo->view()->installEventFilter(&owner_);
      combo->view()->viewport()->installEventFilter(&owner_);
      return combo;
    }
    case Kind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::MultiSelection);
      list->setFocusPolicy(Qt::TabFocus);
      Watch(list->viewport(), c);
      return list;
    }
    case Kind::CheckBox: {
      auto* box = new QCheckBox(parent);
      box->setFocusPolicy(Qt::TabFocus);
      return box;
    }
    case Kind::OptionButton: {
      auto* option = new QRadioButton(parent);
      option->setAutoExclusive(false);  // the model clears the other options of the frame
      option->setFocusPolicy(Qt::TabFocus);
      return option;
    }
    case Kind::Frame:
      return new QGroupBox(parent);
    case Kind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);  // an item's label is shown as written
      return label;
    }
    case Kind::Button: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      button->setFocusPolicy(Qt::TabFocus);
      return button;
    }
    case Kind::Menu:
      return nullptr;
  }
  return nullptr;
}

// ---------------------------------------------------------------- Mirroring the model

QWidget* ControlWidget::Binding::SurfaceWidget(const screen::Surface& surface) const {
  if (&surface == &control_.DetailWindow()) return dialog_;
  return &owner_;
}

void ControlWidget::Binding::Told(const ScreenChange& change) {
  switch (change.what) {
    case ScreenChange::What::kFocus:
      MirrorFocus();
      return;
    case ScreenChange::What::kSelStart:
      if (QLineEdit* edit = change.control ? EditOf(*change.control) : nullptr)
        edit->setCursorPosition(Utf16At(edit->text(), change.control->SelStart()));
      return;
    case ScreenChange::What::kScreenPointer:
      MirrorPointer();
      return;
    case ScreenChange::What::kSurfaceCaption:
    case ScreenChange::What::kSurfaceEnabled:
    case ScreenChange::What::kSurfacePointer:
    case ScreenChange::What::kLoaded:
      if (change.surface) SyncSurface(*change.surface);
      return;
    default:
      if (change.control) Sync(*change.control);
      if (change.what == ScreenChange::What::kEnabled ||
          change.what == ScreenChange::What::kVisible)
        MirrorFocus();
      return;
  }
}

void ControlWidget::Binding::Sync(screen::Control& c) {
  QWidget* w = WidgetOf(c);
  if (!w) return;
  QSignalBlocker block(w);
  if (w->isHidden() == c.Visible()) w->setHidden(!c.Visible());
  // The widget's own flag: a widget inside a disabled frame stays enabled in its own right.
  if (w->testAttribute(Qt::WA_ForceDisabled) == c.Enabled()) w->setEnabled(c.Enabled());
  SyncContents(c, w);
  if (c.Name() == "Cbo_LibRubSai" || c.Name() == "Txt_LibRubSai") SyncLabelCaption();
}

// The caption beside the two label controls is the form's own: it greys with them.
void ControlWidget::Binding::SyncLabelCaption() {
  auto* caption = owner_.findChild<QLabel*>("Etq_Libelle");
  if (!caption) return;
  screen::Surface& entry = control_.Controls();
  bool usable = false;
  for (const char* name : {"Cbo_LibRubSai", "Txt_LibRubSai"}) {
    const screen::Control& c = entry.Get(name);
    usable = usable || (c.Visible() && c.Enabled());
  }
  caption->setEnabled(usable);
}

void ControlWidget::Binding::SyncContents(screen::Control& c, QWidget* w) {
  const QString caption = Q(c.Caption());
  switch (c.GetKind()) {
    case Kind::TextField: {
      auto* edit = static_cast<QLineEdit*>(w);
      if (edit->text() != Q(c.Text())) edit->setText(Q(c.Text()));
      return;
    }
    case Kind::ComboBox: {
      auto* combo = static_cast<QComboBox*>(w);
      QSignalBlocker block_edit(combo->lineEdit());
      QStringList items = Items(c);
      bool same = combo->count() == items.size();
      for (int i = 0; same && i < items.size(); ++i) same = combo->itemText(i) == items[i];
      if (!same) {
        combo->clear();
        combo->addItems(items);
      }
      if (combo->currentIndex() != c.ListIndex()) combo->setCurrentIndex(c.ListIndex());
      if (combo->currentText() != Q(c.Text())) combo->setEditText(Q(c.Text()));
      return;
    }
    case Kind::ListBox: {
      auto* list = static_cast<QListWidget*>(w);
      QStringList items = Items(c);
      bool same = list->count() == items.size();
      for (int i = 0; same && i < items.size(); ++i) same = list->item(i)->text() == items[i];
      if (!same) {
        list->clear();
        list->addItems(items);
      }
      for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected() != c.Selected(i)) list->item(i)->setSelected(c.Selected(i));
      if (list->currentRow() != c.ListIndex())
        list->selectionModel()->setCurrentIndex(list->model()->index(c.ListIndex(), 0),
                                                QItemSelectionModel::NoUpdate);
      return;
    }
    case Kind::CheckBox:
    case Kind::OptionButton: {
      auto* button = static_cast<QAbstractButton*>(w);
      if (button->text() != caption) button->setText(caption);
      if (button->isChecked() != (c.Value() != 0)) button->setChecked(c.Value() != 0);
      return;
    }
    case Kind::Frame: {
      auto* frame = static_cast<QGroupBox*>(w);
      if (frame->title() != caption) frame->setTitle(caption);
      return;
    }
    case Kind::Label: {
      auto* label = static_cast<QLabel*>(w);
      if (label->text() != caption) label->setText(caption);
      return;
    }
    case Kind::Button: {
      auto* button = static_cast<QPushButton*>(w);
      if (button->text() != caption) button->setText(caption);
      return;
    }
    case Kind::Menu:
      return;
  }
}

void ControlWidget::Binding::SyncSurface(screen::Surface& surface) {
  QWidget* w = SurfaceWidget(surface);
  if (surface.IsWindow() && w->windowTitle() != Q(surface.Caption()))
    w->setWindowTitle(Q(surface.Caption()));
  if (w->isEnabled() != surface.Enabled()) {
    w->setEnabled(surface.Enabled());
    MirrorFocus();
  }
  if (surface.MousePointer() == screen::kPointerHourglass)
    w->setCursor(Qt::WaitCursor);
  else
    w->unsetCursor();
  // The window is unloaded: its modal loop ends.
  if (surface.IsWindow() && !surface.Loaded() && dialog_->isVisible()) dialog_->done(0);
}

void ControlWidget::Binding::SyncAll() {
  for (screen::Surface* surface : {&control_.Controls(), &control_.DetailWindow()}) {
    SyncSurface(*surface);
    for (int i = 0; i < surface->Count(); ++i) Sync(surface->Item(i));
  }
  MirrorPointer();
  MirrorFocus();
}

void ControlWidget::Binding::MirrorPointer() {
  bool busy = screen_.MousePointer() == screen::kPointerHourglass;
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::restoreOverrideCursor();
}

void ControlWidget::Binding::MirrorFocus() {
  screen::Control* focused = screen_.Focused();
  QWidget* target = focused ? WidgetOf(*focused) : nullptr;
  if (!target) {
    // Nobody has the focus: keys go to the surface itself, where they go nowhere.
    target = dialog_->isVisible() ? static_cast<QWidget*>(dialog_) : &owner_;
  }
  // A message box that has closed leaves no window active: the screen's window takes the
  // keyboard back, unless another modal window is up.
  QWidget* modal = QApplication::activeModalWidget();
  if (target->isVisible() && !target->window()->isActiveWindow() &&
      (!modal || modal == target->window()))
    target->window()->activateWindow();
  QWidget* now = QApplication::focusWidget();
  if (now == target || (now && now->focusProxy() == target)) return;
  target->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- Relaying input

void ControlWidget::Binding::Act(const std::function<void()>& action) {
  try {
    action();
  } catch (const screen::OperatorError&) {
    // Nothing the operator can do there (no control can take the focus): a beep says so.
    QApplication::beep();
  }
  // The widgets that changed on their own (a check box toggled by Qt) follow the model again.
  SyncAll();
}

bool ControlWidget::Binding::TakeFocus(screen::Control& c) {
  if (screen_.Focused() == &c) return true;
  if (!c.CanTakeFocus()) return false;
  Act([&] { op_.Focus(c); });
  return screen_.Focused() == &c;
}

QLineEdit* ControlWidget::Binding::EditOf(screen::Control& c) const {
  QWidget* w = WidgetOf(c);
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
  return qobject_cast<QLineEdit*>(w);
}

bool ControlWidget::Binding::Filter(QObject* watched, QEvent* event) {
  // A window that comes to the front gives the keyboard to the model's focus.
  if ((watched == dialog_ || watched == &owner_) && event->type() == QEvent::WindowActivate) {
    MirrorFocus();
    return false;
  }
  if (watched == dialog_) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
      SurfacePress(control_.DetailWindow(), static_cast<QMouseEvent*>(event));
    else if (event->type() == QEvent::Show)
      MirrorFocus();
    else if (event->type() == QEvent::KeyPress && !screen_.Focused())
      return SurfaceKey(static_cast<QKeyEvent*>(event));
    return false;
  }
  auto popup = popups_.find(watched);
  if (popup != popups_.end()) return PopupEvent(*popup->second, event);
  screen::Control* c = ControlOf(watched);
  if (!c) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
      return Key(*c, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      return Press(*c, watched, static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
      return Release(*c, watched, static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
      // No drag selection in lists, no pressed look carried off a button.
      return c->GetKind() == Kind::ListBox || c->GetKind() == Kind::Button ||
             c->GetKind() == Kind::CheckBox || c->GetKind() == Kind::OptionButton;
    case QEvent::Wheel:
      return c->GetKind() == Kind::ComboBox;  // the wheel would change the pick silently
    case QEvent::ContextMenu:
      return true;
    case QEvent::InputMethod:
      return InputMethod(*c, static_cast<QInputMethodEvent*>(event));
    default:
      return false;
  }
}

// The menu key (or Shift+F10) is the keyboard's right press on the surface: the help menu.
bool ControlWidget::Binding::MenuKey(QKeyEvent* event) {
  bool menu = event->key() == Qt::Key_Menu ||
              (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
  if (!menu) return false;
  screen::Surface& surface = screen_.TopModal() ? *screen_.TopModal() : control_.Controls();
  QWidget* at = QApplication::focusWidget() ? QApplication::focusWidget() : SurfaceWidget(surface);
  QCursor::setPos(at->mapToGlobal(at->rect().center()));
  Act([&] { op_.MouseDown(surface, 2); });
  return true;
}

bool ControlWidget::Binding::Key(screen::Control& c, QKeyEvent* event) {
  const int key = event->key();
  const auto mods = event->modifiers();
  if (MenuKey(event)) return true;
  if (key == Qt::Key_Tab && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
    Act([&] { op_.Tab(); });
    return true;
  }
  if (key == Qt::Key_Backtab) {
    Act([&] { op_.BackTab(); });
    return true;
  }
  switch (c.GetKind()) {
    case Kind::TextField:
    case Kind::ComboBox:
      return TextKey(c, event);
    case Kind::ListBox:
      return ListKey(c, event);
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::OptionButton:
      // Space is the key that clicks; Enter is a key like any other, which a button ignores.
      if (key == Qt::Key_Space) Act([&] { op_.Key(screen::kKeySpace); });
      return true;
    default:
      return true;
  }
}

bool ControlWidget::Binding::TextKey(screen::Control& c, QKeyEvent* event) {
  const int key = event->key();
  const auto mods = event->modifiers();
  QLineEdit* edit = EditOf(c);
  if (event->matches(QKeySequence::Paste)) {
    ReplaceSelection(c, QGuiApplication::clipboard()->text());
    return true;
  }
  if (event->matches(QKeySequence::Cut)) {
    if (edit->hasSelectedText()) {
      QGuiApplication::clipboard()->setText(edit->selectedText());
      ReplaceSelection(c, QString());
    }
    return true;
  }
  for (auto sequence : {QKeySequence::Undo, QKeySequence::Redo, QKeySequence::DeleteEndOfWord,
                        QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfLine,
                        QKeySequence::DeleteCompleteLine})
    if (event->matches(sequence)) return true;  // edits the model would not see
  if (key == Qt::Key_Delete) {
    if (!edit->hasSelectedText()) edit->cursorForward(true);  // the character after the caret
    if (edit->hasSelectedText()) ReplaceSelection(c, QString());
    return true;
  }
  if (key == Qt::Key_Backspace) {
    TypeKey(c, screen::kKeyBackspace);
    return true;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    TypeKey(c, screen::kKeyEnter);
    return true;
  }
  if (c.GetKind() == Kind::ComboBox && (key == Qt::Key_Up || key == Qt::Key_Down) &&
      !(mods & Qt::AltModifier)) {
    // The arrows pick the previous or next item of the list.
    int row = c.ListIndex() + (key == Qt::Key_Up ? -1 : 1);
    if (row >= 0 && row < c.ListCount()) Pick(c, row);
    return true;
  }
  const QString text = event->text();
  bool printable = !text.isEmpty() && !(mods & (Qt::ControlModifier | Qt::MetaModifier));
  for (QChar ch : text) printable = printable && ch.isPrint();
  if (!printable) return false;  // moving the caret, selecting, copying: Qt's own
  for (uint code : text.toUcs4()) TypeKey(c, static_cast<int>(code));
  return true;
}

void ControlWidget::Binding::TypeKey(screen::Control& c, int code) {
  QLineEdit* edit = EditOf(c);
  QString shown = edit->text();
  int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  int length = edit->hasSelectedText() ? static_cast<int>(edit->selectedText().size()) : 0;
  int from = CharsBefore(shown, start);
  int chars = CharsBefore(shown, start + length) - from;
  int caret = from;
  Act([&] { caret = op_.KeyAt(code, from, chars); });
  if (screen_.Focused() == &c) EditOf(c)->setCursorPosition(Utf16At(EditOf(c)->text(), caret));
}

void ControlWidget::Binding::ReplaceSelection(screen::Control& c, const QString& with) {
  QLineEdit* edit = EditOf(c);
  QString shown = edit->text();
  int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  int length = edit->hasSelectedText() ? static_cast<int>(edit->selectedText().size()) : 0;
  QString edited = shown.left(start) + with + shown.mid(start + length);
  int caret = CharsBefore(edited, start + static_cast<int>(with.size()));
  Act([&] { op_.Paste(S(edited)); });
  if (screen_.Focused() == &c) EditOf(c)->setCursorPosition(Utf16At(EditOf(c)->text(), caret));
}

void ControlWidget::Binding::Pick(screen::Control& combo, int row) {
  Act([&] { op_.Pick(combo, row); });
}

void ControlWidget::Binding::PickFromList(screen::Control& combo, int row) {
  Act([&] { op_.PickFromOpenList(combo, row); });
}

bool ControlWidget::Binding::ListKey(screen::Control& c, QKeyEvent* event) {
  auto* list = static_cast<QListWidget*>(WidgetOf(c));
  switch (event->key()) {
    case Qt::Key_Space:
      if (list->currentRow() >= 0) ToggleRow(c, list->currentRow());
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return false;  // moves the current row without selecting: Qt's own
    default:
      return true;
  }
}

void ControlWidget::Binding::ToggleRow(screen::Control& list, int row) {
  // A click toggles the row; the row clicked last is the list's ListIndex when it is selected.
  std::vector<int> rows;
  for (int i = 0; i < list.ListCount(); ++i)
    if (list.Selected(i) && i != row) rows.push_back(i);
  if (!list.Selected(row)) rows.push_back(row);
  Act([&] { op_.Select(list, rows); });
}

bool ControlWidget::Binding::Press(screen::Control& c, QObject* watched, QMouseEvent* event) {
  const bool left = event->button() == Qt::LeftButton;
  switch (c.GetKind()) {
    case Kind::Frame:
      Act([&] { op_.MouseDown(c, MouseButtonCode(event->button())); });
      return true;
    case Kind::Label:
      return false;  // the press goes on to the frame or surface underneath
    case Kind::TextField:
      if (!left) return true;
      // The press places the caret only where the focus arrived.
      return !TakeFocus(c);
    case Kind::ComboBox:
      if (!left) return true;
      if (watched != WidgetOf(c)) return !TakeFocus(c);  // its text: the caret, as a field
      // The arrow: the focus moves, and the list opens while the combo can take the focus,
      // even when the move sent the focus elsewhere.
      TakeFocus(c);
      return !c.CanTakeFocus();
    case Kind::ListBox: {
      if (!left || !TakeFocus(c)) return true;
      auto* list = static_cast<QListWidget*>(WidgetOf(c));
      int row = list->indexAt(event->position().toPoint()).row();
      // Each press toggles its row; the second press of a double click has toggled it back when
      // the double click comes, so the selection is what it was.
      if (event->type() == QEvent::MouseButtonDblClick)
        Act([&] { op_.DblClick(c); });
      else if (watched == list->viewport() && row >= 0)
        ToggleRow(c, row);
      return true;
    }
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::OptionButton:
      // The focus moves at the press, the click comes with the release over the button. A
      // check box or an option button is pressed even when the move sent the focus elsewhere.
      if (left && (TakeFocus(c) || (c.GetKind() != Kind::Button && c.CanTakeFocus()))) {
        pressed_ = &c;
        static_cast<QAbstractButton*>(WidgetOf(c))->setDown(true);
      }
      return true;
    default:
      return true;
  }
}

bool ControlWidget::Binding::Release(screen::Control& c, QObject* watched, QMouseEvent* event) {
  if (c.GetKind() == Kind::ListBox) return true;
  if (c.GetKind() != Kind::Button && c.GetKind() != Kind::CheckBox &&
      c.GetKind() != Kind::OptionButton)
    return false;
  if (event->button() != Qt::LeftButton) return true;
  auto* button = static_cast<QAbstractButton*>(WidgetOf(c));
  button->setDown(false);
  bool over = button->rect().contains(event->position().toPoint());
  if (pressed_ == &c && over) Act([&] { op_.ReleaseClick(c); });
  pressed_ = nullptr;
  return true;
}

bool ControlWidget::Binding::PopupEvent(screen::Control& combo, QEvent* event) {
  auto* box = static_cast<QComboBox*>(WidgetOf(combo));
  QAbstractItemView* view = box->view();
  int row = -1;
  if (event->type() == QEvent::MouseButtonRelease) {
    QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (!view->viewport()->rect().contains(at)) return false;
    row = view->indexAt(at).row();
    if (row < 0) return false;
  } else if (event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    row = view->currentIndex().row();
  } else {
    return false;
  }
  box->hidePopup();
  if (row >= 0) PickFromList(combo, row);
  return true;
}

void ControlWidget::Binding::SurfacePress(screen::Surface& surface, QMouseEvent* event) {
  int button = MouseButtonCode(event->button());
  Act([&] { op_.MouseDown(surface, button); });
}

// Characters composed by an input method (a dead key then a letter) are typed like keys.
bool ControlWidget::Binding::InputMethod(screen::Control& c, QInputMethodEvent* event) {
  if (c.GetKind() != Kind::TextField && c.GetKind() != Kind::ComboBox) return true;
  for (uint code : event->commitString().toUcs4()) TypeKey(c, static_cast<int>(code));
  return true;
}

bool ControlWidget::Binding::SurfaceKey(QKeyEvent* event) {
  if (MenuKey(event)) return true;
  // While no control has the focus, Tab gives it to the first control that can take it; other
  // keys go nowhere.
  if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) return false;
  if (screen_.Focused()) return false;
  screen::Surface& surface = screen_.TopModal() ? *screen_.TopModal() : control_.Controls();
  for (screen::Control* c : surface.FocusOrder())
    if (c->CanTakeFocus()) {
      Act([&] { op_.Focus(*c); });
      break;
    }
  return true;
}

void ControlWidget::Binding::OpenPopup(const std::string& menu_name) {
  screen::Surface& surface = screen_.TopModal() ? *screen_.TopModal() : control_.Controls();
  screen::Control* menu = surface.Find(menu_name);
  if (!menu) return;
  // One menu, filled anew each time: never deleted while one of its own events runs.
  if (!menu_) menu_ = new QMenu(&owner_);
  menu_->close();
  menu_->clear();
  // Over the detail window, the menu belongs to it: the window's modality would block it otherwise.
  if (menu_->parentWidget() != SurfaceWidget(surface))
    menu_->setParent(SurfaceWidget(surface), menu_->windowFlags());
  menu_->setObjectName(Q(menu_name));
  for (int i = 0; i < surface.Count(); ++i) {
    screen::Control& item = surface.Item(i);
    if (item.Container() != menu) continue;
    QAction* action = menu_->addAction(Q(item.Caption()));
    action->setObjectName(Q(item.Name()));
    action->setEnabled(item.Usable());
    // Queued: the item's Click runs once the menu has finished with the mouse.
    QObject::connect(
        action, &QAction::triggered, &owner_, [this, &item] { Act([&] { op_.Click(item); }); },
        Qt::QueuedConnection);
  }
  // Not a modal loop of its own: the operator's choice comes back as the item's Click.
  menu_->popup(QCursor::pos());
}

// ---------------------------------------------------------------- ControlWidget

ControlWidget::ControlWidget(Ctr_Talvero& control, QtDisplay* display, QWidget* parent)
    : QWidget(parent) {
  binding_ = std::make_unique<Binding>(*this, control, display);
}

ControlWidget::~ControlWidget() = default;

Ctr_Talvero& ControlWidget::Control() const {
  return binding_->control_;
}

screen::Operator& ControlWidget::GetOperator() const {
  return binding_->op_;
}

QWidget* ControlWidget::WidgetOf(const screen::Control& control) const {
  return binding_->WidgetOf(control);
}

screen::Control* ControlWidget::ControlOf(const QWidget* widget) const {
  return binding_->ControlOf(widget);
}

QDialog* ControlWidget::DetailDialog() const {
  return binding_->dialog_;
}

QWidget* ControlWidget::OpenMenu() const {
  return binding_->menu_ && binding_->menu_->isVisible() ? binding_->menu_ : nullptr;
}

bool ControlWidget::eventFilter(QObject* watched, QEvent* event) {
  return binding_ && binding_->Filter(watched, event);
}

void ControlWidget::mousePressEvent(QMouseEvent* event) {
  binding_->SurfacePress(binding_->control_.Controls(), event);
}

void ControlWidget::keyPressEvent(QKeyEvent* event) {
  binding_->SurfaceKey(event);
}

}  // namespace talvero::qt
