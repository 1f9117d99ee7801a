// talvero-screenshots [--out DIR]
// Plays a short session through the real widgets and saves what the operator sees in each mode as
// PNG files: search, item, creation, deleted item and the detail window. Runs without a display
// under QT_QPA_PLATFORM=offscreen.
#include <stdlib.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include "replay/qt_driver.h"
#include "replay/scenario.h"
#include "replay/script.h"
#include "store/sqlite_store.h"

namespace {

// A "# screenshot NAME" comment saves the screen as it is just before the line that follows it.
constexpr const char* kSession = R"(db COMPTEUR 999 3="041" 15="001"
db PLANCOMPTABLE 0014210000000 "PERSONNEL - REMUNERATIONS DUES"
db PLANCOMPTABLE 0014110000000 "CLIENTS"
db PLANCOMPTABLE 0016411000000 "SALAIRES, APPOINTEMENTS"
db PLANCOMPTABLE 0016414000000 "INDEMNITES ET AVANTAGES DIVERS"
db RUBSAISIE 003 "SALAIRE DE BASE^5^^1^+^1^15167^2^1000000^2^^6411000000^4210000000^^^0^^^0^0^0^0^0^0"
db RUBSAISIE 007 "HEURES SUPPLEMENTAIRES 25 %^5^^0^+^0^^2^1250000^2^^6411000000^4210000000^^^0^^^2^0^0^0^0^0"
db RUBSAISIE 012 "PRIME ANNUELLE^5^^0^+^1^1000^3^^2^^6414000000^4210000000^^^0^^^0^0^0^0^0^0"
db RUBSAISIE 021 "AVANTAGE EN NATURE VOITURE^0^V^1^-^1^1250^1^5^1^1500^6414000000^4210000000^I^003]007^1^^^1^1^1^1^1^1"
db RUBSAISIE 040 "CONGES PAYES^5^^1^+^3^^2^1000000^2^^6411000000^4210000000^I^003]012^0^^^0^0^0^0^0^0"
db RUBSAISIE 042 "PRIME D'ASTREINTE^5^^0^+^1^1250^3^^2^^^^R^^0^^1^0^0^0^0^0^0"
init
focus Cbo_LibRubSai
type "PRIME"
# screenshot search
type "021"
focus Txt_CodRubSai
type "021"
# screenshot item
click Cmd_Annuler
click Cmd_Ajouter
focus Txt_LibRubSai
type "INDEMNITE DE TRANSPORT"
pick Cbo_ChpAppliRubSai "Frais professionnels"
# screenshot creation
answer 6
click Cmd_Annuler
expect message 52 "Message ORVANEL" "Etes-vous sûr de vouloir quitter cette création ?"
type "042"
# screenshot deleted
click Cmd_Annuler
type "040"
click Cmd_DetailRubSai
expect show Frm_Detail
select Lst_ListeRubSai 1
# screenshot detail
click Cmd_Retour
expect unload Frm_Detail
expect quiet
)";

std::map<int, std::string> ScreenshotLines(const std::string& script) {
  std::map<int, std::string> at;
  std::istringstream in(script);
  std::string line, pending;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.rfind("# screenshot ", 0) == 0) {
      pending = line.substr(13);
    } else if (!line.empty() && line[0] != '#' && !pending.empty()) {
      at[number] = pending;
      pending.clear();
    }
  }
  return at;
}

// What the operator looks at: the detail window while it is open, the screen's window otherwise.
QWidget* Shown() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "Frm_Detail" && w->isVisible()) return w;
  for (QWidget* w : QApplication::allWidgets())
    if (w->objectName() == "Ctr_Talvero" && w->isVisible()) return w->window();
  return nullptr;
}

int Usage(const std::string& problem) {
  std::cerr << "talvero-screenshots: " << problem << "\n"
            << "usage: talvero-screenshots [--out DIR]   (default DIR: screenshots)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = "screenshots";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << "usage: talvero-screenshots [--out DIR]\n"
                   "Saves search.png, item.png, creation.png, deleted.png and detail.png in DIR.\n";
      return 0;
    }
    if (arg != "--out" || i + 1 >= argc) return Usage("unknown argument " + arg);
    out = argv[++i];
  }
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.startsWith("This plugin does not support")) return;
    std::cerr << message.toStdString() << "\n";
  });
  QApplication app(argc, argv);
  if (!QDir().mkpath(QString::fromStdString(out))) return Usage("cannot make " + out);

  std::string store =
      (std::filesystem::temp_directory_path() / "talvero-screenshots-XXXXXX").string();
  if (!mkdtemp(store.data())) return Usage("cannot make a temporary directory");
  std::map<int, std::string> shots = ScreenshotLines(kSession);
  int saved = 0;
  talvero::replay::Outcome outcome;
  {
    talvero::replay::Scenario session(talvero::store::SqliteDatabase::Open(store + "/store.db"),
                                      false, std::cout, talvero::replay::QtDriverFactory());
    session.before_line = [&](const talvero::replay::Command& c) {
      auto shot = shots.find(c.line);
      if (shot == shots.end()) return;
      QApplication::processEvents();
      QWidget* shown = Shown();
      std::string file = out + "/" + shot->second + ".png";
      if (shown && shown->grab().save(QString::fromStdString(file))) {
        std::cout << file << "\n";
        ++saved;
      }
    };
    outcome = session.Play(talvero::replay::ParseScript(kSession), 0);
  }
  std::filesystem::remove_all(store);
  if (outcome.status != talvero::replay::Outcome::Status::kPassed) {
    std::cerr << "talvero-screenshots: line " << outcome.line << ": " << outcome.expected << " / "
              << outcome.found << "\n";
    return 1;
  }
  return saved == static_cast<int>(shots.size()) ? 0 : 1;
}
