// The formula engine shows its errors itself; here they become message boxes
// of the platform layer (and so are recorded by the scripted one in tests).
#pragma once

// Installs the engine's message hook; the program and the test main call it once.
void ConnectEngineMessages();
