// TestHost.h - runs sessions in-process against the linked module.
#ifndef NEROLIT_TESTS_TESTHOST_H
#define NEROLIT_TESTS_TESTHOST_H

#include "host/Host.h"

#include <memory>
#include <string>

namespace testing_support {

// A host bound to the linked module, with `drawing` loaded and `script`
// played.  The trace is kept in memory.  A session that fails adds a test
// failure with the host's message and ends there; the host is returned as
// the failure left it.
std::unique_ptr<host::Host> play(const std::string &script, const std::string &drawing = "",
                                 host::HostOptions options = host::HostOptions());

// Lines of the trace that start (after indentation) with `prefix`.
std::vector<std::string> traceLines(const host::Host &h, const std::string &prefix);

// The i-th of those lines; a test failure and "" when there are fewer
// (a fault that drops a call fails the check, not the test binary).
std::string traceLine(const host::Host &h, const std::string &prefix, size_t i = 0);

// A session line that stores `value` (exactly) under `key` in `section`.
std::string settingLine(const std::string &section, const std::string &key, double value);

// Runs nerolit-host with arguments; returns the exit status, and standard
// error in `err`.
int runHostProgram(const std::string &arguments, std::string &err);

// A file under the build's scratch folder, written with `text`; returns its path.
std::string scratchFile(const std::string &name, const std::string &text);

} // namespace testing_support

#endif
