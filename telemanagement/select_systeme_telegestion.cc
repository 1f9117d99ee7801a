#include "component/ctr_talvero.h"
#include "component/object_access.h"

namespace talvero {

void Ctr_Talvero::Select_Systeme_Telegestion() {
  // Nothing here may stop the start-up: each failing statement is skipped. A failed query is
  // taken as "no telemanagement system": offering a flag whose systems cannot even be listed
  // would let the operator mark items that no system will ever pick up.
  DynArrayPtr request, result;
  bool query_failed = false;
  Skip([&] {
    request = std::make_shared<DBADynArray>();
    request->Set(1, "SELECT ASSOCIATION AVEC 38 <> \"\" PAR 38");
    request->Set(2, "ASSOCIATION");
    request->Set(3, "0");
  });
  try {
    int32_t count = 0;
    result = Obj(Base).DBQuery(Obj(request).Get(), "", count);
  } catch (const ComponentError&) {
    query_failed = true;
  } catch (const std::exception&) {
    query_failed = true;
  }
  Skip([&] {
    if (!query_failed && Obj(result).Get() != "") {
      const std::string& field = Cbo_ChpAppliRubSai.Text();
      if (field != "Main d'oeuvre directe" && field != "Main d'oeuvre directe Dim. et J.F.")
        Cac_telegere.SetVisible(true);
    } else {
      Cac_telegere.SetVisible(false);
    }
  });
  request.reset();
  result.reset();
}

}  // namespace talvero
