#pragma once
// The stub's layers by their short names, for tests that use them unqualified.
namespace app {}
namespace dialog {}
namespace extract {}

using namespace app;
using namespace dialog;
using namespace extract;
