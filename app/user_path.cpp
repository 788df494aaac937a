// User paths: the home prefix expanded as a shell would, relative paths fixed to the folder the user started in.
#include "app/user_path.h"

#include "platform/file_system.h"

std::string absoluteUserPath(const std::string& typed, const UserPathBase& base) {
    if (typed.empty() || typed[0] == '/') return typed;
    // The shell expands "~" only at the start of a word, so "2=~/maps/sky.exr" reaches the program unexpanded.
    if ((typed == "~" || typed.compare(0, 2, "~/") == 0) && !base.home.empty()) {
        return joinPath(base.home, typed.substr(typed.size() > 1 ? 2 : 1));
    }
    return base.startDirectory.empty() ? typed : joinPath(base.startDirectory, typed);
}
