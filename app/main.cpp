// lumivor: the program's entry point; everything else lives in the core library.
#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/run_directory.h"
#include "platform/huge_pages.h"
#include "platform/message_box.h"
#include "platform/platform_services.h"

int main(int argc, char** argv) {
    restartWithHugePageHeap(argv);
    CommandLineOptions options;
    std::string message;
    switch (parseCommandLine(argc, argv, options, message)) {
        case CommandLineResult::Help:
            std::fputs(usageText(argv[0]).c_str(), stdout);
            return 0;
        case CommandLineResult::Version:
            std::printf("lumivor %s\n", LUMIVOR_VERSION);
            return 0;
        case CommandLineResult::Error:
            std::fprintf(stderr, "lumivor: %s\nTry '%s --help'.\n", message.c_str(), argv[0]);
            return 2;
        case CommandLineResult::Run:
            break;
    }
    setDialogsEnabled(!options.noDialogs);
    // The files the user named keep their meaning after the program changes into its run directory.
    const RunDirectorySearch search = searchOfThisProcess();
    resolveFileArguments(options, UserPathBase{search.workingDirectory, search.home});
    if (!enterRunDirectory(search, message)) {
        platform().showMessage("Error", message, MessageIcon::Error);
        return 1;
    }
    return runApplication(options);
}
