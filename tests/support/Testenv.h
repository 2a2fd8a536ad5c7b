#pragma once
// Common start-up for every test program: the settings store is pointed at a private file so
// that no test ever reads or writes the user's real settings.
namespace testsupport {
void PrepareEnvironment();
}
