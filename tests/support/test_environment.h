#pragma once

// Gives a test binary the same locale on every machine; the test mains call it
// before the application object reads the environment.
void fixTestEnvironment();
