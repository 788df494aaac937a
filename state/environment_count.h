// The number of environments the program holds: the scene state keeps a setting per environment, the lights a set each.
#pragma once

constexpr int kEnvironmentCount = 3;
