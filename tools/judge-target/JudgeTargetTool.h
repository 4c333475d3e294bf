// The command line of edvara-judge-target: school-shaped Access targets made by the
// independent judge (`judge create`, Jackcess, from Access's own empty database) out of the
// SQLite sample, for tests and bench scripts. Layer: test tool; not installed. main() only
// calls runJudgeTargetTool.
#pragma once

#include <QStringList>

#include <ostream>

namespace judgetarget {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the target could not be made
inline constexpr int kExitUsage = 2;    // bad command line

inline constexpr const char* kToolName = "edvara-judge-target";

// arguments: without the program name. Messages are UTF-8.
int runJudgeTargetTool(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace judgetarget
