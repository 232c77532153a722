#include "app/App.h"

// Placeholder until this start-up step is built.
bool CApp::ReadConfiguration() { return true; }
