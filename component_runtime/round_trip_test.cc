// The control's library seen from a host process: registered, made by class id, released and
// unregistered, through the library's four entry points only.
#include <gtest/gtest.h>

#include <fstream>

#include "component/ctr_talvero.h"
#include "component_runtime/registry.h"
#include "component_runtime/runtime.h"
#include "host/control_class.h"
#include "host/session.h"
#include "host/test_support.h"
#include "screen/display.h"
#include "screen/operator.h"

namespace talvero::runtime {
namespace {

using host::kControlClassId;

class RoundTripTest : public host::ScratchTest {};

TEST_F(RoundTripTest, RegisterCreateReleaseUnregister) {
  std::string why;
  ASSERT_EQ(RegisterLibrary(TALVERO_CONTROL_LIBRARY, &why), kOk) << why;
  std::filesystem::path entry_file =
      scratch_ / "config/talvero/classes" / (std::string(kControlClassId) + ".class");
  ASSERT_TRUE(std::filesystem::exists(entry_file));
  std::optional<ClassEntry> entry = ReadClassEntry(kControlClassId);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->library, std::filesystem::canonical(TALVERO_CONTROL_LIBRARY).string());
  EXPECT_EQ(entry->name, host::kControlClassName);

  std::shared_ptr<Library> library = Library::Load(entry->library, &why);
  ASSERT_TRUE(library) << why;
  EXPECT_EQ(library->CanUnloadNow(), kOk);
  {
    Instance instance;
    ASSERT_EQ(CreateInstance(kControlClassId, nullptr, instance, &why), kOk) << why;
    auto* control = static_cast<Ctr_Talvero*>(instance.object->Interface(host::kControlInterface));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Cmd_OK.Caption(), "OK");
    EXPECT_EQ(instance.object->Interface("IDispatch"), nullptr);
    EXPECT_EQ(library->CanUnloadNow(), kFalse);  // an instance remains
  }
  EXPECT_EQ(library->CanUnloadNow(), kOk);

  ClassFactory* factory = nullptr;
  EXPECT_EQ(library->GetClassObject("{00000000-0000-0000-0000-000000000000}", &factory),
            kClassNotAvailable);
  EXPECT_EQ(factory, nullptr);

  ASSERT_EQ(UnregisterLibrary(TALVERO_CONTROL_LIBRARY, &why), kOk) << why;
  EXPECT_FALSE(std::filesystem::exists(entry_file));
  Instance none;
  EXPECT_EQ(CreateInstance(kControlClassId, nullptr, none, &why), kClassNotRegistered);
  EXPECT_EQ(none.object, nullptr);
}

TEST_F(RoundTripTest, AClassWhoseLibraryIsGoneCannotBeMade) {
  WriteClassEntry({kControlClassId, "Talvero", (scratch_ / "gone.so").string()});
  Instance instance;
  std::string why;
  EXPECT_EQ(CreateInstance(kControlClassId, nullptr, instance, &why), kClassNotAvailable);
  EXPECT_NE(why.find("gone.so"), std::string::npos) << why;
}

// The host's session makes the control by class id and starts it like a linked one: the control
// then uses the host's own tools object (here the operator's special key).
TEST_F(RoundTripTest, TheHostStartsAControlMadeByClassId) {
  std::string why;
  ASSERT_EQ(RegisterLibrary(TALVERO_CONTROL_LIBRARY, &why), kOk) << why;
  screen::HeadlessDisplay display;
  screen::Screen screen(display);
  host::HostOptions options;
  options.clsid = kControlClassId;
  options.special_key = "#";
  host::HostSession session(options, screen);
  Ctr_Talvero& control = session.Start();
  screen::Operator(screen).Settle();
  EXPECT_TRUE(display.Pending().empty());
  EXPECT_EQ(control.Field("CodeToucheSpeciale")->text, std::to_string('#'));
  EXPECT_EQ(&control.GetScreen(), &screen);
  EXPECT_GT(control.Cbo_LibRubSai.ListCount(), 50);
}

}  // namespace
}  // namespace talvero::runtime
