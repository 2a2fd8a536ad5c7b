#pragma once
// Start-up and exit work of the component collection's units. The program calls
// ZUnitsStartup once after the application object exists and before its first window opens,
// and ZUnitsShutdown once after the event loop has ended.
//
// Start-up does not wait for the processor clock measurement: that runs on a worker thread and
// CpuInfo() waits for it.

void ZUnitsStartup();
void ZUnitsShutdown();
