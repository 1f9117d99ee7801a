#include "screen/qt/form.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace talvero::qt {

namespace {

// Room for `chars` digits in a field, in the field's own font: follows the scale factor.
int WidthFor(QWidget* field, int chars) {
  return field->fontMetrics().horizontalAdvance(QString(chars, QChar('0'))) + 16;
}

QGroupBox* Box(const QString& title, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  box->setFlat(false);
  return box;
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

void Beside(QLabel* label, QWidget* field) {
  label->setBuddy(field);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void ValueField(QWidget* field, int chars) {
  field->setFixedWidth(WidthFor(field, chars));
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->setAlignment(Qt::AlignRight);
}

QGroupBox* Identification(QWidget* surface, const WidgetByName& w) {
  QGroupBox* box = Box("Identification", surface);
  auto* grid = new QGridLayout(box);
  auto* code_label = static_cast<QLabel*>(w("Etq_CodRubSai"));
  Beside(code_label, w("Txt_CodRubSai"));
  ValueField(w("Txt_CodRubSai"), 5);
  static_cast<QLineEdit*>(w("Txt_CodRubSai"))->setAlignment(Qt::AlignLeft);
  grid->addWidget(code_label, 0, 0);
  grid->addWidget(w("Txt_CodRubSai"), 0, 1);
  QLabel* label = Caption("Libellé", w("Txt_LibRubSai"), box);
  label->setObjectName("Etq_Libelle");  // greyed with the label field by the binding
  grid->addWidget(label, 0, 2);
  // The label search list and the label field take turns at the same place.
  grid->addWidget(w("Cbo_LibRubSai"), 0, 3);
  grid->addWidget(w("Txt_LibRubSai"), 0, 3);
  w("Cbo_LibRubSai")->raise();  // before the modes have hidden one of them, the search list shows
  grid->setColumnStretch(3, 1);
  grid->setColumnMinimumWidth(3, WidthFor(w("Txt_LibRubSai"), 24));
  return box;
}

QGroupBox* Application(QWidget* surface, const WidgetByName& w) {
  QGroupBox* box = Box("Champ d'application", surface);
  auto* grid = new QGridLayout(box);
  auto* field_label = static_cast<QLabel*>(w("Etq_ChpAppliRubSai"));
  auto* type_label = static_cast<QLabel*>(w("Etq_TypAvNatRubSai"));
  Beside(field_label, w("Cbo_ChpAppliRubSai"));
  Beside(type_label, w("Cbo_TypAvNatRubSai"));
  grid->addWidget(field_label, 0, 0);
  grid->addWidget(w("Cbo_ChpAppliRubSai"), 0, 1);
  grid->addWidget(type_label, 1, 0);
  // Benefits in kind and professional expenses have their own type lists, shown in turn.
  grid->addWidget(w("Cbo_TypAvNatRubSai"), 1, 1);
  grid->addWidget(w("Cbo_TypeFraisProf"), 1, 1);
  w("Cbo_TypAvNatRubSai")->raise();
  grid->setColumnStretch(1, 1);
  return box;
}

QGroupBox* Calculation(QWidget* surface, const WidgetByName& w) {
  QGroupBox* box = Box("Base, taux et montant", surface);
  auto* grid = new QGridLayout(box);
  struct Row {
    const char *label, *type, *value;
  };
  const Row rows[] = {{"Etq_TypBaseRubSai", "Cbo_TypBaseRubSai", "Txt_MontBaseRubSai"},
                      {"Etq_TypTauxRubSai", "Cbo_TypTauxRubSai", "Txt_MontTauxRubSai"},
                      {"Etq_TypMontRubSai", "Cbo_TypMontRubSai", "Txt_ValMontRubSai"}};
  for (int r = 0; r < 3; ++r) {
    auto* label = static_cast<QLabel*>(w(rows[r].label));
    Beside(label, w(rows[r].type));
    grid->addWidget(label, r, 0);
    grid->addWidget(w(rows[r].type), r, 1);
    ValueField(w(rows[r].value), 10);
    grid->addWidget(w(rows[r].value), r, 2);
  }
  grid->addWidget(w("Etq_PrcMontBaseRubSai"), 0, 3);
  grid->addWidget(w("Cmd_DetailRubSai"), 0, 4);
  grid->addWidget(w("Etq_Taux"), 1, 3, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(1, WidthFor(w("Cbo_TypBaseRubSai"), 18));
  return box;
}

QWidget* Options(QWidget* surface, const WidgetByName& w) {
  auto* row = new QWidget(surface);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  const std::vector<std::pair<const char*, std::vector<const char*>>> frames = {
      {"Cdr_SigneRubSai", {"Opt_AjoutRubSai", "Opt_DedRubSai"}},
      {"Cdr_Modulation", {"Opt_Incluse", "Opt_Excluse", "Opt_Regularisation"}},
      {"Cdr_TypeHeures", {"Opt_HresNormales", "Opt_HresCompl", "Opt_HresSupp"}}};
  for (const auto& [frame, options] : frames) {
    auto* column = new QVBoxLayout(w(frame));
    for (const char* option : options) column->addWidget(w(option));
    column->addStretch(1);
    layout->addWidget(w(frame), 1);
  }
  return row;
}

QGroupBox* Accounts(QWidget* surface, const WidgetByName& w) {
  QGroupBox* box = Box(QString(), surface);
  auto* grid = new QGridLayout(box);
  auto* title = static_cast<QLabel*>(w("Etq_CompteRubSai"));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  grid->addWidget(title, 0, 0, 1, 3);
  const char* rows[][3] = {{"Etq_DebitRubSai", "Txt_DebitRubSai", "Cbo_DebitRubSai"},
                           {"Etq_CreditRubSai", "Txt_CreditRubSai", "Cbo_CreditRubSai"}};
  for (int r = 0; r < 2; ++r) {
    auto* label = static_cast<QLabel*>(w(rows[r][0]));
    Beside(label, w(rows[r][1]));
    grid->addWidget(label, r + 1, 0);
    ValueField(w(rows[r][1]), 13);
    static_cast<QLineEdit*>(w(rows[r][1]))->setAlignment(Qt::AlignLeft);
    grid->addWidget(w(rows[r][1]), r + 1, 1);
    grid->addWidget(w(rows[r][2]), r + 1, 2);
  }
  grid->setColumnStretch(2, 1);
  grid->setColumnMinimumWidth(2, WidthFor(w("Cbo_DebitRubSai"), 16));
  return box;
}

QGroupBox* Indicators(QWidget* surface, const WidgetByName& w) {
  QGroupBox* box = Box("Indicateurs", surface);
  auto* grid = new QGridLayout(box);
  const char* boxes[] = {"Cac_AutoRubSai",   "Cac_RubNuit",  "Cac_CaractereAnnuel",
                         "Cac_PrevMaintien", "Cac_telegere", "Cac_RubNePasFacturer"};
  for (int i = 0; i < 6; ++i) grid->addWidget(w(boxes[i]), i % 3, i / 3);
  return box;
}

QWidget* Commands(QWidget* surface, const WidgetByName& w) {
  auto* row = new QWidget(surface);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 4, 0, 0);
  for (const char* name : {"Cmd_Ajouter", "Cmd_Supprimer", "Cmd_OK", "Cmd_Annuler"}) {
    w(name)->setMinimumWidth(WidthFor(w(name), 8));
    layout->addWidget(w(name));
  }
  layout->addStretch(1);
  w("Cmd_Sortir")->setMinimumWidth(WidthFor(w("Cmd_Sortir"), 8));
  layout->addWidget(w("Cmd_Sortir"));
  return row;
}

}  // namespace

void LayOutEntryScreen(QWidget* surface, const WidgetByName& w) {
  auto* main = new QVBoxLayout(surface);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(Identification(surface, w));
  left->addWidget(Application(surface, w));
  left->addWidget(Calculation(surface, w));
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(Options(surface, w));
  right->addWidget(Accounts(surface, w));
  right->addWidget(Indicators(surface, w));
  right->addStretch(1);
  columns->addLayout(left, 3);
  columns->addLayout(right, 2);
  main->addLayout(columns, 1);
  main->addWidget(Commands(surface, w));
}

QWidget* LayOutDetailWindow(QDialog* dialog, const WidgetByName& w) {
  auto* main = new QVBoxLayout(dialog);
  auto* heading = new QHBoxLayout;
  heading->addWidget(w("Etq_Rubrique"));
  auto* item = static_cast<QLabel*>(w("Etq_CodLibRubSai"));
  QFont bold = item->font();
  bold.setBold(true);
  item->setFont(bold);
  heading->addWidget(item, 1);
  main->addLayout(heading);
  main->addWidget(w("Etq_Base"));
  auto* choice = new QHBoxLayout;
  choice->addWidget(w("Opt_Inclure"));
  choice->addWidget(w("Opt_Retire"));
  choice->addStretch(1);
  main->addLayout(choice);

  // The frame is drawn behind the lists and buttons without holding them: in the screen's design
  // they are its neighbours, enabled and disabled on their own.
  auto* stack = new QGridLayout;
  stack->addWidget(w("Cdr_Rubrique"), 0, 0);
  auto* inside = new QWidget(dialog);
  inside->setObjectName("Cdr_Rubrique_inside");
  auto* grid = new QGridLayout(inside);
  int title = inside->fontMetrics().height();
  grid->setContentsMargins(12, title + 10, 12, 12);
  grid->addWidget(w("Etq_ListeRubSai"), 0, 0);
  grid->addWidget(w("Etq_Designation"), 0, 2);
  grid->addWidget(w("Lst_ListeRubSai"), 1, 0);
  auto* moves = new QVBoxLayout;
  moves->addStretch(1);
  moves->addWidget(w("Cmd_Gauche"));
  moves->addWidget(w("Cmd_Droite"));
  moves->addStretch(1);
  grid->addLayout(moves, 1, 1);
  grid->addWidget(w("Lst_LibRubSai"), 1, 2);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(2, 1);
  for (const char* list : {"Lst_ListeRubSai", "Lst_LibRubSai"})
    w(list)->setMinimumSize(WidthFor(w(list), 30), w(list)->fontMetrics().height() * 12);
  static_cast<QLabel*>(w("Etq_ListeRubSai"))->setBuddy(w("Lst_ListeRubSai"));
  static_cast<QLabel*>(w("Etq_Designation"))->setBuddy(w("Lst_LibRubSai"));
  stack->addWidget(inside, 0, 0);
  main->addLayout(stack, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  w("Cmd_Retour")->setMinimumWidth(WidthFor(w("Cmd_Retour"), 8));
  bottom->addWidget(w("Cmd_Retour"));
  main->addLayout(bottom);
  return inside;
}

}  // namespace talvero::qt
