// The command line of edvara-sample: options, help, messages and exit codes.
// Layer: sample tool. main() only calls runSampleTool, so tests drive the whole tool.
#pragma once

#include <QStringList>

#include <ostream>

namespace sample {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the databases could not be written
inline constexpr int kExitUsage = 2;    // bad command line

inline constexpr const char* kToolName = "edvara-sample";

// arguments: without the program name. Messages are UTF-8.
int runSampleTool(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace sample
