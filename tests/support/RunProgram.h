#pragma once
// Runs a built program as a separate process, the way a user's shell would, and hands
// back its exit status and what it printed.
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "tests/support/TempFolder.h"

extern char** environ;

struct ProgramRun {
    int exitCode = -1;  // -1 when it did not exit normally (a crash)
    std::string out;
    std::string err;
};

// Runs program with the arguments in the working folder and waits for it. Its standard
// output and error go to files, so however much it prints it never waits on the test;
// its standard input is empty.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& folder)
{
    const TempFolder streams;
    const std::string outPath = streams.file("out"), errPath = streams.file("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    ProgramRun run;
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot run " << program << ": error " << spawned;
        return run;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.out = ReadWholeFile(outPath);
    run.err = ReadWholeFile(errPath);
    return run;
}
