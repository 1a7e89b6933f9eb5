// Runs that must end their own process, started by the tests as children.
#pragma once

// Returns the process status; unknown names give 100.
int RunScenario(const char* name);
