#include "component/variables.h"

namespace talvero {

Variables& Vars() {
  // One set per user-interface thread: every control created on that thread shares it.
  thread_local Variables variables;
  return variables;
}

}  // namespace talvero
