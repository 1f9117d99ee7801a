// Random operator sessions: a seeded operator does, action after action, only what the screen
// offers at that moment (a click on a usable button, keys into the focused field, a pick, an
// answer to the message box on screen, the detail window and its lists...). After each action:
// no error escaped a handler, every message box is one of the system's own, the buttons show one
// mode and the mode its controls, the screen is usable again, the focus is where it can be, the
// label list names stored items, the store is sound, no item was erased or replaced by a
// creation, and every item stays readable; an item saved reopens as it was shown. At the end every
// item opens and is left without a question. A failure prints the seed and the session as a
// scenario that the replay tool plays; a session that hangs aborts the test with its seed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "component/ctr_talvero.h"
#include "gateways/tools.h"
#include "outside/help_object.h"
#include "outside/rights_object.h"
#include "outside/tools_object.h"
#include "replay/notation.h"
#include "screen/display.h"
#include "screen/operator.h"
#include "store/sqlite_store.h"
#include "tests/reliability/reliability_rig.h"

namespace talvero::reliability {
namespace {

using screen::Control;
using screen::Kind;

// The store every session starts from, in the scenario notation.
const std::vector<std::array<const char*, 3>> kRecords = {
    {"RUBSAISIE", "007", "ACOMPTE^1^^0^+^4^^3^^0^^^^^^0^^^0^0^0^0^0^0"},
    {"RUBSAISIE", "022", "PRIME DE PANIER^6^^0^+^4^^3^^1^715^^^^^0^^^0^0^0^0^0^0"},
    {"RUBSAISIE", "033", "PRIME SUPPRIMEE^6^^0^+^4^^3^^1^715^^^^^0^^1^0^0^0^0^0^0"},
    {"RUBSAISIE", "045", "PRIME COMPOSEE^5^^1^+^3^10000^3^^2^^^^I^022]007^0^^^0^0^0^0^0^0"},
    {"RUBSAISIE", "060", "INDEMNITE^3^^1^-^1^-1250^4^35000^2^^^^R^^2^^^2^1^1^1^1^0"},
    {"RUBSAISIE", "070", "LOGEMENT^0^L^0^+^4^^3^^1^5000^^^R^^0^^^0^0^0^0^0^0"},
    {"RUBSAISIE", "080", "FRAIS^2^^0^+^4^^3^^0^^^^R^^1^D^^1^0^0^0^0^0"},
    {"RUBSAISIE", "850", "PRIME MAISON^5^^0^+^1^1000^3^^2^^^^R^^0^^^0^0^0^0^0^0"},
    {"RUBSAISIE", "901", "MAISON SUPPRIMEE^2^^0^-^0^^0^^0^^^^^^0^R^1^0^0^0^0^0^0"},
    {"PLANCOMPTABLE", "0014110000000", "CLIENTS"},
    {"PLANCOMPTABLE", "0014120000000", "CLIENTS DOUTEUX"},
    {"PLANCOMPTABLE", "0016410000000", "SALAIRES"},
};

// What the operator types or pastes: codes of every kind, numbers, labels, marks.
const std::vector<std::string> kTexts = {
    "0",    "2",     "5",   "9",   "007",        "022",
    "033",  "045",   "850", "901", "860",        "999",
    "12,5", "100",   "0,3", "41",  "4110000000", "6410000000",
    "A",    "PRIME", "CLI", "sal", "é",          "\"",
    "*",    ",",     "-1",  " ",   "þý",         "LIBELLE NOUVEAU"};

// Single keys besides Enter and Backspace: space (a click on a button or box), escape, tab, a
// swallowed key, digits and letters, the first code the label combo refuses, accents, the code
// whose character is a field mark, and a code beyond Unicode.
const std::vector<int> kKeys = {32, 27, 9, 0, 48, 55, 65, 97, 122, 123, 233, 254, 0x110000};

// One host window holding the control; a new one replaces it when the operator leaves.
struct Host {
  Host(std::mt19937& random, std::vector<std::string>& answers)
      : display(random, answers), screen(display), op(screen) {}
  AnsweringDisplay display;
  screen::Screen screen;
  screen::Operator op;
  std::unique_ptr<Ctr_Talvero> control;
};

class Session {
 public:
  Session(uint32_t seed, int actions) : random_(seed), actions_left_(actions) {
    bool accounts = random_() % 2, billing = random_() % 2, maker = random_() % 2,
         full_rights = random_() % 5, telemanaged = random_() % 2;
    tools_->SetMaker(maker);
    maker_ = maker;
    full_rights_ = full_rights;
    rights_->SetDefaultLevel(full_rights ? 2 : 1);
    // The counter just below codes in use, live or deleted, or at the end of its range.
    const char* counters[] = {"041", "006", "021", "032", "798", "799"};
    Put("COMPTEUR", "999",
        std::string("^^") + counters[random_() % 6] + (accounts ? "^^^^^^^^^^^^001" : "") +
            (billing ? std::string(80 - (accounts ? 15 : 3), '^') + "1" : ""));
    for (const auto& [file, id, notation] : kRecords) Put(file, id, notation);
    if (telemanaged) Put("ASSOCIATION", "A1", std::string(37, '^') + "SYSTEME");
    script_.push_back(full_rights ? "rights 2" : "rights 1");
    script_.push_back(maker ? "maker yes" : "maker no");
  }

  // Plays the session; returns the first invariant broken, or "".
  std::string Play() {
    InstallOutils(tools_);
    InstallAide(help_);
    std::string broken;
    while (actions_left_ > 0 && broken.empty()) {
      if (!host_ || host_->screen.HostUnloaded()) Start();
      broken = Act();
    }
    if (broken.empty()) broken = LoadEveryItem();
    Stop();
    InstallOutils(nullptr);
    InstallAide(nullptr);
    Vars() = Variables{};
    return broken;
  }

  // Figures of what the session reached: item writes, windows opened.
  int Writes() {
    int versions = 0;
    db_->ForEachRecord("RUBSAISIE", [&](std::string_view id, std::string_view) {
      versions += static_cast<int>(db_->History("RUBSAISIE", std::string(id)).size());
    });
    for (const auto& record : kRecords) versions -= std::string(record[0]) == "RUBSAISIE";
    return versions;  // less the records put at first
  }
  int Windows() const { return windows_; }

  std::string Script() const {
    std::string text;
    for (const std::string& line : script_) text += line + "\n";
    return text;
  }

 private:
  void Put(const std::string& file, const std::string& id, const std::string& notation) {
    db_->PutRecord(file, id, replay::StoredFromNotation(notation));
    script_.push_back("db " + file + " " + id + " " + replay::Quoted(notation));
  }

  void Start() {
    if (host_) script_.push_back("terminate");
    Stop();
    Vars() = Variables{};  // a fresh host: no global of the one before
    host_ = std::make_unique<Host>(random_, answers_);
    window_open_ = false;
    help_->SetSink(
        [this](const std::string& page, const std::string& mode, const std::string& title,
               const std::string& extra) { host_->display.Help(page, mode, title, extra); });
    host_->screen.modal_loop = [this](screen::Surface& window) { PlayModal(window); };
    host_->control = std::make_unique<Ctr_Talvero>(host_->screen);
    host_->control->TheDatabase(db_);
    host_->control->TheClient(std::make_shared<DBAClient>());
    host_->control->DroitsUtilisateur(rights_);
    host_->control->Init();
    host_->screen.DoEvents();
    script_.push_back("init");
  }

  void Stop() {
    if (host_) host_->control.reset();
    host_.reset();
  }

  // The operator acts inside the detail window until it closes. Out of actions, the operator
  // presses Retour a few times, as one who wants to be done would.
  void PlayModal(screen::Surface& window) {
    while (window.Loaded() && actions_left_ > 0 && broken_.empty()) broken_ = Act();
    for (int tries = 0; window.Loaded() && tries < 5; ++tries)
      Record("click Cmd_Retour", [&] { host_->op.Click(window.Get("Cmd_Retour")); });
  }

  // One action, then the invariants; returns the first one broken.
  std::string Act() {
    --actions_left_;
    screen::Screen& screen = host_->screen;
    screen::Surface* top = screen.TopModal();
    screen::Surface& surface = top ? *top : host_->control->Controls();
    std::vector<Control*> buttons, boxes, focusable, fields, lists;
    for (int i = 0; i < surface.Count(); ++i) {
      Control& c = surface.Item(i);
      Kind kind = c.GetKind();
      if (kind == Kind::Menu ? c.Usable() : kind == Kind::Button && c.CanTakeFocus())
        buttons.push_back(&c);
      if (!c.CanTakeFocus()) continue;
      focusable.push_back(&c);
      if (kind == Kind::CheckBox || kind == Kind::OptionButton) boxes.push_back(&c);
      if (kind == Kind::TextField || kind == Kind::ComboBox) fields.push_back(&c);
      if (c.ListCount() > 0) lists.push_back(&c);
    }
    auto any = [this](const std::vector<Control*>& from) {
      return from.empty() ? nullptr : from[random_() % from.size()];
    };
    const std::string& text = kTexts[random_() % kTexts.size()];
    screen::Operator& op = host_->op;
    Control* c = nullptr;
    switch (random_() % 18) {
      case 0:
        if (!top && (last_mode_ == "item" || last_mode_ == "creation")) {
          if (random_() % 2) FillIn(host_->control->Controls());
          SaveAndReopen();
          break;
        }
        [[fallthrough]];
      case 1:
      case 2:
        if ((c = any(buttons))) Record("click " + c->Name(), [&op, c] { op.Click(*c); });
        break;
      case 3:
        if ((c = any(boxes))) Record("click " + c->Name(), [&op, c] { op.Click(*c); });
        break;
      case 4:
        if ((c = any(focusable))) Record("focus " + c->Name(), [&op, c] { op.Focus(*c); });
        break;
      case 5:
        Record("tab", [&op] { op.Tab(); });
        break;
      case 6:
      case 7:
        if ((c = any(fields))) Record("focus " + c->Name(), [&op, c] { op.Focus(*c); });
        [[fallthrough]];
      case 8:
        Record("type " + replay::Quoted(text), [&op, text] { op.Type(text); });
        break;
      case 9:
        Record("key ENTER", [&op] { op.Key(screen::kKeyEnter); });
        break;
      case 10:
        Record("key BACKSPACE", [&op] { op.Key(screen::kKeyBackspace); });
        break;
      case 11:
        if ((c = any(fields))) Record("focus " + c->Name(), [&op, c] { op.Focus(*c); });
        Record("paste " + replay::Quoted(text), [&op, text] { op.Paste(text); });
        break;
      case 12:
      case 13:
      case 14:
        if ((c = any(lists))) PickOrChoose(*c);
        break;
      case 15: {
        const int key = kKeys[random_() % kKeys.size()];
        Record("key " + std::to_string(key), [&op, key] { op.Key(key); });
        break;
      }
      case 16:
        if (top && random_() % 2) {
          Record("close " + top->Name(), [&op, top] { op.Close(*top); });
          break;
        }
        [[fallthrough]];
      default:
        PressMouse(surface);
    }
    if (!broken_.empty()) return broken_;
    return Broken();
  }

  // The operator fills the item in as the checks want it: a label, a field of application with
  // its type, one of the allowed combinations of base, rate and amount, and the accounts.
  void FillIn(screen::Surface& entry) {
    struct Combination {
      int base, rate, amount;
      const char *base_value, *rate_value, *amount_value;
    };
    static const Combination kCombinations[] = {{1, 2, 2, "250", "", ""},
                                                {4, 3, 1, "", "", "12,5"},
                                                {4, 3, 0, "", "", ""},
                                                {3, 0, 2, "50", "", ""},
                                                {2, 1, 2, "100", "0,3", ""}};
    const Combination& c = kCombinations[random_() % std::size(kCombinations)];
    const int field = c.amount == 2 ? random_() % 7 : 1 + 5 * (random_() % 2);
    auto pick = [&](const char* name, int index) {
      Control& combo = entry.Get(name);
      if (combo.CanTakeFocus() && index < combo.ListCount())
        Record("pick " + std::string(name) + " " + std::to_string(index),
               [&] { host_->op.Pick(combo, index); });
    };
    auto paste = [&](const char* name, const std::string& text) {
      Control& target = entry.Get(name);
      if (!target.CanTakeFocus() || text.empty()) return;
      Record("focus " + std::string(name), [&] { host_->op.Focus(target); });
      Record("paste " + replay::Quoted(text), [&] { host_->op.Paste(text); });
    };
    paste("Txt_LibRubSai", kTexts[random_() % kTexts.size()] + " SAISIE");
    pick("Cbo_ChpAppliRubSai", field);
    pick("Cbo_TypAvNatRubSai", random_() % 4);
    pick("Cbo_TypeFraisProf", random_() % 4);
    pick("Cbo_TypBaseRubSai", c.base);
    paste("Txt_MontBaseRubSai", c.base_value);
    pick("Cbo_TypTauxRubSai", c.rate);
    paste("Txt_MontTauxRubSai", c.rate_value);
    pick("Cbo_TypMontRubSai", c.amount);
    paste("Txt_ValMontRubSai", c.amount_value);
    paste("Txt_DebitRubSai", "4110000000");
    paste("Txt_CreditRubSai", "6410000000");
  }

  // OK, once the focus has left the field being edited; an item written shows again, once
  // reopened, what the visible fields showed when it was saved.
  void SaveAndReopen() {
    screen::Surface& entry = host_->control->Controls();
    Control& ok = entry.Get("Cmd_OK");
    if (!ok.CanTakeFocus()) return;
    Record("focus Cmd_OK", [&] { host_->op.Focus(ok); });
    // A field that refused its value kept the focus: the click will leave it again first.
    const bool settled = ok.HasFocus() && CodesFollowTexts();
    const std::string shown = VisibleFields(entry);
    std::map<std::string, std::string> before;
    db_->ForEachRecord("RUBSAISIE", [&](std::string_view id, std::string_view text) {
      before[std::string(id)] = text;
    });
    Record("click Cmd_OK", [&] { host_->op.Click(ok); });
    std::string written;
    db_->ForEachRecord("RUBSAISIE", [&](std::string_view id, std::string_view text) {
      if (before[std::string(id)] != text) written = id;
    });
    Control& code = entry.Get("Txt_CodRubSai");
    if (!settled || written.empty() || host_->screen.TopModal() || !code.CanTakeFocus() ||
        Mode(entry) != "search")
      return;
    Record("focus Txt_CodRubSai", [&] { host_->op.Focus(code); });
    Record("paste " + replay::Quoted(written), [&] { host_->op.Paste(written); });
    if (std::string again = VisibleFields(entry); again != shown && broken_.empty())
      broken_ = "item " + written + " saved as\n" + shown + "reopens as\n" + again;
  }

  // Whether each type selector's code is the one of the text it shows. A selector's code is set
  // when the selector is left or an item loaded: a pick made after the field left before took the
  // focus elsewhere changes the text alone, and the write stores the code the selector had.
  bool CodesFollowTexts() {
    for (const auto& [selector, code] : {std::pair{"Cbo_ChpAppliRubSai", "CodeChpAppli"},
                                         {"Cbo_TypBaseRubSai", "CodeTypBase"},
                                         {"Cbo_TypTauxRubSai", "CodeTypTaux"},
                                         {"Cbo_TypMontRubSai", "CodeTypMont"}}) {
      const int index = host_->control->Controls().Get(selector).ListIndex();
      if (index >= 0 && host_->control->Field(code)->text != std::to_string(index)) return false;
    }
    return true;
  }

  // The data fields the operator sees, one per line.
  static std::string VisibleFields(screen::Surface& entry) {
    std::string fields;
    for (const char* name :
         {"Txt_LibRubSai", "Cbo_ChpAppliRubSai", "Cbo_TypBaseRubSai", "Txt_MontBaseRubSai",
          "Cbo_TypTauxRubSai", "Txt_MontTauxRubSai", "Cbo_TypMontRubSai", "Txt_ValMontRubSai",
          "Txt_DebitRubSai", "Txt_CreditRubSai", "Opt_AjoutRubSai", "Cac_RubNuit",
          "Cac_CaractereAnnuel", "Cac_PrevMaintien"}) {
      Control& c = entry.Get(name);
      if (!c.Visible()) continue;
      fields += std::string(name) + " = " +
                (c.GetKind() == Kind::CheckBox || c.GetKind() == Kind::OptionButton
                     ? std::to_string(c.Value())
                     : c.Text()) +
                "\n";
    }
    return fields;
  }

  // The right or left button pressed on the surface or on one of its usable frames.
  void PressMouse(screen::Surface& surface) {
    const std::string button = random_() % 2 ? " 1" : " 2";
    std::vector<Control*> frames;
    for (int i = 0; i < surface.Count(); ++i)
      if (surface.Item(i).GetKind() == Kind::Frame && surface.Item(i).Usable())
        frames.push_back(&surface.Item(i));
    Control* frame = frames.empty() || random_() % 2 ? nullptr : frames[random_() % frames.size()];
    Record("mousedown " + (frame ? frame->Name() : surface.Name()) + button, [&] {
      frame ? host_->op.MouseDown(*frame, button[1] - '0')
            : host_->op.MouseDown(surface, button[1] - '0');
    });
  }

  // A pick in a combo; in a list box, rows selected, then a double click or not.
  void PickOrChoose(Control& c) {
    int row = random_() % c.ListCount();
    screen::Operator& op = host_->op;
    if (c.GetKind() == Kind::ComboBox)
      return Record("pick " + c.Name() + " " + std::to_string(row), [&] { op.Pick(c, row); });
    std::vector<int> rows = {row};
    if (random_() % 3 == 0) rows.push_back(random_() % c.ListCount());
    if (random_() % 8 == 0) rows.clear();
    std::string line = "select " + c.Name() + (rows.empty() ? " none" : "");
    for (int r : rows) line += " " + std::to_string(r);
    Record(line, [&] { op.Select(c, rows); });
    if (random_() % 2) Record("dblclick " + c.Name(), [&] { op.DblClick(c); });
  }

  // Plays one action and writes it down, with the answers given to its questions before it.
  template <typename Action>
  void Record(const std::string& line, Action action) {
    answers_.clear();
    size_t at = script_.size();
    script_.push_back(line);
    try {
      action();
    } catch (const screen::OperatorError&) {
      script_.pop_back();  // not an action this screen offers after all (no focus to tab from)
      return;
    } catch (const std::exception& e) {
      if (broken_.empty()) broken_ = std::string("the action failed: ") + e.what();
    }
    std::string answered;
    for (const std::string& answer : answers_) answered += " " + answer;
    if (!answered.empty()) script_.insert(script_.begin() + at, "answer" + answered);
  }

  // Every item of the store opens on a fresh screen, in item or deleted-item mode, and is left
  // without a question.
  std::string LoadEveryItem() {
    std::vector<std::string> ids;
    db_->ForEachRecord("RUBSAISIE",
                       [&](std::string_view id, std::string_view) { ids.emplace_back(id); });
    for (const std::string& id : ids) {
      Start();
      Control& code = host_->control->Controls().Get("Txt_CodRubSai");
      Record("focus Txt_CodRubSai", [&] { host_->op.Focus(code); });
      Record("paste " + replay::Quoted(id), [&] { host_->op.Paste(id); });
      if (std::string broken = Broken(); !broken.empty()) return broken;
      std::string mode = Mode(host_->control->Controls());
      if (mode != "item" && mode != "deleted") return "item " + id + " does not open";
      // Left untouched, it holds no change to save. A fixed amount stored empty is the exception:
      // loading gives the amount field the focus, and leaving it writes "0" there.
      const std::vector<std::string> attrs = ItemAttributes(*db_->GetRecord("RUBSAISIE", id));
      if (attrs[10] == "1" && attrs[11].empty()) continue;
      Record("click Cmd_Sortir",
             [&] { host_->op.Click(host_->control->Controls().Get("Cmd_Sortir")); });
      for (const screen::LoggedEvent& e : host_->display.Pending())
        if (e.kind == screen::LoggedEvent::Kind::Message)
          return "item " + id + ", opened and left: " + e.Describe();
      if (std::string broken = Broken(); !broken.empty()) return broken;
    }
    return "";
  }

  // The invariants that hold after every action.
  std::string Broken() {
    for (const screen::LoggedEvent& e : host_->display.Pending())
      if (std::string broken = EventBroken(e); !broken.empty()) return broken;
    host_->display.Pending().clear();
    if (host_->screen.HostUnloaded() && !host_->control->W_Sortir)
      return "the host window closed without W_Sortir";
    for (const std::string& problem : db_->IntegrityProblems()) return "store: " + problem;
    if (std::string broken = StoreBroken(last_mode_); !broken.empty()) return broken;
    if (host_->screen.HostUnloaded()) last_mode_ = "";
    if (host_->screen.HostUnloaded() || host_->screen.TopModal()) return "";
    return ScreenBroken();
  }

  // The buttons show one mode; an item or deleted-item mode shows a stored item of that kind.
  std::string ScreenBroken() {
    screen::Surface& entry = host_->control->Controls();
    const std::string mode = last_mode_ = Mode(entry);
    if (mode.empty()) return "the buttons show no mode: " + Pattern(entry);
    if (!entry.Enabled() || host_->screen.MousePointer() != screen::kPointerDefault)
      return "the screen was left busy";
    if (std::string broken = OnlyModeControls(entry, mode); !broken.empty()) return broken;
    // The label search list and the label field share one place: search shows the list (the field
    // may stay visible, disabled, from start-up), an item on screen the field.
    const bool search = mode == "search";
    if (entry.Get("Cbo_LibRubSai").Visible() != search ||
        (search ? entry.Get("Txt_LibRubSai").Usable() : !entry.Get("Txt_LibRubSai").Visible()))
      return "the label controls do not show " + mode + " mode";
    if (Control* focused = host_->screen.Focused(); focused && !focused->CanTakeFocus())
      return "the focus is on " + focused->Name() + ", which cannot take it";
    for (const std::string& label : entry.Get("Cbo_LibRubSai").Items())
      if (!labels_.count(label)) return "the label list offers \"" + label + "\", no item's label";
    if (mode != "item" && mode != "deleted") return "";
    const std::string code = entry.Get("Txt_CodRubSai").Text();
    std::optional<std::string> stored = db_->GetRecord("RUBSAISIE", code);
    if (!stored) return "the screen shows item \"" + code + "\", which the store does not hold";
    if ((ItemAttributes(*stored)[18] == "1") != (mode == "deleted"))
      return "item " + code + " is shown in " + mode + " mode";
    return "";
  }

  // Search and deleted-item modes leave only their own controls usable (menus aside: a right
  // click enables them), and Supprimer's caption says what it does. A hidden control may stay
  // enabled: the rate in points that each mode applies last sets the amount type to "Fixe", whose
  // rule enables the amount field before hiding it.
  static std::string OnlyModeControls(screen::Surface& entry, const std::string& mode) {
    const std::string caption = entry.Get("Cmd_Supprimer").Caption();
    if ((mode == "item" && caption != "Supprimer") || (mode == "deleted" && caption != "Réactiver"))
      return "Cmd_Supprimer reads \"" + caption + "\" in " + mode + " mode";
    std::set<std::string> own;
    if (mode == "search" && !entry.Get("Cmd_DetailRubSai").Enabled())
      own = {"Etq_CodRubSai", "Txt_CodRubSai", "Cbo_LibRubSai", "Cmd_Ajouter", "Cmd_Sortir"};
    else if (mode == "deleted")
      own = {"Cmd_Supprimer", "Cmd_Annuler", "Cmd_Sortir"};
    else
      return "";
    for (int i = 0; i < entry.Count(); ++i) {
      Control& c = entry.Item(i);
      if (c.Enabled() && c.Visible() && c.GetKind() != Kind::Menu && !own.count(c.Name()))
        return c.Name() + " is enabled in " + mode + " mode";
    }
    return "";
  }

  // No error escaped a handler; every message box has the title of the surface showing it and
  // one of the four styles in use.
  std::string EventBroken(const screen::LoggedEvent& e) {
    using Event = screen::LoggedEvent::Kind;
    if (e.kind == Event::Show || e.kind == Event::Unload) window_open_ = e.kind == Event::Show;
    windows_ += e.kind == Event::Show;
    if (e.kind == Event::Error && !IsRecordNotFound(e))
      return "an error reached the operator: " + e.Describe();
    if (e.kind != Event::Message) return "";
    const char* title = window_open_ ? "Message Orvanel" : "Message ORVANEL";
    if (e.texts[0] != title || (e.style != 48 && e.style != 64 && e.style != 52 && e.style != 51))
      return "a message box out of place: " + e.Describe();
    return "";
  }

  // A code that reaches the loader without being in the label list (typed under a label left in
  // the combo) is read all the same, and the read's failure is the database component's own.
  static bool IsRecordNotFound(const screen::LoggedEvent& e) {
    return e.texts.size() == 1 &&
           e.texts[0].rfind("Erreur " + std::to_string(kErrRecordNotFound) + " :", 0) == 0;
  }

  // The mode the command buttons show, "" when they show none.
  static std::string Mode(screen::Surface& entry) {
    const std::string pattern = Pattern(entry);
    if (pattern == "10001") return "search";
    if (pattern == "01111") return "item";
    if (pattern == "01100") return "creation";
    if (pattern == "00111") return "deleted";
    // A code typed under a label left in the combo loads the item under that label: Ajouter is
    // disabled and no mode procedure runs.
    if (pattern == "00001") return "loaded under the combo's label";
    return "";
  }

  // Enabled (1) or not (0): Ajouter, OK, Annuler, Supprimer, Sortir. Détails is left out: Annuler
  // on a creation begun with an empty code field changes no text, so no Change puts the screen
  // back in search mode and Détails stays as Ajouter enabled it.
  static std::string Pattern(screen::Surface& entry) {
    std::string pattern;
    for (const char* name : {"Cmd_Ajouter", "Cmd_OK", "Cmd_Annuler", "Cmd_Supprimer", "Cmd_Sortir"})
      pattern += entry.Get(name).Enabled() ? '1' : '0';
    return pattern;
  }

  // An item erased, or replaced by a creation, or unreadable; an item created where none may be.
  std::string StoreBroken(const std::string& mode_before) {
    std::string problem;
    std::map<std::string, std::string> items;
    std::set<std::string> labels;
    db_->ForEachRecord("RUBSAISIE", [&](std::string_view id, std::string_view text) {
      const std::vector<std::string> attrs = ItemAttributes(text);
      if (std::string unreadable = UnreadableItem(id, text); !unreadable.empty())
        problem = unreadable;
      items[std::string(id)] = text;
      labels.insert(attrs[1] + (attrs[18] == "1" ? "         SUPPRIME" : ""));
    });
    for (const auto& [id, text] : items_) {
      auto now = items.find(id);
      if (now == items.end()) problem = "item " + id + " was erased";
      if (now != items.end() && now->second != text && mode_before == "creation")
        problem = "a creation replaced item " + id;
    }
    // New items come from a creation by an operator with full rights; the maker's range only from
    // one of the maker's users.
    for (const auto& [id, text] : items) {
      if (items_.empty() || items_.count(id)) continue;
      if (mode_before != "creation" || !full_rights_) problem = "item " + id + " appeared";
      if (id >= "800" && !maker_) problem = "item " + id + " was created in the maker's range";
    }
    items_ = std::move(items);
    labels_ = std::move(labels);
    return problem;
  }

  std::mt19937 random_;
  int actions_left_;
  std::shared_ptr<store::SqliteDatabase> db_ = store::SqliteDatabase::Open(":memory:");
  std::shared_ptr<outside::ConfiguredRights> rights_ =
      std::make_shared<outside::ConfiguredRights>();
  std::shared_ptr<outside::ToolsObject> tools_ = std::make_shared<outside::ToolsObject>();
  std::shared_ptr<outside::HelpObject> help_ = std::make_shared<outside::HelpObject>();
  std::unique_ptr<Host> host_;
  std::vector<std::string> answers_, script_;
  std::string broken_;
  int windows_ = 0;
  std::map<std::string, std::string> items_;  // every item as the last check found it
  std::set<std::string> labels_;              // and their labels as the label list shows them
  std::string last_mode_;
  bool maker_ = false, full_rights_ = true;
  bool window_open_ = false;  // the detail window, as the events logged so far tell
};

TEST(OperatorSessionsTest, RandomSessionsLeaveTheScreenWholeAndTheStoreLoadable) {
  const int sessions = Rounds(100, 4000);
  const int actions = Rounds(200, 300);
  int failed = 0, writes = 0, windows = 0;
  std::atomic<int> playing{0};
  std::jthread watchdog([&playing](std::stop_token stop) {
    for (int seen = -1, still = 0; !stop.stop_requested(); ++still) {
      if (seen != playing) seen = playing, still = 0;
      if (still == 600) {  // a minute on one session, whose whole runs in milliseconds
        std::fprintf(stderr, "seed %d hangs\n", seen);
        std::abort();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  for (int seed = 1; seed <= sessions && failed < 3; ++seed) {
    playing = seed;
    Session session(seed, actions);
    std::string broken = session.Play();
    writes += session.Writes();
    windows += session.Windows();
    if (broken.empty()) continue;
    ++failed;
    ADD_FAILURE() << "seed " << seed << ": " << broken << "\n" << session.Script();
  }
  Report("operator-sessions",
         "sessions=" + std::to_string(sessions) + " actions=" + std::to_string(actions) +
             " writes=" + std::to_string(writes) + " windows=" + std::to_string(windows) +
             " failed=" + std::to_string(failed));
}

}  // namespace
}  // namespace talvero::reliability
