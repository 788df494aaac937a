// Scene choices the keys and the settings panel share: the environment with its sky radius, the supersampling factor.
#pragma once

// Makes environment e (0 to 2) the shown one with its lights; environments 0
// and 1 bring their own sky defocus radius ("ndist"), 2 keeps the current one.
void chooseEnvironment(int environment);

// Sets the supersampling factor (1 off, 2 on) and rebuilds every render
// target, also when the factor does not change.
void chooseSupersampling(int factor);
