// The stub's one application object, constructed before the entry point runs.
#include "app/App.h"

namespace app {

CApp theApp;

}  // namespace app
